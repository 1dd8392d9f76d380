// The splash window shown beside the main window at start-up. It closes itself after a few seconds, on a
// mouse press, or when it loses the focus, and then says so, so the main window can give the focus to the
// button list.
#pragma once

#include <QTimer>
#include <QWidget>

namespace tarvik::shell {

class Zastavka : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMs = 3000;

    // A top-level, frameless window; `parent` only ties its lifetime (and stacking) to the main window.
    explicit Zastavka(QWidget* parent = nullptr, int showMs = kShowMs);

    QSize sizeHint() const override;
    const QTimer& Timer() const { return m_timer; }

signals:
    // Emitted once each time the window closes, whatever closed it.
    void closed();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    bool event(QEvent* e) override;

private:
    QTimer m_timer;
    bool m_open = false;
};

}  // namespace tarvik::shell
