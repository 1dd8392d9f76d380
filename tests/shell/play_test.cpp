// Playing quests in the window: buttons, the inventory panel, waits, keys, message boxes, dialogs, opening
// quests and leaving runs that never end.
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QUrl>

#include "frmmain_fixture.h"

namespace tarvik::shell::testing {
namespace {

// The dialog's own file list fills in the background, so the name is typed as a player would.
void TypeFileName(QFileDialog* d, const QString& path) {
    auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(path);
}

QStringList Items(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

const char kRooms[] =
    ":start\n"
    "cls\n"
    "pln You stand at a door.\n"
    "btn room, Enter\n"
    "btn nowhere, Nowhere\n"
    "end\n"
    ":room\n"
    "pln In the room, from #previous_loc$ by #Last_Btn_Caption$.\n"
    "btn start, Back\n"
    "end\n";

using Playing = WindowTest;

TEST_F(Playing, DoubleClicksChooseButtonsAndPhantomsDoNothing) {
    auto* List1 = Find<QListWidget>("List1");
    w->OpenQuestFile(WriteQuest("rooms.qst", kRooms));
    Settle();
    EXPECT_EQ(Screen(), "You stand at a door. \n");
    EXPECT_EQ(Items(List1), QStringList({"Enter ", "Nowhere  //phantom"}));

    DoubleClick(List1, 1);
    Settle();
    EXPECT_EQ(Screen(), "You stand at a door. \n");

    // A single click does not choose while one-click choosing is off.
    QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, ItemCentre(List1, 0));
    Settle();
    EXPECT_EQ(Screen(), "You stand at a door. \n");

    DoubleClick(List1, 0);
    Settle();
    EXPECT_EQ(Screen(), "In the room, from 0 by Enter. \n");
    EXPECT_EQ(Items(List1), QStringList({"Back "}));

    // A double click beside the entries chooses the selected one.
    QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, ItemCentre(List1, 0));
    Settle();
    const QPoint beside(10, List1->viewport()->height() - 5);
    ASSERT_EQ(List1->itemAt(beside), nullptr);
    QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, beside);
    // The press's choice runs before the double click comes, as it does for a hand: queued behind it, the
    // double click would be delivered inside that run whenever the run lets events through, before its
    // buttons exist.
    Settle();
    QTest::mouseDClick(List1->viewport(), Qt::LeftButton, {}, beside);
    QTest::mouseRelease(List1->viewport(), Qt::LeftButton, {}, beside);
    Settle();
    EXPECT_EQ(Screen(), "You stand at a door. \n");
}

TEST_F(Playing, OneClickChoosesAndKeepsTheSelection) {
    auto* List1 = Find<QListWidget>("List1");
    Find<QAction>("clk")->trigger();
    w->OpenQuestFile(WriteQuest("rooms.qst", kRooms));
    Settle();
    QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, ItemCentre(List1, 0));
    Settle();
    EXPECT_EQ(Screen(), "In the room, from 0 by Enter. \n");
    QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, ItemCentre(List1, 0));
    Settle();
    EXPECT_EQ(Screen(), "You stand at a door. \n");
    // The entry at the chosen index is selected again on the new list.
    EXPECT_EQ(List1->currentRow(), 0);

    // A double click beside the entries chooses twice, as the press and as the double click: from the door
    // to the room and back.
    const QPoint beside(10, List1->viewport()->height() - 5);
    ASSERT_EQ(List1->itemAt(beside), nullptr);
    QTest::mouseClick(List1->viewport(), Qt::LeftButton, {}, beside);
    // The press's choice runs before the double click comes, as it does for a hand: queued behind it, the
    // double click would be delivered inside that run whenever the run lets events through, before its
    // buttons exist.
    Settle();
    QTest::mouseDClick(List1->viewport(), Qt::LeftButton, {}, beside);
    QTest::mouseRelease(List1->viewport(), Qt::LeftButton, {}, beside);
    Settle();
    EXPECT_EQ(Screen(), "You stand at a door. \n");
    EXPECT_EQ(Var("previous_loc"), "room");
}

