// "Опции → Поздний диалект" and the title's mark: the player's choice wins over the quest's markers, reloads
// the playing quest under it, and is kept with the settings.
#include <tuple>

#include "frmmain_fixture.h"
#include "shell/settings.h"

namespace tarvik::shell::testing {
namespace {

using Dialect = WindowTest;

TEST_F(Dialect, TheMenuOverridesTheMarkersAndTheTitleShowsTheMode) {
    const QString dialect = WriteQuest("d.qst", "pln a\n// cls & goto gone\nbtn b, B\nend\n:b\nend\n");
    const QString plain = WriteQuest("p.qst", "pln a ; <b>\nend\n");
    // The menu item chosen first (none: nullptr), the quest, whether it plays in the dialect, the settings
    // line.
    const std::tuple<const char*, const QString*, bool, const char*> steps[] = {
        {nullptr, &dialect, true, ""},
        {nullptr, &plain, false, ""},
        {"mDialectOn", &plain, true, "[Dialect]=On"},
        {"mDialectOff", &dialect, false, "[Dialect]=Off"},
        {"mDialectAuto", &dialect, true, ""}};
    for (const auto& [item, quest, marked, kept] : steps) {
        if (item) Find<QAction>(item)->trigger();
        w->OpenQuestFile(*quest);
        Settle();
        EXPECT_EQ(w->windowTitle(),
                  QFileInfo(*quest).fileName() + Q(" — Тарвик") + (marked ? Q(" · диалект") : ""));
        EXPECT_EQ(w->engine().dialect(), marked);
        const std::string file = WriteSettings(w->CurrentSettings(), {});
        EXPECT_EQ(file.find("[Dialect]="), *kept ? file.find(kept) : std::string::npos) << file;
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
