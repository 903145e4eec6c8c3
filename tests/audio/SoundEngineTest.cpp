// The sound engine on the null output device: single notes, the stream and
// its refills, loops, offline export and the engine's own conversions.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

#include "BankFolder.h"
#include "TempFolder.h"
#include "audio/SampleBanks.h"
#include "audio/Sound.h"
#include "audio/SoundFile.h"
#include "platform/null/NullAudioOut.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kBlock = CNullAudioOut::kBlockFrames;

// Every block the device plays, kept for the test (stereo values).
class CRecordingTap : public IAudioTap {
public:
    void OnBlock(const int16_t* values, int frames, double) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values.insert(m_values.end(), values, values + 2 * frames);
    }
    std::vector<int16_t> Take() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::move(m_values);
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_values.clear();
    }

private:
    std::mutex m_mutex;
    std::vector<int16_t> m_values;
};

CNote MakeNote(int thing, int midiNote, double time, double duration = UNSET_TIME) {
    CNote note;
    note.thing = thing;
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.time = time;
    note.duration = duration;
    note.eventKind = EVENT_NOTE_START;
    return note;
}

std::vector<int16_t> ReadValues(const std::string& path, WAVE_FORMAT* format = nullptr) {
    CSoundFile file;
    CSoundInfo sound;
    if (!file.ReadInfo(path.c_str(), sound)) {
        ADD_FAILURE() << file.GetError();
        return {};
    }
    if (format != nullptr) {
        *format = sound.format;
    }
    return std::vector<int16_t>(sound.GetValues(), sound.GetValues() + sound.GetSize() / 2);
}

size_t FirstSound(const std::vector<int16_t>& values) {
    const auto found = std::find_if(values.begin(), values.end(), [](int16_t v) { return v != 0; });
    return static_cast<size_t>(found - values.begin()) / 2 * 2;  // a whole frame
}

class SoundEngine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_manager.Init());
        ASSERT_TRUE(m_folder.WriteAll());
        // A longer middle piano so that notes a quarter second apart overlap.
        ASSERT_TRUE(m_folder.WriteTone("Piano/Piano-C3.wav", CBankFolder::Frequency(48), 0.6));
    }
    // An engine open on a null device.
    std::unique_ptr<CSound> OpenEngine(CNullAudioOut::Clock clock, const std::string& wave = "") {
        auto sound = std::make_unique<CSound>(m_manager.GetNoteTable(), m_folder.GetRoot().c_str());
        auto device = std::make_unique<CNullAudioOut>(clock);
        m_device = device.get();
        if (!wave.empty()) {
            EXPECT_TRUE(device->SetWaveOutput(wave));
        }
        sound->SetDevice(std::move(device));
        EXPECT_TRUE(sound->Open("")) << sound->GetError();
        m_device->SetTap(&m_tap);
        return sound;
    }
    // Steps the device seconds ahead, checking the stream as the worker does.
    void Play(CSound& sound, double seconds) {
        const int blocks = static_cast<int>(seconds * CNullAudioOut::kRate / kBlock);
        for (int i = 0; i < blocks; ++i) {
            ASSERT_TRUE(m_device->Step(kBlock));
            ASSERT_TRUE(sound.CheckStream()) << sound.GetError();
        }
    }
    CNoteList SomeNotes() const {
        CNoteList notes;
        notes.Add(MakeNote(CSampleBanks::kPiano, 60, 0.0));
        notes.Add(MakeNote(CSampleBanks::kPiano, 64, 0.25, 0.1));
        notes.Add(MakeNote(THING_SNARE_DRUM, NOTE_NONE, 0.9));
        CNote marker = MakeNote(CSampleBanks::kPiano, 67, 1.0);
        marker.eventKind = EVENT_MEASURE_MARKER;  // never sounds
        notes.Add(marker);
        CNote fretted = MakeNote(THING_LEAD_GUITAR, 0, 1.95);
        fretted.guitarString = 2;
        fretted.fret = 3;
        fretted.pan = 0.5f;
        fretted.volume = 0.5f;
        notes.Add(fretted);
        notes.Add(MakeNote(CSampleBanks::kPiano, 72, 2.99));  // across the segment's end
        notes.Add(MakeNote(THING_BASS_GUITAR, 30, 4.2));
        return notes;
    }

    CNoteManager m_manager;
    CTempFolder m_temp{"engine"};
    CBankFolder m_folder{m_temp.Get()};
    CNullAudioOut* m_device = nullptr;
    CRecordingTap m_tap;
};

}  // namespace

