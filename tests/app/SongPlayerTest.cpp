// A groove played through the centre's sound engine: its notes go along the
// note road at their times, pass after pass, and a stop releases them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TempFolder.h"
#include "app/SongPlayer.h"
#include "audio/BankFolder.h"
#include "audio/Sound.h"
#include "platform/null/NullAudioOut.h"
#include "theory/NoteManager.h"
#include "theory/NoteRouter.h"

namespace {

struct HEARD_NOTE {
    int note;
    bool on;
    double time;
};

class CRecorder : public INoteSubscriber {
public:
    explicit CRecorder(const double& now) : m_now(now) {}
    bool OnNote(ROUTED_NOTE& note) override {
        heard.push_back({note.event.note, note.event.IsOn(), m_now});
        EXPECT_EQ(note.event.source, SOURCE_MIDI_FILE);
        return true;
    }
    std::vector<HEARD_NOTE> heard;

private:
    const double& m_now;
};

CNote Note(int midiNote, double time, double duration) {
    CNote note;
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.eventKind = EVENT_NOTE_START;
    note.time = time;
    note.duration = duration;
    note.thing = THING_BASS_GUITAR;
    return note;
}

class CSongPlayerTest : public testing::Test {
protected:
    void SetUp() override {
        // An engine open on a null device, with sample banks of tones.
        ASSERT_TRUE(m_manager.Init());
        ASSERT_TRUE(m_folder.WriteAll());
        m_sound = std::make_unique<CSound>(m_manager.GetNoteTable(), m_folder.GetRoot().c_str());
        m_sound->SetDevice(std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kStepped));
        ASSERT_TRUE(m_sound->Open("")) << m_sound->GetError();
        m_router.Subscribe(ROAD_STAGE::kBand, m_recorder);
        m_player = std::make_unique<CSongPlayer>([this] { return m_sound.get(); }, m_router,
                                                 [this] { return m_now; });
        // Two bass notes in a loop of one second.
        m_groove.Add(Note(40, 0.0, 0.4));
        m_groove.Add(Note(43, 0.5, 0.4));
    }

    void At(double time) {
        m_now = time;
        m_player->OnTimer();
    }

    CNoteManager m_manager;
    CTempFolder m_temp{"song-player"};
    CBankFolder m_folder{m_temp.Get()};
    std::unique_ptr<CSound> m_sound;
    double m_now = 100.0;
    CNoteRouter m_router;
    CRecorder m_recorder{m_now};
    std::unique_ptr<CSongPlayer> m_player;
    CNoteList m_groove;
};

TEST_F(CSongPlayerTest, NotesGoAlongTheRoadAtTheirTimesPassAfterPass) {
    ASSERT_TRUE(m_player->Play(m_groove, 1.0, 2)) << m_player->GetError();
    EXPECT_TRUE(m_player->IsPlaying());
    At(100.0);
    ASSERT_EQ(m_recorder.heard.size(), 1u) << "the first note starts at once";
    At(100.45);
    At(100.95);
    At(101.2);   // the second pass has begun
    At(102.05);  // both passes are over
    const std::vector<std::pair<int, bool>> expected = {{40, true},  {40, false}, {43, true},
                                                        {43, false}, {40, true},  {40, false},
                                                        {43, true},  {43, false}};
    ASSERT_EQ(m_recorder.heard.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(m_recorder.heard[i].note, expected[i].first) << i;
        EXPECT_EQ(m_recorder.heard[i].on, expected[i].second) << i;
    }
    EXPECT_GE(m_recorder.heard[4].time, 101.0) << "the second pass started early";
    EXPECT_FALSE(m_player->IsPlaying()) << "the playback outlives its last note";
}

TEST_F(CSongPlayerTest, AStopReleasesWhatSoundsAndASecondPlayStartsAfresh) {
    ASSERT_TRUE(m_player->Play(m_groove, 1.0, 1000));
    At(100.1);
    ASSERT_EQ(m_recorder.heard.size(), 1u);
    ASSERT_TRUE(m_player->Stop());
    ASSERT_EQ(m_recorder.heard.size(), 2u);
    EXPECT_FALSE(m_recorder.heard[1].on) << "a note left sounding on the road";
    EXPECT_FALSE(m_player->IsPlaying());
    At(100.6);
    EXPECT_EQ(m_recorder.heard.size(), 2u) << "a stopped playback goes on";
    ASSERT_TRUE(m_player->Play(m_groove, 1.0, 1));
    At(100.7);
    EXPECT_EQ(m_recorder.heard.size(), 3u);
}

TEST_F(CSongPlayerTest, WithoutASoundDeviceNothingPlaysAndTheReasonIsTold) {
    CSongPlayer silent([] { return nullptr; }, m_router, [this] { return m_now; });
    EXPECT_FALSE(silent.Play(m_groove, 1.0, 1));
    EXPECT_STREQ(silent.GetError(), "Can't play: no sound device is open");
    EXPECT_FALSE(silent.IsPlaying());
}

}  // namespace
