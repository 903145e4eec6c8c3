// Pixel tests of the 3D scene on a real GL driver (Mesa under Xvfb): the
// expected pixels come from the lighting formula and the left-handed
// projection worked out here, not from the scene's own matrices.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "SceneGlFixture.h"
#include "scene/AnimationList.h"
#include "scene/AnimatorThread.h"
#include "scene/Direct3D.h"
#include "scene/Primitive.h"
#include "scene/Shapes.h"
#include "scene/SpacePainter.h"
#include "scene/TextOverlay.h"
#include "scene/TextureGenerator.h"
#include "scene/VertexBuffer.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;

class CScenePixels : public CSceneGlFixture {
protected:
    CScenePixels() : CSceneGlFixture(kWidth, kHeight) {}

    // Centre of the pixels brighter than black.
    bool Centroid(double& x, double& y) const {
        double sx = 0, sy = 0;
        int n = 0;
        for (int py = 0; py < kHeight; ++py) {
            for (int px = 0; px < kWidth; ++px) {
                const RGBA c = Pixel(px, py);
                if (c.r + c.g + c.b > 90) {
                    sx += px + 0.5;
                    sy += py + 0.5;
                    ++n;
                }
            }
        }
        if (n == 0) {
            return false;
        }
        x = sx / n;
        y = sy / n;
        return true;
    }
};

TEST_F(CScenePixels, LightsEachFaceOfACubeByAmbientPlusDiffuseTimesNDotL) {
    const glm::mat4 turn =
        glm::rotate(glm::rotate(glm::mat4(1.0f), glm::radians(25.0f), glm::vec3(1, 0, 0)),
                    glm::radians(35.0f), glm::vec3(0, 1, 0));
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        auto cube = CShapes::Box("Cube", scene.GetDirect3D(), &list, glm::vec3(0), glm::vec3(1.0f),
                                 0xFFFFFFFF);
        cube->Transform(turn);
        scene.AddToList(std::move(cube));
    });
    const glm::vec3 direction = glm::normalize(glm::vec3(0.5f, -0.4f, 0.8f));
    const float ambient = 0.2f;
    CDirect3D& device = *m_scene->GetDirect3D();
    LIGHT light;
    light.direction = direction;
    device.SetLight(0, light);
    device.EnableLight(0, true);
    device.EnableLight(1, false);
    device.SetAmbient(0xFF333333);  // 51 = 0.2 * 255
    Draw();
    const glm::vec3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {-1, 0, 0},
                                  {1, 0, 0},  {0, 1, 0}, {0, -1, 0}};
    int checked = 0;
    for (const glm::vec3& local : normals) {
        const glm::vec3 n = glm::normalize(glm::vec3(turn * glm::vec4(local, 0.0f)));
        const glm::vec3 center = n * 0.5f;
        if (glm::dot(n, glm::vec3(0, 0, -10) - center) <= 0.0f) {
            continue;  // faces away from the eye
        }
        const float diffuse = std::max(0.0f, glm::dot(n, -direction));
        const int expected =
            static_cast<int>(std::lround(std::min(1.0f, ambient + diffuse) * 255.0f));
        double px = 0, py = 0;
        Project(center, px, py);
        const RGBA c = Pixel(static_cast<int>(px), static_cast<int>(py));
        EXPECT_NEAR(c.r, expected, 3) << "face " << local.x << "," << local.y << "," << local.z;
        EXPECT_NEAR(c.g, expected, 3);
        EXPECT_NEAR(c.b, expected, 3);
        ++checked;
    }
    EXPECT_EQ(checked, 3);
}

