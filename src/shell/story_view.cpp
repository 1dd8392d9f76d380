#include "shell/story_view.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include "text/text.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tarvik::shell {

namespace {

// A width no story line reaches: lines that are not wrapped are laid out in it.
constexpr qreal kUnwrapped = 1e7;

// A paragraph ends at the first line break past either bound.
constexpr int kLinesPerParagraph = 32;
constexpr qsizetype kCharsPerParagraph = 4096;

// Qt lays out a word in time quadratic in its length: a word this long gets a break opportunity (a zero-width
// space) after every so many characters, so a quest printing a megabyte without a blank does not freeze the
// window. No real word comes near it.
constexpr int kLongestUnbrokenWord = 200;

// Code page 1251 to UTF-16, a unit per byte, and which bytes are blanks.
struct Cp1251Table {
    std::array<char16_t, 256> unit{};
    std::array<bool, 256> space{};
};
const Cp1251Table& Cp1251() {
    static const Cp1251Table table = [] {
        Cp1251Table t;
        for (int b = 0; b < 256; ++b) {
            const QString s =
                QString::fromStdString(text::Cp1251ToUtf8(std::string(1, static_cast<char>(b))));
            t.unit[b] = s.isEmpty() ? char16_t(0xFFFD) : s.at(0).unicode();
            t.space[b] = QChar(t.unit[b]).isSpace();
        }
        return t;
    }();
    return table;
}

}  // namespace

QSizeF StoryPictures::intrinsicSize(QTextDocument* doc, int, const QTextFormat& format) {
    const QImage image =
        doc->resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name())).value<QImage>();
    if (image.isNull()) return {};
    QSizeF size = image.size();
    const qreal width = doc->pageSize().width() - 2 * doc->documentMargin();
    if (width > 0 && size.width() > width) size = size.scaled(width, 1e9, Qt::KeepAspectRatio);
    return size;
}

void StoryPictures::drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int,
                               const QTextFormat& format) {
    const QImage image =
        doc->resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name())).value<QImage>();
    if (!image.isNull()) painter->drawImage(rect, image);
}

StoryLayout::StoryLayout(QTextDocument* doc) : QAbstractTextDocumentLayout(doc) {
    registerHandler(QTextFormat::ImageObject, new StoryPictures(this));
    Rebuild(doc->blockCount());
}

qreal StoryLayout::Margin() const {
    return document()->documentMargin();
}

qreal StoryLayout::LineWidth() const {
    const qreal page = document()->pageSize().width();
    return page > 0 ? std::max<qreal>(page - 2 * Margin(), 1) : -1;
}

StoryLayout::Units StoryLayout::Estimate(const QTextBlock& block) const {
    qreal lines = 1;
    if (m_Width > 0) {
        const qreal perLine = std::max<qreal>(1, std::floor(m_Width / m_CharWidth));
        lines = std::max<qreal>(1, std::ceil((block.length() - 1) / perLine));
    }
    return std::max<Units>(1, std::llround(lines * m_LineHeight * kUnit));
}

void StoryLayout::Rebuild(int count) {
    QTextDocument* doc = document();
    m_Width = LineWidth();
    m_Font = doc->defaultFont();
    const QFontMetricsF metrics(m_Font);
    m_LineHeight = std::max<qreal>(1, metrics.height());
    m_CharWidth = std::max<qreal>(1, metrics.averageCharWidth());
    m_Height.clear();
    m_Tree.assign(1, 0);
    m_Laid.assign(count, 0);
    for (QTextBlock b = doc->begin(); b.isValid() && static_cast<int>(m_Height.size()) < count;
         b = b.next()) {
        b.clearLayout();
        Append(Estimate(b));
    }
    while (static_cast<int>(m_Height.size()) < count) Append(std::llround(m_LineHeight * kUnit));
}

void StoryLayout::Append(Units height) {
    const size_t i = m_Height.size() + 1;
    const size_t low = i & (~i + 1);
    m_Height.push_back(height);
    m_Tree.push_back(height + Top(static_cast<int>(i - 1)) - Top(static_cast<int>(i - low)));
}

StoryLayout::Units StoryLayout::Top(int index) const {
    Units sum = 0;
    for (size_t i = static_cast<size_t>(std::max(index, 0)); i > 0; i &= i - 1) sum += m_Tree[i];
    return sum;
}

void StoryLayout::SetHeight(int index, Units height) const {
    const Units delta = height - m_Height[index];
    if (delta == 0) return;
    m_Height[index] = height;
    for (size_t i = static_cast<size_t>(index) + 1; i < m_Tree.size(); i += i & (~i + 1)) m_Tree[i] += delta;
}

