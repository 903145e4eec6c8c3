#include "characters/Limb.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <glm/gtc/matrix_transform.hpp>

#include "characters/Segment.h"
#include "platform/DebugOutput.h"

namespace {

constexpr float kTiny = 1e-5f;
const glm::vec3 kUp(0.0f, 1.0f, 0.0f);

// The angle at the corner between sides a and b of a triangle whose third
// side is c, clamped for triangles that only just close.
float CornerAngle(float a, float b, float c) {
    const float cosine = (a * a + b * b - c * c) / (2.0f * a * b);
    return std::acos(std::clamp(cosine, -1.0f, 1.0f));
}

glm::vec3 Turned(const glm::vec3& direction, float radians, const glm::vec3& axis) {
    return glm::vec3(glm::rotate(glm::mat4(1.0f), radians, axis) * glm::vec4(direction, 0.0f));
}

}  // namespace

CLimb::CLimb(const char* name, CDirect3D* device, CVertexBuffer* buffer, const char* failTrace)
    : CPrimitive(name, device, buffer), m_failTrace(failTrace) {}

void CLimb::MakeSegments(const char* upperName, const char* lowerName, const glm::vec3& root,
                         const glm::vec3& direction, float upperLength, float lowerLength) {
    const glm::vec3 along = glm::normalize(direction);
    m_upper = static_cast<CSegment*>(AddChild(
        std::make_unique<CSegment>(upperName, m_device, m_buffer, root, along, upperLength)));
    m_lower = static_cast<CSegment*>(AddChild(std::make_unique<CSegment>(
        lowerName, m_device, m_buffer, root + along * upperLength, along, lowerLength)));
}

float CLimb::GetReach() const {
    return m_upper != nullptr ? m_upper->GetLength() + m_lower->GetLength() : 0.0f;
}

glm::vec3 CLimb::GetRoot() const {
    return m_upper->GetRoot();
}

glm::vec3 CLimb::GetJoint() const {
    return m_lower->GetRoot();
}

glm::vec3 CLimb::GetEnd() const {
    return m_lower->GetEnd();
}

bool CLimb::Reach(const glm::vec3& target) {
    if (m_upper == nullptr || m_lower == nullptr) {
        return Fail(__LINE__, "Can't reach with limb %s: it has no segments", GetName());
    }
    const glm::vec3 root = GetRoot();
    const glm::vec3 d = target - root;
    const float distance = glm::length(d);
    if (distance > GetReach()) {
        Platform::WriteDebugOutput(m_failTrace);
        return false;
    }
    // The bend axis: across the reach and the hint, or the vertical.
    glm::vec3 axis = glm::cross(d, m_hasHint ? target - m_hint : kUp);
    if (glm::length(axis) < kTiny) {
        axis = glm::cross(d, glm::vec3(1.0f, 0.0f, 0.0f));
        if (glm::length(axis) < kTiny) {
            axis = glm::vec3(0.0f, 0.0f, 1.0f);
        }
    }
    axis = glm::normalize(axis);
    const float upperLength = m_upper->GetLength();
    const float lowerLength = m_lower->GetLength();
    // A target on the root itself folds the limb along its current upper
    // direction.
    const glm::vec3 along = distance > kTiny ? d / distance : m_upper->GetDirection();
    const float reach = std::max(distance, kTiny);
    const float upperAngle = CornerAngle(upperLength, reach, lowerLength);
    const float lowerAngle = CornerAngle(lowerLength, reach, upperLength);
    // Turning against the axis bends the joint towards the hint.
    const glm::vec3 upperDirection = Turned(along, -upperAngle, axis);
    const glm::vec3 lowerDirection = Turned(along, lowerAngle, axis);
    return m_upper->PointAt(root, upperDirection) &&
           m_lower->PointAt(root + upperDirection * upperLength, lowerDirection);
}
