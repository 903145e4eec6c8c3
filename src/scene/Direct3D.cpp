#include "scene/Direct3D.h"

#include <algorithm>

#include <glm/gtc/type_ptr.hpp>

#include "foundation/ErrorReport.h"
#include "scene/D3DResult.h"
#include "scene/ShaderProgram.h"
#include "scene/TextOverlay.h"

namespace {

const char* const kSceneVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 2) in vec3 aNormal;
layout(location = 3) in vec4 aDiffuse;
layout(location = 4) in vec4 aSpecular;
layout(location = 5) in vec2 aUv;
uniform mat4 uWorld;
uniform mat4 uViewProjection;
uniform mat3 uNormalMatrix;
uniform vec3 uEye;
uniform int uLighting;
uniform vec4 uAmbient;
uniform int uLightCount;
uniform int uLightOn[8];
uniform int uLightType[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec4 uLightAmbient[8];
uniform vec3 uLightPosition[8];
uniform vec3 uLightDirection[8];
uniform vec4 uLightFalloff[8];
uniform vec4 uMaterialSpecular;
uniform float uMaterialPower;
uniform int uPointSprite;
uniform float uViewportHeight;
out vec4 vColor;
out vec3 vSpecular;
out vec2 vUv;
void main() {
    vec4 world = uWorld * vec4(aPosition, 1.0);
    gl_Position = uViewProjection * world;
    vUv = aUv;
    gl_PointSize = 1.0;
    if (uPointSprite != 0) {
        gl_PointSize = max(1.0, uViewportHeight / max(distance(world.xyz, uEye), 0.001));
    }
    if (uLighting == 0) {
        vColor = aDiffuse;
        vSpecular = vec3(0.0);
        return;
    }
    vec3 n = normalize(uNormalMatrix * aNormal);
    vec3 toEye = normalize(uEye - world.xyz);
    vec3 ambient = uAmbient.rgb;
    vec3 diffuse = vec3(0.0);
    vec3 specular = vec3(0.0);
    for (int i = 0; i < uLightCount; ++i) {
        if (uLightOn[i] == 0) {
            continue;
        }
        vec3 l;
        float attenuation = 1.0;
        if (uLightType[i] == 3) {
            l = -normalize(uLightDirection[i]);
        } else {
            vec3 d = uLightPosition[i] - world.xyz;
            float distance = length(d);
            if (distance > uLightFalloff[i].w) {
                continue;
            }
            l = d / max(distance, 1e-6);
            attenuation = 1.0 / max(uLightFalloff[i].x + uLightFalloff[i].y * distance +
                                    uLightFalloff[i].z * distance * distance, 1e-6);
        }
        ambient += uLightAmbient[i].rgb * attenuation;
        float nl = max(dot(n, l), 0.0);
        diffuse += uLightDiffuse[i].rgb * nl * attenuation;
        if (nl > 0.0 && uMaterialPower > 0.0) {
            vec3 h = normalize(toEye + l);
            specular += uLightSpecular[i].rgb * pow(max(dot(n, h), 0.0), uMaterialPower) *
                        attenuation;
        }
    }
    vColor = clamp(vec4(aDiffuse.rgb * (ambient + diffuse) + aSpecular.rgb, aDiffuse.a), 0.0, 1.0);
    vSpecular = clamp(specular * uMaterialSpecular.rgb, 0.0, 1.0);
}
)";

const char* const kSceneFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec3 vSpecular;
in vec2 vUv;
uniform int uTextured;
uniform int uPointSprite;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
    vec4 color = vColor;
    if (uTextured != 0) {
        color *= texture(uTexture, uPointSprite != 0 ? gl_PointCoord : vUv);
    }
    fragColor = vec4(min(color.rgb + vSpecular, vec3(1.0)), color.a);
}
)";

