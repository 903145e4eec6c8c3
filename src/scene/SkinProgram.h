#pragma once

#include <memory>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "foundation/CharString.h"
#include "scene/GlApi.h"
#include "scene/SceneLighting.h"

class CDirect3D;
class CShaderProgram;
struct MESH_PART;

// The GL program of skinned meshes: each vertex is moved by up to four
// matrices of a palette of bones, then lit exactly as the scene's own
// program lights its vertices (CDirect3D), with the colours of its mesh's
// material in place of vertex colours. A bone's matrix goes as its three
// upper rows, so that the palette leaves room for the lights in the
// smallest uniform space a GL 3.3 driver may give.
class CSkinProgram {
public:
    static constexpr const char* kSource = "SkinProgram";
    static constexpr int kMaxPalette = 64;

    explicit CSkinProgram(const CGlApi& gl);
    ~CSkinProgram();
    CSkinProgram(const CSkinProgram&) = delete;
    CSkinProgram& operator=(const CSkinProgram&) = delete;

    // Compiles and links in the current context, with a palette as large as
    // the driver's uniform space allows, up to kMaxPalette.
    bool Link();
    // Deletes the program when deleteObjects is set (its context is
    // current); forgets it either way.
    void Release(bool deleteObjects);
    bool IsLinked() const;
    int GetPaletteSize() const { return m_paletteSize; }

    // Makes the program current with the device's transforms and lights;
    // world is the device's world transform times the mesh's placement.
    bool Begin(const CDirect3D& device, const glm::mat4& world);
    void SetPalette(const glm::mat4* matrices, int count);
    void SetMaterial(const MESH_PART& part);
    const char* GetError() const { return m_error; }

private:
    const CGlApi& m_gl;
    std::string m_vertexSource;
    std::unique_ptr<CShaderProgram> m_program;
    LIGHT_LOCATIONS m_lightLocations;
    int m_paletteSize = 0;
    std::vector<glm::vec4> m_rows;  // the palette as it is sent
    CCharString m_error;
};
