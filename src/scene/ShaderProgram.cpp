#include "scene/ShaderProgram.h"

#include <algorithm>

#include "foundation/ErrorReport.h"

namespace {

constexpr int kLogSize = 1024;
constexpr GLint kNoLocation = -1;

}  // namespace

CShaderProgram::CShaderProgram(const CGlApi& gl, const char* vertexSource,
                               const char* fragmentSource, const char* const* uniformNames,
                               int uniformCount)
    : m_gl(gl),
      m_vertexSource(vertexSource),
      m_fragmentSource(fragmentSource),
      m_uniformNames(uniformNames),
      m_locations(static_cast<size_t>(uniformCount), kNoLocation) {}

bool CShaderProgram::Link() {
    if (!m_gl.IsLoaded()) {
        return FailWith(m_error, kSource, __LINE__, "Can't link program: %s", "no GL context");
    }
    Release(true);
    const GLuint vertex = m_gl.CreateShader(GL_VERTEX_SHADER);
    const GLuint fragment = m_gl.CreateShader(GL_FRAGMENT_SHADER);
    const bool linked = Compile(vertex, m_vertexSource) && Compile(fragment, m_fragmentSource) &&
                        LinkShaders(vertex, fragment);
    m_gl.DeleteShader(vertex);
    m_gl.DeleteShader(fragment);
    if (linked) {
        FindLocations();
    }
    return linked;
}

bool CShaderProgram::Compile(GLuint shader, const char* source) {
    m_gl.ShaderSource(shader, 1, &source, nullptr);
    m_gl.CompileShader(shader);
    GLint ok = 0;
    m_gl.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) {
        return true;
    }
    char log[kLogSize] = {};
    m_gl.GetShaderInfoLog(shader, sizeof log, nullptr, log);
    return FailWith(m_error, kSource, __LINE__, "Can't compile shader: %s", log);
}

bool CShaderProgram::LinkShaders(GLuint vertex, GLuint fragment) {
    const GLuint id = m_gl.CreateProgram();
    m_gl.AttachShader(id, vertex);
    m_gl.AttachShader(id, fragment);
    m_gl.LinkProgram(id);
    GLint linked = 0;
    m_gl.GetProgramiv(id, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[kLogSize] = {};
        m_gl.GetProgramInfoLog(id, sizeof log, nullptr, log);
        m_gl.DeleteProgram(id);
        return FailWith(m_error, kSource, __LINE__, "Can't link program: %s", log);
    }
    m_id = id;
    return true;
}

void CShaderProgram::FindLocations() {
    for (size_t i = 0; i < m_locations.size(); ++i) {
        m_locations[i] = m_gl.GetUniformLocation(m_id, m_uniformNames[i]);
    }
}

bool CShaderProgram::Use() {
    if (m_id == 0) {
        return FailWith(m_error, kSource, __LINE__, "Can't use program: %s", "not linked");
    }
    m_gl.UseProgram(m_id);
    return true;
}

void CShaderProgram::Release(bool deleteObjects) {
    if (deleteObjects && m_id != 0) {
        m_gl.DeleteProgram(m_id);
    }
    m_id = 0;
    std::fill(m_locations.begin(), m_locations.end(), kNoLocation);
}
