#include "platform/qt/QtBackend.h"

#include <QGuiApplication>

#include "platform/qt/QtEndSignals.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtInstanceLock.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtWindowSystem.h"

CQtBackend::CQtBackend()
    : m_eventLoop(std::make_unique<CQtEventLoop>()),
      m_windowSystem(std::make_unique<CQtWindowSystem>(*m_eventLoop)),
      m_endSignals(std::make_unique<CQtEndSignals>()) {
    // The application ends when its main window has shut it down, not when
    // the last window happens to close.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    m_platform.eventLoop = m_eventLoop.get();
    m_platform.windowSystem = m_windowSystem.get();
    m_platform.createInstanceLock = [] { return std::make_unique<CQtInstanceLock>(); };
    m_platform.createSettingsStore = [] { return std::make_unique<CQtSettingsStore>(); };
    m_platform.watchEndRequests = [this](std::function<void()> onEnd) {
        return m_endSignals->Watch(std::move(onEnd));
    };
}

CQtBackend::~CQtBackend() = default;

void CQtBackend::SetMessageBoxTimeout(int ms) {
    m_windowSystem->SetMessageBoxTimeout(ms);
}
