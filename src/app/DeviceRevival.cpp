#include "app/DeviceRevival.h"

bool CDeviceRevival::OnStopped(double now) {
    if (m_lost) {
        return false;
    }
    m_lost = true;
    m_trying = false;
    m_failedTries = 0;
    // A server that ends is seldom back at once: the first try waits too.
    m_nextTry = now + kRetrySeconds;
    return true;
}

bool CDeviceRevival::TakeTry(double now) {
    if (!m_lost || m_trying || now < m_nextTry) {
        return false;
    }
    m_trying = true;
    m_tryStarted = now;
    return true;
}

bool CDeviceRevival::IsTryOverdue(double now) const {
    return m_trying && now - m_tryStarted >= kTryLimitSeconds;
}

bool CDeviceRevival::OnAnswer(bool opened, double now) {
    if (!m_trying) {
        return false;
    }
    m_trying = false;
    if (opened) {
        m_lost = false;
        return true;
    }
    ++m_failedTries;
    m_nextTry = now + kRetrySeconds;
    return false;
}

void CDeviceRevival::Reset() {
    *this = CDeviceRevival();
}
