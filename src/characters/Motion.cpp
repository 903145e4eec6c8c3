#include "characters/Motion.h"

#include <algorithm>

void CMotion::MoveTo(const glm::vec3& target, double now, double duration) {
    m_from = At(now);
    m_to = target;
    m_start = now;
    m_duration = std::max(duration, 0.0);
}

glm::vec3 CMotion::At(double now) const {
    if (m_duration <= 0.0 || now >= m_start + m_duration) {
        return m_to;
    }
    const double t = std::clamp((now - m_start) / m_duration, 0.0, 1.0);
    const float eased = static_cast<float>(t * t * (3.0 - 2.0 * t));
    return m_from + (m_to - m_from) * eased;
}
