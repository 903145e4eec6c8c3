// The mesh reader on arbitrary bytes given as a .x file (the library reads
// them in a child process of its own), then what came back through the
// scene's mesh model as the skinned mesh uses it: every frame turned, the
// vertices skinned and bounded, the meshes split into palette batches.
// Whatever the reader answers must hold together: a refusal has a reason,
// every batch fits its palette and points inside its vertices.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "platform/assimp/AssimpMeshReader.h"
#include "scene/MeshBatches.h"
#include "scene/MeshModel.h"

namespace {

constexpr int kPalette = 16;
constexpr int kReaderSeconds = 5;  // below the fuzzer's own time-out
constexpr float kTurn = 20.0f;

CReaderProcess::LIMITS Limits() {
    CReaderProcess::LIMITS limits;
    limits.seconds = kReaderSeconds;
    limits.memory = 512u << 20;
    return limits;
}

void CheckBatches(const CMeshModel& model) {
    std::vector<SKIN_VERTEX> vertices;
    std::vector<uint32_t> indices;
    std::vector<MESH_BATCH> batches;
    std::string error;
    if (!CMeshBatches::Build(model, kPalette, vertices, indices, batches, error)) {
        __builtin_trap();  // every model the check let through can be split
    }
    for (const MESH_BATCH& batch : batches) {
        if (batch.palette.size() > static_cast<size_t>(kPalette) ||
            batch.firstIndex + batch.indexCount > indices.size()) {
            __builtin_trap();
        }
        for (uint32_t i = batch.firstIndex; i < batch.firstIndex + batch.indexCount; ++i) {
            if (indices[i] >= vertices.size()) {
                __builtin_trap();
            }
            for (int s = 0; s < 4; ++s) {
                if (vertices[indices[i]].weights[s] > 0.0f &&
                    vertices[indices[i]].bones[s] >= static_cast<float>(batch.palette.size())) {
                    __builtin_trap();
                }
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static CAssimpMeshReader reader(Limits());
    MESH_DATA mesh;
    std::string error;
    if (!reader.Read(data, size, "x", mesh, error)) {
        if (error.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    CMeshModel model;
    if (!model.SetData(std::move(mesh), "fuzz.x")) {
        return 0;
    }
    for (int f = 0; f < model.GetFrameCount(); ++f) {
        model.SetLocal(f, glm::rotate(model.GetLocal(f), glm::radians(kTurn), glm::vec3(0, 0, 1)));
    }
    model.Update();
    glm::vec3 low(0.0f), high(0.0f);
    model.GetBounds(glm::mat4(1.0f), {}, low, high);
    CheckBatches(model);
    model.SetSkinned(false);
    CheckBatches(model);
    return 0;
}
