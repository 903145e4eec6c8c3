#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

// Turns the signals by which the system asks a process to end (SIGTERM at
// logout, SIGHUP when its terminal closes, SIGINT for Ctrl+C) into a call on
// the user-interface thread, so that the application closes as if its window
// were closed and saves what it must. The handler only writes to a pipe. A
// second signal, once the first was taken, ends the process at once.
class CQtEndSignals : public QObject {
public:
    CQtEndSignals();
    ~CQtEndSignals() override;
    CQtEndSignals(const CQtEndSignals&) = delete;
    CQtEndSignals& operator=(const CQtEndSignals&) = delete;

    // Installs the handlers; onEnd runs on the thread of the event loop. An
    // empty onEnd gives the signals back their default action. False when
    // the pipe or a handler can't be made.
    bool Watch(std::function<void()> onEnd);

private:
    void OnReadable();
    void Restore();

    std::function<void()> m_onEnd;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_installed = false;
};
