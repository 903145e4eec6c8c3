// Picture kind 32 drawn in few GL calls under Xvfb: the keyboard and the
// staff in a handful of batches, whose pixels are those of the picture
// drawn primitive by primitive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../scene/gl/SceneGlFixture.h"
#include "exercise/HeldKeys.h"
#include "exercise/Teacher.h"
#include "scene/Direct3D.h"
#include "scene/SpacePainter.h"
#include "theory/NoteManager.h"
#include "theory/NoteRouter.h"
#include "trainer/PianoNotes.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
// The picture at rest, a note on the staff and a key held: a few batches
// for the opaque keys, lines and notes, the labels, and the two clefs.
constexpr int kMaxDrawCalls = 12;
constexpr int kMiddleC = 60;

class CPianoNotesBatching : public CSceneGlFixture {
protected:
    CPianoNotesBatching() : CSceneGlFixture(kWidth, kHeight) {}

    void SetUp() override {
        CSceneGlFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_manager.Init());
        m_teacher = std::make_unique<Teacher>(&m_manager);
        m_router.Subscribe(ROAD_STAGE::kHeldKeys, m_keys);
        m_router.Subscribe(ROAD_STAGE::kExercise, *m_teacher);
        m_scene->SetPictureFactory(CPianoNotes::kKind, [this](CSpacePainter& s, CVertexBuffer& l) {
            return CPianoNotes::Make(s, l, m_manager, *m_teacher, m_keys);
        });
        ASSERT_TRUE(m_scene->CreatePicture(CPianoNotes::kKind)) << m_scene->GetError();
    }

    void TearDown() override {
        m_scene.reset();
        m_teacher.reset();
        CSceneGlFixture::TearDown();
    }

    int DrawCalls() const { return m_scene->GetDirect3D()->GetDrawCalls(); }

    // Pixels of the white keys, the staff's blue lines and the note's ink.
    void CountInk(int& white, int& blue) const {
        white = blue = 0;
        for (size_t i = 0; i < m_pixels.size(); i += 4) {
            const int r = m_pixels[i], g = m_pixels[i + 1], b = m_pixels[i + 2];
            white += r > 200 && g > 200 && b > 200;
            blue += b > 150 && r < 120 && g < 120;
        }
    }

    CNoteManager m_manager;
    std::unique_ptr<Teacher> m_teacher;
    CHeldKeys m_keys;
    CNoteRouter m_router;
};

TEST_F(CPianoNotesBatching, DrawsTheKeyboardAndTheStaffInAFewCalls) {
    Draw();
    EXPECT_LE(DrawCalls(), kMaxDrawCalls);
    ASSERT_TRUE(m_teacher->SetLesson(Teacher::kDefaultScale, kMiddleC, kMiddleC));
    Draw();
    EXPECT_LE(DrawCalls(), kMaxDrawCalls);
    int white = 0, blue = 0;
    CountInk(white, blue);
    EXPECT_GT(white, kWidth * 20) << "the keyboard is not drawn";
    EXPECT_GT(blue, kWidth * 2) << "the staff is not drawn";
    // A held key is drawn pressed, with a transform of its own.
    ASSERT_TRUE(m_router.Route(NOTE_EVENT{67, 100, SOURCE_MIDI_INPUT, 0.0}));
    Draw();
    EXPECT_LE(DrawCalls(), kMaxDrawCalls);
}

TEST_F(CPianoNotesBatching, DrawsTheSamePixelsAsPrimitiveByPrimitive) {
    ASSERT_TRUE(m_teacher->SetLesson(Teacher::kDefaultScale, kMiddleC, kMiddleC));
    // A wrong note shows in red beside the expected one while its key is held.
    ASSERT_TRUE(m_router.Route(NOTE_EVENT{kMiddleC + 2, 100, SOURCE_MIDI_INPUT, 0.0}));
    m_scene->OnKey('T', kFlagControl);  // the statistics over the picture
    Draw();
    const std::vector<uint8_t> batched = m_pixels;
    const int batchedCalls = DrawCalls();
    m_scene->GetDirect3D()->SetBatching(false);
    Draw();
    EXPECT_GT(DrawCalls(), 10 * batchedCalls) << "drawing one by one was not turned on";
    int white = 0, blue = 0;
    CountInk(white, blue);
    EXPECT_GT(white, kWidth * 20) << "the keyboard is not drawn";
    int differing = 0;
    for (size_t i = 0; i < m_pixels.size(); ++i) {
        differing += m_pixels[i] != batched[i];
    }
    EXPECT_EQ(differing, 0) << "the batched picture differs";
}

}  // namespace
