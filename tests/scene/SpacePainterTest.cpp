// The scene's camera, keys and mouse without a device: the arithmetic the
// frames are drawn with.
#include <gtest/gtest.h>

#include "scene/SpacePainter.h"

namespace {

TEST(SpacePainter, PutsTheDefaultEyeTenUnitsInFrontOfTheOrigin) {
    CSpacePainter scene;
    scene.Zoom(0.0f);
    EXPECT_NEAR(scene.GetEye().x, 0.0f, 1e-5);
    EXPECT_NEAR(scene.GetEye().y, 0.0f, 1e-5);
    EXPECT_NEAR(scene.GetEye().z, -10.0f, 1e-5);
}

TEST(SpacePainter, ZoomsInNoCloserThanATenthAndOutNoFurtherThanAHundred) {
    CSpacePainter scene;
    for (int i = 0; i < 200; ++i) {
        scene.Zoom(1.0f);
    }
    EXPECT_GT(scene.GetCameraDistance(), 0.1f);
    EXPECT_LT(scene.GetCameraDistance(), 0.12f);
    for (int i = 0; i < 200; ++i) {
        scene.Zoom(-1.0f);
    }
    EXPECT_FLOAT_EQ(scene.GetCameraDistance(), 100.0f);
}

TEST(SpacePainter, FlipsTheUpVectorPastAPitchOf180AndWrapsTheOrbit) {
    CSpacePainter scene;
    scene.SetCamera(glm::vec3(0, 0, -10), glm::vec3(0), glm::vec3(0, 1, 0), 370.0f, 190.0f, 0);
    EXPECT_FLOAT_EQ(scene.GetCameraUp().y, -1.0f);
    EXPECT_FLOAT_EQ(scene.GetCameraYaw(), 10.0f);
    EXPECT_FLOAT_EQ(scene.GetCameraPitch(), 190.0f);
    scene.SetCamera(glm::vec3(0, 0, -10), glm::vec3(0), glm::vec3(0, 1, 0), 0.0f, 180.0f, 0);
    EXPECT_FLOAT_EQ(scene.GetCameraUp().y, 1.0f);
    scene.SetCamera(glm::vec3(0, 0, -10), glm::vec3(0), glm::vec3(0, 1, 0), 360.0f + 180.0f, 90.0f,
                    0);
    EXPECT_NEAR(scene.GetEye().z, -10.0f, 1e-4);
}

TEST(SpacePainter, MeasuresThePitchFromEyeAndUpWhenNoneIsGiven) {
    CSpacePainter scene;
    scene.SetCamera(glm::vec3(0, 5, -5), glm::vec3(0), glm::vec3(0, 1, 0), 180.0f, FLT_MAX, 0);
    EXPECT_NEAR(scene.GetCameraDistance(), std::sqrt(50.0f), 1e-5);
    EXPECT_NEAR(scene.GetEye().y, 5.0f, 1e-4);
    EXPECT_NEAR(scene.GetEye().z, -5.0f, 1e-4);
}

TEST(SpacePainter, TogglesItsDisplayFlagsByKey) {
    CSpacePainter scene;
    EXPECT_TRUE(scene.OnKey('T', 0));
    EXPECT_TRUE(scene.IsInfoShown());
    EXPECT_TRUE(scene.OnKey('C', 0));
    EXPECT_TRUE(scene.IsAxesShown());
    EXPECT_TRUE(scene.OnKey('W', 0));
    EXPECT_TRUE(scene.IsWireframe());
    const float distance = scene.GetCameraDistance();
    EXPECT_TRUE(scene.OnKey(kKeyPlus, 0));
    EXPECT_FLOAT_EQ(scene.GetCameraDistance(), distance * 0.9f);
    EXPECT_FALSE(scene.OnKey('Q', 0));
}

TEST(SpacePainter, OrbitsTheCameraWithTheLeftButtonAndZoomsWithTheWheel) {
    CSpacePainter scene;
    MOUSE_EVENT down;
    down.action = MouseAction::kDown;
    down.button = MouseButton::kLeft;
    down.x = 100;
    down.y = 100;
    scene.OnMouse(down);
    MOUSE_EVENT move = down;
    move.action = MouseAction::kMove;
    move.button = MouseButton::kNone;
    move.x = 110;
    move.flags = kFlagLeftButton;
    scene.OnMouse(move);  // without a client size the angle stays 0
    EXPECT_NEAR(scene.GetEye().z, -10.0f, 1e-4);
    MOUSE_EVENT wheel;
    wheel.action = MouseAction::kWheel;
    wheel.wheelDelta = 240;
    scene.OnMouse(wheel);
    EXPECT_NEAR(scene.GetCameraDistance(), 8.0f, 1e-5);
    wheel.flags = kFlagShift;
    scene.OnMouse(wheel);
    EXPECT_FLOAT_EQ(scene.GetFovAngle(), 22.0f);
}

TEST(SpacePainter, GivesTheCameraFrameAs45Numbers) {
    CSpacePainter scene;
    float frame[45] = {};
    ASSERT_TRUE(scene.GetCameraFrame(frame));
    EXPECT_FLOAT_EQ(frame[5], -10.0f);  // the reference eye's z
    const float s = std::sin(10.0f * 0.01745329f);
    const float h = s * 10.0f;
    EXPECT_NEAR(frame[9 + 2], -h, 1e-5);
    EXPECT_NEAR(frame[9 + 1], (10.0f - h) * s, 1e-5);
    EXPECT_NEAR(frame[44], 5.0f * h, 1e-5);
}

TEST(SpacePainter, CannotBuildAPictureWithoutADevice) {
    CSpacePainter scene;
    EXPECT_FALSE(scene.CreatePicture(18));
    EXPECT_FALSE(scene.Init(nullptr));
}

}  // namespace
