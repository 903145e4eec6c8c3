#include "scene/Camera.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "scene/Angles.h"

namespace {

constexpr float kZoomStep = 0.1f;       // of the distance
constexpr float kWheelNotch = 120.0f;   // wheel delta of one notch
constexpr float kPanPerPixel = 0.001f;  // of the distance
constexpr float kZoomPerPixel = -0.1f;  // steps; dragging down zooms out
constexpr float kHalfTurnDegrees = 180.0f;
constexpr float kSmallestTurn = 0.1f;  // degrees
constexpr float kTiny = 1e-6f;
constexpr int kFrameFloats = 45;

// Turns point about axis through center; tiny turns and points on the
// centre are left as they are.
glm::vec3 TurnPoint(const glm::vec3& point, const glm::vec3& center, const glm::vec3& axis,
                    float degrees) {
    if (std::fabs(degrees) < kSmallestTurn || glm::length(point - center) < kTiny ||
        glm::length(axis) < kTiny) {
        return point;
    }
    const glm::mat4 turn =
        glm::rotate(glm::mat4(1.0f), degrees * kRadiansPerDegree, glm::normalize(axis));
    return center + glm::vec3(turn * glm::vec4(point - center, 0.0f));
}

// The pitch of eye over lookAt measured from up, 90 degrees when undefined.
float PitchOf(const glm::vec3& eye, const glm::vec3& lookAt, const glm::vec3& up) {
    const glm::vec3 a = eye - lookAt;
    const float lengths = glm::length(a) * glm::length(up);
    if (lengths <= 0.0f) {
        return kHalfTurnDegrees / 2.0f;
    }
    return std::acos(std::clamp(glm::dot(a, up) / lengths, -1.0f, 1.0f)) / kRadiansPerDegree;
}

}  // namespace

CCamera::CCamera() {
    UpdateView();
}

void CCamera::SetClientSize(int width, int height) {
    m_clientWidth = width;
    m_clientHeight = height;
    UpdateProjection();
    UpdateView();  // a narrower view may need the eye further back
}

void CCamera::SetWidestAspect(float aspect) {
    m_widestAspect = aspect;
    UpdateView();
}

float CCamera::GetNarrowFactor() const {
    if (m_widestAspect <= 0.0f || m_clientWidth <= 0 || m_clientHeight <= 0) {
        return 1.0f;
    }
    const float aspect = static_cast<float>(m_clientWidth) / static_cast<float>(m_clientHeight);
    return std::max(1.0f, m_widestAspect / aspect);
}

void CCamera::UpdateProjection() {
    if (m_clientWidth <= 0 || m_clientHeight <= 0) {
        return;  // the previous projection stays
    }
    const float aspect = static_cast<float>(m_clientWidth) / static_cast<float>(m_clientHeight);
    m_projection =
        glm::perspectiveLH_NO(m_fovAngle * kRadiansPerDegree, aspect, m_nearPlane, m_farPlane);
}

void CCamera::UpdateView() {
    m_yaw = WrapDegrees(m_yaw);
    m_pitch = WrapDegrees(m_pitch);
    // Past the top the camera is upside down.
    m_cameraUp = m_pitch > 0.0f && m_pitch <= kHalfTurnDegrees ? m_up : -m_up;
    glm::vec3 side = glm::cross(m_cameraUp, m_lookAt - m_eye);
    if (glm::length(side) < kTiny) {
        side = glm::vec3(1.0f, 0.0f, 0.0f);
    }
    glm::vec3 eye = m_lookAt + glm::normalize(m_cameraUp) * (m_distance * GetNarrowFactor());
    eye = TurnPoint(eye, m_lookAt, side, m_pitch);
    eye = TurnPoint(eye, m_lookAt, m_cameraUp, m_yaw);
    m_actualEye = eye;
    m_view = glm::lookAtLH(eye, m_lookAt, m_cameraUp);
}

void CCamera::SetCamera(const glm::vec3& eye, const glm::vec3& lookAt, const glm::vec3& up,
                        float yaw, float pitch, float distance) {
    m_eye = eye;
    m_lookAt = lookAt;
    m_up = up;
    m_distance = glm::length(eye - lookAt);
    m_yaw = yaw;
    if (pitch == kMeasurePitch) {
        m_pitch = PitchOf(eye, lookAt, up);
    } else {
        m_pitch = pitch;
        if (distance > 0.0f) {
            m_distance = distance;
        }
    }
    m_home = HOME{m_eye, m_lookAt, m_up, m_yaw, m_pitch, m_distance};
    UpdateView();
}

