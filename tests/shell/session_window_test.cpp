// Continue, undo and transcript in the window: the question at opening, "Ход назад" and "Запись сеанса…".
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include <cstdlib>

#include "files/kept_games.h"
#include "frmmain_fixture.h"
#include "shell/settings.h"

namespace tarvik::shell::testing {
namespace {

const char kHall[] =
    "pln Start\n"
    "btn hall, Hall\n"
    "end\n"
    ":hall\n"
    "n=n+1\n"
    "pln Hall #n$\n"
    "btn hall, Again\n"
    "end\n";

class Session : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        w->SetContinueEnabled(true);
        const char* old = std::getenv("XDG_STATE_HOME");
        m_Had = old != nullptr;
        if (old) m_Old = old;
        setenv("XDG_STATE_HOME", Path("state").toUtf8().constData(), 1);
    }
    void TearDown() override {
        WindowTest::TearDown();
        if (m_Had)
            setenv("XDG_STATE_HOME", m_Old.c_str(), 1);
        else
            unsetenv("XDG_STATE_HOME");
    }
    void Answer(QMessageBox::StandardButton button, QString* asked) {
        WhenModal<QMessageBox>([button, asked](QMessageBox* box) {
            *asked = box->text();
            box->button(button)->click();
        });
    }

private:
    bool m_Had = false;
    std::string m_Old;
};

TEST_F(Session, UndoStepsBackAndIsOffWhileNothingCanBeUndone) {
    auto* undo = Find<QAction>("mFileUndo");
    EXPECT_EQ(undo->shortcut(), QKeySequence(QKeySequence::Undo));
    w->OpenQuestFile(WriteQuest("hall.qst", kHall));
    Settle();
    EXPECT_FALSE(undo->isEnabled());
    auto* List1 = Find<QListWidget>("List1");
    DoubleClick(List1, 0);
    Settle();
    DoubleClick(List1, 0);
    Settle();
    EXPECT_EQ(Screen(), "Hall 2 \n");
    ASSERT_TRUE(undo->isEnabled());
    QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(Screen(), "Hall 1 \n");
    undo->trigger();
    Settle();
    EXPECT_EQ(Screen(), "Start \n");
    EXPECT_FALSE(undo->isEnabled());
}

TEST_F(Session, AGameLeftIsOfferedBackAtOpeningAndANoStartsAnew) {
    const QString quest = WriteQuest("hall.qst", kHall);
    const QString other = WriteQuest("other.qst", "pln Other\nend\n");
    w->OpenQuestFile(quest);
    Settle();
    DoubleClick(Find<QListWidget>("List1"), 0);
    Settle();
    ASSERT_EQ(Screen(), "Hall 1 \n");

    // Opening another quest keeps the game left.
    w->OpenQuestFile(other);
    Settle();
    std::string kept;
    ASSERT_TRUE(files::ReadKeptGame(quest.toStdString(), kept));

    QString asked;
    Answer(QMessageBox::Yes, &asked);
    w->OpenQuestFile(quest);
    Settle();
    EXPECT_EQ(asked, Q("Продолжить игру с того места, где вы остановились?"));
    EXPECT_EQ(Screen(), "Hall 1 \n");
    EXPECT_EQ(Var("n"), "1");

    // The other quest's game was kept when the hall was opened: it is offered too.
    asked.clear();
    Answer(QMessageBox::No, &asked);
    w->OpenQuestFile(other);
    Settle();
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_EQ(Screen(), "Other \n");
    asked.clear();
    Answer(QMessageBox::No, &asked);
    w->OpenQuestFile(quest);
    Settle();
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_EQ(Screen(), "Start \n");
    EXPECT_FALSE(files::ReadKeptGame(quest.toStdString(), kept)) << "Нет drops the kept game";

    // A new game keeps nothing; with the setting off nothing is kept or asked.
    w->findChild<QAction*>("mFileNewgame")->trigger();
    Settle();
    EXPECT_FALSE(files::ReadKeptGame(quest.toStdString(), kept));
    Find<QAction>("mContinue")->setChecked(false);
    EXPECT_FALSE(w->CurrentSettings().keepGames);
    w->OpenQuestFile(other);
    Settle();
    EXPECT_FALSE(files::ReadKeptGame(quest.toStdString(), kept));
}

