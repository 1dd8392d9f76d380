// The main window's arrangement, menus, colour modes and fonts.
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTextEdit>

#include "frmmain_fixture.h"

namespace tarvik::shell::testing {
namespace {

using Layout = WindowTest;

QWidget* Client(frmMain& w) {
    return w.centralWidget();
}

TEST_F(Layout, PanelShownAndHiddenFollowTheFixedNumbers) {
    w->resize(700, 520);
    Settle();
    auto* txtText = Find<QTextEdit>("txtText");
    auto* Frame1 = Find<QWidget>("Frame1");
    auto* lstItems = Find<QListWidget>("lstItems");
    auto* Combo1 = Find<QComboBox>("Combo1");
    auto* Command1 = Find<QPushButton>("Command1");
    auto* List1 = Find<QListWidget>("List1");
    auto* Line1 = Find<LineControl>("Line1");

    // The panel starts hidden: the story text has the width of the button list.
    const int SW = Client(*w)->width(), SH = Client(*w)->height();
    EXPECT_TRUE(lstItems->isHidden());
    EXPECT_EQ(txtText->geometry(), QRect(8, 0, SW - 17, SH - 115));
    EXPECT_EQ(Frame1->geometry(), txtText->geometry());
    EXPECT_EQ(List1->geometry(), QRect(8, SH - 100, SW - 17, 93));
    EXPECT_EQ(List1->geometry().bottom() + 1, SH - 7);
    EXPECT_EQ(Line1->x1(), 16);
    EXPECT_EQ(Line1->x2(), SW - 17);
    EXPECT_EQ(Line1->y1(), SH - 108);
    EXPECT_EQ(Line1->y2(), SH - 108);

    Find<QAction>("inv")->trigger();
    EXPECT_TRUE(Find<QAction>("inv")->isChecked());
    EXPECT_FALSE(lstItems->isHidden());
    EXPECT_FALSE(Combo1->isHidden());
    EXPECT_FALSE(Command1->isHidden());
    EXPECT_EQ(lstItems->geometry(), QRect(SW - 210, 0, 201, SH - 140));
    EXPECT_EQ(Combo1->geometry(), QRect(SW - 210, SH - 140, 169, 21));
    EXPECT_EQ(Command1->geometry(), QRect(SW - 35, SH - 140, 25, 25));
    EXPECT_EQ(txtText->geometry(), QRect(8, 0, SW - 221, SH - 115));
    // 3 pixels between the story and the panel, 9 to the right edge.
    EXPECT_EQ(lstItems->x() - (txtText->x() + txtText->width()), 3);
    EXPECT_EQ(SW - (lstItems->x() + lstItems->width()), 9);

    Find<QAction>("inv")->trigger();
    EXPECT_TRUE(lstItems->isHidden());
    EXPECT_EQ(txtText->width(), SW - 221 + 204);
}

TEST_F(Layout, AWindowTooLowKeepsTheSizesThatWouldBeNegative) {
    w->resize(700, 520);
    Settle();
    auto* txtText = Find<QTextEdit>("txtText");
    auto* List1 = Find<QListWidget>("List1");
    const QSize before = txtText->size();

    w->resize(700, 100);
    Settle();
    const int SW = Client(*w)->width(), SH = Client(*w)->height();
    ASSERT_LT(SH - 115, 0);
    EXPECT_EQ(txtText->height(), before.height());
    EXPECT_EQ(txtText->width(), SW - 17);  // the width still follows the window
    EXPECT_EQ(List1->geometry(), QRect(8, SH - 100, SW - 17, 93));
}

TEST_F(Layout, TheInputLineTakesTheTopOfTheButtonList) {
    QString quest = WriteQuest("input.qst", "btn a, A\ninput name\npln Hello, #name$!\nend\n:a\nend\n");
    auto* List1 = Find<QListWidget>("List1");
    auto* Text1 = Find<QLineEdit>("Text1");
    auto* lstItems = Find<QListWidget>("lstItems");
    auto* Combo1 = Find<QComboBox>("Combo1");
    QMenu* mFileF = Find<QMenu>("mFileF");

    QRect listWhileInput, textWhileInput;
    bool disabled = false;
    QString prompt;
    int SW = 0, SH = 0;
    After(50, [&] {
        SW = Client(*w)->width();
        SH = Client(*w)->height();
        listWhileInput = List1->geometry();
        textWhileInput = Text1->geometry();
        disabled = !List1->isEnabled() && !lstItems->isEnabled() && !Combo1->isEnabled() &&
                   !mFileF->menuAction()->isEnabled();
        prompt = Text1->text();
        // Typing after the prompt; keyClicks only spells ASCII, so the Cyrillic name is put in directly.
        Text1->insert(Q("Ваня"));
        QTest::keyClick(Text1, Qt::Key_Return);
    });
    w->OpenQuestFile(quest);

    EXPECT_EQ(listWhileInput, QRect(8, SH - 74, SW - 17, 70));
    EXPECT_EQ(listWhileInput.bottom() + 1, SH - 4);
    EXPECT_EQ(textWhileInput, QRect(8, SH - 101, SW - 17, 19));
    EXPECT_TRUE(disabled);
    EXPECT_EQ(prompt, ">");
    EXPECT_TRUE(Text1->isHidden());
    EXPECT_EQ(List1->geometry(), QRect(8, SH - 100, SW - 17, 93));
    EXPECT_TRUE(List1->isEnabled());
    EXPECT_TRUE(mFileF->menuAction()->isEnabled());
    EXPECT_FALSE(Combo1->isEnabled());
    EXPECT_EQ(Var("name"), "Ваня");
    EXPECT_TRUE(Screen().contains(Q("Hello, Ваня!")));
    // The first button is selected for the player once the line is taken.
    EXPECT_EQ(List1->currentRow(), 0);
}

// ---- Menus ------------------------------------------------------------------------------------------------

using Menus = WindowTest;

// A caption without its mnemonic marks.
QString Plain(QString caption) {
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove('&');
    caption.replace(QChar(1), '&');
    return caption;
}

// A menu as "name caption" lines, separators as "name -", submenus followed by their items indented.
QStringList Tree(QMenu* menu, const QString& indent = QString()) {
    QStringList out;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            out << indent + a->objectName() + " -";
        } else if (a->menu()) {
            out << indent + a->menu()->objectName() + " " + Plain(a->text());
            out << Tree(a->menu(), indent + "  ");
        } else if (a->objectName() != "mLast") {
            out << indent + a->objectName() + " " + Plain(a->text());
        }
    }
    return out;
}

