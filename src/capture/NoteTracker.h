#pragma once

#include <cstdint>
#include <vector>

#include "audio/WaveFormat.h"
#include "capture/Decimator.h"
#include "capture/LevelHistory.h"
#include "capture/NoiseFloor.h"
#include "capture/OnsetDetector.h"
#include "capture/PeriodHistory.h"
#include "capture/PitchNamer.h"
#include "capture/StepWatcher.h"

// Hears what the note tracker finds; times are seconds on the time line of
// the data it was given.
class INoteTrackerListener {
public:
    virtual ~INoteTrackerListener() = default;
    // A note began at time (when its sound began) with this pitch.
    virtual void OnTrackerStart(double time, double frequency, float volume) = 0;
    // The sounding note ended at time.
    virtual void OnTrackerEnd(double time) = 0;
    // A steady pitch heard at time while a note sounds: for a tuner.
    virtual void OnTrackerPitch(double time, double frequency) = 0;
    // The input level (0..1), a few times a second.
    virtual void OnTrackerLevel(double time, float volume) = 0;
};

// The live note detector (pitch method 7). Every hop of about 6 ms of the
// mixed and decimated sound it:
// - learns the room's noise floor while no note sounds and puts the trigger
//   above it (or uses a fixed trigger);
// - finds onsets by spectral flux, or by the level rising through the
//   trigger after silence, traced back to where the sound began;
// - names the sound since the onset (CPitchNamer: YIN with octave checks
//   on the newest periods and on the spectrum) once two hops in a row
//   agree, four for a barely periodic sound; a young pitch whose half
//   period nearly repeats, whose level still swells or which has nothing
//   at its own frequency is watched up to 80 ms (150 ms in the bass); the
//   start is told with the onset's time, or where the level rose out of
//   the last note's sound;
// - follows the sounding note: a pitch within kHoldCents of it (vibrato,
//   beating partials) is the same note; another pitch that settles without
//   an onset (CStepWatcher) ends it and starts the new one (legato) where
//   the sounding note's period was first troubled; a new onset of the same
//   pitch with a rising level splits it (a repeated note);
// - ends it once the level stays under the trigger; the ended note's own
//   reverberation, far quieter, starts no new one.
class CNoteTracker {
public:
    static constexpr double kHoldCents = 70.0;
    static constexpr int kAgreeingHops = 2;

    explicit CNoteTracker(INoteTrackerListener& listener);

    // format: 16-bit PCM; lowRange: the bass range (about 30..420 Hz)
    // instead of the normal one (60..2100 Hz).
    void Start(const WAVE_FORMAT& format, bool lowRange);
    // automatic: the trigger follows the noise floor; else it is fixedLevel
    // (0..1 of full scale, as a level in RMS).
    void SetTrigger(bool automatic, float fixedLevel);
    // frames of 16-bit PCM whose first frame sounded at startSeconds.
    void Add(const uint8_t* bytes, int frames, double startSeconds);

    double GetFloorDb() const { return m_floor.GetFloorDb(); }
    double GetTriggerDb() const { return m_floor.GetTriggerDb(); }
    bool IsSounding() const { return m_note.sounding; }

private:
    struct NOTE {
        bool sounding = false;
        int midi = 0;
        double start = 0.0;
        double loudestDb = -200.0;
    };
    struct PENDING {
        bool active = false;
        int64_t index = 0;   // first value of the sound
        double time = 0.0;   // of the onset
        double began = 0.0;  // where the sound began, told as its start
        double riseDb = 0.0;
        double loudestDb = -200.0;
        int lastMidi = -1;
        double lastFrequency = 0.0;
        int agreeing = 0;
        int hops = 0;
    };
    void Hop(int64_t end);
    double LevelDb(int64_t end) const;
    void FindOnset(int64_t end, double levelDb, double triggerDb);
    void BeginPending(int64_t index, double riseDb);
    void WatchPending(int64_t end, double levelDb);
    void Confirm(int midi, double frequency);
    void Follow(int64_t end, double levelDb);
    void WatchChange(double frequency);
    double RiseBefore(int64_t index, double fallback) const;
    double ChangeStart() const;
    void WatchRelease(int64_t end, double levelDb, double triggerDb);
    void TellPitch(int64_t end, double frequency);
    void EndNote(double time);
    double Fading(int64_t end) const;
    const float* ValuesAt(int64_t index) const;
    double TimeOf(int64_t index) const;
    void Trim();

    INoteTrackerListener& m_listener;
    CDecimator m_decimator;
    CPitchNamer m_namer;
    COnsetDetector m_onsets;
    CNoiseFloor m_floor;
    double m_rate = 0.0;
    int m_hop = 0;
    int m_longestWindow = 0;
    std::vector<float> m_values;  // decimated values from m_base on
    int64_t m_base = 0;           // index of m_values[0]
    int64_t m_done = 0;           // values analysed in whole hops
    int64_t m_blockIndex = 0;     // index of the current block's first value
    double m_blockTime = 0.0;
    NOTE m_note;
    PENDING m_pending;
    CStepWatcher m_steps;
    CPeriodHistory m_periods;
    CLevelHistory m_levels;
    int m_endedMidi = 0;               // the last note that ended
    double m_endedLoudestDb = -200.0;  // its loudest level
    int64_t m_endedIndex = -1;         // when it ended (the value last analysed)
    int64_t m_lastOnset = -1;
    double m_previousLevelDb = -200.0;
    int m_quietHops = 0;
    double m_quietSince = 0.0;
    int m_unvoicedHops = 0;
    std::vector<double> m_steady;  // the newest pitches of the sounding note
    int64_t m_pitchTold = 0;
    int m_hopsSinceLevel = 0;
    double m_levelPeakDb = -200.0;
};
