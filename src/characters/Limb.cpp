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

void CLimb::Bend(const glm::vec3& root, const glm::vec3& target, const glm::vec3* hint, float upper,
                 float lower, const glm::vec3& along, glm::vec3& upperDirection,
                 glm::vec3& lowerDirection) {
    const glm::vec3 d = target - root;
    const float distance = glm::length(d);
    // The bend axis: across the reach and the hint, or the vertical.
    glm::vec3 axis = glm::cross(d, hint != nullptr ? target - *hint : kUp);
    if (glm::length(axis) < kTiny) {
        axis = glm::cross(d, glm::vec3(1.0f, 0.0f, 0.0f));
        if (glm::length(axis) < kTiny) {
            axis = glm::vec3(0.0f, 0.0f, 1.0f);
        }
    }
    axis = glm::normalize(axis);
    // A target on the root itself folds the limb along its upper direction.
    const glm::vec3 line = distance > kTiny ? d / distance : glm::normalize(along);
    const float reach = std::max(distance, kTiny);
    const float upperAngle = CornerAngle(upper, reach, lower);
    const float lowerAngle = CornerAngle(lower, reach, upper);
    // Turning against the axis bends the joint towards the hint.
    upperDirection = Turned(line, -upperAngle, axis);
    lowerDirection = Turned(line, lowerAngle, axis);
}

bool CLimb::Reach(const glm::vec3& target) {
    if (m_upper == nullptr || m_lower == nullptr) {
        return Fail(__LINE__, "Can't reach with limb %s: it has no segments", GetName());
    }
    const glm::vec3 root = GetRoot();
    if (glm::distance(target, root) > GetReach()) {
        Platform::WriteDebugOutput(m_failTrace);
        return false;
    }
    glm::vec3 upperDirection, lowerDirection;
    Bend(root, target, m_hasHint ? &m_hint : nullptr, m_upper->GetLength(), m_lower->GetLength(),
         m_upper->GetDirection(), upperDirection, lowerDirection);
    return m_upper->PointAt(root, upperDirection) &&
           m_lower->PointAt(root + upperDirection * m_upper->GetLength(), lowerDirection);
}