int StoryLayout::IndexAt(Units y) const {
    const size_t n = m_Height.size();
    if (n == 0) return -1;
    size_t pos = 0;
    size_t step = 1;
    while (step * 2 <= n) step *= 2;
    for (; step > 0; step /= 2) {
        if (pos + step <= n && m_Tree[pos + step] <= y) {
            pos += step;
            y -= m_Tree[pos];
        }
    }
    return static_cast<int>(std::min(pos, n - 1));
}

StoryLayout::Units StoryLayout::LayOut(const QTextBlock& block) const {
    const int index = block.blockNumber();
    if (index < 0 || index >= static_cast<int>(m_Height.size())) return 0;
    QTextLayout* layout = block.layout();
    // The document may have dropped a shape on its own; the flag alone is not trusted.
    if (m_Laid[index] && layout->lineCount() > 0) return m_Height[index];
    QTextOption option = document()->defaultTextOption();
    const QTextBlockFormat format = block.blockFormat();
    if (format.hasProperty(QTextFormat::BlockAlignment)) option.setAlignment(format.alignment());
    option.setTextDirection(block.textDirection());
    const qreal width = m_Width > 0 ? m_Width : kUnwrapped;
    if (m_Width <= 0) option.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(option);
    layout->setPosition(QPointF(0, 0));
    qreal y = 0;
    layout->beginLayout();
    for (;;) {
        QTextLine line = layout->createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    m_Laid[index] = 1;
    const Units height = std::max<Units>(1, std::llround(y * kUnit));
    if (const Units old = m_Height[index]; height != old) {
        SetHeight(index, height);
        SizeChangedLater();
        if (!m_Drawing)
            emit HeightCorrected(static_cast<qreal>(Top(index)) / kUnit + Margin(),
                                 static_cast<qreal>(height - old) / kUnit);
    }
    return height;
}

// Heights corrected while drawing or hit-testing reach the scroll bars after that, not from inside a paint.
void StoryLayout::SizeChangedLater() const {
    if (m_SizeSignalQueued) return;
    m_SizeSignalQueued = true;
    auto* self = const_cast<StoryLayout*>(this);
    QMetaObject::invokeMethod(
        self,
        [self] {
            self->m_SizeSignalQueued = false;
            emit self->documentSizeChanged(self->documentSize());
        },
        Qt::QueuedConnection);
}

void StoryLayout::documentChanged(int from, int /*charsRemoved*/, int charsAdded) {
    QTextDocument* doc = document();
    const int count = doc->blockCount();
    const int old = static_cast<int>(m_Height.size());
    if (LineWidth() != m_Width || doc->defaultFont() != m_Font) {
        Rebuild(count);
    } else {
        QTextBlock first = doc->findBlock(from);
        if (!first.isValid()) first = doc->lastBlock();
        // Through the block holding what followed the change: a paragraph break inserted into a block splits
        // it, and the rest of it is a new block too.
        QTextBlock last = doc->findBlock(from + charsAdded);
        if (!last.isValid()) last = doc->lastBlock();
        const int i0 = first.blockNumber();
        const int i1 = std::max(i0, last.blockNumber());
        const int shift = count - old;
        // The blocks after the changed ones are the old blocks after the old changed ones.
        if (i0 < 0 || i0 > old || i1 + 1 - shift < i0 || (i1 + 1 < count && i1 + 1 - shift > old)) {
            Rebuild(count);
        } else if (i1 + 1 == count) {
            // The common case, text appended: only the tail of the tree is built again.
            const bool sameBlock = shift == 0 && i0 == i1;
            const Units kept = sameBlock ? m_Height[i0] : 0;
            m_Height.resize(i0);
            m_Tree.resize(i0 + 1);
            m_Laid.resize(i0);
            for (QTextBlock b = first; b.isValid(); b = b.next()) {
                b.clearLayout();
                Append(sameBlock ? std::max(kept, Estimate(b)) : Estimate(b));
                m_Laid.push_back(0);
            }
        } else {
            std::vector<Units> heights(count);
            std::vector<char> laid(count, 0);
            std::copy(m_Height.begin(), m_Height.begin() + i0, heights.begin());
            std::copy(m_Laid.begin(), m_Laid.begin() + i0, laid.begin());
            int i = i0;
            for (QTextBlock b = first; b.isValid() && i <= i1; b = b.next(), ++i) {
                b.clearLayout();
                // A change that keeps the blocks (a recolouring) keeps their heights as the best guess.
                heights[i] = shift == 0 ? m_Height[i] : Estimate(b);
            }
            for (i = i1 + 1; i < count; ++i) {
                heights[i] = m_Height[i - shift];
                laid[i] = m_Laid[i - shift];
            }
            m_Height.clear();
            m_Tree.assign(1, 0);
            for (Units h : heights) Append(h);
            m_Laid = std::move(laid);
        }
    }
    emit documentSizeChanged(documentSize());
    emit update();
}

QSizeF StoryLayout::documentSize() const {
    const qreal margin = Margin();
    const qreal width = m_Width > 0 ? m_Width + 2 * margin : document()->idealWidth();
    return {width, static_cast<qreal>(Top(static_cast<int>(m_Height.size()))) / kUnit + 2 * margin};
}

QRectF StoryLayout::frameBoundingRect(QTextFrame* frame) const {
    if (frame != document()->rootFrame()) return {};
    return {QPointF(0, 0), documentSize()};
}

QRectF StoryLayout::blockBoundingRect(const QTextBlock& block) const {
    if (!block.isValid() || block.document() != document()) return {};
    const int index = block.blockNumber();
    const Units height = LayOut(block);
    const qreal margin = Margin();
    const qreal width = m_Width > 0 ? m_Width : block.layout()->boundingRect().width();
    return {margin, margin + static_cast<qreal>(Top(index)) / kUnit, width,
            static_cast<qreal>(height) / kUnit};
}

int StoryLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const {
    QTextDocument* doc = document();
    const qreal margin = Margin();
    const Units y = std::llround((point.y() - margin) * kUnit);
    if (y < 0 && accuracy == Qt::ExactHit) return -1;
    const int index = IndexAt(std::max<Units>(y, 0));
    if (index < 0) return -1;
    const QTextBlock block = doc->findBlockByNumber(index);
    LayOut(block);
    const QTextLayout* layout = block.layout();
    const qreal localY = point.y() - margin - static_cast<qreal>(Top(index)) / kUnit;
    const qreal localX = point.x() - margin;
    if (layout->lineCount() == 0) return block.position();
    QTextLine line = layout->lineAt(layout->lineCount() - 1);
    for (int i = 0; i < layout->lineCount(); ++i) {
        if (localY < layout->lineAt(i).rect().bottom()) {
            line = layout->lineAt(i);
            break;
        }
    }
    if (accuracy == Qt::ExactHit &&
        (localY < 0 || localY >= line.rect().bottom() || localX < line.naturalTextRect().left() ||
         localX > line.naturalTextRect().right()))
        return -1;
    return block.position() + line.xToCursor(localX);
}

void StoryLayout::draw(QPainter* painter, const PaintContext& context) {
    QTextDocument* doc = document();
    const qreal margin = Margin();
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(0, 0, kUnwrapped, 1e12);
    int index = IndexAt(std::max<Units>(0, std::llround((clip.top() - margin) * kUnit)));
    if (index < 0) return;
    painter->save();
    painter->setPen(context.palette.color(QPalette::Text));
    m_Drawing = true;
    const int cursorWidth = property("cursorWidth").isValid() ? property("cursorWidth").toInt() : 1;
    Units top = Top(index);
    for (QTextBlock block = doc->findBlockByNumber(index); block.isValid(); block = block.next()) {
        const qreal y = margin + static_cast<qreal>(top) / kUnit;
        if (y > clip.bottom()) break;
        top += LayOut(block);
        const int start = block.position();
        const int end = start + block.length();
        QList<QTextLayout::FormatRange> ranges;
        for (const Selection& s : context.selections) {
            const int from = std::max(s.cursor.selectionStart(), start);
            const int to = std::min(s.cursor.selectionEnd(), end);
            if (from >= to) continue;
            QTextLayout::FormatRange range;
            range.start = from - start;
            range.length = to - from;
            range.format = s.format;
            ranges.append(range);
        }
        const QPointF at(margin, y);
        block.layout()->draw(painter, at, ranges, clip);
        if (block.blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) {
            const qreal middle = y + block.layout()->boundingRect().height() / 2;
            painter->drawLine(QPointF(margin, middle), QPointF(margin + std::max<qreal>(m_Width, 1), middle));
        }
        if (context.cursorPosition >= start && context.cursorPosition < end)
            block.layout()->drawCursor(painter, at, context.cursorPosition - start, cursorWidth);
    }
    m_Drawing = false;
    painter->restore();
}

void StoryLayout::LayOutTail(qreal height) const {
    const Units want = std::llround(height * kUnit);
    const Units before = Top(static_cast<int>(m_Height.size()));
    Units filled = 0;
    for (QTextBlock b = document()->lastBlock(); b.isValid() && filled < want; b = b.previous())
        filled += LayOut(b);
    if (Top(static_cast<int>(m_Height.size())) != before)
        emit const_cast<StoryLayout*>(this)->documentSizeChanged(documentSize());
}

void StoryLayout::LayOutSpan(qreal top, qreal height) const {
    const qreal margin = Margin();
    const int first = IndexAt(std::max<Units>(0, std::llround((top - margin) * kUnit)));
    if (first < 0) return;
    for (QTextBlock b = document()->findBlockByNumber(first); b.isValid(); b = b.next()) {
        if (margin + static_cast<qreal>(Top(b.blockNumber())) / kUnit > top + height) break;
        LayOut(b);
    }
}

int StoryLayout::LaidOutCount() const {
    return static_cast<int>(std::count(m_Laid.begin(), m_Laid.end(), 1));
}

StoryView::StoryView(QWidget* parent) : QTextEdit(parent) {
    auto* layout = new StoryLayout(document());
    document()->setDocumentLayout(layout);
    connect(layout, &StoryLayout::HeightCorrected, this, &StoryView::KeepInPlace);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &StoryView::LayOutView);
    viewport()->setMouseTracking(true);  // a link's caption shows the hand
}

