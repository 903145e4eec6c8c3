// The skinned figure on the shipped model: its bones found by name, placed
// by reaching like the limbs of primitives, and what a model without a
// bone or a target out of reach leaves behind.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DebugRecorder.h"
#include "TempFolder.h"
#include "characters/MeshHuman.h"
#include "platform/MeshReader.h"
#include "platform/assimp/AssimpMeshReader.h"
#include "scene/MeshModel.h"
#include "scene/SkinnedMesh.h"
#include "scene/VertexBuffer.h"
#include "theory/Note.h"

namespace {

constexpr const char* kModel = NOTARA_BINARY_DIR "/Models/Human.x";

struct MeshHumanFixture : ::testing::Test {
    void SetUp() override {
        static CAssimpMeshReader reader;
        Platform::SetMeshReader(&reader);
        ASSERT_TRUE(human.Build(CHuman::LOOK())) << human.GetError();
    }
    CVertexBuffer buffer{nullptr, 100};
    CMeshHuman human{"Human", nullptr, &buffer, kModel};
};

TEST_F(MeshHumanFixture, FindsEveryBoneTheLimbsNeedStandingInTheFiguresFrame) {
    std::vector<CCharString> bones;
    ASSERT_TRUE(CMeshHuman::ListBones(bones));
    EXPECT_EQ(bones.size(), 12u + 2u * 14u + 1u);
    CMeshModel& model = human.GetMesh()->GetModel();
    for (const CCharString& bone : bones) {
        EXPECT_GE(model.FindBone(bone), 0) << bone.GetText();
    }
    // Centimetres, facing +z, the left hand on -x, the shoulders about
    // 1.45 m up.
    EXPECT_LT(human.GetShoulder(THING_LEFT_HAND).x, -10.0f);
    EXPECT_GT(human.GetShoulder(THING_RIGHT_HAND).x, 10.0f);
    EXPECT_NEAR(human.GetShoulder(THING_LEFT_HAND).y, 145.0f, 15.0f);
    EXPECT_LT(human.GetAnkle(THING_LEFT_FOOT).y, 15.0f);
}

TEST_F(MeshHumanFixture, AHandReachesItsTargetWithTheElbowTowardsTheHint) {
    const glm::vec3 shoulder = human.GetShoulder(THING_RIGHT_HAND);
    const glm::vec3 target = shoulder + glm::vec3(-10.0f, -25.0f, 30.0f);
    const glm::vec3 hint = shoulder + glm::vec3(40.0f, -20.0f, -10.0f);
    ASSERT_TRUE(human.SetBendHint(THING_RIGHT_HAND, hint));
    ASSERT_TRUE(human.ReachHand(THING_RIGHT_HAND, target));
    EXPECT_LT(glm::distance(human.GetWrist(THING_RIGHT_HAND), target), 0.06f);
    // The shoulder stays, and the finger joints went with the hand.
    EXPECT_LT(glm::distance(human.GetShoulder(THING_RIGHT_HAND), shoulder), 1e-3f);
    EXPECT_LT(glm::distance(human.GetKnuckles(THING_RIGHT_HAND), target), 15.0f);
    // A finger reaches on from there.
    const glm::vec3 root = human.GetFingerRoot(THING_RIGHT_HAND, 2);
    const glm::vec3 key = root + glm::vec3(0.0f, -2.0f, 2.5f);
    ASSERT_LT(glm::distance(root, key), human.GetFingerReach(THING_RIGHT_HAND, 2));
    ASSERT_TRUE(human.ReachFinger(THING_RIGHT_HAND, 2, key));
    EXPECT_LT(glm::distance(human.GetFingerTip(THING_RIGHT_HAND, 2), key), 0.05f);
}

TEST_F(MeshHumanFixture, ATargetOutOfReachLeavesTheBonesAndIsTraced) {
    const glm::vec3 wrist = human.GetWrist(THING_LEFT_HAND);
    CDebugRecorder trace;
    EXPECT_FALSE(human.ReachHand(THING_LEFT_HAND,
                                 human.GetShoulder(THING_LEFT_HAND) + glm::vec3(0, 0, 200.0f)));
    EXPECT_EQ(trace.Count("Can't put bones 'L_Shoulder', short by "), 1);
    EXPECT_EQ(human.GetWrist(THING_LEFT_HAND), wrist);
    EXPECT_FALSE(human.ReachFinger(THING_LEFT_HAND, 3,
                                   human.GetFingerRoot(THING_LEFT_HAND, 3) + glm::vec3(0, 50, 0)));
    EXPECT_EQ(trace.Count("######### Can't put finger 'L_Finger3_1' of 'Human', short by "), 1);
}

TEST_F(MeshHumanFixture, SitsOnTheSeatWithTheFeetForward) {
    ASSERT_TRUE(human.Sit(52.0f));
    for (const int foot : {THING_LEFT_FOOT, THING_RIGHT_FOOT}) {
        EXPECT_NEAR(human.GetAnkle(foot).y, 9.0f, 0.1f);
        EXPECT_GT(human.GetAnkle(foot).z, 30.0f);
    }
    EXPECT_LT(human.GetShoulder(THING_LEFT_HAND).y, 120.0f);
}

TEST(MeshHuman, AModelWithoutABoneFailsWithItsName) {
    static CAssimpMeshReader reader;
    Platform::SetMeshReader(&reader);
    std::ifstream in(kModel);
    std::stringstream text;
    text << in.rdbuf();
    std::string model = text.str();
    ASSERT_FALSE(model.empty());
    // Every mention of the bone renamed: its frame and its weights.
    for (size_t at = model.find("R_Elbow"); at != std::string::npos;
         at = model.find("R_Elbow", at)) {
        model.replace(at, 7, "R_Albow");
    }
    CTempFolder folder("mesh-human");
    const std::string path = folder.Path("Human.x");
    std::ofstream(path) << model;
    CVertexBuffer buffer(nullptr, 100);
    CMeshHuman human("Human", nullptr, &buffer, path.c_str());
    EXPECT_FALSE(human.Build(CHuman::LOOK()));
    EXPECT_NE(std::string(human.GetError()).find("Can't find the bone \"R_Elbow\""),
              std::string::npos)
        << human.GetError();
    CMeshHuman missing("Human", nullptr, &buffer, folder.Path("None.x").c_str());
    EXPECT_FALSE(missing.Build(CHuman::LOOK()));
    EXPECT_NE(std::string(missing.GetError()).find("Can't load the mesh"), std::string::npos)
        << missing.GetError();
}

}  // namespace
