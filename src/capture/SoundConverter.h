#pragma once

#include "audio/SoundInfo.h"
#include "foundation/CharString.h"

// Brings a PCM sound of any rate, channel count and width (8, 16, 24 or 32
// bits) into another 16-bit format: widths are scaled to 16 bits, mono is
// doubled to both sides and more channels keep their first two, and the rate
// is averaged down or interpolated up.
class CSoundConverter {
public:
    static bool Convert(const CSoundInfo& source, const WAVE_FORMAT& target, CSoundInfo& result,
                        CCharString& error);
};
