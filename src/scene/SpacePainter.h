#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <glm/glm.hpp>

#include "foundation/CharString.h"
#include "platform/GlDevice.h"
#include "scene/Camera.h"

class CAnimationList;
class CDirect3D;
class CNote;
class CPrimitive;
class CVertexBuffer;

// The 3D scene: the device, two primitive lists with their shared buffers,
// the current picture, the camera, two lights and the running animations.
// It builds pictures by kind number, passes mouse and keys to the picture
// and the camera, advances animations and draws frames when something
// changed.
class CSpacePainter : public IGlViewHandler {
public:
    static constexpr const char* kSource = "SpacePainter";
    static constexpr int kFirstKind = 1;
    static constexpr int kLastKind = 32;
    static constexpr int kListCapacity = 10000;

    // Builds a picture into the first list and returns it (null on failure,
    // with the reason in the scene's error); set by the subsystems that
    // provide the pictures.
    using PictureFactory = std::function<CPrimitive*(CSpacePainter& scene, CVertexBuffer& list)>;

    CSpacePainter();
    CSpacePainter(const CSpacePainter&) = delete;
    CSpacePainter& operator=(const CSpacePainter&) = delete;
    ~CSpacePainter() override;

    // Takes the device of the 3D view; the device objects are made as soon
    // as the view has a context.
    bool Init(IGlDevice* device, bool fullScreen = false);
    void SetPictureFactory(int kind, PictureFactory factory);
    // Sees every key of the view first; true takes the key (the owner plays
    // keys as notes this way).
    void SetKeyHandler(std::function<bool(const KEY_EVENT&)> handler) {
        m_keyHandler = std::move(handler);
    }
    bool CreatePicture(int kind);
    // Frame step, every 25 ms from a timer of the event loop: advances the
    // animations, animates the picture and draws when something changed.
    bool Step();
    bool Render(bool force);
    bool ToggleFullScreen();
    bool SetFade(float level);
    bool StartAnimation();
    bool AddAnimation(CAnimationList* list);
    bool RemoveAnimation(CAnimationList* list);
    // Thread-safe: the list is started by the next frame step.
    void RequestAnimation(CAnimationList* list);
    // The scene's own keys, all with Ctrl: C axes, L lines, V vertices,
    // R rotation, T statistics, W wireframe, = and - zoom. Plain keys are
    // left to the picture and the application.
    bool OnKey(int key, int flags);
    bool OnMouse(const MOUSE_EVENT& event);
    // Back to the picture's own camera, the world unturned.
    bool ResetView();
    // See CCamera::SetOrbitLimit and CCamera::SetWidestAspect.
    void SetOrbitLimit(float maxYaw, float maxPitch);
    void SetWidestAspect(float aspect);
    bool SetTransportState(int state);
    bool SetCamera(const glm::vec3& eye, const glm::vec3& lookAt, const glm::vec3& up, float yaw,
                   float pitch, float distance);
    // lookAt, eye, up and the corners of three rectangles across the
    // camera's field: 45 floats.
    bool GetCameraFrame(float frame[45]) const;
    bool SetLightAngles(float azimuth, float elevation);
    bool Zoom(float steps);
    bool Pan(float dx, float dy);
    void SetDirty() { m_dirty = true; }
    // Asks the view for a frame at once when something changed, instead of
    // waiting for the next frame step.
    void RequestFrameIfDirty() { Render(false); }
    // Called after every frame drawn, for those who measure what a frame
    // shows and when.
    void SetFrameListener(std::function<void()> listener) { m_frameListener = std::move(listener); }
    // For picture factories: the reason a picture could not be built.
    void SetErrorText(const char* text);

    // The picture owned by the first list; the scene keeps it alive until
    // the next picture.
    CPrimitive* AddToList(std::unique_ptr<CPrimitive> primitive, bool second = false);

    // IGlViewHandler
    void OnGlCreated() override;
    void OnGlLost() override;
    void OnGlResize(int width, int height) override;
    void OnGlDraw() override;
    bool OnGlMouse(const MOUSE_EVENT& event) override { return OnMouse(event); }
    bool OnGlKey(const KEY_EVENT& event) override;
    void OnGlFocusLost() override;
    void OnGlShown(bool shown) override;

