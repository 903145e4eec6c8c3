#include "platform/null/WaveReader.h"

#include <cstring>

namespace {

constexpr uint32_t kRiffHeaderBytes = 12;
constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kFormatBytes = 16;
constexpr uint16_t kPcm = 1;
constexpr uint16_t kBitsPerSample = 16;
constexpr uint32_t kSampleBytes = 2;
// A file of more chunks than this before its samples is not read on.
constexpr int kMaxChunks = 64;

uint32_t Little(const uint8_t* at, int bytes) {
    uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | at[i];
    }
    return value;
}

bool ReadExactly(std::FILE* file, uint8_t* out, uint32_t bytes) {
    return std::fread(out, 1, bytes, file) == bytes;
}

}  // namespace

bool CWaveReader::Fail(const std::string& path, const std::string& text) {
    Close();
    m_error = "Can't read the sound file \"" + path + "\": " + text;
    return false;
}

void CWaveReader::Close() {
    m_file.reset();
    m_channels = 0;
    m_rate = 0;
    m_frames = 0;
    m_framesLeft = 0;
}

bool CWaveReader::Open(const std::string& path) {
    Close();
    m_file.reset(std::fopen(path.c_str(), "rb"));
    if (m_file == nullptr) {
        return Fail(path, "it can't be opened");
    }
    if (std::fseek(m_file.get(), 0, SEEK_END) != 0) {
        return Fail(path, "its size can't be found");
    }
    const long size = std::ftell(m_file.get());
    std::rewind(m_file.get());
    uint8_t header[kRiffHeaderBytes];
    if (size < static_cast<long>(kRiffHeaderBytes) ||
        !ReadExactly(m_file.get(), header, kRiffHeaderBytes) ||
        std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "WAVE", 4) != 0) {
        return Fail(path, "it is no WAVE file");
    }
    return ReadChunks(path, static_cast<uint64_t>(size));
}

// Walks the chunks up to "data", each checked against the file's size;
// the format must come first.
bool CWaveReader::ReadChunks(const std::string& path, uint64_t fileBytes) {
    uint64_t at = kRiffHeaderBytes;
    for (int chunk = 0; chunk < kMaxChunks; ++chunk) {
        uint8_t header[kChunkHeaderBytes];
        if (at + kChunkHeaderBytes > fileBytes ||
            !ReadExactly(m_file.get(), header, kChunkHeaderBytes)) {
            return Fail(path, "it ends before its samples");
        }
        const uint32_t bytes = Little(header + 4, 4);
        at += kChunkHeaderBytes;
        if (at + bytes > fileBytes) {
            return Fail(path, "a chunk of " + std::to_string(bytes) +
                                  " bytes is longer than the rest of the file");
        }
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (!ReadFormat(path, bytes)) {
                return false;
            }
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (m_channels == 0) {
                return Fail(path, "its samples come before their format");
            }
            m_frames = bytes / (kSampleBytes * static_cast<uint32_t>(m_channels));
            m_framesLeft = m_frames;
            return true;
        }
        // Chunks are padded to an even size.
        at += bytes + (bytes & 1u);
        if (at > fileBytes || std::fseek(m_file.get(), static_cast<long>(at), SEEK_SET) != 0) {
            return Fail(path, "it ends before its samples");
        }
    }
    return Fail(path, "it has too many chunks before its samples");
}

bool CWaveReader::ReadFormat(const std::string& path, uint32_t bytes) {
    uint8_t format[kFormatBytes];
    if (bytes < kFormatBytes || !ReadExactly(m_file.get(), format, kFormatBytes)) {
        return Fail(path, "its format chunk is too short");
    }
    const uint32_t tag = Little(format, 2);
    const uint32_t channels = Little(format + 2, 2);
    const uint32_t rate = Little(format + 4, 4);
    const uint32_t blockAlign = Little(format + 12, 2);
    const uint32_t bits = Little(format + 14, 2);
    if (tag != kPcm) {
        return Fail(path, "its samples are not PCM");
    }
    if (bits != kBitsPerSample) {
        return Fail(path, "its samples have " + std::to_string(bits) + " bits, not 16");
    }
    if (channels == 0 || channels > kMaxChannels || blockAlign != channels * kSampleBytes) {
        return Fail(path, "it has " + std::to_string(channels) + " channels, not 1 or 2");
    }
    if (rate == 0 || rate > static_cast<uint32_t>(INT32_MAX)) {
        return Fail(path, "its rate of " + std::to_string(rate) + " Hz is impossible");
    }
    m_channels = static_cast<int>(channels);
    m_rate = static_cast<int>(rate);
    return true;
}

uint32_t CWaveReader::Read(int16_t* out, uint32_t frames) {
    if (m_file == nullptr || m_framesLeft == 0) {
        return 0;
    }
    const uint32_t wanted = frames < m_framesLeft ? frames : m_framesLeft;
    const size_t got =
        std::fread(out, kSampleBytes * static_cast<uint32_t>(m_channels), wanted, m_file.get());
    m_framesLeft = got == wanted ? m_framesLeft - wanted : 0;
    return static_cast<uint32_t>(got);
}
