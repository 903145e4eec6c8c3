#include "capture/SoundConverter.h"

#include <cstring>

#include "common/NumberFormat.h"

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

bool CSoundConverter::Start(const WAVE_FORMAT& source, const WAVE_FORMAT& target) {
    const int width = source.bitsPerSample / kBitsPerByte;
    if (source.formatTag != WAVE_FORMAT::kPcm || width < 1 || width > 4 || source.channels == 0 ||
        source.blockAlign != width * source.channels) {
        m_error = "Can't convert the sound: it is no PCM sound of 8 to 32 bits";
        return false;
    }
    if (source.samplesPerSecond < kLowestRate || source.samplesPerSecond > kHighestRate) {
        m_error.Format("Can't convert the sound: its rate of %s Hz is outside %s to %s Hz",
                       NumberFormat::FormatInt(source.samplesPerSecond).c_str(),
                       NumberFormat::FormatInt(kLowestRate).c_str(),
                       NumberFormat::FormatInt(kHighestRate).c_str());
        return false;
    }
    if (target.bitsPerSample != 16 || target.channels < 1 || target.channels > 2 ||
        target.samplesPerSecond == 0) {
        m_error = "Can't convert the sound: the target is no 16-bit mono or stereo format";
        return false;
    }
    m_source = source;
    m_target = target;
    m_width = width;
    m_sourceFrames = m_targetFrames = 0;
    m_previous = FRAME();
    m_sumLeft = m_sumRight = 0;
    m_summed = 0;
    return true;
}

CSoundConverter::FRAME CSoundConverter::ReadFrame(const uint8_t* frame) const {
    const int16_t left = ReadSample(frame, m_width);
    const int16_t right = m_source.channels > 1 ? ReadSample(frame + m_width, m_width) : left;
    if (m_target.channels == 1) {
        const auto mixed = static_cast<int16_t>((left + right) / 2);
        return {mixed, mixed};
    }
    return {left, right};
}

void CSoundConverter::Put(int left, int right, std::vector<int16_t>& values) const {
    values.push_back(static_cast<int16_t>(left));
    if (m_target.channels > 1) {
        values.push_back(static_cast<int16_t>(right));
    }
}

void CSoundConverter::Add(const uint8_t* bytes, uint32_t count, std::vector<int16_t>& values) {
    values.clear();
    if (bytes == nullptr || m_width == 0) {
        return;
    }
    const uint32_t frames = count / m_source.blockAlign;
    for (uint32_t f = 0; f < frames; ++f) {
        const FRAME frame = ReadFrame(bytes + static_cast<size_t>(f) * m_source.blockAlign);
        if (m_source.samplesPerSecond < m_target.samplesPerSecond) {
            Interpolate(frame, values);
        } else if (m_source.samplesPerSecond > m_target.samplesPerSecond) {
            Average(frame, values);
        } else {
            Put(frame.left, frame.right, values);
        }
        ++m_sourceFrames;
    }
}

// Target frame t lies at source position t * S / T; it is made once the
// source frame after that position has come, between the two frames.
void CSoundConverter::Interpolate(const FRAME& frame, std::vector<int16_t>& values) {
    const uint64_t s = m_source.samplesPerSecond;
    const uint64_t t = m_target.samplesPerSecond;
    if (m_sourceFrames > 0) {
        const uint64_t before = (m_sourceFrames - 1) * t;  // the previous frame, in S * T units
        for (; m_targetFrames * s < m_sourceFrames * t; ++m_targetFrames) {
            const double part = static_cast<double>(m_targetFrames * s - before) / t;
            const double left = m_previous.left + part * (frame.left - m_previous.left);
            const double right = m_previous.right + part * (frame.right - m_previous.right);
            Put(static_cast<int>(left), static_cast<int>(right), values);
        }
    }
    m_previous = frame;
}

// Target frame t averages the source frames up to round((t + 1) * S / T).
void CSoundConverter::Average(const FRAME& frame, std::vector<int16_t>& values) {
    const uint64_t s = m_source.samplesPerSecond;
    const uint64_t t = m_target.samplesPerSecond;
    m_sumLeft += frame.left;
    m_sumRight += frame.right;
    ++m_summed;
    const uint64_t end = ((m_targetFrames + 1) * s * 2 + t) / (2 * t);
    if (m_sourceFrames + 1 >= end) {
        Put(static_cast<int>(m_sumLeft / m_summed), static_cast<int>(m_sumRight / m_summed),
            values);
        ++m_targetFrames;
        m_sumLeft = m_sumRight = 0;
        m_summed = 0;
    }
}

void CSoundConverter::Finish(std::vector<int16_t>& values) {
    values.clear();
    if (m_source.samplesPerSecond < m_target.samplesPerSecond) {
        // The last frames lie after the last source frame's position: it
        // has no next frame to move towards.
        const uint64_t s = m_source.samplesPerSecond;
        const uint64_t t = m_target.samplesPerSecond;
        for (; m_targetFrames * s < m_sourceFrames * t; ++m_targetFrames) {
            Put(m_previous.left, m_previous.right, values);
        }
    } else if (m_summed > 0) {
        Put(static_cast<int>(m_sumLeft / m_summed), static_cast<int>(m_sumRight / m_summed),
            values);
        ++m_targetFrames;
        m_summed = 0;
    }
}
