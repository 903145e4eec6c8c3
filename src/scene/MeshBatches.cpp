#include "scene/MeshBatches.h"

#include <algorithm>

namespace {

constexpr int kSlots = MESH_PART::kBonesPerVertex;
constexpr uint32_t kNotYet = 0xFFFFFFFFu;

// The palette entries a vertex needs: its weighed bones, or the frame when
// it has none.
void EntriesOf(const MESH_PART& part, bool skinned, uint32_t vertex, std::vector<int>& entries) {
    entries.clear();
    if (skinned) {
        for (int s = 0; s < kSlots; ++s) {
            if (part.boneWeights[vertex * kSlots + s] > 0.0f) {
                entries.push_back(part.boneIndices[vertex * kSlots + s]);
            }
        }
    }
    if (entries.empty()) {
        entries.push_back(CMeshModel::kFrameEntry);
    }
}

// The batch being filled: its palette and where each of the part's
// vertices went in the vertex list.
struct OPEN_BATCH {
    MESH_BATCH batch;
    std::vector<uint32_t> placed;
};

uint32_t PlaceVertex(const MESH_PART& part, bool skinned, uint32_t vertex, OPEN_BATCH& open,
                     std::vector<SKIN_VERTEX>& vertices) {
    if (open.placed[vertex] != kNotYet) {
        return open.placed[vertex];
    }
    SKIN_VERTEX out;
    for (int i = 0; i < 3; ++i) {
        out.position[i] = part.positions[3 * vertex + i];
        out.normal[i] = part.normals[3 * vertex + i];
    }
    std::vector<int> entries;
    EntriesOf(part, skinned, vertex, entries);
    const std::vector<int>& palette = open.batch.palette;
    int slot = 0;
    for (int s = 0; s < kSlots && skinned && entries[0] != CMeshModel::kFrameEntry; ++s) {
        const float weight = part.boneWeights[vertex * kSlots + s];
        if (weight > 0.0f) {
            const int bone = part.boneIndices[vertex * kSlots + s];
            out.bones[slot] = static_cast<float>(std::find(palette.begin(), palette.end(), bone) -
                                                 palette.begin());
            out.weights[slot] = weight;
            ++slot;
        }
    }
    if (slot == 0) {
        out.bones[0] = static_cast<float>(
            std::find(palette.begin(), palette.end(), CMeshModel::kFrameEntry) - palette.begin());
        out.weights[0] = 1.0f;
    }
    open.placed[vertex] = static_cast<uint32_t>(vertices.size());
    vertices.push_back(out);
    return open.placed[vertex];
}

void Close(OPEN_BATCH& open, std::vector<uint32_t>& indices, std::vector<MESH_BATCH>& batches) {
    open.batch.indexCount = static_cast<uint32_t>(indices.size()) - open.batch.firstIndex;
    if (open.batch.indexCount > 0) {
        batches.push_back(open.batch);
    }
}

}  // namespace

bool CMeshBatches::Build(const CMeshModel& model, int maxEntries,
                         std::vector<SKIN_VERTEX>& vertices, std::vector<uint32_t>& indices,
                         std::vector<MESH_BATCH>& batches, std::string& error) {
    vertices.clear();
    indices.clear();
    batches.clear();
    if (maxEntries < kFewestEntries) {
        error = "a palette of " + std::to_string(maxEntries) + " bones is too small";
        return false;
    }
    const std::vector<CMeshModel::DRAW_ITEM>& items = model.GetDrawItems();
    std::vector<int> needed, entries;
    for (size_t i = 0; i < items.size(); ++i) {
        const MESH_PART& part = model.GetData().meshes[items[i].part];
        const bool skinned = model.IsSkinnedPart(items[i].part);
        OPEN_BATCH open;
        open.placed.assign(part.GetVertexCount(), kNotYet);
        open.batch.item = static_cast<int>(i);
        open.batch.part = items[i].part;
        open.batch.firstIndex = static_cast<uint32_t>(indices.size());
        for (size_t t = 0; t + 2 < part.indices.size(); t += 3) {
            // The entries the triangle adds to the palette.
            needed.clear();
            for (int c = 0; c < 3; ++c) {
                EntriesOf(part, skinned, part.indices[t + c], entries);
                for (int entry : entries) {
                    if (std::find(open.batch.palette.begin(), open.batch.palette.end(), entry) ==
                            open.batch.palette.end() &&
                        std::find(needed.begin(), needed.end(), entry) == needed.end()) {
                        needed.push_back(entry);
                    }
                }
            }
            if (open.batch.palette.size() + needed.size() > static_cast<size_t>(maxEntries)) {
                // A new batch: the triangle's own entries only.
                Close(open, indices, batches);
                open.batch.palette.clear();
                open.batch.firstIndex = static_cast<uint32_t>(indices.size());
                std::fill(open.placed.begin(), open.placed.end(), kNotYet);
                needed.clear();
                for (int c = 0; c < 3; ++c) {
                    EntriesOf(part, skinned, part.indices[t + c], entries);
                    for (int entry : entries) {
                        if (std::find(needed.begin(), needed.end(), entry) == needed.end()) {
                            needed.push_back(entry);
                        }
                    }
                }
            }
            open.batch.palette.insert(open.batch.palette.end(), needed.begin(), needed.end());
            for (int c = 0; c < 3; ++c) {
                indices.push_back(PlaceVertex(part, skinned, part.indices[t + c], open, vertices));
            }
        }
        Close(open, indices, batches);
    }
    return true;
}