TEST_F(CScenePixels, PutsAWorldPointWhereTheLeftHandedProjectionSays) {
    const glm::vec3 points[] = {{0.8f, 0.5f, 2.0f}, {-1.2f, -0.3f, 0.0f}, {0.0f, 0.0f, 5.0f}};
    for (const glm::vec3& point : points) {
        Build([&](CSpacePainter& scene, CVertexBuffer& list) {
            scene.AddToList(CShapes::Box("Marker", scene.GetDirect3D(), &list, point,
                                         glm::vec3(0.06f), 0xFFFFFFFF));
        });
        Draw();
        double x = 0, y = 0, ex = 0, ey = 0;
        ASSERT_TRUE(Centroid(x, y));
        Project(point, ex, ey);
        EXPECT_NEAR(x, ex, 1.0) << point.x << "," << point.y << "," << point.z;
        EXPECT_NEAR(y, ey, 1.0) << point.x << "," << point.y << "," << point.z;
    }
}

TEST_F(CScenePixels, SmoothsTheEdgeOfASlantedTriangleWithFourSamples) {
    ASSERT_GE(m_device->GetSamples(), 4) << "the driver gives no four-sample framebuffer";
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        auto triangle = std::make_unique<CPrimitive>("Triangle", scene.GetDirect3D(), &list);
        triangle->BeginGeometry();
        VERTEX a, b, c;
        for (VERTEX* v : {&a, &b, &c}) {
            v->diffuse = 0xFF000000;
            v->specular = 0xFFFFFFFF;  // emissive white
            v->nz = -1.0f;
        }
        a.x = -1.0f, a.y = -0.8f;
        b.x = -0.2f, b.y = 0.9f;
        c.x = 1.0f, c.y = -0.6f;
        list.AddTriangle(a, b, c);
        triangle->EndGeometry();
        scene.AddToList(std::move(triangle));
    });
    Draw();
    int white = 0, grey = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int r = Pixel(x, y).r;
            white += r >= 250;
            grey += r > 20 && r < 235;
        }
    }
    EXPECT_GT(white, 1000) << "the triangle is not drawn";
    EXPECT_GT(grey, 20) << "no edge pixel has an intermediate value";
}

TEST_F(CScenePixels, DrawsTheSameFrameAfterTheContextIsMadeAnew) {
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        scene.AddToList(CShapes::Sphere("Ball", scene.GetDirect3D(), &list, glm::vec3(0.3f, 0, 0),
                                        0.6f, 24, 0xFFE08040));
        scene.AddToList(CShapes::Box("Block", scene.GetDirect3D(), &list, glm::vec3(-0.7f, 0.2f, 1),
                                     glm::vec3(0.5f), 0xFF4080E0));
    });
    Draw();
    const std::vector<uint8_t> before = m_pixels;
    std::string error;
    ASSERT_TRUE(m_device->RecreateContext(error)) << error;
    EXPECT_FALSE(m_scene->GetFirstList()->IsUploaded());
    Draw();
    EXPECT_TRUE(m_scene->GetFirstList()->IsUploaded());
    EXPECT_EQ(m_scene->GetCurrentKind(), 3);
    EXPECT_TRUE(before == m_pixels) << "the frame after the new context differs";
}

TEST_F(CScenePixels, MovesAPrimitiveToTheEndOfItsPathStartedFromTheAnimatorThread) {
    CPrimitive* box = nullptr;
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        box = scene.AddToList(CShapes::Box("Runner", scene.GetDirect3D(), &list, glm::vec3(0),
                                           glm::vec3(0.1f), 0xFFFFFFFF));
    });
    CAnimationList path;
    const glm::vec3 from(-1.0f, 0.0f, 0.0f), to(1.0f, 0.4f, 0.0f);
    ASSERT_TRUE(path.AddPath(
        box, [&](double f) { return from + (to - from) * float(f); }, glm::vec3(0), 0.5));
    ASSERT_TRUE(m_scene->StartAnimation());
    std::atomic<bool> onAnimator{false};
    const auto uiThread = std::this_thread::get_id();
    CAnimatorThread animator(
        [&](double) {
            onAnimator = std::this_thread::get_id() != uiThread;
            m_scene->RequestAnimation(&path);
        },
        nullptr);
    ASSERT_TRUE(animator.Start());
    ASSERT_TRUE(animator.Post(CAnimatorThread::kAnimateJob, true));
    EXPECT_TRUE(onAnimator);
    const auto start = std::chrono::steady_clock::now();
    int frames = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(900)) {
        const int before = m_scene->GetFrameCount();
        ASSERT_TRUE(m_scene->Step()) << m_scene->GetError();
        frames += m_scene->GetFrameCount() != before;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(path.IsFinished());
    EXPECT_EQ(m_scene->GetRunningAnimations(), 0);
    EXPECT_GT(frames, 5) << "the UI thread drew while the box moved";
    const glm::vec3 end = glm::vec3(box->GetDrawTransform()[3]);
    EXPECT_NEAR(end.x, to.x, 1e-5);
    EXPECT_NEAR(end.y, to.y, 1e-5);
    Draw();
    double x = 0, y = 0, ex = 0, ey = 0;
    ASSERT_TRUE(Centroid(x, y));
    Project(to, ex, ey);
    EXPECT_NEAR(x, ex, 1.0);
    EXPECT_NEAR(y, ey, 1.0);
}

