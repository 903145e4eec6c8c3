// The band without a screen: its lineups, where its players stand, which
// player each note reaches and where the camera goes.
#include <gtest/gtest.h>

#include <memory>

#include "DebugRecorder.h"
#include "characters/Band.h"
#include "characters/DrumSet.h"
#include "characters/Drummer.h"
#include "characters/Guitarist.h"
#include "characters/Guitars.h"
#include "characters/Human.h"
#include "characters/Pianist.h"
#include "characters/Segment.h"
#include "characters/StagePiano.h"
#include "scene/SpacePainter.h"
#include "scene/VertexBuffer.h"
#include "theory/Note.h"
#include "theory/NoteManager.h"

namespace {

constexpr float kNear = 1e-3f;

BAND_NOTE Note(int thing, int midi, bool on = true) {
    BAND_NOTE note;
    note.thing = thing;
    note.midiNote = midi;
    note.on = on;
    return note;
}

struct BandFixture : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(notes.Init()); }
    std::unique_ptr<CBand> Make(int lineup) {
        auto band = std::make_unique<CBand>(nullptr, &buffer, &notes, nullptr);
        band->SetScene(&scene);
        built = band->Build(1, lineup);
        return band;
    }
    CNoteManager notes;
    CSpacePainter scene;
    CVertexBuffer buffer{nullptr, 10000};
    bool built = false;
};

TEST_F(BandFixture, BuildsTheTwoLineupsAndNoOther) {
    CDebugRecorder log;
    auto lead = Make(CBand::kLeadLineup);
    ASSERT_TRUE(built) << lead->GetError();
    EXPECT_EQ(lead->GetPlayerCount(), 4);
    EXPECT_NE(lead->GetLeadGuitarist(), nullptr);
    EXPECT_EQ(lead->GetPianist(), nullptr);
    EXPECT_STREQ(lead->GetChild(0)->GetName(), "Lead guitarist");
    EXPECT_STREQ(lead->GetChild(1)->GetName(), "Rhythm guitarist");
    EXPECT_STREQ(lead->GetChild(2)->GetName(), "Bassist");
    EXPECT_STREQ(lead->GetChild(3)->GetName(), "Drummer");
    EXPECT_EQ(log.Count("The original human is loaded"), 1);
    EXPECT_EQ(log.Count("Band is created"), 1);

    auto piano = Make(CBand::kPianoLineup);
    ASSERT_TRUE(built) << piano->GetError();
    EXPECT_STREQ(piano->GetChild(0)->GetName(), "Pianist");
    EXPECT_EQ(piano->GetLeadGuitarist(), nullptr);

    const int vertices = buffer.GetVertexCount();
    auto none = Make(65);
    EXPECT_FALSE(built);
    EXPECT_EQ(none->GetPlayerCount(), 0);
    EXPECT_EQ(buffer.GetVertexCount(), vertices);
    EXPECT_NE(std::string(none->GetError()).find("Can't"), std::string::npos);
}

TEST_F(BandFixture, StandsThePlayersWhereTheArrangementPutsThemAtAHundredthOfTheirSize) {
    auto band = Make(CBand::kLeadLineup);
    ASSERT_TRUE(built);
    const float floor = CBand::kBaseHeight;
    const struct {
        CPlayer* player;
        glm::vec3 place;
        float turn;
    } expected[] = {{band->GetLeadGuitarist(), {0.0f, floor, 0.5f}, 180.0f},
                    {band->GetRhythmGuitarist(), {1.2f, floor, 0.0f}, 210.0f},
                    {band->GetBassist(), {-1.2f, floor, 0.0f}, 150.0f},
                    {band->GetDrummer(), {0.0f, floor, -1.3f}, 0.0f}};
    for (const auto& e : expected) {
        EXPECT_NEAR(glm::distance(e.player->GetOrigin(), e.place), 0.0f, kNear)
            << e.player->GetName();
        // A figure faces +z as built; turned, it faces its turn's way.
        const glm::vec3 facing = e.player->ToWorld(glm::vec3(0, 0, 100)) - e.player->GetOrigin();
        const float radians = glm::radians(e.turn);
        EXPECT_NEAR(facing.x, std::sin(radians), 1e-3) << e.player->GetName();
        EXPECT_NEAR(facing.z, std::cos(radians), 1e-3) << e.player->GetName();
        // About 1.75 units tall.
        const float height = e.player->ToWorld(glm::vec3(0, 175, 0)).y - e.player->GetOrigin().y;
        EXPECT_NEAR(height, 1.75f, 1e-3);
    }
    // The three guitarists face the drummer: all look towards -z's half.
    EXPECT_LT(band->GetLeadGuitarist()->ToWorld(glm::vec3(0, 0, 100)).z, 0.5f);
}

