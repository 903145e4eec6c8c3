// The mesh model without a device: bones posed by name move their vertices
// where their palette matrices (combined times offset) put them, worked out
// here from the joints' places alone; broken records and missing bones
// give a reason.
#include <gtest/gtest.h>

#include <fstream>

#include <glm/gtc/matrix_transform.hpp>

#include "TempFolder.h"
#include "platform/MeshReader.h"
#include "scene/MeshModel.h"

namespace {

MESH_MATRIX Translation(float x, float y, float z) {
    MESH_MATRIX m;
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

// An arm along x: the shoulder at (1, 0, 0), the elbow 1 further; a vertex
// on the upper arm, one on the forearm, and one at the elbow moved by both.
MESH_DATA Arm() {
    MESH_DATA mesh;
    mesh.frames.resize(3);
    mesh.frames[0].name = "Root";
    mesh.frames[0].children = {1};
    mesh.frames[0].meshes = {0};
    mesh.frames[1].name = "Shoulder";
    mesh.frames[1].parent = 0;
    mesh.frames[1].local = Translation(1, 0, 0);
    mesh.frames[1].children = {2};
    mesh.frames[2].name = "Elbow";
    mesh.frames[2].parent = 1;
    mesh.frames[2].local = Translation(1, 0, 0);
    MESH_PART part;
    part.name = "Arm";
    part.material = "Skin";
    part.positions = {1.5f, 0, 0, 2.5f, 0, 0, 2.0f, 0.1f, 0};
    part.normals = {0, 1, 0, 0, 1, 0, 0, 1, 0};
    part.indices = {0, 1, 2};
    part.boneIndices = {0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0};
    part.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 0.5f, 0.5f, 0, 0};
    part.bones = {MESH_BONE{"Shoulder", Translation(-1, 0, 0)},
                  MESH_BONE{"Elbow", Translation(-2, 0, 0)}};
    mesh.meshes.push_back(part);
    return mesh;
}

void ExpectNear(const glm::vec3& a, const glm::vec3& b) {
    EXPECT_NEAR(a.x, b.x, 1e-5f);
    EXPECT_NEAR(a.y, b.y, 1e-5f);
    EXPECT_NEAR(a.z, b.z, 1e-5f);
}

TEST(MeshModel, ShowsTheBindPoseAsTheFileHasIt) {
    CMeshModel model;
    ASSERT_TRUE(model.SetData(Arm(), "arm")) << model.GetError();
    ASSERT_EQ(model.GetDrawItems().size(), 1u);
    const CMeshModel::DRAW_ITEM& item = model.GetDrawItems()[0];
    ExpectNear(model.GetVertexPosition(item, 0), glm::vec3(1.5f, 0, 0));
    ExpectNear(model.GetVertexPosition(item, 1), glm::vec3(2.5f, 0, 0));
    ExpectNear(model.GetVertexPosition(item, 2), glm::vec3(2.0f, 0.1f, 0));
    ExpectNear(glm::vec3(model.GetCombined(2)[3]), glm::vec3(2, 0, 0));
}

TEST(MeshModel, AShoulderTurnedNinetyDegreesSwingsTheWholeArmAboutIt) {
    CMeshModel model;
    ASSERT_TRUE(model.SetData(Arm(), "arm")) << model.GetError();
    ASSERT_TRUE(model.TurnBone("Shoulder", 90.0f, glm::vec3(0, 0, 1))) << model.GetError();
    model.Update();
    const CMeshModel::DRAW_ITEM& item = model.GetDrawItems()[0];
    // A quarter turn about z through (1, 0, 0) takes (1 + x, y) to (1 - y, x).
    const auto turned = [](glm::vec3 p) { return glm::vec3(1.0f - p.y, p.x - 1.0f, p.z); };
    ExpectNear(model.GetVertexPosition(item, 0), turned(glm::vec3(1.5f, 0, 0)));
    ExpectNear(model.GetVertexPosition(item, 1), turned(glm::vec3(2.5f, 0, 0)));
    ExpectNear(model.GetVertexPosition(item, 2), turned(glm::vec3(2.0f, 0.1f, 0)));
    ExpectNear(glm::vec3(model.GetCombined(2)[3]), glm::vec3(1, 1, 0));
    // The palette the vertex program gets: the turn about the shoulder.
    const glm::mat4 shoulder = model.GetEntryMatrix(item, 0);
    ExpectNear(glm::vec3(shoulder * glm::vec4(2, 0, 0, 1)), glm::vec3(1, 1, 0));
    ExpectNear(glm::vec3(shoulder * glm::vec4(1, 0, 0, 1)), glm::vec3(1, 0, 0));
    model.ResetPose();
    model.Update();
    ExpectNear(model.GetVertexPosition(item, 1), glm::vec3(2.5f, 0, 0));
}

TEST(MeshModel, AnElbowTurnLeavesTheUpperArmAndBlendsTheJoint) {
    CMeshModel model;
    ASSERT_TRUE(model.SetData(Arm(), "arm"));
    ASSERT_TRUE(model.TurnBone("Elbow", -90.0f, glm::vec3(0, 0, 1)));
    model.Update();
    const CMeshModel::DRAW_ITEM& item = model.GetDrawItems()[0];
    ExpectNear(model.GetVertexPosition(item, 0), glm::vec3(1.5f, 0, 0));
    // -90 degrees about z through (2, 0, 0): (2 + x, y) goes to (2 + y, -x).
    ExpectNear(model.GetVertexPosition(item, 1), glm::vec3(2.0f, -0.5f, 0));
    // Half unmoved, half turned: (2, 0.1) and (2.1, 0).
    ExpectNear(model.GetVertexPosition(item, 2), glm::vec3(2.05f, 0.05f, 0));
}

TEST(MeshModel, SaysWhichBoneItCantFind) {
    CMeshModel model;
    ASSERT_TRUE(model.SetData(Arm(), "arm.x"));
    EXPECT_EQ(model.FindBone("Wrist"), -1);
    EXPECT_STREQ(model.GetError(), "Can't find the bone \"Wrist\" in \"arm.x\"");
    EXPECT_FALSE(model.SetBoneLocal("Wrist", glm::mat4(1.0f)));
    EXPECT_FALSE(model.TurnBone("Elbow", 10.0f, glm::vec3(0.0f)));
    EXPECT_STREQ(model.GetError(), "Can't turn the bone \"Elbow\" about a null axis");
    EXPECT_EQ(model.FindBone("Elbow"), 2);
}

TEST(MeshModel, RefusesABoneWithoutAFrameAndRecordsThatDontHoldTogether) {
    MESH_DATA ghost = Arm();
    ghost.meshes[0].bones[1].name = "Ghost";
    CMeshModel model;
    EXPECT_FALSE(model.SetData(ghost, "arm.x"));
    EXPECT_STREQ(model.GetError(),
                 "Can't load the mesh \"arm.x\": the bone \"Ghost\" has no frame");
    MESH_DATA beyond = Arm();
    beyond.meshes[0].indices[1] = 7;
    EXPECT_FALSE(model.SetData(beyond, "arm.x"));
    EXPECT_STREQ(model.GetError(),
                 "Can't load the mesh \"arm.x\": mesh 0 has the index 7 of 3 vertices");
    MESH_DATA loop = Arm();
    loop.frames[1].parent = 2;
    EXPECT_FALSE(model.SetData(loop, "arm.x"));
    EXPECT_STREQ(model.GetError(), "Can't load the mesh \"arm.x\": frame 0 has the child 1");
    EXPECT_TRUE(model.GetDrawItems().empty());
}

TEST(MeshModel, ShownAsStoredMovesMeshesWithTheirFramesAndIgnoresBones) {
    MESH_DATA mesh = Arm();
    MESH_PART plain = mesh.meshes[0];
    plain.name = "Plain";
    plain.material = "Wood";
    plain.boneIndices.clear();
    plain.boneWeights.clear();
    plain.bones.clear();
    mesh.meshes.push_back(plain);
    mesh.frames[2].meshes = {1};  // the elbow holds it
    CMeshModel model;
    ASSERT_TRUE(model.SetData(mesh, "arm"));
    ASSERT_TRUE(model.TurnBone("Shoulder", 90.0f, glm::vec3(0, 0, 1)));
    model.Update();
    ASSERT_EQ(model.GetDrawItems().size(), 2u);
    const CMeshModel::DRAW_ITEM& held = model.GetDrawItems()[1];
    EXPECT_EQ(held.frame, 2);
    EXPECT_FALSE(model.IsSkinnedPart(held.part));
    // The elbow frame now stands at (1, 1) turned a quarter.
    ExpectNear(model.GetVertexPosition(held, 0), glm::vec3(1.0f, 2.5f, 0));
    model.SetSkinned(false);
    const CMeshModel::DRAW_ITEM& skin = model.GetDrawItems()[0];
    EXPECT_FALSE(model.IsSkinnedPart(skin.part));
    ExpectNear(model.GetVertexPosition(skin, 1), glm::vec3(2.5f, 0, 0));
}

TEST(MeshModel, FindsPartsByMaterialFirstThenByMeshName) {
    MESH_DATA mesh = Arm();
    mesh.meshes.push_back(mesh.meshes[0]);
    mesh.meshes[1].material = "Arm";
    CMeshModel model;
    ASSERT_TRUE(model.SetData(mesh, "arm"));
    EXPECT_EQ(model.FindParts("Arm"), std::vector<int>{1});
    EXPECT_EQ(model.FindParts("Skin"), std::vector<int>{0});
    EXPECT_TRUE(model.FindParts("Hair").empty());
    glm::vec3 low, high;
    ASSERT_TRUE(model.GetBounds(glm::mat4(1.0f), {}, low, high));
    ExpectNear(low, glm::vec3(1.5f, 0, 0));
    ExpectNear(high, glm::vec3(2.5f, 0.1f, 0));
    EXPECT_FALSE(model.GetBounds(glm::mat4(1.0f), {false, false}, low, high));
}

// A reader that answers as it is told and remembers what it was given.
class CFakeReader : public IMeshReader {
public:
    bool Read(const void*, size_t size, const char* formatHint, MESH_DATA& mesh,
              std::string& error) override {
        m_size = size;
        m_hint = formatHint;
        if (!m_answer) {
            error = "Line 2: Closing brace expected.";
            return false;
        }
        mesh = Arm();
        return true;
    }
    bool m_answer = true;
    size_t m_size = 0;
    std::string m_hint;
};

TEST(MeshModel, LoadsThroughTheProcesssReaderAndPassesOnItsReason) {
    CTempFolder folder("mesh-model");
    const std::string path = folder.Path("Model.X");
    std::ofstream(path) << "xof 0303txt 0032\n";
    CMeshModel model;
    Platform::SetMeshReader(nullptr);
    EXPECT_FALSE(model.Load(path.c_str()));
    EXPECT_EQ(std::string(model.GetError()),
              "Can't load the mesh \"" + path + "\": this program has no mesh reader");
    CFakeReader reader;
    Platform::SetMeshReader(&reader);
    ASSERT_TRUE(model.Load(path.c_str())) << model.GetError();
    EXPECT_EQ(reader.m_size, 17u);
    EXPECT_EQ(reader.m_hint, "X");
    EXPECT_EQ(model.FindBone("Elbow"), 2);
    reader.m_answer = false;
    EXPECT_FALSE(model.Load(path.c_str()));
    EXPECT_EQ(std::string(model.GetError()),
              "Can't load the mesh \"" + path + "\": Line 2: Closing brace expected.");
    const std::string missing = folder.Path("missing.x");
    EXPECT_FALSE(model.Load(missing.c_str()));
    EXPECT_EQ(std::string(model.GetError()).rfind("Can't load the mesh \"" + missing + "\": ", 0),
              0u)
        << model.GetError();
    Platform::SetMeshReader(nullptr);
}

}  // namespace
