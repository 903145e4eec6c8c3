// The scene's draws grouped by state on a real GL driver (Mesa under Xvfb):
// what the pixels must show where translucent primitives come before the
// opaque ones behind them or overlap each other, and primitives moved by
// rewriting their vertices, many stretches a frame.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../../GuiApplication.h"
#include "platform/qt/QtOffscreenGl.h"
#include "scene/Direct3D.h"
#include "scene/Primitive.h"
#include "scene/Shapes.h"
#include "scene/SpacePainter.h"
#include "scene/VertexBuffer.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 200;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kHalf = 0x80000000;  // the alpha of a half-transparent vertex

// One application for all the test files of the program, made by the
// first test that needs it.
struct RGB {
    int r, g, b;
};

// What the read-back picture shows of a blended colour: it takes the
// colours as premultiplied by the alpha the blending left.
int Shown(double value, double alpha) {
    return static_cast<int>(std::lround(255.0 * value / alpha));
}

class CSceneBatching : public testing::Test {
protected:
    void SetUp() override {
        EnsureGuiApplication();
        m_device = std::make_unique<CQtOffscreenGl>(kWidth, kHeight);
        std::string error;
        ASSERT_TRUE(m_device->Create(error)) << error;
        m_scene = std::make_unique<CSpacePainter>();
        ASSERT_TRUE(m_scene->Init(m_device.get())) << m_scene->GetError();
    }

    void TearDown() override {
        m_scene.reset();
        m_device.reset();
    }

    void Build(const std::function<void(CSpacePainter&, CVertexBuffer&)>& build) {
        m_scene->SetPictureFactory(3, [build](CSpacePainter& scene, CVertexBuffer& list) {
            build(scene, list);
            return list.GetPrimitives().GetCount() > 0 ? *list.GetPrimitives().GetAt(0) : nullptr;
        });
        ASSERT_TRUE(m_scene->CreatePicture(3)) << m_scene->GetError();
    }

    void Draw() {
        ASSERT_TRUE(m_scene->Render(true)) << m_scene->GetError();
        int w = 0, h = 0;
        ASSERT_TRUE(m_device->ReadPixels(m_pixels, w, h));
    }

    // A flat square facing the camera, its colour all emissive so that the
    // lights leave it as it is; alpha is the diffuse colour's.
    static std::unique_ptr<CPrimitive> Square(CSpacePainter& scene, CVertexBuffer& list,
                                              const glm::vec3& center, float half,
                                              uint32_t emissive, uint32_t alpha) {
        auto square = std::make_unique<CPrimitive>("Square", scene.GetDirect3D(), &list);
        square->BeginGeometry();
        VERTEX corners[4];
        const float xs[4] = {-half, half, half, -half};
        const float ys[4] = {half, half, -half, -half};
        for (int i = 0; i < 4; ++i) {
            corners[i].x = center.x + xs[i];
            corners[i].y = center.y + ys[i];
            corners[i].z = center.z;
            corners[i].nz = -1.0f;
            corners[i].diffuse = alpha;
            corners[i].specular = emissive;
        }
        list.AddQuad(corners[0], corners[1], corners[2], corners[3]);
        square->EndGeometry();
        return square;
    }

    // Where the default camera (eye (0, 0, -10) looking at the origin, 20
    // degrees of vertical field) shows a world point.
    RGB At(const glm::vec3& p) const {
        const double t = std::tan(20.0 * M_PI / 180.0 / 2.0);
        const double depth = p.z + 10.0;
        const double nx = p.x / (depth * t * kWidth / kHeight);
        const double ny = p.y / (depth * t);
        const int x = static_cast<int>((nx + 1.0) / 2.0 * kWidth);
        const int y = static_cast<int>((1.0 - ny) / 2.0 * kHeight);
        const uint8_t* c = &m_pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
        return RGB{c[0], c[1], c[2]};
    }

    std::unique_ptr<CQtOffscreenGl> m_device;
    std::unique_ptr<CSpacePainter> m_scene;
    std::vector<uint8_t> m_pixels;
};

TEST_F(CSceneBatching, BlendsATranslucentSquareOverTheOpaqueOneBehindItThoughItCameFirst) {
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        scene.AddToList(Square(scene, list, glm::vec3(0, 0, -1), 0.5f, kRed, kHalf));
        scene.AddToList(Square(scene, list, glm::vec3(0, 0, 0), 1.0f, kBlue, 0xFF000000));
    });
    Draw();
    // Half the red in front, half the blue behind it (alpha 0.5 * 0.5 + 0.5);
    // beside the red square the blue one alone.
    const RGB mixed = At(glm::vec3(0, 0, -1));
    EXPECT_NEAR(mixed.r, Shown(0.5, 0.75), 3);
    EXPECT_EQ(mixed.g, 0);
    EXPECT_NEAR(mixed.b, Shown(0.5, 0.75), 3);
    const RGB blue = At(glm::vec3(0.8f, 0.8f, 0));
    EXPECT_EQ(blue.r, 0);
    EXPECT_EQ(blue.b, 255);
    EXPECT_EQ(m_scene->GetDirect3D()->GetDrawCalls(), 2);
}

