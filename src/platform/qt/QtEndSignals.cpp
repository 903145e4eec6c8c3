#include "platform/qt/QtEndSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <cerrno>

namespace {

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The pipe from the handler to the event loop; one per process.
int g_pipe[2] = {-1, -1};

extern "C" void OnEndSignal(int number) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    // Nothing but a write is safe here; a full pipe already holds a request.
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

bool MakePipe() {
    if (g_pipe[0] >= 0) {
        return true;
    }
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return false;
    }
    return true;
}

}  // namespace

CQtEndSignals::CQtEndSignals() = default;

CQtEndSignals::~CQtEndSignals() {
    Restore();
}

bool CQtEndSignals::Watch(std::function<void()> onEnd) {
    m_onEnd = std::move(onEnd);
    if (!m_onEnd) {
        Restore();
        return true;
    }
    if (m_installed) {
        return true;
    }
    if (!MakePipe()) {
        return false;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { OnReadable(); });
    struct sigaction action {};
    action.sa_handler = OnEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kEndSignals) {
        if (sigaction(number, &action, nullptr) != 0) {
            Restore();
            return false;
        }
    }
    m_installed = true;
    return true;
}

void CQtEndSignals::OnReadable() {
    char bytes[16];
    while (read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
    if (m_ending) {
        return;  // the close runs already
    }
    m_ending = true;
    // A close that hangs is ended by SIGALRM's default action; the handlers
    // stay, so that a second end signal can't cut the save short.
    alarm(kForceEndSeconds);
    if (m_onEnd) {
        m_onEnd();
    }
}

void CQtEndSignals::Restore() {
    if (!m_installed) {
        return;
    }
    // Once an end was asked for, the process is ending: signals that follow
    // while it tears down are ignored rather than let cut the end short,
    // and the alarm stays, so that a teardown that hangs still ends.
    for (const int number : kEndSignals) {
        signal(number, m_ending ? SIG_IGN : SIG_DFL);
    }
    m_notifier.reset();
    m_installed = false;
    m_ending = false;
}
