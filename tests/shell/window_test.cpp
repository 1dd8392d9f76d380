// The window as players expect it: the inventory's pop-up menu, colour mode switches over a shown page, a
// restored size that fits the screen, refusing files that are no saved game, a fresh action chooser after a
// run, the standard dialogs in Russian, keys and mnemonics, the title and the tool dialogs.
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTranslator>

#include "frmmain_fixture.h"
#include "shell/frmshifr.h"
#include "shell/frmshifr2.h"
#include "shell/translations.h"

namespace tarvik::shell::testing {
namespace {

using Window = WindowTest;

// Records the text of every message box shown, whoever answers it.
class BoxSpy : public QObject {
public:
    BoxSpy() { qApp->installEventFilter(this); }
    ~BoxSpy() override { qApp->removeEventFilter(this); }
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Show)
            if (auto* box = qobject_cast<QMessageBox*>(watched)) texts << box->text();
        return false;
    }
};

QStringList VisibleActions(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        if (a->isVisible() && !a->isSeparator()) out << a->text();
    return out;
}

const char kTwoItems[] =
    "inv+ Фонарь\n"
    "inv+ 3, Монета\n"
    "inv_visible true\n"
    "pln Тьма.\n"
    "end\n"
    ":use_Фонарь_Зажечь\n"
    "pln Фонарь горит.\n"
    "end\n"
    ":use_Монета_Подбросить\n"
    "pln Орёл.\n"
    "hide_use_Монета_Подбросить=1\n"
    "end\n"
    ":use_Монета_Спрятать\n"
    "end\n";

TEST_F(Window, RightClickClicksTheItemUnderThePointerAndOffersItsActions) {
    auto* lstItems = Find<QListWidget>("lstItems");
    QMenu* inventar = Find<QMenu>("inventar");
    w->OpenQuestFile(WriteQuest("items.qst", kTwoItems));
    Settle();
    QTest::mouseClick(lstItems->viewport(), Qt::LeftButton, {}, ItemCentre(lstItems, 0));
    Settle();
    EXPECT_EQ(VisibleActions(inventar), QStringList({Q("Зажечь")}));

    // The right press moves the highlight; the menu that follows must belong to the same entry.
    const QPoint at = ItemCentre(lstItems, 1);
    QTest::mousePress(lstItems->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(lstItems->viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, lstItems->viewport()->mapToGlobal(at));
    QApplication::sendEvent(lstItems->viewport(), &e);
    Settle();
    EXPECT_EQ(lstItems->currentRow(), 1);
    EXPECT_EQ(w->engine().selectedItem(), 1);
    EXPECT_TRUE(inventar->isVisible());
    EXPECT_EQ(VisibleActions(inventar), QStringList({Q("Подбросить"), Q("Спрятать")}));
    inventar->close();
}

TEST_F(Window, TheChooserOffersTheActionsAnewWhenARunEnds) {
    auto* lstItems = Find<QListWidget>("lstItems");
    auto* Combo1 = Find<QComboBox>("Combo1");
    w->OpenQuestFile(WriteQuest("items.qst", kTwoItems));
    Settle();
    QTest::mouseClick(lstItems->viewport(), Qt::LeftButton, {}, ItemCentre(lstItems, 1));
    Settle();
    ASSERT_EQ(Combo1->count(), 2);
    EXPECT_EQ(Combo1->currentText(), Q("Подбросить"));
    QTest::mouseClick(Find<QPushButton>("Command1"), Qt::LeftButton);
    Settle();
    EXPECT_TRUE(Screen().contains(Q("Орёл.")));
    // The action hid itself: only the other one is left, without clicking the item again.
    ASSERT_EQ(Combo1->count(), 1);
    EXPECT_EQ(Combo1->itemText(0), Q("Спрятать"));
    EXPECT_EQ(VisibleActions(Find<QMenu>("inventar")), QStringList({Q("Спрятать")}));
}

TEST_F(Window, SwitchingColourModesRecoloursTheModesOwnTextOnly) {
    auto* txtText = Find<QTextEdit>("txtText");
    w->OpenQuestFile(WriteQuest("c.qst", "pln plain\nStyle_TextColor=255\npln red\nend\n"));
    Settle();
    auto colourAt = [&](int position) {
        QTextCursor c(txtText->document());
        c.setPosition(position);
        return c.charFormat().foreground().color();
    };
    const QColor windowText = QApplication::palette().color(QPalette::Active, QPalette::WindowText);
    EXPECT_EQ(colourAt(1), windowText);
    EXPECT_EQ(colourAt(9), QColor(255, 0, 0));

    Find<QAction>("svet3")->trigger();
    Settle();
    EXPECT_EQ(Screen(), "plain \nred \n");
    EXPECT_EQ(colourAt(1), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(colourAt(9), QColor(255, 0, 0));

    Find<QAction>("svet1")->trigger();
    Settle();
    EXPECT_EQ(colourAt(1), windowText);
    EXPECT_EQ(colourAt(9), QColor(255, 0, 0));
    EXPECT_EQ(Screen(), "plain \nred \n");
}

TEST_F(Window, ARestoredSizeIsKeptOnTheScreen) {
    const QRect area = w->screen()->availableGeometry();
    ShellSettings s = w->CurrentSettings();
    s.width = (area.width() * 2) * kTwipsPerPixel;
    s.height = (area.height() * 2) * kTwipsPerPixel;
    w->ApplySettings(s);
    Settle();
    EXPECT_LE(w->frameGeometry().width(), area.width());
    EXPECT_LE(w->frameGeometry().height(), area.height());
    EXPECT_TRUE(area.contains(w->frameGeometry())) << w->frameGeometry().x() << "," << w->frameGeometry().y();
}

TEST_F(Window, TheQuestsSizesAreTheWindowsOuterSize) {
    ASSERT_NE(w->frameGeometry().size(), w->size()) << "the platform gives windows a frame";
    w->OpenQuestFile(
        WriteQuest("size.qst", "Style_FormWidth=6000\nStyle_FormMinimumHeight=4500\npln x\nend\n"));
    Settle();
    EXPECT_EQ(w->frameGeometry().size(), QSize(400, 300));
}

TEST_F(Window, AFileThatIsNoSavedGameIsRefusedWithAMessage) {
    w->OpenQuestFile(WriteQuest("q.qst", "gold=5\npln Идёт игра.\nbtn room, Дальше\nend\n:room\nend\n"));
    Settle();
    const QString notSave = WriteQuest("notes.qsv", "pln это не сохранение\nend\n");
    BoxSpy boxes;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>("fileNameEdit")->setText(notSave);
        static_cast<QDialog*>(d)->accept();
        WhenModal<QMessageBox>([&](QMessageBox* box) { box->accept(); });
    });
    Find<QAction>("mFileLoadgame")->trigger();
    Settle();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(Q("не сохранённая игра"))) << boxes.texts[0].toStdString();
    EXPECT_EQ(Screen(), Q("Идёт игра. \n"));
    EXPECT_EQ(Var("gold"), "5");
    EXPECT_EQ(Find<QListWidget>("List1")->count(), 1);
}

