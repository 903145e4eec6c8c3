// Picture kind 32 drawn by the GL driver under Xvfb: the staff's places
// against an independent count of lines and spaces, and the notes, marks
// and colours a learner sees, read back from the pixels.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "platform/qt/QtOffscreenGl.h"
#include "scene/SpacePainter.h"
#include "theory/NoteManager.h"
#include "trainer/HeldKeys.h"
#include "trainer/NoteRouter.h"
#include "trainer/Piano.h"
#include "trainer/PianoNotes.h"
#include "trainer/Teacher.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

QGuiApplication& App() {
    static int argc = 1;
    static char name[] = "test_trainer_gl";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return app;
}

bool IsNatural(int midiNote) {
    const int pc = midiNote % 12;
    return pc == 0 || pc == 2 || pc == 4 || pc == 5 || pc == 7 || pc == 9 || pc == 11;
}

class CPianoNotesPixels : public testing::Test {
protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(m_manager.Init());
        m_device = std::make_unique<CQtOffscreenGl>(kWidth, kHeight);
        std::string error;
        ASSERT_TRUE(m_device->Create(error)) << error;
        m_scene = std::make_unique<CSpacePainter>();
        ASSERT_TRUE(m_scene->Init(m_device.get()));
        m_teacher = std::make_unique<Teacher>(&m_manager);
        m_router = std::make_unique<CNoteRouter>(m_keys, *m_teacher);
        m_scene->SetPictureFactory(CPianoNotes::kKind, [this](CSpacePainter& s, CVertexBuffer& l) {
            m_picture = CPianoNotes::Make(s, l, m_manager, *m_teacher, m_keys);
            return m_picture;
        });
        ASSERT_TRUE(m_scene->CreatePicture(CPianoNotes::kKind)) << m_scene->GetError();
        ASSERT_NE(m_picture, nullptr);
    }

    void TearDown() override {
        m_scene.reset();
        m_router.reset();
        m_teacher.reset();
        m_device.reset();
    }

    void Draw() {
        ASSERT_TRUE(m_scene->Render(true)) << m_scene->GetError();
        int w = 0, h = 0;
        ASSERT_TRUE(m_device->ReadPixels(m_pixels, w, h));
    }

    // A lesson of one note, so that it is the one shown.
    void Expect(int midiNote) {
        ASSERT_TRUE(m_teacher->SetLesson(Teacher::kDefaultScale, midiNote, midiNote));
        ASSERT_EQ(m_teacher->GetExpected()->midiNote, midiNote);
    }

    const uint8_t* At(int x, int y) const {
        return &m_pixels[(static_cast<size_t>(y) * kWidth + x) * 4];
    }

    // Centre of the pixels that pass test; false when there are none.
    template <class Test>
    bool Find(Test test, double& x, double& y, int x0 = 0, int x1 = kWidth) const {
        double sx = 0, sy = 0;
        int n = 0;
        for (int py = 0; py < kHeight; ++py) {
            for (int px = x0; px < x1; ++px) {
                const uint8_t* c = At(px, py);
                if (test(c[0], c[1], c[2])) {
                    sx += px + 0.5;
                    sy += py + 0.5;
                    ++n;
                }
            }
        }
        if (n < 4) {
            return false;
        }
        x = sx / n;
        y = sy / n;
        return true;
    }

    void Project(const glm::vec3& p, double& x, double& y) const {
        const glm::vec4 clip = m_scene->GetProjection() * m_scene->GetView() * glm::vec4(p, 1.0f);
        x = (clip.x / clip.w + 1.0) / 2.0 * kWidth;
        y = (1.0 - clip.y / clip.w) / 2.0 * kHeight;
    }

    static bool Blue(int r, int g, int b) { return b > 200 && r < 30 && g < 30; }
    static bool Red(int r, int g, int b) { return r > 200 && g < 30 && b < 30; }
    static bool Green(int r, int g, int b) { return g > 200 && r < 30 && b < 30; }
    static bool MarkGreen(int r, int g, int b) { return g > 200 && r > 40 && r < 120 && b < 120; }
    static bool StaffLine(int r, int g, int b) { return b > 200 && r > 45 && r < 100 && g < 100; }

    // A MIDI key pressed (velocity > 0) or released, down the note road.
    void Play(int midiNote, int velocity, int source = SOURCE_MIDI_INPUT) {
        ASSERT_TRUE(m_router->Route(NOTE_EVENT{midiNote, velocity, source, 0.0}));
    }

    // The pixels within a box of half-sides (dx, dy) about a point of the
    // scene that pass test, and the mean row of those that do.
    template <class Test>
    int CountNear(const glm::vec3& p, int dx, int dy, Test test, double* meanY = nullptr) const {
        double x = 0, y = 0, sumY = 0;
        Project(p, x, y);
        int n = 0;
        for (int py = static_cast<int>(y) - dy; py <= static_cast<int>(y) + dy; ++py) {
            for (int px = static_cast<int>(x) - dx; px <= static_cast<int>(x) + dx; ++px) {
                if (px < 0 || py < 0 || px >= kWidth || py >= kHeight) {
                    continue;
                }
                const uint8_t* c = At(px, py);
                if (test(c[0], c[1], c[2])) {
                    ++n;
                    sumY += py;
                }
            }
        }
        if (meanY != nullptr) {
            *meanY = n > 0 ? sumY / n : 0.0;
        }
        return n;
    }

    glm::vec3 LetterPlace(int midiNote) const {
        CPrimitive* letter = m_picture->GetPiano()->GetKey(midiNote)->Find("Key letter");
        return letter != nullptr ? letter->GetOrigin() : glm::vec3(0.0f);
    }

    // The keyboard's middle octave, enlarged, beside the full picture.
    void SaveShots(const char* name) const {
        QImage shot(m_pixels.data(), kWidth, kHeight, QImage::Format_RGBA8888);
        const QString folder = QString(NOTARA_BINARY_DIR) + "/tests/";
        shot.save(folder + name + ".png");
        double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        Project(m_picture->GetPiano()->GetKey(55)->GetOrigin(), x0, y0);
        Project(m_picture->GetPiano()->GetKey(77)->GetOrigin(), x1, y1);
        const QRect octave(static_cast<int>(x0), static_cast<int>(y0) - 90,
                           static_cast<int>(x1 - x0), 110);
        shot.copy(octave).scaled(octave.size() * 4).save(folder + name + "-keys.png");
    }

    static bool Dark(int r, int g, int b) { return r < 110 && g < 110 && b < 110; }
    static bool Light(int r, int g, int b) { return r > 190 && g > 190 && b > 190; }
    // Far lighter than a lit black key, which stays below 110.
    static bool Pale(int r, int g, int b) { return r > 150 && g > 150 && b > 150; }
    static bool LightBlue(int r, int g, int b) { return b > 150 && r > 100 && g > 120 && b >= r; }

    CNoteManager m_manager;
    std::unique_ptr<Teacher> m_teacher;
    CHeldKeys m_keys;
    std::unique_ptr<CNoteRouter> m_router;
    std::unique_ptr<CQtOffscreenGl> m_device;
    std::unique_ptr<CSpacePainter> m_scene;
    CPianoNotes* m_picture = nullptr;
    std::vector<uint8_t> m_pixels;
};

