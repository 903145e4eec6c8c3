#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "capture/SoundDetector.h"
#include "platform/Clock.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kRate = 44100;

struct TONE {
    double start;
    double length;
    double frequency;
    double level;
};

// Stereo 16-bit sound of sine tones (each with a short attack and release).
std::vector<int16_t> Render(const std::vector<TONE>& tones, double seconds) {
    std::vector<int16_t> values(static_cast<size_t>(seconds * kRate) * 2, 0);
    for (const TONE& tone : tones) {
        const auto first = static_cast<size_t>(tone.start * kRate);
        const auto count = static_cast<size_t>(tone.length * kRate);
        for (size_t i = 0; i < count && first + i < values.size() / 2; ++i) {
            const double ramp = std::min({1.0, i / 200.0, (count - i) / 200.0});
            const double v =
                tone.level * ramp * 32767.0 * std::sin(2.0 * M_PI * tone.frequency * i / kRate);
            values[2 * (first + i)] = static_cast<int16_t>(v);
            values[2 * (first + i) + 1] = static_cast<int16_t>(v);
        }
    }
    return values;
}

// Stereo 16-bit sound of one sine whose frequency follows frequencyAt(t)
// without a break in its phase or level: notes played legato. The level
// rises and falls over 200 samples only at the very start and end.
template <typename FREQUENCY>
std::vector<int16_t> RenderLegato(double start, double length, double level, FREQUENCY frequencyAt,
                                  double seconds) {
    std::vector<int16_t> values(static_cast<size_t>(seconds * kRate) * 2, 0);
    const auto first = static_cast<size_t>(start * kRate);
    const auto count = static_cast<size_t>(length * kRate);
    double phase = 0.0;
    for (size_t i = 0; i < count && first + i < values.size() / 2; ++i) {
        const double ramp = std::min({1.0, i / 200.0, (count - i) / 200.0});
        const auto v = static_cast<int16_t>(level * ramp * 32767.0 * std::sin(phase));
        values[2 * (first + i)] = v;
        values[2 * (first + i) + 1] = v;
        phase += 2.0 * M_PI * frequencyAt(static_cast<double>(i) / kRate) / kRate;
    }
    return values;
}

class CRecorder : public ISoundDetectorSink {
public:
    void OnNote(const CNote& note, double clockTime) override {
        notes.push_back(note);
        clockTimes.push_back(clockTime);
    }
    void OnLevel(const CNote& level) override { levels.push_back(level); }
    std::vector<CNote> Starts() const {
        std::vector<CNote> starts;
        for (const CNote& note : notes) {
            if (note.eventKind == EVENT_NOTE_START) {
                starts.push_back(note);
            }
        }
        return starts;
    }
    std::vector<CNote> notes;
    std::vector<double> clockTimes;
    std::vector<CNote> levels;
};

class SoundDetector : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_manager.Init()); }
    // Feeds values in blocks of blockFrames, timed by their place.
    void Feed(CSoundDetector& detector, const std::vector<int16_t>& values, int blockFrames = 256) {
        const size_t frames = values.size() / 2;
        for (size_t f = 0; f < frames; f += blockFrames) {
            const size_t n = std::min<size_t>(blockFrames, frames - f);
            ASSERT_TRUE(detector.AddDataAt(reinterpret_cast<const uint8_t*>(&values[2 * f]),
                                           static_cast<uint32_t>(n * 4),
                                           static_cast<double>(f + n) / kRate));
        }
    }
    CNoteManager m_manager;
    CRecorder m_recorder;
    WAVE_FORMAT m_format = WAVE_FORMAT::Stream();
};

double Frequency(int midi) {
    return 440.0 * std::pow(2.0, (midi - 69) / 12.0);
}

double Cents(double cents) {
    return std::pow(2.0, cents / 1200.0);
}

}  // namespace

TEST_F(SoundDetector, TonesBecomeNotesWithTheirPitchOnsetAndRelease) {
    CSoundDetector detector(m_manager.GetNoteTable(), m_format, 0.05f, &m_recorder);
    ASSERT_TRUE(detector.Start(0.0, CPitchDetector::kFastAutoCorr, false));
    Feed(detector, Render({{0.5, 0.6, Frequency(69), 0.5},
                           {1.6, 0.6, Frequency(57), 0.5},
                           {2.7, 0.6, Frequency(81), 0.4}},
                          4.0));
    const std::vector<CNote> starts = m_recorder.Starts();
    ASSERT_EQ(starts.size(), 3u);
    const int expected[] = {69, 57, 81};
    const double onsets[] = {0.5, 1.6, 2.7};
    for (size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(starts[i].midiNote, expected[i]) << i;
        EXPECT_NEAR(starts[i].time, onsets[i], 0.02) << i;
        EXPECT_EQ(starts[i].source, SOURCE_SOUND_DETECTOR);
        EXPECT_EQ(starts[i].thing, THING_LEAD_GUITAR);
        EXPECT_NEAR(starts[i].measuredFrequency, Frequency(expected[i]),
                    Frequency(expected[i]) * 0.01);
    }
    // Every start has its end, the release about where the tone stopped.
    int ends = 0;
    for (const CNote& note : m_recorder.notes) {
        if (note.eventKind == EVENT_NOTE_END) {
            EXPECT_NEAR(note.time + note.duration, onsets[ends] + 0.6, 0.03) << ends;
            ++ends;
        }
    }
    EXPECT_EQ(ends, 3);
    // The input meter heard every step, loud while the tones sound.
    EXPECT_GT(m_recorder.levels.size(), 4.0 * kRate / detector.GetStepLength() - 10);
}