TEST_F(BandFixture, RoutesEachNoteToThePlayerOfItsInstrument) {
    auto band = Make(CBand::kLeadLineup);
    ASSERT_TRUE(built);
    CDrummer* drummer = band->GetDrummer();
    EXPECT_TRUE(band->PlayNote(Note(THING_HI_HAT_OPEN, 46)));
    EXPECT_EQ(drummer->GetNotesPlayed(), 1);
    EXPECT_EQ(drummer->GetLastPiece(THING_RIGHT_HAND), CDrumSet::kHiHat);
    EXPECT_TRUE(band->PlayNote(Note(THING_SNARE_DRUM, 38)));
    EXPECT_EQ(drummer->GetLastPiece(THING_LEFT_HAND), CDrumSet::kSnare);
    EXPECT_TRUE(band->PlayNote(Note(THING_BASS_GUITAR, 40)));
    EXPECT_EQ(band->GetBassist()->GetNotesPlayed(), 1);
    EXPECT_TRUE(band->PlayNote(Note(THING_RHYTHM_GUITAR, 64)));
    EXPECT_EQ(band->GetRhythmGuitarist()->GetNotesPlayed(), 1);
    EXPECT_TRUE(band->PlayNote(Note(THING_LEAD_GUITAR, 67)));
    EXPECT_EQ(band->GetLeadGuitarist()->GetNotesPlayed(), 1);
    // No pianist in this lineup: its notes do nothing, but are taken.
    EXPECT_TRUE(band->PlayNote(Note(THING_KEYBOARD, 60)));
    // "Guitar" is nobody's instrument in the band.
    EXPECT_FALSE(band->PlayNote(Note(THING_GUITAR, 60)));
    EXPECT_FALSE(band->PlayNote(Note(THING_NONE, 60)));
    EXPECT_EQ(band->GetLeadGuitarist()->GetNotesPlayed(), 1);
    EXPECT_EQ(band->GetRhythmGuitarist()->GetNotesPlayed(), 1);

    auto piano = Make(CBand::kPianoLineup);
    ASSERT_TRUE(built);
    EXPECT_TRUE(piano->PlayNote(Note(THING_KEYBOARD, 60)));
    EXPECT_EQ(piano->GetPianist()->GetNotesPlayed(), 1);
    EXPECT_TRUE(piano->GetPianist()->GetPiano()->IsKeyDown(60));
    EXPECT_TRUE(piano->PlayNote(Note(THING_KEYBOARD, 60, false)));
    EXPECT_FALSE(piano->GetPianist()->GetPiano()->IsKeyDown(60));
}

TEST_F(BandFixture, TheCameraOfTheWholeBandIsTheSameFromAnyCamera) {
    auto band = Make(CBand::kLeadLineup);
    ASSERT_TRUE(built);
    for (const int from : {THING_DRUM_SET, THING_BASS_GUITAR, THING_BAND}) {
        ASSERT_TRUE(band->LookAt(from, 3));
        ASSERT_TRUE(band->LookAt(THING_BAND));
        EXPECT_FLOAT_EQ(scene.GetCameraDistance(), 8.0f);
        EXPECT_FLOAT_EQ(scene.GetCameraYaw(), 210.0f);
        EXPECT_FLOAT_EQ(scene.GetCameraPitch(), 60.0f);
    }
    // The camera over the band's front: behind the drummer, above, looking on.
    EXPECT_LT(scene.GetEye().z, -3.0f);
    EXPECT_GT(scene.GetEye().y, 1.0f);
    EXPECT_FALSE(band->LookAt(THING_GUITAR));
}

