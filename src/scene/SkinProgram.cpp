#include "scene/SkinProgram.h"

#include <algorithm>
#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "foundation/ErrorReport.h"
#include "platform/MeshReader.h"
#include "scene/Direct3D.h"
#include "scene/ShaderProgram.h"

namespace {

// Uniform vectors kept for everything but the palette: the lights (six
// vectors and two integers each), the transforms, the material and the
// rest, with room to spare.
constexpr int kReservedVectors = 96;
constexpr int kRowsPerBone = 3;

// The palette's size is put in front of this text.
const char* const kVertexShaderBody = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aBones;
layout(location = 3) in vec4 aWeights;
uniform vec4 uPalette[PALETTE * 3];
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
uniform vec4 uDiffuse;
uniform vec3 uEmissive;
uniform vec4 uMaterialSpecular;
uniform float uMaterialPower;
out vec4 vColor;
out vec3 vSpecular;
mat4 Bone(int i) {
    return transpose(mat4(uPalette[3 * i], uPalette[3 * i + 1], uPalette[3 * i + 2],
                          vec4(0.0, 0.0, 0.0, 1.0)));
}
void main() {
    mat4 skin = mat4(0.0);
    for (int k = 0; k < 4; ++k) {
        if (aWeights[k] > 0.0) {
            skin += Bone(int(aBones[k] + 0.5)) * aWeights[k];
        }
    }
    vec4 world = uWorld * (skin * vec4(aPosition, 1.0));
    gl_Position = uViewProjection * world;
    if (uLighting == 0) {
        vColor = uDiffuse;
        vSpecular = vec3(0.0);
        return;
    }
    vec3 n = normalize(uNormalMatrix * (mat3(skin) * aNormal));
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
    vColor = clamp(vec4(uDiffuse.rgb * (ambient + diffuse) + uEmissive, uDiffuse.a), 0.0, 1.0);
    vSpecular = clamp(specular * uMaterialSpecular.rgb, 0.0, 1.0);
}
)";

const char* const kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec3 vSpecular;
out vec4 fragColor;
void main() {
    fragColor = vec4(min(vColor.rgb + vSpecular, vec3(1.0)), vColor.a);
}
)";

enum Uniform : int {
    uPalette,
    uWorld,
    uViewProjection,
    uNormalMatrix,
    uEye,
    uLighting,
    uAmbient,
    uLightCount,
    uLightOn,
    uLightType,
    uLightDiffuse,
    uLightSpecular,
    uLightAmbient,
    uLightPosition,
    uLightDirection,
    uLightFalloff,
    uDiffuse,
    uEmissive,
    uMaterialSpecular,
    uMaterialPower,
    kUniformCount
};

const char* const kUniformNames[kUniformCount] = {
    "uPalette[0]",
    "uWorld",
    "uViewProjection",
    "uNormalMatrix",
    "uEye",
    "uLighting",
    "uAmbient",
    "uLightCount",
    "uLightOn[0]",
    "uLightType[0]",
    "uLightDiffuse[0]",
    "uLightSpecular[0]",
    "uLightAmbient[0]",
    "uLightPosition[0]",
    "uLightDirection[0]",
    "uLightFalloff[0]",
    "uDiffuse",
    "uEmissive",
    "uMaterialSpecular",
    "uMaterialPower",
};

}  // namespace

CSkinProgram::CSkinProgram(const CGlApi& gl) : m_gl(gl) {}

CSkinProgram::~CSkinProgram() = default;

bool CSkinProgram::IsLinked() const {
    return m_program != nullptr && m_program->IsLinked();
}

bool CSkinProgram::Link() {
    if (!m_gl.IsLoaded()) {
        return FailWith(m_error, kSource, __LINE__, "Can't link the skinning program: %s",
                        "no GL context");
    }
    Release(true);
    GLint components = 0;
    m_gl.GetIntegerv(GL_MAX_VERTEX_UNIFORM_COMPONENTS, &components);
    m_paletteSize = std::min(kMaxPalette, (components / 4 - kReservedVectors) / kRowsPerBone);
    if (m_paletteSize < 1) {
        return FailWith(m_error, kSource, __LINE__,
                        "Can't link the skinning program: %d uniform components", components);
    }
    m_vertexSource = "#version 330 core\n#define PALETTE " + std::to_string(m_paletteSize) + "\n" +
                     kVertexShaderBody;
    m_program = std::make_unique<CShaderProgram>(m_gl, m_vertexSource.c_str(), kFragmentShader,
                                                 kUniformNames, kUniformCount);
    if (!m_program->Link()) {
        return FailWith(m_error, kSource, __LINE__, "Can't link the skinning program: %s",
                        m_program->GetError());
    }
    return true;
}

