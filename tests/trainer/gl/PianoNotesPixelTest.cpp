// Picture kind 32 drawn by the GL driver under Xvfb: the staff's places
// against an independent count of lines and spaces, and the notes, marks
// and colours a learner sees, read back from the pixels.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "../../scene/gl/SceneGlFixture.h"
#include "exercise/HeldKeys.h"
#include "exercise/Teacher.h"
#include "platform/qt/QtOffscreenGl.h"
#include "scene/SpacePainter.h"
#include "theory/NoteManager.h"
#include "theory/NoteRouter.h"
#include "trainer/NoteShapes.h"
#include "trainer/Piano.h"
#include "trainer/PianoNotes.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

bool IsNatural(int midiNote) {
    const int pc = midiNote % 12;
    return pc == 0 || pc == 2 || pc == 4 || pc == 5 || pc == 7 || pc == 9 || pc == 11;
}

class CPianoNotesPixels : public CSceneGlFixture {
protected:
    CPianoNotesPixels() : CSceneGlFixture(kWidth, kHeight) {}

    void SetUp() override {
        CSceneGlFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(m_manager.Init());
        m_teacher = std::make_unique<Teacher>(&m_manager);
        m_router = std::make_unique<CNoteRouter>();
        m_router->Subscribe(ROAD_STAGE::kHeldKeys, m_keys);
        m_router->Subscribe(ROAD_STAGE::kExercise, *m_teacher);
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
        CSceneGlFixture::TearDown();
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
    // The first row of the white keys: the staff's ink lies above it, the
    // keys' names (in the staff's blue) below.
    int KeyboardTop() const {
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const uint8_t* c = At(x, y);
                if (Light(c[0], c[1], c[2])) {
                    return y;
                }
            }
        }
        return kHeight;
    }

    static bool MarkGreen(int r, int g, int b) { return g > 200 && r > 40 && r < 120 && b < 120; }
    static bool StaffLine(int r, int g, int b) { return b > 200 && r > 45 && r < 100 && g < 100; }
    // The ink of the clefs and the key signature, paler than the lines.
    static bool ClefInk(int r, int g, int b) {
        return b > 150 && b < 215 && r > 60 && r < 130 && g > 60 && g < 130;
    }

    // The pixel of a point in the staff's own units.
    void Pixel(float x, float y, int& px, int& py) const {
        double fx = 0, fy = 0;
        Project(m_picture->GetStaff()->ToWorld(glm::vec3(x, y, 0.0f)), fx, fy);
        px = static_cast<int>(fx);
        py = static_cast<int>(fy);
    }

    // The first rows of the staff lines met going down a column.
    std::vector<int> LineRows(int x) const {
        std::vector<int> rows;
        for (int y = 1; y < kHeight; ++y) {
            const uint8_t* c = At(x, y);
            const uint8_t* above = At(x, y - 1);
            if (StaffLine(c[0], c[1], c[2]) && !StaffLine(above[0], above[1], above[2])) {
                rows.push_back(y);
            }
        }
        return rows;
    }

    // The rows of the ten staff lines, read just right of the staff's left end.
    std::vector<int> StaffRows() const {
        int x = 0, y = 0;
        Pixel(CNoteStaff::kClefLeft / 2, 0.0f, x, y);
        return LineRows(x);
    }

    // The pixels that pass test inside a rectangle: their bounds and centre.
    struct INK {
        int n = 0;
        int left = kWidth, right = -1, top = kHeight, bottom = -1;
        double x = 0, y = 0;
    };
    template <class Test>
    INK Ink(Test test, int x0, int x1, int y0, int y1) const {
        INK ink;
        for (int y = std::max(0, y0); y < std::min(kHeight, y1); ++y) {
            for (int x = std::max(0, x0); x < std::min(kWidth, x1); ++x) {
                const uint8_t* c = At(x, y);
                if (test(c[0], c[1], c[2])) {
                    ++ink.n;
                    ink.left = std::min(ink.left, x);
                    ink.right = std::max(ink.right, x);
                    ink.top = std::min(ink.top, y);
                    ink.bottom = std::max(ink.bottom, y);
                    ink.x += x + 0.5;
                    ink.y += y + 0.5;
                }
            }
        }
        if (ink.n > 0) {
            ink.x /= ink.n;
            ink.y /= ink.n;
        }
        return ink;
    }

    // Lines drawn in the staff's colour, also where they cover a pixel only partly, or in grey.
    static bool LineInk(int r, int g, int b) {
        const bool grey = r > 60 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
        const bool bluish = b > 120 && r > 20 && std::abs(r - g) < 12 && r < b * 6 / 10;
        return bluish || grey;
    }

    // The columns of the staff's lines right of the clefs, short of the note
    // names past them.
    void LineColumns(int& left, int& right) const {
        int y = 0;
        Pixel(CNoteStaff::kClefRight, 0.0f, left, y);
        Pixel(m_picture->GetStaff()->GetLength() - kNameRoom, 0.0f, right, y);
    }
    static constexpr float kNameRoom = 2.0f;

    // Pixels per staff unit across and down.
    double UnitX() const {
        int x0 = 0, x1 = 0, y = 0;
        Pixel(0.0f, 0.0f, x0, y);
        Pixel(100.0f, 0.0f, x1, y);
        return (x1 - x0) / 100.0;
    }

    void SaveShot(const char* name) const {
        QImage shot(m_pixels.data(), kWidth, kHeight, QImage::Format_RGBA8888);
        ASSERT_TRUE(shot.save(QString(NOTARA_BINARY_DIR) + "/tests/" + name));
    }

    void SetKeyLesson(const char* key, int midiNote) {
        int id = 0;
        ASSERT_TRUE(CNoteManager::FindScale(key, id)) << key;
        ASSERT_TRUE(m_teacher->SetLesson(id, midiNote, midiNote));
        ASSERT_EQ(m_teacher->GetExpected()->midiNote, midiNote);
    }

    // Stretches of clef ink along row y between x0 and x1.
    int InkRuns(int y, int x0, int x1) const {
        int runs = 0;
        bool inside = false;
        for (int x = x0; x < x1; ++x) {
            const uint8_t* c = At(x, y);
            const bool ink = ClefInk(c[0], c[1], c[2]);
            runs += ink && !inside ? 1 : 0;
            inside = ink;
        }
        return runs;
    }

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
    CPianoNotes* m_picture = nullptr;
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
    const std::vector<int> rows = LineRows(static_cast<int>(lx));
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

