#include "platform/null/NullAudioIn.h"

#include <algorithm>
#include <chrono>

#include "platform/null/BlockPacer.h"

namespace {

constexpr int kMaxChannels = CWaveReader::kMaxChannels;

}  // namespace

CNullAudioIn::CNullAudioIn(Clock clock)
    : m_clock(clock),
      m_fileBlock(static_cast<size_t>(kBlockFrames) * kMaxChannels),
      m_block(static_cast<size_t>(kBlockFrames) * kMaxChannels) {}

CNullAudioIn::~CNullAudioIn() {
    Close();
}

bool CNullAudioIn::Fail(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_error = text;
    return false;
}

const char* CNullAudioIn::GetError() const {
    thread_local std::string copy;
    std::lock_guard<std::mutex> lock(m_mutex);
    copy = m_error;
    return copy.c_str();
}

bool CNullAudioIn::SetSource(const std::string& path) {
    if (IsOpen()) {
        return Fail("Can't hear the sound file \"" + path + "\": the device is open already");
    }
    m_sourcePath = path;
    return true;
}

bool CNullAudioIn::EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) {
    devices = {{kDeviceId, kDescription}};
    return true;
}

bool CNullAudioIn::Open(const std::string& deviceId, int channels, int rate, uint32_t bufferBytes) {
    Close();
    const std::string prefix =
        "Can't open sound input device \"" + (deviceId.empty() ? kDeviceId : deviceId) + "\": ";
    if (!deviceId.empty() && deviceId != kDeviceId) {
        return Fail(prefix + "there is no such device");
    }
    if (m_server && !m_server->IsRunning()) {
        return Fail(prefix + "the sound server is not running");
    }
    if (channels < 1 || channels > kMaxChannels || rate <= 0) {
        return Fail(prefix + std::to_string(channels) + " channels at " + std::to_string(rate) +
                    " Hz are not offered");
    }
    if (!m_buffer.Reset(channels, bufferBytes)) {
        return Fail(prefix + "a buffer of " + std::to_string(bufferBytes) +
                    " bytes is no whole number of frames");
    }
    if (!OpenSource(prefix, rate)) {
        m_buffer.Release();
        return false;
    }
    m_framesCaptured = 0;
    m_rate = rate;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_capturing = false;
    return true;
}

bool CNullAudioIn::OpenSource(const std::string& prefix, int rate) {
    if (m_sourcePath.empty()) {
        return true;
    }
    if (!m_source.Open(m_sourcePath)) {
        return Fail(prefix + m_source.GetError());
    }
    if (m_source.GetRate() != rate) {
        const std::string text = "the sound file \"" + m_sourcePath + "\" is at " +
                                 std::to_string(m_source.GetRate()) + " Hz, not " +
                                 std::to_string(rate) + " Hz";
        m_source.Close();
        return Fail(prefix + text);
    }
    return true;
}

void CNullAudioIn::Close() {
    StopThread();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open) {
            return;
        }
        m_open = false;
        m_capturing = false;
    }
    m_source.Close();
    m_buffer.Release();
}

bool CNullAudioIn::IsOpen() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_open && (!m_server || m_server->IsRunning());
}

std::string CNullAudioIn::GetDeviceName() const {
    return IsOpen() ? kDescription : "";
}

bool CNullAudioIn::Start() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open) {
        m_error = "Can't start the sound input: the device is not open";
        return false;
    }
    if (m_capturing) {
        return true;
    }
    m_capturing = true;
    m_stop = false;
    if (m_clock == Clock::kRealTime) {
        m_thread = std::thread(&CNullAudioIn::Run, this);
    }
    return true;
}

void CNullAudioIn::StopThread() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_capturing = false;
        thread = std::move(m_thread);
    }
    m_wake.notify_all();
    if (thread.joinable()) {
        thread.join();
    }
}

bool CNullAudioIn::Stop() {
    if (!IsOpen()) {
        return Fail("Can't stop the sound input: the device is not open");
    }
    StopThread();
    return true;
}

bool CNullAudioIn::IsCapturing() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_capturing;
}

bool CNullAudioIn::GetPosition(uint32_t& cursor) {
    if (!IsOpen()) {
        return Fail("Can't find the sound input's position: the device is not open");
    }
    cursor = m_buffer.GetCursor();
    return true;
}

bool CNullAudioIn::Read(uint32_t offset, uint32_t count, uint8_t* out) {
    if (!IsOpen()) {
        return Fail("Can't read the sound input: the device is not open");
    }
    if (!m_buffer.Read(offset, count, out)) {
        return Fail("Can't read " + std::to_string(count) + " bytes at " + std::to_string(offset) +
                    " of the sound input: its buffer holds " + std::to_string(m_buffer.GetSize()));
    }
    return true;
}

bool CNullAudioIn::Step(int frames) {
    if (m_clock != Clock::kStepped) {
        return Fail("Can't step the sound input: it runs in real time");
    }
    if (!IsCapturing()) {
        return Fail("Can't step the sound input: it is not capturing");
    }
    for (int done = 0; done < frames; done += kBlockFrames) {
        CaptureBlock(std::min(kBlockFrames, frames - done));
    }
    return true;
}

// The device side of a block: the file's next frames in the channels asked
// for, silence once it has ended.
void CNullAudioIn::CaptureBlock(int frames) {
    const auto count = static_cast<uint32_t>(frames);
    const uint32_t got = m_source.Read(m_fileBlock.data(), count);
    Convert(got);
    m_buffer.Write(m_block.data(), got);
    m_buffer.WriteSilence(count - got);
    m_framesCaptured.fetch_add(count, std::memory_order_release);
}

// Mono is heard on both channels; stereo heard in mono is the mean of both.
void CNullAudioIn::Convert(uint32_t frames) {
    const int from = m_source.GetChannels();
    const int to = m_buffer.GetChannels();
    for (uint32_t i = 0; i < frames; ++i) {
        if (from == to) {
            for (int c = 0; c < to; ++c) {
                m_block[i * to + c] = m_fileBlock[i * from + c];
            }
        } else if (from == 1) {
            m_block[2 * i] = m_block[2 * i + 1] = m_fileBlock[i];
        } else {
            const int sum = m_fileBlock[2 * i] + m_fileBlock[2 * i + 1];
            m_block[i] = static_cast<int16_t>(sum / 2);
        }
    }
}

// One block every kBlockFrames / rate seconds against a steady deadline,
// counted in whole frames from Start, so that the rate does not drift.
void CNullAudioIn::Run() {
    CBlockPacer pacer(m_rate);
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        CaptureBlock(kBlockFrames);
        const auto deadline = pacer.Next(kBlockFrames);
        lock.lock();
        m_wake.wait_until(lock, deadline, [this] { return m_stop; });
    }
}
