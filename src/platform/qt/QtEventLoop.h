#pragma once

#include <QObject>

#include <map>
#include <mutex>

#include "platform/EventLoop.h"

class QTimer;

// The application's loop on Qt: posted messages travel as events to this
// object on the user-interface thread and are handed to their window there,
// so posting is safe from any thread and a message to a window that is gone
// is deleted unread.
class CQtEventLoop : public QObject, public IEventLoop {
    Q_OBJECT

public:
    CQtEventLoop();
    ~CQtEventLoop() override;

    WindowId AddWindow(IWindowHandler* handler) override;
    void RemoveWindow(WindowId window) override;
    void Post(WindowId window, int message, std::unique_ptr<IPayload> payload) override;
    bool SetTimer(WindowId window, int timerId, int periodMs) override;
    void KillTimer(WindowId window, int timerId) override;
    int Run() override;
    void Quit(int exitCode) override;

    // The handler of window, or null when it is gone.
    IWindowHandler* FindHandler(WindowId window) const;

protected:
    void customEvent(QEvent* event) override;

private:
    using TimerKey = std::pair<WindowId, int>;

    std::map<WindowId, IWindowHandler*> m_handlers;
    std::map<TimerKey, QTimer*> m_timers;
    WindowId m_nextId = 1;
    bool m_quitRequested = false;
    int m_exitCode = 0;
};
