#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "capture/SoundDetector.h"
#include "capture/TunerReading.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr int kBlockFrames = 256;  // as the capture hands them over

// Value at a time in seconds, full scale 1.0.
using Wave = std::function<double(double)>;

double MidiFrequency(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// A harmonic tone: amplitudes of partials 1, 2, 3, ... at frequency.
Wave Harmonics(double frequency, std::vector<double> amplitudes) {
    return [frequency, amplitudes](double t) {
        double value = 0.0;
        for (size_t k = 0; k < amplitudes.size(); ++k) {
            value += amplitudes[k] * std::sin(2.0 * kPi * frequency * (k + 1) * t);
        }
        return value;
    };
}

struct TONE {
    double start, length;
    Wave wave;
    double level = 0.3;
    double attack = 0.005;  // seconds of linear fade-in
    double decay = 0.0;     // per second of exponential fall; 0: none
};

struct FOUND {
    int note;
    double time;
    bool start;
    double told = -1.0;  // the end of the block whose analysis told it
};

class CCollector : public ISoundDetectorSink {
public:
    void OnNote(const CNote& note, double) override {
        found.push_back({note.midiNote,
                         note.time + (note.eventKind == EVENT_NOTE_END ? note.duration : 0.0),
                         note.eventKind == EVENT_NOTE_START});
    }
    void OnLevel(const CNote&) override {}
    void OnPitch(double frequency, double) override { pitches.push_back(frequency); }
    std::vector<FOUND> Starts() const {
        std::vector<FOUND> starts;
        for (const FOUND& f : found) {
            if (f.start) {
                starts.push_back(f);
            }
        }
        return starts;
    }
    std::vector<FOUND> found;
    std::vector<double> pitches;
};

class NoteTracker : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_manager.Init()); }

    // Renders the tones over noise of noiseLevel (RMS, full scale 1.0) and
    // feeds them to a detector running the note tracker.
    std::vector<FOUND> Detect(const std::vector<TONE>& tones, double seconds,
                              double noiseLevel = 0.0, bool automatic = true, float trigger = 0.05f,
                              bool lowRange = false) {
        const WAVE_FORMAT format = WAVE_FORMAT::Stream();
        CSoundDetector detector(m_manager.GetNoteTable(), format, trigger, &m_collector);
        detector.SetAutomaticTrigger(automatic);
        EXPECT_TRUE(detector.Start(0.0, CSoundDetector::kLiveMethod, lowRange));
        const size_t frames = static_cast<size_t>(seconds * kRate);
        std::vector<int16_t> values(frames * 2);
        std::mt19937 random(7);
        std::normal_distribution<double> noise(0.0, noiseLevel);
        for (size_t i = 0; i < frames; ++i) {
            const double t = static_cast<double>(i) / kRate;
            double value = noiseLevel > 0.0 ? noise(random) : 0.0;
            for (const TONE& tone : tones) {
                const double local = t - tone.start;
                if (local < 0.0 || local >= tone.length) {
                    continue;
                }
                const double fade =
                    std::min({1.0, local / tone.attack, (tone.length - local) / 0.005});
                value += tone.level * fade * std::exp(-tone.decay * local) * tone.wave(local);
            }
            const auto v = static_cast<int16_t>(std::clamp(value * 32767.0, -32768.0, 32767.0));
            values[2 * i] = values[2 * i + 1] = v;
        }
        for (size_t first = 0; first < frames; first += kBlockFrames) {
            const size_t count = std::min<size_t>(kBlockFrames, frames - first);
            const double end = static_cast<double>(first + count) / kRate;
            const size_t known = m_collector.found.size();
            detector.AddDataAt(reinterpret_cast<const uint8_t*>(values.data() + 2 * first),
                               static_cast<uint32_t>(count * 4), end);
            for (size_t i = known; i < m_collector.found.size(); ++i) {
                m_collector.found[i].told = end;
            }
        }
        return m_collector.Starts();
    }

    CNoteManager m_manager;
    CCollector m_collector;
};