TEST_F(Menus, TheTreeHasEveryItemWithItsCaption) {
    QStringList bar;
    for (QAction* a : w->menuBar()->actions()) bar << a->menu()->objectName() + " " + Plain(a->text());
    EXPECT_EQ(bar, QStringList({"mFileF " + Q("Файл"), "vid " + Q("Вид"), "mnuUtil " + Q("Утилиты"),
                                "Parametr " + Q("Опции"), "mHelp ?", "inventar " + Q("Инвентарь")}));

    EXPECT_EQ(Tree(Find<QMenu>("mFileF")),
              QStringList({"mFileNewgame " + Q("Новая игра"), "mFileLoadgame " + Q("Загрузить игру"),
                           "mFileUndo " + Q("Ход назад"), "mFileTranscript " + Q("Запись сеанса…"),
                           "mFileP1 -", "mFileLoadquest " + Q("Загрузить квест"),
                           "mFileReload " + Q("Перезагрузить квест"), "Histoti " + Q("История"),
                           "  mFileP5 " + Q("(пусто)"), "mFileP2 -", "mFileExit " + Q("Выход")}));
    EXPECT_EQ(
        Tree(Find<QMenu>("vid")),
        QStringList({"inv " + Q("Инвентарь"), "mFileP4 -", "SvBlock " + Q("Блок"), "svet " + Q("Режим"),
                     "  svet1 " + Q("Тарвик"), "  svet3 " + Q("Дос"), "Ihban " + Q("Шрифт"),
                     "  shr3 " + Q("Главное окно"), "  shr1 " + Q("Окно инвентаря"), "  shr2 " + Q("Кнопки"),
                     "mZoomP -", "mZoomIn " + Q("Крупнее"), "mZoomOut " + Q("Мельче"),
                     "mZoomReset " + Q("Обычный размер"), "mExactColours " + Q("Точные цвета квеста"),
                     "mPictureWindow " + Q("Окно картинки")}));
    EXPECT_EQ(Tree(Find<QMenu>("mnuUtil")),
              QStringList({"Compress1 " + Q("Сжатие"), "mnuUtilsShifr1 " + Q("Шифрование (qs1)"),
                           "mQuestMap " + Q("Карта квеста")}));
    EXPECT_EQ(
        Tree(Find<QMenu>("Parametr")),
        QStringList({"Soobit " + Q("Без событий"), "clk " + Q("Один клик"), "mFileP3 -", "Zvuk " + Q("Звук"),
                     "Music " + Q("Музыка"), "mSoundFont " + Q("Шрифт MIDI..."), "mReadP -",
                     "mReadAloud " + Q("Читать вслух"), "mRepeatPage " + Q("Повторить страницу"),
                     "mStopReading " + Q("Остановить чтение"), "mContinue " + Q("Продолжать игру"),
                     "mWatchQuest " + Q("Следить за файлом квеста"), "mDialect " + Q("Поздний диалект"),
                     "  mDialectAuto " + Q("По признакам квеста"), "  mDialectOn " + Q("Всегда"),
                     "  mDialectOff " + Q("Никогда")}));
    QStringList helpMenu = Tree(Find<QMenu>("mHelp"));
    ASSERT_EQ(helpMenu.size(), 4);
    EXPECT_EQ(helpMenu[0], "help " + Q("Помощь"));
    EXPECT_TRUE(helpMenu[1].startsWith("Sk " + Q("СК")));
    EXPECT_EQ(helpMenu[2], "mFileP6 -");
    EXPECT_EQ(helpMenu[3], "mHelpAbout " + Q("О программе"));
    EXPECT_EQ(Tree(Find<QMenu>("inventar")), QStringList({"mFileP7 " + Q("(пусто)"), "invS "}));

    // The recent items: item 0 and ten more, all hidden while the list is empty.
    QList<QAction*> recent;
    for (QAction* a : Find<QMenu>("Histoti")->actions())
        if (a->objectName() == "mLast") recent << a;
    ASSERT_EQ(recent.size(), 11);
    for (QAction* a : recent) EXPECT_FALSE(a->isVisible());
}

