#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "scene/AnimationList.h"
#include "scene/Primitive.h"
#include "scene/VertexBuffer.h"

namespace {

ANIMATION_POINT PointAt(double time, CPrimitive* target, float x) {
    ANIMATION_POINT point;
    point.time = time;
    point.target = target;
    const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), glm::vec3(x, 0, 0));
    std::copy(glm::value_ptr(matrix), glm::value_ptr(matrix) + 16, point.matrix);
    return point;
}

float ChannelX(const CPrimitive& p, int channel = 0) {
    return p.GetChannel(channel)[3][0];
}

TEST(AnimationList, AppliesEveryPointThatFellDueInOneCall) {
    CPrimitive target("Target", nullptr, nullptr);
    CAnimationList list;
    list.Add(PointAt(0.0, &target, 1));
    list.Add(PointAt(0.5, &target, 2));
    list.Add(PointAt(1.0, &target, 3));
    ASSERT_TRUE(list.Start(10.0));
    EXPECT_FALSE(target.IsChannelSet(0));
    bool changed = false;
    EXPECT_TRUE(list.Advance(10.7, changed));
    EXPECT_TRUE(changed);
    EXPECT_FLOAT_EQ(ChannelX(target), 2.0f);
    EXPECT_TRUE(target.IsChannelSet(0));
    EXPECT_TRUE(list.Advance(10.8, changed));
    EXPECT_FALSE(changed);
    EXPECT_TRUE(list.Advance(11.0, changed));
    EXPECT_TRUE(changed);
    EXPECT_TRUE(list.IsFinished());
    EXPECT_FLOAT_EQ(ChannelX(target), 3.0f);
    EXPECT_FALSE(list.Advance(12.0, changed));
}

TEST(AnimationList, LoopsByTheTimeOfItsLastPoint) {
    CPrimitive target("Target", nullptr, nullptr);
    CAnimationList list;
    list.SetLoop(true);
    list.Add(PointAt(0.25, &target, 1));
    list.Add(PointAt(2.0, &target, 2));
    ASSERT_TRUE(list.Start(0.0));
    bool changed = false;
    list.Advance(2.0, changed);
    EXPECT_FLOAT_EQ(ChannelX(target), 2.0f);
    list.Advance(2.2, changed);
    EXPECT_FALSE(changed);
    list.Advance(2.25, changed);
    EXPECT_TRUE(changed);
    EXPECT_FLOAT_EQ(ChannelX(target), 1.0f);
    EXPECT_DOUBLE_EQ(list.GetTimeOffset(), 2.0);
    EXPECT_FALSE(list.IsFinished());
}

TEST(AnimationList, SamplesPathsAtThirtyPointsPerSecondEndingOnThePathsEnd) {
    CPrimitive target("Target", nullptr, nullptr);
    CAnimationList second;
    ASSERT_TRUE(second.AddPath(
        &target, [](double f) { return glm::vec3(float(f) * 3, 0, 0); }, glm::vec3(0, 1, 0), 1.0));
    EXPECT_EQ(second.GetCount(), 30);
    EXPECT_NEAR(second.GetAt(1)->time - second.GetAt(0)->time, 1.0 / 30, 1e-12);
    EXPECT_FLOAT_EQ(second.GetAt(29)->matrix[12], 3.0f);
    EXPECT_FLOAT_EQ(second.GetAt(29)->matrix[13], 1.0f);
    EXPECT_TRUE(second.IsOrdered());
    CAnimationList half;
    ASSERT_TRUE(half.AddPath(
        &target, [](double) { return glm::vec3(0); }, glm::vec3(0), 0.5));
    EXPECT_EQ(half.GetCount(), 15);
    CAnimationList none;
    EXPECT_FALSE(none.AddPath(
        &target, [](double) { return glm::vec3(0); }, glm::vec3(0), 0.0));
    EXPECT_FALSE(none.Start(0.0));
}

