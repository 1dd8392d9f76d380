// The later dialect: how a quest is recognised, and each construct played in DialectMode and with the switch
// off.
#include <gtest/gtest.h>

#include "game/dialect.h"
#include "test_host.h"

namespace tarvik::testing {
namespace {

TEST(Dialect, DetectedByEachMarkerAndKeptOffByTheLanguagesOwnHtmlView) {
    struct Case {
        const char* quest;
        bool on;
    } cases[] = {
        {"pln Go to [[the hall|hall]]\nend\n:hall", true},
        {"pln [[ hall ]]\n:Hall", true},
        {"pln [[the hall|nowhere]]\n:hall", false},  // a link to no label is text
        {"pln <CENTER>x</CENTER>", true},
        {"pln <b>x</B >", false},
        {"pln x </form>", true},
        {"pln a </blink> <1>", false},
        {"image pic.png", true},
        {"if a=1 then music song.mid", true},
        {"pln a & forget_procs", true},
        {"image=pic.png\nmusic = 1", false},
        {"  // cls & goto start", true},
        {"pln 25//08/17", false},
        {"btn seen=0 & cls & goto canteen, Back", true},
        {"btn canteen, Back & pln x", false},
        {"if vedro!=1 then btn vedro, Take", true},
        {"if a=1 then pln a!=b", false},
        {"Style_TextColor=\"#ff0080\"", true},
        {"style_backcolor = \"#FFF\"", true},
        {"Style_TextColor=\"#ff00\"", false},
        {"Style_TextColor=255", false},
        {"pln <1> <= ; comment [[x]]", false},
        // The language's own HTML view: its tags are meant for it.
        {"pln </b>\npln <HTML>", false},
        {"//\nhtml page.htm", false},
    };
    for (const auto& c : cases) {
        ProgramStore lines;
        lines.Assign(std::string("\n") + c.quest + "\n");
        EXPECT_EQ(DetectDialect(lines), c.on) << c.quest;
    }
}

}  // namespace
}  // namespace tarvik::testing