TEST_F(CSceneBatching, BlendsOverlappingTranslucentSquaresInTheOrderTheyCame) {
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        scene.AddToList(Square(scene, list, glm::vec3(0, 0, 0), 1.0f, 0xFF000000, 0xFF000000));
        scene.AddToList(Square(scene, list, glm::vec3(-0.2f, 0, -1), 0.5f, kRed, kHalf));
        scene.AddToList(Square(scene, list, glm::vec3(0.2f, 0, -1), 0.5f, kBlue, kHalf));
    });
    Draw();
    // The blue square, drawn last, over the red one over the black one:
    // red 0.25 and blue 0.5 at alpha 0.625 (the other way round would give
    // red 0.5 and blue 0.25).
    const RGB both = At(glm::vec3(0, 0, -1));
    EXPECT_NEAR(both.r, Shown(0.25, 0.625), 3);
    EXPECT_NEAR(both.b, Shown(0.5, 0.625), 3);
    // The translucent squares share their state: one call after the opaque one.
    EXPECT_EQ(m_scene->GetDirect3D()->GetDrawCalls(), 2);
}

TEST_F(CSceneBatching, DrawsTheSamePixelsOneByOneAsInBatches) {
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        for (int i = 0; i < 12; ++i) {
            const glm::vec3 at(-1.1f + 0.2f * i, 0.3f * std::sin(i * 1.0f), 0.1f * (i % 3));
            scene.AddToList(CShapes::Box("Box", scene.GetDirect3D(), &list, at, glm::vec3(0.18f),
                                         0xFF000000u | (0x102030u * (i + 1))));
            scene.AddToList(Square(scene, list, at - glm::vec3(0, 0, 0.2f), 0.05f, kRed, kHalf));
        }
    });
    Draw();
    EXPECT_EQ(m_scene->GetDirect3D()->GetDrawCalls(), 2);
    const std::vector<uint8_t> batched = m_pixels;
    m_scene->GetDirect3D()->SetBatching(false);
    Draw();
    EXPECT_EQ(m_scene->GetDirect3D()->GetDrawCalls(), 24);
    int lit = 0;
    for (size_t i = 0; i < m_pixels.size(); i += 4) {
        lit += m_pixels[i] + m_pixels[i + 1] + m_pixels[i + 2] > 60;
    }
    EXPECT_GT(lit, 1000) << "the boxes are not drawn";
    EXPECT_TRUE(batched == m_pixels) << "the batched frame differs";
}

TEST_F(CSceneBatching, ShowsPrimitivesMovedByRewritingTheirVerticesManyAFrame) {
    constexpr int kColumns = 10;
    constexpr int kRows = 4;
    const glm::vec3 lift(0.0f, 0.2f, 0.0f);
    std::vector<CPrimitive*> boxes;
    std::vector<glm::vec3> places;
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        for (int i = 0; i < kColumns * kRows; ++i) {
            const glm::vec3 at(-1.35f + 0.3f * (i % kColumns), -0.9f + 0.5f * (i / kColumns), 0);
            places.push_back(at);
            boxes.push_back(scene.AddToList(
                CShapes::Box("Box", scene.GetDirect3D(), &list, at, glm::vec3(0.1f), 0xFFFFFFFF)));
        }
    });
    Draw();
    EXPECT_EQ(m_scene->GetDirect3D()->GetDrawCalls(), 1);
    // Every second box goes up: its stretch waits for the next frame.
    for (size_t i = 0; i < boxes.size(); i += 2) {
        ASSERT_TRUE(boxes[i]->MoveBy(lift));
    }
    CVertexBuffer& list = *m_scene->GetFirstList();
    EXPECT_EQ(list.GetPendingStretches(), kColumns * kRows / 2);
    Draw();
    EXPECT_EQ(list.GetPendingStretches(), 0);
    EXPECT_EQ(m_scene->GetDirect3D()->GetDrawCalls(), 1) << "rewrites changed the batches";
    const auto lit = [](const RGB& c) { return c.r + c.g + c.b > 90; };
    for (size_t i = 0; i < boxes.size(); ++i) {
        const bool moved = i % 2 == 0;
        EXPECT_TRUE(lit(At(places[i] + (moved ? lift : glm::vec3(0))))) << "box " << i;
        if (moved) {
            EXPECT_FALSE(lit(At(places[i]))) << "box " << i << " is still where it was";
        }
    }
}

}  // namespace
