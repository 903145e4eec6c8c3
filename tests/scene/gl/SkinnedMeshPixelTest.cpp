// The shipped human figure drawn by the skinned mesh's own program on a
// real GL driver (Mesa under Xvfb): lit, centred and framed by the picture
// of kind 24, its pixels where the figure's vertices project to, and its
// right arm where a turned shoulder bone puts it. The places come from the
// model's vertices and a projection worked out here; the screenshots go to
// build/tests.
#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "SceneGlFixture.h"
#include "platform/assimp/AssimpMeshReader.h"
#include "platform/qt/QtOffscreenGl.h"
#include "scene/MeshPicture.h"
#include "scene/SkinnedMesh.h"
#include "scene/SkinnedMeshPicture.h"
#include "scene/SpacePainter.h"

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 400;
const std::string kHuman = std::string(NOTARA_BINARY_DIR) + "/Models/Human.x";

bool IsBackground(const RGBA& c) {
    return c.r + c.g + c.b < 15;
}

// The lit skin: reddish, lighter than the pants and the hair.
bool IsSkin(const RGBA& c) {
    return c.r > 90 && c.r > c.g + 15 && c.g > c.b && c.r - c.b > 35;
}

class CSkinnedMeshPixels : public CSceneGlFixture {
protected:
    CSkinnedMeshPixels() : CSceneGlFixture(kWidth, kHeight) {}

    void SetUp() override {
        Platform::SetMeshReader(&m_reader);
        CSceneGlFixture::SetUp();
    }

    void TearDown() override {
        CSceneGlFixture::TearDown();
        Platform::SetMeshReader(nullptr);
    }

    void Build(int kind, const std::string& path) {
        m_scene->SetPictureFactory(
            kind, [this, kind, path](CSpacePainter& scene, CVertexBuffer& list) -> CPrimitive* {
                m_picture = kind == CSkinnedMeshPicture::kKind
                                ? CSkinnedMeshPicture::Make(scene, list, path.c_str())
                                : CMeshPicture::Make(scene, list, path.c_str());
                return m_picture;
            });
        ASSERT_TRUE(m_scene->CreatePicture(kind)) << m_scene->GetError();
        ASSERT_NE(m_picture, nullptr);
    }

    // Skin pixels within radius of (x, y).
    int SkinAround(double x, double y, int radius) const {
        int n = 0;
        for (int dy = -radius; dy <= radius; ++dy) {
            for (int dx = -radius; dx <= radius; ++dx) {
                n += IsSkin(Pixel(static_cast<int>(x) + dx, static_cast<int>(y) + dy)) ? 1 : 0;
            }
        }
        return n;
    }

    // Where a point of the model's space shows: the mesh's placement, then
    // the camera's eye on the -z axis looking at the origin, up y, with the
    // scene's vertical field of view.
    void Project(const glm::vec3& model, double& px, double& py) const {
        const glm::vec3 p = glm::vec3(m_picture->GetMesh()->GetPlacement() * glm::vec4(model, 1));
        const glm::vec3 eye = m_scene->GetEye();
        const double t = std::tan(m_scene->GetFovAngle() * M_PI / 180.0 / 2.0);
        const double aspect = static_cast<double>(kWidth) / kHeight;
        const double depth = p.z - eye.z;
        px = (p.x / (depth * t * aspect) + 1.0) / 2.0 * kWidth;
        py = (1.0 - p.y / (depth * t)) / 2.0 * kHeight;
    }

    // Where a bone stands in the pose, on the screen.
    void ProjectBone(const char* bone, double& px, double& py) const {
        const CMeshModel& model = m_picture->GetMesh()->GetModel();
        Project(glm::vec3(model.GetCombined(model.FindFrame(bone))[3]), px, py);
    }

    void Save(const char* name) const {
        QImage shot(m_pixels.data(), kWidth, kHeight, QImage::Format_RGBA8888);
        shot.save(QString(NOTARA_BINARY_DIR) + "/tests/" + name);
    }

    CAssimpMeshReader m_reader;
    CMeshPicture* m_picture = nullptr;
};

TEST_F(CSkinnedMeshPixels, DrawsTheHumanLitAndCentredWhereItsVerticesProject) {
    Build(CSkinnedMeshPicture::kKind, kHuman);
    Draw();
    Save("mesh-human.png");
    for (const auto& corner : {std::pair<int, int>{0, 0},
                               {kWidth - 1, 0},
                               {0, kHeight - 1},
                               {kWidth - 1, kHeight - 1}}) {
        EXPECT_TRUE(IsBackground(Pixel(corner.first, corner.second)));
    }
    // The figure's pixels: their box is the box of its projected vertices.
    int minX = kWidth, maxX = -1, minY = kHeight, maxY = -1, figure = 0, skin = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const RGBA c = Pixel(x, y);
            if (!IsBackground(c)) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
                ++figure;
            }
            skin += IsSkin(c) && std::abs(y - kHeight / 2) < kHeight / 6 ? 1 : 0;
        }
    }
    ASSERT_GT(figure, kWidth * kHeight / 20) << "a black frame";
    const CMeshModel& model = m_picture->GetMesh()->GetModel();
    double lowX = 1e9, highX = -1e9, lowY = 1e9, highY = -1e9;
    for (const CMeshModel::DRAW_ITEM& item : model.GetDrawItems()) {
        const int count = static_cast<int>(model.GetData().meshes[item.part].GetVertexCount());
        for (int v = 0; v < count; ++v) {
            double px = 0, py = 0;
            Project(model.GetVertexPosition(item, v), px, py);
            lowX = std::min(lowX, px), highX = std::max(highX, px);
            lowY = std::min(lowY, py), highY = std::max(highY, py);
        }
    }
    EXPECT_NEAR(minX, lowX, 2.0);
    EXPECT_NEAR(maxX, highX, 2.0);
    EXPECT_NEAR(minY, lowY, 2.0);
    EXPECT_NEAR(maxY, highY, 2.0);
    // Centred, and framed with a margin: head and feet inside the view.
    EXPECT_NEAR((minX + maxX) / 2.0, kWidth / 2.0, 3.0);
    EXPECT_NEAR((minY + maxY) / 2.0, kHeight / 2.0, 3.0);
    EXPECT_GT(minY, 5);
    EXPECT_LT(maxY, kHeight - 5);
    EXPECT_GT(maxY - minY, kHeight * 3 / 4);
    // Lit skin in the middle band: the hands, the belly.
    EXPECT_GT(skin, 300);
    double hx = 0, hy = 0;
    ProjectBone("Head", hx, hy);
    EXPECT_GT(SkinAround(hx, hy - 8, 3), 20) << "the face";
}