glm::vec4 ColorOf(uint32_t argb) {
    return glm::vec4(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
                     (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f);
}

// The uniforms of the scene program; arrays are found by their first element.
enum Uniform : int {
    uLightCount,
    uWorld,
    uViewProjection,
    uNormalMatrix,
    uEye,
    uLighting,
    uAmbient,
    uMaterialSpecular,
    uMaterialPower,
    uPointSprite,
    uViewportHeight,
    uTextured,
    uTexture,
    uLightOn,
    uLightType,
    uLightDiffuse,
    uLightSpecular,
    uLightAmbient,
    uLightPosition,
    uLightDirection,
    uLightFalloff,
    kUniformCount
};

const char* const kUniformNames[kUniformCount] = {
    "uLightCount",
    "uWorld",
    "uViewProjection",
    "uNormalMatrix",
    "uEye",
    "uLighting",
    "uAmbient",
    "uMaterialSpecular",
    "uMaterialPower",
    "uPointSprite",
    "uViewportHeight",
    "uTextured",
    "uTexture",
    "uLightOn[0]",
    "uLightType[0]",
    "uLightDiffuse[0]",
    "uLightSpecular[0]",
    "uLightAmbient[0]",
    "uLightPosition[0]",
    "uLightDirection[0]",
    "uLightFalloff[0]",
};

}  // namespace

CDirect3D::CDirect3D(IGlDevice* device, bool fullScreen)
    : m_device(device),
      m_fullScreen(fullScreen),
      m_scene(std::make_unique<CShaderProgram>(m_gl, kSceneVertexShader, kSceneFragmentShader,
                                               kUniformNames, kUniformCount)),
      m_overlay(std::make_unique<CTextOverlay>(m_gl, device)) {
    for (glm::mat4& matrix : m_transforms) {
        matrix = glm::mat4(1.0f);
    }
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
    if (!m_scene->Link()) {
        return FailWith(m_error, kSource, __LINE__, "Can't create device: %s", m_scene->GetError());
    }
    if (!m_overlay->LinkProgram()) {
        return FailWith(m_error, kSource, __LINE__, "Can't create device: %s",
                        m_overlay->GetError());
    }
    m_transformsDirty = true;
    m_lightsDirty = true;
    return true;
}

