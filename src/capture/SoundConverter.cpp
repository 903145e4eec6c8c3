#include "capture/SoundConverter.h"

#include <cstring>
#include <vector>

#include "audio/SampleOps.h"

namespace {

constexpr int kBitsPerByte = 8;

// One sample of any width as a 16-bit value.
int16_t ReadSample(const uint8_t* at, int bytes) {
    switch (bytes) {
        case 1:
            return static_cast<int16_t>((at[0] - 128) * 256);
        case 2: {
            int16_t value = 0;
            std::memcpy(&value, at, sizeof value);
            return value;
        }
        default:  // 3 or 4: the top two bytes of the little-endian value
            return static_cast<int16_t>(at[bytes - 2] | (at[bytes - 1] << 8));
    }
}

}  // namespace

bool CSoundConverter::Convert(const CSoundInfo& source, const WAVE_FORMAT& target,
                              CSoundInfo& result, CCharString& error) {
    const WAVE_FORMAT& from = source.format;
    const int width = from.bitsPerSample / kBitsPerByte;
    if (from.formatTag != WAVE_FORMAT::kPcm || width < 1 || width > 4 || from.channels == 0 ||
        from.samplesPerSecond == 0 || from.blockAlign != width * from.channels) {
        error = "Can't convert the sound: it is no PCM sound of 8 to 32 bits";
        return false;
    }
    if (target.bitsPerSample != 16 || target.channels < 1 || target.channels > 2 ||
        target.samplesPerSecond == 0) {
        error = "Can't convert the sound: the target is no 16-bit mono or stereo format";
        return false;
    }
    // Width and channels first, at the source's rate.
    const size_t frames = source.GetSize() / from.blockAlign;
    std::vector<int16_t> values(frames * target.channels);
    const uint8_t* data = source.GetData();
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t* frame = data + f * from.blockAlign;
        const int16_t left = ReadSample(frame, width);
        const int16_t right = from.channels > 1 ? ReadSample(frame + width, width) : left;
        if (target.channels == 1) {
            values[f] = static_cast<int16_t>((left + right) / 2);
        } else {
            values[2 * f] = left;
            values[2 * f + 1] = right;
        }
    }
    WAVE_FORMAT format = WAVE_FORMAT::Pcm(target.channels, from.samplesPerSecond, 16);
    const double ratio = static_cast<double>(from.samplesPerSecond) / target.samplesPerSecond;
    if (from.samplesPerSecond < target.samplesPerSecond && frames > 0) {
        // Interpolated up.
        const auto outFrames = static_cast<size_t>(frames / ratio);
        std::vector<int16_t> up(outFrames * target.channels);
        for (size_t f = 0; f < outFrames; ++f) {
            const double x = f * ratio;
            const auto k = static_cast<size_t>(x);
            const size_t next = k + 1 < frames ? k + 1 : k;
            const double part = x - k;
            for (int c = 0; c < target.channels; ++c) {
                const double a = values[k * target.channels + c];
                const double b = values[next * target.channels + c];
                up[f * target.channels + c] = static_cast<int16_t>(a + part * (b - a));
            }
        }
        values.swap(up);
        format = WAVE_FORMAT::Pcm(target.channels, target.samplesPerSecond, 16);
    }
    result = CSoundInfo();
    result.format = format;
    const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
    result.SetData(std::vector<uint8_t>(bytes, bytes + values.size() * sizeof(int16_t)));
    result.fileName = source.fileName;
    if (format.samplesPerSecond > target.samplesPerSecond) {
        return CSampleOps::ResampleDown(result, target.samplesPerSecond, error);
    }
    return true;
}
