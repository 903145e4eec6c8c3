#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// Reads the samples of a 16-bit PCM WAVE file (mono or stereo) from its
// "data" chunk on. Every chunk's size is checked against the file before
// it is used; anything else is refused with a "Can't ..." text.
class CWaveReader {
public:
    static constexpr int kMaxChannels = 2;

    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }
    int GetChannels() const { return m_channels; }
    int GetRate() const { return m_rate; }
    uint32_t GetFrames() const { return m_frames; }
    // Up to frames frames into out (frames × GetChannels samples); the
    // number read, 0 at the end of the samples.
    uint32_t Read(int16_t* out, uint32_t frames);
    const char* GetError() const { return m_error.c_str(); }

private:
    struct CLOSER {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    bool Fail(const std::string& path, const std::string& text);
    bool ReadChunks(const std::string& path, uint64_t fileBytes);
    bool ReadFormat(const std::string& path, uint32_t bytes);

    std::unique_ptr<std::FILE, CLOSER> m_file;
    int m_channels = 0;
    int m_rate = 0;
    uint32_t m_frames = 0;
    uint32_t m_framesLeft = 0;
    std::string m_error;
};