TEST_F(Playing, EnterOnTheButtonListChoosesTheSelectedButton) {
    auto* List1 = Find<QListWidget>("List1");
    w->OpenQuestFile(WriteQuest("rooms.qst", kRooms));
    Settle();
    List1->setFocus();
    List1->setCurrentRow(0);
    QTest::keyClick(List1, Qt::Key_Return);
    Settle();
    EXPECT_EQ(Screen(), "In the room, from 0 by Enter. \n");
    // The new list has no selection until the player makes one.
    EXPECT_EQ(List1->currentRow(), -1);
    QTest::keyClick(List1, Qt::Key_Return);
    Settle();
    EXPECT_EQ(Screen(), "In the room, from 0 by Enter. \n");
    List1->setCurrentRow(0);
    QTest::keyClick(List1, Qt::Key_Return);
    Settle();
    EXPECT_EQ(Screen(), "You stand at a door. \n");
}

TEST_F(Playing, AFinishedPageIsShownFromItsBeginning) {
    std::string quest;
    for (int i = 0; i < 200; ++i) quest += "pln line " + std::to_string(i) + "\n";
    quest += "end\n";
    w->OpenQuestFile(WriteQuest("long.qst", quest));
    Settle();
    auto* txtText = Find<QTextEdit>("txtText");
    ASSERT_GT(txtText->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(txtText->verticalScrollBar()->value(), 0);
    EXPECT_EQ(txtText->textCursor().position(), 0);
}

TEST_F(Playing, RunsInColourKeepTheirColours) {
    w->OpenQuestFile(
        WriteQuest("colours.qst", "Style_TextColor=255\np red\nStyle_TextColor=32768\npln  green\nend\n"));
    Settle();
    auto* txtText = Find<QTextEdit>("txtText");
    EXPECT_EQ(Screen(), "red green \n");
    QTextCursor c(txtText->document());
    c.setPosition(1);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(255, 0, 0));
    c.setPosition(6);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(0, 128, 0));

    // A colour no window can show leaves the run in the colour of the text before it, also when that text
    // was shown earlier, before a wait.
    After(50, [&] {
        txtText->setFocus();
        QTest::keyClick(txtText, 'a');
    });
    w->OpenQuestFile(WriteQuest(
        "odd.qst", "Style_TextColor=255\np red\nanykey k\nStyle_TextColor=16777216\npln  odd\nend\n"));
    Settle();
    EXPECT_EQ(Screen(), "red odd \n");
    c = QTextCursor(txtText->document());
    c.setPosition(6);
    EXPECT_EQ(c.charFormat().foreground().color(), QColor(255, 0, 0));
}

// ---- Inventory
// ----------------------------------------------------------------------------------------------

const char kLamp[] =
    "inv+ Lamp\n"
    "inv_visible true\n"
    "pln Dark.\n"
    "end\n"
    ":use_Lamp_Light\n"
    "pln The lamp is lit.\n"
    "end\n"
    ":use_Lamp\n"
    "pln An old lamp.\n"
    "end\n";

TEST_F(Playing, TheInventoryPanelOffersAnItemsActionsAndRunsThem) {
    auto* lstItems = Find<QListWidget>("lstItems");
    auto* Combo1 = Find<QComboBox>("Combo1");
    auto* Command1 = Find<QPushButton>("Command1");
    w->OpenQuestFile(WriteQuest("lamp.qst", kLamp));
    Settle();
    EXPECT_FALSE(lstItems->isHidden());
    EXPECT_TRUE(Find<QAction>("inv")->isChecked());
    EXPECT_EQ(Items(lstItems), QStringList({Q("1шт. Lamp"), Q("Инвентарь")}));
    EXPECT_FALSE(Command1->isEnabled());

    QTest::mouseClick(lstItems->viewport(), Qt::LeftButton, {}, ItemCentre(lstItems, 0));
    Settle();
    QStringList actions;
    for (int i = 0; i < Combo1->count(); ++i) actions << Combo1->itemText(i);
    EXPECT_EQ(actions, QStringList({"Light", Q("Осмотреть")}));
    EXPECT_TRUE(Combo1->isEnabled());
    EXPECT_TRUE(Command1->isEnabled());
    EXPECT_EQ(Combo1->currentIndex(), 0);

    // The pop-up menu offers the same actions.
    QMenu* inventar = Find<QMenu>("inventar");
    QStringList popup;
    for (QAction* a : inventar->actions())
        if (a->objectName() == "invS" && a->isVisible()) popup << a->text();
    EXPECT_EQ(popup, actions);
    EXPECT_FALSE(Find<QAction>("mFileP7")->isVisible());

    QTest::mouseClick(Command1, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Screen(), "Dark. \nThe lamp is lit. \n");

    for (QAction* a : inventar->actions())
        if (a->objectName() == "invS" && a->text() == Q("Осмотреть")) a->trigger();
    Settle();
    EXPECT_EQ(Screen(), "Dark. \nThe lamp is lit. \nAn old lamp. \n");

    // The fixed entry has no actions here.
    QTest::mouseClick(lstItems->viewport(), Qt::LeftButton, {}, ItemCentre(lstItems, 1));
    Settle();
    EXPECT_EQ(Combo1->count(), 0);
    EXPECT_FALSE(Command1->isEnabled());
    EXPECT_TRUE(Find<QAction>("mFileP7")->isVisible());
}

