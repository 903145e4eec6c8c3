#pragma once

#include <cfloat>

#include <glm/glm.hpp>

#include "platform/GlDevice.h"

// The scene's camera: it orbits a look-at point at a distance, turned by a
// yaw about the up vector and a pitch across it, and looks through a
// left-handed perspective of a field-of-view angle between near and far
// planes. View and projection are kept current with every change. It also
// maps mouse drags and wheel turns onto camera moves; the moves that are
// not the camera's (turning the world, moving the light) it hands back.
class CCamera {
public:
    static constexpr float kMinDistance = 0.1f;
    static constexpr float kMaxDistance = 100.0f;
    static constexpr float kMinFov = 1.0f;
    static constexpr float kMaxFov = 179.0f;
    // A pitch given as this is measured from eye, look-at point and up.
    static constexpr float kMeasurePitch = FLT_MAX;

    // What a mouse gesture changed, and the angles of a move the owner makes.
    struct GESTURE {
        enum Kind { kNone, kView, kProjection, kWorldTurn, kLightMove };
        Kind kind = kNone;
        float yaw = 0.0f;  // degrees, for a world turn or a light move
        float pitch = 0.0f;
    };

    CCamera();

    // The view's size in pixels; drags are measured against it.
    void SetClientSize(int width, int height);
    // A distance of 0 or less keeps the one from eye to look-at point.
    void SetCamera(const glm::vec3& eye, const glm::vec3& lookAt, const glm::vec3& up, float yaw,
                   float pitch, float distance);
    // The narrowest view, as width over height, that still shows the whole
    // width the camera was set up for; in a narrower view the eye moves back
    // so that nothing at the sides is cut off. 0 (the default) never moves it.
    void SetWidestAspect(float aspect);
    // How much further back the eye is for the view's shape (1 or more).
    float GetNarrowFactor() const;
    // Back to the camera last given to SetCamera, zoom and pan undone.
    void Reset();
    // Keeps the orbit of a left drag within maxYaw and maxPitch degrees of
    // the camera last given to SetCamera, so the picture can't be turned
    // into an unreadable slant; a limit of kNoLimit lets it turn freely.
    void SetOrbitLimit(float maxYaw, float maxPitch);
    static constexpr float kNoLimit = FLT_MAX;
    // Moves the eye a tenth of its distance closer per step, between the limits.
    void Zoom(float steps);
    // Moves eye and look-at point across the view.
    void Pan(float dx, float dy);
    // lookAt, eye, up and the corners of three rectangles across the
    // camera's field: 45 floats.
    void GetCameraFrame(float frame[45]) const;

    // A drag of dx, dy pixels with the left button (or else the right) and
    // the modifier keys of flags.
    GESTURE Drag(int dx, int dy, int flags, bool left);
    GESTURE Wheel(int delta, int flags);

    glm::vec3 GetEye() const { return m_actualEye; }
    glm::vec3 GetReferenceEye() const { return m_eye; }
    glm::vec3 GetLookAt() const { return m_lookAt; }
    glm::vec3 GetUp() const { return m_cameraUp; }
    float GetYaw() const { return m_yaw; }
    float GetPitch() const { return m_pitch; }
    float GetDistance() const { return m_distance; }
    float GetFovAngle() const { return m_fovAngle; }
    int GetClientWidth() const { return m_clientWidth; }
    int GetClientHeight() const { return m_clientHeight; }
    const glm::mat4& GetView() const { return m_view; }
    const glm::mat4& GetProjection() const { return m_projection; }

private:
    void UpdateView();
    void UpdateProjection();
    GESTURE LeftDrag(int dx, int dy, float yaw, float pitch, int flags);

    glm::vec3 m_lookAt{0.0f};
    glm::vec3 m_eye{0.0f, 0.0f, -10.0f};
    glm::vec3 m_actualEye{0.0f, 0.0f, -10.0f};
    glm::vec3 m_up{0.0f, 1.0f, 0.0f};
    glm::vec3 m_cameraUp{0.0f, 1.0f, 0.0f};
    float m_yaw = 180.0f;
    float m_pitch = 90.0f;
    // The camera SetCamera gave, which Reset returns to and the orbit
    // limits are measured from.
    struct HOME {
        glm::vec3 eye{0.0f, 0.0f, -10.0f};
        glm::vec3 lookAt{0.0f};
        glm::vec3 up{0.0f, 1.0f, 0.0f};
        float yaw = 180.0f;
        float pitch = 90.0f;
        float distance = 10.0f;
    } m_home;
    float m_widestAspect = 0.0f;
    float m_maxYaw = kNoLimit;
    float m_maxPitch = kNoLimit;
    float m_distance = 10.0f;
    float m_fovAngle = 20.0f;
    float m_nearPlane = 0.1f;
    float m_farPlane = 100.0f;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    glm::mat4 m_view{1.0f};
    glm::mat4 m_projection{1.0f};
};
