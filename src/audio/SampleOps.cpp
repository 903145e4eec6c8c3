#include "audio/SampleOps.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"

namespace {

constexpr int32_t kFullScale = 32767;
constexpr int32_t kNegativeFullScale = 32768;
constexpr int16_t kMinValue = std::numeric_limits<int16_t>::min();
constexpr int16_t kMaxValue = std::numeric_limits<int16_t>::max();
constexpr uint16_t kValueBits = 16;
constexpr uint32_t kValueBytes = 2;
// Below this fraction of full scale a sound counts as silence.
constexpr double kSilentLevel = 0.001;

int16_t Clamp16(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    if (value < kMinValue) {
        return kMinValue;
    }
    if (value > kMaxValue) {
        return kMaxValue;
    }
    return static_cast<int16_t>(value);
}

int16_t Clamp16(int32_t value) {
    return static_cast<int16_t>(std::clamp<int32_t>(value, kMinValue, kMaxValue));
}

// A 16-bit PCM sound with at least one whole frame of data.
bool Is16Bit(const CSoundInfo& sound) {
    return sound.format.bitsPerSample == kValueBits && sound.format.channels > 0 &&
           sound.format.blockAlign == sound.format.channels * kValueBytes;
}

uint32_t ValueCount(const CSoundInfo& sound) {
    return sound.GetSize() / kValueBytes;
}

bool IsZeroCrossing(int16_t value, int16_t previous) {
    return (value > 0 && previous <= 0) || (value < 0 && previous >= 0);
}

// The nearest value index at or before index (stepping by channels, so in
// the same channel) where a zero crossing begins; the channel's first value
// when there is none.
uint32_t CrossingBefore(const int16_t* values, uint32_t index, uint32_t channels) {
    while (index >= channels) {
        if (IsZeroCrossing(values[index], values[index - channels])) {
            return index;
        }
        index -= channels;
    }
    return index;
}

bool ReadFile(const char* path, CSoundInfo& sound, CCharString& error) {
    CSoundFile file;
    if (!file.ReadInfo(path, sound)) {
        error.Format("Can't read file (%s): %s", path, file.GetError());
        return false;
    }
    return true;
}

bool SaveChanged(const char* path, const CSoundInfo& sound, CCharString& error) {
    CSoundFile file;
    if (!file.Save(path, sound)) {
        error.Format("Can't save changed file (%s): %s", path, file.GetError());
        return false;
    }
    return true;
}

}  // namespace

uint32_t CSampleOps::SecondsToBytes(const WAVE_FORMAT& format, double seconds) {
    if (!(seconds > 0.0) || format.blockAlign == 0) {
        return 0;
    }
    const double bytes = static_cast<double>(format.blockAlign) * format.samplesPerSecond * seconds;
    const uint32_t whole = bytes >= static_cast<double>(std::numeric_limits<uint32_t>::max())
                               ? std::numeric_limits<uint32_t>::max()
                               : static_cast<uint32_t>(bytes);
    return whole - whole % format.blockAlign;
}

double CSampleOps::BytesToSeconds(const WAVE_FORMAT& format, uint32_t bytes) {
    if (format.averageBytesPerSecond == 0) {
        return 0.0;
    }
    return static_cast<double>(bytes) / format.averageBytesPerSecond;
}

int16_t CSampleOps::Mix(int16_t a, int16_t b) {
    const int32_t x = a;
    const int32_t y = b;
    if (x >= 0 && y >= 0) {
        return Clamp16(x + y - x * y / kFullScale);
    }
    if (x < 0 && y < 0) {
        return Clamp16(x + y + x * y / kNegativeFullScale);
    }
    return Clamp16(x + y);
}

bool CSampleOps::MixValues(int16_t* dest, const int16_t* add, size_t count, CCharString& error) {
    if (count == 0) {
        error = "Mixng zero sizes";
        return false;
    }
    if (dest == nullptr || add == nullptr) {
        error = "Can't mix without values";
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        dest[i] = Mix(dest[i], add[i]);
    }
    return true;
}

void CSampleOps::SplitByPan(int16_t s, float pan, int16_t& left, int16_t& right) {
    const float p = std::isnan(pan) ? 0.0f : std::clamp(pan, -1.0f, 1.0f);
    left = s;
    right = s;
    if (p > 0.0f) {
        left = Clamp16(static_cast<double>(1.0f - p) * s);
    } else if (p < 0.0f) {
        right = Clamp16(static_cast<double>(1.0f + p) * s);
    }
}