TEST_F(Playing, ItemMessagesAppearOnlyWithoutTheNoEventsMark) {
    Find<QAction>("Soobit")->trigger();  // now unticked: messages shown
    QString title, message;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        message = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    w->OpenQuestFile(WriteQuest("give.qst", "inv+ 3, Coin\nend\n"));
    EXPECT_EQ(title, Q("Ты получил предмет"));
    EXPECT_EQ(message, Q("Ты получил 3шт. Coin"));
}

// ---- Waits and keys ---------------------------------------------------------------------------------------

TEST_F(Playing, AnykeyStoresTheCharacterCodeOfTheKeyPressed) {
    auto* txtText = Find<QTextEdit>("txtText");
    After(50, [&] {
        txtText->setFocus();
        QTest::keyClick(txtText, 'a');
    });
    w->OpenQuestFile(WriteQuest("key.qst", "pln Press a key.\nanykey k\npln got #k$\nend\n"));
    Settle();
    EXPECT_EQ(Var("k"), "97");
    EXPECT_TRUE(Screen().endsWith("got 97 \n"));

    // A Cyrillic letter arrives with its code page 1251 code.
    After(50, [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, Q("я"));
        QApplication::sendEvent(txtText, &press);
    });
    w->OpenQuestFile(WriteQuest("key.qst", "anykey k\nend\n"));
    Settle();
    EXPECT_EQ(Var("k"), "255");

    // Delete types no character (the window system may still spell it as DEL): the next key is the answer.
    After(50, [&] {
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
        QApplication::sendEvent(txtText, &del);
        QTest::keyClick(txtText, 'b');
    });
    w->OpenQuestFile(WriteQuest("key.qst", "anykey k\nend\n"));
    Settle();
    EXPECT_EQ(Var("k"), "98");
}

