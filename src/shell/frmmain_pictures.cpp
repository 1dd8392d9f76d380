// The main window as the host of the quest's look: picture slots over the controls, the background picture,
// the picture window, and the window size and colours of the style pass.
#include <QPainter>

#include "shell/frmmain.h"
#include "shell/screen_fit.h"
#include "text/text.h"

namespace tarvik::shell {

namespace {

// Positions a window system can hold; a quest's wilder numbers land at the edge.
int ClampPosition(int v) {
    return std::clamp(v, -32768, 32767);
}

// Colour values for "leave this colour": no window shows a value with bits above the 24 colour bits and
// without the system-colour bit.
constexpr int32_t kNoColour = 0x7FFFFFFF;

}  // namespace

PictureBox* frmMain::Image1(int i) const {
    return i >= 1 && i <= PictureModel::kSlots ? m_Image1[i - 1] : nullptr;
}

PictureBox* frmMain::SlotBox(int i) {
    if (i < 1 || i > PictureModel::kSlots) return nullptr;
    PictureBox*& box = m_Image1[i - 1];
    if (!box) {
        box = new PictureBox(m_Client, i);
        box->setObjectName("Image1");
        connect(box, &PictureBox::clicked, this, [this, i] { Post([this, i] { m_Engine->ClickSlot(i); }); });
    }
    return box;
}

Form1* frmMain::PictureWindow() {
    if (!m_Form1) {
        m_Form1 = new Form1(this);
        m_Form1->setWindowTitle(windowTitle());
        // The player's keys keep going to the buttons while the picture is looked at.
        connect(m_Form1, &Form1::activated, this, [this] {
            if (m_Closing) return;
            if (m_PictureByKeyboard) {
                m_PictureByKeyboard = false;
                return;
            }
            activateWindow();
            List1->setFocus();
        });
        connect(m_Form1, &Form1::leftByKeyboard, this, [this] {
            activateWindow();
            List1->setFocus();
        });
        connect(m_Form1->Picture1(), &PictureBox::pressed, this, [this](Qt::MouseButton b, QPointF at) {
            // The quest knows the three classic buttons only.
            const int button = b == Qt::LeftButton     ? 1
                               : b == Qt::RightButton  ? 2
                               : b == Qt::MiddleButton ? 4
                                                       : 0;
            if (button == 0) return;
            const double x = at.x() * kTwipsPerPixel, y = at.y() * kTwipsPerPixel;
            Post([this, button, x, y] { m_Engine->ClickImage(button, x, y); });
        });
        connect(m_Form1, &Form1::overlayClicked, this,
                [this](int i) { Post([this, i] { m_Engine->ClickOverlay(i); }); });
    }
    return m_Form1;
}

bool frmMain::SetPicture(PictureSpot spot, int index, const std::string& path) {
    if (m_Closing) return false;
    const QString file = QString::fromStdString(path);
    switch (spot) {
        case PictureSpot::Slot: {
            PictureBox* box = SlotBox(index);
            if (!box) return false;
            if (path.empty()) return box->Clear(), true;
            return box->Load(file);
        }
        case PictureSpot::Background: {
            if (path.empty()) {
                m_Background = QPixmap();
            } else {
                DecodedPicture d = DecodePicture(file);
                if (!d.ok()) return false;
                m_Background = d.movie ? QPixmap::fromImage(d.movie->currentImage()) : d.still;
            }
            m_Client->update();
            return true;
        }
        case PictureSpot::Main: {
            if (path.empty()) {
                if (m_Form1) m_Form1->Picture1()->Clear();
                return true;
            }
            PictureBox* main = PictureWindow()->Picture1();
            if (!main->Load(file)) return false;
            main->show();
            return true;
        }
        case PictureSpot::Overlay: {
            if (path.empty() && !m_Form1) return true;
            PictureBox* box = PictureWindow()->picture2(index);
            if (!box) return false;
            if (path.empty()) return box->Clear(), true;
            return box->Load(file);
        }
    }
    return false;
}

void frmMain::PlacePicture(PictureSpot spot, int index, int top, int left, bool visible) {
    if (m_Closing) return;
    PictureBox* box = nullptr;
    int x = left, y = top;
    if (spot == PictureSpot::Slot) {
        box = SlotBox(index);
    } else if (spot == PictureSpot::Overlay) {
        if (!visible && !m_Form1) return;
        box = PictureWindow()->picture2(index);
        // Overlays are placed in twips, like the classic picture window's own scale.
        x = left / kTwipsPerPixel;
        y = top / kTwipsPerPixel;
    }
    if (!box) return;
    box->move(ClampPosition(x), ClampPosition(y));
    box->setVisible(visible);
    // The quest places its pictures where the player is to see them, and the fixed layout leaves almost no
    // free surface: they lie over the controls.
    if (visible) box->raise();
}

void frmMain::ShowPictureWindow(bool visible, const std::string& caption, bool captionSet) {
    if (m_Closing) return;
    if (!visible) {
        if (m_Form1) m_Form1->hide();
        return;
    }
    Form1* f = PictureWindow();
    if (captionSet) f->setWindowTitle(QString::fromStdString(text::Cp1251ToUtf8(caption)));
    f->Picture1()->SetCaption(QString::fromStdString(text::Cp1251ToUtf8(caption)));
    // Shown first, so the window system's frame is known when the size is worked out.
    f->show();
    f->FitToPicture();
    f->raise();
}

void frmMain::SetFormSize(int heightTwips, int widthTwips) {
    if (heightTwips != 0) m_PendingLook.heightTwips = heightTwips;
    if (widthTwips != 0) m_PendingLook.widthTwips = widthTwips;
}

void frmMain::SetControlColours(bool hasFore, int32_t fore, bool hasBack, int32_t back) {
    if (hasFore) m_PendingLook.hasFore = true, m_PendingLook.fore = fore;
    if (hasBack) m_PendingLook.hasBack = true, m_PendingLook.back = back;
}

void frmMain::ApplyPendingLook() {
    const PendingLook look = m_PendingLook;
    m_PendingLook = {};
    if (m_Closing) return;
    // A size no screen could take is refused and the window keeps its size.
    const int h = look.heightTwips, w = look.widthTwips;
    // The quest's sizes are the window's outer ones, as the classic window's were.
    if (h > 0 && h <= kMaxWindowTwips)
        ResizeFrameWithinScreen(*this, QSize(frameGeometry().width(), h / kTwipsPerPixel));
    if (w > 0 && w <= kMaxWindowTwips)
        ResizeFrameWithinScreen(*this, QSize(w / kTwipsPerPixel, frameGeometry().height()));
    const QColor storyBack = txtText->palette().color(QPalette::Base);
    if (look.hasFore || look.hasBack)
        ApplyControlColours(look.hasFore ? look.fore : kNoColour, look.hasBack ? look.back : kNoColour);
    // The story's colours were mended against the old background; this runs inside a render, so the story
    // is drawn again once it is done.
    if (MendsColours() && txtText->palette().color(QPalette::Base) != storyBack)
        QMetaObject::invokeMethod(this, &frmMain::RedrawStory, Qt::QueuedConnection);
}

void frmMain::PaintBackground() {
    if (m_Background.isNull()) return;
    // Drawn once at the top left at its natural size, as the classic window drew its picture.
    QPainter p(m_Client);
    p.drawPixmap(0, 0, m_Background);
}

}  // namespace tarvik::shell