TEST_F(CPianoNotesPixels, WrapsTheGLineInTheTrebleClefsCurl) {
    Expect(72);
    Draw();
    const std::vector<int> rows = StaffRows();
    ASSERT_EQ(rows.size(), 10u);
    const double gLine = rows[3] + 0.5;  // the second treble line from the bottom
    const double space = (rows[4] - rows[0]) / 4.0;
    int x0 = 0, x1 = 0, middleC = 0, y = 0;
    Pixel(CNoteStaff::kClefLeft / 2, 0.0f, x0, y);
    Pixel(CNoteStaff::kClefRight, 0.0f, x1, middleC);
    // The curl's band: the rows that cross the clef three times or more
    // (its outer stroke on both sides and the spiral or the stem between).
    int first = -1, last = -1;
    for (int row = 0; row < middleC; ++row) {
        if (InkRuns(row, x0, x1) >= 3) {
            first = first < 0 ? row : first;
            last = row;
        }
    }
    ASSERT_GE(first, 0) << "no treble clef";
    EXPECT_NEAR((first + last + 1) / 2.0, gLine, space / 5) << "the curl is not on the G line";
    EXPECT_GE(InkRuns(static_cast<int>(gLine - space / 4), x0, x1), 3);
    EXPECT_GE(InkRuns(static_cast<int>(gLine + space / 4), x0, x1), 3);
}

