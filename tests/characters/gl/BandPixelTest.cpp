// The band on a real GL driver (Mesa under Xvfb): four figures with their
// instruments where they stand, a drum stroke between two frames, and the
// camera's targets. The screenshots land in build/tests.
#include <gtest/gtest.h>

#include <QImage>

#include <memory>
#include <string>
#include <vector>

#include "../../scene/gl/SceneGlFixture.h"
#include "characters/Band.h"
#include "characters/Drummer.h"
#include "characters/Guitarist.h"
#include "characters/Segment.h"
#include "platform/assimp/AssimpMeshReader.h"
#include "platform/qt/QtOffscreenGl.h"
#include "scene/SpacePainter.h"
#include "theory/Note.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;
constexpr int kBandKind = 17;

class CBandPixels : public CSceneGlFixture {
protected:
    CBandPixels() : CSceneGlFixture(kWidth, kHeight) {}

    // The figures of primitives unless a test asks for the skinned ones.
    virtual const char* FigureModel() const { return nullptr; }

    void SetUp() override {
        static CAssimpMeshReader reader;
        Platform::SetMeshReader(&reader);
        CSceneGlFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_notes.Init());
        m_scene->SetPictureFactory(kBandKind, [this](CSpacePainter& scene, CVertexBuffer& list) {
            m_band = CBand::Make(scene, list, &m_notes, nullptr, FigureModel());
            return m_band;
        });
        ASSERT_TRUE(m_scene->CreatePicture(kBandKind)) << m_scene->GetError();
        ASSERT_NE(m_band, nullptr);
    }

    void Save(const char* name) const {
        const QImage image(m_pixels.data(), kWidth, kHeight, QImage::Format_RGBA8888);
        const std::string path = std::string(NOTARA_BINARY_DIR) + "/tests/" + name;
        EXPECT_TRUE(image.save(path.c_str())) << path;
    }

    // Where a scene point lands on the frame, top row 0.
    glm::ivec2 Project(const glm::vec3& point) const {
        const glm::vec4 clip =
            m_scene->GetProjection() * m_scene->GetView() * glm::vec4(point, 1.0f);
        const glm::vec3 ndc = glm::vec3(clip) / clip.w;
        return glm::ivec2(static_cast<int>((ndc.x + 1.0f) * 0.5f * kWidth),
                          static_cast<int>((1.0f - ndc.y) * 0.5f * kHeight));
    }

    // The share of lit (not background) pixels in a square around a point.
    double LitShare(const glm::ivec2& at, int half) const {
        int lit = 0, all = 0;
        for (int y = at.y - half; y <= at.y + half; ++y) {
            for (int x = at.x - half; x <= at.x + half; ++x) {
                if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) {
                    continue;
                }
                ++all;
                const uint8_t* p = At(x, y);
                lit += p[0] + p[1] + p[2] > 60 ? 1 : 0;
            }
        }
        return all > 0 ? static_cast<double>(lit) / all : 0.0;
    }

    // Pixels that differ between two frames in a square around a point.
    static int Changed(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                       const glm::ivec2& at, int half) {
        int changed = 0;
        for (int y = std::max(at.y - half, 0); y <= std::min(at.y + half, kHeight - 1); ++y) {
            for (int x = std::max(at.x - half, 0); x <= std::min(at.x + half, kWidth - 1); ++x) {
                const size_t i = (static_cast<size_t>(y) * kWidth + x) * 4;
                changed += std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) +
                                       std::abs(a[i + 2] - b[i + 2]) >
                                   30
                               ? 1
                               : 0;
            }
        }
        return changed;
    }

    // The device gives the rows top first.
    const uint8_t* At(int x, int y) const {
        return &m_pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
    }

    // Lets the figures finish their first strokes.
    void Settle(double from, double to) {
        for (double t = from; t <= to; t += 0.025) {
            m_band->Animate(t, t - 0.025);
        }
    }

    CNoteManager m_notes;
    CBand* m_band = nullptr;
};

