#include "scene/SpacePainter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>

#include <glm/gtc/matrix_transform.hpp>

#include "foundation/ErrorReport.h"
#include "platform/Clock.h"
#include "scene/Angles.h"
#include "scene/AnimationList.h"
#include "scene/Direct3D.h"
#include "scene/Primitive.h"
#include "scene/Shapes.h"
#include "scene/VertexBuffer.h"

namespace {

// The status line: its margin from the view's sides, and its last line's
// top from the view's bottom.
constexpr int kStatusMargin = 12;
constexpr int kStatusFromBottom = 40;

double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

}  // namespace

CSpacePainter::CSpacePainter() {
    SetLightAngles(m_lightAzimuth, m_lightElevation);
}

CSpacePainter::~CSpacePainter() {
    if (m_device != nullptr) {
        m_device->SetHandler(nullptr);
        if (m_device->IsReady()) {
            m_device->MakeCurrent();
        }
    }
    m_animations.clear();
    m_picture = nullptr;
    m_axes = nullptr;
    m_owned.clear();
    m_firstList.reset();
    m_secondList.reset();
    m_direct3d.reset();
}

bool CSpacePainter::Fail(int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FailWithV(m_error, kSource, line, format, args);
    va_end(args);
    return false;
}

bool CSpacePainter::Init(IGlDevice* device, bool fullScreen) {
    if (device == nullptr) {
        return Fail(__LINE__, "Can't initialize Direct3D: %s", "no 3D view");
    }
    m_device = device;
    m_fullScreen = fullScreen;
    m_direct3d = std::make_unique<CDirect3D>(device, fullScreen);
    device->SetHandler(this);
    if (!device->IsReady()) {
        return true;  // OnGlCreated makes the device objects
    }
    device->MakeCurrent();
    if (!m_direct3d->Init()) {
        return Fail(__LINE__, "Can't initialize Direct3D: %s", m_direct3d->GetError());
    }
    SetClientSize(device->GetWidth(), device->GetHeight());
    return true;
}

void CSpacePainter::SetPictureFactory(int kind, PictureFactory factory) {
    m_factories[kind] = std::move(factory);
}

void CSpacePainter::OnGlCreated() {
    if (m_direct3d == nullptr) {
        return;
    }
    m_camera.SetClientSize(m_device->GetWidth(), m_device->GetHeight());
    if (!m_direct3d->IsCreated()) {
        if (!m_direct3d->Init()) {
            Fail(__LINE__, "Can't initialize Direct3D: %s", m_direct3d->GetError());
            return;
        }
        SetProjection();
        if (m_buildPending) {
            m_buildPending = false;
            if (!BuildPicture(m_kind)) {
                // The view still shows something: the empty scene with its
                // statistics, which tell what the device does.
                ReportError(kSource, __LINE__, "Can't create new picture in Space Painter: %s",
                            m_error.GetText());
                if (BuildPicture(18)) {
                    m_kind = 18;
                    m_showInfo = true;
                }
            }
        }
        return;
    }
    m_direct3d->OnContextCreated();
    m_dirty = true;
}

void CSpacePainter::OnGlLost() {
    // The context's objects go with it: buffers first, then the device's own.
    if (m_firstList != nullptr) {
        m_firstList->ReleaseDevice();
    }
    if (m_secondList != nullptr) {
        m_secondList->ReleaseDevice();
    }
    if (m_direct3d != nullptr) {
        m_direct3d->OnContextLost();
    }
}

void CSpacePainter::OnGlResize(int width, int height) {
    SetClientSize(width, height);
    m_dirty = true;
}

void CSpacePainter::OnGlDraw() {
    m_lastFrameOk = DrawFrame();
}

void CSpacePainter::OnGlFocusLost() {
    m_leftDown = m_rightDown = m_middleDown = false;
    if (m_picture != nullptr) {
        m_picture->OnFocusLost();
    }
}

void CSpacePainter::OnGlShown(bool shown) {
    m_enabled = shown;
    m_dirty = true;
}

void CSpacePainter::ShowInfo(bool on) {
    m_showInfo = on;
    m_dirty = true;
}