// Every 16-bit value of the sound is scaled, whatever its channel count.
void CSampleOps::Normalise(CSoundInfo& sound, double level) {
    if (!Is16Bit(sound) || sound.GetData() == nullptr || !std::isfinite(level) || level < 0.0) {
        return;
    }
    int16_t* values = sound.GetValues();
    const uint32_t count = ValueCount(sound);
    int32_t largest = 0;
    int32_t smallest = 0;
    for (uint32_t i = 0; i < count; ++i) {
        largest = std::max<int32_t>(largest, values[i]);
        smallest = std::min<int32_t>(smallest, values[i]);
    }
    const int32_t peak = std::min(std::max(largest, -smallest), kFullScale);
    const double current = static_cast<double>(peak) / kFullScale;
    if (!(current > kSilentLevel)) {
        return;
    }
    const double factor = level / current;
    for (uint32_t i = 0; i < count; ++i) {
        values[i] = Clamp16(values[i] * factor);
    }
}

// Works on whole frames: the first value (of any channel) that reaches the
// threshold marks the start, the zero crossing before it in its channel is
// where the kept sound begins. maxSeconds <= 0 sets no maximum.
bool CSampleOps::Trim(CSoundInfo& sound, double threshold, double maxSeconds) {
    if (!Is16Bit(sound)) {
        return false;
    }
    const uint32_t channels = sound.format.channels;
    const uint32_t frameBytes = sound.format.blockAlign;
    const uint32_t count = sound.GetSize() / frameBytes * channels;
    if (count == 0) {
        return true;
    }
    const int16_t* values = sound.GetValues();
    const int16_t t = Clamp16(threshold * kFullScale);
    uint32_t first = 0;
    while (first < count && values[first] < t) {
        ++first;
    }
    if (first == count) {
        return true;
    }
    const uint32_t startFrame = CrossingBefore(values, first, channels) / channels;
    const uint32_t kept = (count / channels - startFrame) * frameBytes;
    std::vector<uint8_t> bytes(sound.GetData() + startFrame * frameBytes,
                               sound.GetData() + startFrame * frameBytes + kept);
    if (maxSeconds > 0.0) {
        const uint32_t maxBytes = SecondsToBytes(sound.format, maxSeconds);
        if (bytes.size() > maxBytes) {
            bytes.resize(maxBytes);
        }
    }
    // End at the last zero crossing of the first channel; a sound without
    // one keeps its end.
    const auto* trimmed = reinterpret_cast<const int16_t*>(bytes.data());
    const uint32_t frames = static_cast<uint32_t>(bytes.size()) / frameBytes;
    if (frames > 1) {
        const uint32_t last = (frames - 1) * channels;
        const uint32_t endFrame = CrossingBefore(trimmed, last, channels) / channels;
        if (endFrame > 0) {
            bytes.resize(endFrame * frameBytes);
        }
    }
    sound.SetData(std::move(bytes));
    return true;
}

// Linear interpolation frame by frame, each channel on its own, so that a
// stereo sound's channels stay apart.
bool CSampleOps::ResampleUp(const CSoundInfo& source, CSoundInfo& target, CCharString& error) {
    const double fs = source.note.frequency;
    const double ft = target.note.frequency;
    if (!(fs > 0.0)) {
        error.Format("Can't resample a sound of %0.2f Hz", fs);
        return false;
    }
    if (!(ft > fs)) {
        error.Format("Can only resample up, not from %0.2f to %0.2f", fs, ft);
        return false;
    }
    if (!Is16Bit(source)) {
        error.Format("Can't resample %u-bit sound: only 16-bit", source.format.bitsPerSample);
        return false;
    }
    const double r = ft / fs;
    const uint32_t channels = source.format.channels;
    const uint32_t n = source.GetSize() / source.format.blockAlign;
    const auto m = static_cast<uint32_t>(n / r + 0.5);
    std::vector<uint8_t> bytes(static_cast<size_t>(m) * source.format.blockAlign, 0);
    auto* out = reinterpret_cast<int16_t*>(bytes.data());
    const int16_t* in = source.GetValues();
    // The position in 32.32 fixed point: the banks derive hundreds of notes
    // at start-up, and this is most of that work.
    constexpr double kOne = 4294967296.0;
    const auto step = static_cast<uint64_t>(r * kOne);
    uint64_t x = 0;
    for (uint32_t i = 0; i < m; ++i, x += step) {
        const auto k = static_cast<uint32_t>(x >> 32);
        if (k + 1 >= n) {
            break;  // the rest stays silent
        }
        const auto part = static_cast<int64_t>(x & 0xFFFFFFFFu);
        for (uint32_t c = 0; c < channels; ++c) {
            const int32_t a = in[k * channels + c];
            const int32_t b = in[(k + 1) * channels + c];
            // Truncated toward zero, as the interpolated step is.
            const auto rise = static_cast<int32_t>(part * (b - a) / static_cast<int64_t>(kOne));
            out[i * channels + c] = Clamp16(a + rise);
        }
    }
    target.format = source.format;
    target.SetData(std::move(bytes));
    return true;
}

