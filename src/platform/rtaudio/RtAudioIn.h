#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/CaptureBuffer.h"
#include "platform/AudioIn.h"
#include "platform/rtaudio/RtAudioDevices.h"
#include "platform/rtaudio/StreamWatch.h"

// The sound input on RtAudio: JACK, PulseAudio or ALSA, with the output's
// device ids ("jack:system"). An input-only 16-bit stream in blocks of at
// most 256 frames, whose callback only copies into the capture buffer. A
// stream that stops delivering blocks while capturing (a JACK server that
// ends, an unplugged card) is reported as failed.
class CRtAudioIn : public IAudioIn {
public:
    static constexpr unsigned kBlockFrames = 256;
    using Api = CRtAudioDevices::Api;

    // clientName names the program to the sound system (its JACK client).
    explicit CRtAudioIn(Api api = Api::kAny, const char* clientName = "Notara");
    CRtAudioIn(const CRtAudioIn&) = delete;
    CRtAudioIn& operator=(const CRtAudioIn&) = delete;
    ~CRtAudioIn() override;

    bool EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) override;
    bool Open(const std::string& deviceId, int channels, int rate, uint32_t bufferBytes) override;
    void Close() override;
    // False too once the stream has failed: GetError tells why.
    bool IsOpen() const override;
    std::string GetDeviceName() const override { return m_description; }
    bool Start() override;
    bool Stop() override;
    bool IsCapturing() const override;
    bool GetPosition(uint32_t& cursor) override;
    bool Read(uint32_t offset, uint32_t count, uint8_t* out) override;
    const char* GetError() const override;
    int GetBlockFrames() const { return static_cast<int>(m_blockFrames); }
    // Blocks the device had to drop since Open.
    int GetOverflowCount() const { return m_overflows.load(std::memory_order_relaxed); }

private:
    using FOUND = CRtAudioDevices::FOUND;
    static int OnAudio(void* output, void* input, unsigned frames, double time, unsigned status,
                       void* user);
    bool Fail(const std::string& text);
    void OnStreamError(bool fatal, const std::string& text);
    bool OpenStream(FOUND& found, int channels, int rate, const std::string& prefix);
    void CloseStream();
    bool AwaitOwnClose();

    Api m_api;
    std::string m_clientName;
    std::unique_ptr<RtAudio> m_audio;
    CCaptureBuffer m_buffer;
    CStreamWatch m_watch;
    int m_errorSlot = -1;  // which of RtAudio's error callbacks reaches this
    bool m_open = false;
    bool m_capturing = false;
    std::atomic<bool> m_failed{false};
    std::atomic<int> m_overflows{0};
    std::atomic<uint64_t> m_blocks{0};  // counted by the callback
    std::string m_description;
    unsigned m_blockFrames = 0;

    mutable std::mutex m_errorMutex;  // guards the texts below
    std::string m_error;
    std::string m_lastReport;  // RtAudio's last words
};
