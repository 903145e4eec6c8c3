#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/MixingAudioOut.h"
#include "platform/null/NullSoundServer.h"

// An output device without sound: 44100 Hz stereo in 256-frame blocks,
// mixed either by a thread of its own in real time or, on the stepped
// clock, only when the test calls Step. What it plays may be written to a
// WAVE file (16-bit stereo, 44100 Hz) as it goes.
class CNullAudioOut : public CMixingAudioOut {
public:
    static constexpr int kRate = 44100;
    static constexpr int kBlockFrames = 256;
    static constexpr const char* kDeviceId = "null";
    static constexpr const char* kDescription = "No sound output";

    enum class Clock { kRealTime, kStepped };

    explicit CNullAudioOut(Clock clock = Clock::kRealTime);
    CNullAudioOut(const CNullAudioOut&) = delete;
    CNullAudioOut& operator=(const CNullAudioOut&) = delete;
    ~CNullAudioOut() override;

    // Before Open: every frame played from then on goes to the file at path,
    // complete when the device closes. An empty path writes none.
    bool SetWaveOutput(const std::string& path);
    // The stepped clock: mixes frames now, in blocks of kBlockFrames (the
    // last one shorter). False when the device is closed or real-time.
    bool Step(int frames);
    // Frames mixed since Open.
    uint64_t GetFramesMixed() const;

    bool EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) override;
    bool Open(const std::string& deviceId) override;
    void Close() override;
    bool IsOpen() const override;
    // Before Open: the device belongs to server, stops when it stops and
    // can't open while it is stopped.
    void SetServer(std::shared_ptr<const CNullSoundServer> server) { m_server = std::move(server); }
    std::string GetDeviceName() const override;
    int GetRate() const override { return kRate; }
    int GetBlockFrames() const override { return kBlockFrames; }
    double GetLatencySeconds() const override;

private:
    std::shared_ptr<const CNullSoundServer> m_server;
    void MixBlock(int frames);
    void Run();
    bool OpenWave(const std::string& deviceId);
    void CloseWave();

    const Clock m_clock;
    std::vector<int16_t> m_block;  // the mixing thread's own
    std::string m_wavePath;
    std::FILE* m_wave = nullptr;  // written by the mixing side only
    uint32_t m_waveBytes = 0;
    std::atomic<uint64_t> m_framesMixed{0};

    mutable std::mutex m_mutex;  // guards the state below
    std::condition_variable m_wake;
    bool m_open = false;
    bool m_stop = false;
    std::thread m_thread;
};
