// Printed text of the family's later dialect: HTML tags and [[caption|label]] links as styled pieces.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvik::text {

struct InlineStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    uint8_t align = 0;    // 0 unset, 1 left, 2 right, 3 centre
    uint8_t heading = 0;  // h1..h6, 0 for none
    uint8_t size = 0;     // <font size=1..7>, 0 for unset
    int32_t color = -1;   // R + 256*G + 65536*B from <font color>, -1 for unset

    bool operator==(const InlineStyle&) const = default;
};

struct InlinePiece {
    enum class Kind { Text, Rule, Picture, Link };
    Kind kind = Kind::Text;
    std::string text;    // Text: the words; Link: the caption without tags; Picture: the file
    std::string target;  // Link: the label as written
    InlineStyle style;
};

// The pieces of one printed statement (bytes in code page 1251). Known HTML tags become styles, breaks, rules
// and pictures; other tags of HTML are dropped with their content kept; a '<' that opens no tag of HTML is
// text. Tags still open at the end close there. With `links`, [[C|L]] (split at the last '|') and [[L]]
// become Link pieces. Linear in the text's size, but for the tag stack.
std::vector<InlinePiece> ParseInlineHtml(std::string_view printed, bool links);

// The text without the tags ParseInlineHtml would take, line breaks and entities as the player reads them.
std::string StripInlineTags(std::string_view printed);

}  // namespace tarvik::text
