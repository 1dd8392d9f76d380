// The fixed arrangement of the main window's controls, placed from the client area's size.
#include <QPainter>
#include <QPalette>

#include "shell/frmmain.h"

namespace tarvik::shell {

LineControl::LineControl(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    SetPoints(16, 0, 16, 0);
}

void LineControl::SetPoints(int x1, int y1, int x2, int y2) {
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    // The widget is just the line's bounding box, two pixels high for the etched look.
    int left = std::min(x1, x2), top = std::min(y1, y2);
    setGeometry(left, top, std::abs(x2 - x1) + 1, std::abs(y2 - y1) + 2);
    update();
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    int w = width() - 1;
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, 0, w, 0);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, 1, w, 1);
}

namespace {

// A size the control cannot take (negative) leaves its previous size.
void SetLeft(QWidget* w, int x) {
    w->move(x, w->y());
}
void SetTop(QWidget* w, int y) {
    w->move(w->x(), y);
}
void SetWidth(QWidget* w, int width) {
    if (width >= 0) w->resize(width, w->height());
}
void SetHeight(QWidget* w, int height) {
    if (height >= 0) w->resize(w->width(), height);
}

}  // namespace

void frmMain::Form_Resize() {
    if (!m_Client) return;
    const int SW = m_Client->width();
    const int SH = m_Client->height();

    SetLeft(lstItems, SW - 210);
    SetLeft(Combo1, SW - 210);
    SetLeft(Command1, SW - 35);
    int w = lstItems->isHidden() ? 0 : lstItems->width();
    if (w == 0) w = -3;
    SetWidth(txtText, SW - w - 20);
    SetWidth(Frame1, SW - w - 20);
    SetWidth(WB, Frame1->width());
    SetWidth(List1, SW - 17);
    Line1->SetPoints(Line1->x1(), Line1->y1(), List1->width(), Line1->y2());
    SetTop(List1, SH - 100);
    Line1->SetPoints(Line1->x1(), List1->y() - 8, Line1->x2(), List1->y() - 8);
    SetTop(Combo1, List1->y() - 40);
    SetTop(Command1, List1->y() - 40);
    SetHeight(lstItems, List1->y() - 40);
    SetHeight(txtText, List1->y() - 15);
    SetHeight(Frame1, List1->y() - 15);
    SetHeight(WB, Frame1->height());
    SetHeight(List1, 93);
    if (Text1->isHidden()) return;
    SetHeight(List1, 70);
    SetTop(List1, SH - 74);
    SetTop(Text1, SH - 101);
    SetWidth(Text1, List1->width());
}

}  // namespace tarvik::shell
