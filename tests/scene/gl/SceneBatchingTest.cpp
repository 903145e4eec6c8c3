// The scene's draws grouped by state on a real GL driver (Mesa under Xvfb):
// what the pixels must show where translucent primitives come before the
// opaque ones behind them or overlap each other, and primitives moved by
// rewriting their vertices, many stretches a frame.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SceneGlFixture.h"
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

// What the read-back picture shows of a blended colour: it takes the
// colours as premultiplied by the alpha the blending left.
int Shown(double value, double alpha) {
    return static_cast<int>(std::lround(255.0 * value / alpha));
}

class CSceneBatching : public CSceneGlFixture {
protected:
    CSceneBatching() : CSceneGlFixture(kWidth, kHeight) {}

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

    // The pixel where the default camera shows a world point.
    RGBA At(const glm::vec3& p) const {
        double x = 0.0, y = 0.0;
        Project(p, x, y);
        return Pixel(static_cast<int>(x), static_cast<int>(y));
    }
};

TEST_F(CSceneBatching, BlendsATranslucentSquareOverTheOpaqueOneBehindItThoughItCameFirst) {
    Build([&](CSpacePainter& scene, CVertexBuffer& list) {
        scene.AddToList(Square(scene, list, glm::vec3(0, 0, -1), 0.5f, kRed, kHalf));
        scene.AddToList(Square(scene, list, glm::vec3(0, 0, 0), 1.0f, kBlue, 0xFF000000));
    });
    Draw();
    // Half the red in front, half the blue behind it (alpha 0.5 * 0.5 + 0.5);
    // beside the red square the blue one alone.
    const RGBA mixed = At(glm::vec3(0, 0, -1));
    EXPECT_NEAR(mixed.r, Shown(0.5, 0.75), 3);
    EXPECT_EQ(mixed.g, 0);
    EXPECT_NEAR(mixed.b, Shown(0.5, 0.75), 3);
    const RGBA blue = At(glm::vec3(0.8f, 0.8f, 0));
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
    const RGBA both = At(glm::vec3(0, 0, -1));
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
    const auto lit = [](const RGBA& c) { return c.r + c.g + c.b > 90; };
    for (size_t i = 0; i < boxes.size(); ++i) {
        const bool moved = i % 2 == 0;
        EXPECT_TRUE(lit(At(places[i] + (moved ? lift : glm::vec3(0))))) << "box " << i;
        if (moved) {
            EXPECT_FALSE(lit(At(places[i]))) << "box " << i << " is still where it was";
        }
    }
}

}  // namespace