void ExpectOneNote(const std::vector<FOUND>& starts, int note, double onset, double slack) {
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].note, note);
    EXPECT_NEAR(starts[0].time, onset, slack);
}

TEST_F(NoteTracker, NamesAToneWhoseFundamentalIsWeakerThanItsHarmonics) {
    for (int note : {50, 57, 64, 72}) {
        m_collector = CCollector();
        const Wave wave = Harmonics(MidiFrequency(note), {0.2, 1.0, 0.8, 0.3, 0.2});
        ExpectOneNote(Detect({{0.5, 0.8, wave}}, 2.0), note, 0.5, 0.03);
    }
}

TEST_F(NoteTracker, NamesAToneWithASubOctaveByItsOwnPitch) {
    for (int note : {52, 60, 69}) {
        m_collector = CCollector();
        const double f = MidiFrequency(note);
        const Wave tone = Harmonics(f, {1.0, 0.5, 0.3});
        const Wave wave = [tone, f](double t) { return tone(t) + 0.2 * std::sin(kPi * f * t); };
        ExpectOneNote(Detect({{0.5, 0.8, wave}}, 2.0), note, 0.5, 0.03);
    }
}

TEST_F(NoteTracker, NamesASquareWave) {
    for (int note : {45, 57, 76}) {
        m_collector = CCollector();
        const double f = MidiFrequency(note);
        const Wave wave = [f](double t) { return std::sin(2.0 * kPi * f * t) >= 0.0 ? 0.7 : -0.7; };
        ExpectOneNote(Detect({{0.5, 0.8, wave}}, 2.0), note, 0.5, 0.03);
    }
}

TEST_F(NoteTracker, NamesAnOrganStackOfOctavesByItsLowest) {
    for (int note : {48, 55, 62}) {
        m_collector = CCollector();
        const double f = MidiFrequency(note);
        const Wave wave = [f](double t) {
            return 0.6 * std::sin(2.0 * kPi * f * t) + 0.6 * std::sin(4.0 * kPi * f * t) +
                   0.5 * std::sin(8.0 * kPi * f * t) + 0.3 * std::sin(16.0 * kPi * f * t);
        };
        ExpectOneNote(Detect({{0.5, 0.8, wave}}, 2.0), note, 0.5, 0.03);
    }
}

// An organ registration with a quint stop sounds a fifth over the octave
// below the key beside the key's own partials: the sound repeats at twice
// the key's period, but nothing sounds at the octave below itself.
TEST_F(NoteTracker, NamesAnOrganNoteWithAQuintStopByItsKey) {
    for (int note : {74, 79, 84, 88}) {
        m_collector = CCollector();
        const double f = MidiFrequency(note);
        const Wave wave = [f](double t) {
            return 0.8 * std::sin(2.0 * kPi * f * t) + 0.35 * std::sin(3.0 * kPi * f * t) +
                   0.9 * std::sin(4.0 * kPi * f * t) + 0.5 * std::sin(6.0 * kPi * f * t) +
                   0.4 * std::sin(8.0 * kPi * f * t);
        };
        ExpectOneNote(Detect({{0.5, 0.8, wave}}, 2.0), note, 0.5, 0.03);
    }
}

// A plucked string's first few tens of milliseconds can hold a body thump a
// third of its pitch, which makes the attack repeat at three periods.
TEST_F(NoteTracker, NamesAPluckWhoseAttackThumpsAtAThirdOfItsPitch) {
    for (int note : {65, 71, 81}) {
        m_collector = CCollector();
        const double f = MidiFrequency(note);
        const Wave tone = Harmonics(f, {1.0, 0.6, 0.8, 0.3});
        const Wave wave = [tone, f](double t) {
            const double thump = 0.5 * std::exp(-60.0 * t);
            return tone(t) + thump * (std::sin(2.0 * kPi * f / 3.0 * t) +
                                      0.6 * std::sin(4.0 * kPi * f / 3.0 * t));
        };
        TONE pluck{0.5, 0.8, wave};
        pluck.decay = 2.0;
        ExpectOneNote(Detect({pluck}, 2.0), note, 0.5, 0.03);
    }
}

