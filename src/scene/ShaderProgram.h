#pragma once

#include <vector>

#include "foundation/CharString.h"
#include "scene/GlApi.h"

// One GL program made of a vertex and a fragment shader. The locations of
// the uniforms its owner names are looked up once at link time, so drawing
// never searches for them; arrays are named by their first element.
// The GL objects belong to the context: the owner releases the program
// while that context is current, or forgets it when the context is gone.
class CShaderProgram {
public:
    static constexpr const char* kSource = "ShaderProgram";

    // The sources and names must outlive the program (string literals).
    CShaderProgram(const CGlApi& gl, const char* vertexSource, const char* fragmentSource,
                   const char* const* uniformNames, int uniformCount);
    CShaderProgram(const CShaderProgram&) = delete;
    CShaderProgram& operator=(const CShaderProgram&) = delete;

    // Compiles and links in the current context; a linked program is
    // released first.
    bool Link();
    bool Use();
    // Deletes the program when deleteObjects is set (its context is
    // current); forgets it either way.
    void Release(bool deleteObjects);

    bool IsLinked() const { return m_id != 0; }
    GLuint GetId() const { return m_id; }
    // The location of uniform number index of the names given (-1 when the
    // program does not use it).
    GLint GetLocation(int index) const { return m_locations[index]; }
    const char* GetError() const { return m_error; }

private:
    bool Compile(GLuint shader, const char* source);
    bool LinkShaders(GLuint vertex, GLuint fragment);
    void FindLocations();

    const CGlApi& m_gl;
    const char* m_vertexSource;
    const char* m_fragmentSource;
    const char* const* m_uniformNames;
    GLuint m_id = 0;
    std::vector<GLint> m_locations;
    CCharString m_error;
};
