// The help's examples: every <pre class="example"> in the help runs, and shows what the <pre class="result">
// after it says.
#include <gtest/gtest.h>

#include <filesystem>

#include "test_host.h"
#include "text/html_text.h"

namespace tarvik::testing {
namespace {

namespace fs = std::filesystem;

struct Example {
    std::string file;
    std::string quest;
    std::string result;
};

std::string Unescape(std::string s) {
    for (auto [from, to] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
        for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + 1))
            s.replace(at, std::string(from).size(), to);
    }
    return s;
}

// The text of the <pre class="..."> block that starts at or after `from`; npos when there is none.
size_t Block(const std::string& html, const std::string& cls, size_t from, std::string& body) {
    const std::string open = "<pre class=\"" + cls + "\">";
    size_t at = html.find(open, from);
    if (at == std::string::npos) return at;
    size_t start = at + open.size();
    size_t end = html.find("</pre>", start);
    if (end == std::string::npos) return std::string::npos;
    body = Unescape(html.substr(start, end - start));
    while (!body.empty() && body.front() == '\n') body.erase(0, 1);
    return end;
}

std::vector<Example> Examples() {
    std::vector<Example> all;
    for (const auto& entry : fs::directory_iterator(fs::path(TARVIK_SOURCE_DIR) / "help")) {
        if (entry.path().extension() != ".html") continue;
        std::string html = Slurp(entry.path());
        size_t at = 0;
        Example e;
        e.file = entry.path().filename().string();
        while ((at = Block(html, "example", at, e.quest)) != std::string::npos) {
            size_t next = html.find("<pre class=\"example\">", at);
            size_t result = Block(html, "result", at, e.result);
            EXPECT_TRUE(result != std::string::npos && (next == std::string::npos || result < next))
                << e.file << ": an example without its result:\n"
                << e.quest;
            all.push_back(e);
            at = result == std::string::npos ? at + 1 : result;
        }
    }
    return all;
}

// Lines with their trailing blanks and the trailing empty lines gone.
std::string Tidy(const std::string& s) {
    std::string out, line;
    auto flush = [&] {
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
        line.clear();
    };
    for (char c : s) {
        if (c == '\r') continue;
        if (c == '\n')
            flush();
        else
            line += c;
    }
    if (!line.empty()) flush();
    while (out.size() >= 2 && out[out.size() - 1] == '\n' && out[out.size() - 2] == '\n') out.pop_back();
    if (out == "\n") out.clear();
    return out;
}

TEST(Help, EveryExampleShowsTheResultItStates) {
    std::vector<Example> examples = Examples();
    EXPECT_GE(examples.size(), 8u);
    for (const Example& e : examples) {
        QuestFixture q;
        q.Run(e.quest);
        std::string shown = q.Text();
        for (const auto& page : q.host.htmlPages) shown += text::HtmlToText(U(page.page));
        shown = Tidy(shown);
        for (std::string b : q.Buttons()) {
            while (!b.empty() && b.back() == ' ') b.pop_back();
            shown += "[" + b + "]\n";
        }
        EXPECT_EQ(shown, Tidy(e.result)) << e.file << ":\n" << e.quest;
        EXPECT_TRUE(q.host.boxes.empty()) << e.file << ": the example shows a message box\n" << e.quest;
    }
}

TEST(Help, LinksBetweenThePagesLeadToPagesThatExist) {
    const fs::path folder = fs::path(TARVIK_SOURCE_DIR) / "help";
    ASSERT_TRUE(fs::is_regular_file(folder / "index.html"));
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".html") continue;
        std::string html = Slurp(entry.path());
        for (size_t at = html.find("href=\""); at != std::string::npos; at = html.find("href=\"", at + 1)) {
            std::string target = html.substr(at + 6, html.find('"', at + 6) - at - 6);
            target = target.substr(0, target.find('#'));
            if (target.empty()) continue;
            EXPECT_TRUE(fs::is_regular_file(folder / target)) << entry.path().filename() << " -> " << target;
        }
    }
}

}  // namespace
}  // namespace tarvik::testing
