#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/CaptureBuffer.h"
#include "platform/AudioIn.h"
#include "platform/null/NullSoundServer.h"
#include "platform/null/WaveReader.h"

// A capture device that hears a sound file: a 16-bit PCM WAVE file given
// with SetSource, at the file's own rate, turned into the channels asked
// for; silence after its end, and silence throughout without a file. It
// captures in 256-frame blocks, either on a thread of its own in real time
// or, on the stepped clock, only when the test calls Step.
class CNullAudioIn : public IAudioIn {
public:
    static constexpr int kBlockFrames = 256;
    static constexpr const char* kDeviceId = "null";
    static constexpr const char* kDescription = "Sound file";

    enum class Clock { kRealTime, kStepped };

    explicit CNullAudioIn(Clock clock = Clock::kRealTime);
    CNullAudioIn(const CNullAudioIn&) = delete;
    CNullAudioIn& operator=(const CNullAudioIn&) = delete;
    ~CNullAudioIn() override;

    // Before Open: the WAVE file heard from then on; an empty path hears
    // silence.
    bool SetSource(const std::string& path);
    // The stepped clock: captures frames now. False when not capturing or
    // real-time.
    bool Step(int frames);
    // Frames captured since Open.
    uint64_t GetFramesCaptured() const { return m_framesCaptured.load(std::memory_order_acquire); }

    bool EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) override;
    bool Open(const std::string& deviceId, int channels, int rate, uint32_t bufferBytes) override;
    void Close() override;
    bool IsOpen() const override;
    // Before Open: the device belongs to server, stops when it stops and
    // can't open while it is stopped.
    void SetServer(std::shared_ptr<const CNullSoundServer> server) { m_server = std::move(server); }
    std::string GetDeviceName() const override;
    bool Start() override;
    bool Stop() override;
    bool IsCapturing() const override;
    bool GetPosition(uint32_t& cursor) override;
    bool Read(uint32_t offset, uint32_t count, uint8_t* out) override;
    const char* GetError() const override;

private:
    std::shared_ptr<const CNullSoundServer> m_server;
    bool Fail(const std::string& text);
    bool OpenSource(const std::string& prefix, int rate);
    void CaptureBlock(int frames);
    void Convert(uint32_t frames);
    void Run();
    void StopThread();

    const Clock m_clock;
    std::string m_sourcePath;
    CCaptureBuffer m_buffer;
    // The capturing side's own: the file and the blocks read from it.
    CWaveReader m_source;
    std::vector<int16_t> m_fileBlock;
    std::vector<int16_t> m_block;
    int m_rate = 0;
    std::atomic<uint64_t> m_framesCaptured{0};

    mutable std::mutex m_mutex;  // guards the state below
    std::condition_variable m_wake;
    bool m_open = false;
    bool m_capturing = false;
    bool m_stop = false;
    std::thread m_thread;
    std::string m_error;
};
