#include "characters/Segment.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/constants.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace {

constexpr float kParallel = 1e-6f;

}  // namespace

CSegment::CSegment(const char* name, CDirect3D* device, CVertexBuffer* buffer,
                   const glm::vec3& root, const glm::vec3& direction, float length)
    : CPrimitive(name, device, buffer), m_length(length) {
    SetFrame(MakeFrame(root, direction));
}

glm::mat4 CSegment::MakeFrame(const glm::vec3& root, const glm::vec3& direction) {
    const glm::vec3 y = glm::normalize(direction);
    const glm::vec3 helper = std::fabs(y.z) < 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(1, 0, 0);
    const glm::vec3 x = glm::normalize(glm::cross(y, helper));
    const glm::vec3 z = glm::cross(x, y);
    glm::mat4 frame(1.0f);
    frame[0] = glm::vec4(x, 0.0f);
    frame[1] = glm::vec4(y, 0.0f);
    frame[2] = glm::vec4(z, 0.0f);
    frame[3] = glm::vec4(root, 1.0f);
    return frame;
}

glm::vec3 CSegment::GetDirection() const {
    return glm::normalize(glm::vec3(GetFrame()[1]));
}

bool CSegment::PointAt(const glm::vec3& root, const glm::vec3& direction) {
    const float length = glm::length(direction);
    if (length < kParallel) {
        return Fail(__LINE__, "Can't point segment %s along a null direction", GetName());
    }
    const glm::vec3 from = GetDirection();
    const glm::vec3 to = direction / length;
    const glm::vec3 origin = GetOrigin();
    glm::mat4 matrix = glm::translate(glm::mat4(1.0f), root);
    const glm::vec3 axis = glm::cross(from, to);
    const float sine = glm::length(axis);
    const float cosine = std::clamp(glm::dot(from, to), -1.0f, 1.0f);
    if (sine > kParallel) {
        matrix = glm::rotate(matrix, std::atan2(sine, cosine), axis / sine);
    } else if (cosine < 0.0f) {
        // Turned right round: any axis across the segment will do.
        matrix = glm::rotate(matrix, glm::pi<float>(), glm::vec3(GetFrame()[0]));
    }
    matrix = glm::translate(matrix, -origin);
    return Transform(matrix);
}

void CSegment::OnRewrite(const glm::mat4& matrix) {
    m_length *= glm::length(glm::mat3(matrix) * GetDirection());
}