TEST(SoundConversions, LevelsAndPansBecomeHundredthsOfADecibel) {
    EXPECT_EQ(CSound::ToHundredthsDb(0.04), -10000);
    EXPECT_EQ(CSound::ToHundredthsDb(0.5), -1000);
    EXPECT_EQ(CSound::ToHundredthsDb(0.995), 0);
    EXPECT_EQ(CSound::ToHundredthsDb(1.0), 0);
    EXPECT_EQ(CSound::ToHundredthsDb(std::nan("")), -10000);
    EXPECT_EQ(CSound::PanToHundredthsDb(0.0), 0);
    EXPECT_EQ(CSound::PanToHundredthsDb(0.5), 1000);  // to the right
    EXPECT_EQ(CSound::PanToHundredthsDb(-0.5), -1000);
    EXPECT_EQ(CSound::PanToHundredthsDb(1.0), 10000);
}

TEST_F(SoundEngine, StartingBeforeTheDeviceOpensIsRefusedWithTheWayOut) {
    CSound sound(m_manager.GetNoteTable(), m_folder.GetRoot().c_str());
    EXPECT_FALSE(sound.Start(SomeNotes(), 0.0, 0));
    EXPECT_STREQ(sound.GetError(),
                 "Device is not initialized.\nPlease go to Audio Settings and select the device");
    EXPECT_FALSE(sound.Open(""));  // no device at all
}

TEST_F(SoundEngine, TheStreamLastsThreeToFifteenSecondsInThreeSegments) {
    auto sound = OpenEngine(CNullAudioOut::Clock::kStepped);
    EXPECT_EQ(sound->GetStreamSize(), 15u * 176400u);
    EXPECT_EQ(sound->GetSegmentSize(), 882000u);
    ASSERT_TRUE(sound->CreateStream(2));
    EXPECT_EQ(sound->GetStreamSize(), 3u * 176400u);
    ASSERT_TRUE(sound->CreateStream(20));
    EXPECT_EQ(sound->GetStreamSize(), 15u * 176400u);
}

TEST_F(SoundEngine, AKeyNoteSoundsFromTheNextBlockWithItsPanAndDiesAwayWhenReleased) {
    auto sound = OpenEngine(CNullAudioOut::Clock::kStepped);
    CNote note = MakeNote(CSampleBanks::kPiano, 60, 0.0);
    note.pan = 1.0f;  // all right
    ASSERT_TRUE(sound->PlayNote(note)) << sound->GetError();
    ASSERT_TRUE(m_device->Step(kBlock));
    std::vector<int16_t> block = m_tap.Take();
    ASSERT_EQ(block.size(), 2u * kBlock);
    int left = 0;
    int right = 0;
    for (size_t i = 0; i < block.size(); i += 2) {
        left = std::max(left, std::abs(static_cast<int>(block[i])));
        right = std::max(right, std::abs(static_cast<int>(block[i + 1])));
    }
    EXPECT_GT(right, 1000);
    EXPECT_EQ(left, 0);
    // The sample's first frame is its first: no delay inside the block.
    EXPECT_LT(FirstSound(block), 8u);
    // Released: it dies away within the release time, without a jump.
    note.eventKind = EVENT_NOTE_END;
    ASSERT_TRUE(sound->PlayNote(note));
    const int releaseFrames = static_cast<int>(CSound::kReleaseSeconds * CNullAudioOut::kRate);
    ASSERT_TRUE(m_device->Step(releaseFrames));
    block = m_tap.Take();
    ASSERT_EQ(block.size(), 2u * releaseFrames);
    for (size_t i = 2; i < block.size(); i += 2) {
        EXPECT_LT(std::abs(block[i + 1] - block[i - 1]), 3000) << "a click at frame " << i / 2;
    }
    EXPECT_LT(std::abs(block[block.size() - 1]), 200);
    ASSERT_TRUE(m_device->Step(kBlock));
    block = m_tap.Take();
    EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](int16_t v) { return v == 0; }));
    // A drum let go rings on.
    CNote drum = MakeNote(THING_SNARE_DRUM, NOTE_NONE, 0.0);
    ASSERT_TRUE(sound->PlayNote(drum));
    drum.volume = 0.0f;
    drum.eventKind = EVENT_KEEP;
    ASSERT_TRUE(sound->PlayNote(drum));
    ASSERT_TRUE(m_device->Step(kBlock));
    block = m_tap.Take();
    EXPECT_TRUE(std::any_of(block.begin(), block.end(), [](int16_t v) { return v != 0; }));
}

