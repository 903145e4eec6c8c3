#pragma once

#include <cstdint>

#include "foundation/CharString.h"
#include "foundation/VarList.h"

class CSoundInfo;

// One tone of a generated sound: a square wave at frequency, shaped by an
// attack-decay-sustain-release envelope and placed by pan. The fields from
// stage on are the generator's working state.
struct GEN_SOUND_INFO {
    static constexpr int kStageCount = 4;
    enum Stage : int32_t { kBefore, kAttack, kDecay, kSustain, kRelease, kFinished };

    double frequency = 0.0;  // Hz
    double peak = 0.0;       // level at the end of the attack, 0..1
    double pan = 0.0;        // -1 left .. 1 right
    double attack = 0.0;     // stage durations in seconds
    double decay = 0.0;
    double sustain = 0.0;
    double release = 0.0;
    double sustainStart = 0.0;  // levels at the start and end of the sustain
    double sustainEnd = 0.0;
    int32_t stage = kBefore;
    double phase = 0.0;      // degrees
    double phaseStep = 0.0;  // degrees per sample
    double period = 0.0;     // seconds
    double fraction = 0.0;   // position inside the current period, 0..1
    double level = 0.0;      // current envelope level
    double slope = 0.0;      // level change per sample in the current stage
    // Cumulative ends of attack, decay, sustain and release, in seconds.
    double stageEnds[kStageCount] = {};
};

// Synthesises a test sound from a list of tones (a base tone and its
// harmonics) and writes it as "Generated.wav" into the wave folder.
class CGenerator {
public:
    // Tone lists grow by this many records.
    static constexpr int kToneGrowStep = 50;

    // waveFolder ends in a separator.
    explicit CGenerator(const CCharString& waveFolder);
    CGenerator(const CGenerator&) = delete;
    CGenerator& operator=(const CGenerator&) = delete;
    virtual ~CGenerator() = default;

    // A harmonic of base: octaves times its frequency, its envelope levels
    // times volume, and pan.
    static GEN_SOUND_INFO MakeHarmonic(const GEN_SOUND_INFO& base, double octaves, double volume,
                                       double pan);

    // Fills out's data with the tones (in out's format, 16-bit mono or
    // stereo; an unset format becomes the stream format) and writes the
    // file. The first tone's envelope sets the length. Fails on an empty
    // list, a frequency that is not positive or a duration that is negative.
    bool Generate(const CVarList<GEN_SOUND_INFO>& tones, CSoundInfo& out);

    // The path Generate writes.
    const CCharString& GetFileName() const { return m_fileName; }
    const char* GetError() const { return m_error; }

private:
    bool Fail(const char* text);
    bool CheckTones(const CVarList<GEN_SOUND_INFO>& tones);
    void Render(GEN_SOUND_INFO* tones, int count, CSoundInfo& out, double dt) const;

    CCharString m_fileName;
    CCharString m_error;
};