TEST_F(Session, AKeptGameOpenedDuringAnotherQuestsInputComesBack) {
    const QString quest = WriteQuest("hall.qst", kHall);
    w->OpenQuestFile(quest);
    Settle();
    DoubleClick(Find<QListWidget>("List1"), 0);
    Settle();
    const QString waiting = WriteQuest("wait.qst", "pln Name?\ninput nm\nend\n");
    QString asked;
    After(100, [&] {
        Answer(QMessageBox::Yes, &asked);
        w->OpenQuestFile(quest);
    });
    w->OpenQuestFile(waiting);
    Settle();
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_EQ(Screen(), "Hall 1 \n");
    EXPECT_EQ(Var("n"), "1");
    // The quest left inside its input never came to rest: nothing of it is kept.
    std::string kept;
    EXPECT_FALSE(files::ReadKeptGame(waiting.toStdString(), kept));
}

TEST_F(Session, AQuestThatOpensWithAQuestionIsTakenUpWithoutItAndKeptAfterEveryAction) {
    const QString quest = WriteQuest(
        "named.qst", "input name\npln Привет, #name$\nbtn hall, В зал\nend\n:hall\npln Зал\nend\n");
    auto* Text1 = Find<QLineEdit>("Text1");
    After(100, [&] {
        Text1->setText(Q("Вася"));
        QTest::keyClick(Text1, Qt::Key_Return);
    });
    w->OpenQuestFile(quest);
    Settle();
    DoubleClick(Find<QListWidget>("List1"), 0);
    // Kept by the keeper's thread with the window still open.
    std::string kept;
    for (int i = 0; i < 250 && kept.find(text::Utf8ToCp1251("PrintLn Зал")) == std::string::npos; ++i) {
        QTest::qWait(20);
        files::ReadKeptGame(quest.toStdString(), kept);
    }
    EXPECT_NE(kept.find(text::Utf8ToCp1251("PrintLn Зал")), std::string::npos) << kept;

    w->OpenQuestFile(WriteQuest("other.qst", "pln Other\nend\n"));
    QString asked;
    Answer(QMessageBox::Yes, &asked);
    w->OpenQuestFile(quest);
    Settle();
    EXPECT_EQ(Screen(), Q("Зал \n"));
    EXPECT_EQ(Var("name"), "Вася");
    EXPECT_FALSE(Text1->isVisible()) << "the opening's question is not asked again";
}

TEST_F(Session, TheContinueSettingIsWrittenOnlyWhenOff) {
    ShellSettings s;
    const std::string classic = WriteSettings(s, {});
    EXPECT_EQ(classic.find("Continue"), std::string::npos);
    s.keepGames = false;
    const std::string off = WriteSettings(s, {});
    EXPECT_NE(off.find("[Continue]=False\r\n"), std::string::npos);
    ShellSettings read;
    ReadSettings(off, read);
    EXPECT_FALSE(read.keepGames);
    w->ApplySettings(read);
    EXPECT_FALSE(Find<QAction>("mContinue")->isChecked());
}

TEST_F(Session, TranscriptMenuItemWritesThePlay) {
    w->OpenQuestFile(WriteQuest("hall.qst", kHall));
    Settle();
    const QString file = Path("session.txt");
    ASSERT_TRUE(w->SetTranscript(file));
    EXPECT_TRUE(Find<QAction>("mFileTranscript")->isChecked());
    DoubleClick(Find<QListWidget>("List1"), 0);
    Settle();
    w->SetTranscript(QString());
    EXPECT_FALSE(Find<QAction>("mFileTranscript")->isChecked());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString written = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(written.contains(QRegularExpression("Start.*\\[1\\] Hall.*> Hall.*Hall 1",
                                                    QRegularExpression::DotMatchesEverythingOption)))
        << written.toStdString();
}

}  // namespace
}  // namespace tarvik::shell::testing
