// Reload in place: F5 and the watched quest file bring the player back to where they stood in the edited
// quest, asking nothing again, or stop where a step is gone and say so in the title.
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "frmmain_fixture.h"
#include "shell/settings.h"

namespace tarvik::shell::testing {
namespace {

std::string Quest(const char* hall, const char* caption) {
    return std::string("input name\nMsgBox \"Sure?\", \"Q\", 4, ans\npln Start\nbtn hall, ") + caption +
           "\nend\n:hall\npln " + hall + " #name$ #ans$\nbtn hall, Again\nend\n";
}

class Reload : public WindowTest {
protected:
    // Plays: types a name, answers the question with Yes, chooses the hall.
    void PlayToTheHall(const QString& quest) {
        After(50, [this] {
            Find<QLineEdit>("Text1")->insert(Q("Вася"));
            QTest::keyClick(Find<QLineEdit>("Text1"), Qt::Key_Return);
        });
        WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        w->OpenQuestFile(quest);
        Settle();
        DoubleClick(Find<QListWidget>("List1"), 0);
        Settle();
        ASSERT_EQ(Screen(), Q("Hall Вася 6 \n"));
    }
    // Fails the test when any dialog comes up.
    void NoDialog() {
        WhenModal<QDialog>([this](QDialog* d) {
            m_Asked = true;
            d->done(0);
        });
    }
    bool m_Asked = false;
};

TEST_F(Reload, F5ReplaysTheGameOnTheEditedQuestWithoutAsking) {
    const QString quest = WriteQuest("q.qst", Quest("Hall", "Go"));
    PlayToTheHall(quest);
    WriteQuest("q.qst", Quest("Big hall", "Go"));
    NoDialog();
    // The question's box took the activation with it; shortcuts reach the active window only.
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w.get(), Qt::Key_F5);
    Settle();
    EXPECT_EQ(Screen(), Q("Big hall Вася 6 \n"));
    EXPECT_FALSE(m_Asked);
    EXPECT_EQ(w->windowTitle(), Q("q.qst — Тарвик"));
}

TEST_F(Reload, AStepThatIsGoneStopsTheReplayThereAndTheTitleSaysSo) {
    const QString quest = WriteQuest("q.qst", Quest("Hall", "Go"));
    PlayToTheHall(quest);
    WriteQuest("q.qst", Quest("Hall", "Leave"));
    NoDialog();
    Find<QAction>("mFileReload")->trigger();
    Settle();
    EXPECT_FALSE(m_Asked);
    EXPECT_EQ(Screen(), Q("Start \n"));
    EXPECT_EQ(Var("name"), "Вася");
    EXPECT_TRUE(w->windowTitle().contains(Q("на шаге 2 из 2: нет кнопки «Go»")))
        << w->windowTitle().toStdString();
}

TEST_F(Reload, AWatchedQuestReloadsWhenAnEditorReplacesItByRename) {
    const QString quest = WriteQuest("q.qst", Quest("Hall", "Go"));
    w->SetWatchEnabled(true);
    // The option is kept with the settings.
    ShellSettings read;
    ReadSettings(WriteSettings(w->CurrentSettings(), {}), read);
    EXPECT_TRUE(read.watchQuest);
    PlayToTheHall(quest);
    for (const char* hall : {"Wide hall", "Dark hall"}) {
        WriteQuest("q.qst.new", Quest(hall, "Go"));
        ASSERT_TRUE(QDir().rename(Path("q.qst.new"), Path("q.qst.tmp")));
        ASSERT_TRUE(QFile::remove(quest));
        ASSERT_TRUE(QDir().rename(Path("q.qst.tmp"), quest));
        const QString wanted = Q(hall) + Q(" Вася 6 \n");
        EXPECT_TRUE(QTest::qWaitFor([&] { return Screen() == wanted; }, 5000)) << Screen().toStdString();
    }
}

}  // namespace
}  // namespace tarvik::shell::testing
