#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "common/MixingAudioOut.h"
#include "platform/rtaudio/RtAudioDevices.h"
#include "platform/rtaudio/StreamWatch.h"

// The sound output on RtAudio: JACK, PulseAudio or ALSA, whichever this
// machine offers. Devices are named "<system>:<device name>" (for example
// "jack:system"), which stays the same from run to run. The stream is
// 16-bit stereo at 44100 Hz where the device allows it, else at the
// device's own rate; RtAudio's callback does nothing but mix. A watcher
// thread reports the stream as failed when the device stops asking for
// blocks (a JACK server that ends, an unplugged card).
class CRtAudioOut : public CMixingAudioOut {
public:
    static constexpr int kPreferredRate = 44100;
    static constexpr unsigned kBlockFrames = 256;

    // The sound systems looked at; kAny tries JACK, PulseAudio and ALSA in
    // that order.
    using Api = CRtAudioDevices::Api;

    // clientName names the program to the sound system (its JACK client).
    explicit CRtAudioOut(Api api = Api::kAny, const char* clientName = "Notara");
    CRtAudioOut(const CRtAudioOut&) = delete;
    CRtAudioOut& operator=(const CRtAudioOut&) = delete;
    ~CRtAudioOut() override;

    bool EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) override;
    bool Open(const std::string& deviceId) override;
    void Close() override;
    // False too once the stream has failed: GetError tells why.
    bool IsOpen() const override;
    std::string GetDeviceName() const override { return m_description; }
    int GetRate() const override { return m_rate; }
    int GetBlockFrames() const override { return static_cast<int>(m_blockFrames); }
    double GetLatencySeconds() const override { return m_latencySeconds; }
    // Blocks that reached the device too late since Open.
    int GetUnderflowCount() const { return m_underflows.load(std::memory_order_relaxed); }

    // RtAudio's report of a failed stream; any thread.
    void OnStreamError(bool fatal, const std::string& text);

private:
    using FOUND = CRtAudioDevices::FOUND;
    static int OnAudio(void* output, void* input, unsigned frames, double time, unsigned status,
                       void* user);
    bool StartStream(FOUND& found, const std::string& prefix);
    void CloseStream();
    bool AwaitOwnClose();

    Api m_api;
    std::string m_clientName;
    std::unique_ptr<RtAudio> m_audio;
    int m_errorSlot = -1;  // which of RtAudio's error callbacks reaches this
    bool m_open = false;
    std::atomic<bool> m_failed{false};
    std::atomic<int> m_underflows{0};
    std::atomic<uint64_t> m_blocks{0};  // counted by the callback

    CStreamWatch m_watch;

    std::string m_description;
    int m_rate = 0;
    unsigned m_blockFrames = 0;
    double m_latencySeconds = 0.0;
};
