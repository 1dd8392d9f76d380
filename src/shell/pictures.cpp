#include "shell/pictures.h"

#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "shell/settings.h"

namespace tarvik::shell {

namespace {

// Room the classic window took around its picture for the border (width) and the caption bar (height).
constexpr int kBorderTwips = 97;
constexpr int kCaptionTwips = 335;

}  // namespace

DecodedPicture DecodePicture(const QString& path) {
    QImageReader::setAllocationLimit(kPictureAllocationMegabytes);
    DecodedPicture d;
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) return d;
    // The declared size is refused before any pixel is decoded; the allocation limit backs this up for
    // formats that only learn their size while decoding.
    const QSize declared = reader.size();
    if (declared.isValid() && static_cast<qint64>(declared.width()) * declared.height() * 4 >
                                  qint64(kPictureAllocationMegabytes) << 20)
        return d;
    if (reader.supportsAnimation() && reader.imageCount() != 1) {
        auto movie = std::make_unique<QMovie>(path, reader.format());
        if (movie->isValid() && movie->jumpToFrame(0) && !movie->currentImage().isNull()) {
            d.size = movie->currentImage().size();
            d.movie = std::move(movie);
            return d;
        }
        reader.setFileName(path);  // start over: the movie was not playable, the first frame may be
    }
    QImage image = reader.read();
    if (image.isNull()) return d;
    d.still = QPixmap::fromImage(image);
    d.size = image.size();
    return d;
}

PictureBox::PictureBox(QWidget* parent, int index) : QLabel(parent), m_Index(index) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAttribute(Qt::WA_TranslucentBackground);
    // Tab only: a mouse click leaves the keys where they were, with the buttons.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleDescription(QString::fromUtf8("Картинка: Enter или пробел щёлкает по ней"));
    hide();
}

void PictureBox::SetCaption(const QString& caption) {
    m_Caption = caption;
    UpdateName();
}

void PictureBox::UpdateName() {
    setAccessibleName(!m_Caption.isEmpty() ? m_Caption : m_FileName);
}

bool PictureBox::Load(const QString& path) {
    DecodedPicture d = DecodePicture(path);
    if (!d.ok()) return false;
    setMovie(nullptr);
    m_Movie.reset();
    if (d.movie) {
        m_Movie = std::move(d.movie);
        setMovie(m_Movie.get());
        m_Movie->start();
    } else {
        setPixmap(d.still);
    }
    m_Size = d.size;
    resize(m_Size);
    m_FileName = QFileInfo(path).fileName();
    UpdateName();
    return true;
}

void PictureBox::Clear() {
    setMovie(nullptr);
    m_Movie.reset();
    clear();
    m_Size = QSize();
    resize(0, 0);
    m_FileName.clear();
    UpdateName();
}

void PictureBox::mousePressEvent(QMouseEvent* e) {
    e->accept();
    // The second press of a double click, where Qt hands it over as a press of its own before the
    // double-click event, belongs to the click before.
    if (e->flags().testFlag(Qt::MouseEventCreatedDoubleClick)) {
        m_InDoubleClick = true;
        return;
    }
    m_InDoubleClick = false;
    emit pressed(e->button(), e->position());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
    if (m_InDoubleClick) {
        m_InDoubleClick = false;
        return;
    }
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* e) {
    // Not passed on as a press, which is what QWidget does with it.
    e->accept();
    m_InDoubleClick = true;
}

void PictureBox::keyPressEvent(QKeyEvent* e) {
    const int key = e->key();
    const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        e->accept();
        // What a mouse would do, at the one point that means the whole picture.
        if (!e->isAutoRepeat()) {
            emit pressed(Qt::LeftButton, QPointF(width() / 2.0, height() / 2.0));
            emit clicked();
        }
        return;
    }
    QLabel::keyPressEvent(e);
}

void PictureBox::paintEvent(QPaintEvent* e) {
    QLabel::paintEvent(e);
    if (!hasFocus()) return;
    // The picture has no frame of its own to show that it holds the keyboard, and the style's dotted focus
    // frame is lost on a picture: a frame in the highlight colour, on a light one so it shows on any picture.
    QPainter p(this);
    const QRectF frame = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    p.setPen(QPen(Qt::white, 3));
    p.drawRect(frame);
    p.setPen(QPen(palette().color(QPalette::Highlight), 1));
    p.drawRect(frame);
}

Form1::Form1(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName("Form1");
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_Picture1 = new PictureBox(this, 1);
    m_Picture1->setObjectName("Picture1");
    m_Picture1->move(0, 0);
    resize(200, 150);
}

PictureBox* Form1::picture2(int i) {
    if (i < kFirstOverlay || i > kLastOverlay) return nullptr;
    PictureBox*& box = m_Overlays[i - kFirstOverlay];
    if (!box) {
        box = new PictureBox(this, i);
        box->setObjectName("picture2");
        connect(box, &PictureBox::clicked, this, [this, i] { emit overlayClicked(i); });
    }
    return box;
}

void Form1::FitToPicture() {
    // The outer size is the picture plus the classic border and caption room; what the window system's own
    // frame does not take of that goes to the client area, which never gets smaller than the picture.
    const QSize picture = m_Picture1->pictureSize();
    const QSize outer = picture + QSize((kBorderTwips + kTwipsPerPixel / 2) / kTwipsPerPixel,
                                        (kCaptionTwips + kTwipsPerPixel / 2) / kTwipsPerPixel);
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(outer.expandedTo(picture + frame) - frame);
}

void Form1::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        emit leftByKeyboard();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool Form1::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) emit activated();
    return QWidget::event(e);
}

}  // namespace tarvik::shell
