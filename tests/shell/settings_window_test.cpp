// The settings file as the window writes it at shutdown and applies it at the next start.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTextEdit>

#include <fstream>
#include <sstream>

#include "frmmain_fixture.h"

namespace tarvik::shell::testing {
namespace {

using SettingsThroughTheWindow = WindowTest;

std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return text::Cp1251ToUtf8(s.str());
}

QStringList ShownRecent(frmMain& w) {
    QStringList out;
    for (QAction* a : w.findChild<QMenu*>("Histoti")->actions())
        if (a->objectName() == "mLast" && a->isVisible()) out << a->text();
    return out;
}

std::unique_ptr<frmMain> StartWindow(const QString& ini) {
    auto w = std::make_unique<frmMain>();
    w->SetSettingsFile(ini.toStdString());
    w->SetSplashEnabled(false);
    w->Startup(QString());
    return w;
}

TEST_F(SettingsThroughTheWindow, EverySettingWrittenAtShutdownIsBackAtTheNextStart) {
    const QString ini = Path("tarvik.ini");
    const QString q1 = WriteQuest("one.qst", "pln 1\nend\n");
    const QString q2 = WriteQuest("two.qst", "pln 2\nend\n");
    {
        auto a = StartWindow(ini);
        a->svet3_Click();
        a->findChild<QAction*>("inv")->trigger();
        for (const char* name : {"clk", "Zvuk", "Music", "Soobit"}) a->findChild<QAction*>(name)->trigger();
        a->resize(800, 600);
        QFont story("DejaVu Serif");
        story.setPointSizeF(12.5);
        story.setItalic(true);
        a->findChild<QTextEdit*>("txtText")->setFont(story);
        QFont inventory("Arial");
        inventory.setPointSize(11);
        a->findChild<QListWidget*>("lstItems")->setFont(inventory);
        a->findChild<QComboBox*>("Combo1")->setFont(inventory);
        QFont buttons("Liberation Mono");
        buttons.setPointSize(10);
        buttons.setUnderline(true);
        buttons.setStrikeOut(true);
        a->findChild<QListWidget*>("List1")->setFont(buttons);
        a->OpenQuestFile(q1);
        a->OpenQuestFile(q2);
        a->close();
    }

    const std::string written = ReadAll(ini);
    EXPECT_NE(
        written.find("[*Vid*]\r\n[Dos]=True\r\n[InvVisible]=True\r\n[Width]=12000\r\n[Height]=9000\r\n"),
        std::string::npos)
        << written;
    EXPECT_NE(written.find("[Font1.name]=DejaVu Serif\r\n[Font1.Size]=12\r\n[Font1.Bold]=False\r\n"
                           "[Font1.Italic]=True\r\n"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("[font2.name]=Arial\r\n[font2.Size]=11\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("[*Files*]\r\n" + q2.toStdString() + "\r\n" + q1.toStdString() + "\r\n"),
              std::string::npos)
        << written;

    auto b = StartWindow(ini);
    EXPECT_TRUE(b->findChild<QAction*>("svet3")->isChecked());
    EXPECT_FALSE(b->findChild<QAction*>("svet1")->isChecked());
    EXPECT_TRUE(b->findChild<QAction*>("inv")->isChecked());
    EXPECT_FALSE(b->findChild<QListWidget*>("lstItems")->isHidden());
    EXPECT_EQ(b->size(), QSize(800, 600));
    EXPECT_TRUE(b->findChild<QAction*>("clk")->isChecked());
    EXPECT_FALSE(b->findChild<QAction*>("Zvuk")->isChecked());
    EXPECT_FALSE(b->findChild<QAction*>("Music")->isChecked());
    EXPECT_FALSE(b->findChild<QAction*>("Soobit")->isChecked());
    EXPECT_TRUE(b->engine().options().clk);
    EXPECT_FALSE(b->engine().options().Soobit);
    EXPECT_TRUE(b->engine().options().inv);

    const QFont story = b->findChild<QTextEdit*>("txtText")->font();
    EXPECT_EQ(story.family(), "DejaVu Serif");
    EXPECT_DOUBLE_EQ(story.pointSizeF(), 12);  // 12.5 is written rounded half to even
    EXPECT_TRUE(story.italic());
    EXPECT_FALSE(story.bold());
    const QFont inventory = b->findChild<QListWidget*>("lstItems")->font();
    EXPECT_EQ(inventory.family(), "Arial");
    EXPECT_EQ(inventory.pointSize(), 11);
    EXPECT_EQ(b->findChild<QComboBox*>("Combo1")->font(), inventory);
    const QFont buttons = b->findChild<QListWidget*>("List1")->font();
    EXPECT_EQ(buttons.family(), "Liberation Mono");
    EXPECT_TRUE(buttons.underline());
    EXPECT_TRUE(buttons.strikeOut());
    EXPECT_EQ(b->findChild<QLineEdit*>("Text1")->font(), buttons);
    EXPECT_EQ(ShownRecent(*b), QStringList({q2, q1}));
    // The colour mode's colours are on the controls again.
    EXPECT_EQ(b->findChild<QListWidget*>("List1")->palette().color(QPalette::Base), QColor(Qt::black));
    b->close();
}

TEST_F(SettingsThroughTheWindow, ASizeTheWindowCannotTakeLeavesTheOtherOne) {
    WriteFile("tarvik.ini", "[*Vid*]\r\n[Width]=0\r\n[Height]=6000\r\n");
    auto a = StartWindow(Path("tarvik.ini"));
    EXPECT_EQ(a->size(), QSize(kDefaultWidthTwips / kTwipsPerPixel, 400));
    a->close();
}

TEST_F(SettingsThroughTheWindow, TheEleventhPathAndMissingQuestsAreDroppedAtShutdown) {
    const QString ini = Path("tarvik.ini");
    QStringList quests;
    for (int i = 1; i <= 11; ++i) quests << WriteQuest(QString("q%1.qst").arg(i), "end\n");
    const QString gone = Path("gone.qst");
    std::string file =
        "[*Vid*]\r\n[*Files*]\r\n" + quests[0].toStdString() + "\r\n" + gone.toStdString() + "\r\n";
    for (int i = 1; i < 11; ++i) file += quests[i].toStdString() + "\r\n";
    WriteFile("tarvik.ini", file);

    auto a = StartWindow(ini);
    // Ten entries are read: the missing quest takes a place but is not shown, and q11 is past the tenth.
    QStringList expected = quests.mid(0, 1) + quests.mid(1, 8);
    EXPECT_EQ(ShownRecent(*a), expected);
    EXPECT_EQ(a->recent().Entry(2), gone.toStdString());
    a->close();

    const std::string written = ReadAll(ini);
    const std::string files = written.substr(written.find("[*Files*]\r\n") + 11);
    std::string wanted;
    for (const QString& q : expected) wanted += q.toStdString() + "\r\n";
    EXPECT_EQ(files, wanted);
}

}  // namespace
}  // namespace tarvik::shell::testing