TEST_F(CPianoNotesPixels, PlacesEveryNaturalOnItsLineOrSpace) {
    const CNoteStaff& staff = *m_picture->GetStaff();
    std::set<int> lines, ledgers;
    for (int n = 36; n <= 95; ++n) {
        int count = -1;
        bool treble = false;
        glm::vec3 place;
        if (!IsNatural(n)) {
            EXPECT_FALSE(staff.GetPlace(n, place)) << n;
            continue;
        }
        ASSERT_TRUE(staff.GetCount(n, count, treble)) << n;
        // Naturals counted outward from middle C: treble from 0, bass from 1.
        int expected = 0;
        if (n >= 60) {
            for (int m = 60; m < n; ++m)
                expected += IsNatural(m);
        } else {
            for (int m = 59; m > n; --m)
                expected += IsNatural(m);
            expected += 1;
        }
        EXPECT_EQ(count, expected) << n;
        EXPECT_EQ(treble, n >= 60) << n;
        if (count % 2 == 0) {
            (count >= 1 && count <= 10 ? lines : ledgers).insert(n);
        }
    }
    EXPECT_EQ(lines, (std::set<int>{43, 47, 50, 53, 57, 64, 67, 71, 74, 77}));
    EXPECT_TRUE(ledgers.count(60) && ledgers.count(81));
}