TEST(AnimationList, HidesItsTargetAtTheEndWhenAskedAndPutsColoursBack) {
    CVertexBuffer list(nullptr, 100);
    CPrimitive target("Target", nullptr, &list);
    target.BeginGeometry();
    VERTEX v;
    v.diffuse = 0xFF102030;
    list.AddTriangle(v, v, v);
    target.EndGeometry();
    CAnimationList flash;
    flash.SetHideAtEnd(true);
    flash.SetResetColours(true);
    ANIMATION_POINT red = PointAt(0.0, &target, 0);
    red.diffuse[0] = 1.0f;
    red.diffuse[3] = 1.0f;
    red.diffuseSet = 1;
    flash.Add(red);
    flash.Add(PointAt(0.1, &target, 0));
    ASSERT_TRUE(flash.Start(0.0));
    bool changed = false;
    flash.Advance(0.0, changed);
    EXPECT_EQ(list.GetVertex(0)->diffuse, 0xFFFF0000u);
    flash.Advance(0.2, changed);
    EXPECT_TRUE(flash.IsFinished());
    EXPECT_FALSE(target.IsVisible());
    EXPECT_EQ(list.GetVertex(0)->diffuse, 0xFF102030u);
}

TEST(AnimationList, OrdersPointsByTime) {
    CAnimationList list;
    list.Add(PointAt(0.5, nullptr, 0));
    list.Add(PointAt(0.2, nullptr, 0));
    EXPECT_FALSE(list.IsOrdered());
    EXPECT_LT(list.Compare(*list.GetAt(1), *list.GetAt(0)), 0);
}

TEST(Primitive, TurnsMovesAndScalesItsVerticesWithItsChildren) {
    CVertexBuffer list(nullptr, 100);
    CPrimitive parent("Parent", nullptr, &list);
    parent.BeginGeometry();
    VERTEX v;
    v.x = 1.0f;
    v.nx = 1.0f;
    list.AddVertex(v);
    parent.EndGeometry();
    auto child = std::make_unique<CPrimitive>("Child", nullptr, &list);
    child->BeginGeometry();
    v.x = 2.0f;
    list.AddVertex(v);
    child->EndGeometry();
    parent.AddChild(std::move(child));

    ASSERT_TRUE(parent.Turn(90.0f, 1));  // about y: x goes to -z
    EXPECT_NEAR(list.GetVertex(0)->z, -1.0f, 1e-6);
    EXPECT_NEAR(list.GetVertex(1)->z, -2.0f, 1e-6);
    EXPECT_NEAR(list.GetVertex(0)->nz, -1.0f, 1e-6);
    ASSERT_TRUE(parent.SetPosition(0, 5, 0));
    EXPECT_NEAR(list.GetVertex(1)->y, 5.0f, 1e-6);
    EXPECT_NEAR(parent.GetChild(0)->GetOrigin().y, 5.0f, 1e-6);
    ASSERT_TRUE(parent.Scale(2.0f, true));
    EXPECT_NEAR(list.GetVertex(1)->z, -4.0f, 1e-5);
    EXPECT_NEAR(
        glm::length(glm::vec3(list.GetVertex(1)->nx, list.GetVertex(1)->ny, list.GetVertex(1)->nz)),
        1.0f, 1e-6);
    EXPECT_EQ(parent.Find("Child"), parent.GetChild(0));
    EXPECT_FALSE(parent.Turn(10.0f, 3));
}

TEST(Primitive, CombinesItsTwoChannelsChannelZeroFirst) {
    CPrimitive p("P", nullptr, nullptr);
    p.SetChannel(0, glm::translate(glm::mat4(1.0f), glm::vec3(1, 0, 0)), true);
    p.SetChannel(1, glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0, 0, 1)), true);
    const glm::vec4 moved = p.GetDrawTransform() * glm::vec4(0, 0, 0, 1);
    EXPECT_NEAR(moved.x, 0.0f, 1e-6);
    EXPECT_NEAR(moved.y, 1.0f, 1e-6);
}

}  // namespace
