#include "audio/Generator.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "audio/SampleOps.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"

namespace {

constexpr double kFullCircle = 360.0;
constexpr double kFullScale = 32767.0;
constexpr double kHalfPeriod = 0.5;
constexpr uint16_t kValueBits = 16;
constexpr uint16_t kMaxChannels = 2;
constexpr int kAttackEnd = 0;
constexpr int kDecayEnd = 1;
constexpr int kSustainEnd = 2;
constexpr int kReleaseEnd = 3;

bool IsDuration(double seconds) {
    return std::isfinite(seconds) && seconds >= 0.0;
}

// Level change per sample that covers change in duration; none for a stage
// without length (entered for a single sample at most).
double SlopeOver(double change, double duration, double dt) {
    return duration > 0.0 ? change / (duration / dt) : 0.0;
}

int32_t StageAt(const GEN_SOUND_INFO& tone, double t) {
    if (t < 0.0) {
        return GEN_SOUND_INFO::kBefore;
    }
    if (t < tone.stageEnds[kAttackEnd]) {
        return GEN_SOUND_INFO::kAttack;
    }
    if (t < tone.stageEnds[kDecayEnd]) {
        return GEN_SOUND_INFO::kDecay;
    }
    if (t < tone.stageEnds[kSustainEnd]) {
        return GEN_SOUND_INFO::kSustain;
    }
    if (t <= tone.stageEnds[kReleaseEnd]) {
        return GEN_SOUND_INFO::kRelease;
    }
    return GEN_SOUND_INFO::kFinished;
}

double SlopeOf(const GEN_SOUND_INFO& tone, int32_t stage, double dt) {
    switch (stage) {
        case GEN_SOUND_INFO::kAttack:
            return SlopeOver(tone.peak, tone.attack, dt);
        case GEN_SOUND_INFO::kDecay:
            return SlopeOver(-(tone.peak - tone.sustainStart), tone.decay, dt);
        case GEN_SOUND_INFO::kSustain:
            return SlopeOver(-(tone.sustainStart - tone.sustainEnd), tone.sustain, dt);
        case GEN_SOUND_INFO::kRelease:
            return SlopeOver(-tone.sustainEnd, tone.release, dt);
        default:
            return 0.0;
    }
}

// The tone's square-wave value at t, before the pan; advances its state.
int16_t NextSample(GEN_SOUND_INFO& tone, double t, double dt, bool& sounds) {
    const int32_t stage = StageAt(tone, t);
    if (stage != tone.stage) {
        tone.stage = stage;
        tone.slope = SlopeOf(tone, stage, dt);
    }
    sounds = stage != GEN_SOUND_INFO::kFinished;
    int16_t sample = 0;
    if (sounds) {
        tone.fraction = (t - std::floor(t / tone.period) * tone.period) / tone.period;
        const double value = tone.level < 0.0 ? 0.0 : (tone.fraction <= kHalfPeriod ? -1.0 : 1.0);
        const double scaled = std::clamp(value * kFullScale * tone.level, -kFullScale, kFullScale);
        sample = static_cast<int16_t>(scaled);
    }
    tone.phase += tone.phaseStep;
    if (tone.phase >= kFullCircle) {
        tone.phase -= kFullCircle;
    }
    tone.level += tone.slope;
    return sample;
}

}  // namespace

CGenerator::CGenerator(const CCharString& waveFolder) {
    m_fileName.Format("%sGenerated.wav", waveFolder.GetText());
}

bool CGenerator::Fail(const char* text) {
    m_error = text;
    return false;
}

GEN_SOUND_INFO CGenerator::MakeHarmonic(const GEN_SOUND_INFO& base, double octaves, double volume,
                                        double pan) {
    GEN_SOUND_INFO harmonic = base;
    harmonic.frequency = octaves * base.frequency;
    harmonic.peak = base.peak * volume;
    harmonic.sustainStart = base.sustainStart * volume;
    harmonic.sustainEnd = base.sustainEnd * volume;
    harmonic.pan = pan;
    return harmonic;
}