TEST_F(CPianoNotesPixels, SetsTheBassClefsDotsEitherSideOfTheFLine) {
    Expect(72);
    Draw();
    const std::vector<int> rows = StaffRows();
    ASSERT_EQ(rows.size(), 10u);
    const double fLine = rows[6] + 0.5;  // the fourth bass line from the bottom
    const double space = (rows[9] - rows[5]) / 4.0;
    int x0 = 0, x1 = 0, middleC = 0, y = 0;
    Pixel(CNoteStaff::kClefLeft / 2, 0.0f, x0, middleC);
    Pixel(CNoteStaff::kClefRight, 0.0f, x1, y);
    // The dots are the clef's rightmost ink.
    int right = -1;
    for (int row = middleC; row < KeyboardTop(); ++row) {
        for (int x = x0; x < x1; ++x) {
            const uint8_t* c = At(x, row);
            right = ClefInk(c[0], c[1], c[2]) ? std::max(right, x) : right;
        }
    }
    ASSERT_GT(right, 0) << "no bass clef";
    // The dots' pixels, split at their mean row into the upper and the lower dot.
    std::vector<int> dotRows;
    for (int row = middleC; row < KeyboardTop(); ++row) {
        for (int x = right - 3; x <= right; ++x) {
            const uint8_t* c = At(x, row);
            if (ClefInk(c[0], c[1], c[2])) {
                dotRows.push_back(row);
            }
        }
    }
    ASSERT_FALSE(dotRows.empty());
    double middle = 0;
    for (int row : dotRows) {
        middle += row + 0.5;
    }
    middle /= dotRows.size();
    double sum[2] = {0, 0};
    int count[2] = {0, 0};
    for (int row : dotRows) {
        const int which = row + 0.5 < middle ? 0 : 1;
        sum[which] += row + 0.5;
        ++count[which];
    }
    ASSERT_TRUE(count[0] > 2 && count[1] > 2) << "not two dots";
    const double upper = sum[0] / count[0];
    const double lower = sum[1] / count[1];
    EXPECT_NEAR(upper, fLine - space / 2, space / 5) << "upper dot";
    EXPECT_NEAR(lower, fLine + space / 2, space / 5) << "lower dot";
}

TEST_F(CPianoNotesPixels, DrawsNoLedgerLineWhereNoNoteNeedsOne) {
    Expect(64);
    Draw();
    const CNoteStaff& staff = *m_picture->GetStaff();
    int left = 0, right = 0;
    LineColumns(left, right);
    // Middle C's line and the first lines above and below the staves.
    for (float step : {0.0f, 12.0f, 14.0f, -12.0f, -14.0f}) {
        int x = 0, row = 0;
        Pixel(0.0f, step, x, row);
        const INK ink = Ink(LineInk, left, right, row - 1, row + 2);
        EXPECT_EQ(ink.n, 0) << "a line " << step << " steps from middle C, from x " << ink.left
                            << " to " << ink.right;
    }
    EXPECT_EQ(staff.GetLedgersUsed(), 0);
}

TEST_F(CPianoNotesPixels, DrawsShortLedgerLinesThroughTheNotesThatNeedThem) {
    Expect(84);     // C6: two lines above the treble staff
    Play(36, 100);  // C2, wrong: two lines below the bass staff
    Draw();
    SaveShot("ledger-lines.png");
    const CNoteStaff& staff = *m_picture->GetStaff();
    EXPECT_EQ(staff.GetLedgersUsed(), 4);
    int left = 0, right = 0;
    LineColumns(left, right);
    const double half = CNoteStaff::kLedgerLength / 2 * UnitX();
    struct LEDGER {
        float step;
        bool expected;
        bool drawn;
    };
    const LEDGER ledgers[] = {{12, true, true}, {14, true, true},   {16, true, false},
                              {0, true, false}, {-12, false, true}, {-14, false, true}};
    for (const LEDGER& ledger : ledgers) {
        glm::vec3 at;
        ASSERT_TRUE(staff.GetNotePlace(ledger.expected ? 84 : 36, ledger.expected, at));
        double nx = 0, ny = 0;
        Project(at, nx, ny);
        int x = 0, row = 0;
        Pixel(0.0f, ledger.step, x, row);
        const INK ink = Ink(LineInk, left, right, row - 1, row + 2);
        if (!ledger.drawn) {
            EXPECT_EQ(ink.n, 0) << "a line " << ledger.step << " steps from middle C";
            continue;
        }
        ASSERT_GT(ink.n, 0) << "no line " << ledger.step << " steps from middle C";
        EXPECT_NEAR(ink.left, nx - half, 3.0) << ledger.step;
        EXPECT_NEAR(ink.right, nx + half, 3.0) << ledger.step;
    }
}

