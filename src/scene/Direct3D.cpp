#include "scene/Direct3D.h"

#include <algorithm>

#include <glm/gtc/type_ptr.hpp>

#include "foundation/ErrorReport.h"
#include "scene/D3DResult.h"
#include "scene/TextOverlay.h"

namespace {

glm::vec4 ColorOf(uint32_t argb) {
    return glm::vec4(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
                     (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f);
}

}  // namespace

CDirect3D::CDirect3D(IGlDevice* device, bool fullScreen)
    : m_device(device),
      m_fullScreen(fullScreen),
      m_program(std::make_unique<CSceneProgram>(m_gl)),
      m_overlay(std::make_unique<CTextOverlay>(m_gl, device)),
      m_drawer(m_gl, *m_program) {
    for (glm::mat4& matrix : m_transforms) {
        matrix = glm::mat4(1.0f);
    }
    m_sceneLights.lights = m_lights;
    m_sceneLights.on = m_lightOn;
    m_state.flags = DRAW_STATE::kDepthWrite;
    SetCull(kCullCounterClockwise);
    CameraChanged();
    LightsChanged();
}

CDirect3D::~CDirect3D() {
    Release();
}

uint32_t CDirect3D::TakeResult(CCharString& name) {
    return TakeGlResult(m_gl, name);
}

bool CDirect3D::Init() {
    if (m_device != nullptr) {
        m_screenWidth = static_cast<uint32_t>(m_device->GetWidth());
        m_screenHeight = static_cast<uint32_t>(m_device->GetHeight());
    }
    return Create();
}

bool CDirect3D::Create() {
    if (m_device == nullptr || !m_device->IsReady()) {
        return FailWith(m_error, kSource, __LINE__, "Can't create Direct3D");
    }
    const char* missing = nullptr;
    if (!m_gl.Load(*m_device, missing)) {
        return FailWith(m_error, kSource, __LINE__, "Can't create device: no %s", missing);
    }
    m_samplesChecked = false;
    if (!CreatePrograms()) {
        return false;
    }
    m_created = true;
    m_contextLost = false;
    m_overlay->CreateFont();  // without a font the picture is drawn without text
    SetRenderState();
    return true;
}

bool CDirect3D::CreatePrograms() {
    if (!m_program->Link()) {
        return FailWith(m_error, kSource, __LINE__, "Can't create device: %s",
                        m_program->GetError());
    }
    if (!m_overlay->LinkProgram()) {
        return FailWith(m_error, kSource, __LINE__, "Can't create device: %s",
                        m_overlay->GetError());
    }
    MarkStateDirty();
    return true;
}

void CDirect3D::ReleasePrograms(bool deleteObjects) {
    // Draws that wait belong to the context that goes.
    m_batcher.Take();
    m_overlay->Release(deleteObjects);
    m_program->Release(deleteObjects);
}

bool CDirect3D::KeepOverlayError() {
    m_error = m_overlay->GetError();
    return false;
}

bool CDirect3D::SetRenderState() {
    m_gl.Enable(GL_CULL_FACE);
    m_gl.CullFace(GL_BACK);
    m_gl.FrontFace(GL_CW);  // counter-clockwise faces are culled
    m_gl.Enable(GL_DEPTH_TEST);
    m_gl.DepthFunc(GL_LEQUAL);
    m_gl.Enable(GL_MULTISAMPLE);
    m_gl.Enable(GL_BLEND);
    m_gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    m_gl.Enable(GL_PROGRAM_POINT_SIZE);
    m_sceneLights.lighting = true;
    LightsChanged();
    SetCull(kCullCounterClockwise);
    m_drawer.ForgetState();
    CCharString name;
    if (TakeResult(name) != D3D_OK) {
        return FailWith(m_error, kSource, __LINE__, "Can't set render state: %s", name.GetText());
    }
    return true;
}

bool CDirect3D::Reset() {
    ReleasePrograms(m_gl.IsLoaded() && m_device->IsReady());
    const char* missing = nullptr;
    if (m_device == nullptr || !m_device->IsReady() || !m_gl.Load(*m_device, missing)) {
        return FailWith(m_error, kSource, __LINE__, "Can't reset device: %s", "D3DERR_DEVICELOST");
    }
    if (!CreatePrograms()) {
        CCharString reason = m_error;
        return FailWith(m_error, kSource, __LINE__, "Can't reset device: %s", reason.GetText());
    }
    m_contextLost = false;
    m_samplesChecked = false;
    m_overlay->CreateFont();
    return SetRenderState();
}

bool CDirect3D::CheckDevice(bool& lost) {
    lost = false;
    if (!m_created) {
        return FailWith(m_error, kSource, __LINE__, "Device is not created");
    }
    if (!m_contextLost) {
        return true;
    }
    lost = true;
    if (!m_device->IsReady()) {
        return false;  // no context yet: try again at the next frame
    }
    if (Reset()) {
        return true;
    }
    Release();
    Init();
    return false;
}

void CDirect3D::OnContextLost() {
    if (!m_created) {
        return;
    }
    ReleasePrograms(m_gl.IsLoaded());
    for (uint32_t texture : m_textures) {
        m_gl.DeleteTextures(1, &texture);
    }
    m_textures.clear();
    m_contextLost = true;
    ++m_contextSerial;
}

void CDirect3D::OnContextCreated() {
    // The objects are made again by the next CheckDevice, which also tells
    // the owner to rebuild its own.
    if (m_created) {
        m_contextLost = true;
    }
}

bool CDirect3D::Release() {
    ReleasePrograms(m_gl.IsLoaded() && m_device != nullptr && m_device->IsReady());
    m_created = false;
    ++m_contextSerial;
    return true;
}

bool CDirect3D::SetFullScreen(bool on) {
    m_fullScreen = on;
    return m_device == nullptr || m_device->SetFullScreen(on);
}

bool CDirect3D::BeginFrame() {
    if (!m_created || !m_program->IsLinked()) {
        return FailWith(m_error, kSource, __LINE__, "Device is not created");
    }
    m_gl.BindFramebuffer(GL_FRAMEBUFFER, m_device->GetFramebuffer());
    if (!m_samplesChecked) {
        // A view's framebuffer exists only once it is drawn.
        m_samplesChecked = true;
        m_samples = m_device->GetSamples();
        if (m_samples < 4) {
            // Drawing goes on with what the driver gives: edges are only less smooth.
            ReportError(kSource, __LINE__, "Multisampling gives %d samples per pixel instead of 4",
                        m_samples);
        }
    }
    m_gl.Viewport(0, 0, m_device->GetWidth(), m_device->GetHeight());
    if (m_camera.viewportHeight != static_cast<float>(m_device->GetHeight())) {
        m_camera.viewportHeight = static_cast<float>(m_device->GetHeight());
        CameraChanged();
    }
    m_gl.DepthMask(GL_TRUE);
    MarkStateDirty();
    m_batcher.Take();
    m_drawer.ResetCounts();
    return true;
}

bool CDirect3D::Clear(uint32_t argb, float depth) {
    Flush();
    const glm::vec4 color = ColorOf(argb);
    m_gl.ClearColor(color.r, color.g, color.b, color.a);
    m_gl.ClearDepth(depth);
    m_gl.ClearStencil(0);
    m_gl.DepthMask(GL_TRUE);
    m_drawer.ForgetState();
    m_gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    return true;
}

bool CDirect3D::EndFrame() {
    Flush();
    m_gl.BindVertexArray(0);
    m_gl.Flush();
    CCharString name;
    if (TakeResult(name) != D3D_OK) {
        return FailWith(m_error, kSource, __LINE__, "Can't draw: %s", name.GetText());
    }
    return true;
}

void CDirect3D::SetTransform(Transform which, const glm::mat4& matrix) {
    if (m_transforms[which] == matrix) {
        return;
    }
    if (which == kWorld) {
        m_transforms[which] = matrix;  // each draw keeps the world it was made in
        return;
    }
    Flush();
    m_transforms[which] = matrix;
    m_camera.view = m_transforms[kView];
    m_camera.projection = m_transforms[kProjection];
    CameraChanged();
}

void CDirect3D::CameraChanged() {
    ++m_camera.version;
}

void CDirect3D::LightsChanged() {
    ++m_sceneLights.version;
}

void CDirect3D::SetLight(int index, const LIGHT& light) {
    if (index >= 0 && index < kMaxLights) {
        Flush();
        m_lights[index] = light;
        LightsChanged();
    }
}

void CDirect3D::EnableLight(int index, bool on) {
    if (index >= 0 && index < kMaxLights && m_lightOn[index] != on) {
        Flush();
        m_lightOn[index] = on;
        LightsChanged();
    }
}

void CDirect3D::SetAmbient(uint32_t argb) {
    Flush();
    m_sceneLights.ambient = ColorOf(argb);
    LightsChanged();
}

void CDirect3D::SetLighting(bool on) {
    if (m_sceneLights.lighting != on) {
        Flush();
        m_sceneLights.lighting = on;
        LightsChanged();
    }
}

void CDirect3D::SetMaterial(const MATERIAL& material) {
    m_state.specular = material.specular;
    m_state.power = material.power;
}

void CDirect3D::SetTexture(uint32_t texture, bool wrap) {
    m_state.texture = texture;
    SetFlag(DRAW_STATE::kTextureWrap, wrap);
}

void CDirect3D::SetWireframe(bool on) {
    SetFlag(DRAW_STATE::kWireframe, on);
}

void CDirect3D::SetCull(Cull cull) {
    const uint32_t shift = DRAW_STATE::kCullShift;
    m_state.flags = (m_state.flags & ~(3u << shift)) | static_cast<uint32_t>(cull) << shift;
}

void CDirect3D::SetDepthWrite(bool on) {
    SetFlag(DRAW_STATE::kDepthWrite, on);
}

void CDirect3D::SetAdditiveBlend(bool on) {
    SetFlag(DRAW_STATE::kAdditive, on);
}

void CDirect3D::SetPointSprite(bool on) {
    SetFlag(DRAW_STATE::kPointSprite, on);
}

void CDirect3D::SetFlag(DRAW_STATE::Flag flag, bool on) {
    m_state.flags = on ? m_state.flags | flag : m_state.flags & ~flag;
}

bool CDirect3D::DrawIndexed(Topology topology, uint32_t firstIndex, uint32_t count,
                            bool translucentColours) {
    if (!m_program->IsLinked()) {
        return FailWith(m_error, kSource, __LINE__, "Device is not created");
    }
    DRAW_STATE state = m_state;
    state.world = m_transforms[kWorld];
    state.flags |= static_cast<uint32_t>(topology)
                   << static_cast<uint32_t>(DRAW_STATE::kTopologyShift);
    if (topology != kPoints) {
        state.flags &= ~DRAW_STATE::kPointSprite;  // sprites are points
    }
    const bool opaque = !translucentColours && state.texture == 0 &&
                        state.Has(DRAW_STATE::kDepthWrite) && !state.Has(DRAW_STATE::kAdditive) &&
                        !state.Has(DRAW_STATE::kPointSprite);
    if (opaque) {
        state.flags |= DRAW_STATE::kOpaque;
    }
    m_batcher.Add(state, firstIndex, count);
    if (!m_batching) {
        Flush();
    }
    return true;
}

void CDirect3D::Flush() {
    if (m_batcher.IsEmpty()) {
        return;
    }
    if (!m_program->IsLinked()) {
        m_batcher.Take();
        return;
    }
    for (const DRAW_BATCH& batch : m_batcher.Take()) {
        m_drawer.Draw(batch, m_batcher.GetRanges(), m_camera, m_sceneLights);
    }
    m_drawer.Finish();
}

uint32_t CDirect3D::CreateTexture(int width, int height, const uint32_t* argb) {
    if (!m_created || width <= 0 || height <= 0 || argb == nullptr) {
        return 0;
    }
    Flush();  // the texture unit is used here
    GLuint texture = 0;
    m_gl.GenTextures(1, &texture);
    m_gl.BindTexture(GL_TEXTURE_2D, texture);
    m_gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    // ARGB words in memory are B, G, R, A bytes.
    m_gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, argb);
    m_gl.GenerateMipmap(GL_TEXTURE_2D);
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    m_gl.BindTexture(GL_TEXTURE_2D, 0);
    m_drawer.ForgetTexture();
    CCharString name;
    if (TakeResult(name) != D3D_OK) {
        m_gl.DeleteTextures(1, &texture);
        FailWith(m_error, kSource, __LINE__, "Can't create texture: %s", name.GetText());
        return 0;
    }
    m_textures.insert(texture);
    return texture;
}

