// The camera without a device: how mouse gestures move it and the matrices
// and frame it gives the scene.
#include <gtest/gtest.h>

#include <cmath>

#include "scene/Camera.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 200;

CCamera SizedCamera() {
    CCamera camera;
    camera.SetClientSize(kWidth, kHeight);
    return camera;
}

TEST(Camera, LeftDragAcrossAQuarterOfTheViewTurnsAQuarterTurn) {
    CCamera camera = SizedCamera();
    const CCamera::GESTURE gesture = camera.Drag(kWidth / 4, -kHeight / 4, 0, true);
    EXPECT_EQ(gesture.kind, CCamera::GESTURE::kView);
    EXPECT_FLOAT_EQ(camera.GetYaw(), 270.0f);
    EXPECT_FLOAT_EQ(camera.GetPitch(), 180.0f);
    EXPECT_NEAR(camera.GetDistance(), 10.0f, 1e-5);
}

TEST(Camera, ShiftDragPansEyeAndLookAtTogether) {
    CCamera camera = SizedCamera();
    // A thousandth of the distance of 10 per pixel: 100 pixels move 1 unit.
    camera.Drag(100, 0, kFlagShift, true);
    EXPECT_NEAR(camera.GetLookAt().x, 1.0f, 1e-5);
    EXPECT_NEAR(camera.GetEye().x, 1.0f, 1e-4);
    EXPECT_NEAR(camera.GetEye().z, -10.0f, 1e-4);
    EXPECT_FLOAT_EQ(camera.GetYaw(), 180.0f);
}

TEST(Camera, ControlDragAndWheelZoomAndStopAtTheLimits) {
    CCamera camera = SizedCamera();
    camera.Drag(0, -10, kFlagControl, true);  // up zooms in by one step
    EXPECT_NEAR(camera.GetDistance(), 9.0f, 1e-5);
    camera.Wheel(120, 0);
    EXPECT_NEAR(camera.GetDistance(), 8.1f, 1e-5);
    for (int i = 0; i < 100; ++i) {
        camera.Wheel(120, 0);
    }
    EXPECT_GT(camera.GetDistance(), CCamera::kMinDistance);
    EXPECT_LT(camera.GetDistance(), CCamera::kMinDistance / 0.9f);
    for (int i = 0; i < 100; ++i) {
        camera.Drag(0, 10, kFlagControl, true);
    }
    EXPECT_FLOAT_EQ(camera.GetDistance(), CCamera::kMaxDistance);
}

TEST(Camera, ShiftWheelChangesTheFieldOfViewWithinOneTo179Degrees) {
    CCamera camera = SizedCamera();
    EXPECT_EQ(camera.Wheel(240, kFlagShift).kind, CCamera::GESTURE::kProjection);
    EXPECT_FLOAT_EQ(camera.GetFovAngle(), 22.0f);
    EXPECT_NEAR(camera.GetProjection()[1][1], 1.0f / std::tan(11.0f * M_PI / 180.0f), 1e-4);
    EXPECT_NEAR(camera.GetDistance(), 10.0f, 1e-5);
    camera.Wheel(-120 * 100, kFlagShift);
    EXPECT_FLOAT_EQ(camera.GetFovAngle(), 1.0f);
    camera.Wheel(120 * 500, kFlagShift);
    EXPECT_FLOAT_EQ(camera.GetFovAngle(), 179.0f);
}

TEST(Camera, HandsWorldTurnsAndLightMovesBackWithoutMoving) {
    CCamera camera = SizedCamera();
    const CCamera::GESTURE turn = camera.Drag(kWidth / 2, kHeight / 4, kFlagAlt, true);
    EXPECT_EQ(turn.kind, CCamera::GESTURE::kWorldTurn);
    EXPECT_FLOAT_EQ(turn.yaw, 180.0f);
    EXPECT_FLOAT_EQ(turn.pitch, -90.0f);
    const CCamera::GESTURE light = camera.Drag(kWidth / 4, kHeight / 4, kFlagAlt, false);
    EXPECT_EQ(light.kind, CCamera::GESTURE::kLightMove);
    EXPECT_FLOAT_EQ(light.yaw, 90.0f);
    EXPECT_FLOAT_EQ(light.pitch, 90.0f);
    EXPECT_EQ(camera.Drag(10, 10, 0, false).kind, CCamera::GESTURE::kNone);
    EXPECT_FLOAT_EQ(camera.GetYaw(), 180.0f);
    EXPECT_FLOAT_EQ(camera.GetPitch(), 90.0f);
}