void CDirect3D::ReleasePrograms(bool deleteObjects) {
    m_overlay->Release(deleteObjects);
    m_scene->Release(deleteObjects);
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
    m_lighting = true;
    m_cull = kCullCounterClockwise;
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
    if (!m_created || !m_scene->IsLinked()) {
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
    m_scene->Use();
    m_gl.DepthMask(GL_TRUE);
    MarkStateDirty();
    m_pending.count = 0;
    m_drawCalls = 0;
    m_drawnVertices = 0;
    return true;
}

bool CDirect3D::Clear(uint32_t argb, float depth) {
    Flush();
    const glm::vec4 color = ColorOf(argb);
    m_gl.ClearColor(color.r, color.g, color.b, color.a);
    m_gl.ClearDepth(depth);
    m_gl.ClearStencil(0);
    m_gl.DepthMask(GL_TRUE);
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
    if (m_transforms[which] != matrix) {
        Flush();
        m_transforms[which] = matrix;
        m_transformsDirty = true;
    }
}

void CDirect3D::SetLight(int index, const LIGHT& light) {
    if (index >= 0 && index < kMaxLights) {
        Flush();
        m_lights[index] = light;
        m_lightsDirty = true;
    }
}

void CDirect3D::EnableLight(int index, bool on) {
    if (index >= 0 && index < kMaxLights && m_lightOn[index] != on) {
        Flush();
        m_lightOn[index] = on;
        m_lightsDirty = true;
    }
}

void CDirect3D::SetAmbient(uint32_t argb) {
    Flush();
    m_ambient = ColorOf(argb);
    m_lightsDirty = true;
}

void CDirect3D::SetLighting(bool on) {
    if (m_lighting != on) {
        Flush();
        m_lighting = on;
        m_lightsDirty = true;
    }
}

void CDirect3D::SetMaterial(const MATERIAL& material) {
    if (m_material.specular != material.specular || m_material.power != material.power) {
        Flush();
        m_material = material;
        m_materialDirty = true;
    }
}

void CDirect3D::SetTexture(uint32_t texture, bool wrap) {
    if (m_texture != texture || m_textureWrap != wrap) {
        Flush();
        m_texture = texture;
        m_textureWrap = wrap;
        m_stateDirty = true;
    }
}

void CDirect3D::SetWireframe(bool on) {
    SetFlag(m_wireframe, on);
}

void CDirect3D::SetCull(Cull cull) {
    if (m_cull != cull) {
        Flush();
        m_cull = cull;
        m_stateDirty = true;
    }
}

void CDirect3D::SetDepthWrite(bool on) {
    SetFlag(m_depthWrite, on);
}

void CDirect3D::SetAdditiveBlend(bool on) {
    SetFlag(m_additive, on);
}

void CDirect3D::SetPointSprite(bool on) {
    SetFlag(m_pointSprite, on);
}

void CDirect3D::SetFlag(bool& flag, bool on) {
    if (flag != on) {
        Flush();
        flag = on;
        m_stateDirty = true;
    }
}

void CDirect3D::ApplyLights() {
    const CShaderProgram& p = *m_scene;
    GLint on[kMaxLights];
    GLint types[kMaxLights];
    GLint count = 0;
    glm::vec4 diffuse[kMaxLights];
    glm::vec4 specular[kMaxLights];
    glm::vec4 ambient[kMaxLights];
    glm::vec3 position[kMaxLights];
    glm::vec3 direction[kMaxLights];
    glm::vec4 falloff[kMaxLights];
    for (int i = 0; i < kMaxLights; ++i) {
        const LIGHT& light = m_lights[i];
        on[i] = m_lightOn[i] ? 1 : 0;
        count = m_lightOn[i] ? i + 1 : count;
        types[i] = light.type;
        diffuse[i] = light.diffuse;
        specular[i] = light.specular;
        ambient[i] = light.ambient;
        position[i] = light.position;
        direction[i] = light.direction;
        falloff[i] = glm::vec4(light.attenuation, light.range);
    }
    m_gl.Uniform1i(p.GetLocation(uLighting), m_lighting ? 1 : 0);
    m_gl.Uniform4fv(p.GetLocation(uAmbient), 1, glm::value_ptr(m_ambient));
    m_gl.Uniform1i(p.GetLocation(uLightCount), count);  // the loop stops after the last light on
    m_gl.Uniform1iv(p.GetLocation(uLightOn), kMaxLights, on);
    m_gl.Uniform1iv(p.GetLocation(uLightType), kMaxLights, types);
    m_gl.Uniform4fv(p.GetLocation(uLightDiffuse), kMaxLights, glm::value_ptr(diffuse[0]));
    m_gl.Uniform4fv(p.GetLocation(uLightSpecular), kMaxLights, glm::value_ptr(specular[0]));
    m_gl.Uniform4fv(p.GetLocation(uLightAmbient), kMaxLights, glm::value_ptr(ambient[0]));
    m_gl.Uniform3fv(p.GetLocation(uLightPosition), kMaxLights, glm::value_ptr(position[0]));
    m_gl.Uniform3fv(p.GetLocation(uLightDirection), kMaxLights, glm::value_ptr(direction[0]));
    m_gl.Uniform4fv(p.GetLocation(uLightFalloff), kMaxLights, glm::value_ptr(falloff[0]));
    m_lightsDirty = false;
}

void CDirect3D::ApplyState(Topology topology) {
    const CShaderProgram& p = *m_scene;
    if (m_transformsDirty) {
        const glm::mat4& world = m_transforms[kWorld];
        const glm::mat4 viewProjection = m_transforms[kProjection] * m_transforms[kView];
        const glm::mat3 normal = glm::transpose(glm::inverse(glm::mat3(world)));
        const glm::vec3 eye = glm::vec3(glm::inverse(m_transforms[kView])[3]);
        m_gl.UniformMatrix4fv(p.GetLocation(uWorld), 1, GL_FALSE, glm::value_ptr(world));
        m_gl.UniformMatrix4fv(p.GetLocation(uViewProjection), 1, GL_FALSE,
                              glm::value_ptr(viewProjection));
        m_gl.UniformMatrix3fv(p.GetLocation(uNormalMatrix), 1, GL_FALSE, glm::value_ptr(normal));
        m_gl.Uniform3fv(p.GetLocation(uEye), 1, glm::value_ptr(eye));
        m_gl.Uniform1f(p.GetLocation(uViewportHeight), static_cast<float>(m_device->GetHeight()));
        m_transformsDirty = false;
    }
    if (m_lightsDirty) {
        ApplyLights();
    }
    if (m_materialDirty) {
        m_gl.Uniform4fv(p.GetLocation(uMaterialSpecular), 1, glm::value_ptr(m_material.specular));
        m_gl.Uniform1f(p.GetLocation(uMaterialPower), m_material.power);
        m_materialDirty = false;
    }
    const bool points = topology == kPoints && m_pointSprite;
    if (!m_stateDirty && points == m_appliedPoints) {
        return;
    }
    m_appliedPoints = points;
    m_gl.Uniform1i(p.GetLocation(uPointSprite), points ? 1 : 0);
    m_gl.Uniform1i(p.GetLocation(uTextured), m_texture != 0 ? 1 : 0);
    if (m_texture != 0) {
        m_gl.ActiveTexture(GL_TEXTURE0);
        m_gl.BindTexture(GL_TEXTURE_2D, m_texture);
        const GLint wrap = m_textureWrap ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
        m_gl.Uniform1i(p.GetLocation(uTexture), 0);
    }
    if (m_cull == kCullNone) {
        m_gl.Disable(GL_CULL_FACE);
    } else {
        m_gl.Enable(GL_CULL_FACE);
        m_gl.FrontFace(m_cull == kCullCounterClockwise ? GL_CW : GL_CCW);
    }
    m_gl.PolygonMode(GL_FRONT_AND_BACK, m_wireframe ? GL_LINE : GL_FILL);
    m_gl.DepthMask(m_depthWrite ? GL_TRUE : GL_FALSE);
    m_gl.BlendFunc(GL_SRC_ALPHA, m_additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    m_stateDirty = false;
}

bool CDirect3D::DrawIndexed(Topology topology, uint32_t firstIndex, uint32_t count) {
    if (!m_scene->IsLinked()) {
        return FailWith(m_error, kSource, __LINE__, "Device is not created");
    }
    // Draws of adjoining index ranges under the same state become one call;
    // every state change flushes what is pending first.
    if (m_pending.count > 0 && m_pending.topology == topology &&
        m_pending.first + m_pending.count == firstIndex) {
        m_pending.count += count;
        return true;
    }
    Flush();
    m_pending.topology = topology;
    m_pending.first = firstIndex;
    m_pending.count = count;
    return true;
}

void CDirect3D::Flush() {
    if (m_pending.count == 0 || !m_scene->IsLinked()) {
        m_pending.count = 0;
        return;
    }
    ApplyState(m_pending.topology);
    const GLenum modes[] = {GL_TRIANGLES, GL_LINES, GL_POINTS};
    m_gl.DrawElements(modes[m_pending.topology], static_cast<GLsizei>(m_pending.count),
                      GL_UNSIGNED_INT,
                      reinterpret_cast<const void*>(static_cast<uintptr_t>(m_pending.first) * 4));
    ++m_drawCalls;
    m_drawnVertices += static_cast<int>(m_pending.count);
    m_pending.count = 0;
}

uint32_t CDirect3D::CreateTexture(int width, int height, const uint32_t* argb) {
    if (!m_created || width <= 0 || height <= 0 || argb == nullptr) {
        return 0;
    }
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
        m_gl.DeleteTextures(1, &texture);
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
    if (m_scene->IsLinked()) {
        m_scene->Use();
    }
    MarkStateDirty();
}

void CDirect3D::RestoreSceneProgram() {
    if (m_scene->IsLinked()) {
        m_scene->Use();
    }
    MarkStateDirty();
}

void CDirect3D::MarkStateDirty() {
    m_transformsDirty = true;
    m_lightsDirty = true;
    m_materialDirty = true;
    m_stateDirty = true;
}