    const char* GetError() const { return m_error; }
    const char* GetInfo() const { return m_info; }
    CDirect3D* GetDirect3D() const { return m_direct3d.get(); }
    CVertexBuffer* GetFirstList() const { return m_firstList.get(); }
    CVertexBuffer* GetSecondList() const { return m_secondList.get(); }
    CPrimitive* GetPicture() const { return m_picture; }
    int GetKind() const { return m_kind; }
    int GetCurrentKind() const { return m_currentKind; }
    bool IsDirty() const { return m_dirty; }
    bool IsAnimating() const { return m_animating; }
    int GetRunningAnimations() const { return static_cast<int>(m_animations.size()); }
    int GetFrameCount() const { return m_frameCount; }
    int GetFps() const { return m_fps; }
    int GetLastRenderTime() const { return m_lastRenderTime; }
    const CCamera& GetCamera() const { return m_camera; }
    float GetCameraDistance() const { return m_camera.GetDistance(); }
    float GetFovAngle() const { return m_camera.GetFovAngle(); }
    glm::vec3 GetEye() const { return m_camera.GetEye(); }
    glm::vec3 GetCameraUp() const { return m_camera.GetUp(); }
    float GetCameraYaw() const { return m_camera.GetYaw(); }
    float GetCameraPitch() const { return m_camera.GetPitch(); }
    glm::vec3 GetLightDirection() const { return m_lightDirection; }
    bool IsInfoShown() const { return m_showInfo; }
    void ShowInfo(bool on);
    bool IsAxesShown() const { return m_showAxes; }
    bool IsWireframe() const { return m_wireframe; }
    bool IsFullScreen() const { return m_fullScreen; }
    int GetClientWidth() const { return m_camera.GetClientWidth(); }
    int GetClientHeight() const { return m_camera.GetClientHeight(); }
    glm::mat4 GetProjection() const { return m_camera.GetProjection(); }
    glm::mat4 GetView() const { return m_camera.GetView(); }

private:
    // FailWith on the scene's error text.
    bool Fail(int line, const char* format, ...) NOTARA_PRINTF(3, 4);
    bool CanBuild(int kind);
    bool BuildPicture(int kind);
    void ReleaseLists();
    void SetClientSize(int width, int height);
    // Give the camera's matrices to the device.
    bool SetProjection();
    bool SetCameraTransform();
    void ApplyGesture(const CCamera::GESTURE& gesture);
    bool SetWorldTransform();
    bool SetLights(float intensity);
    bool DrawFrame();
    bool DrawList(CVertexBuffer& list, bool withAxes);
    bool DrawOverlay();
    void UpdateStatistics();
    double GetSceneTime() const;
    void TakeRequests();

    CCharString m_error;
    CCharString m_info;
    IGlDevice* m_device = nullptr;
    static constexpr int kNoMousePosition = 0x7FFFFFFF;
    int m_lastMouseX = kNoMousePosition;
    int m_lastMouseY = kNoMousePosition;
    float m_worldYaw = 0.0f;
    float m_worldPitch = 0.0f;
    float m_lightAzimuth = 130.0f;
    float m_lightElevation = -40.0f;
    float m_lightIntensity = 1.0f;
    glm::vec3 m_lightDirection{0.0f};
    CCamera m_camera;
    bool m_showLines = false;
    bool m_showVertices = false;
    bool m_rotate = false;
    bool m_showInfo = false;
    bool m_showAxes = false;
    bool m_wireframe = false;
    CPrimitive* m_axes = nullptr;
    bool m_fullScreen = false;
    double m_renderTime = 0.0;  // milliseconds since the last statistics update
    int m_frameCount = 0;
    int m_lastRenderTime = 0;
    int m_fps = 0;
    double m_animationTime = 0.0;
    bool m_enabled = true;
    bool m_leftDown = false;
    bool m_rightDown = false;
    bool m_middleDown = false;
    int m_kind = 0;
    int m_currentKind = 0;
    bool m_buildPending = false;
    std::vector<CAnimationList*> m_animations;
    double m_animationStart = 0.0;
    bool m_animating = false;
    std::unique_ptr<CDirect3D> m_direct3d;
    std::unique_ptr<CVertexBuffer> m_firstList;
    std::unique_ptr<CVertexBuffer> m_secondList;
    std::vector<std::unique_ptr<CPrimitive>> m_owned;
    bool m_dirty = true;
    CPrimitive* m_picture = nullptr;
    int m_transportState = 0;
    glm::mat4 m_world{1.0f};
    std::map<int, PictureFactory> m_factories;
    std::function<bool(const KEY_EVENT&)> m_keyHandler;
    std::function<void()> m_frameListener;
    std::mutex m_requestLock;  // guards m_requests
    std::vector<CAnimationList*> m_requests;
    bool m_lastFrameOk = true;
};