TEST_F(Menus, CheckItemsAndTheirInitialMarks) {
    QStringList checkable, checked;
    for (QAction* a : w->findChildren<QAction*>()) {
        if (a->isCheckable()) checkable << a->objectName();
        if (a->isChecked()) checked << a->objectName();
    }
    checkable.sort();
    checked.sort();
    EXPECT_EQ(checkable, QStringList({"Music", "Soobit", "SvBlock", "Zvuk", "clk", "inv", "mContinue",
                                      "mDialectAuto", "mDialectOff", "mDialectOn", "mExactColours",
                                      "mFileTranscript", "mReadAloud", "mWatchQuest", "svet1", "svet3"}));
    EXPECT_EQ(checked, QStringList({"Music", "Soobit", "Zvuk", "mDialectAuto", "svet1"}));

    // The options reach the engine as the player ticks them.
    Find<QAction>("clk")->trigger();
    Find<QAction>("Soobit")->trigger();
    Find<QAction>("SvBlock")->trigger();
    EXPECT_TRUE(w->engine().options().clk);
    EXPECT_FALSE(w->engine().options().Soobit);
    EXPECT_TRUE(w->engine().options().SvBlock);

    // The pop-up menus: hidden from the bar, shown where the player right-clicks.
    EXPECT_FALSE(Find<QMenu>("inventar")->menuAction()->isVisible());
    EXPECT_FALSE(Find<QAction>("help")->isVisible());
}