TEST_F(CPianoNotesPixels, SpansTheStaffOverMostOfTheViewsWidth) {
    Expect(72);
    Draw();
    const std::vector<int> rows = StaffRows();
    ASSERT_EQ(rows.size(), 10u);
    for (int row : {rows[0], rows[9]}) {
        const INK line = Ink(StaffLine, 0, kWidth, row, row + 1);
        EXPECT_GT(line.right - line.left, kWidth * 8 / 10) << "row " << row;
        EXPECT_GT(line.left, 0) << "the staff runs out of the view";
        EXPECT_LT(line.right, kWidth - 1) << "the staff runs out of the view";
    }
}

// The note names beside the lines and spaces are a hint the learner turns
// on: off by default, so the staff must be read.
// The name of the expected note stands beside its head, spelt as written,
// and only while the hint is on; nothing is listed past the staff's end.
TEST_F(CPianoNotesPixels, ShowsTheNoteNamesBesideTheStaffOnlyAsAHint) {
    Expect(72);
    const auto lit = [](int r, int g, int b) { return r + g + b > 90; };
    Draw();
    const std::vector<int> rows = StaffRows();
    ASSERT_EQ(rows.size(), 10u);
    const INK line = Ink(StaffLine, 0, kWidth, rows[0], rows[0] + 1);
    const int top = rows[0] - 30, bottom = rows[9] + 30;
    double headX = 0, headY = 0;
    ASSERT_TRUE(Find(Blue, headX, headY));
    const int beside = static_cast<int>(headX) + 8;
    const int nameTop = static_cast<int>(headY) - 12, nameBottom = static_cast<int>(headY) + 12;
    EXPECT_LT(Ink(LightBlue, beside, beside + 60, nameTop, nameBottom).n, 10)
        << "a name shown without the hint";
    HINTS hints = m_teacher->GetHints();
    hints.noteNames = true;
    m_teacher->SetHints(hints);
    Draw();
    const INK name = Ink(LightBlue, beside, beside + 60, nameTop, nameBottom);
    EXPECT_GT(name.n, 30) << "no name beside the note with the hint on";
    EXPECT_NEAR(name.y, headY, 4.0) << "the name is not level with its head";
    EXPECT_LT(Ink(lit, line.right + 3, kWidth, top, bottom).n, 10) << "names past the staff's end";
    SaveShot("hints-note-names.png");
    // Another note takes the name with it: one name on the staff.
    CPrimitive* first = m_picture->GetStaff()->GetShownName();
    Expect(64);
    EXPECT_NE(m_picture->GetStaff()->GetShownName(), first);
    int names = 0;
    m_picture->GetStaff()->ForEach([&names](CPrimitive& part) {
        names += std::string(part.GetName()) == "Note name" && part.IsVisible() ? 1 : 0;
    });
    EXPECT_EQ(names, 1);
    EXPECT_STREQ(CNoteStaff::PlaceName(*m_manager.GetNoteTable().GetAt(71), -1).GetText(), "Bb4");
    EXPECT_STREQ(CNoteStaff::PlaceName(*m_manager.GetNoteTable().GetAt(60), 1).GetText(), "C#4");
    Expect(72);
    hints.noteNames = false;
    m_teacher->SetHints(hints);
    Draw();
    EXPECT_LT(Ink(LightBlue, beside, beside + 60, nameTop, nameBottom).n, 10);
    EXPECT_EQ(m_picture->GetStaff()->GetShownName(), nullptr);
    // The expected key's mark goes with its hint, and comes back with it.
    double x = 0, y = 0;
    EXPECT_TRUE(Find(MarkGreen, x, y)) << "no mark on the expected key";
    hints.expectedKey = false;
    hints.keyLetters = false;
    m_teacher->SetHints(hints);
    Draw();
    EXPECT_FALSE(Find(MarkGreen, x, y)) << "the mark shows with its hint off";
    SaveShot("hints-off.png");
    hints.expectedKey = true;
    m_teacher->SetHints(hints);
    Draw();
    EXPECT_TRUE(Find(MarkGreen, x, y));
}

