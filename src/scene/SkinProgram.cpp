#include "scene/SkinProgram.h"

#include <algorithm>
#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "foundation/ErrorReport.h"
#include "platform/MeshReader.h"
#include "scene/Direct3D.h"
#include "scene/SceneLighting.h"
#include "scene/SceneProgram.h"
#include "scene/ShaderProgram.h"

namespace {

// Uniform vectors kept for everything but the palette: the lights (six
// vectors and two integers each), the transforms, the material and the
// rest, with room to spare.
constexpr int kReservedVectors = 96;
constexpr int kRowsPerBone = 3;

// Follows the version line, the palette's size and the lighting model.
const char* const kVertexShaderBody = R"(
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aBones;
layout(location = 3) in vec4 aWeights;
uniform vec4 uPalette[PALETTE * 3];
uniform mat4 uWorld;
uniform mat4 uViewProjection;
uniform mat3 uNormalMatrix;
uniform vec4 uDiffuse;
uniform vec3 uEmissive;
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
    vec3 specular;
    vec3 light = Light(normalize(uNormalMatrix * (mat3(skin) * aNormal)), world.xyz, specular);
    vColor = clamp(vec4(uDiffuse.rgb * light + uEmissive, uDiffuse.a), 0.0, 1.0);
    vSpecular = clamp(specular * uMaterialSpecular.rgb, 0.0, 1.0);
}
)";

enum Uniform : int {
    uPalette,
    uWorld,
    uViewProjection,
    uNormalMatrix,
    uEye,
    uDiffuse,
    uEmissive,
    uMaterialSpecular,
    uMaterialPower,
    kUniformCount
};

const char* const kUniformNames[kUniformCount] = {
    "uPalette[0]", "uWorld",    "uViewProjection",   "uNormalMatrix",  "uEye",
    "uDiffuse",    "uEmissive", "uMaterialSpecular", "uMaterialPower",
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
                     CSceneLighting::kShaderText + kVertexShaderBody;
    m_program = std::make_unique<CShaderProgram>(m_gl, m_vertexSource.c_str(),
                                                 CSceneLighting::kFragmentShader, kUniformNames,
                                                 kUniformCount);
    if (!m_program->Link()) {
        return FailWith(m_error, kSource, __LINE__, "Can't link the skinning program: %s",
                        m_program->GetError());
    }
    m_lightLocations = CSceneLighting::Locate(m_gl, m_program->GetId());
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
    CSceneLighting::Send(m_gl, m_lightLocations, device.GetSceneLights());
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
