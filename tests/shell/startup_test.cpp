// Start-up: the quest on the command line and the splash window.
#include <QListWidget>
#include <QTextEdit>

#include "frmmain_fixture.h"
#include "shell/zastavka.h"

namespace tarvik::shell::testing {
namespace {

using Startup = WindowTest;

std::unique_ptr<frmMain> Started(const QString& commandLine, bool splash = false) {
    auto w = std::make_unique<frmMain>();
    w->SetSettingsFile({});
    w->SetSplashEnabled(splash);
    w->Startup(commandLine);
    WindowTest::Settle();
    return w;
}

TEST_F(Startup, TheCommandLineOpensItsQuestWithOrWithoutQuotes) {
    const QString quest = WriteQuest("my quest.qst", "pln Opened.\nend\n");
    auto quoted = Started('"' + quest + '"');
    EXPECT_EQ(quoted->findChild<QTextEdit*>("txtText")->toPlainText(), "Opened. \n");
    auto bare = Started(quest);
    EXPECT_EQ(bare->findChild<QTextEdit*>("txtText")->toPlainText(), "Opened. \n");

    // A lone quote, or a file that is not there, opens nothing.
    for (const QString& line : {QString("\""), Path("missing.qst")}) {
        auto none = Started(line);
        EXPECT_EQ(none->findChild<QTextEdit*>("txtText")->toPlainText(), "");
        EXPECT_TRUE(none->engine().questPath().empty());
    }
}

TEST_F(Startup, TheSplashGivesTheFocusToTheButtonsWhenItCloses) {
    auto w = Started(QString(), true);
    auto* splash = w->findChild<Zastavka*>();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    w->findChild<QTextEdit*>("txtText")->setFocus();
    splash->close();
    Settle();
    EXPECT_EQ(w->focusWidget(), w->findChild<QListWidget*>("List1"));

    // A quest on the command line closes the splash at once.
    const QString quest = WriteQuest("q.qst", "end\n");
    auto opened = Started(quest, true);
    auto* gone = opened->findChild<Zastavka*>();
    EXPECT_TRUE(gone == nullptr || !gone->isVisible());
}

}  // namespace
}  // namespace tarvik::shell::testing