// The output frames are written over the input frames already averaged, so
// the work is in place; the format takes the new rate.
bool CSampleOps::ResampleDown(CSoundInfo& sound, uint32_t rate, CCharString& error) {
    const uint32_t sourceRate = sound.format.samplesPerSecond;
    if (rate == 0 || rate >= sourceRate) {
        error.Format("Can only resample down, not from %u to %u", sourceRate, rate);
        return false;
    }
    if (sound.GetSize() == 0 || sound.GetData() == nullptr) {
        return true;
    }
    if (!Is16Bit(sound)) {
        error.Format("Can't resample %u-bit sound: only 16-bit", sound.format.bitsPerSample);
        return false;
    }
    const uint32_t channels = sound.format.channels;
    const uint32_t frames = sound.GetSize() / sound.format.blockAlign;
    const float step = static_cast<float>(sourceRate) / static_cast<float>(rate);
    int16_t* values = sound.GetValues();
    uint32_t start = 0;
    uint32_t out = 0;
    // The position is summed in double precision: a float stops growing by
    // the step long before the frame count of a long sound.
    double position = step;
    while (start < frames) {
        const auto rounded = static_cast<uint64_t>(position + 0.5);
        const auto end = static_cast<uint32_t>(std::min<uint64_t>(rounded, frames));
        position += step;
        if (end <= start) {
            continue;
        }
        for (uint32_t c = 0; c < channels; ++c) {
            int64_t sum = 0;
            for (uint32_t f = start; f < end; ++f) {
                sum += values[f * channels + c];
            }
            values[out * channels + c] = static_cast<int16_t>(sum / (end - start));
        }
        ++out;
        start = end;
    }
    const uint32_t size = out * sound.format.blockAlign;
    std::fill(sound.GetData() + size, sound.GetData() + sound.GetSize(), uint8_t{0});
    sound.SetSize(size);
    sound.format.samplesPerSecond = rate;
    sound.format.averageBytesPerSecond = rate * sound.format.blockAlign;
    return true;
}

bool CSampleOps::MixFiles(const char* pathA, const char* pathB, double offsetSeconds,
                          const char* outputPath, CCharString& error) {
    CSoundInfo a;
    CSoundInfo b;
    if (!ReadFile(pathA, a, error) || !ReadFile(pathB, b, error)) {
        return false;
    }
    if (!a.format.SameLayout(b.format)) {
        error = "Formats don't match";
        return false;
    }
    if (!Is16Bit(a)) {
        error.Format("Can't mix %u-bit sounds: only 16-bit", a.format.bitsPerSample);
        return false;
    }
    const uint32_t offset = SecondsToBytes(a.format, offsetSeconds);
    const uint32_t length = std::min(a.GetSize(), b.GetSize());
    if (length < offset) {
        return true;
    }
    CSoundInfo mixed;
    mixed.format = a.format;
    if (!mixed.Allocate(length - offset)) {
        error.Format("Can't allocate %u bytes for the mix", length - offset);
        return false;
    }
    const int16_t* valuesA = reinterpret_cast<const int16_t*>(a.GetData() + offset);
    const int16_t* valuesB = reinterpret_cast<const int16_t*>(b.GetData() + offset);
    int16_t* out = mixed.GetValues();
    for (uint32_t i = 0; i < (length - offset) / kValueBytes; ++i) {
        out[i] = Mix(valuesA[i], valuesB[i]);
    }
    CSoundFile file;
    if (!file.Save(outputPath, mixed)) {
        error.Format("Can't save mixed file (%s): %s", outputPath, file.GetError());
        return false;
    }
    return true;
}

bool CSampleOps::ScaleFile(const char* path, double level, CCharString& error) {
    CSoundInfo sound;
    if (!ReadFile(path, sound, error)) {
        return false;
    }
    if (!Is16Bit(sound)) {
        error = "Can't scale the volume";
        return false;
    }
    Normalise(sound, level);
    return SaveChanged(path, sound, error);
}

bool CSampleOps::TrimFile(const char* path, double threshold, double maxSeconds,
                          const char* newPath, CCharString& error) {
    CSoundInfo sound;
    if (!ReadFile(path, sound, error)) {
        return false;
    }
    if (!Trim(sound, threshold, maxSeconds)) {
        error = "Can't trim the sound";
        return false;
    }
    const bool samePath = newPath == nullptr || *newPath == '\0';
    return SaveChanged(samePath ? path : newPath, sound, error);
}
