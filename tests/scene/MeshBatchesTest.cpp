// The split of skinned meshes into batches whose bones fit the vertex
// program's palette: each batch's vertices, skinned from its own palette,
// land where the model's own skinning puts them.
#include <gtest/gtest.h>

#include <set>

#include "scene/MeshBatches.h"

namespace {

MESH_MATRIX Translation(float x, float y, float z) {
    MESH_MATRIX m;
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

// A ribbon of bones frames, one per step along x, each holding the vertices
// at its step and blending them with the next bone.
MESH_DATA Ribbon(int bones) {
    MESH_DATA mesh;
    mesh.frames.resize(bones + 1);
    mesh.frames[0].name = "Root";
    mesh.frames[0].meshes = {0};
    MESH_PART part;
    part.name = "Ribbon";
    for (int b = 0; b < bones; ++b) {
        MESH_FRAME& frame = mesh.frames[b + 1];
        frame.name = "Bone" + std::to_string(b);
        frame.parent = b;
        frame.local = Translation(b == 0 ? 0.0f : 1.0f, 0.0f, 0.0f);
        mesh.frames[b].children.push_back(b + 1);
        part.bones.push_back(MESH_BONE{frame.name, Translation(-static_cast<float>(b), 0, 0)});
        for (float y : {0.0f, 1.0f}) {
            part.positions.insert(part.positions.end(), {static_cast<float>(b), y, 0.0f});
            part.normals.insert(part.normals.end(), {0.0f, 0.0f, -1.0f});
            const uint16_t next = static_cast<uint16_t>(std::min(b + 1, bones - 1));
            part.boneIndices.insert(part.boneIndices.end(), {static_cast<uint16_t>(b), next, 0, 0});
            part.boneWeights.insert(part.boneWeights.end(), {0.7f, 0.3f, 0.0f, 0.0f});
        }
    }
    for (uint32_t b = 0; b + 1 < static_cast<uint32_t>(bones); ++b) {
        const uint32_t v = 2 * b;
        part.indices.insert(part.indices.end(), {v, v + 1, v + 2, v + 1, v + 3, v + 2});
    }
    mesh.meshes.push_back(part);
    return mesh;
}

// Where a batch's vertex lands, skinned from the batch's own palette.
glm::vec3 Skin(const CMeshModel& model, const MESH_BATCH& batch, const SKIN_VERTEX& vertex) {
    const glm::vec4 p(vertex.position[0], vertex.position[1], vertex.position[2], 1.0f);
    glm::vec4 sum(0.0f);
    for (int s = 0; s < 4; ++s) {
        if (vertex.weights[s] > 0.0f) {
            const int slot = static_cast<int>(vertex.bones[s] + 0.5f);
            EXPECT_LT(slot, static_cast<int>(batch.palette.size()));
            const glm::mat4 matrix =
                model.GetEntryMatrix(model.GetDrawItems()[batch.item], batch.palette[slot]);
            sum += matrix * p * vertex.weights[s];
        }
    }
    return glm::vec3(sum);
}

TEST(MeshBatches, SplitsAMeshWhoseBonesOverflowThePaletteAndSkinsItTheSame) {
    CMeshModel model;
    ASSERT_TRUE(model.SetData(Ribbon(100), "ribbon")) << model.GetError();
    // A bend at every joint.
    for (int b = 1; b < 100; ++b) {
        ASSERT_TRUE(model.TurnBone(("Bone" + std::to_string(b)).c_str(), 3.0f, glm::vec3(0, 0, 1)));
    }
    model.Update();
    std::vector<SKIN_VERTEX> vertices;
    std::vector<uint32_t> indices;
    std::vector<MESH_BATCH> batches;
    std::string error;
    ASSERT_TRUE(CMeshBatches::Build(model, 16, vertices, indices, batches, error)) << error;
    EXPECT_GE(batches.size(), 7u);
    size_t triangles = 0;
    for (const MESH_BATCH& batch : batches) {
        EXPECT_LE(batch.palette.size(), 16u);
        EXPECT_EQ(batch.indexCount % 3, 0u);
        triangles += batch.indexCount / 3;
        for (uint32_t i = batch.firstIndex; i < batch.firstIndex + batch.indexCount; ++i) {
            const SKIN_VERTEX& vertex = vertices.at(indices[i]);
            // The model's own vertex at this place, skinned by the model.
            const int original = static_cast<int>(vertex.position[0] + 0.5f) * 2 +
                                 static_cast<int>(vertex.position[1] + 0.5f);
            const glm::vec3 expected =
                model.GetVertexPosition(model.GetDrawItems()[batch.item], original);
            const glm::vec3 got = Skin(model, batch, vertex);
            EXPECT_NEAR(got.x, expected.x, 1e-4f);
            EXPECT_NEAR(got.y, expected.y, 1e-4f);
        }
    }
    EXPECT_EQ(triangles, model.GetData().meshes[0].indices.size() / 3);
}

TEST(MeshBatches, KeepsAMeshThatFitsInOneBatch) {
    CMeshModel model;
    ASSERT_TRUE(model.SetData(Ribbon(10), "ribbon"));
    std::vector<SKIN_VERTEX> vertices;
    std::vector<uint32_t> indices;
    std::vector<MESH_BATCH> batches;
    std::string error;
    ASSERT_TRUE(CMeshBatches::Build(model, 64, vertices, indices, batches, error));
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].palette.size(), 10u);
    EXPECT_EQ(vertices.size(), 20u);
    EXPECT_FALSE(CMeshBatches::Build(model, 12, vertices, indices, batches, error));
    EXPECT_EQ(error, "a palette of 12 bones is too small");
}

TEST(MeshBatches, GivesVerticesWithoutWeightsAndUnskinnedMeshesTheirFrame) {
    MESH_DATA mesh = Ribbon(3);
    std::fill(mesh.meshes[0].boneWeights.begin(), mesh.meshes[0].boneWeights.begin() + 4, 0.0f);
    CMeshModel model;
    ASSERT_TRUE(model.SetData(mesh, "ribbon"));
    std::vector<SKIN_VERTEX> vertices;
    std::vector<uint32_t> indices;
    std::vector<MESH_BATCH> batches;
    std::string error;
    ASSERT_TRUE(CMeshBatches::Build(model, 64, vertices, indices, batches, error));
    ASSERT_EQ(batches.size(), 1u);
    const std::set<int> entries(batches[0].palette.begin(), batches[0].palette.end());
    EXPECT_EQ(entries.count(CMeshModel::kFrameEntry), 1u);
    model.SetSkinned(false);
    ASSERT_TRUE(CMeshBatches::Build(model, 64, vertices, indices, batches, error));
    ASSERT_EQ(batches.size(), 1u);
    EXPECT_EQ(batches[0].palette, std::vector<int>{CMeshModel::kFrameEntry});
    for (const SKIN_VERTEX& vertex : vertices) {
        EXPECT_EQ(vertex.bones[0], 0.0f);
        EXPECT_EQ(vertex.weights[0], 1.0f);
    }
}

}  // namespace