TEST_F(Playing, EnterOrAClickOnAnEmptyButtonListIsKey13) {
    auto* List1 = Find<QListWidget>("List1");
    After(50, [&] {
        List1->setFocus();
        QTest::keyClick(List1, Qt::Key_Return);
    });
    w->OpenQuestFile(WriteQuest("key.qst", "anykey k\nend\n"));
    Settle();
    EXPECT_EQ(Var("k"), "13");

    After(50, [&] { QTest::mousePress(List1->viewport(), Qt::LeftButton, {}, QPoint(10, 10)); });
    w->OpenQuestFile(WriteQuest("key2.qst", "k=0\nanykey k\nend\n"));
    Settle();
    QTest::mouseRelease(List1->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(Var("k"), "13");

    // Any mouse button.
    After(50, [&] { QTest::mousePress(List1->viewport(), Qt::RightButton, {}, QPoint(10, 10)); });
    w->OpenQuestFile(WriteQuest("key3.qst", "k=0\nanykey k\nend\n"));
    Settle();
    QTest::mouseRelease(List1->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(Var("k"), "13");
}

TEST_F(Playing, AButtonChosenDuringAPauseEndsThePausedRun) {
    auto* List1 = Find<QListWidget>("List1");
    After(50, [&] { DoubleClick(List1, 0); });
    w->OpenQuestFile(WriteQuest("pause.qst", "btn b, B\npause 400\npln after\nend\n:b\npln chosen\nend\n"));
    Settle();
    EXPECT_EQ(Screen(), "chosen \n");
}

TEST_F(Playing, TheInputLineDropsOnlyItsPromptAndLeavesTheChooserOffUntilAnItemIsClicked) {
    auto* lstItems = Find<QListWidget>("lstItems");
    auto* Combo1 = Find<QComboBox>("Combo1");
    auto* Command1 = Find<QPushButton>("Command1");
    auto* List1 = Find<QListWidget>("List1");
    auto* Text1 = Find<QLineEdit>("Text1");
    w->OpenQuestFile(WriteQuest("ask.qst",
                                "inv+ Lamp\ninv_visible true\nbtn ask, Ask\nend\n"
                                ":ask\ninput v\npln got #v$\nend\n"
                                ":use_Lamp_Light\npln The lamp is lit.\nend\n"));
    Settle();
    QTest::mouseClick(lstItems->viewport(), Qt::LeftButton, {}, ItemCentre(lstItems, 0));
    Settle();
    ASSERT_TRUE(Combo1->isEnabled());

    // The player types a ">" of their own after the prompt: only the prompt is dropped.
    After(50, [&] {
        Text1->insert(">5");
        QTest::keyClick(Text1, Qt::Key_Return);
    });
    DoubleClick(List1, 0);
    Settle();
    ASSERT_NE(w->engine().FindVariable("v"), nullptr);
    EXPECT_FALSE(w->engine().FindVariable("v")->IsNumber());
    EXPECT_EQ(Var("v"), ">5");

    // The action chooser stays off after the input, even when the action button beside it runs an action,
    // until the next click on an item.
    EXPECT_FALSE(Combo1->isEnabled());
    ASSERT_TRUE(Command1->isEnabled());
    QTest::mouseClick(Command1, Qt::LeftButton);
    Settle();
    EXPECT_TRUE(Screen().endsWith("The lamp is lit. \n"));
    EXPECT_FALSE(Combo1->isEnabled());
    QTest::mouseClick(lstItems->viewport(), Qt::LeftButton, {}, ItemCentre(lstItems, 0));
    Settle();
    EXPECT_TRUE(Combo1->isEnabled());
}

TEST_F(Playing, TheInputDialogHasTheQuestsTitleAndPrompt) {
    QString title, prompt;
    WhenModal<QInputDialog>([&](QInputDialog* d) {
        title = d->windowTitle();
        prompt = d->labelText();
        d->setTextValue("12.5");
        d->accept();
    });
    w->OpenQuestFile(WriteQuest("box.qst", "input_box v\nend\n"));
    EXPECT_EQ(title, Q("Тарвик:"));
    EXPECT_EQ(prompt, Q("Введите что-нить"));
    ASSERT_NE(w->engine().FindVariable("v"), nullptr);
    EXPECT_TRUE(w->engine().FindVariable("v")->IsNumber());
    EXPECT_EQ(Var("v"), "12,5");  // numbers print with the decimal comma

    WhenModal<QInputDialog>([&](QInputDialog* d) {
        title = d->windowTitle();
        prompt = d->labelText();
        d->reject();
    });
    w->OpenQuestFile(
        WriteQuest("box2.qst", "input_title=\"Name\"\ninput_text=\"Who?\"\nv=1\ninput_box v\nend\n"));
    EXPECT_EQ(title, "Name");
    EXPECT_EQ(prompt, "Who?");
    EXPECT_EQ(Var("v"), "");
}

// ---- Message boxes
// ------------------------------------------------------------------------------------------

TEST_F(Playing, AMessageBoxShowsItsStyleAndReturnsTheAnswer) {
    QString title, message;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        message = box->text();
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::No)->click();
    });
    w->OpenQuestFile(
        WriteQuest("ask.qst", "MsgBox \"Show hints?\", \"Tarvik\", zotQuestion+ZotYN, otvet\nend\n"));
    EXPECT_EQ(title, "Tarvik");
    EXPECT_EQ(message, "Show hints?");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(Var("otvet"), "7");

    // Escape answers Cancel where the set has one.
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        icon = box->icon();
        buttons = box->standardButtons();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    w->OpenQuestFile(WriteQuest("ask2.qst", "MsgBox \"Really?\", \"T\", zotWarning+ZotYNC, otvet\nend\n"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(Var("otvet"), "2");

    WhenModal<QMessageBox>([&](QMessageBox* box) {
        icon = box->icon();
        buttons = box->standardButtons();
        box->button(QMessageBox::Retry)->click();
    });
    w->OpenQuestFile(WriteQuest("ask3.qst", "MsgBox \"Oops\", \"T\", zotError+ZotARI, otvet\nend\n"));
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    EXPECT_EQ(Var("otvet"), "4");

    // A set without Cancel offers no way back: Escape and the close button leave the box up until the player
    // presses one of its buttons.
    for (const char* style : {"zotQuestion+ZotYN", "zotError+ZotARI"}) {
        bool stillUp = false;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            QTest::keyClick(box, Qt::Key_Escape);
            box->close();
            stillUp = box->isVisible();
            box->button(box->standardButtons() & QMessageBox::No ? QMessageBox::No : QMessageBox::Ignore)
                ->click();
        });
        w->OpenQuestFile(WriteQuest(
            "ask4.qst", std::string("otvet=0\nMsgBox \"Sure?\", \"T\", ") + style + ", otvet\nend\n"));
        EXPECT_TRUE(stillUp) << style;
        EXPECT_EQ(Var("otvet"), std::string(style).find("YN") != std::string::npos ? "7" : "5") << style;
    }

    // The default-button bits of the style pick the button Enter presses: 256 the second.
    WhenModal<QMessageBox>([&](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
    w->OpenQuestFile(WriteQuest("ask5.qst", "MsgBox \"Delete?\", \"T\", zotWarning+ZotYN+256, otvet\nend\n"));
    EXPECT_EQ(Var("otvet"), "7");
}

// ---- Saved games
// --------------------------------------------------------------------------------------------

TEST_F(Playing, SaveAndLoadGoThroughTheirDialogs) {
    auto* List1 = Find<QListWidget>("List1");
    const QString game = Path("game");
    QString saveTitle;
    QStringList saveFilters;
    bool saveMode = false;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        saveTitle = d->windowTitle();
        saveFilters = d->nameFilters();
        saveMode = d->acceptMode() == QFileDialog::AcceptSave;
        TypeFileName(d, game);
        static_cast<QDialog*>(d)->accept();
    });
    w->OpenQuestFile(WriteQuest(
        "save.qst", "gold=5\npln Saved here.\nbtn room, Go\nsave\nend\n:room\ngold=7\npln Room.\nend\n"));
    Settle();
    EXPECT_EQ(saveTitle, Q("Куда вы хотите сохраниться? "));
    EXPECT_EQ(saveFilters, QStringList({Q("Сохранения квестов (*.qsv)")}));
    EXPECT_TRUE(saveMode);
    ASSERT_TRUE(QFile::exists(game + ".qsv"));

    DoubleClick(List1, 0);
    Settle();
    EXPECT_EQ(Screen(), "Room. \n");
    EXPECT_EQ(Var("gold"), "7");

    QString loadTitle;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        loadTitle = d->windowTitle();
        TypeFileName(d, game + ".qsv");
        static_cast<QDialog*>(d)->accept();
    });
    ASSERT_TRUE(Find<QAction>("mFileLoadgame")->isEnabled());
    Find<QAction>("mFileLoadgame")->trigger();
    Settle();
    EXPECT_EQ(loadTitle, Q("Какое сохранение вы желаете загрузить? "));
    EXPECT_EQ(Screen(), "Saved here. \n");
    EXPECT_EQ(Items(List1), QStringList({"Go "}));
    EXPECT_EQ(Var("gold"), "5");
}