TEST_F(CPianoNotesPixels, KeepsTheWrongNoteClearOfTheClefAndTheKeySignature) {
    for (const char* key : {"C maj", "Bb maj", "C# maj"}) {
        SetKeyLesson(key, 72);
        Play(68, 100);  // A flat or G sharp, with its sign
        Draw();
        int clefRight = 0, y = 0;
        Pixel(CNoteStaff::kClefRight, 0.0f, clefRight, y);
        // The furthest right ink of the clefs and of the signature.
        const INK furniture = Ink(ClefInk, 0, kWidth, 0, KeyboardTop());
        const INK red = Ink(Red, 0, kWidth, 0, kHeight);
        ASSERT_GT(red.n, 0) << key;
        EXPECT_GT(red.left, furniture.right + 2) << key << ": the wrong note touches the clef";
        Play(68, 0);
    }
}

TEST_F(CPianoNotesPixels, WritesTheKeySignatureOnItsLinesAndSpaces) {
    struct SIGN {
        const char* key;
        int tonic;
        int accidentals;
    };
    const std::vector<int>* rows = nullptr;
    std::vector<int> lineRows;
    int unused = 0;
    for (const SIGN& sign : {SIGN{"D maj", 62, 2}, SIGN{"Bb maj", 70, -2}}) {
        SetKeyLesson(sign.key, sign.tonic);
        Draw();
        lineRows = StaffRows();
        ASSERT_EQ(lineRows.size(), 10u);
        rows = &lineRows;
        auto line = [&](int i) { return (*rows)[static_cast<size_t>(i)] + 0.5; };
        auto space = [&](int i) { return (line(i) + line(i + 1)) / 2; };
        // Treble lines 0..4 from the top, bass lines 5..9.
        const double sharps[4] = {line(0), space(1), line(6), space(7)};  // F5 C5, F3 C3
        const double flats[4] = {line(2), space(0), line(8), space(6)};   // B4 E5, B2 E3
        const double unit = (line(4) - line(0)) / 8;
        int middleC = 0, x = 0;
        Pixel(0.0f, 0.0f, x, middleC);
        for (int i = 0; i < 4; ++i) {
            const bool treble = i < 2;
            const int column = i % 2;
            int x0 = 0, x1 = 0;
            Pixel(CNoteStaff::kClefRight + CNoteStaff::kSignatureStep * column, 0.0f, x0, unused);
            Pixel(CNoteStaff::kClefRight + CNoteStaff::kSignatureStep * (column + 1), 0.0f, x1,
                  unused);
            const INK ink =
                Ink(ClefInk, x0, x1, treble ? 0 : middleC, treble ? middleC : KeyboardTop());
            ASSERT_GT(ink.n, 8) << sign.key << ": no accidental " << i;
            if (sign.accidentals > 0) {
                EXPECT_NEAR(ink.y, sharps[i], unit / 2) << sign.key << ": sharp " << i;
            } else {
                // A flat's bowl sits on its line or space, under its stem.
                EXPECT_NEAR(ink.bottom + 0.5, flats[i] + 0.8 * unit, unit / 2)
                    << sign.key << ": flat " << i;
            }
        }
        // Nothing more after the two accidentals before the note.
        int x0 = 0, x1 = 0;
        Pixel(CNoteStaff::kClefRight + CNoteStaff::kSignatureStep * 2, 0.0f, x0, unused);
        Pixel(m_picture->GetStaff()->GetNoteX() + CNoteStaff::kPlayedOffset, 0.0f, x1, unused);
        EXPECT_EQ(Ink(ClefInk, x0, x1, 0, KeyboardTop()).n, 0) << sign.key;
        if (sign.accidentals < 0) {
            SaveShot("key-signature-lesson.png");
        }
    }
}

