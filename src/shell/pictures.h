// The quest's pictures in the window: a picture control that shows a still or animated picture file at its
// natural size, and the picture window Form1 with its main picture and overlays.
#pragma once

#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QPointF>
#include <QSize>
#include <QWidget>

#include <array>
#include <memory>

namespace tarvik::shell {

// Decoding never takes more than this much memory for one picture, so a hostile file that declares a huge
// size is refused instead of exhausting the machine.
inline constexpr int kPictureAllocationMegabytes = 64;

// A decoded picture file: a still picture, or an animation whose first frame has been read.
struct DecodedPicture {
    QPixmap still;
    std::unique_ptr<QMovie> movie;
    QSize size;
    bool ok() const { return !size.isEmpty(); }
};

// Reads a picture file by its content, whatever its name says. Nothing when the file is not a picture Qt's
// readers decode, or is larger than the allocation limit allows.
DecodedPicture DecodePicture(const QString& path);

// One picture control: shows its picture at the picture's natural size in logical pixels, and reports
// presses and clicks. A double click counts as one press and one click, as the classic controls counted it.
// It takes the keyboard focus with Tab; Enter or Space is a left click at its middle.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    PictureBox(QWidget* parent, int index);
    int index() const { return m_Index; }
    // False, with the old picture kept, when the file cannot be shown.
    // The accessible name becomes the file's name unless a caption was given.
    bool Load(const QString& path);
    // What a screen reader calls the picture; empty: the name of its file.
    void SetCaption(const QString& caption);
    void Clear();
    bool HasPicture() const { return !m_Size.isEmpty(); }
    QSize pictureSize() const { return m_Size; }

signals:
    void pressed(Qt::MouseButton button, QPointF at);
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void UpdateName();
    int m_Index;
    bool m_InDoubleClick = false;  // the second press of a double click is down: its release is no click
    QString m_FileName, m_Caption;
    QSize m_Size;
    std::unique_ptr<QMovie> m_Movie;
};

// The picture window: its main picture Picture1 at the top left and the overlays picture2 (2 to 101) over
// it. Not modal; hidden, never destroyed, when the quest closes it.
class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFirstOverlay = 2;
    static constexpr int kLastOverlay = 101;

    explicit Form1(QWidget* owner);
    PictureBox* Picture1() const { return m_Picture1; }
    // Overlay i (2..101), made on first use.
    PictureBox* picture2(int i);
    // Sizes the window to its main picture plus room for the border and the caption bar.
    void FitToPicture();

signals:
    void activated();
    void overlayClicked(int index);
    void leftByKeyboard();  // Escape: back to the main window

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    PictureBox* m_Picture1;
    std::array<PictureBox*, kLastOverlay - kFirstOverlay + 1> m_Overlays{};
};

}  // namespace tarvik::shell
