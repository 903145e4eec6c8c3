#include "platform/null/NullAudioOut.h"

#include <chrono>
#include <cstring>

#include "platform/null/BlockPacer.h"

namespace {

constexpr int kChannels = CBufferMixer::kOutputChannels;
constexpr uint32_t kFrameBytes = kChannels * sizeof(int16_t);
constexpr uint32_t kHeaderBytes = 44;
constexpr uint32_t kRiffSizeAt = 4;
constexpr uint32_t kDataSizeAt = 40;
constexpr uint32_t kRiffOverhead = 36;  // RIFF size = data bytes + this
constexpr uint32_t kMaxDataBytes = 0xFFFFFFFFu - kRiffOverhead - kFrameBytes;
constexpr uint16_t kPcm = 1;
constexpr uint16_t kBitsPerSample = 16;

void PutLittle(uint8_t* at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// A 16-bit stereo PCM header for dataBytes of samples.
void MakeHeader(uint8_t (&header)[kHeaderBytes], uint32_t dataBytes) {
    std::memcpy(header, "RIFF", 4);
    PutLittle(header + kRiffSizeAt, dataBytes + kRiffOverhead, 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLittle(header + 16, 16, 4);  // the format chunk's size
    PutLittle(header + 20, kPcm, 2);
    PutLittle(header + 22, kChannels, 2);
    PutLittle(header + 24, CNullAudioOut::kRate, 4);
    PutLittle(header + 28, CNullAudioOut::kRate * kFrameBytes, 4);
    PutLittle(header + 32, kFrameBytes, 2);
    PutLittle(header + 34, kBitsPerSample, 2);
    std::memcpy(header + 36, "data", 4);
    PutLittle(header + kDataSizeAt, dataBytes, 4);
}

}  // namespace

CNullAudioOut::CNullAudioOut(Clock clock)
    : CMixingAudioOut(kRate),
      m_clock(clock),
      m_block(static_cast<size_t>(kBlockFrames) * kChannels) {}

CNullAudioOut::~CNullAudioOut() {
    Close();
}

bool CNullAudioOut::SetWaveOutput(const std::string& path) {
    if (IsOpen()) {
        return Fail("Can't write the sound output to \"" + path + "\": the device is open already");
    }
    m_wavePath = path;
    return true;
}

bool CNullAudioOut::EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) {
    devices = {{kDeviceId, kDescription}};
    return true;
}

bool CNullAudioOut::Open(const std::string& deviceId) {
    Close();
    if (!deviceId.empty() && deviceId != kDeviceId) {
        return Fail("Can't open sound output device \"" + deviceId + "\": there is no such device");
    }
    if (m_server && !m_server->IsRunning()) {
        return Fail("Can't open sound output device \"" + std::string(kDeviceId) +
                    "\": the sound server is not running");
    }
    if (!OpenWave(deviceId.empty() ? kDeviceId : deviceId)) {
        return false;
    }
    m_framesMixed = 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_open = true;
    m_stop = false;
    if (m_clock == Clock::kRealTime) {
        m_thread = std::thread(&CNullAudioOut::Run, this);
    }
    return true;
}

bool CNullAudioOut::OpenWave(const std::string& deviceId) {
    if (m_wavePath.empty()) {
        return true;
    }
    m_wave = std::fopen(m_wavePath.c_str(), "wb");
    uint8_t header[kHeaderBytes];
    MakeHeader(header, 0);
    if (m_wave == nullptr || std::fwrite(header, 1, kHeaderBytes, m_wave) != kHeaderBytes) {
        CloseWave();
        return Fail("Can't open sound output device \"" + deviceId + "\": can't write \"" +
                    m_wavePath + "\"");
    }
    m_waveBytes = 0;
    return true;
}

// The header's sizes are set right once everything is written.
void CNullAudioOut::CloseWave() {
    if (m_wave == nullptr) {
        return;
    }
    uint8_t header[kHeaderBytes];
    MakeHeader(header, m_waveBytes);
    if (std::fseek(m_wave, 0, SEEK_SET) == 0) {
        std::fwrite(header, 1, kHeaderBytes, m_wave);
    }
    std::fclose(m_wave);
    m_wave = nullptr;
}

void CNullAudioOut::Close() {
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_open) {
            return;
        }
        m_open = false;
        m_stop = true;
        thread = std::move(m_thread);
    }
    m_wake.notify_all();
    if (thread.joinable()) {
        thread.join();
    }
    CloseWave();
    GetMixer().ReleaseAll();
}

bool CNullAudioOut::IsOpen() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_open && (!m_server || m_server->IsRunning());
}

std::string CNullAudioOut::GetDeviceName() const {
    return IsOpen() ? kDescription : "";
}

double CNullAudioOut::GetLatencySeconds() const {
    return static_cast<double>(kBlockFrames) / kRate;
}

uint64_t CNullAudioOut::GetFramesMixed() const {
    return m_framesMixed.load(std::memory_order_acquire);
}

bool CNullAudioOut::Step(int frames) {
    if (m_clock != Clock::kStepped) {
        return Fail("Can't step the sound output: it runs in real time");
    }
    if (!IsOpen()) {
        return Fail("Can't step the sound output: the device is not open");
    }
    for (int done = 0; done < frames; done += kBlockFrames) {
        MixBlock(std::min(kBlockFrames, frames - done));
    }
    return true;
}

// The device side of a block: what is mixed goes to the file, as a sound
// card's output would go to its speakers.
void CNullAudioOut::MixBlock(int frames) {
    GetMixer().Mix(m_block.data(), frames);
    const uint32_t bytes = static_cast<uint32_t>(frames) * kFrameBytes;
    if (m_wave != nullptr && m_waveBytes <= kMaxDataBytes - bytes &&
        std::fwrite(m_block.data(), 1, bytes, m_wave) == bytes) {
        m_waveBytes += bytes;
    }
    m_framesMixed.fetch_add(static_cast<uint64_t>(frames), std::memory_order_release);
}

// One block every kBlockFrames / kRate seconds against a steady deadline,
// counted in whole frames from the start, so that the rate neither drifts
// nor depends on how long each block takes.
void CNullAudioOut::Run() {
    CBlockPacer pacer(kRate);
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        MixBlock(kBlockFrames);
        const auto deadline = pacer.Next(kBlockFrames);
        lock.lock();
        m_wake.wait_until(lock, deadline, [this] { return m_stop; });
    }
}