TEST_F(CScenePixels, DrawsTheOverlayTextAndSkipsAnEmptyClientArea) {
    ASSERT_TRUE(m_scene->CreatePicture(18));
    m_scene->ShowInfo(true);
    Draw();
    EXPECT_NE(std::string(m_scene->GetInfo()).find("Prim: "), std::string::npos);
    int lit = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 150; ++x) {
            lit += Pixel(x, y).r > 128;
        }
    }
    EXPECT_GT(lit, 50) << "no overlay text at the top left";
    const glm::mat4 projection = m_scene->GetProjection();
    m_device->Resize(kWidth, 0);
    EXPECT_TRUE(m_scene->GetProjection() == projection);
}

// A picture that says a long status: the status line breaks into lines
// upwards and never runs past the view's right edge.
class CTalkingPrimitive : public CPrimitive {
public:
    using CPrimitive::CPrimitive;
    bool GetStatusText(CCharString& text) const override {
        text =
            "Twinkle Twinkle Little Star: note 1 of 42 (played through; last time: Right at "
            "first try: 93% of 42, mean reaction 0.82 s)";
        return true;
    }
};

TEST_F(CScenePixels, BreaksALongStatusIntoLinesInsideTheView) {
    m_scene->SetPictureFactory(3, [](CSpacePainter& scene, CVertexBuffer& list) -> CPrimitive* {
        return scene.AddToList(
            std::make_unique<CTalkingPrimitive>("Talking", scene.GetDirect3D(), &list));
    });
    ASSERT_TRUE(m_scene->CreatePicture(3)) << m_scene->GetError();
    Draw();
    int rightmost = -1;
    std::vector<int> litRows;
    for (int y = 0; y < kHeight; ++y) {
        int lit = 0;
        for (int x = 0; x < kWidth; ++x) {
            if (Pixel(x, y).r > 128 && Pixel(x, y).g > 128 && Pixel(x, y).b > 128) {
                ++lit;
                rightmost = std::max(rightmost, x);
            }
        }
        if (lit > 0) {
            litRows.push_back(y);
        }
    }
    ASSERT_FALSE(litRows.empty()) << "no status line drawn";
    EXPECT_LT(rightmost, kWidth - 6) << "the status runs past the view's edge";
    EXPECT_GT(litRows.back() - litRows.front(), 3 * CTextOverlay::kTextHeight)
        << "a status three views wide takes more than two lines";
    EXPECT_LT(litRows.back(), kHeight - 10) << "the last line keeps its place above the bottom";
}

TEST_F(CScenePixels, RecomputesTheOverlayStatisticsEveryThirtyFrames) {
    ASSERT_TRUE(m_scene->CreatePicture(18));
    m_scene->ShowInfo(true);
    for (int i = 0; i < 29; ++i) {
        ASSERT_TRUE(m_scene->Render(true));
    }
    EXPECT_EQ(m_scene->GetFps(), 0);
    EXPECT_EQ(m_scene->GetFrameCount(), 29);
    ASSERT_TRUE(m_scene->Render(true));
    EXPECT_GT(m_scene->GetFps(), 0);
    EXPECT_EQ(m_scene->GetFrameCount(), 0);
}