TEST_F(BandFixture, ARightClickAsksForTheCameraMenuAndADoubleClickLooksAtTheBand) {
    auto band = Make(CBand::kLeadLineup);
    ASSERT_TRUE(built);
    EXPECT_FALSE(band->OnButtonDown(MouseButton::kRight, 10, 20, 0));  // no menu to ask for
    int asked = 0;
    band->SetMenuRequest([&](int x, int y) {
        ++asked;
        EXPECT_EQ(x, 10);
        EXPECT_EQ(y, 20);
    });
    EXPECT_TRUE(band->OnButtonDown(MouseButton::kRight, 10, 20, 0));
    EXPECT_FALSE(band->OnButtonDown(MouseButton::kRight, 10, 20, kFlagControl));
    EXPECT_FALSE(band->OnButtonDown(MouseButton::kLeft, 10, 20, 0));
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(band->LookAt(THING_DRUM_SET));
    EXPECT_TRUE(band->OnDoubleClick(MouseButton::kLeft, 0, 0, 0));
    EXPECT_FLOAT_EQ(scene.GetCameraYaw(), 210.0f);
    EXPECT_FLOAT_EQ(scene.GetCameraDistance(), 8.0f);
}

TEST_F(BandFixture, APlayersCameraLooksFromItsOwnPlaceAndWalksRoundIt) {
    auto band = Make(CBand::kLeadLineup);
    ASSERT_TRUE(built);
    for (const int thing :
         {THING_LEAD_GUITAR, THING_RHYTHM_GUITAR, THING_BASS_GUITAR, THING_DRUM_SET}) {
        glm::vec3 eye, lookAt;
        float yaw, pitch, distance;
        ASSERT_TRUE(band->GetCameraTarget(thing, CBand::kCameraPositions / 2, eye, lookAt, yaw,
                                          pitch, distance));
        ASSERT_TRUE(band->LookAt(thing));
        EXPECT_LT(glm::distance(scene.GetEye(), eye), 1e-3) << thing;
        // The player stands before the camera: within a metre of the look-at point.
        const CPlayer* player = band->GetPlayer(thing);
        EXPECT_LT(glm::distance(player->GetOrigin() + glm::vec3(0, 0.9f, 0), lookAt), 1.0f);
        ASSERT_TRUE(band->LookAt(thing, 0));
        const glm::vec3 first = scene.GetEye();
        ASSERT_TRUE(band->LookAt(thing, 12));
        EXPECT_GT(glm::distance(first, scene.GetEye()), 0.5f);
    }
}

TEST_F(BandFixture, ADrumNoteSendsTheStickDownAndBackWhileTheRestStays) {
    auto band = Make(CBand::kLeadLineup);
    ASSERT_TRUE(built);
    band->Animate(1.0, 0.0);
    CDrummer* drummer = band->GetDrummer();
    CPrimitive* stick = drummer->GetStick(THING_RIGHT_HAND);
    const glm::vec3 resting = stick->GetOrigin();
    const glm::vec3 lead = band->GetLeadGuitarist()->GetHuman()->GetWrist(THING_LEFT_HAND);
    const glm::vec3 leftStick = drummer->GetStick(THING_LEFT_HAND)->GetOrigin();
    ASSERT_TRUE(band->PlayNote(Note(THING_RIDE_CYMBAL, 51)));
    band->Animate(1.0 + CDrummer::kDownTime, 1.0);
    const glm::vec3 struck = stick->GetOrigin();
    EXPECT_GT(glm::distance(resting, struck), 0.05f);
    EXPECT_LT(struck.y, resting.y);
    EXPECT_LT(glm::distance(drummer->GetStick(THING_LEFT_HAND)->GetOrigin(), leftStick), 1e-5f);
    EXPECT_EQ(band->GetLeadGuitarist()->GetHuman()->GetWrist(THING_LEFT_HAND), lead);
    // The stroke ends back up over the cymbal, smoothly: no frame moves it far.
    glm::vec3 last = struck;
    for (double t = 1.0 + CDrummer::kDownTime; t < 1.5; t += 0.025) {
        band->Animate(t, t - 0.025);
        EXPECT_LT(glm::distance(stick->GetOrigin(), last), 0.08f);
        last = stick->GetOrigin();
    }
    EXPECT_GT(stick->GetOrigin().y, struck.y + 0.05f);
}