// A bass string's pluck can thump an octave below its pitch for the first
// hundred milliseconds or so; the note is the string's.
TEST_F(NoteTracker, NamesABassPluckWhoseAttackThumpsAnOctaveLow) {
    const std::pair<int, double> plucks[] = {{36, 1.0}, {39, 1.0}, {43, 1.0}, {36, 1.5}, {39, 1.2}};
    for (const auto& [note, thumpLevel] : plucks) {
        m_collector = CCollector();
        const double f = MidiFrequency(note);
        const Wave tone = Harmonics(f, {1.0, 0.7, 0.4, 0.3});
        const Wave wave = [tone, f, level = thumpLevel](double t) {
            const double thump = level * std::exp(-25.0 * t);
            return tone(t) + thump * (std::sin(kPi * f * t) + 0.3 * std::sin(3.0 * kPi * f * t));
        };
        TONE pluck{0.5, 0.8, wave};
        pluck.decay = 2.0;
        ExpectOneNote(Detect({pluck}, 2.0, 0.0, true, 0.05f, true), note, 0.5, 0.03);
    }
}

// A reed's or a flute's first tens of milliseconds can bark at one and a
// half and two and a half times its pitch, which makes the attack repeat at
// twice its period: the note is named by the tone that follows.
TEST_F(NoteTracker, NamesAReedWhoseAttackRepeatsAtTwiceItsPeriod) {
    for (int note : {67, 74, 79}) {
        m_collector = CCollector();
        const double f = MidiFrequency(note);
        const Wave tone = Harmonics(f, {1.0, 0.5, 0.3});
        const Wave wave = [tone, f](double t) {
            const double bark = 0.8 * std::exp(-40.0 * t);
            return tone(t) +
                   bark * (std::sin(3.0 * kPi * f * t) + 0.6 * std::sin(5.0 * kPi * f * t));
        };
        ExpectOneNote(Detect({{0.5, 0.8, wave}}, 2.0), note, 0.5, 0.03);
    }
}

// A nylon string low on the neck: its second partial outsounds the
// fundamental by 12 dB and its odd partials are faint, so its period
// repeats almost at half; the note is named by its own period all the same.
TEST_F(NoteTracker, NamesALowPluckWhoseSecondPartialOutsoundsItsFundamental) {
    for (int note : {45, 47, 48}) {
        m_collector = CCollector();
        TONE pluck{0.5, 0.6, Harmonics(MidiFrequency(note), {0.25, 1.0, 0.05, 0.3, 0.02, 0.1})};
        pluck.decay = 2.0;
        ExpectOneNote(Detect({pluck}, 1.5), note, 0.5, 0.03);
    }
}

// A flute's or a saxophone's tone can speak an octave low while its level
// still swells: for its first few tens of milliseconds it repeats at twice
// its period, and the note is named by the tone that follows.
TEST_F(NoteTracker, NamesAWindNoteWhoseSwellSpeaksAnOctaveLow) {
    for (int note : {64, 70, 76}) {
        m_collector = CCollector();
        const double f = MidiFrequency(note);
        const Wave tone = Harmonics(f, {1.0, 0.3, 0.1});
        const Wave wave = [tone, f](double t) {
            const double swell = std::min(1.0, t / 0.06);
            const double low = 0.25 * std::exp(-50.0 * t);
            return swell * swell * tone(t) +
                   low * (std::sin(kPi * f * t) + 0.5 * std::sin(3.0 * kPi * f * t));
        };
        ExpectOneNote(Detect({{0.5, 0.8, wave}}, 2.0), note, 0.5, 0.03);
    }
}

