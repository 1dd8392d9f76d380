#include "shell/quit_signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace tarvik::shell {

namespace {

// [0] is written by the handler, [1] read by the event loop.
int g_Socket[2] = {-1, -1};

void OnSignal(int number) {
    const int saved = errno;
    const char byte = static_cast<char>(number);
    // A full socket already holds a signal the loop will act on.
    [[maybe_unused]] const ssize_t n = ::write(g_Socket[0], &byte, 1);
    errno = saved;
}

bool Handle(int number) {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(number, &action, nullptr) == 0;
}

void Default(int number) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(number, &action, nullptr);
}

}  // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (g_Socket[0] >= 0) return;  // one instance handles them
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_Socket) != 0) {
        g_Socket[0] = g_Socket[1] = -1;
        return;
    }
    m_Notifier = new QSocketNotifier(g_Socket[1], QSocketNotifier::Read, this);
    connect(m_Notifier, &QSocketNotifier::activated, this, [this] { Read(); });
    Handle(SIGTERM);
    struct sigaction old {};
    if (::sigaction(SIGHUP, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) m_HupHandled = Handle(SIGHUP);
}

QuitSignals::~QuitSignals() {
    if (!m_Notifier) return;
    Default(SIGTERM);
    if (m_HupHandled) Default(SIGHUP);
    delete m_Notifier;
    ::close(g_Socket[0]);
    ::close(g_Socket[1]);
    g_Socket[0] = g_Socket[1] = -1;
}

void QuitSignals::Read() {
    char bytes[16];
    const ssize_t n = ::read(g_Socket[1], bytes, sizeof bytes);
    for (ssize_t i = 0; i < n; ++i) emit received(bytes[i]);
}

}  // namespace tarvik::shell
