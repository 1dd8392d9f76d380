// What the window does for players who cannot see it well: the story spoken by a screen reader, and quest
// colours that stay readable on the background they are drawn on.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace tarvik::shell {

// The contrast ratio of two colours (1 to 21) from their relative luminance, as the Web Content
// Accessibility Guidelines define both.
double ContrastRatio(const QColor& a, const QColor& b);

// Below this ratio a colour counts as unreadable on its background; a mended colour reaches kGoodContrast.
inline constexpr double kPoorContrast = 2.0;
inline constexpr double kGoodContrast = 4.5;

// `fore` as it should be drawn on `back`: unchanged when its contrast is kPoorContrast or more, otherwise
// lightened or darkened in the same hue, towards whichever of black and white lies further from the
// background, as little as reaches kGoodContrast.
QColor ReadableColour(const QColor& fore, const QColor& back);

// Has a screen reader speak a text now, while the keyboard focus stays where it is. An invisible widget of
// the window that the screen reader sees as a notification; it takes no room, no clicks and no focus.
class ScreenReaderVoice : public QWidget {
    Q_OBJECT
public:
    explicit ScreenReaderVoice(QWidget* parent);
    void Say(const QString& text);
    const QString& text() const { return m_Text; }

private:
    void Speak();
    QString m_Text;
    bool m_Waiting = false;  // for the application to become active
};

}  // namespace tarvik::shell
