// Limbs placed by reaching for a point: where the end lands, which way the
// joint bends, and what an unreachable point leaves behind.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "DebugRecorder.h"
#include "characters/Arm.h"
#include "characters/Finger.h"
#include "characters/Human.h"
#include "characters/Leg.h"
#include "characters/Segment.h"
#include "characters/Wire.h"
#include "scene/VertexBuffer.h"
#include "theory/Note.h"

namespace {

const glm::vec3 kShoulder(-19.0f, 144.0f, 0.0f);

std::vector<VERTEX> Vertices(CVertexBuffer& buffer) {
    std::vector<VERTEX> copy;
    for (int i = 0; i < buffer.GetVertexCount(); ++i) {
        copy.push_back(*buffer.GetVertex(i));
    }
    return copy;
}

struct ArmFixture : ::testing::Test {
    CVertexBuffer buffer{nullptr, 1000};
    CArm arm{"Left arm", nullptr, &buffer, kShoulder, -1.0f, 0xFF0000FF, 0xFFE0B090};
};

TEST_F(ArmFixture, MeetsATargetWithinItsReachWithTheElbowOnTheHintsSide) {
    const float reach = arm.GetReach();
    const glm::vec3 target = kShoulder + glm::vec3(10.0f, -20.0f, 30.0f);
    for (const glm::vec3 hint :
         {glm::vec3(-60, 140, 0), glm::vec3(40, 100, 20), glm::vec3(-19, 200, 15)}) {
        arm.SetBendHint(hint);
        ASSERT_TRUE(arm.Reach(target));
        EXPECT_LT(glm::distance(arm.GetEnd(), target), 0.001f * reach);
        // The segments keep their lengths.
        EXPECT_NEAR(glm::distance(arm.GetRoot(), arm.GetJoint()), CArm::kUpperLength, 1e-3);
        EXPECT_NEAR(glm::distance(arm.GetJoint(), arm.GetEnd()), CArm::kLowerLength, 1e-3);
        // The elbow lies on the hint's side of the line from shoulder to hand.
        const glm::vec3 line = glm::normalize(target - kShoulder);
        const auto across = [&](const glm::vec3& p) {
            const glm::vec3 d = p - kShoulder;
            return d - line * glm::dot(d, line);
        };
        EXPECT_GT(glm::dot(across(arm.GetJoint()), across(hint)), 0.0f);
    }
}

TEST_F(ArmFixture, WithoutAHintBendsTheElbowDownAndAtFullReachStretches) {
    ASSERT_TRUE(arm.Reach(kShoulder + glm::vec3(0.0f, 0.0f, 40.0f)));
    EXPECT_LT(arm.GetJoint().y, kShoulder.y);
    const glm::vec3 far = kShoulder + glm::vec3(0.0f, 0.0f, arm.GetReach() * 0.9999f);
    ASSERT_TRUE(arm.Reach(far));
    EXPECT_LT(glm::distance(arm.GetEnd(), far), 0.001f * arm.GetReach());
    // A target on the shoulder folds the arm without failing.
    EXPECT_TRUE(arm.Reach(kShoulder));
}

TEST_F(ArmFixture, ATargetOutOfReachLeavesTheArmAsItWasAndIsTracedOnce) {
    ASSERT_TRUE(arm.Reach(kShoulder + glm::vec3(10.0f, -30.0f, 20.0f)));
    const std::vector<VERTEX> before = Vertices(buffer);
    const glm::vec3 end = arm.GetEnd();
    CDebugRecorder trace;
    EXPECT_FALSE(arm.Reach(kShoulder + glm::vec3(0.0f, 0.0f, arm.GetReach() + 1.0f)));
    EXPECT_EQ(trace.Count("############## Can't reach the hand point"), 1);
    EXPECT_EQ(trace.lines.size(), 1u);
    EXPECT_EQ(arm.GetEnd(), end);
    const std::vector<VERTEX> after = Vertices(buffer);
    ASSERT_EQ(before.size(), after.size());
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_EQ(before[i].x, after[i].x);
        EXPECT_EQ(before[i].y, after[i].y);
        EXPECT_EQ(before[i].z, after[i].z);
    }
}

TEST_F(ArmFixture, TheHandAndFingersFollowTheForearm) {
    CPrimitive* hand = arm.GetHand();
    CFinger* index = arm.GetFinger(2);
    ASSERT_NE(hand, nullptr);
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(arm.GetFinger(0), nullptr);
    EXPECT_EQ(arm.GetFinger(6), nullptr);
    const glm::vec3 target = kShoulder + glm::vec3(5.0f, -10.0f, 45.0f);
    ASSERT_TRUE(arm.Reach(target));
    // The hand hangs on at the wrist and the finger's root stays on the hand.
    EXPECT_LT(glm::distance(hand->GetOrigin(), target), CArm::kHandLength);
    EXPECT_LT(glm::distance(index->GetRoot(), target), CArm::kHandLength + 3.0f);
    const glm::vec3 key = index->GetRoot() + glm::vec3(0.0f, -3.0f, 4.0f);
    ASSERT_TRUE(index->Reach(key));
    EXPECT_LT(glm::distance(index->GetEnd(), key), 0.001f * index->GetReach());
}