// In a reverberant room the last note still sounds under the next: A4
// fading under the E5 above it repeats at 220 Hz, which is neither note.
TEST_F(NoteTracker, NamesANoteOverTheTailOfTheOneAFifthBelow) {
    TONE first{0.5, 0.8, Harmonics(MidiFrequency(69), {1.0, 0.5, 0.3})};
    first.decay = 2.5;
    const TONE second{1.0, 0.6, Harmonics(MidiFrequency(76), {1.0, 0.5, 0.3})};
    const std::vector<FOUND> starts = Detect({first, second}, 2.5);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].note, 69);
    EXPECT_EQ(starts[1].note, 76);
    EXPECT_NEAR(starts[1].time, 1.0, 0.03);
}

// A note a semitone or a tone from the last one, rising out of its ringing:
// at the short lags of high notes the last note's span of lags holds the
// new note's period too, and the new note must not be taken for it.
TEST_F(NoteTracker, NamesANoteOverTheRingingOfOneASemitoneOrToneAway) {
    const int pairs[][2] = {{77, 78}, {72, 74}, {81, 80}, {66, 68}};
    for (const auto& pair : pairs) {
        m_collector = CCollector();
        TONE first{0.5, 1.3, Harmonics(MidiFrequency(pair[0]), {1.0, 0.6, 0.4, 0.2})};
        first.decay = 2.0;
        TONE second{1.0, 0.6, Harmonics(MidiFrequency(pair[1]), {1.0, 0.6, 0.4, 0.2})};
        second.level = 0.2;
        second.attack = 0.03;
        const std::vector<FOUND> starts = Detect({first, second}, 2.5);
        ASSERT_GE(starts.size(), 2u);
        EXPECT_EQ(starts[0].note, pair[0]);
        EXPECT_EQ(starts[1].note, pair[1]);
        EXPECT_NEAR(starts[1].time, 1.0, 0.12);
    }
}

// A bowed or sung line: the next note swells out of the last one's fading
// end without an attack the spectrum would show.
TEST_F(NoteTracker, HearsANoteSwellingOutOfTheLastOneWhereItRises) {
    TONE first{0.5, 0.7, Harmonics(MidiFrequency(57), {1.0, 0.5, 0.3})};
    first.decay = 3.0;
    TONE second{1.2, 0.8, Harmonics(MidiFrequency(60), {1.0, 0.5, 0.3})};
    second.attack = 0.08;
    const std::vector<FOUND> starts = Detect({first, second}, 2.5);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1].note, 60);
    EXPECT_NEAR(starts[1].time, 1.2, 0.05);
}

// A few voices singing one line a little apart in pitch: their fundamentals
// are weak beside their second partials and their period smears, so it is
// read an octave high now and then. A change of note without an attack is
// still heard on time and in its own octave.
Wave Voices(double frequency) {
    const std::vector<double> partials = {0.2, 1.0, 0.4, 0.2};
    const double apart = std::pow(2.0, 30.0 / 1200.0);
    const Wave voices[] = {Harmonics(frequency, partials), Harmonics(frequency * apart, partials),
                           Harmonics(frequency / apart, partials)};
    return [voices](double t) { return (voices[0](t) + voices[1](t) + voices[2](t)) / 3.0; };
}

TEST_F(NoteTracker, HearsVoicesMoveToTheNextNoteWithoutAnAttack) {
    const int notes[][2] = {{50, 52}, {57, 55}, {60, 62}};
    for (int pair : {0, 1, 2}) {
        m_collector = CCollector();
        TONE first{0.5, 0.75, Voices(MidiFrequency(notes[pair][0]))};
        TONE second{1.2, 0.8, Voices(MidiFrequency(notes[pair][1]))};
        second.attack = 0.06;
        const std::vector<FOUND> starts = Detect({first, second}, 2.5);
        ASSERT_EQ(starts.size(), 2u);
        EXPECT_EQ(starts[0].note, notes[pair][0]);
        EXPECT_EQ(starts[1].note, notes[pair][1]);
        EXPECT_NEAR(starts[1].time, 1.2, 0.06);
    }
}

