#include "platform/rtaudio/RtAudioOut.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr int kChannels = CBufferMixer::kOutputChannels;
constexpr unsigned kStreamBuffers = 3;  // periods of ALSA and PulseAudio streams
constexpr auto kOutput = CRtAudioDevices::Direction::kOutput;
constexpr auto kOwnCloseWait = std::chrono::milliseconds(1000);
constexpr auto kOwnClosePoll = std::chrono::milliseconds(5);

}  // namespace

CRtAudioOut::CRtAudioOut(Api api, const char* clientName)
    : CMixingAudioOut(kPreferredRate),
      m_api(api),
      m_clientName(clientName != nullptr ? clientName : "Notara") {}

CRtAudioOut::~CRtAudioOut() {
    Close();
}

bool CRtAudioOut::EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) {
    CRtAudioDevices::List(m_api, kOutput, kChannels, devices);
    return true;
}

bool CRtAudioOut::Open(const std::string& deviceId) {
    Close();
    const std::string prefix = deviceId.empty()
                                   ? std::string("Can't open the default sound output device: ")
                                   : "Can't open sound output device \"" + deviceId + "\": ";
    FOUND found;
    try {
        const bool present =
            deviceId.empty() ? CRtAudioDevices::FindDefault(m_api, kOutput, kChannels, found)
                             : CRtAudioDevices::Find(m_api, kOutput, kChannels, deviceId, found);
        if (!present) {
            return Fail(prefix + (deviceId.empty() ? "this machine offers none"
                                                   : "there is no such device"));
        }
        return StartStream(found, prefix);
    } catch (const RtAudioError& failure) {
        CloseStream();
        return Fail(prefix + failure.getMessage());
    } catch (const std::exception& failure) {
        CloseStream();
        return Fail(prefix + failure.what());
    }
}

// 44100 Hz when the device has it, else the rate it prefers.
bool CRtAudioOut::StartStream(FOUND& found, const std::string& prefix) {
    const std::vector<unsigned>& rates = found.info.sampleRates;
    unsigned rate = found.info.preferredSampleRate;
    if (std::find(rates.begin(), rates.end(), kPreferredRate) != rates.end() || rates.empty()) {
        rate = kPreferredRate;
    } else if (rate == 0) {
        rate = rates.front();
    }
    if (!GetMixer().SetDeviceRate(static_cast<int>(rate))) {
        return Fail(prefix + GetMixer().GetError());
    }
    m_errorSlot = CRtAudioDevices::TakeErrorSlot(
        [this](bool fatal, const std::string& text) { OnStreamError(fatal, text); });
    RtAudio::StreamParameters output;
    output.deviceId = found.index;
    output.nChannels = kChannels;
    RtAudio::StreamOptions options;
    options.streamName = m_clientName;
    options.numberOfBuffers = kStreamBuffers;
    unsigned frames = kBlockFrames;
    m_failed = false;
    m_underflows = 0;
    m_blocks = 0;
    m_audio = std::move(found.audio);
    m_audio->openStream(&output, nullptr, RTAUDIO_SINT16, rate, &frames, &CRtAudioOut::OnAudio,
                        this, &options, CRtAudioDevices::GetErrorCallback(m_errorSlot));
    if (!m_audio->isStreamOpen()) {
        CloseStream();
        return Fail(prefix + "the stream did not open");
    }
    m_audio->startStream();
    m_rate = static_cast<int>(m_audio->getStreamSampleRate());
    m_rate = m_rate > 0 ? m_rate : static_cast<int>(rate);
    m_blockFrames = frames;
    // What the stream reports from a block handed over to the listener; the
    // wait for the block itself is the caller's to measure.
    m_latencySeconds = static_cast<double>(m_audio->getStreamLatency()) / m_rate;
    m_description = CRtAudioDevices::Describe(found);
    m_open = true;
    // A stream that asks for no block for the stall limit has stopped.
    m_watch.Start(m_blocks, [this] {
        OnStreamError(true, "the device has asked for no sound for " +
                                std::to_string(CStreamWatch::kStallLimitMs / 1000) + " s");
    });
    return true;
}

// A failed JACK stream is closed by RtAudio on a thread of its own, which
// still uses the RtAudio object: closing waits for it, and gives the object
// up rather than touch it when that thread does not finish.
bool CRtAudioOut::AwaitOwnClose() {
    const auto deadline = std::chrono::steady_clock::now() + kOwnCloseWait;
    while (m_audio->isStreamOpen()) {
        if (std::chrono::steady_clock::now() > deadline) {
            static_cast<void>(m_audio.release());
            return false;
        }
        std::this_thread::sleep_for(kOwnClosePoll);
    }
    return true;
}

void CRtAudioOut::CloseStream() {
    if (m_audio != nullptr && m_failed.load(std::memory_order_acquire) && !AwaitOwnClose()) {
        CRtAudioDevices::GiveBackErrorSlot(m_errorSlot);
        m_errorSlot = -1;
        return;
    }
    if (m_audio != nullptr) {
        try {
            if (m_audio->isStreamRunning()) {
                m_audio->stopStream();
            }
            if (m_audio->isStreamOpen()) {
                m_audio->closeStream();
            }
        } catch (const RtAudioError&) {
            // Closing goes on: the stream is given up either way.
        }
        m_audio.reset();
    }
    CRtAudioDevices::GiveBackErrorSlot(m_errorSlot);
    m_errorSlot = -1;
}

void CRtAudioOut::Close() {
    m_watch.Stop();
    CloseStream();
    GetMixer().ReleaseAll();
    m_open = false;
    m_description.clear();
    m_rate = 0;
    m_blockFrames = 0;
    m_latencySeconds = 0.0;
}

bool CRtAudioOut::IsOpen() const {
    return m_open && !m_failed.load(std::memory_order_acquire);
}

void CRtAudioOut::OnStreamError(bool fatal, const std::string& text) {
    if (fatal) {
        Fail("The sound output has stopped: " + text);
        m_failed.store(true, std::memory_order_release);
    }
}

// RtAudio's thread: mixing only, no locks, no allocation.
int CRtAudioOut::OnAudio(void* output, void* /*input*/, unsigned frames, double /*time*/,
                         unsigned status, void* user) {
    auto* self = static_cast<CRtAudioOut*>(user);
    self->GetMixer().Mix(static_cast<int16_t*>(output), static_cast<int>(frames));
    self->m_blocks.fetch_add(1, std::memory_order_relaxed);
    if ((status & RTAUDIO_OUTPUT_UNDERFLOW) != 0) {
        self->m_underflows.fetch_add(1, std::memory_order_relaxed);
    }
    return 0;
}