void CSpacePainter::SetClientSize(int width, int height) {
    m_camera.SetClientSize(width, height);
    SetProjection();
    SetCameraTransform();  // a narrower view may have moved the eye back
    m_dirty = true;
}

bool CSpacePainter::SetProjection() {
    if (m_direct3d != nullptr) {
        m_direct3d->SetTransform(CDirect3D::kProjection, m_camera.GetProjection());
    }
    return true;
}

bool CSpacePainter::SetCameraTransform() {
    if (m_direct3d != nullptr) {
        m_direct3d->SetTransform(CDirect3D::kView, m_camera.GetView());
    }
    m_dirty = true;
    return true;
}

bool CSpacePainter::SetWorldTransform() {
    // The turn about x first, then about y.
    m_world = glm::rotate(glm::mat4(1.0f), m_worldYaw * kRadiansPerDegree, glm::vec3(0, 1, 0)) *
              glm::rotate(glm::mat4(1.0f), m_worldPitch * kRadiansPerDegree, glm::vec3(1, 0, 0));
    if (m_direct3d != nullptr) {
        m_direct3d->SetTransform(CDirect3D::kWorld, m_world);
    }
    m_dirty = true;
    return true;
}

bool CSpacePainter::SetLightAngles(float azimuth, float elevation) {
    m_lightElevation = std::clamp(elevation, -90.0f, 90.0f);
    m_lightAzimuth = WrapDegrees(azimuth);
    const float e = m_lightElevation * kRadiansPerDegree;
    const float a = m_lightAzimuth * kRadiansPerDegree;
    m_lightDirection = glm::vec3(std::cos(e) * std::cos(a), std::sin(e), std::cos(e) * std::sin(a));
    return true;
}

bool CSpacePainter::SetLights(float intensity) {
    m_lightIntensity = intensity;
    SetLightAngles(m_lightAzimuth, m_lightElevation);
    if (m_direct3d == nullptr) {
        return true;
    }
    const float f = intensity;
    LIGHT light;
    light.type = LIGHT::kDirectional;
    light.diffuse = glm::vec4(f, f, f, 0.0f);
    light.specular = glm::vec4(1.0f);
    light.ambient = glm::vec4(0.0f);
    light.direction = glm::normalize(m_lightDirection);
    light.range = 1000.0f;
    light.attenuation = glm::vec3(1.0f, 0.0f, 0.0f);
    m_direct3d->SetLight(0, light);
    light.diffuse = glm::vec4(f / 2, f / 2, f / 2, 0.0f);
    light.direction = -light.direction;
    m_direct3d->SetLight(1, light);
    m_direct3d->EnableLight(0, !m_wireframe);
    m_direct3d->EnableLight(1, !m_wireframe);
    const uint32_t grey = m_wireframe ? 255u : static_cast<uint32_t>(std::lround(255.0 * 0.3 * f));
    m_direct3d->SetAmbient(0xFF000000u | grey << 16 | grey << 8 | grey);
    m_dirty = true;
    return true;
}

bool CSpacePainter::Zoom(float steps) {
    m_camera.Zoom(steps);
    return SetCameraTransform();
}

bool CSpacePainter::Pan(float dx, float dy) {
    m_camera.Pan(dx, dy);
    return SetCameraTransform();
}

bool CSpacePainter::ResetView() {
    m_camera.Reset();
    m_worldYaw = m_worldPitch = 0.0f;
    SetWorldTransform();
    m_dirty = true;
    return SetCameraTransform();
}

void CSpacePainter::SetOrbitLimit(float maxYaw, float maxPitch) {
    m_camera.SetOrbitLimit(maxYaw, maxPitch);
}

void CSpacePainter::SetWidestAspect(float aspect) {
    m_camera.SetWidestAspect(aspect);
    SetCameraTransform();
}

bool CSpacePainter::SetCamera(const glm::vec3& eye, const glm::vec3& lookAt, const glm::vec3& up,
                              float yaw, float pitch, float distance) {
    m_camera.SetCamera(eye, lookAt, up, yaw, pitch, distance);
    return SetCameraTransform();
}

