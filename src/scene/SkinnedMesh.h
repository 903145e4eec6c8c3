#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <glm/glm.hpp>

#include "scene/MeshBatches.h"
#include "scene/MeshModel.h"
#include "scene/Primitive.h"

class CSkinProgram;

// A mesh from a model file as a primitive of the scene. Unlike the
// scene's other primitives it keeps its own GL vertex array, with bone
// numbers and weights per vertex, and is skinned in the vertex program
// from a palette of bone matrices (CSkinProgram); its bones are posed by
// name and its parts (materials or meshes) shown or hidden by name.
// Moving, turning and scaling it changes its placement, a matrix applied
// before the scene's world transform.
class CSkinnedMesh : public CPrimitive {
public:
    static constexpr const char* kSource = "SkinnedMesh";

    CSkinnedMesh(const char* name, CDirect3D* device, CVertexBuffer* list);
    ~CSkinnedMesh() override;

    // Loads the mesh file at path; skinned false shows it as stored, its
    // bones unused. False with "Can't load the mesh \"path\": reason".
    bool Load(const char* path, bool skinned);
    // Takes a model read otherwise.
    bool SetModel(std::unique_ptr<CMeshModel> model, bool skinned);
    // Makes the GL objects in the current context; drawing makes them when
    // they are missing, after a lost context too.
    bool CreateDeviceObjects();

    // Bones by name; see CMeshModel. The pose is drawn at the next frame.
    int FindBone(const char* name);
    bool SetBoneLocal(const char* name, const glm::mat4& local);
    bool TurnBone(const char* name, float degrees, const glm::vec3& axis);
    void ResetPose();

    using CPrimitive::SetVisible;
    // Shows or hides the parts of a material's name, else of a mesh's name;
    // false with "Can't find the part ..." when none has it.
    bool SetVisible(const char* part, bool on);
    bool IsPartVisible(int part) const { return m_partShown[part]; }

    // The box round the visible vertices in their pose, placement applied.
    bool GetBounds(glm::vec3& low, glm::vec3& high) const;
    CMeshModel& GetModel() { return *m_model; }
    const CMeshModel& GetModel() const { return *m_model; }
    int GetBatchCount() const { return static_cast<int>(m_batches.size()); }
    int GetPaletteSize() const;

    bool DrawSelf() override;

private:
    void ReleaseDeviceObjects();
    bool DrawBatches();

    std::unique_ptr<CMeshModel> m_model;
    std::vector<bool> m_partShown;
    std::unique_ptr<CSkinProgram> m_program;
    std::vector<SKIN_VERTEX> m_vertices;
    std::vector<uint32_t> m_indices;
    std::vector<MESH_BATCH> m_batches;
    std::vector<glm::mat4> m_palette;
    uint32_t m_vertexArray = 0;
    uint32_t m_vertexBuffer = 0;
    uint32_t m_indexBuffer = 0;
    uint32_t m_contextSerial = 0;  // of the context the objects belong to
    bool m_created = false;
};
