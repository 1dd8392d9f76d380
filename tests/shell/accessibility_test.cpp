// The window for players who cannot see it well: accessible names, pictures from the keyboard, the pages
// the screen reader is given, zoom, and quest colours mended where they would be unreadable.
#include <QAccessible>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>

#include "frmmain_fixture.h"
#include "shell/accessibility.h"

namespace tarvik::shell::testing {
namespace {

QString AccessibleName(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString();
}

TEST(ReadableColour, UnreadableColoursAreMendedInTheirHueReadableOnesKept) {
    const QColor paleYellow(0xFF, 0xFF, 0xE1), black(Qt::black), white(Qt::white);
    struct Case {
        QColor fore, back;
        bool mended;
    } cases[] = {
        {QColor(0xC0, 0xC0, 0xC0), paleYellow, true},   // DOS colour 7, light grey
        {QColor(0xFF, 0xFF, 0x00), paleYellow, true},   // 14, yellow
        {white, paleYellow, true},                      // 15
        {QColor(0x00, 0x00, 0x80), black, true},        // dark blue on the black of a quest's own
        {QColor(0x00, 0x80, 0x00), paleYellow, false},  // green: 4.9 already
        {QColor(0x99, 0x99, 0x99), white, false},       // 2.8: poor but readable, left alone
        {black, paleYellow, false},
    };
    for (const Case& c : cases) {
        const QColor got = ReadableColour(c.fore, c.back);
        SCOPED_TRACE(c.fore.name().toStdString() + " on " + c.back.name().toStdString());
        EXPECT_EQ(got != c.fore, c.mended);
        if (!c.mended) continue;
        EXPECT_GE(ContrastRatio(got, c.back), kGoodContrast);
        EXPECT_LT(ContrastRatio(got, c.back), kGoodContrast + 0.1) << "moved no further than needed";
        if (c.fore.hslSaturation() > 0) {
            EXPECT_NEAR(got.hslHue(), c.fore.hslHue(), 1);
        }
    }
    EXPECT_NEAR(ContrastRatio(white, black), 21, 1e-9);
}

using AccessibilityTest = WindowTest;

TEST_F(AccessibilityTest, ControlsAndPicturesAreNamedInRussian) {
    const std::pair<const char*, const char*> names[] = {
        {"txtText", "Текст истории"},       {"List1", "Кнопки"},
        {"lstItems", "Инвентарь"},          {"Combo1", "Действие с предметом"},
        {"Command1", "Выполнить действие"}, {"Text1", "Ответ на вопрос"},
    };
    for (const auto& [control, name] : names) EXPECT_EQ(AccessibleName(Find<QWidget>(control)), Q(name));

    QImage(8, 6, QImage::Format_RGB32).save(Path("forest.png"));
    w->OpenQuestFile(WriteQuest("q.qst", "formpicture1 = \"" + Path("forest.png").toStdString() +
                                             "\"\npicture\nImage = \"forest.png\"\nImage2 = \"forest.png\"\n"
                                             "image_caption = \"Вид из окна\"\nend\n"));
    Settle();
    EXPECT_EQ(AccessibleName(w->Image1(1)), Q("forest.png"));
    EXPECT_EQ(AccessibleName(w->pictureWindow()->Picture1()), Q("Вид из окна"));
    EXPECT_EQ(AccessibleName(w->pictureWindow()->picture2(2)), Q("forest.png"));
}

TEST_F(AccessibilityTest, PicturesTakeTheFocusWithTabAndEnterOrSpaceClicksThem) {
    QImage(40, 20, QImage::Format_RGB32).save(Path("p.png"));
    w->OpenQuestFile(WriteQuest(
        "q.qst",
        "formpicture1 = \"" + Path("p.png").toStdString() +
            "\"\npicture\nImage = \"p.png\"\nImage2 = \"p.png\"\nbtn a, A\nend\n"
            ":form_image_click\nslot = slot + form_click1\nend\n"
            ":image_click\nmain = main + BMouse1\nover = over + BMouse2\nx = xmouse\ny = ymouse\nend\n"));
    Settle();
    auto* list = Find<QListWidget>("List1");
    list->setFocus();
    for (int i = 0; i < 12 && w->focusWidget() != w->Image1(1); ++i)
        QTest::keyClick(w->focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(w->focusWidget(), w->Image1(1));
    QTest::keyClick(w->Image1(1), Qt::Key_Return);
    Settle();
    EXPECT_EQ(Var("slot"), "1");

    // F6 takes the keyboard to the picture window, and keeps it there when the window becomes active.
    Form1* f = w->pictureWindow();
    QTest::keyClick(w.get(), Qt::Key_F6);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(f, &activate);
    Settle();
    EXPECT_EQ(f->focusWidget(), f->Picture1());
    QTest::keyClick(f->Picture1(), Qt::Key_Space);
    Settle();
    EXPECT_EQ(Var("main"), "1");
    double x = 0, y = 0;
    ASSERT_TRUE(w->engine().FindVariable("x")->ToNumber(x) && w->engine().FindVariable("y")->ToNumber(y));
    EXPECT_NEAR(x, 20 * 15 / 15.11, 1e-9) << "the middle of the picture";
    EXPECT_NEAR(y, 10 * 15 / 15.11, 1e-9);
    QTest::keyClick(f->Picture1(), Qt::Key_Tab);
    EXPECT_EQ(f->focusWidget(), f->picture2(2));
    QTest::keyClick(f->picture2(2), Qt::Key_Enter);
    Settle();
    EXPECT_EQ(Var("over"), "1");
    EXPECT_EQ(Var("main"), "1") << "a click on an overlay is no press on the main picture";
    QTest::keyClick(f->picture2(2), Qt::Key_Escape);
    EXPECT_EQ(w->focusWidget(), list);
}

TEST_F(AccessibilityTest, EachPageIsGivenToTheScreenReaderOnceWithTheQuestionThatOpensTheInputLine) {
    w->OpenQuestFile(WriteQuest("q.qst",
                                "pln Первая страница.\nbtn next, Дальше\nend\n"
                                ":next\npln Вторая страница.\npln Как вас зовут?\ninput name\n"
                                "cls\npln Привет, #name$!\nend\n"));
    Settle();
    EXPECT_EQ(w->lastPage(), Q("Первая страница."));
    // The first page stays on the screen; only what was added is spoken, the question with it.
    QString asked;
    After(50, [&] {
        asked = w->lastPage();
        auto* input = Find<QLineEdit>("Text1");
        input->insert("Ann");
        QTest::keyClick(input, Qt::Key_Return);
    });
    DoubleClick(Find<QListWidget>("List1"), 0);
    Settle();
    EXPECT_EQ(asked, Q("Вторая страница.\nКак вас зовут?"));
    EXPECT_EQ(w->lastPage(), Q("Привет, Ann!"));
}

TEST_F(AccessibilityTest, ZoomKeysScaleTheThreeFontsAndTheChosenSizesAreWhatIsSaved) {
    auto* story = Find<QTextEdit>("txtText");
    auto* list = Find<QListWidget>("List1");
    auto* items = Find<QListWidget>("lstItems");
    const ShellSettings before = w->CurrentSettings();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Equal, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Equal, Qt::ControlModifier);
    EXPECT_EQ(w->zoom(), 120);
    EXPECT_NEAR(story->font().pointSizeF(), before.font1.size * 1.2, 0.01);
    EXPECT_NEAR(list->font().pointSizeF(), before.font3.size * 1.2, 0.01);
    EXPECT_NEAR(items->font().pointSizeF(), before.font2.size * 1.2, 0.01);
    ShellSettings saved = w->CurrentSettings();
    EXPECT_EQ(saved.zoom, 120);
    EXPECT_EQ(saved.font1, before.font1) << "the zoom is kept apart from the chosen font";
    QTest::keyClick(list, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(w->zoom(), 110);
    QTest::keyClick(list, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(w->zoom(), 100);
    EXPECT_NEAR(story->font().pointSizeF(), before.font1.size, 0.01);
}

TEST_F(AccessibilityTest, UnreadableQuestColoursAreDrawnMendedButTheQuestKeepsItsValues) {
    w->OpenQuestFile(WriteQuest("q.qst", "Style_TextColor=16777215\npln Белый текст\nbtn a, A\nend\n"));
    Settle();
    auto* story = Find<QTextEdit>("txtText");
    auto colourOfStory = [&] {
        QTextCursor c(story->document());
        c.setPosition(2);
        return c.charFormat().foreground().color();
    };
    const QColor back = story->palette().color(QPalette::Base);
    ASSERT_LT(ContrastRatio(Qt::white, back), kPoorContrast) << "the normal mode's background is light";
    EXPECT_GE(ContrastRatio(colourOfStory(), back), kGoodContrast);
    EXPECT_EQ(Var("Style_TextColor"), "16777215");

    w->findChild<QAction*>("mExactColours")->trigger();
    EXPECT_EQ(colourOfStory(), QColor(Qt::white));
    w->findChild<QAction*>("mExactColours")->trigger();
    EXPECT_NE(colourOfStory(), QColor(Qt::white));
    // The DOS mode's black background needs no mending: the quest's white stays white.
    w->svet3_Click();
    w->OpenQuestFile(Path("q.qst"));
    Settle();
    EXPECT_EQ(colourOfStory(), QColor(Qt::white));
}

}  // namespace
}  // namespace tarvik::shell::testing
