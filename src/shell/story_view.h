// The story text: a QTextEdit whose document lays out only the paragraphs somebody looks at.
//
// Qt's own document layout shapes every paragraph as it arrives, to know the document's exact height: a
// quest printing tens of thousands of lines spends twenty-odd microseconds a line in it, far more than the
// engine spends producing the line. StoryLayout instead keeps a height for every paragraph, an estimate from
// its length until the paragraph is drawn, hit or asked for, and the exact height after that. The sums of the
// heights live in a Fenwick tree, so the paragraph at a height and the height of a paragraph take logarithmic
// time, and appending a paragraph costs no shaping at all. Selection, copying, keys and the scroll bars stay
// QTextEdit's.
#pragma once

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QImage>
#include <QTextEdit>
#include <QTextObjectInterface>

#include <cstdint>
#include <string_view>
#include <vector>

namespace tarvik::shell {

// How a piece of the story looks beyond its colour (the family's later dialect's HTML and textalign).
struct StoryLook {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int align = 0;    // 0 as the story goes, 1 left, 2 right, 3 centre
    int heading = 0;  // h1..h6
    int size = 0;     // HTML font size 1..7
    int link = 0;     // the link a click on the text chooses

    bool operator==(const StoryLook&) const = default;
};

// Pictures in the story, drawn at most as wide as the text.
class StoryPictures : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument* doc, int pos, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int pos,
                    const QTextFormat& format) override;
};

class StoryLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    explicit StoryLayout(QTextDocument* doc);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // Lays out the last paragraphs until they fill `height`, so that a view scrolled to the end shows them
    // where they really are.
    void LayOutTail(qreal height) const;
    // Lays out the paragraphs that show between `top` and `top + height`.
    void LayOutSpan(qreal top, qreal height) const;
    // How many paragraphs have been shaped (for tests: the rest must not have been).
    int LaidOutCount() const;

signals:
    // A paragraph's estimated height was replaced by its real one.
    void HeightCorrected(qreal top, qreal delta) const;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    // Heights are kept in 1/64 pixel, so that sums stay exact however often a height is corrected.
    using Units = int64_t;
    static constexpr qreal kUnit = 64.0;

    qreal Margin() const;
    qreal LineWidth() const;
    Units Estimate(const QTextBlock& block) const;
    Units LayOut(const QTextBlock& block) const;  // shapes the block if it is not yet, returns its height
    void Rebuild(int count);                      // every block estimated again
    void SetHeight(int index, Units height) const;
    Units Top(int index) const;  // sum of the heights before the block
    int IndexAt(Units y) const;  // the block whose span holds y; the last for y past the end
    void Append(Units height);
    void SizeChangedLater() const;

    mutable std::vector<Units> m_Height;  // per block
    mutable std::vector<Units> m_Tree;    // Fenwick tree over m_Height, 1-based
    mutable std::vector<char> m_Laid;     // per block: shaped for the current width and font
    mutable bool m_SizeSignalQueued = false;
    bool m_Drawing = false;  // corrections made while drawing are not announced: the view cannot move then
    // What the estimates and shapes were made for: a change of either makes every one stale.
    qreal m_Width = -1;
    QFont m_Font;
    qreal m_LineHeight = 1, m_CharWidth = 1;
};

// The story text area. A line break of the story is a line separator inside a paragraph, and only every so
// many lines a paragraph ends: the document then keeps a paragraph per screenful rather than per line, and
// paragraphs were most of what appending a line cost. toPlainText() and copying give the separators as line
// breaks all the same. The view follows the end of the story as the classic text box did, also when the
// window is resized while it shows the end.
class StoryView : public QTextEdit {
    Q_OBJECT
public:
    explicit StoryView(QWidget* parent = nullptr);
    StoryLayout* storyLayout() const;
    // Shows the end of the story, exactly placed.
    void ScrollToEnd();
    // Appends story text (code page 1251; CR LF or a lone CR ends a line) in one colour and look.
    void AppendStory(std::string_view cp1251, const QColor& colour, const StoryLook& look = {});
    // A horizontal rule, and a picture, each on a line of its own.
    void AppendRule();
    void AppendPicture(const QImage& image);
    // The link whose caption is at `pos` in the viewport, or 0.
    int LinkAt(const QPoint& pos) const;

signals:
    // A link's caption was clicked.
    void LinkClicked(int link);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;

private:
    // Starts a paragraph aligned as `align` unless the last one is; true when one was started.
    bool StartAligned(int align);
    // A cursor at the end of the story, a line break that ends it taken away.
    QTextCursor EndOfStory();
    int m_Pictures = 0;  // pictures appended, naming their resources
    void KeepInPlace(qreal top, qreal delta);
    void LayOutView();
    bool m_Arranging = false;
    qreal m_Shift = 0;  // what the view has yet to move by, below a whole pixel
};

}  // namespace tarvik::shell
