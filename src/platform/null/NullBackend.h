#pragma once

#include "platform/Platform.h"
#include "platform/null/NullEventLoop.h"
#include "platform/null/NullJournal.h"
#include "platform/null/NullWindowSystem.h"

// The whole null platform in one object, for tests: a stepped event loop,
// recorded windows and boxes, in-process instance locks, one journal.
class CNullBackend {
public:
    CNullBackend();

    const PLATFORM& GetPlatform() const { return m_platform; }
    CNullJournal& GetJournal() { return m_journal; }
    CNullEventLoop& GetEventLoop() { return m_eventLoop; }
    CNullWindowSystem& GetWindowSystem() { return m_windowSystem; }

private:
    CNullJournal m_journal;
    CNullEventLoop m_eventLoop;
    CNullWindowSystem m_windowSystem;
    PLATFORM m_platform;
};