TEST_F(SoundDetector, EachNoteCarriesTheClockTimeItsSoundBeganOrEnded) {
    CSoundDetector detector(m_manager.GetNoteTable(), m_format, 0.05f, &m_recorder);
    const double before = Platform::GetClock().GetSeconds();
    ASSERT_TRUE(detector.Start(0.0, CPitchDetector::kFastAutoCorr, false));
    const double after = Platform::GetClock().GetSeconds();
    Feed(detector, Render({{0.5, 0.6, Frequency(69), 0.5}, {1.6, 0.6, Frequency(57), 0.5}}, 2.5));
    ASSERT_EQ(m_recorder.notes.size(), 4u);
    for (size_t i = 0; i < m_recorder.notes.size(); ++i) {
        const CNote& note = m_recorder.notes[i];
        // The detector's start on the clock, whenever the note was found.
        const double began =
            note.eventKind == EVENT_NOTE_END ? note.time + note.duration : note.time;
        const double origin = m_recorder.clockTimes[i] - began;
        EXPECT_GE(origin, before - 1e-9) << i;
        EXPECT_LE(origin, after + 1e-9) << i;
    }
}

TEST_F(SoundDetector, SilenceAndQuietNoiseGiveNoNotes) {
    CSoundDetector detector(m_manager.GetNoteTable(), m_format, 0.05f, &m_recorder);
    ASSERT_TRUE(detector.Start(0.0, CPitchDetector::kFastAutoCorr, false));
    std::vector<int16_t> values(2 * kRate, 0);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<int16_t>((i * 7919) % 401 - 200);  // well below the trigger
    }
    Feed(detector, values);
    EXPECT_TRUE(m_recorder.notes.empty());
    EXPECT_FALSE(m_recorder.levels.empty());
}

TEST_F(SoundDetector, ALouderAttackOnTheSameNoteStartsItAgain) {
    CSoundDetector detector(m_manager.GetNoteTable(), m_format, 0.05f, &m_recorder);
    ASSERT_TRUE(detector.Start(0.0, CPitchDetector::kFastAutoCorr, false));
    // A quiet note, then the string struck hard while it still sounds.
    std::vector<int16_t> values = Render({{0.2, 0.5, Frequency(64), 0.15}}, 1.6);
    const std::vector<int16_t> loud = Render({{0.7, 0.6, Frequency(64), 0.8}}, 1.6);
    for (size_t i = 0; i < values.size(); ++i) {
        if (loud[i] != 0) {
            values[i] = loud[i];
        }
    }
    Feed(detector, values);
    const std::vector<CNote> starts = m_recorder.Starts();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].midiNote, 64);
    EXPECT_EQ(starts[1].midiNote, 64);
    EXPECT_NEAR(starts[1].time, 0.7, 0.05);
}

TEST_F(SoundDetector, TheSameSoundInBlocksOfAnySizeGivesTheSameNotes) {
    const std::vector<int16_t> values =
        Render({{0.3, 0.4, Frequency(60), 0.5}, {1.0, 0.4, Frequency(72), 0.5}}, 2.0);
    std::vector<std::vector<CNote>> runs;
    for (int block : {1, 37, 256, 1024, 44100}) {
        CRecorder recorder;
        CSoundDetector detector(m_manager.GetNoteTable(), m_format, 0.05f, &recorder);
        ASSERT_TRUE(detector.Start(0.0, CPitchDetector::kFastAutoCorr, false));
        Feed(detector, values, block);
        runs.push_back(recorder.Starts());
    }
    for (const std::vector<CNote>& run : runs) {
        ASSERT_EQ(run.size(), 2u);
        EXPECT_EQ(run[0].midiNote, 60);
        EXPECT_EQ(run[1].midiNote, 72);
        EXPECT_NEAR(run[0].time, runs[0][0].time, 1e-6);
    }
}