// A voice crossfading into its next note keeps its level, so no lull marks
// the step: it starts where the last note's period was first troubled, not
// where the next one's became clear.
TEST_F(NoteTracker, StartsACrossfadedStepWhereTheLastNotesPeriodIsFirstTroubled) {
    const int notes[][2] = {{60, 63}, {67, 65}, {72, 75}, {55, 57}};
    constexpr double kFade = 0.1;
    for (int pair : {0, 1, 2, 3}) {
        m_collector = CCollector();
        const Wave last = Harmonics(MidiFrequency(notes[pair][0]), {1.0, 0.5, 0.3});
        const Wave fading = [last](double t) {
            return last(t) * std::clamp((1.0 + kFade - t) / kFade, 0.0, 1.0);
        };
        TONE first{0.5, 1.0 + kFade, fading};
        TONE second{1.5, 0.8, Harmonics(MidiFrequency(notes[pair][1]), {1.0, 0.5, 0.3})};
        second.attack = kFade;
        const std::vector<FOUND> starts = Detect({first, second}, 2.5);
        ASSERT_EQ(starts.size(), 2u);
        EXPECT_EQ(starts[1].note, notes[pair][1]);
        EXPECT_NEAR(starts[1].time, 1.5, 0.04);
    }
}

// A hop of the bass range is shorter than a low note's period, so its level
// ripples with the waveform; that is no swell to wait for.
TEST_F(NoteTracker, TellsALowBassNoteWithoutWaitingOnItsLevelsRipple) {
    for (int note : {28, 33, 40}) {
        m_collector = CCollector();
        TONE tone{0.5, 0.8, Harmonics(MidiFrequency(note), {1.0, 0.6, 0.4, 0.3})};
        tone.decay = 1.5;
        const std::vector<FOUND> starts = Detect({tone}, 2.0, 0.0, true, 0.05f, true);
        ExpectOneNote(starts, note, 0.5, 0.03);
        EXPECT_LT(starts[0].told - 0.5, 0.075) << note;
    }
}

// A long reverberant tail dies away about the trigger after the note
// ended: it rises through the trigger again and again, but it is the note
// that was, no new one.
TEST_F(NoteTracker, HearsNoNewNoteInTheLastNotesDyingReverberation) {
    const double f = MidiFrequency(69);
    const Wave note = Harmonics(f, {1.0, 0.5, 0.3});
    TONE played{0.5, 0.5, note};
    // The tail swells and fades about twice a second, far under the note.
    const Wave tail = [note](double t) { return note(t) * (0.6 + 0.4 * std::sin(12.0 * t)); };
    TONE dying{1.0, 1.5, tail};
    dying.level = 0.3 / 60.0;
    dying.attack = 0.001;
    const std::vector<FOUND> starts = Detect({played, dying}, 3.0, 0.0015);
    ExpectOneNote(starts, 69, 0.5, 0.03);
}

TEST_F(NoteTracker, FindsASlowAttackWithinFiftyMillisecondsOfItsStart) {
    TONE tone{1.0, 1.0, Harmonics(MidiFrequency(62), {1.0, 0.4, 0.2})};
    tone.attack = 0.150;
    ExpectOneNote(Detect({tone}, 2.5), 62, 1.0, 0.05);
}

