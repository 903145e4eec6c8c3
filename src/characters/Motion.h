#pragma once

#include <glm/glm.hpp>

// A point on its way from one place to another over a stretch of time,
// easing in and out so that a figure never jumps: where a hand, a finger
// or a stick is at any moment of a stroke.
class CMotion {
public:
    CMotion() = default;
    explicit CMotion(const glm::vec3& at) : m_from(at), m_to(at) {}

    // Goes from wherever the motion is at now to target, arriving after
    // duration seconds (at once for 0).
    void MoveTo(const glm::vec3& target, double now, double duration);
    // Where the motion is at now.
    glm::vec3 At(double now) const;
    bool IsOver(double now) const { return now >= m_start + m_duration; }
    const glm::vec3& GetTarget() const { return m_to; }

private:
    glm::vec3 m_from{0.0f};
    glm::vec3 m_to{0.0f};
    double m_start = 0.0;
    double m_duration = 0.0;
};
