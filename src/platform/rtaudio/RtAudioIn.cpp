#include "platform/rtaudio/RtAudioIn.h"

#include <chrono>
#include <thread>

namespace {

constexpr unsigned kStreamBuffers = 3;  // periods of ALSA and PulseAudio streams
constexpr int kMaxChannels = 2;
constexpr auto kInput = CRtAudioDevices::Direction::kInput;
// RtAudio closes a JACK stream whose server ended on a thread of its own;
// closing waits this long for it before closing itself.
constexpr auto kOwnCloseWait = std::chrono::milliseconds(1000);
constexpr auto kOwnClosePoll = std::chrono::milliseconds(5);

}  // namespace

CRtAudioIn::CRtAudioIn(Api api, const char* clientName)
    : m_api(api), m_clientName(clientName != nullptr ? clientName : "Notara") {}

CRtAudioIn::~CRtAudioIn() {
    Close();
}

bool CRtAudioIn::Fail(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_errorMutex);
    m_error = text;
    return false;
}

const char* CRtAudioIn::GetError() const {
    thread_local std::string copy;
    std::lock_guard<std::mutex> lock(m_errorMutex);
    copy = m_error;
    return copy.c_str();
}

bool CRtAudioIn::EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) {
    CRtAudioDevices::List(m_api, kInput, 1, devices);
    return true;
}

bool CRtAudioIn::Open(const std::string& deviceId, int channels, int rate, uint32_t bufferBytes) {
    Close();
    const std::string prefix = deviceId.empty()
                                   ? std::string("Can't open the default sound input device: ")
                                   : "Can't open sound input device \"" + deviceId + "\": ";
    if (channels < 1 || channels > kMaxChannels || rate <= 0) {
        return Fail(prefix + std::to_string(channels) + " channels at " + std::to_string(rate) +
                    " Hz are not offered");
    }
    if (!m_buffer.Reset(channels, bufferBytes)) {
        return Fail(prefix + "a buffer of " + std::to_string(bufferBytes) +
                    " bytes is no whole number of frames");
    }
    FOUND found;
    try {
        const bool present = deviceId.empty()
                                 ? CRtAudioDevices::FindDefault(m_api, kInput, channels, found)
                                 : CRtAudioDevices::Find(m_api, kInput, channels, deviceId, found);
        if (!present) {
            m_buffer.Release();
            return Fail(prefix + (deviceId.empty() ? "this machine offers none"
                                                   : "there is no such device"));
        }
        if (OpenStream(found, channels, rate, prefix)) {
            return true;
        }
    } catch (const RtAudioError& failure) {
        Fail(prefix + failure.getMessage());
    } catch (const std::exception& failure) {
        Fail(prefix + failure.what());
    }
    CloseStream();
    m_buffer.Release();
    return false;
}

// Opens the stream, not yet started; RtAudio reports a refused format to
// the error callback rather than by throwing.
bool CRtAudioIn::OpenStream(FOUND& found, int channels, int rate, const std::string& prefix) {
    m_errorSlot = CRtAudioDevices::TakeErrorSlot(
        [this](bool fatal, const std::string& text) { OnStreamError(fatal, text); });
    RtAudio::StreamParameters input;
    input.deviceId = found.index;
    input.nChannels = static_cast<unsigned>(channels);
    RtAudio::StreamOptions options;
    options.streamName = m_clientName;
    options.numberOfBuffers = kStreamBuffers;
    unsigned frames = kBlockFrames;
    m_failed = false;
    m_overflows = 0;
    m_blocks = 0;
    m_audio = std::move(found.audio);
    m_audio->openStream(nullptr, &input, RTAUDIO_SINT16, static_cast<unsigned>(rate), &frames,
                        &CRtAudioIn::OnAudio, this, &options,
                        CRtAudioDevices::GetErrorCallback(m_errorSlot));
    if (!m_audio->isStreamOpen()) {
        std::lock_guard<std::mutex> lock(m_errorMutex);
        m_error = prefix + (m_lastReport.empty() ? "the stream did not open" : m_lastReport);
        return false;
    }
    if (m_audio->getStreamSampleRate() != static_cast<unsigned>(rate)) {
        return Fail(prefix + "it captures at " + std::to_string(m_audio->getStreamSampleRate()) +
                    " Hz, not " + std::to_string(rate) + " Hz");
    }
    m_failed = false;
    m_blockFrames = frames;
    m_description = CRtAudioDevices::Describe(found);
    m_open = true;
    return true;
}