// A paragraph that starts above the view and gets its real height (it scrolled into view from above, or a
// cursor passed through it) moves everything after it; the view moves with it, so that what the player reads
// stays where it is.
void StoryView::KeepInPlace(qreal top, qreal delta) {
    QScrollBar* bar = verticalScrollBar();
    if (top >= bar->value()) return;
    m_Shift += delta;
    const int whole = qRound(m_Shift);
    if (whole == 0) return;
    m_Shift -= whole;
    bar->setMaximum(bar->maximum() + whole);
    bar->setValue(bar->value() + whole);
}

// What comes into view is shaped before it is drawn, when the view can still move to keep it in place.
void StoryView::LayOutView() {
    StoryLayout* layout = storyLayout();
    if (m_Arranging || !layout) return;
    m_Arranging = true;
    for (int round = 0; round < 8; ++round) {
        const int value = verticalScrollBar()->value();
        layout->LayOutSpan(value, viewport()->height());
        if (verticalScrollBar()->value() == value) break;
    }
    m_Arranging = false;
}

StoryLayout* StoryView::storyLayout() const {
    return qobject_cast<StoryLayout*>(document()->documentLayout());
}

void StoryView::ScrollToEnd() {
    if (StoryLayout* layout = storyLayout()) layout->LayOutTail(viewport()->height());
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
    // The bottom margin too, as far as the view goes.
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

namespace {

// Qt's alignment for a story alignment; 0 for none.
Qt::Alignment AlignmentOf(int align) {
    switch (align) {
        case 1:
            return Qt::AlignLeft | Qt::AlignAbsolute;
        case 2:
            return Qt::AlignRight | Qt::AlignAbsolute;
        case 3:
            return Qt::AlignHCenter;
        default:
            return {};
    }
}

// The look of headings and HTML font sizes, against the story's own size.
constexpr qreal kHeadingScale[] = {2.0, 1.5, 1.17, 1.0, 0.83, 0.67};
constexpr qreal kSizeScale[] = {0.63, 0.82, 1.0, 1.13, 1.5, 2.0, 3.0};

}  // namespace

bool StoryView::StartAligned(int align) {
    const Qt::Alignment want = AlignmentOf(align);
    const QTextBlock last = document()->lastBlock();
    const QTextBlockFormat now = last.blockFormat();
    const Qt::Alignment has =
        now.hasProperty(QTextFormat::BlockAlignment) ? now.alignment() : Qt::Alignment();
    if (has == want) return false;
    QTextBlockFormat format;
    if (want) format.setAlignment(want);
    QTextCursor cursor = EndOfStory();
    if (document()->lastBlock().length() <= 1) {
        cursor.setBlockFormat(format);
        return false;
    }
    cursor.insertBlock(format, QTextCharFormat());
    return true;
}

QTextCursor StoryView::EndOfStory() {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // A paragraph begins where the line break stood: the break is not kept as an empty line.
    if (document()->lastBlock().text().endsWith(QChar::LineSeparator)) cursor.deletePreviousChar();
    return cursor;
}

void StoryView::AppendRule() {
    StartAligned(0);
    QTextCursor cursor = EndOfStory();
    QTextBlockFormat rule;
    rule.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                     QTextLength(QTextLength::PercentageLength, 100));
    if (document()->lastBlock().length() > 1)
        cursor.insertBlock(rule, QTextCharFormat());
    else
        cursor.setBlockFormat(rule);
    cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

void StoryView::AppendPicture(const QImage& image) {
    if (image.isNull()) return;
    const QString name = QStringLiteral("tarvik-picture:%1").arg(++m_Pictures);
    document()->addResource(QTextDocument::ImageResource, QUrl(name), image);
    StartAligned(0);
    QTextCursor cursor = EndOfStory();
    if (document()->lastBlock().length() > 1) cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    QTextImageFormat picture;
    picture.setName(name);
    cursor.insertImage(picture);
    cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
}

int StoryView::LinkAt(const QPoint& pos) const {
    const QString href = anchorAt(pos);
    static const QString kScheme = QStringLiteral("tarvik-link:");
    return href.startsWith(kScheme) ? href.mid(kScheme.size()).toInt() : 0;
}

void StoryView::mouseReleaseEvent(QMouseEvent* e) {
    QTextEdit::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton || textCursor().hasSelection()) return;
    if (const int link = LinkAt(e->position().toPoint())) emit LinkClicked(link);
}