bool CSpacePainter::GetCameraFrame(float frame[45]) const {
    m_camera.GetCameraFrame(frame);
    return true;
}

CPrimitive* CSpacePainter::AddToList(std::unique_ptr<CPrimitive> primitive, bool second) {
    CVertexBuffer* list = second ? m_secondList.get() : m_firstList.get();
    if (primitive == nullptr || list == nullptr) {
        return nullptr;
    }
    primitive->ForEach([this](CPrimitive& p) { p.SetScene(this); });
    CPrimitive* added = primitive.get();
    list->AddPrimitive(added);
    m_owned.push_back(std::move(primitive));
    return added;
}

void CSpacePainter::ReleaseLists() {
    if (m_firstList != nullptr) {
        m_firstList->ReleaseDevice();
    }
    if (m_secondList != nullptr) {
        m_secondList->ReleaseDevice();
    }
}

bool CSpacePainter::CreatePicture(int kind) {
    if (m_direct3d == nullptr) {
        return Fail(__LINE__, "Device is not created");
    }
    if (kind != 0) {
        m_kind = kind;
    }
    if (!CanBuild(m_kind)) {
        return false;
    }
    if (!m_direct3d->IsCreated()) {
        if (m_device != nullptr && !m_device->IsReady()) {
            m_buildPending = true;  // built as soon as the view has a context
            return true;
        }
        return Fail(__LINE__, "Device is not created");
    }
    m_device->MakeCurrent();
    return BuildPicture(m_kind);
}

bool CSpacePainter::CanBuild(int kind) {
    if (kind < kFirstKind || kind > kLastKind || kind == 13 || kind == 15) {
        m_error.Format("No picture of kind %d", kind);  // refused without a report
        return false;
    }
    if (kind != 18 && m_factories.count(kind) == 0) {
        return Fail(__LINE__, "Picture kind %d is not available in this build", kind);
    }
    return true;
}

bool CSpacePainter::BuildPicture(int kind) {
    ReleaseLists();
    m_animations.clear();
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        m_requests.clear();
    }
    m_picture = nullptr;
    m_axes = nullptr;
    m_owned.clear();
    m_firstList = std::make_unique<CVertexBuffer>(m_direct3d.get(), kListCapacity);
    m_secondList = std::make_unique<CVertexBuffer>(m_direct3d.get(), kListCapacity, true);
    m_currentKind = 0;
    auto axes = CShapes::Axes(m_direct3d.get(), m_firstList.get(), 3.0f);
    axes->ForEach([this](CPrimitive& p) { p.SetScene(this); });
    m_axes = axes.get();
    m_owned.push_back(std::move(axes));
    if (!CanBuild(kind)) {
        return false;
    }
    if (kind != 18) {
        m_picture = m_factories[kind](*this, *m_firstList);
        if (m_picture == nullptr) {
            return false;  // the factory left its reason in m_error
        }
    }
    if (!m_firstList->Upload()) {
        return Fail(__LINE__, "%s", m_firstList->GetError());
    }
    if (m_secondList->GetVertexCount() > 0 && !m_secondList->Upload()) {
        return Fail(__LINE__, "%s", m_secondList->GetError());
    }
    SetLights(1.0f);
    SetCameraTransform();
    SetWorldTransform();
    SetClientSize(m_device->GetWidth(), m_device->GetHeight());
    m_dirty = true;
    m_currentKind = kind;
    return true;
}

void CSpacePainter::SetErrorText(const char* text) {
    m_error = text;
}

double CSpacePainter::GetSceneTime() const {
    return Platform::GetClock().GetSeconds() - m_animationStart;
}

bool CSpacePainter::StartAnimation() {
    m_animationStart = Platform::GetClock().GetSeconds();
    m_animationTime = 0.0;
    m_animating = true;
    if (m_picture != nullptr) {
        m_picture->StartAnimation(0.0);
    }
    return true;
}

bool CSpacePainter::AddAnimation(CAnimationList* list) {
    if (!m_animating || list == nullptr || list->GetCount() == 0) {
        return false;
    }
    if (std::find(m_animations.begin(), m_animations.end(), list) == m_animations.end()) {
        m_animations.push_back(list);
    }
    return list->Start(GetSceneTime());
}