TEST_F(Window, RestoredInventoryEntriesReadAsSaved) {
    auto* lstItems = Find<QListWidget>("lstItems");
    const QString game = Path("g.qsv");
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>("fileNameEdit")->setText(game);
        static_cast<QDialog*>(d)->accept();
    });
    w->OpenQuestFile(WriteQuest("q.qst", "inv+ Фонарь\ninv+ 4, Монета\ninv_visible true\nsave\nend\n"));
    Settle();
    QStringList before;
    for (int i = 0; i < lstItems->count(); ++i) before << lstItems->item(i)->text();
    ASSERT_EQ(before, QStringList({Q("1шт. Фонарь"), Q("4шт. Монета"), Q("Инвентарь")}));
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>("fileNameEdit")->setText(game);
        static_cast<QDialog*>(d)->accept();
    });
    Find<QAction>("mFileLoadgame")->trigger();
    Settle();
    QStringList after;
    for (int i = 0; i < lstItems->count(); ++i) after << lstItems->item(i)->text();
    EXPECT_EQ(after, before);
}

TEST_F(Window, KeysForTheFileCommandsAndHelpAndMnemonicsOnEveryMenu) {
    EXPECT_EQ(Find<QAction>("mFileNewgame")->shortcut(), QKeySequence(QKeySequence::New));
    EXPECT_EQ(Find<QAction>("mFileLoadquest")->shortcut(), QKeySequence(QKeySequence::Open));
    EXPECT_EQ(Find<QAction>("mFileLoadgame")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    EXPECT_EQ(Find<QAction>("mFileExit")->shortcut(), QKeySequence(QKeySequence::Quit));
    EXPECT_EQ(Find<QAction>("help")->shortcut(), QKeySequence(QKeySequence::HelpContents));

    // Every menu of the bar and every item in them has its own letter, distinct within its menu.
    std::function<void(QMenu*)> check = [&](QMenu* menu) {
        QList<QChar> letters;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || a->objectName() == "mLast" || a->objectName() == "mFileP5") continue;
            const QString t = a->text();
            const qsizetype amp = t.indexOf('&');
            ASSERT_TRUE(amp >= 0 && amp + 1 < t.size()) << a->objectName().toStdString();
            const QChar letter = t[amp + 1].toLower();
            EXPECT_FALSE(letters.contains(letter)) << a->objectName().toStdString();
            letters << letter;
            if (a->menu()) check(a->menu());
        }
    };
    QMenu top;
    for (QAction* a : w->menuBar()->actions())
        if (a->isVisible()) top.addAction(a);
    check(&top);
}

TEST_F(Window, TheTitleNamesTheOpenQuest) {
    w->OpenQuestFile(WriteQuest("Пещера.qst", "pln x\nend\n"));
    Settle();
    EXPECT_TRUE(w->windowTitle().contains(Q("Пещера.qst"))) << w->windowTitle().toStdString();
    EXPECT_TRUE(w->windowTitle().contains(Q("Тарвик")));
}

TEST_F(Window, ToolDialogsStartWithTheOpenQuestAndNameTheFileWritten) {
    const QString quest = WriteQuest("tool.qst", "pln x\nend\n");
    w->OpenQuestFile(quest);
    Settle();
    for (const char* item : {"Compress1", "mnuUtilsShifr1"}) {
        SCOPED_TRACE(item);
        const QString written = Path(std::string(item) == "Compress1" ? "tool.qs3" : "tool.qs1");
        QString shown;
        BoxSpy boxes;
        WhenModal<QuestToolDialog>([&](QuestToolDialog* d) {
            shown = d->txt->text();
            WhenModal<QMessageBox>([&](QMessageBox* box) { box->accept(); });
            d->btnOK_Click();
            d->btnCancel_Click();
        });
        Find<QAction>(item)->trigger();
        Settle();
        EXPECT_EQ(shown, quest);
        EXPECT_TRUE(QFile::exists(written));
        ASSERT_EQ(boxes.texts.size(), 1);
        EXPECT_TRUE(boxes.texts[0].contains(written)) << boxes.texts[0].toStdString();
    }
}

TEST(Translations, StandardDialogsSpeakRussian) {
    EXPECT_GE(InstallQtTranslations(qApp), 1);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("Открыть"));
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text().remove('&'), QStringLiteral("Да"));
    // The other tests expect Qt's own texts as they were.
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

}  // namespace
}  // namespace tarvik::shell::testing