TEST_F(CSkinnedMeshPixels, ATurnedRightShoulderLiftsTheArmsPixels) {
    Build(CSkinnedMeshPicture::kKind, kHuman);
    Draw();
    CSkinnedMesh& mesh = *m_picture->GetMesh();
    double elbowX = 0, elbowY = 0;
    ProjectBone("R_Elbow", elbowX, elbowY);
    EXPECT_GT(SkinAround(elbowX, elbowY, 2), 15) << "the hanging arm's elbow";
    // The right arm is on the viewer's left.
    EXPECT_LT(elbowX, kWidth / 2.0 - 20);
    ASSERT_TRUE(mesh.TurnBone("R_Shoulder", -80.0f, glm::vec3(0, 0, 1))) << mesh.GetError();
    double raisedX = 0, raisedY = 0;
    ProjectBone("R_Elbow", raisedX, raisedY);
    EXPECT_LT(raisedX, elbowX - 15);
    EXPECT_LT(raisedY, elbowY - 30);
    const int before = SkinAround(raisedX, raisedY, 2);
    Draw();
    Save("mesh-human-arm-raised.png");
    EXPECT_LT(before, 3) << "background where the raised elbow goes";
    EXPECT_GT(SkinAround(raisedX, raisedY, 2), 15) << "the raised elbow";
    EXPECT_LT(SkinAround(elbowX, elbowY, 2), 3) << "the hanging arm is gone";
    double wristX = 0, wristY = 0;
    ProjectBone("R_Wrist", wristX, wristY);
    EXPECT_GT(SkinAround(wristX, wristY, 2), 10) << "the raised wrist";
    // The other arm still hangs.
    double leftX = 0, leftY = 0;
    ProjectBone("L_Elbow", leftX, leftY);
    EXPECT_GT(SkinAround(leftX, leftY, 2), 15);
}

TEST_F(CSkinnedMeshPixels, HidesANamedPartAndShowsWhatItCovered) {
    Build(CSkinnedMeshPicture::kKind, kHuman);
    Draw();
    CSkinnedMesh& mesh = *m_picture->GetMesh();
    double footX = 0, footY = 0;
    ProjectBone("R_Ankle", footX, footY);
    footY += 4;  // the shoe below the ankle joint
    EXPECT_EQ(SkinAround(footX, footY, 1), 0) << "the shoe covers the foot";
    ASSERT_TRUE(mesh.SetVisible("R_Shoe", false)) << mesh.GetError();
    Draw();
    EXPECT_GT(SkinAround(footX, footY, 1), 3) << "the bare foot";
    EXPECT_FALSE(mesh.SetVisible("Wings", false));
    EXPECT_EQ(std::string(mesh.GetError()), "Can't find the part \"Wings\" in \"" + kHuman + "\"");
}

TEST_F(CSkinnedMeshPixels, DrawsTheStaticMeshOfKind23AndAgainAfterTheContextIsMadeAnew) {
    Build(CMeshPicture::kKind, kHuman);
    Draw();
    const std::vector<uint8_t> first = m_pixels;
    int figure = 0;
    for (size_t i = 0; i < first.size(); i += 4) {
        figure += first[i] + first[i + 1] + first[i + 2] >= 15 ? 1 : 0;
    }
    EXPECT_GT(figure, kWidth * kHeight / 20);
    std::string error;
    ASSERT_TRUE(m_device->RecreateContext(error)) << error;
    Draw();
    int differing = 0;
    for (size_t i = 0; i < first.size(); ++i) {
        differing += std::abs(first[i] - m_pixels[i]) > 8 ? 1 : 0;
    }
    EXPECT_LT(differing, 50);
}

TEST_F(CSkinnedMeshPixels, ABrokenFileLeavesTheScenesReason) {
    const std::string path = std::string(NOTARA_TEST_DATA) + "/mesh/truncated-in-weights.x";
    m_scene->SetPictureFactory(24, [&](CSpacePainter& scene, CVertexBuffer& list) -> CPrimitive* {
        return CSkinnedMeshPicture::Make(scene, list, path.c_str());
    });
    EXPECT_FALSE(m_scene->CreatePicture(24));
    EXPECT_EQ(std::string(m_scene->GetError()).rfind("Can't load the mesh \"" + path + "\": ", 0),
              0u)
        << m_scene->GetError();
}

}  // namespace