bool CSpacePainter::RemoveAnimation(CAnimationList* list) {
    const auto found = std::find(m_animations.begin(), m_animations.end(), list);
    if (found == m_animations.end()) {
        return false;
    }
    m_animations.erase(found);
    return true;
}

void CSpacePainter::RequestAnimation(CAnimationList* list) {
    std::lock_guard<std::mutex> lock(m_requestLock);
    m_requests.push_back(list);
}

void CSpacePainter::TakeRequests() {
    std::vector<CAnimationList*> requests;
    {
        std::lock_guard<std::mutex> lock(m_requestLock);
        requests.swap(m_requests);
    }
    for (CAnimationList* list : requests) {
        AddAnimation(list);
    }
}

bool CSpacePainter::Step() {
    TakeRequests();
    bool changed = false;
    const double now = GetSceneTime();
    if (m_animating) {
        for (size_t i = 0; i < m_animations.size();) {
            bool listChanged = false;
            m_animations[i]->Advance(now, listChanged);
            changed = changed || listChanged;
            if (m_animations[i]->IsFinished()) {
                m_animations.erase(m_animations.begin() + static_cast<long>(i));
            } else {
                ++i;
            }
        }
    }
    if (m_picture != nullptr) {
        m_picture->Animate(now, m_animationTime);
    }
    m_animationTime = now;
    return Render(changed);
}

bool CSpacePainter::Render(bool force) {
    if (!m_enabled) {
        m_dirty = false;
        return true;
    }
    if (!m_dirty && !force) {
        return true;
    }
    if (m_device == nullptr) {
        return Fail(__LINE__, "Device is not created");
    }
    m_dirty = true;  // until a frame is drawn
    m_lastFrameOk = true;
    m_device->RequestFrame();
    return m_lastFrameOk;
}

bool CSpacePainter::DrawList(CVertexBuffer& list, bool withAxes) {
    if (!list.IsUploaded()) {
        return true;
    }
    if (!list.Bind()) {
        return Fail(__LINE__, "%s", list.GetError());
    }
    if (withAxes && m_axes != nullptr && !m_axes->Draw()) {
        return Fail(__LINE__, "%s", m_axes->GetError());
    }
    CVarList<CPrimitive*>& primitives = list.GetPrimitives();
    for (int i = 0; i < primitives.GetCount(); ++i) {
        CPrimitive* primitive = *primitives.GetAt(i);
        if (!primitive->Draw()) {
            return Fail(__LINE__, "%s", primitive->GetError());
        }
    }
    return true;
}

bool CSpacePainter::DrawFrame() {
    if (m_direct3d == nullptr) {
        return false;
    }
    const double start = CpuMilliseconds();
    bool lost = false;
    const bool usable = m_direct3d->CheckDevice(lost);
    if (!usable && !m_device->IsReady()) {
        return false;  // no context yet: nothing is drawn, nothing reported
    }
    if ((!usable || lost) && m_kind != 0 && !BuildPicture(m_kind)) {
        return false;
    }
    if (!m_direct3d->IsCreated() || !m_direct3d->BeginFrame()) {
        return Fail(__LINE__, "Can't begin the scene: %s", m_direct3d->GetError());
    }
    m_direct3d->Clear(0xFF000000, 1.0f);
    // The world turn of the mouse applies to the whole frame.
    m_direct3d->SetTransform(CDirect3D::kWorld, m_world);
    m_direct3d->SetSceneWireframe(m_wireframe);
    m_direct3d->SetWireframe(m_wireframe);
    bool ok = m_firstList == nullptr || DrawList(*m_firstList, m_showAxes);
    ok = ok && (m_secondList == nullptr || DrawList(*m_secondList, false));
    if (ok && m_showInfo) {
        ok = DrawOverlay();
    }
    CCharString status;
    if (ok && m_picture != nullptr && m_picture->GetStatusText(status) && m_direct3d->BeginText()) {
        // A status longer than the view is wide goes on over more lines
        // upwards, never past the view's edge.
        m_direct3d->DrawWrappedText(kStatusMargin,
                                    std::max(0, m_camera.GetClientHeight() - kStatusFromBottom),
                                    m_camera.GetClientWidth() - 2 * kStatusMargin, status);
        m_direct3d->EndText();
    }
    const bool ended = m_direct3d->EndFrame();
    if (ok && !ended) {
        ok = Fail(__LINE__, "Can't present the scene: %s", m_direct3d->GetError());
    }
    m_dirty = false;
    m_renderTime += CpuMilliseconds() - start;
    ++m_frameCount;
    if (m_showInfo) {
        UpdateStatistics();  // shown by the next frame's overlay
    }
    if (m_frameListener) {
        m_frameListener();
    }
    return ok;
}

