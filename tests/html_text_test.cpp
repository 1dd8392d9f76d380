// The terminal's reading of an HTML page.
#include <gtest/gtest.h>

#include "text/html_text.h"

namespace tarvik::text {
namespace {

TEST(HtmlToText, KeepsTheReadableTextAndItsShape) {
    struct Case {
        const char* html;
        const char* text;
    } cases[] = {
        {"", ""},
        {"plain", "plain\n"},
        // Blanks and line breaks in the source collapse as in a browser.
        {"<html><body>  one\r\n   two\t three </body></html>\r\n", "one two three\n"},
        {"<p>first</p><p>second</p>", "first\n\nsecond\n"},
        {"a<br>b<br/><br />c", "a\nb\n\nc\n"},
        {"<h1>Title</h1>text", "Title\n\ntext\n"},
        {"<ul><li>one<li>two</li></ul>after", "- one\n- two\n\nafter\n"},
        {"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>", "a b\nc\n"},
        {"<div>x</div><div>y</div>", "x\ny\n"},
        {"<pre>  kept\r\n    as is</pre>", "  kept\n    as is\n"},
        // Markup that is not text is dropped whole.
        {"<head><title>t</title><style>p{color:red}</style></head><script>alert('<p>')</script>"
         "<!-- a <b>comment</b> -->seen",
         "seen\n"},
        {"<a href=\"x.html\" title='a > b'>link</a> <b>bold</b><i>it</i>", "link boldit\n"},
        {"<img src=\"p.png\" alt=\"A &amp; B\"> <img src=q.png>", "[A & B]\n"},
        // Entities, named and numeric; what is not an entity stays.
        {"&lt;tag&gt; &amp; &quot;q&quot; &laquo;ёж&raquo;&nbsp;&mdash; &#1025;&#x451; &copy;",
         "<tag> & \"q\" «ёж» — Ёё ©\n"},
        {"AT&T &unknown; & 5 < 6 <= 7", "AT&T &unknown; & 5 < 6 <= 7\n"},
        // Nothing that moves a terminal's cursor gets through.
        {"a\x1b[2Jb &#27;&#x9b;c",
         "a[2Jb \xEF\xBF\xBD\xEF\xBF\xBD"
         "c\n"},
        {"<hr>", "----------\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(HtmlToText(c.html), c.text) << c.html;
}

TEST(HtmlToText, HostilePagesEndQuickly) {
    std::string nested;
    for (int i = 0; i < 200000; ++i) nested += "<div><table><tr><td>";
    nested += "deep";
    std::string unclosed = "<a href=\"" + std::string(1 << 20, 'x');
    std::string comment = "<!--" + std::string(1 << 20, '-');
    EXPECT_EQ(HtmlToText(nested), "deep\n");
    EXPECT_EQ(HtmlToText(unclosed), "");
    EXPECT_EQ(HtmlToText(comment), "");
    std::string big;
    for (int i = 0; i < 100000; ++i) big += "<p>word &amp; word</p>";
    EXPECT_EQ(HtmlToText(big).size(), 100000u * 11 + 99999u * 2 + 1);
}

}  // namespace
}  // namespace tarvik::text
