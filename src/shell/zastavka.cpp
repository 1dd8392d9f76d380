#include "shell/zastavka.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace tarvik::shell {

Zastavka::Zastavka(QWidget* parent, int showMs)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Zastavka"));
    setWindowTitle(QStringLiteral("Тарвик"));
    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
    m_timer.setSingleShot(true);
    m_timer.setInterval(showMs);
    connect(&m_timer, &QTimer::timeout, this, &QWidget::close);
}

QSize Zastavka::sizeHint() const {
    return QSize(420, 260);
}

void Zastavka::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!m_open) {
        m_open = true;
        // Centred over the main window when it is up, over the screen otherwise.
        QRect area;
        if (parentWidget() && parentWidget()->isVisible())
            area = parentWidget()->frameGeometry();
        else if (QScreen* screen = QGuiApplication::primaryScreen())
            area = screen->availableGeometry();
        if (area.isValid()) move(area.center() - rect().center());
        m_timer.start();
        // It must hold the focus for losing it to close the window.
        activateWindow();
        setFocus();
    }
}

void Zastavka::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    if (!e->isAccepted() || !m_open) return;
    m_open = false;
    m_timer.stop();
    emit closed();
}

void Zastavka::mousePressEvent(QMouseEvent* e) {
    e->accept();
    close();
}

bool Zastavka::event(QEvent* e) {
    if (e->type() == QEvent::WindowDeactivate && m_open) {
        const bool handled = QWidget::event(e);
        close();
        return handled;
    }
    return QWidget::event(e);
}

void Zastavka::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = rect();

    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0, QColor(18, 24, 48));
    sky.setColorAt(1, QColor(58, 36, 28));
    p.fillRect(r, sky);
    p.setPen(QPen(QColor(200, 170, 110), 2));
    p.drawRect(r.adjusted(5, 5, -6, -6));

    // An open book with a lit candle beside it: a story waiting to be read.
    const QPointF c(r.width() * 0.23, r.height() * 0.58);
    QPainterPath left, right;
    left.moveTo(c.x(), c.y() - 38);
    left.cubicTo(c.x() - 30, c.y() - 52, c.x() - 60, c.y() - 46, c.x() - 78, c.y() - 40);
    left.lineTo(c.x() - 78, c.y() + 40);
    left.cubicTo(c.x() - 60, c.y() + 34, c.x() - 30, c.y() + 30, c.x(), c.y() + 44);
    left.closeSubpath();
    right = QTransform().translate(2 * c.x(), 0).scale(-1, 1).map(left);
    p.setPen(QPen(QColor(120, 90, 50), 2));
    p.setBrush(QColor(238, 224, 190));
    p.drawPath(left);
    p.drawPath(right);
    p.setPen(QPen(QColor(150, 130, 100), 1.2));
    for (int i = 0; i < 5; ++i) {
        const double y = c.y() - 24 + i * 13;
        p.drawLine(QPointF(c.x() - 66, y), QPointF(c.x() - 12, y + 4));
        p.drawLine(QPointF(c.x() + 12, y + 4), QPointF(c.x() + 66, y));
    }
    const QPointF candle(c.x() + 96, c.y() + 44);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 220, 200));
    p.drawRect(QRectF(candle.x() - 7, candle.y() - 56, 14, 56));
    QRadialGradient glow(candle + QPointF(0, -66), 30);
    glow.setColorAt(0, QColor(255, 210, 120, 160));
    glow.setColorAt(1, QColor(255, 210, 120, 0));
    p.setBrush(glow);
    p.drawEllipse(candle + QPointF(0, -66), 30, 30);
    QPainterPath flame;
    flame.moveTo(candle + QPointF(0, -80));
    flame.cubicTo(candle + QPointF(8, -68), candle + QPointF(6, -58), candle + QPointF(0, -57));
    flame.cubicTo(candle + QPointF(-6, -58), candle + QPointF(-8, -68), candle + QPointF(0, -80));
    p.setBrush(QColor(255, 200, 80));
    p.drawPath(flame);

    QFont title = font();
    title.setFamily(QStringLiteral("Serif"));
    title.setPointSizeF(30);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(236, 206, 140));
    const QRectF textArea(r.width() * 0.56, r.height() * 0.18, r.width() * 0.41, r.height() * 0.3);
    p.drawText(textArea, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Тарвик"));
    QFont sub = font();
    sub.setPointSizeF(11);
    p.setFont(sub);
    p.setPen(QColor(220, 210, 190));
    p.drawText(QRectF(textArea.left(), textArea.bottom() + 6, textArea.width(), 44),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Плеер текстовых квестов на языке Zot"));
    sub.setPointSizeF(9);
    p.setFont(sub);
    p.setPen(QColor(170, 160, 140));
    p.drawText(QRectF(textArea.left(), r.height() - 40, textArea.width(), 20), Qt::AlignLeft,
               QStringLiteral("версия ") + QStringLiteral(TARVIK_VERSION));
}

}  // namespace tarvik::shell
