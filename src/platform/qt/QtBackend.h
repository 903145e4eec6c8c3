#pragma once

#include <memory>

#include "platform/Platform.h"

class CQtEndSignals;
class CQtEventLoop;
class CQtWindowSystem;

// The Qt platform: needs a QApplication to exist for its whole life.
class CQtBackend {
public:
    CQtBackend();
    ~CQtBackend();

    const PLATFORM& GetPlatform() const { return m_platform; }
    void SetMessageBoxTimeout(int ms);

private:
    std::unique_ptr<CQtEventLoop> m_eventLoop;
    std::unique_ptr<CQtWindowSystem> m_windowSystem;
    std::unique_ptr<CQtEndSignals> m_endSignals;
    PLATFORM m_platform;
};