TEST_F(CPianoNotesPixels, WritesNoAccidentalTheKeyGivesAndTheOnesItDoesNot) {
    SetKeyLesson("Bb maj", 70);
    Draw();
    glm::vec3 at;
    ASSERT_TRUE(m_picture->GetStaff()->GetNotePlace(71, true, at));
    double nx = 0, ny = 0;
    Project(at, nx, ny);
    const double head = CNoteShapes::kHeadSize * UnitX();
    const INK blue = Ink(Blue, 0, kWidth, 0, kHeight);
    ASSERT_GT(blue.n, 0);
    EXPECT_GT(blue.left, nx - head - 2) << "B flat in B-flat major needs no flat";
    Play(71, 100);  // B natural, outside the key
    Draw();
    ASSERT_TRUE(m_picture->GetStaff()->GetNotePlace(71, false, at));
    Project(at, nx, ny);
    const INK red = Ink(Red, 0, kWidth, 0, kHeight);
    ASSERT_GT(red.n, 0);
    EXPECT_LT(red.left, nx - head - 4) << "B natural in B-flat major needs its natural sign";
    Play(71, 0);
    SetKeyLesson("G maj", 66);
    Draw();
    ASSERT_TRUE(m_picture->GetStaff()->GetNotePlace(65, true, at));
    Project(at, nx, ny);
    EXPECT_GT(Ink(Blue, 0, kWidth, 0, kHeight).left, nx - head - 2)
        << "F sharp in G major needs no sharp";
    Expect(66);  // the same key in a chromatic lesson: G flat, with its sign
    Draw();
    ASSERT_TRUE(m_picture->GetStaff()->GetNotePlace(67, true, at));
    Project(at, nx, ny);
    EXPECT_LT(Ink(Blue, 0, kWidth, 0, kHeight).left, nx - head - 4);
}

