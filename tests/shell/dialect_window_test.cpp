// "Опции → Поздний диалект" and the title's mark: the player's choice wins over the quest's markers, reloads
// the playing quest under it, and is kept with the settings.
#include "frmmain_fixture.h"
#include "shell/settings.h"

namespace tarvik::shell::testing {
namespace {

using Dialect = WindowTest;

TEST_F(Dialect, TheMenuOverridesTheMarkersAndTheTitleShowsTheMode) {
    const QString dialect = WriteQuest("d.qst", "pln a\n// cls & goto gone\nbtn b, B\nend\n:b\nend\n");
    const QString plain = WriteQuest("p.qst", "pln a ; <b>\nend\n");
    struct Step {
        const char* item;  // the menu item chosen before the quest opens; nullptr: none
        const QString* quest;
        bool marked;
        const char* kept;  // the settings line, or "" for none
    };
    const Step steps[] = {{nullptr, &dialect, true, ""},
                          {nullptr, &plain, false, ""},
                          {"mDialectOn", &plain, true, "[Dialect]=On"},
                          {"mDialectOff", &dialect, false, "[Dialect]=Off"},
                          {"mDialectAuto", &dialect, true, ""}};
    for (const Step& s : steps) {
        if (s.item) Find<QAction>(s.item)->trigger();
        w->OpenQuestFile(*s.quest);
        Settle();
        const QString name = QFileInfo(*s.quest).fileName();
        EXPECT_EQ(w->windowTitle(), name + Q(" — Тарвик") + (s.marked ? Q(" · диалект") : QString()))
            << (s.item ? s.item : "auto");
        EXPECT_EQ(w->engine().dialect(), s.marked);
        const std::string file = WriteSettings(w->CurrentSettings(), {});
        EXPECT_EQ(file.find("[Dialect]=") != std::string::npos, *s.kept != '\0') << file;
        if (*s.kept) {
            EXPECT_NE(file.find(s.kept), std::string::npos) << file;
        }
        ShellSettings read;
        ReadSettings(file, read);
        EXPECT_EQ(read.dialect, w->dialectSwitch());
    }

    // A change while a quest plays reads it again under the new choice.
    Find<QAction>("mDialectOff")->trigger();
    Settle();
    EXPECT_FALSE(w->engine().dialect());
    EXPECT_EQ(w->windowTitle(), Q("d.qst — Тарвик"));
}

}  // namespace
}  // namespace tarvik::shell::testing