// ---- Opening quests
// -----------------------------------------------------------------------------------------

QStringList ShownRecent(frmMain& w) {
    QStringList out;
    for (QAction* a : w.findChild<QMenu*>("Histoti")->actions())
        if (a->objectName() == "mLast" && a->isVisible()) out << a->text();
    return out;
}

TEST_F(Playing, TheQuestDialogOpensAQuestAndCancellingLeavesTheGame) {
    const QString rooms = WriteQuest("rooms.qst", kRooms);
    w->OpenQuestFile(WriteQuest("other.qst", "pln Other.\nend\n"));
    Settle();

    QString title, suffix;
    QStringList filters;
    WhenModal<QFileDialog>([&](QFileDialog* d) {
        title = d->windowTitle();
        suffix = d->defaultSuffix();
        filters = d->nameFilters();
        d->reject();
    });
    w->mFileLoadquest_Click();
    Settle();
    EXPECT_EQ(title, Q("Какой квест вы хотите загрузить?"));
    EXPECT_EQ(suffix, "qst");
    EXPECT_EQ(filters, QStringList({Q("Все поддерживаемые типы квестов (*.qst *.qs1 *.qs3)"),
                                    Q("Незашифрованные квесты (*.qst)"), Q("Шифрованные квесты (*.qs1)"),
                                    Q("Сжатые квесты (*.qs3)")}));
    EXPECT_EQ(Screen(), "Other. \n");

    WhenModal<QFileDialog>([&](QFileDialog* d) {
        TypeFileName(d, rooms);
        static_cast<QDialog*>(d)->accept();
    });
    w->mFileLoadquest_Click();
    Settle();
    EXPECT_EQ(Screen(), "You stand at a door. \n");
    EXPECT_EQ(ShownRecent(*w).value(0), rooms);
}

