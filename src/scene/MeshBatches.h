#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/MeshModel.h"

// One vertex as the skinning program reads it: 56 bytes. Bone slots are
// places in the palette of the vertex's batch, as floats.
struct SKIN_VERTEX {
    float position[3] = {0.0f, 0.0f, 0.0f};
    float normal[3] = {0.0f, 0.0f, 0.0f};
    float bones[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float weights[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};
static_assert(sizeof(SKIN_VERTEX) == 56, "the skinned vertex is 56 bytes");

// A stretch of triangles of one draw item whose bones fit in one palette:
// its entries are bone numbers of the item's part, or
// CMeshModel::kFrameEntry for the frame that holds it.
struct MESH_BATCH {
    int item = 0;  // into CMeshModel::GetDrawItems
    int part = 0;
    std::vector<int> palette;
    uint32_t firstIndex = 0;
    uint32_t indexCount = 0;
};

// Splits a model's meshes into batches whose bones fit in a palette of
// maxEntries matrices, and makes their vertices and indices for one
// vertex and one index buffer (the indices count from the first vertex).
class CMeshBatches {
public:
    // A triangle needs up to three vertices' four bones and the frame.
    static constexpr int kFewestEntries = 13;

    static bool Build(const CMeshModel& model, int maxEntries, std::vector<SKIN_VERTEX>& vertices,
                      std::vector<uint32_t>& indices, std::vector<MESH_BATCH>& batches,
                      std::string& error);
};
