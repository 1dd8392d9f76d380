// Printed text of the family's later dialect read into styled pieces.
#include <gtest/gtest.h>

#include "text/inline_html.h"

namespace tarvik::text {
namespace {

// A piece as "kind[look]text", the look listing only what is set.
std::string Describe(const std::vector<InlinePiece>& pieces) {
    std::string all;
    for (const auto& p : pieces) {
        const InlineStyle& s = p.style;
        all += "TRPL"[static_cast<int>(p.kind)];
        all += '[';
        if (s.bold) all += 'b';
        if (s.italic) all += 'i';
        if (s.underline) all += 'u';
        if (s.align) (all += 'a') += std::to_string(s.align);
        if (s.heading) (all += 'h') += std::to_string(s.heading);
        if (s.size) (all += 's') += std::to_string(s.size);
        if (s.color >= 0) (all += 'c') += std::to_string(s.color);
        all += ']' + p.text;
        if (!p.target.empty()) all += "->" + p.target;
        all += '|';
    }
    return all;
}

TEST(InlineHtml, TagsBecomeLooksAndTheRestStaysText) {
    struct Case {
        const char* printed;
        const char* pieces;
    } cases[] = {
        {"plain <1> a<=b, x < y > z\r\n", "T[]plain <1> a<=b, x < y > z\r\n|"},
        {"<b>bold</b> <STRONG>too</Strong><i>it<u>both</u></i><em>e</em>",
         "T[b]bold|T[] |T[b]too|T[i]it|T[iu]both|T[i]e|"},
        // Tags still open at the end of the statement close there.
        {"<center><b>Title", "T[ba3]Title|"},
        {"<div align=right>r</div><p style=\"color:#f00; text-align: center;\">c</p>after",
         "T[a2]r|T[]\r\n|T[a3c255]c|T[]\r\nafter|"},
        {"<h2>Head</h2>text", "T[h2]Head|T[]\r\ntext|"},
        {"<center>c</center> \r\n", "T[a3]c|T[]\r\n|"},
        {"<font color=\"#00ff00\" size=+2>g</font><font color=blue size=1>b</font>",
         "T[s5c65280]g|T[s1c16711680]b|"},
        {"one<br>two<hr>three<img src='pic.png'>", "T[]one\r\ntwo\r\n|R[]|T[]three\r\n|P[]pic.png|"},
        // Other tags of HTML are dropped with their content kept, a link shows its text, entities are read.
        {"<span class=x><a href=\"y\">go</a></span> &lt;&amp;&gt;&nbsp;&unknown;<!-- note -->",
         "T[]go <&>\xA0&unknown;|"},
        // Not closed, or not a tag of HTML: text.
        {"<b class=\"x>y", "T[]<b class=\"x>y|"},
        {"<bx>y</z>", "T[]<bx>y</z>|"},
        {"[[Door|hall]] and [[ <b>hall</b> ]]", "T[][[Door|hall]] and [[ |T[b]hall|T[] ]]|"},
    };
    for (const auto& c : cases) EXPECT_EQ(Describe(ParseInlineHtml(c.printed, false)), c.pieces) << c.printed;
}

TEST(InlineHtml, LinksSplitAtTheLastBar) {
    EXPECT_EQ(Describe(ParseInlineHtml("Go [[the <b>door</b>|a|hall ]] or [[cellar]]. [[open", true)),
              "T[]Go |L[]the door|a->hall |T[] or |L[]cellar->cellar|T[]. [[open|");
    EXPECT_EQ(Describe(ParseInlineHtml("<i>[[x|y]]</i>", true)), "L[i]x->y|");
    EXPECT_EQ(StripInlineTags("<center><b>Вперёд</b></center> <3"), "Вперёд <3");
}

}  // namespace
}  // namespace tarvik::text
