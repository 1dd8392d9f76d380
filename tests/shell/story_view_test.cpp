// The story view: a long story is shaped only where it is seen, yet every position, height and copy is what a
// fully laid out text would give.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <functional>
#include <random>

#include "shell/story_view.h"
#include "text/text.h"

namespace tarvik::shell {
namespace {

// Lines from..to-1 of a story, as the engine prints them (cp1251, CR LF); every seventh runs long enough to
// wrap.
std::string StoryLines(int from, int to) {
    std::string s;
    for (int k = from; k < to; ++k) {
        s += "Строка " + std::to_string(k) + ": текст";
        if (k % 7 == 0)
            for (int r = 0; r < 12; ++r) s += " и дальше длинный рассказ";
        s += "\r\n";
    }
    return text::Utf8ToCp1251(s);
}

QString Plain(const std::string& cp1251) {
    QString s = QString::fromStdString(text::Cp1251ToUtf8(cp1251));
    return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

class Story : public ::testing::Test {
protected:
    void SetUp() override {
        view.resize(400, 300);
        view.setReadOnly(true);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // Draws the view as the screen would: what is visible gets shaped.
    void Paint() {
        QCoreApplication::processEvents();
        (void)view.viewport()->grab();
    }

    StoryLayout& Layout() { return *view.storyLayout(); }

    // Every paragraph starts where the one before it ends, and a point inside a paragraph hits it.
    void ExpectContinuous() {
        QTextDocument* doc = view.document();
        const qreal margin = doc->documentMargin();
        qreal bottom = margin;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            const QRectF r = Layout().blockBoundingRect(b);
            ASSERT_DOUBLE_EQ(r.top(), bottom) << "paragraph " << b.blockNumber();
            // Its height is its own lines', not a guess left over from another paragraph.
            const QTextLayout* shape = b.layout();
            ASSERT_GT(shape->lineCount(), 0) << "paragraph " << b.blockNumber();
            const QTextLine lastLine = shape->lineAt(shape->lineCount() - 1);
            ASSERT_NEAR(r.height(), lastLine.y() + lastLine.height(), 1.0 / 32)
                << "paragraph " << b.blockNumber();
            const int hit = Layout().hitTest(QPointF(margin + 1, r.center().y()), Qt::FuzzyHit);
            ASSERT_GE(hit, b.position()) << "paragraph " << b.blockNumber();
            ASSERT_LT(hit, b.position() + b.length()) << "paragraph " << b.blockNumber();
            bottom = r.bottom();
        }
        EXPECT_DOUBLE_EQ(Layout().documentSize().height(), bottom + margin);
    }

    StoryView view;
};

TEST_F(Story, ALongStoryIsShapedOnlyWhereItIsSeen) {
    std::string all;
    for (int chunk = 0; chunk < 20; ++chunk) {
        const std::string lines = StoryLines(chunk * 1000, (chunk + 1) * 1000);
        view.AppendStory(lines, Qt::black);
        view.ScrollToEnd();
        all += lines;
    }
    Paint();
    EXPECT_EQ(view.toPlainText(), Plain(all));
    // A paragraph holds a screenful of lines, not one line.
    EXPECT_LE(view.document()->blockCount(), 20000 / 30);
    EXPECT_GE(view.document()->blockCount(), 20000 / 32);
    // A screenful or two for each time the view followed the end, out of some 650 paragraphs.
    EXPECT_LT(Layout().LaidOutCount(), 50);

    // The end is in view, exactly: the last line sits at the bottom and a click on it lands in it.
    const QScrollBar* bar = view.verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    const int lastLine = static_cast<int>(view.toPlainText().lastIndexOf(QString::fromUtf8("Строка 19999:")));
    QTextCursor at(view.document());
    at.setPosition(lastLine);
    const QRect last = view.cursorRect(at);
    EXPECT_TRUE(view.viewport()->rect().contains(last)) << last.y() << " in " << view.viewport()->height();
    EXPECT_NEAR(view.cursorForPosition(last.center() + QPoint(1, 0)).position(), lastLine, 1);

    // And so is the beginning, after a jump there.
    view.verticalScrollBar()->setValue(0);
    Paint();
    EXPECT_EQ(view.cursorForPosition(QPoint(1, 8)).position(), 0);
    EXPECT_LT(Layout().LaidOutCount(), 20);
}

TEST_F(Story, ShapingAParagraphAboveTheViewLeavesWhatIsReadInPlace) {
    view.AppendStory(StoryLines(0, 5000), Qt::black);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
    Paint();
    const int read = view.cursorForPosition(QPoint(20, 20)).position();
    // Paragraphs above the view are shaped when a cursor goes through them.
    QTextCursor c(view.document());
    c.movePosition(QTextCursor::Down, QTextCursor::MoveAnchor, 200);
    for (int n = 0; n < 40; n += 3) Layout().blockBoundingRect(view.document()->findBlockByNumber(n));
    Paint();
    EXPECT_EQ(view.cursorForPosition(QPoint(20, 20)).position(), read);
}

TEST_F(Story, ScrollingUpThroughUnseenPagesMovesTheTextByTheScrolledAmount) {
    view.AppendStory(StoryLines(0, 3000), Qt::black);
    view.ScrollToEnd();
    Paint();
    QScrollBar* bar = view.verticalScrollBar();
    for (int step = 0; step < 300 && bar->value() > 0; ++step) {
        const int read = view.cursorForPosition(QPoint(30, 60)).position();
        QTextCursor c(view.document());
        c.setPosition(read);
        const int before = view.cursorRect(c).top();
        // The scroll bar may move on its own as unseen paragraphs get their real heights; the text on screen
        // moves by what the player scrolled, no more.
        const int scrolled = std::min(40, bar->value());
        bar->setValue(bar->value() - 40);
        Paint();
        ASSERT_EQ(view.cursorRect(c).top(), before + scrolled) << "step " << step;
    }
}

TEST_F(Story, HeightsAddUpWhateverOrderParagraphsAreShapedIn) {
    view.AppendStory(StoryLines(0, 3000), Qt::black);
    std::vector<int> order(view.document()->blockCount());
    for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    order.resize(order.size() / 3);
    for (int n : order) Layout().blockBoundingRect(view.document()->findBlockByNumber(n));
    ExpectContinuous();
    EXPECT_GE(Layout().LaidOutCount(), static_cast<int>(order.size()));
}

// Every kind of change the document can go through leaves the heights adding up and the text intact.
TEST_F(Story, EveryKindOfChangeKeepsTheHeightsInStep) {
    struct Case {
        const char* name;
        std::function<void(StoryView&)> change;
    };
    const std::vector<Case> cases = {
        {"appended to the last line", [](StoryView& v) { v.AppendStory("tail", Qt::red); }},
        {"paragraphs inserted in the middle",
         [](StoryView& v) {
             QTextCursor c(v.document()->findBlockByNumber(10));
             c.insertText(QStringLiteral("one\ntwo\nthree\n"));
         }},
        {"paragraphs removed from the middle",
         [](StoryView& v) {
             QTextCursor c(v.document()->findBlockByNumber(5));
             c.setPosition(v.document()->findBlockByNumber(40).position(), QTextCursor::KeepAnchor);
             c.removeSelectedText();
         }},
        {"recoloured",
         [](StoryView& v) {
             QTextCursor c(v.document());
             c.select(QTextCursor::Document);
             QTextCharFormat f;
             f.setForeground(Qt::blue);
             c.mergeCharFormat(f);
         }},
        {"a larger font", [](StoryView& v) { v.setFont(QFont(v.font().family(), 20)); }},
        {"a narrower view", [](StoryView& v) { v.resize(250, 300); }},
        {"cleared and filled again",
         [](StoryView& v) {
             v.clear();
             v.AppendStory(StoryLines(0, 500), Qt::black);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.clear();
        view.AppendStory(StoryLines(0, 2000), Qt::black);
        view.ScrollToEnd();
        Paint();
        const int blocksBefore = view.document()->blockCount();
        c.change(view);
        Paint();
        ExpectContinuous();
        EXPECT_GT(view.document()->blockCount(), 0);
        EXPECT_LE(view.document()->blockCount(), blocksBefore + 3);
    }
}

TEST_F(Story, FullyShapedItIsAsTallAsQtsOwnLayoutMakesIt) {
    const std::string lines = StoryLines(0, 400);
    view.AppendStory(lines, Qt::black);
    QTextEdit plain;
    plain.setFont(view.font());
    plain.resize(view.size());
    plain.setPlainText(Plain(lines));
    plain.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
    ASSERT_EQ(plain.viewport()->width(), view.viewport()->width());
    Layout().LayOutTail(1e9);
    EXPECT_EQ(Layout().LaidOutCount(), view.document()->blockCount());
    EXPECT_NEAR(Layout().documentSize().height(), plain.document()->size().height(), 1.0);
}

TEST_F(Story, CopyingGivesTheStoryWithItsLineBreaks) {
    const std::string lines = StoryLines(0, 100);
    view.AppendStory(lines, Qt::black);
    view.selectAll();
    view.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), Plain(lines));
}

TEST_F(Story, AViewAtTheEndStaysThereWhenResized) {
    view.AppendStory(StoryLines(0, 2000), Qt::black);
    view.ScrollToEnd();
    Paint();
    for (const QSize size : {QSize(250, 200), QSize(600, 400)}) {
        view.resize(size);
        Paint();
        EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
        QTextCursor end(view.document());
        end.movePosition(QTextCursor::End);
        EXPECT_TRUE(view.viewport()->rect().contains(view.cursorRect(end))) << size.width();
    }
}

TEST_F(Story, LooksRulesPicturesAndLinksOfTheLaterDialect) {
    const QColor ink = view.palette().color(QPalette::Text);
    view.AppendStory("plain\r\n", ink);
    view.AppendStory("Title", ink, StoryLook{.align = 3, .heading = 1});
    view.AppendStory("\r\nGo ", ink);
    view.AppendStory("door", ink, StoryLook{.link = 7});
    view.AppendRule();
    QImage wide(2000, 500, QImage::Format_RGB32);
    wide.fill(Qt::red);
    view.AppendPicture(wide);
    view.AppendStory("after\r\n", ink, StoryLook{.bold = true, .italic = true});
    Paint();

    QTextDocument* doc = view.document();
    // The centred heading is a paragraph of its own, and the line break that ended it is not an empty line.
    EXPECT_TRUE(doc->toPlainText().startsWith(QStringLiteral("plain\nTitle\nGo door\n")))
        << doc->toPlainText().toStdString();
    const QTextBlock title = doc->findBlock(static_cast<int>(doc->toPlainText().indexOf("Title")));
    EXPECT_EQ(title.blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(title.next().blockFormat().hasProperty(QTextFormat::BlockAlignment), false);
    QTextCursor at(doc);
    at.setPosition(title.position() + 1);
    EXPECT_GT(at.charFormat().fontPointSize(), doc->defaultFont().pointSizeF());
    at.setPosition(static_cast<int>(doc->toPlainText().indexOf("after")) + 1);
    EXPECT_TRUE(at.charFormat().fontItalic() && at.charFormat().fontWeight() == QFont::Bold);

    // The picture is scaled down to the text's width, its shape kept.
    QTextBlock picture = doc->begin();
    while (picture.isValid() && !picture.text().contains(QChar::ObjectReplacementCharacter))
        picture = picture.next();
    ASSERT_TRUE(picture.isValid());
    const QRectF box = Layout().blockBoundingRect(picture);
    EXPECT_LE(box.width(), view.viewport()->width());
    EXPECT_NEAR(box.height(), box.width() / 4, 4);
    EXPECT_TRUE(picture.previous().blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth));
    ExpectContinuous();

    // A click on the link's caption chooses it; a click beside it does not.
    std::vector<int> clicked;
    QObject::connect(&view, &StoryView::LinkClicked, [&](int link) { clicked.push_back(link); });
    view.verticalScrollBar()->setValue(0);
    Paint();
    at.setPosition(static_cast<int>(doc->toPlainText().indexOf("door")) + 2);
    const QPoint onLink = view.cursorRect(at).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onLink);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(view.viewport()->width() - 5, onLink.y()));
    EXPECT_EQ(clicked, std::vector<int>{7});
}

}  // namespace
}  // namespace tarvik::shell
