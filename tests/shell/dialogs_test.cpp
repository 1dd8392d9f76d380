// The secondary windows driven offscreen: the cipher and compression dialogs, the analyzer's report window,
// the splash and the about window.
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "formats/huffman.h"
#include "shell/about.h"
#include "shell/frminfo.h"
#include "shell/frmshifr.h"
#include "shell/frmshifr2.h"
#include "shell/zastavka.h"
#include "text/text.h"

namespace {

using namespace tarvik::shell;
namespace fs = std::filesystem;
using tarvik::text::Utf8ToCp1251;

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// What a modal window showed before the test closed it.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers every modal window that opens while `action` runs, in order, with the handlers given; a window
// left open by its handler is rejected so the test cannot hang. Returns how many windows were handled.
int WhileRunning(const std::function<void()>& action, std::vector<std::function<void(QWidget*)>> handlers) {
    int handled = 0;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal->property("tarvikSeen").toBool()) return;
        modal->setProperty("tarvikSeen", true);
        if (handled < static_cast<int>(handlers.size())) handlers[handled](modal);
        ++handled;
        if (modal->isVisible()) {
            if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
        }
    });
    poll.start();
    action();
    poll.stop();
    return handled;
}

std::function<void(QWidget*)> RecordBox(SeenBox& seen) {
    return [&seen](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr) << "expected a message box, got " << w->metaObject()->className();
        seen = {box->windowTitle(), box->text(), box->icon()};
        box->accept();
    };
}

class ToolDialogs : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    fs::path Path(const std::string& name) const { return fs::path(dir.path().toStdString()) / name; }

    QTemporaryDir dir;
};

