// SIGTERM and SIGHUP (the system shutting down, the terminal the player was started from closing, `kill`)
// end the player the way closing its window does, with the game and the settings kept. Nothing of that may
// run inside a signal handler: the handler writes the signal's number to a socket, and the event loop reads
// it and acts.
#pragma once

#include <QObject>
#include <QSocketNotifier>

namespace tarvik::shell {

class QuitSignals : public QObject {
    Q_OBJECT
public:
    // Handles the signals from now on; a SIGHUP the player was started to ignore (nohup) stays ignored.
    explicit QuitSignals(QObject* parent = nullptr);
    // The signals' default actions come back.
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

signals:
    void received(int signalNumber);

private:
    void Read();
    QSocketNotifier* m_Notifier = nullptr;
    bool m_HupHandled = false;
};

}  // namespace tarvik::shell