// In noise, the last note's soft tail can stay a little above the floor
// until the next note swells out of it: that note begins where the tail was
// quietest, not as far back as the trace looks.
TEST_F(NoteTracker, StartsABowedNoteOverTheLastOnesTailInNoiseWhereItRises) {
    TONE first{0.6, 0.7, Harmonics(MidiFrequency(57), {1.0, 0.5, 0.3})};
    first.level = 0.25;
    TONE tail{1.3, 0.4, Harmonics(MidiFrequency(57), {1.0, 0.5, 0.3})};
    tail.level = 0.035;
    tail.attack = 0.001;
    tail.decay = 1.0;
    TONE second{1.55, 0.6, Harmonics(MidiFrequency(62), {1.0, 0.5, 0.3})};
    second.level = 0.25;
    second.attack = 0.06;
    const std::vector<FOUND> starts = Detect({first, tail, second}, 3.0, 0.02);
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[1].note, 62);
    EXPECT_NEAR(starts[1].time, 1.55, 0.03);
}

// A tone of a frequency swinging ±30 cents at 5.5 Hz.
Wave Vibrato(double f) {
    return [f](double t) {
        const double depth = std::pow(2.0, 30.0 / 1200.0) - 1.0;
        const double rate = 5.5;
        const double phase =
            2.0 * kPi * f * (t - depth / (2.0 * kPi * rate) * std::cos(2.0 * kPi * rate * t));
        return std::sin(phase) + 0.4 * std::sin(2.0 * phase) + 0.2 * std::sin(3.0 * phase);
    };
}

TEST_F(NoteTracker, HoldsVibratoOfThirtyCentsAsOneNote) {
    ExpectOneNote(Detect({{0.5, 2.0, Vibrato(MidiFrequency(67))}}, 3.0), 67, 0.5, 0.03);
}

// A singer with vibrato moving legato to the next note (a semitone or more):
// the new pitch never holds still, yet the step is heard.
TEST_F(NoteTracker, HearsALegatoStepSungWithVibrato) {
    const int notes[][2] = {{60, 62}, {67, 64}, {72, 71}};
    for (int pair : {0, 1, 2}) {
        m_collector = CCollector();
        const Wave last = Vibrato(MidiFrequency(notes[pair][0]));
        const Wave fading = [last](double t) {
            return last(t) * std::clamp((0.8 - t) / 0.08, 0.0, 1.0);
        };
        TONE first{0.5, 0.8, fading};
        TONE second{1.22, 0.8, Vibrato(MidiFrequency(notes[pair][1]))};
        second.attack = 0.08;
        const std::vector<FOUND> starts = Detect({first, second}, 2.5);
        ASSERT_EQ(starts.size(), 2u);
        EXPECT_EQ(starts[1].note, notes[pair][1]);
        EXPECT_NEAR(starts[1].time, 1.22, 0.06);
        EXPECT_LT(starts[1].told - 1.22, 0.16);
    }
}

TEST_F(NoteTracker, HoldsThePianoLikeBeatingOfTwoDetunedPartialsAsOneNote) {
    const double f = MidiFrequency(57);
    const Wave wave = [f](double t) {
        return 0.5 * std::sin(2.0 * kPi * f * t) + 0.5 * std::sin(2.0 * kPi * (f + 1.5) * t) +
               0.3 * std::sin(4.0 * kPi * f * t) + 0.3 * std::sin(4.0 * kPi * (f + 1.2) * t);
    };
    TONE tone{0.5, 2.5, wave};
    tone.decay = 0.8;
    ExpectOneNote(Detect({tone}, 3.5), 57, 0.5, 0.03);
}

TEST_F(NoteTracker, SplitsRepeatedNotesOfTheSamePitchAtTheirOnsets) {
    const Wave wave = Harmonics(MidiFrequency(64), {1.0, 0.5, 0.3, 0.2});
    std::vector<TONE> tones;
    for (double start : {0.5, 0.9, 1.3}) {
        TONE tone{start, 0.4, wave};
        tone.decay = 6.0;  // struck: it fades until the next stroke
        tones.push_back(tone);
    }
    const std::vector<FOUND> starts = Detect(tones, 2.5);
    ASSERT_EQ(starts.size(), 3u);
    for (size_t i = 0; i < starts.size(); ++i) {
        EXPECT_EQ(starts[i].note, 64);
        EXPECT_NEAR(starts[i].time, tones[i].start, 0.03);
    }
}