void CSpacePainter::UpdateStatistics() {
    if (m_frameCount >= 1000) {
        m_frameCount = 0;
        m_renderTime = 0.0;
    }
    if (m_frameCount >= 30) {
        if (m_renderTime > 0.0) {
            m_fps = static_cast<int>(std::lround(m_frameCount / (m_renderTime / 1000.0)));
        }
        m_lastRenderTime = static_cast<int>(std::lround(m_renderTime / m_frameCount));
        m_frameCount = 0;
        m_renderTime = 0.0;
    }
}

bool CSpacePainter::DrawOverlay() {
    const char degree = static_cast<char>(0xB0);
    CCharString line;
    m_info.Empty();
    m_info.Append(
        line.Format("World: %4.0f%c, %4.0f%c\n", m_worldYaw, degree, m_worldPitch, degree));
    m_info.Append(line.Format("View: %4.0f%c, %4.0f%c, %4.0f\n", m_camera.GetYaw(), degree,
                              m_camera.GetPitch(), degree, m_camera.GetDistance()));
    const glm::vec3 lookAt = m_camera.GetLookAt();
    m_info.Append(line.Format("Look at: %5.1f, %5.1f, %5.1f\n", lookAt.x, lookAt.y, lookAt.z));
    const glm::vec3 eye = m_camera.GetReferenceEye();
    m_info.Append(line.Format("Eye: %5.1f, %5.1f, %5.1f\n", eye.x, eye.y, eye.z));
    m_info.Append(line.Format("Light: % 4.0f%c, % 4.0f%c (%5.1f, %5.1f, %5.1f)\n", m_lightAzimuth,
                              degree, m_lightElevation, degree, m_lightDirection.x,
                              m_lightDirection.y, m_lightDirection.z));
    const int primitives = m_firstList != nullptr ? m_firstList->GetPrimitiveCount() : 0;
    const int vertices = m_firstList != nullptr ? m_firstList->GetVertexCount() : 0;
    m_info.Append(line.Format("Prim: %d, Vert: %d, RenderTime=%3d ms, FPS=%d\n", primitives,
                              vertices, m_lastRenderTime, m_fps));
    if (!m_direct3d->BeginText()) {
        return Fail(__LINE__, "%s", m_direct3d->GetError());
    }
    const bool drawn = m_direct3d->DrawText(3, 3, m_info);
    m_direct3d->EndText();
    return drawn || Fail(__LINE__, "%s", m_direct3d->GetError());
}

bool CSpacePainter::ToggleFullScreen() {
    m_fullScreen = !m_fullScreen;
    if (m_direct3d != nullptr && !m_direct3d->SetFullScreen(m_fullScreen)) {
        return Fail(__LINE__, "Can't set full screen: %s", m_direct3d->GetError());
    }
    return CreatePicture(0);
}

bool CSpacePainter::SetFade(float level) {
    if (m_firstList == nullptr) {
        return Fail(__LINE__, "No vertex buffer");
    }
    m_firstList->Refresh(0, m_firstList->GetVertexCount());
    SetLights(level);
    m_dirty = true;
    return true;
}

bool CSpacePainter::SetTransportState(int state) {
    m_transportState = state;
    return true;
}

bool CSpacePainter::OnGlKey(const KEY_EVENT& event) {
    if (m_keyHandler && m_keyHandler(event)) {
        return true;
    }
    return event.down && !event.repeat && event.key != 0 && OnKey(event.key, event.flags);
}

