// Pictures of the main window playing the demo quest, for the documentation. Not part of the test run: the
// screenshots script builds and runs them as a program of their own.
#include <QComboBox>
#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QTextEdit>

#include "frmmain_fixture.h"

namespace tarvik::shell::testing {
namespace {

class Screenshots : public WindowTest {
protected:
    QString Out(const char* name) {
        QString dir = qEnvironmentVariable("TARVIK_SCREENSHOT_DIR", TARVIK_SOURCE_DIR "/docs/screenshots");
        QDir().mkpath(dir);
        return QDir(dir).filePath(name);
    }

    // Starts the demo: answers the name prompt and the hints question the way a player would.
    void StartDemo(const QString& name) {
        auto* Text1 = Find<QLineEdit>("Text1");
        After(100, [Text1, name] {
            Text1->insert(name);
            QTest::keyClick(Text1, Qt::Key_Return);
        });
        WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        w->OpenQuestFile(TARVIK_SOURCE_DIR "/quests/demo.qst");
        Settle();
        ASSERT_EQ(Var("name"), name.toStdString());
    }

    void Save(const char* name) {
        Settle();
        QPixmap shot = w->grab();
        ASSERT_FALSE(shot.isNull());
        EXPECT_TRUE(shot.save(Out(name)));
    }
};

TEST_F(Screenshots, InputLine) {
    w->resize(800, 600);
    auto* Text1 = Find<QLineEdit>("Text1");
    bool saved = false;
    After(100, [&] {
        Text1->insert(Q("Аня"));
        Save("input-line.png");
        saved = true;
        QTest::keyClick(Text1, Qt::Key_Return);
    });
    WhenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    w->OpenQuestFile(TARVIK_SOURCE_DIR "/quests/demo.qst");
    Settle();
    EXPECT_TRUE(saved);
}

TEST_F(Screenshots, NormalModeWithInventory) {
    w->resize(800, 600);
    Find<QAction>("inv")->trigger();
    StartDemo(Q("Аня"));
    auto* lstItems = Find<QListWidget>("lstItems");
    QTest::mouseClick(lstItems->viewport(), Qt::LeftButton, {}, ItemCentre(lstItems, 1));
    Settle();
    EXPECT_GT(Find<QComboBox>("Combo1")->count(), 0);
    auto* List1 = Find<QListWidget>("List1");
    List1->setCurrentRow(0);
    Save("main-normal.png");
}

// The first location, in silver on black.
TEST_F(Screenshots, DosModeWithInventory) {
    w->svet3_Click();
    Find<QAction>("inv")->trigger();
    StartDemo(Q("Аня"));
    EXPECT_TRUE(Screen().contains(Q("хижины")));
    Find<QListWidget>("List1")->setCurrentRow(0);
    Save("main-dos.png");
}

// The hut's window: the picture in a slot of the main window, and the picture window beside it.
TEST_F(Screenshots, Pictures) {
    w->resize(800, 600);
    StartDemo(Q("Аня"));
    auto* List1 = Find<QListWidget>("List1");
    DoubleClick(List1, 0);  // into the hut
    Settle();
    DoubleClick(List1, List1->count() - 1);  // look out of the window
    Settle();
    Form1* picture = w->pictureWindow();
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(picture->isVisible());
    QTest::mousePress(picture->Picture1(), Qt::LeftButton, {}, QPoint(60, 60));
    Settle();
    ASSERT_TRUE(Screen().contains(Q("тропа")));
    QPixmap main = w->grab();
    QPixmap window = picture->grab();
    // The picture window is drawn over the main window's lower right corner, as it might stand on a desktop.
    QPainter p(&main);
    const QPoint at(main.width() - window.width() - 24, main.height() - window.height() - 130);
    p.fillRect(QRect(at, window.size()).adjusted(-2, -2, 2, 2), Qt::darkGray);
    p.drawPixmap(at, window);
    p.end();
    EXPECT_TRUE(main.save(Out("pictures.png")));
}

}  // namespace
}  // namespace tarvik::shell::testing
