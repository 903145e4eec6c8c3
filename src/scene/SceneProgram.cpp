#include "scene/SceneProgram.h"

#include <string>

#include <glm/gtc/type_ptr.hpp>

#include "scene/Direct3D.h"
#include "scene/SceneLighting.h"
#include "scene/ShaderProgram.h"

namespace {

// Follows the version line and the lighting model.
const char* const kVertexShaderBody = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 2) in vec3 aNormal;
layout(location = 3) in vec4 aDiffuse;
layout(location = 4) in vec4 aSpecular;
layout(location = 5) in vec2 aUv;
uniform mat4 uWorld;
uniform mat4 uViewProjection;
uniform mat3 uNormalMatrix;
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
    vec3 specular;
    vec3 light = Light(normalize(uNormalMatrix * aNormal), world.xyz, specular);
    vColor = clamp(vec4(aDiffuse.rgb * light + aSpecular.rgb, aDiffuse.a), 0.0, 1.0);
    vSpecular = clamp(specular * uMaterialSpecular.rgb, 0.0, 1.0);
}
)";

const char* const kTexturedFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec3 vSpecular;
in vec2 vUv;
uniform int uPointSprite;
uniform sampler2D uTexture;
out vec4 fragColor;
void main() {
    vec4 color = vColor * texture(uTexture, uPointSprite != 0 ? gl_PointCoord : vUv);
    fragColor = vec4(min(color.rgb + vSpecular, vec3(1.0)), color.a);
}
)";

// The uniforms of the program besides the lights' (CSceneLighting finds those).
enum Uniform : int {
    uWorld,
    uViewProjection,
    uNormalMatrix,
    uEye,
    uMaterialSpecular,
    uMaterialPower,
    uPointSprite,
    uViewportHeight,
    uTexture,
    kUniformCount
};

const char* const kUniformNames[kUniformCount] = {
    "uWorld",         "uViewProjection", "uNormalMatrix",   "uEye",     "uMaterialSpecular",
    "uMaterialPower", "uPointSprite",    "uViewportHeight", "uTexture",
};

}  // namespace

CSceneProgram::CSceneProgram(const CGlApi& gl)
    : m_gl(gl),
      m_vertexSource(std::string("#version 330 core\n") + CSceneLighting::kShaderText +
                     kVertexShaderBody) {
    const char* const fragments[kVariantCount] = {CSceneLighting::kFragmentShader,
                                                  kTexturedFragmentShader};
    for (int i = 0; i < kVariantCount; ++i) {
        m_variants[i] = std::make_unique<CShaderProgram>(gl, m_vertexSource.c_str(), fragments[i],
                                                         kUniformNames, kUniformCount);
    }
}

CSceneProgram::~CSceneProgram() = default;

bool CSceneProgram::Link() {
    m_current = kNone;
    for (int i = 0; i < kVariantCount; ++i) {
        m_applied[i] = APPLIED();
        if (!m_variants[i]->Link()) {
            return false;
        }
        m_lightLocations[i] = CSceneLighting::Locate(m_gl, m_variants[i]->GetId());
        // The texture always comes from unit 0.
        m_variants[i]->Use();
        m_gl.Uniform1i(m_variants[i]->GetLocation(uTexture), 0);
    }
    return true;
}

void CSceneProgram::Release(bool deleteObjects) {
    for (auto& variant : m_variants) {
        variant->Release(deleteObjects);
    }
    m_current = kNone;
}

bool CSceneProgram::IsLinked() const {
    return m_variants[kPlain]->IsLinked() && m_variants[kTextured]->IsLinked();
}

const char* CSceneProgram::GetError() const {
    return m_variants[kPlain]->IsLinked() ? m_variants[kTextured]->GetError()
                                          : m_variants[kPlain]->GetError();
}

void CSceneProgram::Use(Variant variant) {
    if (m_current != variant) {
        m_variants[variant]->Use();
        m_current = variant;
    }
}

void CSceneProgram::SetCamera(const SCENE_CAMERA& camera) {
    APPLIED& applied = m_applied[m_current];
    if (applied.camera == camera.version) {
        return;
    }
    const CShaderProgram& p = *m_variants[m_current];
    const glm::mat4 viewProjection = camera.projection * camera.view;
    const glm::vec3 eye = glm::vec3(glm::inverse(camera.view)[3]);
    m_gl.UniformMatrix4fv(p.GetLocation(uViewProjection), 1, GL_FALSE,
                          glm::value_ptr(viewProjection));
    m_gl.Uniform3fv(p.GetLocation(uEye), 1, glm::value_ptr(eye));
    m_gl.Uniform1f(p.GetLocation(uViewportHeight), camera.viewportHeight);
    applied.camera = camera.version;
}

void CSceneProgram::SetWorld(const glm::mat4& world) {
    APPLIED& applied = m_applied[m_current];
    if (applied.worldSet && applied.world == world) {
        return;
    }
    const CShaderProgram& p = *m_variants[m_current];
    const glm::mat3 normal = glm::transpose(glm::inverse(glm::mat3(world)));
    m_gl.UniformMatrix4fv(p.GetLocation(uWorld), 1, GL_FALSE, glm::value_ptr(world));
    m_gl.UniformMatrix3fv(p.GetLocation(uNormalMatrix), 1, GL_FALSE, glm::value_ptr(normal));
    applied.worldSet = true;
    applied.world = world;
}

void CSceneProgram::SetLights(const SCENE_LIGHTS& lights) {
    APPLIED& applied = m_applied[m_current];
    if (applied.lights == lights.version) {
        return;
    }
    CSceneLighting::Send(m_gl, m_lightLocations[m_current], lights);
    applied.lights = lights.version;
}

void CSceneProgram::SetMaterial(const MATERIAL& material) {
    APPLIED& applied = m_applied[m_current];
    if (applied.materialSet && applied.specular == material.specular &&
        applied.power == material.power) {
        return;
    }
    const CShaderProgram& p = *m_variants[m_current];
    m_gl.Uniform4fv(p.GetLocation(uMaterialSpecular), 1, glm::value_ptr(material.specular));
    m_gl.Uniform1f(p.GetLocation(uMaterialPower), material.power);
    applied.materialSet = true;
    applied.specular = material.specular;
    applied.power = material.power;
}

void CSceneProgram::SetPointSprite(bool on) {
    APPLIED& applied = m_applied[m_current];
    const int value = on ? 1 : 0;
    if (applied.pointSprite != value) {
        m_gl.Uniform1i(m_variants[m_current]->GetLocation(uPointSprite), value);
        applied.pointSprite = value;
    }
}
