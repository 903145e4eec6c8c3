// The band drawn in few GL calls under Xvfb: its figures in a handful of
// batches, frame after frame of limbs moved by rewriting their vertices,
// with the pixels of the band drawn primitive by primitive.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../../scene/gl/SceneGlFixture.h"
#include "characters/Band.h"
#include "platform/qt/QtOffscreenGl.h"
#include "scene/Direct3D.h"
#include "scene/SpacePainter.h"
#include "scene/VertexBuffer.h"
#include "theory/Note.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 400;
constexpr int kBandKind = 17;
constexpr int kMaxDrawCalls = 4;
constexpr double kFrameStep = 0.025;

class CBatchedBand : public CSceneGlFixture {
protected:
    CBatchedBand() : CSceneGlFixture(kWidth, kHeight) {}

    void SetUp() override {
        CSceneGlFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_notes.Init());
        m_scene->SetPictureFactory(kBandKind, [this](CSpacePainter& scene, CVertexBuffer& list) {
            m_band = CBand::Make(scene, list, &m_notes, nullptr);
            return m_band;
        });
        ASSERT_TRUE(m_scene->CreatePicture(kBandKind)) << m_scene->GetError();
        ASSERT_NE(m_band, nullptr);
        m_band->StartPoses();
        Step(0.5);
    }

    void Step(double seconds) {
        for (double end = m_now + seconds; m_now < end; m_now += kFrameStep) {
            m_band->Animate(m_now + kFrameStep, m_now);
        }
    }

    std::vector<uint8_t> Draw() {
        std::vector<uint8_t> pixels;
        EXPECT_TRUE(m_scene->Render(true)) << m_scene->GetError();
        int w = 0, h = 0;
        EXPECT_TRUE(m_device->ReadPixels(pixels, w, h));
        return pixels;
    }

    // The frame drawn primitive by primitive, as it is without batching.
    std::vector<uint8_t> DrawOneByOne() {
        m_scene->GetDirect3D()->SetBatching(false);
        std::vector<uint8_t> pixels = Draw();
        m_scene->GetDirect3D()->SetBatching(true);
        return pixels;
    }

    int DrawCalls() const { return m_scene->GetDirect3D()->GetDrawCalls(); }

    static int Lit(const std::vector<uint8_t>& pixels) {
        int lit = 0;
        for (size_t i = 0; i < pixels.size(); i += 4) {
            lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 60;
        }
        return lit;
    }

    CNoteManager m_notes;
    CBand* m_band = nullptr;
    double m_now = 0.0;
};

TEST_F(CBatchedBand, DrawsTheFiguresInAFewCallsWithThePixelsOfOneByOneDrawing) {
    const std::vector<uint8_t> batched = Draw();
    EXPECT_LE(DrawCalls(), kMaxDrawCalls);
    const int calls = DrawCalls();
    const std::vector<uint8_t> oneByOne = DrawOneByOne();
    EXPECT_GT(DrawCalls(), 50 * calls) << "drawing one by one was not turned on";
    EXPECT_GT(Lit(oneByOne), kWidth * kHeight / 20) << "the band is not drawn";
    EXPECT_TRUE(batched == oneByOne) << "the batched band differs";
}

TEST_F(CBatchedBand, KeepsItsBatchesWhileTheLimbsMoveFrameAfterFrame) {
    Draw();
    const int calls = DrawCalls();
    BAND_NOTE note;
    note.thing = THING_RIDE_CYMBAL;
    note.midiNote = 51;
    ASSERT_TRUE(m_band->PlayNote(note));
    CVertexBuffer& list = *m_scene->GetFirstList();
    for (int frame = 0; frame < 4; ++frame) {
        Step(kFrameStep);
        EXPECT_GT(list.GetPendingStretches(), 0) << "frame " << frame << ": nothing moved";
        const std::vector<uint8_t> batched = Draw();
        EXPECT_EQ(list.GetPendingStretches(), 0);
        EXPECT_GE(list.GetSentStretches(), list.GetUploads());
        EXPECT_EQ(DrawCalls(), calls) << "frame " << frame;
        EXPECT_TRUE(batched == DrawOneByOne()) << "frame " << frame << " differs";
    }
}

}  // namespace