bool CSpacePainter::OnKey(int key, int flags) {
    if (m_picture != nullptr && m_picture->OnKey(key, flags)) {
        m_dirty = true;
        return true;
    }
    // Plain letters are the learner's notes: only their Ctrl forms act on
    // the scene.
    if ((flags & kFlagControl) == 0) {
        return false;
    }
    switch (key) {
        case 'C':
            m_showAxes = !m_showAxes;
            break;
        case 'L':
            m_showLines = !m_showLines;
            break;
        case 'V':
            m_showVertices = !m_showVertices;
            break;
        case 'R':
            m_rotate = !m_rotate;
            break;
        case 'T':
            m_showInfo = !m_showInfo;
            break;
        case 'W':
            m_wireframe = !m_wireframe;
            SetLights(m_lightIntensity);
            break;
        case kKeyPlus:
            Zoom(1.0f);
            break;
        case kKeyMinus:
            Zoom(-1.0f);
            break;
        default:
            return false;
    }
    m_dirty = true;
    return true;
}

bool CSpacePainter::OnMouse(const MOUSE_EVENT& event) {
    CPrimitive* picture = m_picture;
    switch (event.action) {
        case MouseAction::kDown:
            if (picture != nullptr &&
                picture->OnButtonDown(event.button, event.x, event.y, event.flags) &&
                event.button == MouseButton::kRight) {
                return true;
            }
            m_leftDown = m_leftDown || event.button == MouseButton::kLeft;
            m_rightDown = m_rightDown || event.button == MouseButton::kRight;
            m_middleDown = m_middleDown || event.button == MouseButton::kMiddle;
            m_lastMouseX = event.x;
            m_lastMouseY = event.y;
            return true;
        case MouseAction::kUp:
            if (picture != nullptr) {
                picture->OnButtonUp(event.button, event.x, event.y, event.flags);
            }
            m_leftDown = m_leftDown && event.button != MouseButton::kLeft;
            m_rightDown = m_rightDown && event.button != MouseButton::kRight;
            m_middleDown = m_middleDown && event.button != MouseButton::kMiddle;
            return true;
        case MouseAction::kDoubleClick:
            if (picture != nullptr &&
                picture->OnDoubleClick(event.button, event.x, event.y, event.flags)) {
                return true;
            }
            if (event.button == MouseButton::kRight) {
                SetLightAngles(0.0f, 0.0f);
                SetLights(1.0f);
            } else if (event.button == MouseButton::kMiddle) {
                m_worldYaw = m_worldPitch = 0.0f;
                SetWorldTransform();
            }
            return true;
        case MouseAction::kWheel:
            if (picture != nullptr && picture->OnMouseWheel(event.wheelDelta, event.flags)) {
                return true;
            }
            ApplyGesture(m_camera.Wheel(event.wheelDelta, event.flags));
            return true;
        case MouseAction::kMove:
            break;
    }
    if (picture != nullptr && picture->OnMouseMove(event.x, event.y, event.flags)) {
        return true;
    }
    if (m_lastMouseX != kNoMousePosition && (m_leftDown || m_rightDown)) {
        ApplyGesture(
            m_camera.Drag(event.x - m_lastMouseX, event.y - m_lastMouseY, event.flags, m_leftDown));
    }
    m_lastMouseX = event.x;
    m_lastMouseY = event.y;
    m_dirty = true;
    return true;
}

void CSpacePainter::ApplyGesture(const CCamera::GESTURE& gesture) {
    switch (gesture.kind) {
        case CCamera::GESTURE::kView:
            SetCameraTransform();
            break;
        case CCamera::GESTURE::kProjection:
            SetProjection();
            m_dirty = true;
            break;
        case CCamera::GESTURE::kWorldTurn:
            m_worldYaw += gesture.yaw;
            m_worldPitch += gesture.pitch;
            SetWorldTransform();
            break;
        case CCamera::GESTURE::kLightMove:
            SetLightAngles(m_lightAzimuth + gesture.yaw, m_lightElevation + gesture.pitch);
            SetLights(1.0f);
            break;
        case CCamera::GESTURE::kNone:
            break;
    }
}
