#include "scene/Direct3D.h"

#include <cstdarg>
#include <string>
#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "foundation/ErrorReport.h"
#include "scene/D3DResult.h"

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

const char* const kTextVertexShader = R"(#version 330 core
layout(location = 0) in vec2 aPixel;
layout(location = 1) in vec2 aUv;
uniform vec2 uViewport;
out vec2 vUv;
void main() {
    gl_Position = vec4(aPixel.x / uViewport.x * 2.0 - 1.0, 1.0 - aPixel.y / uViewport.y * 2.0, 0.0, 1.0);
    vUv = aUv;
}
)";

const char* const kTextFragmentShader = R"(#version 330 core
in vec2 vUv;
uniform sampler2D uAtlas;
uniform vec4 uColor;
out vec4 fragColor;
void main() {
    fragColor = vec4(uColor.rgb, uColor.a * texture(uAtlas, vUv).r);
}
)";

glm::vec4 ColorOf(uint32_t argb) {
    return glm::vec4(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
                     (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f);
}

// The uniforms of both programs; arrays are found by their first element.
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
    uViewport,
    uAtlas,
    uColor,
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
    "uViewport",
    "uAtlas",
    "uColor",
};

}  // namespace

// A linked program with its uniform locations, looked up once at link time
// so that drawing never searches for them.
struct CDirect3D::PROGRAM {
    GLuint id = 0;
    GLint locations[kUniformCount] = {};

    GLint operator[](Uniform uniform) const { return locations[uniform]; }
};

CDirect3D::CDirect3D(IGlDevice* device, bool fullScreen)
    : m_device(device), m_fullScreen(fullScreen) {
    for (glm::mat4& matrix : m_transforms) {
        matrix = glm::mat4(1.0f);
    }
}

CDirect3D::~CDirect3D() {
    Release();
}

bool CDirect3D::Fail(int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    ReportError(kSource, line, "%s", m_error.GetText());
    return false;
}

uint32_t CDirect3D::TakeResult(CCharString& name) {
    uint32_t result = D3D_OK;
    if (m_gl.IsLoaded()) {
        for (GLenum error = m_gl.GetError(); error != GL_NO_ERROR; error = m_gl.GetError()) {
            if (result == D3D_OK) {
                result = D3DResultOfGlError(error);
            }
        }
    }
    D3DResultName(result, name);
    return result;
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
        return Fail(__LINE__, "Can't create Direct3D");
    }
    const char* missing = nullptr;
    if (!m_gl.Load(*m_device, missing)) {
        return Fail(__LINE__, "Can't create device: no %s", missing);
    }
    m_samplesChecked = false;
    if (!CreatePrograms()) {
        return false;
    }
    m_created = true;
    m_contextLost = false;
    CreateFont();
    SetRenderState();
    return true;
}

bool CDirect3D::CreatePrograms() {
    struct SOURCE {
        const char* vertex;
        const char* fragment;
        std::unique_ptr<PROGRAM>* program;
    };
    const SOURCE sources[] = {{kSceneVertexShader, kSceneFragmentShader, &m_scene},
                              {kTextVertexShader, kTextFragmentShader, &m_text}};
    for (const SOURCE& source : sources) {
        GLuint shaders[2] = {m_gl.CreateShader(GL_VERTEX_SHADER),
                             m_gl.CreateShader(GL_FRAGMENT_SHADER)};
        const char* texts[2] = {source.vertex, source.fragment};
        auto program = std::make_unique<PROGRAM>();
        program->id = m_gl.CreateProgram();
        for (int i = 0; i < 2; ++i) {
            m_gl.ShaderSource(shaders[i], 1, &texts[i], nullptr);
            m_gl.CompileShader(shaders[i]);
            GLint ok = 0;
            m_gl.GetShaderiv(shaders[i], GL_COMPILE_STATUS, &ok);
            if (!ok) {
                char log[1024] = {};
                m_gl.GetShaderInfoLog(shaders[i], sizeof log, nullptr, log);
                m_gl.DeleteShader(shaders[0]);
                m_gl.DeleteShader(shaders[1]);
                m_gl.DeleteProgram(program->id);
                return Fail(__LINE__, "Can't create device: shader: %s", log);
            }
            m_gl.AttachShader(program->id, shaders[i]);
        }
        m_gl.LinkProgram(program->id);
        m_gl.DeleteShader(shaders[0]);
        m_gl.DeleteShader(shaders[1]);
        GLint linked = 0;
        m_gl.GetProgramiv(program->id, GL_LINK_STATUS, &linked);
        if (!linked) {
            char log[1024] = {};
            m_gl.GetProgramInfoLog(program->id, sizeof log, nullptr, log);
            m_gl.DeleteProgram(program->id);
            return Fail(__LINE__, "Can't create device: program: %s", log);
        }
        GLint count = 0;
        m_gl.GetProgramiv(program->id, GL_ACTIVE_UNIFORMS, &count);
        *source.program = std::move(program);
    }
    for (int i = 0; i < kUniformCount; ++i) {
        m_scene->locations[i] = m_gl.GetUniformLocation(m_scene->id, kUniformNames[i]);
        m_text->locations[i] = m_gl.GetUniformLocation(m_text->id, kUniformNames[i]);
    }
    m_transformsDirty = true;
    m_lightsDirty = true;
    return true;
}

