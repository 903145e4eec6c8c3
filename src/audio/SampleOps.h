#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/WaveFormat.h"
#include "foundation/CharString.h"

class CSoundInfo;

// Operations on sampled sound: time and size conversions, the mixing rule of
// two 16-bit values, the pan law, and changes of a sound's level, length and
// rate; the file utilities read, change and save whole files. Failures
// return false with the text in error.
class CSampleOps {
public:
    // seconds × block align × rate, truncated, rounded down to whole frames;
    // 0 for seconds <= 0 and below one frame.
    static uint32_t SecondsToBytes(const WAVE_FORMAT& format, double seconds);
    static double BytesToSeconds(const WAVE_FORMAT& format, uint32_t bytes);

    // a (present) mixed with b (added): both >= 0: a + b - a*b/32767; both
    // < 0: a + b + a*b/32768; different signs: a + b; stored as 16 bits.
    static int16_t Mix(int16_t a, int16_t b);
    // Mixes count 16-bit values of add into dest; a count of 0 fails with
    // "Mixng zero sizes".
    static bool MixValues(int16_t* dest, const int16_t* add, size_t count, CCharString& error);
    // Splits s by pan (-1 left .. 1 right): pan > 0 gives left = (1 - pan) s,
    // right = s; pan < 0 gives left = s, right = (1 + pan) s.
    static void SplitByPan(int16_t s, float pan, int16_t& left, int16_t& right);

    // Scales every 16-bit value of every channel so that the peak is level
    // (0..1); a sound whose peak is at most 0.001 of full scale, a sound of
    // another bit depth and a level that is negative or not finite leave
    // the sound as it is.
    static void Normalise(CSoundInfo& sound, double level);
    // Drops what comes before the first value >= threshold (back to the
    // zero crossing before it, in whole frames) and cuts the sound to
    // maxSeconds (none for maxSeconds <= 0), ending at a zero crossing;
    // nothing changes when no value reaches the threshold. False for a sound
    // that is not 16-bit.
    static bool Trim(CSoundInfo& sound, double threshold, double maxSeconds);
    // target = source pitched up from source.note.frequency to
    // target.note.frequency by linear interpolation of each channel, in
    // source's format (16-bit only); the frequencies must be positive and
    // rising.
    static bool ResampleUp(const CSoundInfo& source, CSoundInfo& target, CCharString& error);
    // Averages each channel of the 16-bit sound down to rate, in place; the
    // format takes the rate. Fails when rate is not below the sound's rate;
    // an empty sound is left as it is.
    static bool ResampleDown(CSoundInfo& sound, uint32_t rate, CCharString& error);

    // A and B (16-bit, the same layout) mixed value by value from
    // offsetSeconds to the end of the shorter one into output; nothing is
    // written when the shorter file ends before the offset.
    static bool MixFiles(const char* pathA, const char* pathB, double offsetSeconds,
                         const char* outputPath, CCharString& error);
    static bool ScaleFile(const char* path, double level, CCharString& error);
    // newPath null or empty: saved under path.
    static bool TrimFile(const char* path, double threshold, double maxSeconds, const char* newPath,
                         CCharString& error);
};