void CDirect3D::DeleteTexture(uint32_t texture) {
    // A texture of a context that is gone may share its number with a new
    // one: only textures of the current context are deleted.
    if (m_textures.erase(texture) > 0 && m_gl.IsLoaded() && m_device->IsReady()) {
        Flush();  // draws that wait may use it
        m_gl.DeleteTextures(1, &texture);
        m_drawer.ForgetTexture();
    }
}

bool CDirect3D::BeginText() {
    Flush();
    return m_overlay->Begin(m_device->GetWidth(), m_device->GetHeight()) || KeepOverlayError();
}

bool CDirect3D::DrawText(int x, int y, const char* text) {
    return m_overlay->Draw(x, y, text, m_textColor) || KeepOverlayError();
}

bool CDirect3D::DrawWrappedText(int x, int lastLineY, int maxWidth, const char* text) {
    const std::string wrapped = m_overlay->Wrap(text, maxWidth);
    const int breaks = static_cast<int>(std::count(wrapped.begin(), wrapped.end(), '\n'));
    const int top = std::max(0, lastLineY - breaks * m_overlay->GetLineHeight());
    return DrawText(x, top, wrapped.c_str());
}

void CDirect3D::EndText() {
    if (!m_overlay->End()) {
        return;
    }
    MarkStateDirty();
}

void CDirect3D::RestoreSceneProgram() {
    // The scene's program is bound again by the next draw.
    MarkStateDirty();
}

void CDirect3D::MarkStateDirty() {
    // Another program and other GL state were used; the uniforms stay
    // with the scene's programs.
    m_program->ForgetCurrent();
    m_drawer.ForgetState();
}