TEST_F(CPianoNotesPixels, DrawsNotesOnTheRowsOfTheirLinesAndSpaces) {
    // The rows of the staff lines, read in a column left of the notes.
    Expect(64);
    Draw();
    glm::vec3 e4, g4;
    ASSERT_TRUE(m_picture->GetStaff()->GetPlace(64, e4));
    ASSERT_TRUE(m_picture->GetStaff()->GetPlace(67, g4));
    double lx = 0, ly = 0;
    Project(e4 + glm::vec3(-0.9f, 0, 0), lx, ly);
    std::vector<int> rows;
    for (int y = 1; y < kHeight; ++y) {
        const uint8_t* c = At(static_cast<int>(lx), y);
        const uint8_t* above = At(static_cast<int>(lx), y - 1);
        if (StaffLine(c[0], c[1], c[2]) && !StaffLine(above[0], above[1], above[2])) {
            rows.push_back(y);
        }
    }
    ASSERT_EQ(rows.size(), 10u) << "five treble and five bass lines";
    const double bottomTreble = rows[4], secondTreble = rows[3];
    double x = 0, y = 0;
    ASSERT_TRUE(Find(Blue, x, y));
    EXPECT_NEAR(y, bottomTreble + 0.5, 2.0) << "E4 on the first line";
    Expect(65);
    Draw();
    ASSERT_TRUE(Find(Blue, x, y));
    EXPECT_NEAR(y, (bottomTreble + secondTreble) / 2 + 0.5, 2.0) << "F4 in the first space";
    Expect(67);
    Draw();
    ASSERT_TRUE(Find(Blue, x, y));
    EXPECT_NEAR(y, secondTreble + 0.5, 2.0) << "G4 on the second line";
    Expect(43);
    Draw();
    ASSERT_TRUE(Find(Blue, x, y));
    EXPECT_NEAR(y, rows[9] + 0.5, 2.0) << "G2 on the lowest bass line";
}

TEST_F(CPianoNotesPixels, ShowsTheExpectedNoteAndMarksItsKey) {
    Expect(62);
    Draw();
    double x = 0, y = 0, ex = 0, ey = 0;
    ASSERT_TRUE(Find(Blue, x, y)) << "no expected note";
    glm::vec3 d4;
    ASSERT_TRUE(m_picture->GetStaff()->GetPlace(62, d4));
    Project(d4 + glm::vec3(-0.25f, 0, 0), ex, ey);
    EXPECT_NEAR(x, ex, 3.0);
    EXPECT_NEAR(y, ey, 3.0);
    CPianoKey* key = m_picture->GetPiano()->GetKey(62);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->IsMarked());
    EXPECT_FALSE(m_picture->GetPiano()->GetKey(60)->IsMarked());
    ASSERT_TRUE(Find(MarkGreen, x, y)) << "no marked key";
    Project(key->Find("Note mark")->GetOrigin(), ex, ey);
    EXPECT_NEAR(x, ex, 3.0);
    EXPECT_NEAR(y, ey, 3.0);
    EXPECT_GT(y, kHeight / 2) << "the keyboard lies under the staff";
    QImage shot(m_pixels.data(), kWidth, kHeight, QImage::Format_RGBA8888);
    shot.save(QString(NOTARA_BINARY_DIR) + "/tests/piano-notes.png");
}

TEST_F(CPianoNotesPixels, ShowsAWrongNoteInRedBesideTheExpectedOneUntilReleased) {
    Expect(64);
    Play(67, 100);
    Draw();
    double bx = 0, by = 0, rx = 0, ry = 0;
    ASSERT_TRUE(Find(Blue, bx, by));
    ASSERT_TRUE(Find(Red, rx, ry)) << "no red note";
    EXPECT_LT(rx, bx - 5) << "the wrong note stands left of the expected one";
    EXPECT_LT(ry, by) << "G4 above E4";
    EXPECT_TRUE(m_picture->GetPiano()->GetKey(67)->IsHighlighted());
    Play(67, 0);
    Draw();
    EXPECT_FALSE(Find(Red, rx, ry)) << "the red note stays after the release";
    EXPECT_FALSE(m_picture->GetPiano()->GetKey(67)->IsHighlighted());
    EXPECT_EQ(m_teacher->GetWrongCount(), 1);
    Play(64, 100);
    Draw();
    EXPECT_TRUE(Find(Green, rx, ry)) << "the right note is not green";
    EXPECT_FALSE(Find(Blue, bx, by));
}