bool CDirect3D::CreateFont() {
    auto atlas = std::make_unique<GLYPH_ATLAS>();
    std::string reason;
    if (!m_device->MakeGlyphAtlas("DejaVu Sans", kTextHeight, *atlas, reason)) {
        return Fail(__LINE__, "Can't create font: %s", reason.c_str());
    }
    m_gl.GenTextures(1, &m_fontTexture);
    m_gl.BindTexture(GL_TEXTURE_2D, m_fontTexture);
    m_gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    m_gl.TexImage2D(GL_TEXTURE_2D, 0, GL_R8, atlas->width, atlas->height, 0, GL_RED,
                    GL_UNSIGNED_BYTE, atlas->coverage.data());
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    m_gl.BindTexture(GL_TEXTURE_2D, 0);
    m_gl.GenVertexArrays(1, &m_textArray);
    m_gl.GenBuffers(1, &m_textBuffer);
    m_gl.BindVertexArray(m_textArray);
    m_gl.BindBuffer(GL_ARRAY_BUFFER, m_textBuffer);
    m_gl.EnableVertexAttribArray(0);
    m_gl.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 16, nullptr);
    m_gl.EnableVertexAttribArray(1);
    m_gl.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 16, reinterpret_cast<void*>(8));
    m_gl.BindVertexArray(0);
    CCharString name;
    if (TakeResult(name) != D3D_OK) {
        ReleaseFont();
        return Fail(__LINE__, "Can't create font: %s", name.GetText());
    }
    m_atlas = std::move(atlas);
    return true;
}

void CDirect3D::ReleaseFont() {
    if (m_gl.IsLoaded() && m_device != nullptr && m_device->IsReady()) {
        m_gl.DeleteTextures(1, &m_fontTexture);
        m_gl.DeleteBuffers(1, &m_textBuffer);
        m_gl.DeleteVertexArrays(1, &m_textArray);
    }
    m_fontTexture = m_textBuffer = m_textArray = 0;
    m_atlas.reset();
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
        return Fail(__LINE__, "Can't set render state: %s", name.GetText());
    }
    return true;
}

bool CDirect3D::Reset() {
    ReleaseFont();
    if (m_scene != nullptr || m_text != nullptr) {
        if (m_gl.IsLoaded() && m_device->IsReady()) {
            m_gl.DeleteProgram(m_scene != nullptr ? m_scene->id : 0);
            m_gl.DeleteProgram(m_text != nullptr ? m_text->id : 0);
        }
        m_scene.reset();
        m_text.reset();
    }
    const char* missing = nullptr;
    if (m_device == nullptr || !m_device->IsReady() || !m_gl.Load(*m_device, missing)) {
        return Fail(__LINE__, "Can't reset device: %s", "D3DERR_DEVICELOST");
    }
    if (!CreatePrograms()) {
        CCharString reason = m_error;
        return Fail(__LINE__, "Can't reset device: %s", reason.GetText());
    }
    m_contextLost = false;
    m_samplesChecked = false;
    CreateFont();
    return SetRenderState();
}