TEST_F(Playing, OneDroppedFileOpensAndTwoAreIgnored) {
    const QString a = WriteQuest("a.qst", "pln A.\nend\n");
    const QString b = WriteQuest("b.qst", "pln B.\nend\n");
    auto drop = [&](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &enter);
        QDropEvent dropped(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.get(), &dropped);
        Settle();
    };
    drop({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
    EXPECT_EQ(Screen(), "");
    drop({QUrl::fromLocalFile(b)});
    EXPECT_EQ(Screen(), "B. \n");
    EXPECT_EQ(ShownRecent(*w), QStringList({b}));
}

TEST_F(Playing, TheRecentMenuKeepsItsOrderAndHidesDeletedQuests) {
    const QString q1 = WriteQuest("q1.qst", "pln 1\nend\n");
    const QString q2 = WriteQuest("q2.qst", "pln 2\nend\n");
    const QString q3 = WriteQuest("q3.qst", "pln 3\nend\n");
    for (const QString& q : {q1, q2, q3}) w->OpenQuestFile(q);
    EXPECT_EQ(ShownRecent(*w), QStringList({q3, q2, q1}));
    EXPECT_FALSE(Find<QAction>("mFileP5")->isVisible());

    // Opening a quest that is already in the list moves it to the top.
    w->OpenQuestFile(q1);
    EXPECT_EQ(ShownRecent(*w), QStringList({q1, q3, q2}));
    EXPECT_EQ(Screen(), "1 \n");

    // A click on an item opens it and moves it up.
    for (QAction* a : Find<QMenu>("Histoti")->actions())
        if (a->objectName() == "mLast" && a->text() == q2) a->trigger();
    Settle();
    EXPECT_EQ(Screen(), "2 \n");
    EXPECT_EQ(ShownRecent(*w), QStringList({q2, q1, q3}));

    // A deleted quest keeps its entry but its item is hidden at the next move.
    QFile::remove(q3);
    w->MoveRecentToTop(2);
    EXPECT_EQ(ShownRecent(*w), QStringList({q1, q2}));
    EXPECT_EQ(w->recent().Entry(3), q3.toStdString());
}

// ---- Runs that never end ----------------------------------------------------------------------------------

TEST_F(Playing, AnEndlessRunLetsThePlayerOpenAnotherQuest) {
    const QString b = WriteQuest("b.qst", "pln Quest B.\nend\n");
    w->OpenQuestFile(b);
    const QString loop = WriteQuest("loop.qst", ":a\nx=x+1\ngoto a\n");
    // The recent item of quest B is chosen while the loop runs: events still arrive.
    After(100, [&] {
        for (QAction* a : Find<QMenu>("Histoti")->actions())
            if (a->objectName() == "mLast" && a->text() == b) a->trigger();
    });
    w->OpenQuestFile(loop);
    Settle();
    EXPECT_EQ(Screen(), "Quest B. \n");
    EXPECT_FALSE(w->engine().Stopping());
}

TEST_F(Playing, ClosingTheWindowEndsEveryWaitAndAsksNothingMore) {
    // A pause whose button starts an anykey, then an input: three waits nested, all left when the window
    // closes, and the settings are written.
    const QString ini = Path("tarvik.ini");
    w->SetSettingsFile(ini.toStdString());
    auto* List1 = Find<QListWidget>("List1");
    auto* txtText = Find<QTextEdit>("txtText");
    auto* Text1 = Find<QLineEdit>("Text1");
    bool inputUp = false;
    After(100, [&] { DoubleClick(List1, 0); });
    After(200, [&] {
        txtText->setFocus();
        QTest::keyClick(txtText, 'a');
    });
    // The key ends the anykey at its next 100 ms tick; the input line is up well before the close.
    After(600, [&] {
        inputUp = Text1->isVisible();
        w->close();
    });
    w->OpenQuestFile(WriteQuest("nest.qst", "btn b, B\npause 30000\nend\n:b\nanykey k\ninput v\nend\n"));
    Settle();
    EXPECT_TRUE(inputUp);
    EXPECT_EQ(Var("k"), "97");
    EXPECT_TRUE(w->engine().Stopping());
    EXPECT_TRUE(QFile::exists(ini));

    // A dialog that the quest asks for once the window has closed is not shown: the answer is the one of a
    // box closed without a choice.
    bool shown = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            shown = true;
            d->done(QDialog::Rejected);
        }
    });
    poll.start();
    EXPECT_EQ(w->MessageBox("late", "T", 1), kAnswerCancel);
    EXPECT_FALSE(w->InputBox("late", "T").accepted());
    EXPECT_FALSE(w->SaveFileDialog("late", "*.qsv|*.qsv").accepted());
    EXPECT_FALSE(w->OpenFileDialog("late", "*.qsv|*.qsv", "").accepted());
    poll.stop();
    EXPECT_FALSE(shown);
}

