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

// Plain letters are notes of the exercise: only the Ctrl forms of the
// scene's keys change the view.
TEST(SpacePainter, TogglesItsDisplayFlagsByCtrlKeysOnly) {
    CSpacePainter scene;
    for (const int key : {int{'T'}, int{'C'}, int{'W'}, int{'V'}, int{'R'}, int{'L'}, int{kKeyPlus},
                          int{kKeyMinus}}) {
        EXPECT_FALSE(scene.OnKey(key, 0)) << key;
    }
    EXPECT_FALSE(scene.IsInfoShown());
    EXPECT_FALSE(scene.IsWireframe());
    EXPECT_TRUE(scene.OnKey('T', kFlagControl));
    EXPECT_TRUE(scene.IsInfoShown());
    EXPECT_TRUE(scene.OnKey('C', kFlagControl));
    EXPECT_TRUE(scene.IsAxesShown());
    EXPECT_TRUE(scene.OnKey('W', kFlagControl));
    EXPECT_TRUE(scene.IsWireframe());
    const float distance = scene.GetCameraDistance();
    EXPECT_TRUE(scene.OnKey(kKeyPlus, kFlagControl));
    EXPECT_FLOAT_EQ(scene.GetCameraDistance(), distance * 0.9f);
    EXPECT_FALSE(scene.OnKey('Q', kFlagControl));
}

// A drag can't turn the picture past its limits, and one command brings
// the picture's own camera back.
TEST(SpacePainter, TheOrbitStaysInItsLimitsAndResetBringsTheCameraBack) {
    CSpacePainter scene;
    scene.SetCamera(glm::vec3(0, 0, -10), glm::vec3(0), glm::vec3(0, 1, 0), 180.0f, 90.0f, 10.0f);
    scene.SetOrbitLimit(30.0f, 20.0f);
    MOUSE_EVENT down;
    down.action = MouseAction::kDown;
    down.button = MouseButton::kLeft;
    scene.OnMouse(down);
    MOUSE_EVENT move;
    move.action = MouseAction::kMove;
    move.x = 5000;
    move.y = 5000;
    scene.OnMouse(move);
    EXPECT_LE(std::fabs(scene.GetCameraPitch() - 90.0f), 20.0f + 1e-3f);
    scene.Zoom(5.0f);
    ASSERT_TRUE(scene.ResetView());
    EXPECT_FLOAT_EQ(scene.GetCameraPitch(), 90.0f);
    EXPECT_NEAR(scene.GetCameraDistance(), 10.0f, 1e-4);
    EXPECT_NEAR(scene.GetEye().z, -10.0f, 1e-4);
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
