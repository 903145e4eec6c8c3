#pragma once

#include "foundation/Crit.h"

// Scoped hold of a CCrit, labelled with the operation that took it (for
// example "CDiskFile::Open") so that a stuck lock can be traced to its taker.
class CCritLock {
public:
    CCritLock(CCrit& crit, const char* operation) : m_crit(&crit), m_operation(operation) {
        m_crit->Enter();
        m_held = true;
    }
    CCritLock(const CCritLock&) = delete;
    CCritLock& operator=(const CCritLock&) = delete;
    ~CCritLock() { Release(); }

    // Leaves the lock before the end of the scope; later calls do nothing.
    void Release() {
        if (m_held) {
            m_held = false;
            m_crit->Leave();
        }
    }
    bool IsHeld() const { return m_held; }
    const char* GetOperation() const { return m_operation; }

private:
    CCrit* m_crit;
    const char* m_operation;
    bool m_held = false;
};