TEST_F(Playing, AMessageBoxAskedForWhileTheWindowClosesIsNotShown) {
    // The window closes while the button's first statement waits; its second asks.
    bool shown = false;
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        shown = true;
        box->button(QMessageBox::Ok)->click();
    });
    w->OpenQuestFile(
        WriteQuest("late.qst", "xbtn go, {pause 20|MsgBox \"late\", \"t\", 0, v}, Go\nend\n:go\nend\n"));
    Settle();
    // Enter is sent straight to the list, so that nothing runs before the close is queued behind the choice.
    auto* List1 = Find<QListWidget>("List1");
    List1->setFocus();
    List1->setCurrentRow(0);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(List1, &enter);
    QMetaObject::invokeMethod(
        w.get(), [this] { w->close(); }, Qt::QueuedConnection);
    Settle();
    EXPECT_TRUE(w->engine().Stopping());
    EXPECT_FALSE(shown);
}

TEST_F(Playing, AnEndlessRunWithoutAssignmentsEndsWhenTheWindowCloses) {
    After(100, [&] { w->close(); });
    w->OpenQuestFile(WriteQuest("spin.qst", ":a\ngoto a\n"));
    EXPECT_TRUE(w->engine().Stopping());
    EXPECT_FALSE(m_TimedOut);
}

TEST_F(Playing, ALinkClickedInTheStoryKeepsTheTextAndClearsTheButtons) {
    std::string quest;
    for (int i = 0; i < 300; ++i) quest += "pln line " + std::to_string(i) + "\n";
    quest += "pln Go <b>[[in|hall]]</b>\nbtn hall, Plain\nend\n:hall\npln Hall\nend\n";
    w->OpenQuestFile(WriteQuest("link.qst", quest));
    Settle();
    auto* txtText = Find<StoryView>("txtText");
    auto* List1 = Find<QListWidget>("List1");
    ASSERT_EQ(List1->count(), 2);
    QTextCursor at(txtText->document());
    at.setPosition(static_cast<int>(Screen().indexOf("Go in")) + 4);
    txtText->setTextCursor(at);
    txtText->ensureCursorVisible();
    Settle();
    QTest::mouseClick(txtText->viewport(), Qt::LeftButton, {}, txtText->cursorRect(at).center());
    Settle();
    EXPECT_TRUE(Screen().startsWith("line 0 \n")) << Screen().toStdString();
    EXPECT_TRUE(Screen().endsWith("Go in \nHall \n")) << Screen().toStdString();
    EXPECT_EQ(List1->count(), 0);
    // The view shows what the choice printed, not the story's beginning.
    EXPECT_EQ(txtText->verticalScrollBar()->value(), txtText->verticalScrollBar()->maximum());
    EXPECT_GT(txtText->verticalScrollBar()->value(), 0);
}

}  // namespace
}  // namespace tarvik::shell::testing