TEST_F(BandFixture, AGuitaristStopsTheFretTheFingeringGivesAndPicksTheString) {
    auto band = Make(CBand::kLeadLineup);
    ASSERT_TRUE(built);
    CGuitarist* bassist = band->GetBassist();
    // C2 lies under the hand at the third fret of the A string.
    ASSERT_TRUE(band->PlayNote(Note(THING_BASS_GUITAR, 36)));
    EXPECT_EQ(bassist->GetLastString(), 3);
    EXPECT_EQ(bassist->GetLastFret(), 3);
    double t = 0.0;
    for (; t < 0.5; t += 0.025) {
        band->Animate(t, t - 0.025);
    }
    CHuman* human = bassist->GetHuman();
    const glm::vec3 stop = bassist->GetGuitar()->GetStopPoint(3, 3);
    float nearest = 1e9f;
    for (int finger = 2; finger <= 5; ++finger) {
        nearest = std::min(nearest, glm::distance(human->GetArm(THING_LEFT_HAND) != nullptr
                                                      ? human->GetFingerTip(THING_LEFT_HAND, finger)
                                                      : glm::vec3(0),
                                                  stop));
    }
    EXPECT_LT(nearest, 0.015f);  // on the string behind its fret: 1.5 cm at the band's scale
    // A note far up the neck moves the whole hand there.
    const int before = bassist->GetHandFret();
    ASSERT_TRUE(band->PlayNote(Note(THING_BASS_GUITAR, 60)));  // C4: the G string's 17th fret
    EXPECT_EQ(bassist->GetLastFret(), 17);
    EXPECT_GT(bassist->GetHandFret(), before + 10);
}

}  // namespace

namespace {

TEST_F(BandFixture, APianistsFingerGoesDownOnTheKeyOfItsNote) {
    auto band = Make(CBand::kPianoLineup);
    ASSERT_TRUE(built);
    CDebugRecorder trace;
    double t = 0.0;
    for (const int midi : {60, 64, 67, 48, 84, 40}) {
        ASSERT_TRUE(band->PlayNote(Note(THING_KEYBOARD, midi)));
        for (const double end = t + 0.3; t < end; t += 0.025) {
            band->Animate(t, t - 0.025);
        }
        const CPianist* pianist = band->GetPianist();
        const int hand = midi < CPianist::kSplit ? THING_LEFT_HAND : THING_RIGHT_HAND;
        const glm::vec3 key = pianist->GetPiano()->GetKeyPoint(midi, 0.0f);
        float nearest = 1e9f;
        for (int finger = 1; finger <= 5; ++finger) {
            nearest = std::min(nearest,
                               glm::distance(pianist->GetHuman()->GetFingerTip(hand, finger), key));
        }
        EXPECT_LT(nearest, 0.01f) << midi;  // on its key, 2.3 cm wide at full size
        ASSERT_TRUE(band->PlayNote(Note(THING_KEYBOARD, midi, false)));
    }
    EXPECT_EQ(trace.Count("Can't reach"), 0);
}

}  // namespace