bool CGenerator::CheckTones(const CVarList<GEN_SOUND_INFO>& tones) {
    if (tones.GetCount() == 0) {
        return Fail("Can't generate a sound without tones");
    }
    for (int i = 0; i < tones.GetCount(); ++i) {
        const GEN_SOUND_INFO& tone = *tones.GetAt(i);
        if (!std::isfinite(tone.frequency) || tone.frequency <= 0.0) {
            m_error.Format("Can't generate tone %d: its frequency %g Hz is not positive", i + 1,
                           tone.frequency);
            return false;
        }
        if (!IsDuration(tone.attack) || !IsDuration(tone.decay) || !IsDuration(tone.sustain) ||
            !IsDuration(tone.release)) {
            m_error.Format("Can't generate tone %d: a stage has a negative duration", i + 1);
            return false;
        }
    }
    return true;
}

bool CGenerator::Generate(const CVarList<GEN_SOUND_INFO>& tones, CSoundInfo& out) {
    if (!CheckTones(tones)) {
        return false;
    }
    if (out.format.blockAlign == 0) {
        out.format = WAVE_FORMAT::Stream();
    }
    const WAVE_FORMAT& format = out.format;
    if (format.bitsPerSample != kValueBits || format.channels == 0 ||
        format.channels > kMaxChannels || format.samplesPerSecond == 0) {
        return Fail("Can't generate a sound other than 16-bit mono or stereo");
    }
    std::vector<GEN_SOUND_INFO> work;
    for (int i = 0; i < tones.GetCount(); ++i) {
        GEN_SOUND_INFO tone = *tones.GetAt(i);
        tone.phaseStep = kFullCircle / (format.samplesPerSecond / tone.frequency);
        tone.period = 1.0 / tone.frequency;
        tone.stageEnds[kAttackEnd] = tone.attack;
        tone.stageEnds[kDecayEnd] = tone.stageEnds[kAttackEnd] + tone.decay;
        tone.stageEnds[kSustainEnd] = tone.stageEnds[kDecayEnd] + tone.sustain;
        tone.stageEnds[kReleaseEnd] = tone.stageEnds[kSustainEnd] + tone.release;
        tone.stage = GEN_SOUND_INFO::kBefore;
        tone.level = 0.0;
        tone.slope = 0.0;
        tone.phase = 0.0;
        work.push_back(tone);
    }
    // The first tone's envelope, rounded to whole frames, sets the length.
    const double length = work.front().stageEnds[kReleaseEnd];
    const double frames = std::floor(length * format.samplesPerSecond + 0.5);
    if (frames < 2.0) {
        return Fail("Can't generate a sound shorter than two frames");
    }
    if (frames * format.blockAlign > static_cast<double>(CSoundFile::kMaxReadSize)) {
        return Fail("Can't generate a sound that long");
    }
    if (!out.Allocate(static_cast<uint32_t>(frames) * format.blockAlign)) {
        return Fail("Can't allocate the generated sound");
    }
    Render(work.data(), static_cast<int>(work.size()), out, length / (frames - 1.0));
    CSoundFile file;
    if (!file.Save(m_fileName, out)) {
        m_error.Format("Can't save generated sound (%s): %s", m_fileName.GetText(),
                       file.GetError());
        return false;
    }
    return true;
}

void CGenerator::Render(GEN_SOUND_INFO* tones, int count, CSoundInfo& out, double dt) const {
    const WAVE_FORMAT& format = out.format;
    const uint32_t frames = out.GetSize() / format.blockAlign;
    const bool stereo = format.channels == kMaxChannels;
    int16_t* values = out.GetValues();
    for (uint32_t f = 0; f < frames; ++f) {
        const double t = CSampleOps::BytesToSeconds(format, f * format.blockAlign);
        int16_t* frame = values + static_cast<size_t>(f) * format.channels;
        for (int i = 0; i < count; ++i) {
            bool sounds = false;
            const int16_t sample = NextSample(tones[i], t, dt, sounds);
            if (!sounds) {
                continue;
            }
            if (!stereo) {
                frame[0] = CSampleOps::Mix(frame[0], sample);
                continue;
            }
            int16_t left = 0;
            int16_t right = 0;
            CSampleOps::SplitByPan(sample, static_cast<float>(tones[i].pan), left, right);
            frame[0] = CSampleOps::Mix(frame[0], left);
            frame[1] = CSampleOps::Mix(frame[1], right);
        }
    }
}
