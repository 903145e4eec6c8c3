#include "scene/SceneProgram.h"

#include <glm/gtc/type_ptr.hpp>

#include "scene/Direct3D.h"
#include "scene/ShaderProgram.h"

namespace {

const char* const kVertexShader = R"(#version 330 core
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

const char* const kPlainFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec3 vSpecular;
out vec4 fragColor;
void main() {
    fragColor = vec4(min(vColor.rgb + vSpecular, vec3(1.0)), vColor.a);
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

// The uniforms of the program; arrays are found by their first element.
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

constexpr int kMaxLights = SCENE_LIGHTS::kMaxLights;
static_assert(kMaxLights == CDirect3D::kMaxLights, "the program takes all the device's lights");

}  // namespace

CSceneProgram::CSceneProgram(const CGlApi& gl) : m_gl(gl) {
    const char* const fragments[kVariantCount] = {kPlainFragmentShader, kTexturedFragmentShader};
    for (int i = 0; i < kVariantCount; ++i) {
        m_variants[i] = std::make_unique<CShaderProgram>(gl, kVertexShader, fragments[i],
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
    const CShaderProgram& p = *m_variants[m_current];
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
        const LIGHT& light = lights.lights[i];
        on[i] = lights.on[i] ? 1 : 0;
        count = lights.on[i] ? i + 1 : count;
        types[i] = light.type;
        diffuse[i] = light.diffuse;
        specular[i] = light.specular;
        ambient[i] = light.ambient;
        position[i] = light.position;
        direction[i] = light.direction;
        falloff[i] = glm::vec4(light.attenuation, light.range);
    }
    m_gl.Uniform1i(p.GetLocation(uLighting), lights.lighting ? 1 : 0);
    m_gl.Uniform4fv(p.GetLocation(uAmbient), 1, glm::value_ptr(lights.ambient));
    m_gl.Uniform1i(p.GetLocation(uLightCount), count);  // the loop stops after the last light on
    m_gl.Uniform1iv(p.GetLocation(uLightOn), kMaxLights, on);
    m_gl.Uniform1iv(p.GetLocation(uLightType), kMaxLights, types);
    m_gl.Uniform4fv(p.GetLocation(uLightDiffuse), kMaxLights, glm::value_ptr(diffuse[0]));
    m_gl.Uniform4fv(p.GetLocation(uLightSpecular), kMaxLights, glm::value_ptr(specular[0]));
    m_gl.Uniform4fv(p.GetLocation(uLightAmbient), kMaxLights, glm::value_ptr(ambient[0]));
    m_gl.Uniform3fv(p.GetLocation(uLightPosition), kMaxLights, glm::value_ptr(position[0]));
    m_gl.Uniform3fv(p.GetLocation(uLightDirection), kMaxLights, glm::value_ptr(direction[0]));
    m_gl.Uniform4fv(p.GetLocation(uLightFalloff), kMaxLights, glm::value_ptr(falloff[0]));
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
