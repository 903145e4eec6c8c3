#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

// Turns the signals by which the system asks a process to end (SIGTERM at
// logout, SIGHUP when its terminal closes, SIGINT for Ctrl+C) into a call on
// the user-interface thread, so that the application closes as if its window
// were closed and saves what it must. The handler only writes to a pipe.
// Signals that follow the first (a terminal and a timeout send them to the
// whole process group, often twice) are ignored while the close runs, so
// that it saves; a close that has not ended the process kForceEndSeconds
// after the first signal is ended by the system's alarm.
class CQtEndSignals : public QObject {
public:
    static constexpr unsigned kForceEndSeconds = 10;

    CQtEndSignals();
    ~CQtEndSignals() override;
    CQtEndSignals(const CQtEndSignals&) = delete;
    CQtEndSignals& operator=(const CQtEndSignals&) = delete;

    // Installs the handlers; onEnd runs on the thread of the event loop. An
    // empty onEnd gives the signals back their default action, or, once an
    // end was asked for, ignores them until the process ends. False when the
    // pipe or a handler can't be made.
    bool Watch(std::function<void()> onEnd);

private:
    void OnReadable();
    void Restore();

    std::function<void()> m_onEnd;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_installed = false;
    bool m_ending = false;  // the first signal was taken
};
