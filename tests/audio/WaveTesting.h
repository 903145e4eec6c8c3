#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "audio/SoundInfo.h"
#include "audio/WaveFormat.h"

// Helpers shared by the tests of wave files and sample operations.

using Bytes = std::vector<uint8_t>;

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    return Bytes(text.begin(), text.end());
}

inline void Put16(Bytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void Put32(Bytes& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

inline uint32_t Get32(const Bytes& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

inline void Set32(Bytes& bytes, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// One chunk: id, size and body, with RIFF's pad byte after an odd body.
inline Bytes Chunk(const char* id, const Bytes& body) {
    Bytes chunk(id, id + 4);
    Put32(chunk, static_cast<uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) {
        chunk.push_back(0);
    }
    return chunk;
}

// The 16-byte body of a "fmt " chunk.
inline Bytes FormatBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    const auto align = static_cast<uint16_t>(channels * ((bits + 7) / 8));
    Bytes body;
    Put16(body, tag);
    Put16(body, channels);
    Put32(body, rate);
    Put32(body, align * rate);
    Put16(body, align);
    Put16(body, bits);
    return body;
}

// A RIFF/WAVE file of the chunks, in the order given.
inline Bytes Riff(const std::vector<Bytes>& chunks) {
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const Bytes& chunk : chunks) {
        body.insert(body.end(), chunk.begin(), chunk.end());
    }
    return Chunk("RIFF", body);
}

// A plain 16-bit PCM file of values.
inline Bytes PcmFile(uint16_t channels, uint32_t rate, const std::vector<int16_t>& values) {
    Bytes data;
    for (const int16_t value : values) {
        Put16(data, static_cast<uint16_t>(value));
    }
    return Riff({Chunk("fmt ", FormatBody(1, channels, rate, 16)), Chunk("data", data)});
}

// Output of a shell command and its exit status.
inline std::string RunCommand(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return output;
    }
    char buffer[256];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, n);
    }
    const int result = pclose(pipe);
    status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return output;
}

inline bool HaveSox() {
    return std::system("command -v sox >/dev/null 2>&1 && command -v soxi >/dev/null 2>&1") == 0;
}

#define SKIP_WITHOUT_SOX()                                           \
    do {                                                             \
        if (!HaveSox()) {                                            \
            GTEST_SKIP() << "sox and soxi are needed for this test"; \
        }                                                            \
    } while (0)

// A mono 16-bit sine of frequency Hz.
inline CSoundInfo Sine(double frequency, uint32_t rate, double seconds, double level = 0.8) {
    CSoundInfo sound;
    sound.format = WAVE_FORMAT::Pcm(1, rate, 16);
    const auto frames = static_cast<uint32_t>(rate * seconds);
    sound.Allocate(frames * 2);
    int16_t* values = sound.GetValues();
    for (uint32_t i = 0; i < frames; ++i) {
        values[i] = static_cast<int16_t>(level * 32767 * std::sin(2 * M_PI * frequency * i / rate));
    }
    sound.note.frequency = frequency;
    return sound;
}

// Frequency of the mono 16-bit values at rate, from the rising zero
// crossings: cycles between the first and the last over the time between.
inline double MeasureFrequency(const int16_t* values, size_t count, uint32_t rate) {
    double first = -1.0;
    double last = -1.0;
    int cycles = -1;
    for (size_t i = 1; i < count; ++i) {
        if (values[i - 1] < 0 && values[i] >= 0) {
            // Where the line between the two values crosses zero.
            const double at =
                (i - 1) + static_cast<double>(-values[i - 1]) / (values[i] - values[i - 1]);
            first = first < 0 ? at : first;
            last = at;
            ++cycles;
        }
    }
    return cycles > 0 ? cycles * rate / (last - first) : 0.0;
}