TEST_F(SoundDetector, MethodZeroAndAStoppedDetectorHearNothing) {
    const std::vector<int16_t> values = Render({{0.1, 0.4, 440.0, 0.5}}, 0.8);
    CSoundDetector off(m_manager.GetNoteTable(), m_format, 0.05f, &m_recorder);
    ASSERT_TRUE(off.Start(0.0, 0, false));
    Feed(off, values);
    CSoundDetector stopped(m_manager.GetNoteTable(), m_format, 0.05f, &m_recorder);
    ASSERT_TRUE(stopped.Start(0.0, CPitchDetector::kFastAutoCorr, false));
    ASSERT_TRUE(stopped.Stop());
    Feed(stopped, values);
    EXPECT_TRUE(m_recorder.notes.empty());
    EXPECT_TRUE(m_recorder.levels.empty());
    // A format that is no 16-bit PCM is refused.
    CSoundDetector wrong(m_manager.GetNoteTable(), WAVE_FORMAT::Pcm(2, 44100, 8), 0.05f, nullptr);
    EXPECT_FALSE(wrong.Start(0.0, CPitchDetector::kFastAutoCorr, false));
    EXPECT_NE(std::string(wrong.GetError()).find("Can't start the note detector"),
              std::string::npos);
}

TEST_F(SoundDetector, TheBassRangeHearsLowNotesAsTheBassGuitar) {
    CSoundDetector detector(m_manager.GetNoteTable(), m_format, 0.05f, &m_recorder);
    ASSERT_TRUE(detector.Start(0.0, CPitchDetector::kFastAutoCorr, true));
    Feed(detector, Render({{0.3, 0.8, Frequency(40), 0.6}}, 1.6));
    const std::vector<CNote> starts = m_recorder.Starts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].midiNote, 40);
    EXPECT_EQ(starts[0].thing, THING_BASS_GUITAR);
}

TEST_F(SoundDetector, NotesPlayedLegatoAreEachTheirOwnNote) {
    // Eight tones back to back, without a gap or a change of level.
    const int melody[] = {60, 64, 67, 72, 71, 65, 62, 69};
    constexpr double kStart = 0.3;
    constexpr double kToneSeconds = 0.5;
    constexpr int kTones = 8;
    const auto frequencyAt = [&](double t) {
        return Frequency(melody[std::min(kTones - 1, static_cast<int>(t / kToneSeconds))]);
    };
    CSoundDetector detector(m_manager.GetNoteTable(), m_format, 0.05f, &m_recorder);
    ASSERT_TRUE(detector.Start(0.0, CPitchDetector::kFastAutoCorr, false));
    Feed(detector, RenderLegato(kStart, kTones * kToneSeconds, 0.5, frequencyAt, 5.0));
    const std::vector<CNote> starts = m_recorder.Starts();
    ASSERT_EQ(starts.size(), static_cast<size_t>(kTones));
    for (int i = 0; i < kTones; ++i) {
        EXPECT_EQ(starts[i].midiNote, melody[i]) << i;
        EXPECT_NEAR(starts[i].time, kStart + i * kToneSeconds, 0.03) << i;
    }
    // Each note ends where the next starts, the last where the sound stops.
    std::vector<CNote> ends;
    for (const CNote& note : m_recorder.notes) {
        if (note.eventKind == EVENT_NOTE_END) {
            ends.push_back(note);
        }
    }
    ASSERT_EQ(ends.size(), static_cast<size_t>(kTones));
    for (int i = 0; i < kTones; ++i) {
        EXPECT_EQ(ends[i].midiNote, melody[i]) << i;
        const double end = i + 1 < kTones ? starts[i + 1].time : kStart + kTones * kToneSeconds;
        EXPECT_NEAR(ends[i].time + ends[i].duration, end, 0.03) << i;
    }
}

TEST_F(SoundDetector, AToneWithVibratoStaysOneNote) {
    // A4 swinging 20 cents either way five and a half times a second.
    constexpr double kVibratoHz = 5.5;
    const auto frequencyAt = [](double t) {
        return Frequency(69) * Cents(20.0 * std::sin(2.0 * M_PI * kVibratoHz * t));
    };
    CSoundDetector detector(m_manager.GetNoteTable(), m_format, 0.05f, &m_recorder);
    ASSERT_TRUE(detector.Start(0.0, CPitchDetector::kFastAutoCorr, false));
    Feed(detector, RenderLegato(0.2, 3.0, 0.5, frequencyAt, 4.0));
    ASSERT_EQ(m_recorder.notes.size(), 2u);
    EXPECT_EQ(m_recorder.notes[0].eventKind, EVENT_NOTE_START);
    EXPECT_EQ(m_recorder.notes[0].midiNote, 69);
    EXPECT_NEAR(m_recorder.notes[0].time, 0.2, 0.02);
    EXPECT_EQ(m_recorder.notes[1].eventKind, EVENT_NOTE_END);
    EXPECT_NEAR(m_recorder.notes[1].time + m_recorder.notes[1].duration, 3.2, 0.03);
}