// Not shared with the output: a failed JACK stream is closed by RtAudio on
// a thread of its own, which still uses the RtAudio object; closing waits
// for it, and gives the object up rather than touch it when that thread
// does not finish.
void CRtAudioIn::CloseStream() {
    m_watch.Stop();
    if (m_audio != nullptr && m_failed.load(std::memory_order_acquire) && !AwaitOwnClose()) {
        static_cast<void>(m_audio.release());
    }
    if (m_audio != nullptr) {
        try {
            if (m_audio->isStreamRunning()) {
                m_audio->abortStream();
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

bool CRtAudioIn::AwaitOwnClose() {
    const auto deadline = std::chrono::steady_clock::now() + kOwnCloseWait;
    while (m_audio->isStreamOpen()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(kOwnClosePoll);
    }
    return true;
}

void CRtAudioIn::Close() {
    CloseStream();
    m_buffer.Release();
    m_open = false;
    m_capturing = false;
    m_description.clear();
    m_blockFrames = 0;
}

bool CRtAudioIn::IsOpen() const {
    return m_open && !m_failed.load(std::memory_order_acquire);
}

bool CRtAudioIn::Start() {
    if (!IsOpen()) {
        return m_open ? false : Fail("Can't start the sound input: the device is not open");
    }
    if (m_capturing) {
        return true;
    }
    try {
        m_audio->startStream();
    } catch (const RtAudioError& failure) {
        return Fail("Can't start the sound input: " + failure.getMessage());
    }
    if (m_failed.load(std::memory_order_acquire) || !m_audio->isStreamRunning()) {
        m_failed.store(true, std::memory_order_release);
        std::lock_guard<std::mutex> lock(m_errorMutex);
        m_error = "Can't start the sound input: " +
                  (m_lastReport.empty() ? std::string("the stream did not start") : m_lastReport);
        return false;
    }
    m_capturing = true;
    // A stream that delivers no block for the stall limit has stopped.
    m_watch.Start(m_blocks, [this] {
        OnStreamError(true, "the device has delivered no sound for " +
                                std::to_string(CStreamWatch::kStallLimitMs / 1000) + " s");
    });
    return true;
}

bool CRtAudioIn::Stop() {
    if (!m_open) {
        return Fail("Can't stop the sound input: the device is not open");
    }
    m_watch.Stop();
    m_capturing = false;
    if (m_failed.load(std::memory_order_acquire)) {
        return false;  // the stream is closing on its own; GetError tells why
    }
    try {
        if (m_audio->isStreamRunning()) {
            m_audio->stopStream();
        }
    } catch (const RtAudioError& failure) {
        return Fail("Can't stop the sound input: " + failure.getMessage());
    }
    return true;
}

bool CRtAudioIn::IsCapturing() const {
    return m_capturing && IsOpen();
}

bool CRtAudioIn::GetPosition(uint32_t& cursor) {
    if (!IsOpen()) {
        return m_open ? false
                      : Fail("Can't find the sound input's position: the device is not open");
    }
    cursor = m_buffer.GetCursor();
    return true;
}

bool CRtAudioIn::Read(uint32_t offset, uint32_t count, uint8_t* out) {
    if (!m_open) {
        return Fail("Can't read the sound input: the device is not open");
    }
    if (!m_buffer.Read(offset, count, out)) {
        return Fail("Can't read " + std::to_string(count) + " bytes at " + std::to_string(offset) +
                    " of the sound input: its buffer holds " + std::to_string(m_buffer.GetSize()));
    }
    return true;
}

// Any thread: RtAudio's own, the watch's or the caller's.
void CRtAudioIn::OnStreamError(bool fatal, const std::string& text) {
    std::lock_guard<std::mutex> lock(m_errorMutex);
    m_lastReport = text;
    if (fatal) {
        m_error = "The sound input has stopped: " + text;
        m_failed.store(true, std::memory_order_release);
    }
}

// RtAudio's thread: copying only, no locks, no allocation.
int CRtAudioIn::OnAudio(void* /*output*/, void* input, unsigned frames, double /*time*/,
                        unsigned status, void* user) {
    auto* self = static_cast<CRtAudioIn*>(user);
    if (input != nullptr) {
        self->m_buffer.Write(static_cast<const int16_t*>(input), frames);
    }
    self->m_blocks.fetch_add(1, std::memory_order_relaxed);
    if ((status & RTAUDIO_INPUT_OVERFLOW) != 0) {
        self->m_overflows.fetch_add(1, std::memory_order_relaxed);
    }
    return 0;
}