TEST_F(Menus, RightClickOnTheStoryShowsTheViewMenu) {
    auto* txtText = Find<QTextEdit>("txtText");
    QMenu* vid = Find<QMenu>("vid");
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(20, 20),
                        txtText->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(txtText->viewport(), &e);
    EXPECT_TRUE(vid->isVisible());
    vid->close();
}

TEST_F(Menus, HelpIsOfferedOnlyWhenTheHelpFileExists) {
    WriteFile("tarvik.chm", "help");
    frmMain other;
    other.SetSettingsFile({});
    other.SetSplashEnabled(false);
    other.SetHelpFolder(m_Dir.path().toStdString());
    other.Startup(QString());
    EXPECT_TRUE(other.findChild<QAction*>("help")->isVisible());
    other.close();
}

// ---- Colours ----------------------------------------------------------------------------------------------

TEST(Colours, ValuesAreRedGreenBlueFromTheLowByteAndSystemColoursComeFromThePalette) {
    QPalette p;
    p.setColor(QPalette::Active, QPalette::WindowText, QColor(1, 2, 3));
    p.setColor(QPalette::Active, QPalette::ToolTipBase, QColor(4, 5, 6));
    EXPECT_EQ(ColourFromValue(255, p), QColor(255, 0, 0));
    EXPECT_EQ(ColourFromValue(0xFF0000, p), QColor(0, 0, 255));
    EXPECT_EQ(ColourFromValue(0x336699, p), QColor(0x99, 0x66, 0x33));
    EXPECT_EQ(ColourFromValue(static_cast<int32_t>(0x80000008u), p), QColor(1, 2, 3));
    EXPECT_EQ(ColourFromValue(-2147483624, p), QColor(4, 5, 6));  // &H80000018
    EXPECT_FALSE(ColourFromValue(0x1000000, p).has_value());
    EXPECT_FALSE(ColourFromValue(static_cast<int32_t>(0x80000100u), p).has_value());
    EXPECT_FALSE(ColourFromValue(-1, p).has_value());
}

TEST(Filters, EngineFiltersBecomeQtNameFilters) {
    EXPECT_EQ(QtNameFilters(Q("Сохранения квестов (*.qsv)|*.qsv")), Q("Сохранения квестов (*.qsv)"));
    EXPECT_EQ(QtNameFilters(Q("Все|*.qst;*.qs1|Сжатые квесты (*.qs3)|*.qs3")),
              Q("Все (*.qst *.qs1);;Сжатые квесты (*.qs3)"));
}

using ColourModes = WindowTest;