TEST(Limb, LegsAndFingersTraceTheirOwnFailures) {
    CVertexBuffer buffer(nullptr, 1000);
    CLeg leg("Left leg", nullptr, &buffer, glm::vec3(-9, 93, 0), 0xFF303030, 0xFF101010);
    CFinger finger("Finger 2", nullptr, &buffer, glm::vec3(0, 80, 0), glm::vec3(0, -1, 0), 1.0f,
                   0xFFE0B090);
    CDebugRecorder trace;
    EXPECT_FALSE(leg.Reach(glm::vec3(-9, 93 - leg.GetReach() - 0.5f, 0)));
    EXPECT_FALSE(finger.Reach(glm::vec3(0, 80 - finger.GetReach() - 0.5f, 0)));
    EXPECT_EQ(trace.Count("############## Can't reach the foot point"), 1);
    EXPECT_EQ(trace.Count("############## Can't reach the finger point"), 1);
    // A knee bent towards a hint in front goes forward.
    leg.SetBendHint(glm::vec3(-9, 90, 80));
    ASSERT_TRUE(leg.Reach(glm::vec3(-9, 20, 30)));
    EXPECT_GT(leg.GetJoint().z, 5.0f);
}

TEST(Limb, AScaledLimbReachesInItsNewSize) {
    CVertexBuffer buffer(nullptr, 1000);
    CArm arm("Right arm", nullptr, &buffer, glm::vec3(19, 144, 0), 1.0f, 0xFF0000FF, 0xFFE0B090);
    const float reach = arm.GetReach();
    ASSERT_TRUE(arm.Scale(0.01f, true));
    EXPECT_NEAR(arm.GetReach(), reach * 0.01f, 1e-4);
    const glm::vec3 target = arm.GetRoot() + glm::vec3(0.1f, -0.2f, 0.25f);
    ASSERT_TRUE(arm.Reach(target));
    EXPECT_LT(glm::distance(arm.GetEnd(), target), 0.001f * arm.GetReach());
}

TEST(Wire, NeedsTwoPointsAndDrawsLines) {
    CVertexBuffer buffer(nullptr, 100);
    CWire one("String", nullptr, &buffer);
    EXPECT_FALSE(one.Build({glm::vec3(0)}, 0xFFFFFFFF));
    EXPECT_NE(std::string(one.GetError()).find("Wire must be at least 2 long"), std::string::npos);
    CWire wire("String", nullptr, &buffer);
    ASSERT_TRUE(wire.Build({glm::vec3(0), glm::vec3(1, 0, 0), glm::vec3(1, 1, 0)}, 0xFFFFFFFF));
    EXPECT_TRUE(wire.GetRange().lines);
    EXPECT_EQ(wire.GetRange().indexCount, 4);
    EXPECT_EQ(wire.GetRange().vertexCount, 3);
    EXPECT_FALSE(buffer.IsLineMode());
}

TEST(Human, MakesItsPartsInOrderWithTheirNames) {
    CVertexBuffer buffer(nullptr, 20000);
    CHuman human("Human", nullptr, &buffer);
    ASSERT_TRUE(human.Build(CHuman::LOOK()));
    const char* parts[] = {"Left leg",  "Right leg", "Head", "Left arm",
                           "Right arm", "Pelvis",    "Torso"};
    ASSERT_EQ(human.GetChildCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(human.GetChild(i)->GetName(), parts[i]);
    }
    for (const char* name : {"Root sphere", "Chest", "Shoulders", "Torso bottom", "Pelvis top",
                             "Pelvis middle", "Pelvis bottom", "Neck", "Nose", "Arm part", "Hand",
                             "Leg part", "Phalange 1", "Phalange 2", "Phalange 3", "Foot"}) {
        EXPECT_NE(human.Find(name), nullptr) << name;
    }
    // The left hand on the figure's left (-x), the face to the front (+z).
    EXPECT_LT(human.GetWrist(THING_LEFT_HAND).x, 0.0f);
    EXPECT_GT(human.GetWrist(THING_RIGHT_HAND).x, 0.0f);
    EXPECT_GT(human.Find("Nose")->GetOrigin().z, 5.0f);
    EXPECT_FALSE(human.ReachHand(THING_LEFT_FOOT, glm::vec3(0)));
}

TEST(Human, SitsWithItsFeetForwardOnTheFloor) {
    CVertexBuffer buffer(nullptr, 20000);
    CHuman human("Human", nullptr, &buffer);
    ASSERT_TRUE(human.Build(CHuman::LOOK()));
    ASSERT_TRUE(human.Sit(52.0f));
    EXPECT_NEAR(human.GetLeg(THING_LEFT_FOOT)->GetRoot().y, 52.0f, 1e-3);
    for (const int foot : {THING_LEFT_FOOT, THING_RIGHT_FOOT}) {
        EXPECT_NEAR(human.GetAnkle(foot).y, 9.0f, 0.01f);
        EXPECT_GT(human.GetAnkle(foot).z, 30.0f);
        // The knees come forward over the feet, no lower than the seat's edge.
        EXPECT_GT(human.GetLeg(foot)->GetJoint().z, 25.0f);
        EXPECT_GT(human.GetLeg(foot)->GetJoint().y, 45.0f);
    }
}

}  // namespace