TEST_F(NoteTracker, HearsNoNoteInSilenceOrRoomNoise) {
    EXPECT_TRUE(Detect({}, 3.0).empty());
    m_collector = CCollector();
    EXPECT_TRUE(Detect({}, 3.0, 0.01).empty());  // -40 dB
    m_collector = CCollector();
    EXPECT_TRUE(Detect({}, 3.0, 0.0003).empty());  // a quiet room
}

TEST_F(NoteTracker, DetectsAMelodyAlikeAtFortyAndTwentyDecibelsOfNoise) {
    std::vector<TONE> tones;
    const int melody[] = {60, 64, 67, 72, 65};
    for (int i = 0; i < 5; ++i) {
        TONE tone{0.6 + 0.5 * i, 0.4, Harmonics(MidiFrequency(melody[i]), {1.0, 0.5, 0.3})};
        tone.level = 0.25;
        tones.push_back(tone);
    }
    // The tones' RMS is about 0.2; noise 40 and 20 dB under it.
    const std::vector<FOUND> quiet = Detect(tones, 3.5, 0.002);
    m_collector = CCollector();
    const std::vector<FOUND> noisy = Detect(tones, 3.5, 0.02);
    ASSERT_EQ(quiet.size(), 5u);
    ASSERT_EQ(noisy.size(), 5u);
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(quiet[i].note, melody[i]);
        EXPECT_EQ(noisy[i].note, melody[i]);
        EXPECT_NEAR(quiet[i].time, tones[i].start, 0.03);
        EXPECT_NEAR(noisy[i].time, tones[i].start, 0.03);
    }
}

TEST_F(NoteTracker, HearsAQuietNoteWithTheAutomaticTriggerButNotUnderAFixedOne) {
    TONE tone{0.8, 0.6, Harmonics(MidiFrequency(69), {1.0, 0.3})};
    tone.level = 0.01;  // -40 dB: under the fixed 0.05
    ExpectOneNote(Detect({tone}, 2.0), 69, 0.8, 0.03);
    m_collector = CCollector();
    EXPECT_TRUE(Detect({tone}, 2.0, 0.0, false, 0.05f).empty());
}

TEST_F(NoteTracker, TellsASteadyPitchForTheTuner) {
    const double sharp = MidiFrequency(69) * std::pow(2.0, 20.0 / 1200.0);
    ExpectOneNote(Detect({{0.5, 1.0, Harmonics(sharp, {1.0, 0.3})}}, 2.0), 69, 0.5, 0.03);
    ASSERT_FALSE(m_collector.pitches.empty());
    for (double pitch : m_collector.pitches) {
        EXPECT_NEAR(1200.0 * std::log2(pitch / sharp), 0.0, 3.0);
    }
    TUNER_READING reading;
    ASSERT_TRUE(CTunerReading::Read(m_collector.pitches.back(), reading));
    EXPECT_STREQ(reading.text.GetText(), "A4 +20 cents");
}

TEST(TunerReading, NamesTheNearestNoteAndTheCentsOff) {
    TUNER_READING reading;
    ASSERT_TRUE(CTunerReading::Read(440.0 * std::pow(2.0, 20.0 / 1200.0), reading));
    EXPECT_EQ(reading.midiNote, 69);
    EXPECT_NEAR(reading.cents, 20.0, 0.01);
    EXPECT_STREQ(reading.text.GetText(), "A4 +20 cents");
    ASSERT_TRUE(CTunerReading::Read(MidiFrequency(61) * std::pow(2.0, -12.0 / 1200.0), reading));
    EXPECT_STREQ(reading.text.GetText(), "C#4 -12 cents");
    EXPECT_FALSE(CTunerReading::Read(0.0, reading));
    EXPECT_FALSE(CTunerReading::Read(-5.0, reading));
}

}  // namespace
