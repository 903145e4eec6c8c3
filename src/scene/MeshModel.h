#pragma once

#include <vector>

#include <glm/glm.hpp>

#include "foundation/CharString.h"
#include "platform/MeshReader.h"

// A model read from a mesh file, ready to be posed: its frame tree with
// each frame's local matrix (as the file has it, or as a bone was turned
// since) and combined matrix (the parent's combined matrix times the local
// one), and its meshes with their bones tied to the frames of the same
// names. A skinned mesh's vertex moves with the palette of its bones
// (combined times offset); a mesh without bones, or every mesh when the
// model is shown as stored, moves with the frame that holds it.
class CMeshModel {
public:
    static constexpr const char* kSource = "MeshModel";
    // Stands for the frame that holds a mesh in a palette of bone numbers.
    static constexpr int kFrameEntry = -1;

    // Reads the file at path through the process's mesh reader; false with
    // "Can't load the mesh \"path\": reason".
    bool Load(const char* path);
    // Takes records read otherwise; name stands for the file in error texts.
    bool SetData(MESH_DATA data, const char* name);
    // skinned false shows every mesh as stored, its bones unused.
    void SetSkinned(bool skinned) { m_skinned = skinned; }
    bool IsSkinned() const { return m_skinned; }

    int GetFrameCount() const { return static_cast<int>(m_local.size()); }
    // -1 when no frame has the name.
    int FindFrame(const char* name) const;
    const char* GetFrameName(int frame) const;
    // A bone by name: the frame of that name; -1 with "Can't find the bone
    // \"name\" in \"file\"" in the error text.
    int FindBone(const char* name);
    bool SetLocal(int frame, const glm::mat4& local);
    bool SetBoneLocal(const char* name, const glm::mat4& local);
    // Turns a bone about axis (in its parent's space) through the bone's
    // own origin, from the pose of the file.
    bool TurnBone(const char* name, float degrees, const glm::vec3& axis);
    // Every frame back to the pose of the file.
    void ResetPose();
    // Recomputes the combined matrices after local ones changed.
    void Update();
    const glm::mat4& GetLocal(int frame) const { return m_local[frame]; }
    const glm::mat4& GetCombined(int frame) const { return m_combined[frame]; }

    // What is drawn: each mesh at each frame that holds it (a skinned mesh
    // once), meshes no frame holds at the root.
    struct DRAW_ITEM {
        int part = 0;
        int frame = 0;
    };
    const std::vector<DRAW_ITEM>& GetDrawItems() const { return m_items; }
    // True when the part's vertices move with its bones.
    bool IsSkinnedPart(int part) const;
    // The matrix of one palette entry of an item: a bone number of its part
    // or kFrameEntry.
    glm::mat4 GetEntryMatrix(const DRAW_ITEM& item, int entry) const;
    // Where a vertex of an item is in the model's space, skinned on the
    // processor as the vertex program does it.
    glm::vec3 GetVertexPosition(const DRAW_ITEM& item, int vertex) const;
    // The box round every vertex of every item shown, after placement;
    // false for a model without vertices.
    bool GetBounds(const glm::mat4& placement, const std::vector<bool>& shown, glm::vec3& low,
                   glm::vec3& high) const;

    // Writes the frame tree to the debug output: a "LoadMesh" or "LoadSkin"
    // line, the file, and each frame with its parent, the vertices of the
    // meshes it holds and their box.
    void Dump() const;

    // Parts by name: a material's name first, else a mesh's name.
    std::vector<int> FindParts(const char* name) const;
    const MESH_DATA& GetData() const { return m_data; }
    const char* GetName() const { return m_name; }
    const char* GetError() const { return m_error; }

private:
    bool Fail(int line, const char* format, ...) NOTARA_PRINTF(3, 4);
    bool Prepare();

    MESH_DATA m_data;
    CCharString m_name;
    CCharString m_error;
    bool m_skinned = true;
    std::vector<glm::mat4> m_fileLocal;
    std::vector<glm::mat4> m_local;
    std::vector<glm::mat4> m_combined;
    std::vector<glm::mat4> m_offsets;            // per part and bone, flattened
    std::vector<size_t> m_firstOffset;           // per part
    std::vector<std::vector<int>> m_boneFrames;  // per part, each bone's frame
    std::vector<DRAW_ITEM> m_items;
};
