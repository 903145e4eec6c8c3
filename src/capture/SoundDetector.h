#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/WaveFormat.h"
#include "capture/NoteTracker.h"
#include "capture/PitchDetector.h"
#include "foundation/CharString.h"
#include "theory/NoteList.h"

class CLogFile;

// Hears what the sound detector finds, on the thread that feeds it.
class ISoundDetectorSink {
public:
    virtual ~ISoundDetectorSink() = default;
    // A note event: a start with its pitch (event kind 1, source 5) or an
    // end (event kind 2), or a pitch change of a sounding note (an end and a
    // start). clockTime is when the note's sound began (a start) or ended
    // (an end), in seconds on the platform clock, so that what is measured
    // from it leaves out the detection's own delay.
    virtual void OnNote(const CNote& note, double clockTime) = 0;
    // A level update (source 6): the sound's volume, no pitch.
    virtual void OnLevel(const CNote& level) = 0;
    // A steady pitch heard while a note sounds (the note tracker, method 7,
    // tells one at most every 50 ms or so): for a tuner readout, see
    // CTunerReading. clockTime is when it was heard, on the platform clock.
    virtual void OnPitch(double /*frequency*/, double /*clockTime*/) {}
};

// Turns captured audio into played notes: it follows the level frame by
// frame to find where a note starts and stops, splits a note when the level
// jumps (a new attack), asks the pitch detector for the frequency of what
// was gathered since the note began, and maps it to a note of the table.
// Once a note is told, the newest pitch window is measured at every step;
// another note heard for kChangeSteps steps in a row (about 50 ms) ends the
// note and starts the new one (legato playing), while a few wrong steps or a
// pitch that swings within the note's band (vibrato) change nothing. Two
// steps split a sung note's vibrato into extra notes about a third more
// often, each of which an exercise counts as a wrong answer.
//
// Pitch method 7 (kNoteTracker, the live method) hands the sound to
// CNoteTracker instead: onsets by spectral flux, YIN pitch, a trigger that
// follows the room's noise floor; see NoteTracker.h.
//
// Threads: everything but construction runs on the thread that feeds it;
// results leave only through the sink.
class CSoundDetector : private INoteTrackerListener {
public:
    // The pitch method that runs the note tracker, and the one the
    // microphone uses unless told otherwise; 1..6 are CPitchDetector's.
    static constexpr int kNoteTracker = 7;
    static constexpr int kLiveMethod = kNoteTracker;

    static constexpr int kNoFrame = 0x7FFFFFFF;
    static constexpr int kPitchSeconds = 60;  // raw bytes gathered at most
    static constexpr int kChangeSteps = 3;    // steps another pitch must hold

    // noteTable (copied) gives the notes by frequency; format is the capture
    // format (16-bit PCM); triggerLevel (0..1) is the level a note must rise
    // through; sink (may be null) and log (may be null) must outlive it.
    CSoundDetector(const CNoteList& noteTable, const WAVE_FORMAT& format, float triggerLevel,
                   ISoundDetectorSink* sink, CLogFile* log = nullptr);
    virtual ~CSoundDetector() = default;
    CSoundDetector(const CSoundDetector&) = delete;
    CSoundDetector& operator=(const CSoundDetector&) = delete;

    // Resets everything and starts detecting with a pitch method (0: off)
    // and range; timeOffset is subtracted from every note time.
    bool Start(double timeOffset, int method, bool lowRange);
    // A captured block that ends now (the platform clock).
    bool AddData(const uint8_t* bytes, uint32_t count);
    // A captured block that ends endSeconds after Start: for files, whose
    // time is their own.
    bool AddDataAt(const uint8_t* bytes, uint32_t count, double endSeconds);
    bool Stop();

    void SetTriggerLevel(float level) { m_triggerFraction = level; }
    // The note tracker's trigger: automatic (the default) follows the
    // room's noise floor; otherwise the trigger level above is used.
    // Takes effect at the next Start.
    void SetAutomaticTrigger(bool automatic) { m_automaticTrigger = automatic; }
    bool IsAutomaticTrigger() const { return m_automaticTrigger; }
    void SetDebug(bool debug) { m_debug = debug; }
    bool IsRunning() const { return m_running; }
    int GetStepLength() const { return m_stepLength; }
    const char* GetError() const { return m_error; }

private:
    void OnTrackerStart(double time, double frequency, float volume) override;
    void OnTrackerEnd(double time) override;
    void OnTrackerPitch(double time, double frequency) override;
    void OnTrackerLevel(double time, float volume) override;
    double FrameTime(int frame) const;
    // When a posted note began (a start) or ended, on the platform clock.
    double ClockTimeOf(const CNote& note) const;
    void NoteStart(int frame);
    void NoteStop(int frame);
    void Step(int frame);
    // Gathers the block's bytes from the save offset up to offset.
    void SavePitchData(int64_t offset);
    bool DetectPitch();
    // Keeps only the newest count gathered bytes.
    void KeepNewest(uint32_t count);
    void Evaluate();
    // Counts the steps a pitch other than the told one holds, and changes
    // the note once it has held for kChangeSteps.
    void WatchChange(const CNote& found, double measured);
    void ForgetChange();
    void PostNote();
    void PostLevel();
    bool FindNote(double frequency, CNote& note) const;
    void ClearPitch(CNote& note) const;
    void Trace(const char* format, ...) const NOTARA_PRINTF(2, 3);

    const CNoteList m_noteTable;
    WAVE_FORMAT m_format;
    ISoundDetectorSink* m_sink;
    CLogFile* m_log;
    CCharString m_error;
    CPitchDetector m_pitch;
    std::vector<uint8_t> m_pitchData;
    uint32_t m_pitchCount = 0;
    bool m_lowRange = false;
    CNote m_current;
    CNote m_reported;
    int m_method = 0;
    double m_startTime = 0.0;
    float m_triggerFraction;
    int m_trigger = 0;
    int m_previousLevel = 0;
    int m_onset = kNoFrame;
    int m_release = kNoFrame;
    int m_framesInStep = 0;
    int m_instrument = THING_LEAD_GUITAR;
    int m_stepPeak = 0;
    int m_previousStepPeak = 0;
    bool m_pending = false;
    bool m_running = false;
    double m_period = 0.0;
    int m_stepLength = 0;
    uint32_t m_minimumPitchBytes = 0;
    double m_blockOffset = 0.0;
    const uint8_t* m_block = nullptr;  // the block being analysed
    int64_t m_saveOffset = -1;         // its first byte not yet gathered; -1: no note
    double m_timeOffset = 0.0;
    bool m_debug = false;
    bool m_automaticTrigger = true;
    std::unique_ptr<CNoteTracker> m_tracker;  // method 7 only
    bool m_trackedOpen = false;               // a tracked note's start was told
    int m_candidate = NOTE_NONE;              // another note heard while one sounds
    int m_candidateSteps = 0;                 // steps in a row it was heard
    double m_candidateTime = 0.0;             // when it began to sound (note time)
};
