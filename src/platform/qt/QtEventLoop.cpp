#include "platform/qt/QtEventLoop.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

namespace {

const QEvent::Type kPostedType = static_cast<QEvent::Type>(QEvent::registerEventType());

// A posted message on its way; deleting an undelivered event deletes its
// payload with it.
class CPostedEvent : public QEvent {
public:
    CPostedEvent(WindowId window, int message, std::unique_ptr<IPayload> payload)
        : QEvent(kPostedType), window(window), message(message), payload(std::move(payload)) {}
    WindowId window;
    int message;
    std::unique_ptr<IPayload> payload;
};

}  // namespace

CQtEventLoop::CQtEventLoop() = default;

CQtEventLoop::~CQtEventLoop() {
    for (auto& entry : m_timers) {
        delete entry.second;
    }
}

WindowId CQtEventLoop::AddWindow(IWindowHandler* handler) {
    const WindowId id = m_nextId++;
    m_handlers[id] = handler;
    return id;
}

void CQtEventLoop::RemoveWindow(WindowId window) {
    m_handlers.erase(window);
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->first.first == window) {
            it->second->deleteLater();
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

IWindowHandler* CQtEventLoop::FindHandler(WindowId window) const {
    const auto it = m_handlers.find(window);
    return it != m_handlers.end() ? it->second : nullptr;
}

void CQtEventLoop::Post(WindowId window, int message, std::unique_ptr<IPayload> payload) {
    QCoreApplication::postEvent(this, new CPostedEvent(window, message, std::move(payload)));
}

void CQtEventLoop::customEvent(QEvent* event) {
    if (event->type() != kPostedType) {
        return;
    }
    auto* posted = static_cast<CPostedEvent*>(event);
    if (IWindowHandler* handler = FindHandler(posted->window)) {
        handler->OnMessage(posted->message, std::move(posted->payload));
    }
}

bool CQtEventLoop::SetTimer(WindowId window, int timerId, int periodMs) {
    if (periodMs <= 0 || FindHandler(window) == nullptr) {
        return false;
    }
    QTimer*& timer = m_timers[{window, timerId}];
    if (timer == nullptr) {
        timer = new QTimer();
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, this, [this, window, timerId] {
            if (IWindowHandler* handler = FindHandler(window)) {
                handler->OnTimer(timerId);
            }
        });
    }
    timer->start(periodMs);
    return true;
}

void CQtEventLoop::KillTimer(WindowId window, int timerId) {
    const auto it = m_timers.find({window, timerId});
    if (it != m_timers.end()) {
        it->second->deleteLater();  // the timer may be the one firing now
        m_timers.erase(it);
    }
}

int CQtEventLoop::Run() {
    if (m_quitRequested) {
        return m_exitCode;
    }
    return QCoreApplication::exec();
}

void CQtEventLoop::Quit(int exitCode) {
    m_quitRequested = true;
    m_exitCode = exitCode;
    QCoreApplication::exit(exitCode);
}