TEST_F(SoundEngine, ANoteListStreamedSoundsSampleForSampleAsItsOfflineExport) {
    auto sound = OpenEngine(CNullAudioOut::Clock::kStepped);
    ASSERT_TRUE(sound->CreateStream(3));  // one-second segments: several refills
    const CNoteList notes = SomeNotes();
    const std::string exported = m_temp.Path("export.wav");
    ASSERT_TRUE(sound->ExportWave(notes, exported.c_str(), false)) << sound->GetError();
    const std::vector<int16_t> offline = ReadValues(exported);
    ASSERT_GT(offline.size(), 2u * 44100u * 4u);
    m_tap.Clear();
    ASSERT_TRUE(sound->Start(notes, 0.0, 0)) << sound->GetError();
    Play(*sound, 6.0);
    ASSERT_TRUE(sound->Stop());
    const std::vector<int16_t> streamed = m_tap.Take();
    ASSERT_GE(streamed.size(), offline.size());
    size_t differences = 0;
    for (size_t i = 0; i < offline.size(); ++i) {
        differences += streamed[i] != offline[i] ? 1 : 0;
    }
    EXPECT_EQ(differences, 0u);
    // Nothing after the export's end but silence (the last note ended).
    EXPECT_TRUE(std::all_of(streamed.begin() + static_cast<long>(offline.size()),
                            streamed.begin() + static_cast<long>(offline.size()) + 2 * 44100,
                            [](int16_t v) { return v == 0; }));
}

TEST_F(SoundEngine, RefillsKeepUpWhileTheOwnersThreadIsBusy) {
    const std::string played = m_temp.Path("played.wav");
    auto sound = OpenEngine(CNullAudioOut::Clock::kRealTime, played);
    ASSERT_TRUE(sound->CreateStream(3));
    // A held line of overlapping notes for four seconds.
    CNoteList notes;
    for (int i = 0; i < 16; ++i) {
        notes.Add(MakeNote(CSampleBanks::kPiano, 48, i * 0.25));
    }
    const std::string exported = m_temp.Path("export.wav");
    ASSERT_TRUE(sound->ExportWave(notes, exported.c_str(), false)) << sound->GetError();
    ASSERT_TRUE(sound->Start(notes, 0.0, 0)) << sound->GetError();
    // Busy: no timer ticks, no checks from this thread, for 4.5 seconds.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(4500);
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(sound->Stop());
    sound->Close();
    const std::vector<int16_t> offline = ReadValues(exported);
    const std::vector<int16_t> streamed = ReadValues(played);
    // Both from their first sound: the real-time stream starts whenever.
    const size_t lead = FirstSound(offline);
    const size_t start = FirstSound(streamed) - lead;
    ASSERT_LT(start + lead, streamed.size());
    ASSERT_GE(streamed.size() - start, offline.size());
    size_t silentRun = 0;
    size_t longestSilence = 0;
    size_t differences = 0;
    for (size_t i = 0; i < offline.size(); i += 2) {
        differences += streamed[start + i] != offline[i] ? 1 : 0;
        silentRun = streamed[start + i] == 0 ? silentRun + 1 : 0;
        longestSilence = std::max(longestSilence, silentRun);
    }
    EXPECT_EQ(differences, 0u);
    EXPECT_LT(longestSilence, 44u);  // no gap of a millisecond while the line is held
}

