// A page of the HTML view as text a terminal can show.
#pragma once

#include <string>
#include <string_view>

namespace tarvik::text {

// Readable text of an HTML page (UTF-8 in, UTF-8 out): tags dropped (with the contents of head, title,
// script and style), runs of blanks and line breaks in the text collapsed as a browser does, paragraphs,
// headings, lists and table rows on lines of their own, <br> a line break, <pre> kept as written, a picture
// shown by its alt text in brackets, named and numeric entities decoded. No control characters come out
// besides line breaks. Linear in the page's size.
std::string HtmlToText(std::string_view html);

}  // namespace tarvik::text