TEST_F(CPianoNotesPixels, LeavesANoteUnshownWhenItsPoolIsFull) {
    CNoteStaff& staff = *m_picture->GetStaff();
    staff.Clear();
    CNote note;
    note.midiNote = note.writtenNote = 72;
    for (int i = 0; i < CNoteStaff::kPoolSize + 5; ++i) {
        ASSERT_TRUE(staff.ShowNote(note, true, false));
    }
    EXPECT_EQ(staff.GetUsed(0), CNoteStaff::kPoolSize);
    note.length = 3;
    EXPECT_FALSE(staff.ShowNote(note, true, false));
}

TEST_F(CPianoNotesPixels, ShowsTheRunningLessonAndHeldKeysAgainAfterANewContext) {
    Expect(50);
    Play(50, 100);
    Play(53, 100);        // a wrong key, still held
    m_picture = nullptr;  // set again by the factory when the picture is rebuilt
    std::string error;
    ASSERT_TRUE(m_device->RecreateContext(error)) << error;
    Draw();
    ASSERT_NE(m_picture, nullptr) << "the picture was not rebuilt";
    EXPECT_EQ(m_teacher->GetLow(), 50) << "the lesson was lost with the picture";
    EXPECT_EQ(m_teacher->GetWrongCount(), 1);
    EXPECT_TRUE(m_teacher->IsRightHeld());
    double x = 0, y = 0;
    EXPECT_TRUE(Find(Green, x, y)) << "the held right note is not shown again";
    EXPECT_TRUE(m_picture->GetPiano()->GetKey(53)->IsHighlighted());
    Play(50, 0);
    EXPECT_NE(m_teacher->GetResults()[0].shown, 0);
}

TEST_F(CPianoNotesPixels, ShowsTheComputerKeysOnWhiteAndBlackKeys) {
    EXPECT_STREQ(CPiano::GetLetter(60), "S");
    EXPECT_STREQ(CPiano::GetLetter(61), "E");
    EXPECT_STREQ(CPiano::GetLetter(71), ";");
    EXPECT_STREQ(CPiano::GetLetter(36), "S") << "every octave has the letters of its names";
    ASSERT_EQ(m_teacher->GetKeyShift(), 0);
    CPiano& piano = *m_picture->GetPiano();
    for (int n = piano.GetFirstNote(); n < piano.GetEndNote(); ++n) {
        EXPECT_EQ(piano.GetKey(n)->IsLetterShown(), n >= 60 && n < 72) << n;
    }
    Draw();
    SaveShots("piano-letters");
    // Dark letters on a white key's front, light ones on a black key's top.
    for (int n : {60, 62, 64, 65, 67, 69, 71}) {
        const int least = n == 71 ? 1 : 6;  // the semicolon is two small marks
        EXPECT_GT(CountNear(LetterPlace(n), 4, 5, Dark), least)
            << "no dark letter on white key " << n;
        EXPECT_GT(CountNear(LetterPlace(n), 4, 5, Light), 6) << "no white around the letter " << n;
    }
    for (int n : {61, 63, 66, 68, 70}) {
        EXPECT_GT(CountNear(LetterPlace(n), 3, 6, Pale), 4) << "no light letter on black key " << n;
    }
    // The same places without their letters: a white and a black key.
    ASSERT_TRUE(piano.ShowLetters(24));
    Draw();
    EXPECT_LE(CountNear(LetterPlace(64), 4, 5, Dark), 2);
    for (int n : {61, 63, 66, 68, 70}) {
        EXPECT_LE(CountNear(LetterPlace(n), 3, 6, Pale), 1) << n;
    }
    EXPECT_LE(CountNear(LetterPlace(71), 4, 5, Dark), 0);
}