void StoryView::mouseMoveEvent(QMouseEvent* e) {
    QTextEdit::mouseMoveEvent(e);
    if (LinkAt(e->position().toPoint()))
        viewport()->setCursor(Qt::PointingHandCursor);
    else
        viewport()->unsetCursor();
}

void StoryView::AppendStory(std::string_view cp1251, const QColor& colour, const StoryLook& look) {
    // A paragraph of another alignment begins where the line did: a line break there is the new paragraph.
    if (StartAligned(look.align) && !cp1251.empty() && (cp1251[0] == '\r' || cp1251[0] == '\n'))
        cp1251.remove_prefix(cp1251.size() > 1 && cp1251[0] == '\r' && cp1251[1] == '\n' ? 2 : 1);
    if (cp1251.empty()) return;
    // Where the last paragraph stands, read from the document itself, so that whatever cleared or filled it
    // last, the bounds hold.
    const QString tail = document()->lastBlock().text();
    qsizetype chars = tail.size();
    int lines = static_cast<int>(tail.count(QChar::LineSeparator));
    int word = 0;
    for (qsizetype i = tail.size(); i > 0 && word <= kLongestUnbrokenWord && !tail.at(i - 1).isSpace(); --i)
        ++word;

    const Cp1251Table& table = Cp1251();
    QString out(static_cast<qsizetype>(cp1251.size() + cp1251.size() / kLongestUnbrokenWord + 1),
                Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (size_t i = 0; i < cp1251.size(); ++i) {
        const auto c = static_cast<unsigned char>(cp1251[i]);
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < cp1251.size() && cp1251[i + 1] == '\n') ++i;
            if (lines + 1 >= kLinesPerParagraph || chars >= kCharsPerParagraph) {
                *to++ = QChar::ParagraphSeparator;
                lines = 0;
                chars = 0;
            } else {
                *to++ = QChar::LineSeparator;
                ++lines;
                ++chars;
            }
            word = 0;
            continue;
        }
        if (table.space[c]) {
            word = 0;
        } else if (++word > kLongestUnbrokenWord) {
            *to++ = 0x200B;
            word = 1;
            ++chars;
        }
        *to++ = table.unit[c];
        ++chars;
    }
    out.truncate(to - reinterpret_cast<const char16_t*>(out.constData()));
    QTextCharFormat format;
    format.setForeground(colour);
    if (look.bold || look.heading) format.setFontWeight(QFont::Bold);
    if (look.italic) format.setFontItalic(true);
    if (look.underline || look.link) format.setFontUnderline(true);
    const qreal scale = look.heading >= 1 && look.heading <= 6 ? kHeadingScale[look.heading - 1]
                        : look.size >= 1 && look.size <= 7     ? kSizeScale[look.size - 1]
                                                               : 1.0;
    if (scale != 1.0) {
        const QFont font = document()->defaultFont();
        if (font.pointSizeF() > 0)
            format.setFontPointSize(font.pointSizeF() * scale);
        else if (font.pixelSize() > 0)
            format.setProperty(QTextFormat::FontPixelSize, qRound(font.pixelSize() * scale));
    }
    if (look.link) {
        format.setAnchor(true);
        format.setAnchorHref(QStringLiteral("tarvik-link:%1").arg(look.link));
    }
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(out, format);
}

void StoryView::resizeEvent(QResizeEvent* e) {
    const QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->maximum() > 0 && bar->value() == bar->maximum();
    QTextEdit::resizeEvent(e);
    if (StoryLayout* layout = storyLayout(); atEnd && layout) {
        layout->LayOutTail(viewport()->height());
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    }
    LayOutView();
}

}  // namespace tarvik::shell
