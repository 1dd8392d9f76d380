#include "shell/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>

namespace tarvik::shell {

namespace {

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

QColor WithLightness(const QColor& hsl, double lightness) {
    return QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), static_cast<float>(lightness), hsl.alphaF())
        .toRgb();
}

}  // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableColour(const QColor& fore, const QColor& back) {
    if (!fore.isValid() || !back.isValid() || ContrastRatio(fore, back) >= kPoorContrast) return fore;
    // Lightness moves every channel the same way for a fixed hue and saturation, so the contrast changes
    // monotonically along it and a bisection finds the smallest move that is enough.
    const QColor hsl = fore.toHsl();
    const bool darker = ContrastRatio(Qt::black, back) >= ContrastRatio(Qt::white, back);
    // Black or white gives at least 4.58 against any background, so the far end always reads well.
    double near = hsl.lightnessF(), far = darker ? 0.0 : 1.0;
    for (int i = 0; i < 24; ++i) {
        const double mid = (near + far) / 2;
        (ContrastRatio(WithLightness(hsl, mid), back) >= kGoodContrast ? far : near) = mid;
    }
    return WithLightness(hsl, far);
}

namespace {

class AccessibleVoice : public QAccessibleWidget {
public:
    explicit AccessibleVoice(ScreenReaderVoice* voice)
        : QAccessibleWidget(voice, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? static_cast<ScreenReaderVoice*>(widget())->text() : QString();
    }
};

QAccessibleInterface* VoiceFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(ScreenReaderVoice::staticMetaObject.className()))
        return new AccessibleVoice(static_cast<ScreenReaderVoice*>(object));
    return nullptr;
}

}  // namespace

ScreenReaderVoice::ScreenReaderVoice(QWidget* parent) : QWidget(parent) {
    static const bool installed = (QAccessible::installFactory(VoiceFactory), true);
    (void)installed;
    setObjectName("ScreenReaderVoice");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(0, 0, 1, 1);
    hide();
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_Waiting) Speak();
    });
}

void ScreenReaderVoice::Say(const QString& text) {
    if (text.isEmpty() || !QAccessible::isActive()) return;
    // Qt 6.4 has no announcement event, and a screen reader follows only the object with the focus, not
    // text that changes elsewhere. A change of the focused object's name or description does not carry the
    // new text on AT-SPI (Qt sends the object, and Orca speaks the event's data), but a notification that
    // appears is spoken by Orca with its name whatever has the focus: the text appears as one.
    m_Text = text;
    // Orca speaks for the application that has the active window only; the first page of a quest opened at
    // start-up is ready before the window is.
    m_Waiting = QGuiApplication::applicationState() != Qt::ApplicationActive;
    if (!m_Waiting) Speak();
}

void ScreenReaderVoice::Speak() {
    m_Waiting = false;
    hide();
    show();
}

}  // namespace tarvik::shell