TEST_F(CPianoNotesPixels, MovesTheLettersToTheOctaveTheKeysPlayInTheLesson) {
    ASSERT_TRUE(m_teacher->SetLesson(Teacher::kDefaultScale, 48, 59, 60));
    CPiano& piano = *m_picture->GetPiano();
    EXPECT_EQ(piano.GetKeyShift(), -12);
    EXPECT_TRUE(piano.GetKey(48)->IsLetterShown());
    EXPECT_TRUE(piano.GetKey(59)->IsLetterShown());
    EXPECT_FALSE(piano.GetKey(60)->IsLetterShown());
    Draw();
    EXPECT_GT(CountNear(LetterPlace(52), 4, 5, Dark), 6) << "no F on E3";
    EXPECT_LE(CountNear(LetterPlace(64), 4, 5, Dark), 2) << "the F stayed on E4";
    // The computer key of middle C plays and presses the C of the lesson.
    Play(60, 100, SOURCE_COMPUTER_KEYBOARD);
    EXPECT_TRUE(piano.GetKey(48)->IsPressed());
    EXPECT_FALSE(piano.GetKey(60)->IsPressed());
    Play(60, 0, SOURCE_COMPUTER_KEYBOARD);
    EXPECT_FALSE(piano.GetKey(48)->IsPressed());
}

TEST_F(CPianoNotesPixels, MovesAPressedKeyDownUntilItIsReleased) {
    Expect(60);
    CPianoKey& key = *m_picture->GetPiano()->GetKey(67);
    Draw();
    double upY = 0, downY = 0;
    ASSERT_GT(CountNear(LetterPlace(67), 4, 8, Dark, &upY), 6);
    Play(67, 100);
    EXPECT_TRUE(key.IsPressed());
    // The top goes down along the key's own axis, which the piano's slant
    // turns; the key's floor stays.
    const glm::vec3 drop = key.GetPressDrop();
    EXPECT_LT(drop.y, 0.0f);
    CPrimitive* mark = key.Find("Note mark");
    CPrimitive* box = key.Find("Key box");
    ASSERT_TRUE(mark != nullptr && box != nullptr);
    const auto moved = [](CPrimitive* part, const glm::vec3& p) {
        return glm::vec3(part->GetDrawTransform() * glm::vec4(p, 1.0f));
    };
    const glm::vec3 top = mark->GetOrigin();
    EXPECT_LT(glm::length(moved(mark, top) - (top + drop)), 1e-5f);
    EXPECT_LT(glm::length(moved(box, top) - (top + drop)), 0.02f * glm::length(drop));
    EXPECT_LT(glm::length(moved(box, key.GetOrigin()) - key.GetOrigin()), 1e-5f);
    Draw();
    SaveShots("piano-pressed");
    ASSERT_GT(CountNear(LetterPlace(67), 4, 12, Dark, &downY), 6);
    EXPECT_GT(downY, upY + 2.0) << "the pressed key's letter did not go down";
    Play(67, 0);
    EXPECT_FALSE(key.IsPressed());
    EXPECT_EQ(box->GetDrawTransform(), glm::mat4(1.0f));
    EXPECT_EQ(mark->GetDrawTransform(), glm::mat4(1.0f));
    Draw();
    double backY = 0;
    ASSERT_GT(CountNear(LetterPlace(67), 4, 8, Dark, &backY), 6);
    EXPECT_NEAR(backY, upY, 0.5) << "the released key did not come back up";
}

TEST_F(CPianoNotesPixels, ShowsTheLowestStaffLabelLightAboveTheKeyboard) {
    // The lowest name of the staff, the C of its lowest ledger line.
    CPrimitive* lowest = nullptr;
    m_picture->GetStaff()->ForEach([&lowest](CPrimitive& part) {
        if (std::string(part.GetName()) == "Note name" &&
            (lowest == nullptr || part.GetOrigin().y < lowest->GetOrigin().y)) {
            lowest = &part;
        }
    });
    ASSERT_NE(lowest, nullptr);
    Draw();
    EXPECT_GT(CountNear(lowest->GetOrigin(), 8, 6, LightBlue), 8) << "the lowest label is hidden";
    double labelX = 0, labelY = 0, railX = 0, railY = 0;
    Project(lowest->GetOrigin(), labelX, labelY);
    CPrimitive* body = m_picture->GetPiano()->Find("Main body");
    ASSERT_NE(body, nullptr);
    // The top of the case: the first row of its brown above the keys.
    Project(body->GetOrigin(), railX, railY);
    int railTop = static_cast<int>(railY);
    while (railTop > 0) {
        const uint8_t* c = At(static_cast<int>(labelX), railTop - 1);
        if (c[0] < 30 && c[1] < 30 && c[2] < 30) {
            break;
        }
        --railTop;
    }
    EXPECT_LT(labelY + 4, railTop) << "the label runs into the keyboard case";
}

}  // namespace
