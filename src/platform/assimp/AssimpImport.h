#pragma once

#include <cstddef>
#include <string>

#include "platform/MeshReader.h"

struct aiMesh;
struct aiNode;
struct aiScene;

// The model file's bytes through the Open Asset Import Library into mesh
// records: triangles with their normals, one material per mesh, up to four
// bone weights per vertex, the frame tree with each frame's meshes. The
// data comes in the scene's left-handed space with clockwise front faces,
// as a .x file holds it. Runs in the reading process (CReaderProcess): the
// library is not hardened against hostile files.
class CAssimpImport {
public:
    static bool Import(const void* data, size_t size, const char* formatHint, MESH_DATA& mesh,
                       std::string& error);

private:
    static bool AddFrames(const aiScene& scene, MESH_DATA& mesh, std::string& error);
    static bool AddMesh(const aiScene& scene, const aiMesh& source, MESH_PART& part,
                        std::string& error);
    static bool AddBones(const aiMesh& source, MESH_PART& part, std::string& error);
    static void SetMaterial(const aiScene& scene, const aiMesh& source, MESH_PART& part);
};