TEST(Camera, GivesTheFrameOfTheDefaultCameraOnAViewTwiceAsWideAsHigh) {
    CCamera camera = SizedCamera();
    camera.SetCamera(glm::vec3(0, 0, -10), glm::vec3(0), glm::vec3(0, 1, 0), 180.0f, 90.0f, 0.0f);
    float frame[45] = {};
    camera.GetCameraFrame(frame);
    const float fixed[9] = {0, 0, 0, 0, 0, -10, 0, 1, 0};  // look-at, eye, up
    for (int i = 0; i < 9; ++i) {
        EXPECT_FLOAT_EQ(frame[i], fixed[i]) << i;
    }
    // Half width, half height and depth of the three rectangles, worked out
    // from a 20 degree field at a distance of 10.
    const float rectangles[3][3] = {{2.86989f, 1.43494f, -1.73648f},
                                    {4.07604f, 2.03802f, 1.73648f},
                                    {6.48833f, 3.24417f, 8.68241f}};
    for (int r = 0; r < 3; ++r) {
        const float* corners = frame + 9 + r * 12;
        const float w = rectangles[r][0], h = rectangles[r][1], z = rectangles[r][2];
        const float expected[12] = {-w, h, z, w, h, z, -w, -h, z, w, -h, z};
        for (int i = 0; i < 12; ++i) {
            EXPECT_NEAR(corners[i], expected[i], 1e-4) << "rectangle " << r << " float " << i;
        }
    }
}

TEST(Camera, LeftHandedViewPutsTheLookAtPointInFrontOfTheEye) {
    CCamera camera = SizedCamera();
    camera.SetCamera(glm::vec3(3, 2, -6), glm::vec3(1, 1, 1), glm::vec3(0, 1, 0), 40.0f, 60.0f,
                     8.0f);
    const glm::vec4 seen = camera.GetView() * glm::vec4(1, 1, 1, 1);
    EXPECT_NEAR(seen.x, 0.0f, 1e-4);
    EXPECT_NEAR(seen.y, 0.0f, 1e-4);
    EXPECT_NEAR(seen.z, 8.0f, 1e-4);  // +z looks forward
    const glm::vec4 clip = camera.GetProjection() * seen;
    EXPECT_GT(clip.w, 0.0f);
    EXPECT_GT(clip.z / clip.w, -1.0f);
    EXPECT_LT(clip.z / clip.w, 1.0f);
}

}  // namespace

// A window narrower than the picture was framed for moves the eye back by
// the shortfall, so that its sides stay in view; a wider one leaves it.
TEST(Camera, ANarrowViewMovesTheEyeBackSoTheSidesStayInView) {
    CCamera camera;
    camera.SetCamera(glm::vec3(0, 0, -10), glm::vec3(0), glm::vec3(0, 1, 0), 180.0f, 90.0f, 10.0f);
    camera.SetWidestAspect(1.25f);
    camera.SetClientSize(1250, 1000);
    EXPECT_NEAR(glm::length(camera.GetEye()), 10.0f, 1e-3f);
    camera.SetClientSize(500, 1000);  // 0.5: two and a half times too narrow
    EXPECT_FLOAT_EQ(camera.GetNarrowFactor(), 2.5f);
    EXPECT_NEAR(glm::length(camera.GetEye()), 25.0f, 1e-3f);
    EXPECT_FLOAT_EQ(camera.GetDistance(), 10.0f);  // the zoom is the user's own
    camera.SetClientSize(2000, 1000);
    EXPECT_NEAR(glm::length(camera.GetEye()), 10.0f, 1e-3f);
}