TEST_F(CPianoNotesPixels, ShowsTheExpectedNoteAndMarksItsKey) {
    Expect(62);
    Draw();
    double x = 0, y = 0, ex = 0, ey = 0;
    ASSERT_TRUE(Find(Blue, x, y)) << "no expected note";
    glm::vec3 d4;
    ASSERT_TRUE(m_picture->GetStaff()->GetNotePlace(62, true, d4));
    Project(d4, ex, ey);
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

// Lessons that end on their last note, one after another: the mark is on
// the key of the note expected now and on no other, and the hint takes all
// of it away.
TEST_F(CPianoNotesPixels, MarksOnlyTheKeyOfTheNoteExpectedNowAfterLessonsThatEnded) {
    const auto marked = [this] {
        std::vector<int> keys;
        for (int n = CPianoNotes::kLowestKey; n < CPianoNotes::kKeyAfterHighest; ++n) {
            const CPianoKey* key = m_picture->GetPiano()->GetKey(n);
            if (key != nullptr && key->IsMarked()) {
                keys.push_back(n);
            }
        }
        return keys;
    };
    const int lastNotes[] = {60, 64, 67, 55, 72};
    for (const int note : lastNotes) {
        m_teacher->SetGoal(1);
        Expect(note);
        EXPECT_EQ(marked(), std::vector<int>{note});
        Play(note, 90);
        Play(note, 0);
        ASSERT_TRUE(m_teacher->IsFinished());
        EXPECT_TRUE(marked().empty()) << "a finished lesson expects no key";
    }
    m_teacher->SetGoal(0);
    Expect(62);
    EXPECT_EQ(marked(), std::vector<int>{62});
    HINTS hints = m_teacher->GetHints();
    hints.expectedKey = false;
    m_teacher->SetHints(hints);
    EXPECT_TRUE(marked().empty());
    Expect(65);
    EXPECT_TRUE(marked().empty()) << "the hint is off for the next note too";
    hints.expectedKey = true;
    m_teacher->SetHints(hints);
    EXPECT_EQ(marked(), std::vector<int>{65});
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
        // The I is one thin stroke, greyed by the black around it.
        const auto grey = [](int r, int g, int b) { return r > 115 && g > 115 && b > 115; };
        const int light =
            n == 66 ? CountNear(LetterPlace(n), 4, 6, grey) : CountNear(LetterPlace(n), 4, 6, Pale);
        EXPECT_GT(light, 3) << "no light letter on black key " << n;
    }
    // The same places without their letters: a white and a black key.
    ASSERT_TRUE(piano.ShowLetters(24));
    Draw();
    EXPECT_LE(CountNear(LetterPlace(64), 4, 5, Dark), 2);
    for (int n : {61, 63, 66, 68, 70}) {
        EXPECT_LE(CountNear(LetterPlace(n), 4, 6, Pale), 1) << n;
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
    // The computer key of middle C plays the C of the lesson: the key input
    // sends it moved, and the piano presses the key it sounds.
    const int lessonC = 60 + piano.GetKeyShift();
    Play(lessonC, 100, SOURCE_COMPUTER_KEYBOARD);
    EXPECT_TRUE(piano.GetKey(48)->IsPressed());
    EXPECT_FALSE(piano.GetKey(60)->IsPressed());
    Play(lessonC, 0, SOURCE_COMPUTER_KEYBOARD);
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

TEST_F(CPianoNotesPixels, ColoursKeysByTheirAccuracyAndPutsTheirColoursBack) {
    Expect(72);
    CPiano& piano = *m_picture->GetPiano();
    std::vector<PRACTICE_NOTE_STATS> stats(2);
    stats[0].midiNote = 60;  // mastered
    stats[0].shown = 10;
    stats[0].rightFirstTry = 10;
    stats[1].midiNote = 64;  // missed
    stats[1].shown = 10;
    // The average colour of the front strip of a key's top, where its
    // mark would lie.
    const auto strip = [this, &piano](int midiNote, int& r, int& g, int& b) {
        double x = 0, y = 0;
        Project(piano.GetKey(midiNote)->Find("Note mark")->GetOrigin(), x, y);
        int n = 0;
        r = g = b = 0;
        for (int py = static_cast<int>(y) - 1; py <= static_cast<int>(y) + 1; ++py) {
            for (int px = static_cast<int>(x) - 2; px <= static_cast<int>(x) + 2; ++px) {
                const uint8_t* c = At(px, py);
                r += c[0];
                g += c[1];
                b += c[2];
                ++n;
            }
        }
        r /= n;
        g /= n;
        b /= n;
    };
    int r = 0, g = 0, b = 0;
    ASSERT_TRUE(piano.ShowAccuracy(stats, true));
    EXPECT_TRUE(piano.GetKey(60)->IsAccuracyShown());
    EXPECT_FALSE(piano.GetKey(62)->IsAccuracyShown()) << "never practised";
    Draw();
    SaveShots("piano-accuracy");
    strip(60, r, g, b);
    EXPECT_TRUE(g > r + 40 && g > b + 40) << "mastered key " << r << "," << g << "," << b;
    strip(64, r, g, b);
    EXPECT_TRUE(r > g + 60 && r > b + 60) << "missed key " << r << "," << g << "," << b;
    strip(62, r, g, b);
    EXPECT_TRUE(Light(r, g, b)) << "a key never practised stays white " << r << "," << g << ","
                                << b;
    // The mark of a note expected on a green key keeps its dark ring.
    Expect(60);
    Draw();
    const glm::vec3 mark = piano.GetKey(60)->Find("Note mark")->GetOrigin();
    EXPECT_GT(CountNear(mark, 7, 5, Dark), 4) << "the mark is lost on the green key";
    EXPECT_GT(CountNear(mark, 2, 1, MarkGreen), 2);
    Expect(72);
    ASSERT_TRUE(piano.ShowAccuracy(stats, false));
    EXPECT_FALSE(piano.GetKey(60)->IsAccuracyShown());
    Draw();
    strip(60, r, g, b);
    EXPECT_TRUE(Light(r, g, b)) << "off restores the white key " << r << "," << g << "," << b;
    strip(64, r, g, b);
    EXPECT_TRUE(Light(r, g, b)) << r << "," << g << "," << b;
}

// The key light reads as "this key is down": a wrong key held shows it, the
// right key held shows its green mark alone.
TEST_F(CPianoNotesPixels, LightsAWrongKeyHeldButNeverTheRightOne) {
    const auto keyLight = [](int r, int g, int b) {
        return r > 200 && g > 30 && g < 110 && b < 40;
    };
    CPiano& piano = *m_picture->GetPiano();
    Expect(64);
    Play(64, 100);
    EXPECT_TRUE(piano.GetKey(64)->IsPressed());
    EXPECT_FALSE(piano.GetKey(64)->IsLit()) << "the right key shows the key light";
    Draw();
    SaveShots("piano-right-key-held");
    double x = 0, y = 0;
    EXPECT_FALSE(Find(keyLight, x, y)) << "an orange-red dot beside the green mark";
    EXPECT_TRUE(Find(MarkGreen, x, y));
    Play(64, 0);
    Expect(64);
    Play(67, 100);
    EXPECT_TRUE(piano.GetKey(67)->IsLit());
    Draw();
    EXPECT_TRUE(Find(keyLight, x, y)) << "a wrong key held shows no key light";
    Play(67, 0);
    EXPECT_FALSE(piano.GetKey(67)->IsLit());
}

TEST_F(CPianoNotesPixels, ShowsTheLowestStaffLabelLightAboveTheKeyboard) {
    // The lowest note of the staff, the C on its lowest ledger line, named.
    Expect(36);
    HINTS hints = m_teacher->GetHints();
    hints.noteNames = true;  // the names show only as a hint
    m_teacher->SetHints(hints);
    CPrimitive* lowest = m_picture->GetStaff()->GetShownName();
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

// Every key, the lowest C2 and the highest B6 included, lies inside the view
// with a margin, in a wide window, at the fitted shape and in a narrow one.
TEST(PianoNotesFit, ShowsTheWholeKeyboardInWindowsOfEveryShape) {
    EnsureGuiApplication();
    CNoteManager manager;
    ASSERT_TRUE(manager.Init());
    const struct {
        int width, height;
    } sizes[] = {{1280, 600}, {1000, 800}, {780, 940}, {320, 240}};
    for (const auto& size : sizes) {
        CQtOffscreenGl device(size.width, size.height);
        std::string error;
        ASSERT_TRUE(device.Create(error)) << error;
        CSpacePainter scene;
        ASSERT_TRUE(scene.Init(&device));
        Teacher teacher(&manager);
        CHeldKeys keys;
        scene.SetPictureFactory(CPianoNotes::kKind, [&](CSpacePainter& s, CVertexBuffer& l) {
            return CPianoNotes::Make(s, l, manager, teacher, keys);
        });
        ASSERT_TRUE(scene.CreatePicture(CPianoNotes::kKind)) << scene.GetError();
        ASSERT_TRUE(scene.Render(true)) << scene.GetError();
        std::vector<uint8_t> pixels;
        int w = 0, h = 0;
        ASSERT_TRUE(device.ReadPixels(pixels, w, h));
        // The light of the white keys, column by column.
        int left = w, right = -1;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const uint8_t* c = &pixels[(static_cast<size_t>(y) * w + x) * 4];
                if (c[0] > 190 && c[1] > 190 && c[2] > 190) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        const int margin = std::max(2, w / 100);
        EXPECT_GE(left, margin) << "the lowest key is cut at " << w << "x" << h;
        EXPECT_LE(right, w - 1 - margin) << "the highest key is cut at " << w << "x" << h;
        EXPECT_GT(right - left, w * 3 / 4) << "the keyboard is small at " << w << "x" << h;
        if (size.width == 780) {
            QImage shot(pixels.data(), w, h, QImage::Format_RGBA8888);
            shot.save(QString(NOTARA_BINARY_DIR) + "/tests/piano-narrow-window.png");
        }
    }
}