void CCamera::Reset() {
    m_eye = m_home.eye;
    m_lookAt = m_home.lookAt;
    m_up = m_home.up;
    m_yaw = m_home.yaw;
    m_pitch = m_home.pitch;
    m_distance = m_home.distance;
    UpdateView();
}

void CCamera::SetOrbitLimit(float maxYaw, float maxPitch) {
    m_maxYaw = maxYaw;
    m_maxPitch = maxPitch;
}

void CCamera::Zoom(float steps) {
    const float distance = m_distance - m_distance * kZoomStep * steps;
    if (distance > kMinDistance) {
        m_distance = std::min(distance, kMaxDistance);
    }
    UpdateView();
}

void CCamera::Pan(float dx, float dy) {
    const glm::vec3 side = glm::cross(m_cameraUp, m_lookAt - m_actualEye);
    if (glm::length(side) < kTiny) {
        return;
    }
    const glm::vec3 move = glm::normalize(side) * dx + glm::normalize(m_cameraUp) * dy;
    m_lookAt += move;
    m_eye += move;
    UpdateView();
}

void CCamera::GetCameraFrame(float frame[kFrameFloats]) const {
    const float s = std::sin(m_fovAngle * kRadiansPerDegree / 2.0f);
    const float d = m_distance;
    const float r = m_clientHeight > 0 ? static_cast<float>(m_clientWidth) / m_clientHeight : 1.0f;
    const float h = s * d;
    const glm::vec3 fixed[3] = {m_lookAt, m_eye, m_up};
    int n = 0;
    for (const glm::vec3& v : fixed) {
        frame[n++] = v.x;
        frame[n++] = v.y;
        frame[n++] = v.z;
    }
    // Rectangles just before the look-at point, just behind it and far behind.
    const float depths[3] = {-h, h, 5.0f * h};
    for (float z : depths) {
        const float v = (d + z) * s;
        const float w = v * r;
        const float corners[4][2] = {{-w, v}, {w, v}, {-w, -v}, {w, -v}};
        for (const auto& corner : corners) {
            frame[n++] = corner[0];
            frame[n++] = corner[1];
            frame[n++] = z;
        }
    }
}

CCamera::GESTURE CCamera::Drag(int dx, int dy, int flags, bool left) {
    // A drag across the whole view turns a full circle.
    const float yaw =
        m_clientWidth >= 1 ? static_cast<float>(dx) / m_clientWidth * kFullTurnDegrees : 0.0f;
    const float pitch =
        m_clientHeight >= 1 ? static_cast<float>(dy) / m_clientHeight * kFullTurnDegrees : 0.0f;
    if (left) {
        return LeftDrag(dx, dy, yaw, pitch, flags);
    }
    GESTURE gesture;
    if (flags & kFlagAlt) {
        gesture.kind = GESTURE::kLightMove;
        gesture.yaw = yaw;
        gesture.pitch = pitch;
    }
    return gesture;
}

CCamera::GESTURE CCamera::LeftDrag(int dx, int dy, float yaw, float pitch, int flags) {
    GESTURE gesture;
    if (flags & kFlagShift) {
        const float scale = m_distance * kPanPerPixel;
        Pan(dx * scale, dy * scale);
        gesture.kind = GESTURE::kView;
    } else if (flags & kFlagControl) {
        Zoom(dy * kZoomPerPixel);
        gesture.kind = GESTURE::kView;
    } else if (flags & kFlagAlt) {
        gesture.kind = GESTURE::kWorldTurn;
        gesture.yaw = yaw;
        gesture.pitch = -pitch;
    } else {
        m_yaw += yaw;
        m_pitch -= pitch;
        if (m_maxYaw != kNoLimit) {
            m_yaw = std::clamp(m_yaw, m_home.yaw - m_maxYaw, m_home.yaw + m_maxYaw);
        }
        if (m_maxPitch != kNoLimit) {
            m_pitch = std::clamp(m_pitch, m_home.pitch - m_maxPitch, m_home.pitch + m_maxPitch);
        }
        UpdateView();
        gesture.kind = GESTURE::kView;
    }
    return gesture;
}

CCamera::GESTURE CCamera::Wheel(int delta, int flags) {
    GESTURE gesture;
    const float notches = delta / kWheelNotch;
    if (flags & kFlagShift) {
        m_fovAngle = std::clamp(m_fovAngle + notches, kMinFov, kMaxFov);
        UpdateProjection();
        gesture.kind = GESTURE::kProjection;
    } else {
        Zoom(notches);
        gesture.kind = GESTURE::kView;
    }
    return gesture;
}
