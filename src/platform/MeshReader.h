#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A 4x4 matrix as 16 floats, column after column, acting on column vectors:
// the translation is in elements 12, 13 and 14 (the layout of the scene's
// matrices).
struct MESH_MATRIX {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

// One frame of a mesh file's tree. Frames come parents first: frames[0] is
// the root and every other frame's parent has a smaller index.
struct MESH_FRAME {
    std::string name;
    MESH_MATRIX local;  // relative to the parent
    int parent = -1;
    std::vector<int> children;
    std::vector<int> meshes;  // indices into MESH_DATA::meshes drawn in this frame
};

// A bone of a skinned mesh: the frame of the same name moves the vertices
// it weighs; offset takes them from the mesh's space into the bone's own
// space as the mesh was modelled (the bind pose).
struct MESH_BONE {
    std::string name;
    MESH_MATRIX offset;
};

// One mesh with one material. Vertices are in the mesh's own space;
// triangles are clockwise seen from their front, in the left-handed space
// of the scene (x right, y up, z away from the viewer).
struct MESH_PART {
    static constexpr int kBonesPerVertex = 4;

    std::string name;
    std::string material;
    float diffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};  // RGBA in 0..1
    float specular[3] = {0.0f, 0.0f, 0.0f};
    float emissive[3] = {0.0f, 0.0f, 0.0f};
    float power = 0.0f;             // specular exponent; 0 for none
    std::vector<float> positions;   // x, y, z per vertex
    std::vector<float> normals;     // x, y, z per vertex
    std::vector<uint32_t> indices;  // three per triangle
    // Skinned meshes only (else empty): kBonesPerVertex bone numbers
    // (into bones) and weights per vertex; unused slots weigh 0.
    std::vector<uint16_t> boneIndices;
    std::vector<float> boneWeights;
    std::vector<MESH_BONE> bones;

    size_t GetVertexCount() const { return positions.size() / 3; }
    bool IsSkinned() const { return !bones.empty(); }
};

// What a mesh file holds, in the reader's plain records.
struct MESH_DATA {
    std::vector<MESH_FRAME> frames;
    std::vector<MESH_PART> meshes;
};

// Reads 3D model files (the DirectX .x format among others) into plain
// records.
class IMeshReader {
public:
    // Bounds of what is read: larger files and models are refused.
    static constexpr size_t kMaxFileSize = 64u << 20;
    static constexpr size_t kMaxVertices = 1u << 20;   // in all meshes
    static constexpr size_t kMaxTriangles = 2u << 20;  // in all meshes
    static constexpr size_t kMaxBones = 1024;          // per mesh
    static constexpr size_t kMaxFrames = 4096;
    static constexpr size_t kMaxMeshes = 4096;
    static constexpr size_t kMaxNameLength = 1000;

    virtual ~IMeshReader() = default;
    // Reads the bytes of a model file; formatHint is its extension without
    // the dot ("x", "obj"). False with the reason in error.
    virtual bool Read(const void* data, size_t size, const char* formatHint, MESH_DATA& mesh,
                      std::string& error) = 0;
};

namespace Platform {
// Installs the process's mesh reader (null for none: meshes can't be read).
// The caller keeps it alive until it is replaced.
void SetMeshReader(IMeshReader* reader);
IMeshReader* GetMeshReader();
}  // namespace Platform