TEST_F(CBandPixels, ShowsFourFiguresWithTheirInstrumentsWhereTheyStand) {
    m_band->StartPoses();
    Settle(0.0, 0.5);
    Draw();
    Save("band.png");
    EXPECT_FLOAT_EQ(m_scene->GetCameraDistance(), 8.0f);
    // Each player's body and instrument stand out from the dark stage.
    const struct {
        CPlayer* player;
        glm::vec3 chest;       // built centimetres
        glm::vec3 instrument;  // built centimetres
    } players[] = {
        {m_band->GetLeadGuitarist(), {0, 125, 0}, {-10, 104, 14}},
        {m_band->GetRhythmGuitarist(), {0, 125, 0}, {-10, 104, 14}},
        {m_band->GetBassist(), {0, 125, 0}, {-10, 104, 14}},
        {m_band->GetDrummer(), {0, 90, 0}, {-20, 64, 34}},
    };
    for (const auto& p : players) {
        const glm::ivec2 chest = Project(p.player->ToWorld(p.chest));
        ASSERT_TRUE(chest.x > 0 && chest.x < kWidth && chest.y > 0 && chest.y < kHeight)
            << p.player->GetName();
        EXPECT_GT(LitShare(chest, 6), 0.8) << p.player->GetName();
        EXPECT_GT(LitShare(Project(p.player->ToWorld(p.instrument)), 4), 0.5)
            << p.player->GetName() << " instrument";
    }
    // Above the band's heads the stage is empty and dark.
    EXPECT_LT(LitShare({kWidth / 2, 20}, 15), 0.05);
    // Not a black frame: the band fills a fair part of it.
    EXPECT_GT(LitShare({kWidth / 2, kHeight / 2}, kHeight / 2 - 1), 0.08);
}

TEST_F(CBandPixels, ADrumNoteMovesTheStickBetweenTwoFramesWhileTheRestStays) {
    Settle(0.0, 0.5);
    m_band->LookAt(THING_DRUM_SET);
    Draw();
    const std::vector<uint8_t> before = m_pixels;
    CPrimitive* stick = m_band->GetDrummer()->GetStick(THING_RIGHT_HAND);
    const glm::ivec2 stickBefore = Project(stick->GetOrigin());
    BAND_NOTE note;
    note.thing = THING_RIDE_CYMBAL;
    note.midiNote = 51;
    ASSERT_TRUE(m_band->PlayNote(note));
    m_band->Animate(0.5 + CDrummer::kDownTime, 0.5);
    Draw();
    Save("band-drum-stroke.png");
    const glm::ivec2 stickAfter = Project(stick->GetOrigin());
    EXPECT_GT(
        Changed(before, m_pixels, stickBefore, 20) + Changed(before, m_pixels, stickAfter, 20), 50);
    // The left stick and the drummer's head stay where they were.
    const glm::ivec2 head =
        Project(m_band->GetDrummer()->GetHuman()->ToWorld(glm::vec3(0, 163 - 41, 0)));
    EXPECT_EQ(Changed(before, m_pixels, head, 8), 0);
}

TEST_F(CBandPixels, EachCameraTargetShowsItsPlayerInTheMiddle) {
    Settle(0.0, 0.5);
    const struct {
        int thing;
        const char* file;
        CPlayer* player;
    } targets[] = {
        {THING_LEAD_GUITAR, "band-camera-lead.png", m_band->GetLeadGuitarist()},
        {THING_RHYTHM_GUITAR, "band-camera-rhythm.png", m_band->GetRhythmGuitarist()},
        {THING_BASS_GUITAR, "band-camera-bass.png", m_band->GetBassist()},
        {THING_DRUM_SET, "band-camera-drums.png", m_band->GetDrummer()},
    };
    for (const auto& target : targets) {
        ASSERT_TRUE(m_band->LookAt(target.thing));
        Draw();
        Save(target.file);
        const glm::ivec2 chest = Project(target.player->ToWorld(glm::vec3(0, 110, 0)));
        EXPECT_NEAR(chest.x, kWidth / 2, kWidth / 4) << target.file;
        EXPECT_GT(LitShare({kWidth / 2, kHeight / 2}, 150), 0.3) << target.file;
    }
    ASSERT_TRUE(m_band->LookAt(THING_BAND));
    Draw();
    Save("band-camera-band.png");
}

// The band of skinned figures: the same players, the model's bones placed
// by the same reaching.
class CSkinnedBandPixels : public CBandPixels {
protected:
    const char* FigureModel() const override { return NOTARA_BINARY_DIR "/Models/Human.x"; }
};

TEST_F(CSkinnedBandPixels, ShowsFourSkinnedFiguresPlayingTheirInstruments) {
    m_band->StartPoses();
    Settle(0.0, 0.5);
    Draw();
    Save("band-skinned.png");
    for (CPlayer* player : {static_cast<CPlayer*>(m_band->GetLeadGuitarist()),
                            static_cast<CPlayer*>(m_band->GetBassist())}) {
        const glm::ivec2 chest = Project(player->ToWorld(glm::vec3(0, 125, 0)));
        EXPECT_GT(LitShare(chest, 6), 0.8) << player->GetName();
    }
    ASSERT_TRUE(m_band->LookAt(THING_BASS_GUITAR));
    Draw();
    Save("band-skinned-bass.png");
}

}  // namespace