bool CDirect3D::CheckDevice(bool& lost) {
    lost = false;
    if (!m_created) {
        return Fail(__LINE__, "Device is not created");
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
    ReleaseFont();
    if (m_gl.IsLoaded()) {
        m_gl.DeleteProgram(m_scene != nullptr ? m_scene->id : 0);
        m_gl.DeleteProgram(m_text != nullptr ? m_text->id : 0);
    }
    m_scene.reset();
    m_text.reset();
    for (uint32_t texture : m_textures) {
        m_gl.DeleteTextures(1, &texture);
    }
    m_textures.clear();
    m_contextLost = true;
}

void CDirect3D::OnContextCreated() {
    // The objects are made again by the next CheckDevice, which also tells
    // the owner to rebuild its own.
    if (m_created) {
        m_contextLost = true;
    }
}

bool CDirect3D::Release() {
    const bool current = m_gl.IsLoaded() && m_device != nullptr && m_device->IsReady();
    ReleaseFont();
    if (current) {
        m_gl.DeleteProgram(m_scene != nullptr ? m_scene->id : 0);
        m_gl.DeleteProgram(m_text != nullptr ? m_text->id : 0);
    }
    m_scene.reset();
    m_text.reset();
    m_created = false;
    return true;
}

bool CDirect3D::SetFullScreen(bool on) {
    m_fullScreen = on;
    return m_device == nullptr || m_device->SetFullScreen(on);
}

bool CDirect3D::BeginFrame() {
    if (!m_created || m_scene == nullptr) {
        return Fail(__LINE__, "Device is not created");
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
    m_gl.UseProgram(m_scene->id);
    m_gl.DepthMask(GL_TRUE);
    m_transformsDirty = true;
    m_lightsDirty = true;
    m_materialDirty = true;
    m_stateDirty = true;
    m_pending.count = 0;
    m_drawCalls = 0;
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
        return Fail(__LINE__, "Can't draw: %s", name.GetText());
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
    const PROGRAM& p = *m_scene;
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
    m_gl.Uniform1i(p[uLighting], m_lighting ? 1 : 0);
    m_gl.Uniform4fv(p[uAmbient], 1, glm::value_ptr(m_ambient));
    m_gl.Uniform1i(p[uLightCount], count);  // the loop stops after the last light on
    m_gl.Uniform1iv(p[uLightOn], kMaxLights, on);
    m_gl.Uniform1iv(p[uLightType], kMaxLights, types);
    m_gl.Uniform4fv(p[uLightDiffuse], kMaxLights, glm::value_ptr(diffuse[0]));
    m_gl.Uniform4fv(p[uLightSpecular], kMaxLights, glm::value_ptr(specular[0]));
    m_gl.Uniform4fv(p[uLightAmbient], kMaxLights, glm::value_ptr(ambient[0]));
    m_gl.Uniform3fv(p[uLightPosition], kMaxLights, glm::value_ptr(position[0]));
    m_gl.Uniform3fv(p[uLightDirection], kMaxLights, glm::value_ptr(direction[0]));
    m_gl.Uniform4fv(p[uLightFalloff], kMaxLights, glm::value_ptr(falloff[0]));
    m_lightsDirty = false;
}

void CDirect3D::ApplyState(Topology topology) {
    const PROGRAM& p = *m_scene;
    if (m_transformsDirty) {
        const glm::mat4& world = m_transforms[kWorld];
        const glm::mat4 viewProjection = m_transforms[kProjection] * m_transforms[kView];
        const glm::mat3 normal = glm::transpose(glm::inverse(glm::mat3(world)));
        const glm::vec3 eye = glm::vec3(glm::inverse(m_transforms[kView])[3]);
        m_gl.UniformMatrix4fv(p[uWorld], 1, GL_FALSE, glm::value_ptr(world));
        m_gl.UniformMatrix4fv(p[uViewProjection], 1, GL_FALSE, glm::value_ptr(viewProjection));
        m_gl.UniformMatrix3fv(p[uNormalMatrix], 1, GL_FALSE, glm::value_ptr(normal));
        m_gl.Uniform3fv(p[uEye], 1, glm::value_ptr(eye));
        m_gl.Uniform1f(p[uViewportHeight], static_cast<float>(m_device->GetHeight()));
        m_transformsDirty = false;
    }
    if (m_lightsDirty) {
        ApplyLights();
    }
    if (m_materialDirty) {
        m_gl.Uniform4fv(p[uMaterialSpecular], 1, glm::value_ptr(m_material.specular));
        m_gl.Uniform1f(p[uMaterialPower], m_material.power);
        m_materialDirty = false;
    }
    const bool points = topology == kPoints && m_pointSprite;
    if (!m_stateDirty && points == m_appliedPoints) {
        return;
    }
    m_appliedPoints = points;
    m_gl.Uniform1i(p[uPointSprite], points ? 1 : 0);
    m_gl.Uniform1i(p[uTextured], m_texture != 0 ? 1 : 0);
    if (m_texture != 0) {
        m_gl.ActiveTexture(GL_TEXTURE0);
        m_gl.BindTexture(GL_TEXTURE_2D, m_texture);
        const GLint wrap = m_textureWrap ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        m_gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
        m_gl.Uniform1i(p[uTexture], 0);
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
    if (m_scene == nullptr) {
        return Fail(__LINE__, "Device is not created");
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
    if (m_pending.count == 0 || m_scene == nullptr) {
        m_pending.count = 0;
        return;
    }
    ApplyState(m_pending.topology);
    const GLenum modes[] = {GL_TRIANGLES, GL_LINES, GL_POINTS};
    m_gl.DrawElements(modes[m_pending.topology], static_cast<GLsizei>(m_pending.count),
                      GL_UNSIGNED_INT,
                      reinterpret_cast<const void*>(static_cast<uintptr_t>(m_pending.first) * 4));
    m_pending.count = 0;
    ++m_drawCalls;
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
        Fail(__LINE__, "Can't create texture: %s", name.GetText());
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
    if (m_atlas == nullptr || m_text == nullptr) {
        return Fail(__LINE__, "No text or sprite");
    }
    Flush();
    m_inText = true;
    m_gl.UseProgram(m_text->id);
    m_gl.Disable(GL_DEPTH_TEST);
    m_gl.Disable(GL_CULL_FACE);
    m_gl.PolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    m_gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    m_gl.ActiveTexture(GL_TEXTURE0);
    m_gl.BindTexture(GL_TEXTURE_2D, m_fontTexture);
    m_gl.Uniform1i((*m_text)[uAtlas], 0);
    m_gl.Uniform2f((*m_text)[uViewport], static_cast<float>(m_device->GetWidth()),
                   static_cast<float>(m_device->GetHeight()));
    return true;
}

bool CDirect3D::DrawText(int x, int y, const char* text) {
    if (!m_inText || text == nullptr) {
        return Fail(__LINE__, "Can't draw text: %s", "D3DERR_INVALIDCALL");
    }
    const GLYPH_ATLAS& atlas = *m_atlas;
    std::vector<float> vertices;
    float penX = static_cast<float>(x);
    float penY = static_cast<float>(y);
    for (const char* c = text; *c != 0; ++c) {
        const int code = static_cast<unsigned char>(*c);
        if (code == '\n') {
            penX = static_cast<float>(x);
            penY += static_cast<float>(atlas.lineHeight);
            continue;
        }
        if (code < GLYPH_ATLAS::kFirst) {
            continue;
        }
        const GLYPH_INFO& glyph = atlas.glyphs[code - GLYPH_ATLAS::kFirst];
        const float u0 = static_cast<float>(glyph.x) / atlas.width;
        const float v0 = static_cast<float>(glyph.y) / atlas.height;
        const float u1 = static_cast<float>(glyph.x + glyph.width) / atlas.width;
        const float v1 = static_cast<float>(glyph.y + glyph.height) / atlas.height;
        const float x0 = penX - 1.0f;
        const float y0 = penY - 1.0f;
        const float x1 = x0 + static_cast<float>(glyph.width);
        const float y1 = y0 + static_cast<float>(glyph.height);
        const float quad[] = {x0, y0, u0, v0, x1, y0, u1, v0, x1, y1, u1, v1,
                              x0, y0, u0, v0, x1, y1, u1, v1, x0, y1, u0, v1};
        vertices.insert(vertices.end(), std::begin(quad), std::end(quad));
        penX += static_cast<float>(glyph.advance);
    }
    if (vertices.empty()) {
        return true;
    }
    const glm::vec4 color = ColorOf(m_textColor);
    m_gl.Uniform4fv((*m_text)[uColor], 1, glm::value_ptr(color));
    m_gl.BindVertexArray(m_textArray);
    m_gl.BindBuffer(GL_ARRAY_BUFFER, m_textBuffer);
    m_gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(float)),
                    vertices.data(), GL_STREAM_DRAW);
    m_gl.DrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices.size() / 4));
    m_gl.BindVertexArray(0);
    CCharString name;
    if (TakeResult(name) != D3D_OK) {
        return Fail(__LINE__, "Can't draw text: %s", name.GetText());
    }
    return true;
}

void CDirect3D::EndText() {
    if (!m_inText) {
        return;
    }
    m_inText = false;
    m_gl.Enable(GL_DEPTH_TEST);
    m_gl.Enable(GL_CULL_FACE);
    if (m_scene != nullptr) {
        m_gl.UseProgram(m_scene->id);
    }
    m_transformsDirty = true;
    m_lightsDirty = true;
    m_materialDirty = true;
    m_stateDirty = true;
}
