// The block of mesh records a reading process hands back: read whole it
// gives the records again; cut, or with a count changed, it is refused.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/assimp/MeshRecords.h"

namespace {

MESH_DATA TwoFramesOneSkinnedTriangle() {
    MESH_DATA mesh;
    mesh.frames.resize(2);
    mesh.frames[0].name = "Root";
    mesh.frames[0].children = {1};
    mesh.frames[1].name = "Bone";
    mesh.frames[1].parent = 0;
    mesh.frames[1].local.m[13] = 2.0f;
    mesh.frames[1].meshes = {0};
    MESH_PART part;
    part.name = "Tri";
    part.material = "Skin";
    part.positions = {0, 0, 0, 0, 1, 0, 1, 0, 0};
    part.normals = {0, 0, -1, 0, 0, -1, 0, 0, -1};
    part.indices = {0, 1, 2};
    part.boneIndices.assign(12, 0);
    part.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 0.5f, 0.5f, 0, 0};
    part.boneIndices[9] = 1;
    part.bones.resize(2);
    part.bones[0].name = "Bone";
    part.bones[1].name = "Root";
    part.bones[1].offset.m[12] = -3.0f;
    mesh.meshes.push_back(part);
    return mesh;
}

TEST(MeshRecords, ReadsBackWhatWasWritten) {
    const MESH_DATA mesh = TwoFramesOneSkinnedTriangle();
    std::vector<uint8_t> block;
    CMeshRecords::Encode(mesh, block);
    MESH_DATA read;
    std::string error;
    ASSERT_TRUE(CMeshRecords::Decode(block.data(), block.size(), read, error)) << error;
    ASSERT_EQ(read.frames.size(), 2u);
    EXPECT_EQ(read.frames[0].children, std::vector<int>{1});
    EXPECT_EQ(read.frames[1].name, "Bone");
    EXPECT_FLOAT_EQ(read.frames[1].local.m[13], 2.0f);
    ASSERT_EQ(read.meshes.size(), 1u);
    EXPECT_EQ(read.meshes[0].material, "Skin");
    EXPECT_EQ(read.meshes[0].boneWeights, mesh.meshes[0].boneWeights);
    EXPECT_EQ(read.meshes[0].boneIndices, mesh.meshes[0].boneIndices);
    EXPECT_FLOAT_EQ(read.meshes[0].bones[1].offset.m[12], -3.0f);
}

TEST(MeshRecords, RefusesEveryCutOfTheBlock) {
    std::vector<uint8_t> block;
    CMeshRecords::Encode(TwoFramesOneSkinnedTriangle(), block);
    for (size_t size = 0; size < block.size(); ++size) {
        MESH_DATA read;
        std::string error;
        EXPECT_FALSE(CMeshRecords::Decode(block.data(), size, read, error)) << size;
        EXPECT_FALSE(error.empty());
    }
}

TEST(MeshRecords, RefusesCountsAndIndicesChangedAnywhere) {
    std::vector<uint8_t> block;
    CMeshRecords::Encode(TwoFramesOneSkinnedTriangle(), block);
    // Every 32-bit word made huge in turn: a count, an index, a name's
    // length or a number; never read past the block, never a record that
    // points outside its lists.
    int refused = 0;
    for (size_t at = 0; at + 4 <= block.size(); at += 4) {
        std::vector<uint8_t> changed = block;
        const uint32_t huge = 0x7FFFFFF0u;
        std::memcpy(&changed[at], &huge, 4);
        MESH_DATA read;
        std::string error;
        if (!CMeshRecords::Decode(changed.data(), changed.size(), read, error)) {
            EXPECT_FALSE(error.empty());
            ++refused;
        }
    }
    EXPECT_GT(refused, 20);
}

}  // namespace