void CSkinProgram::Release(bool deleteObjects) {
    if (m_program != nullptr) {
        m_program->Release(deleteObjects);
    }
}

bool CSkinProgram::Begin(const CDirect3D& device, const glm::mat4& world) {
    if (!IsLinked() || !m_program->Use()) {
        return FailWith(m_error, kSource, __LINE__, "Can't draw skinned: %s", "not linked");
    }
    const CShaderProgram& p = *m_program;
    const glm::mat4 viewProjection =
        device.GetTransform(CDirect3D::kProjection) * device.GetTransform(CDirect3D::kView);
    const glm::mat3 normal = glm::transpose(glm::inverse(glm::mat3(world)));
    const glm::vec3 eye = glm::vec3(glm::inverse(device.GetTransform(CDirect3D::kView))[3]);
    m_gl.UniformMatrix4fv(p.GetLocation(uWorld), 1, GL_FALSE, glm::value_ptr(world));
    m_gl.UniformMatrix4fv(p.GetLocation(uViewProjection), 1, GL_FALSE,
                          glm::value_ptr(viewProjection));
    m_gl.UniformMatrix3fv(p.GetLocation(uNormalMatrix), 1, GL_FALSE, glm::value_ptr(normal));
    m_gl.Uniform3fv(p.GetLocation(uEye), 1, glm::value_ptr(eye));
    constexpr int kLights = CDirect3D::kMaxLights;
    GLint on[kLights], types[kLights];
    GLint count = 0;
    glm::vec4 diffuse[kLights], specular[kLights], ambient[kLights], falloff[kLights];
    glm::vec3 position[kLights], direction[kLights];
    for (int i = 0; i < kLights; ++i) {
        const LIGHT& light = device.GetLight(i);
        on[i] = device.IsLightOn(i) ? 1 : 0;
        count = on[i] ? i + 1 : count;
        types[i] = light.type;
        diffuse[i] = light.diffuse;
        specular[i] = light.specular;
        ambient[i] = light.ambient;
        position[i] = light.position;
        direction[i] = light.direction;
        falloff[i] = glm::vec4(light.attenuation, light.range);
    }
    m_gl.Uniform1i(p.GetLocation(uLighting), device.IsLighting() ? 1 : 0);
    m_gl.Uniform4fv(p.GetLocation(uAmbient), 1, glm::value_ptr(device.GetAmbient()));
    m_gl.Uniform1i(p.GetLocation(uLightCount), count);
    m_gl.Uniform1iv(p.GetLocation(uLightOn), kLights, on);
    m_gl.Uniform1iv(p.GetLocation(uLightType), kLights, types);
    m_gl.Uniform4fv(p.GetLocation(uLightDiffuse), kLights, glm::value_ptr(diffuse[0]));
    m_gl.Uniform4fv(p.GetLocation(uLightSpecular), kLights, glm::value_ptr(specular[0]));
    m_gl.Uniform4fv(p.GetLocation(uLightAmbient), kLights, glm::value_ptr(ambient[0]));
    m_gl.Uniform3fv(p.GetLocation(uLightPosition), kLights, glm::value_ptr(position[0]));
    m_gl.Uniform3fv(p.GetLocation(uLightDirection), kLights, glm::value_ptr(direction[0]));
    m_gl.Uniform4fv(p.GetLocation(uLightFalloff), kLights, glm::value_ptr(falloff[0]));
    return true;
}

void CSkinProgram::SetPalette(const glm::mat4* matrices, int count) {
    count = std::min(count, m_paletteSize);
    m_rows.resize(static_cast<size_t>(count) * kRowsPerBone);
    for (int b = 0; b < count; ++b) {
        for (int r = 0; r < kRowsPerBone; ++r) {
            const glm::mat4& m = matrices[b];
            m_rows[b * kRowsPerBone + r] = glm::vec4(m[0][r], m[1][r], m[2][r], m[3][r]);
        }
    }
    if (!m_rows.empty()) {
        m_gl.Uniform4fv(m_program->GetLocation(uPalette), static_cast<GLsizei>(m_rows.size()),
                        glm::value_ptr(m_rows[0]));
    }
}

void CSkinProgram::SetMaterial(const MESH_PART& part) {
    const CShaderProgram& p = *m_program;
    m_gl.Uniform4fv(p.GetLocation(uDiffuse), 1, part.diffuse);
    m_gl.Uniform3fv(p.GetLocation(uEmissive), 1, part.emissive);
    const glm::vec4 specular(part.specular[0], part.specular[1], part.specular[2], 1.0f);
    m_gl.Uniform4fv(p.GetLocation(uMaterialSpecular), 1, glm::value_ptr(specular));
    m_gl.Uniform1f(p.GetLocation(uMaterialPower), part.power);
}