TEST_F(CScenePixels, DrawsAPaintedTextureWithItsTransparency) {
    uint32_t bitmapCenter = 0, bitmapCorner = 1;
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        CTextureGenerator generator(scene.GetDirect3D());
        ASSERT_TRUE(generator.Begin(64, 64)) << generator.GetError();
        generator.GetPainter()->FillEllipse(32, 32, 24, 24, 0xFFFF0000);
        const uint32_t texture = generator.End();
        ASSERT_NE(texture, 0u) << generator.GetError();
        generator.GetBitmapPixel(32, 32, bitmapCenter);
        generator.GetBitmapPixel(0, 0, bitmapCorner);
        auto quad = std::make_unique<CPrimitive>("Painted", scene.GetDirect3D(), &list);
        quad->BeginGeometry();
        VERTEX a, b, c, d;
        for (VERTEX* v : {&a, &b, &c, &d}) {
            v->diffuse = 0xFFFFFFFF;
            v->specular = 0xFFFFFFFF;
            v->nz = -1.0f;
        }
        a.x = -1, a.y = 1, a.u = 0, a.v = 0;
        b.x = 1, b.y = 1, b.u = 1, b.v = 0;
        c.x = 1, c.y = -1, c.u = 1, c.v = 1;
        d.x = -1, d.y = -1, d.u = 0, d.v = 1;
        list.AddQuad(a, b, c, d);
        quad->EndGeometry();
        quad->SetTexture(texture);
        scene.AddToList(std::move(quad));
    });
    EXPECT_EQ(bitmapCenter, 0xFFFF0000u);
    EXPECT_EQ(bitmapCorner >> 24, 0u);
    Draw();
    double cx = 0, cy = 0;
    Project(glm::vec3(0), cx, cy);
    const RGBA center = Pixel(int(cx), int(cy));
    EXPECT_GT(center.r, 240);
    EXPECT_LT(center.g, 15);
    double qx = 0, qy = 0;
    Project(glm::vec3(-0.95f, 0.95f, 0), qx, qy);  // a transparent corner of the quad
    const RGBA corner = Pixel(int(qx) + 1, int(qy) + 1);
    EXPECT_LT(corner.r + corner.g + corner.b, 15);
}

TEST(ScenePixelsBeforeAContext, ShowsTheEmptySceneWhenThePictureAskedForEarlyCannotBeBuilt) {
    EnsureGuiApplication();
    CQtOffscreenGl device(kWidth, kHeight);
    CSpacePainter scene;
    ASSERT_TRUE(scene.Init(&device));  // no context yet: the device objects wait
    scene.SetPictureFactory(3, [](CSpacePainter& s, CVertexBuffer&) -> CPrimitive* {
        s.SetErrorText("the picture's parts are missing");
        return nullptr;
    });
    ASSERT_TRUE(scene.CreatePicture(3)) << "a known kind is accepted before the context";
    std::string error;
    ASSERT_TRUE(device.Create(error)) << error;
    EXPECT_EQ(scene.GetCurrentKind(), 18);
    EXPECT_TRUE(scene.IsInfoShown());
    EXPECT_TRUE(scene.Render(true)) << scene.GetError();
    EXPECT_NE(std::string(scene.GetInfo()).find("Prim: "), std::string::npos);
}

TEST_F(CScenePixels, RefusesPictureKindsThatDoNotExist) {
    EXPECT_FALSE(m_scene->CreatePicture(13));
    EXPECT_EQ(m_scene->GetPicture(), nullptr);
    EXPECT_FALSE(m_scene->CreatePicture(40));
    EXPECT_FALSE(m_scene->CreatePicture(5));
    EXPECT_NE(std::string(m_scene->GetError()).find("not available"), std::string::npos);
    EXPECT_TRUE(m_scene->CreatePicture(18));
    EXPECT_EQ(m_scene->GetCurrentKind(), 18);
}

}  // namespace
