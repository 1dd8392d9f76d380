// The quest source reader: what the program lines become, and where each was written.
#include <gtest/gtest.h>

#include <map>

#include "formats/quest_source.h"

namespace tarvik::testing {
namespace {

using formats::IncludeAnswer;
using formats::IncludeRequest;

struct Read {
    formats::QuestSource source;
    std::vector<std::string> lines;
};

// Included files come from `files`; nothing else exists.
Read ReadWith(const std::string& quest, const std::map<std::string, std::string>& files, int depth = 32,
              bool trace = false) {
    formats::QuestSourceOptions options;
    options.file = "quest.qst";
    options.questFolder = "dir/";
    options.limits = {depth, 10000, 256u << 20};
    options.trace = trace;
    Read r;
    r.source = formats::ReadQuestSource(quest, options, [&](const IncludeRequest& include) {
        IncludeAnswer answer;
        auto it = files.find(include.name);
        if (it == files.end()) return answer;
        answer.kind = IncludeAnswer::Kind::Text;
        answer.text = it->second;
        answer.file = it->first;
        return answer;
    });
    for (size_t start = 0;;) {
        const size_t end = r.source.text.find('\n', start);
        r.lines.push_back(r.source.text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return r;
}

TEST(QuestSource, ProgramLines) {
    const std::map<std::string, std::string> files = {{"a.inc", "1\r\ninclude b.inc"}, {"b.inc", "2"}};
    // Code 174 is "о" in code page 866, code 238 the same letter in 1251 and "ю" (254 in 1251) in 866.
    const auto o = [](size_t n, char c) { return std::string(n, c); };
    const struct {
        const char* name;
        std::string quest;
        std::vector<std::string> lines;
    } cases[] = {
        {"LF and CR LF end lines, a lone CR does not", "a\nb\r\nc\rd", {"", "a", "b", "c\rd", ""}},
        {"comments, also one formed across a deletion", "a/* x\ny */b\nx//**/*c*/d", {"", "ab", "xd", ""}},
        {"_ continues the line before, also the first", "_a\nb\n_c", {"a", "bc", ""}},
        {"end: starts a label line", "end:x", {"", "end", ":x", ""}},
        {"quest_path is the quest's folder", "pln QUEST_PATHf", {"", "pln dir/f", ""}},
        {"DOS text", "pln \xAE\xAE\xEE", {"", "pln \xEE\xEE\xFE", ""}},
        {"UTF-8 text", "\xEF\xBB\xBFpln \xD0\xBE", {"", "pln \xEE", ""}},
        {"includes expand where they stand", "x include a.inc\ny", {"", "x ", "1", "", "2", "", "", "y", ""}},
        {"a missing include leaves its line ends", "include none\nz", {"", "", "", "", "z", ""}},
        {"the word include inside text is a directive",
         "pln this includes nothing",
         {"", "pln this ", "", "", ""}},
        {"_ joins, end: splits also inside text",
         "pln a\r\n_bc\r\nend:next\r\npln the end: at last",
         {"", "pln abc", "end", ":next", "pln the end", ": at last", ""}},
        {"comments span lines and do not nest",
         "pln a/* one\r\ntwo */\r\npln c\r\npln x /* a /* b */ y */ z",
         {"", "pln a", "pln c", "pln x  y */ z", ""}},
        {"a deletion forms an opener; an unclosed comment stays",
         "p a//**/*b*/c\r\np /* never closed\r\np rest",
         {"", "p ac", "p /* never closed", "p rest", ""}},
        {"a closer starts two characters after its opener", "p a/*/b*/c", {"", "p ac", ""}},
        {"as many DOS letters as Windows ones: not DOS text",
         "pln " + o(10, '\xAE') + o(10, '\xEE') + "\r\n",
         {"", "pln " + o(10, '\xAE') + o(10, '\xEE'), "", ""}},
        {"more DOS letters: DOS text",
         "pln " + o(11, '\xAE') + o(10, '\xEE') + "\r\n",
         {"", "pln " + o(11, '\xEE') + o(10, '\xFE'), "", ""}},
        {"Linux line ends", "pln one\npln two\n", {"", "pln one", "pln two", "", ""}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadWith(c.quest, files).lines, c.lines) << c.name;
}

TEST(QuestSource, OriginsThroughNestedIncludes) {
    const Read r = ReadWith("pln a\r\n/* two\r\nlines */include a.inc\r\npln z",
                            {{"a.inc", "pln b\ninclude b.inc"}, {"b.inc", "\npln c"}}, 32, true);
    ASSERT_EQ(r.source.files, (std::vector<std::string>{"quest.qst", "a.inc", "b.inc"}));
    ASSERT_EQ(r.source.origins.size(), r.source.text.size());
    auto originOf = [&r](const std::string& line) {
        const formats::SourceOrigin o = r.source.origins[r.source.text.find(line)];
        return r.source.files[static_cast<size_t>(o.file)] + ":" + std::to_string(o.line);
    };
    EXPECT_EQ(originOf("pln a"), "quest.qst:1");
    EXPECT_EQ(originOf("pln b"), "a.inc:1");
    EXPECT_EQ(originOf("pln c"), "b.inc:2");
    EXPECT_EQ(originOf("pln z"), "quest.qst:4");
}

TEST(QuestSource, IncludesStopAtTheDepthLimit) {
    const Read r = ReadWith("include self", {{"self", "s\ninclude self"}}, 3);
    EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), "s"), 3);
}

}  // namespace
}  // namespace tarvik::testing