TEST_F(SoundEngine, ALoopPlaysItsNotesTheAskedNumberOfTimesAndNoMore) {
    auto sound = OpenEngine(CNullAudioOut::Clock::kStepped);
    ASSERT_TRUE(sound->CreateStream(3));
    CNoteList notes;
    notes.Add(MakeNote(THING_SNARE_DRUM, NOTE_NONE, 0.0, 0.1));
    for (const auto& [loop, repeats, expected] :
         std::vector<std::tuple<double, int, int>>{{1.0, 3, 3}, {0.0, 3, 1}, {1.0, 1, 1}}) {
        m_tap.Clear();
        ASSERT_TRUE(sound->Start(notes, loop, repeats));
        Play(*sound, 5.0);
        ASSERT_TRUE(sound->Stop());
        const std::vector<int16_t> streamed = m_tap.Take();
        int onsets = 0;
        bool sounding = false;
        for (size_t i = 0; i + 1 < streamed.size(); i += 2) {
            // A hit rings for 0.1 s; a tenth of a second of silence ends it.
            const bool loud = std::abs(streamed[i]) > 100;
            if (loud && !sounding) {
                ++onsets;
                sounding = true;
                i += 2 * 4410;
            } else if (!loud && sounding) {
                sounding = false;
            }
        }
        EXPECT_EQ(onsets, expected) << "loop " << loop << ", repeats " << repeats;
    }
}

TEST_F(SoundEngine, AnExportAtTheReducedRateIsAQuarterAsLong) {
    auto sound = OpenEngine(CNullAudioOut::Clock::kStepped);
    const CNoteList notes = SomeNotes();
    const std::string full = m_temp.Path("full.wav");
    const std::string reduced = m_temp.Path("reduced.wav");
    ASSERT_TRUE(sound->ExportWave(notes, full.c_str(), false));
    ASSERT_TRUE(sound->ExportWave(notes, reduced.c_str(), true)) << sound->GetError();
    WAVE_FORMAT format;
    const std::vector<int16_t> small = ReadValues(reduced, &format);
    EXPECT_EQ(format.samplesPerSecond, 11025u);
    EXPECT_EQ(format.averageBytesPerSecond, 44100u);
    EXPECT_NEAR(static_cast<double>(small.size()), ReadValues(full).size() / 4.0, 2 * 44100.0 / 4);
}

TEST_F(SoundEngine, AnExportWithAnUnknownInstrumentFailsAndWritesNoFile) {
    auto sound = OpenEngine(CNullAudioOut::Clock::kStepped);
    CNoteList notes = SomeNotes();
    notes.Add(MakeNote(THING_SOLO_GUITAR, 60, 0.5));
    const std::string path = m_temp.Path("never.wav");
    EXPECT_FALSE(sound->ExportWave(notes, path.c_str(), false));
    EXPECT_STREQ(sound->GetError(), "Can't get instrument 40");
    struct stat info {};
    EXPECT_NE(stat(path.c_str(), &info), 0);
    // Notes without a time are skipped instead of waiting for ever.
    CNoteList untimed;
    untimed.Add(MakeNote(CSampleBanks::kPiano, 60, UNSET_TIME));
    EXPECT_TRUE(sound->ExportWave(untimed, path.c_str(), false)) << sound->GetError();
}

TEST_F(SoundEngine, AStrummedChordSoundsItsFingeredStringsOneAfterAnother) {
    auto sound = OpenEngine(CNullAudioOut::Clock::kStepped);
    CNoteList chord;
    for (int string = 1; string <= 3; ++string) {
        CNote note = MakeNote(THING_RHYTHM_GUITAR, 0, 0.0);
        note.guitarString = string;
        note.fret = 0;
        note.finger = string == 2 ? UNSET : 1;  // the middle string is not played
        chord.Add(note);
    }
    ASSERT_TRUE(sound->RenderChord(chord)) << sound->GetError();
    m_tap.Clear();
    ASSERT_TRUE(sound->PlayChord());
    ASSERT_TRUE(m_device->Step(44100 / 10));
    const std::vector<int16_t> played = m_tap.Take();
    // The last string first; the other one 10 ms later.
    EXPECT_LT(FirstSound(played), 8u);
    const size_t strum = 2 * 441;
    std::vector<int16_t> before(played.begin(), played.begin() + static_cast<long>(strum));
    ASSERT_TRUE(sound->RenderChord(CNoteList()));  // silence
    m_tap.Clear();
    ASSERT_TRUE(sound->PlayChord());
    ASSERT_TRUE(m_device->Step(kBlock));
    const std::vector<int16_t> silent = m_tap.Take();
    EXPECT_TRUE(std::all_of(silent.begin(), silent.end(), [](int16_t v) { return v == 0; }));
    EXPECT_TRUE(std::any_of(before.begin(), before.end(), [](int16_t v) { return v != 0; }));
}