TEST_F(ColourModes, DosAndTarvikSetTheVariablesTheControlsAndTheSize) {
    auto* List1 = Find<QListWidget>("List1");
    auto* txtText = Find<QTextEdit>("txtText");
    auto* Text1 = Find<QLineEdit>("Text1");
    const QPalette app = QApplication::palette();
    w->resize(900, 700);

    w->svet3_Click();
    EXPECT_TRUE(Find<QAction>("svet3")->isChecked());
    EXPECT_FALSE(Find<QAction>("svet1")->isChecked());
    EXPECT_EQ(w->size(), QSize(672, 500));
    EXPECT_EQ(Var("Style_TextColor"), "12632256");
    EXPECT_EQ(Var("Style_BackColor"), "0");
    EXPECT_EQ(List1->palette().color(QPalette::Text), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(Text1->palette().color(QPalette::Text), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(List1->palette().color(QPalette::Base), QColor(Qt::black));
    EXPECT_EQ(txtText->palette().color(QPalette::Base), QColor(Qt::black));

    // A game started in this mode prints in silver and keeps the mode's colours.
    w->OpenQuestFile(WriteQuest("dos.qst", "pln hello\nend\n"));
    Settle();
    QTextCursor c(txtText->document());
    c.movePosition(QTextCursor::NextCharacter);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(0xC0, 0xC0, 0xC0));
    EXPECT_EQ(Var("Style_TextColor"), "12632256");
    EXPECT_EQ(List1->palette().color(QPalette::Base), QColor(Qt::black));

    w->svet1_Click();
    EXPECT_TRUE(Find<QAction>("svet1")->isChecked());
    EXPECT_FALSE(Find<QAction>("svet3")->isChecked());
    EXPECT_EQ(Var("Style_TextColor"), "-2147483640");
    EXPECT_EQ(Var("Style_BackColor"), "-2147483624");
    EXPECT_EQ(List1->palette().color(QPalette::Text), app.color(QPalette::WindowText));
    EXPECT_EQ(List1->palette().color(QPalette::Base), app.color(QPalette::ToolTipBase));
    EXPECT_EQ(txtText->palette().color(QPalette::Base), app.color(QPalette::ToolTipBase));
    const QSize size = w->size();

    // Choosing it again changes nothing.
    w->svet1_Click();
    EXPECT_TRUE(Find<QAction>("svet1")->isChecked());
    EXPECT_EQ(List1->palette().color(QPalette::Base), app.color(QPalette::ToolTipBase));
    EXPECT_EQ(w->size(), size);
}

TEST_F(ColourModes, StylesApplyWhenThePageIsShownUnlessLocked) {
    auto* List1 = Find<QListWidget>("List1");
    QString quest = WriteQuest("style.qst", "Style_BackColor=255\nStyle_TextColor=16711680\npln x\nend\n");
    w->OpenQuestFile(quest);
    Settle();
    EXPECT_EQ(List1->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(List1->palette().color(QPalette::Text), QColor(0, 0, 255));

    // A new game starts in the mode's colours; with the lock on, the quest's colours stay away.
    Find<QAction>("SvBlock")->trigger();
    w->OpenQuestFile(quest);
    Settle();
    EXPECT_EQ(List1->palette().color(QPalette::Base), QApplication::palette().color(QPalette::ToolTipBase));
}

// ---- Fonts ------------------------------------------------------------------------------------------------

using Fonts = WindowTest;

TEST_F(Fonts, CancellingTheDialogChangesNothingAndChoosingSetsBothControls) {
    auto* txtText = Find<QTextEdit>("txtText");
    auto* lstItems = Find<QListWidget>("lstItems");
    auto* Combo1 = Find<QComboBox>("Combo1");
    const QFont storyBefore = txtText->font();
    EXPECT_EQ(storyBefore.family(), "Lucida Console");
    EXPECT_DOUBLE_EQ(storyBefore.pointSizeF(), 9.75);

    bool sawDialog = false;
    WhenModal<QFontDialog>([&](QFontDialog* d) {
        sawDialog = true;
        d->setCurrentFont(QFont("Nothing Like This", 30));
        d->reject();
    });
    w->ChooseFont(3);
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(txtText->font(), storyBefore);

    const QString family = QFontDatabase::families().value(0);
    ASSERT_FALSE(family.isEmpty());
    QFont wanted(family);
    wanted.setPointSize(14);
    wanted.setUnderline(true);
    WhenModal<QFontDialog>([&](QFontDialog* d) {
        d->setCurrentFont(wanted);
        d->accept();
    });
    w->ChooseFont(1);
    EXPECT_EQ(lstItems->font().family(), family);
    EXPECT_EQ(lstItems->font().pointSize(), 14);
    EXPECT_TRUE(lstItems->font().underline());
    EXPECT_EQ(Combo1->font(), lstItems->font());
    EXPECT_EQ(txtText->font(), storyBefore);
}

}  // namespace
}  // namespace tarvik::shell::testing