TEST_F(ToolDialogs, CipherWritesTheQs1BesideTheQuest) {
    const fs::path quest = Path("дом.qst");
    WriteBytes(quest, "ABC\r\n \t\r\n");
    frmShifr dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Зашифровка квестов ..."));
    EXPECT_EQ(dialog.btnOK->text(), QStringLiteral("Зашифровать"));
    EXPECT_EQ(dialog.btnCheck->text(), QStringLiteral("Выбрать другой"));
    EXPECT_EQ(dialog.btnCancel->text(), QStringLiteral("Отмена"));
    dialog.show();
    dialog.txt->setText(QString::fromStdString(quest.string()));
    SeenBox seen;
    EXPECT_EQ(WhileRunning([&] { QTest::mouseClick(dialog.btnOK, Qt::LeftButton); }, {RecordBox(seen)}), 1);
    EXPECT_EQ(seen.text, QStringLiteral("Шифрование успешно произведено:\n") +
                             QString::fromStdString(Path("дом.qs1").string()));
    EXPECT_EQ(seen.title, QStringLiteral("Тарвик"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Шифрование успешно произведено"));
    // A B C mirror to 222 221 220; a blank to 255, a tab stays; one more line end closes the file.
    EXPECT_EQ(ReadBytes(Path("дом.qs1")), "\xDE\xDD\xDC\r\n\xFF\t\r\n\r\n");
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ToolDialogs, CipherReportsAQuestItCannotOpen) {
    frmShifr dialog;
    dialog.show();
    dialog.txt->setText(QString::fromStdString(Path("missing.qst").string()));
    SeenBox seen;
    WhileRunning([&] { dialog.btnOK_Click(); }, {RecordBox(seen)});
    EXPECT_EQ(seen.text, QStringLiteral("Возникла ошибка при открытии файла"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Идет шифрование, подождите..."));
    EXPECT_FALSE(fs::exists(Path("missing.qs1")));
}

TEST_F(ToolDialogs, CompressionWritesAQs3ThatDecodesToTheQuest) {
    std::string quest;
    for (int i = 0; i < 40; ++i)
        quest += Utf8ToCp1251("pln Вы стоите у двери номер ") + std::to_string(i) + "\r\n";
    WriteBytes(Path("big.quest.qst"), quest);
    frmShifr2 dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Сжатие квестов ..."));
    EXPECT_EQ(dialog.btnOK->text(), QStringLiteral("Сжать"));
    dialog.show();
    dialog.txt->setText(QString::fromStdString(Path("big.quest.qst").string()));
    SeenBox seen;
    WhileRunning([&] { QTest::mouseClick(dialog.btnOK, Qt::LeftButton); }, {RecordBox(seen)});
    EXPECT_EQ(seen.text, QStringLiteral("Сжатие успешно произведено:\n") +
                             QString::fromStdString(Path("big.quest.qs3").string()));
    EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Сжатие успешно произведено"));
    EXPECT_TRUE(dialog.isVisible());

    const std::string packed = ReadBytes(Path("big.quest.qs3"));
    ASSERT_GE(packed.size(), 4u);
    EXPECT_EQ(packed.substr(0, 4), "HE3\r");
    EXPECT_LT(packed.size(), quest.size());
    std::vector<uint8_t> buffer(packed.begin(), packed.end());
    tarvik::formats::clsHuffman().DecodeByte(buffer, buffer.size());
    EXPECT_EQ(std::string(buffer.begin(), buffer.end()), quest);
}

TEST_F(ToolDialogs, CompressionWarnsAboutAMissingQuest) {
    frmShifr2 dialog;
    dialog.show();
    dialog.txt->setText(QString::fromStdString(Path("missing.qst").string()));
    SeenBox seen;
    WhileRunning([&] { dialog.btnOK_Click(); }, {RecordBox(seen)});
    EXPECT_EQ(seen.text, QStringLiteral("Во время сжатия произошла ошибка!"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Идет сжатие, подождите..."));
    EXPECT_FALSE(fs::exists(Path("missing.qs3")));
}

TEST_F(ToolDialogs, ChoosingAnotherQuestFillsThePathAndCancelKeepsIt) {
    const fs::path chosen = Path("другой.qst");
    WriteBytes(chosen, "end\r\n");
    frmShifr2 dialog;
    dialog.show();
    dialog.txt->setText(QString::fromStdString(Path("first.qst").string()));
    WhileRunning([&] { QTest::mouseClick(dialog.btnCheck, Qt::LeftButton); }, {[&](QWidget* w) {
                     auto* files = qobject_cast<QFileDialog*>(w);
                     ASSERT_NE(files, nullptr);
                     EXPECT_TRUE(files->nameFilters().join(";").contains("*.qst"));
                     EXPECT_EQ(fs::path(files->directory().absolutePath().toStdString()),
                               fs::path(dir.path().toStdString()));
                     // Typed into the name box, as a player would.
                     auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                     ASSERT_NE(name, nullptr);
                     name->setText(QString::fromStdString(chosen.string()));
                     QMetaObject::invokeMethod(files, "accept");
                 }});
    EXPECT_EQ(dialog.txt->text().toStdString(), chosen.string());

    WhileRunning([&] { dialog.btnCheck_Click(); }, {[](QWidget* w) { static_cast<QDialog*>(w)->reject(); }});
    EXPECT_EQ(dialog.txt->text().toStdString(), chosen.string());

    QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.txt->text().toStdString(), chosen.string());  // kept for the next time it is shown
}

TEST(AnalyzerWindow, ShowsTheReportOfTheOpenQuest) {
    QTemporaryDir dir;
    const fs::path quest = fs::path(dir.path().toStdString()) / "q.qst";
    WriteBytes(quest, Utf8ToCp1251("; демо\r\n:start\r\npln Вы стоите у двери.\r\nbtn room, Войти\r\nend\r\n"
                                   ":room\r\npln Комната.\r\nend\r\n"));
    const std::string shownPath = Utf8ToCp1251("C:\\Квесты\\q.qst");
    QString report, caption;
    bool closedByEscape = false;
    const int windows =
        WhileRunning([&] { RunQuestAnalyzer(nullptr, shownPath, quest.string()); }, {[&](QWidget* w) {
                         auto* info = qobject_cast<frmInfo*>(w);
                         ASSERT_NE(info, nullptr);
                         caption = info->windowTitle();
                         report = info->txtInfo->toPlainText();
                         // Escape closes the window when it is let go, not before.
                         QTest::keyPress(info->txtInfo, Qt::Key_Escape);
                         EXPECT_TRUE(info->isVisible());
                         QTest::keyRelease(info->txtInfo, Qt::Key_Escape);
                         closedByEscape = !info->isVisible();
                     }});
    EXPECT_EQ(windows, 1);
    EXPECT_TRUE(closedByEscape);
    EXPECT_EQ(caption, QStringLiteral("О квесте."));
    EXPECT_TRUE(report.startsWith(QStringLiteral("Квест: C:\\Квесты\\q.qst\n"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("\nКол-во меток:\t\t2\n"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("Вы стоите у двери."))) << report.toStdString();
    EXPECT_FALSE(report.contains(QLatin1Char('\r')));
}

TEST(AnalyzerWindow, AnEmptyOrMissingQuestGetsTheEmptyFileMessage) {
    QTemporaryDir dir;
    const fs::path empty = fs::path(dir.path().toStdString()) / "empty.qst";
    WriteBytes(empty, "");
    for (const std::string& path : {empty.string(), std::string()}) {
        SeenBox seen;
        EXPECT_EQ(WhileRunning([&] { RunQuestAnalyzer(nullptr, path, path); }, {RecordBox(seen)}), 1);
        EXPECT_EQ(seen.title, QStringLiteral("С О О Б Щ Е Н И Е"));
        EXPECT_EQ(seen.icon, QMessageBox::Critical);
        EXPECT_TRUE(seen.text.startsWith(QStringLiteral("Тут совсем пусто!"))) << seen.text.toStdString();
        EXPECT_TRUE(seen.text.contains(QStringLiteral("\nЗенки надо по утрам протирать...")));
    }
}

TEST(Splash, ClosesOnAClickAndSaysSoOnce) {
    EXPECT_EQ(Zastavka().Timer().interval(), 3000);
    Zastavka splash;
    QSignalSpy closed(&splash, &Zastavka::closed);
    splash.show();
    EXPECT_TRUE(splash.Timer().isActive());
    QTest::mouseClick(&splash, Qt::LeftButton);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.Timer().isActive());
    splash.close();
    EXPECT_EQ(closed.count(), 1);
}

TEST(Splash, ClosesWhenItsTimeIsUpOrItLosesTheFocus) {
    Zastavka timed(nullptr, 20);
    QSignalSpy timedOut(&timed, &Zastavka::closed);
    timed.show();
    EXPECT_TRUE(timedOut.wait(2000));
    EXPECT_FALSE(timed.isVisible());

    Zastavka left;
    QSignalSpy lostFocus(&left, &Zastavka::closed);
    left.show();
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&left, &deactivate);
    EXPECT_EQ(lostFocus.count(), 1);
    EXPECT_FALSE(left.isVisible());
    // Shown again, it runs its timer again.
    left.show();
    EXPECT_TRUE(left.Timer().isActive());
    left.close();
    EXPECT_EQ(lostFocus.count(), 2);
}

TEST(AboutWindow, ShowsNameVersionAndClosesWithOk) {
    frmAbout about;
    EXPECT_TRUE(about.isModal());
    EXPECT_TRUE(about.lblName->text().contains(QStringLiteral("Тарвик")));
    EXPECT_TRUE(about.lblName->text().contains(QStringLiteral(TARVIK_VERSION)));
    EXPECT_FALSE(about.lblCredits->text().isEmpty());
    int result = -1;
    WhileRunning([&] { result = about.exec(); },
                 {[](QWidget* w) { QTest::mouseClick(static_cast<frmAbout*>(w)->btnOK, Qt::LeftButton); }});
    EXPECT_EQ(result, QDialog::Accepted);
}

}  // namespace
