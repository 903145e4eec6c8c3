#include "platform/rtaudio/RtAudioOut.h"

#include <RtAudio.h>
#include <dlfcn.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>

namespace {

constexpr int kChannels = CBufferMixer::kOutputChannels;
constexpr unsigned kStreamBuffers = 3;  // periods of ALSA and PulseAudio streams

// Where the ALSA devices live; without them ALSA is not tried (it would
// only print that it finds no card).
constexpr const char* kAlsaDevices = "/dev/snd";

struct SYSTEM {
    RtAudio::Api api;
    CRtAudioOut::Api choice;
    const char* prefix;  // of device ids
    const char* title;   // of device descriptions
};

constexpr SYSTEM kSystems[] = {
    {RtAudio::UNIX_JACK, CRtAudioOut::Api::kJack, "jack", "JACK"},
    {RtAudio::LINUX_PULSE, CRtAudioOut::Api::kPulse, "pulse", "PulseAudio"},
    {RtAudio::LINUX_ALSA, CRtAudioOut::Api::kAlsa, "alsa", "ALSA"},
};

void IgnoreAlsaText(const char*, int, const char*, int, const char*, ...) {}

// The JACK and ALSA libraries print their complaints (no server, no card)
// themselves; they are silenced, and the caller reports in its own words.
void QuietenLibraries() {
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function([](const char*) {});
        jack_set_info_function([](const char*) {});
        // ALSA's library comes with RtAudio; its handler is reached by name
        // so that this module needs no ALSA headers of its own.
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        if (void* symbol = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")) {
            reinterpret_cast<SetHandler>(symbol)(IgnoreAlsaText);
        }
    });
}

bool IsCompiled(RtAudio::Api api) {
    std::vector<RtAudio::Api> apis;
    RtAudio::getCompiledApi(apis);
    return std::find(apis.begin(), apis.end(), api) != apis.end();
}

// A PulseAudio server answers on a socket; RtAudio would list its one
// device whether a server runs or not.
bool HasPulseServer() {
    if (const char* server = std::getenv("PULSE_SERVER"); server != nullptr && *server != '\0') {
        return true;
    }
    std::string folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr) {
        folder = runtime;
    } else {
        folder = "/run/user/" + std::to_string(getuid());
    }
    return access((folder + "/pulse/native").c_str(), F_OK) == 0;
}

bool IsOffered(const SYSTEM& system) {
    if (!IsCompiled(system.api)) {
        return false;
    }
    switch (system.api) {
        case RtAudio::LINUX_PULSE:
            return HasPulseServer();
        case RtAudio::LINUX_ALSA:
            return access(kAlsaDevices, F_OK) == 0;
        default:
            return true;
    }
}

std::unique_ptr<RtAudio> MakeAudio(RtAudio::Api api, std::string& error) {
    QuietenLibraries();
    try {
        auto audio = std::make_unique<RtAudio>(api);
        audio->showWarnings(false);
        return audio;
    } catch (const RtAudioError& failure) {
        error = failure.getMessage();
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    return nullptr;
}

bool CanPlay(const RtAudio::DeviceInfo& info) {
    return info.probed && info.outputChannels >= static_cast<unsigned>(kChannels);
}

// RtAudio's error callback carries no user pointer: each open output
// takes one of a few callbacks, which passes the report on to it.
constexpr int kErrorSlots = 8;
std::mutex g_slotLock;
CRtAudioOut* g_slots[kErrorSlots] = {};

template <int kSlot>
void ReportStreamError(RtAudioError::Type type, const std::string& text) {
    std::lock_guard<std::mutex> lock(g_slotLock);
    if (g_slots[kSlot] != nullptr) {
        g_slots[kSlot]->OnStreamError(
            type != RtAudioError::WARNING && type != RtAudioError::DEBUG_WARNING, text);
    }
}

constexpr RtAudioErrorCallback kErrorCallbacks[kErrorSlots] = {
    ReportStreamError<0>, ReportStreamError<1>, ReportStreamError<2>, ReportStreamError<3>,
    ReportStreamError<4>, ReportStreamError<5>, ReportStreamError<6>, ReportStreamError<7>,
};

int TakeSlot(CRtAudioOut* out) {
    std::lock_guard<std::mutex> lock(g_slotLock);
    for (int i = 0; i < kErrorSlots; ++i) {
        if (g_slots[i] == nullptr) {
            g_slots[i] = out;
            return i;
        }
    }
    return -1;
}

void GiveBackSlot(int slot) {
    if (slot >= 0) {
        std::lock_guard<std::mutex> lock(g_slotLock);
        g_slots[slot] = nullptr;
    }
}

}  // namespace

struct CRtAudioOut::FOUND {
    const SYSTEM* system = nullptr;
    std::unique_ptr<RtAudio> audio;
    unsigned index = 0;
    RtAudio::DeviceInfo info;
};

CRtAudioOut::CRtAudioOut(Api api, const char* clientName)
    : CMixingAudioOut(kPreferredRate),
      m_api(api),
      m_clientName(clientName != nullptr ? clientName : "Notara") {}

CRtAudioOut::~CRtAudioOut() {
    Close();
}

bool CRtAudioOut::EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) {
    devices.clear();
    for (const SYSTEM& system : kSystems) {
        if ((m_api != Api::kAny && m_api != system.choice) || !IsOffered(system)) {
            continue;
        }
        std::string error;
        std::unique_ptr<RtAudio> audio = MakeAudio(system.api, error);
        if (audio == nullptr) {
            continue;
        }
        try {
            const unsigned count = audio->getDeviceCount();
            for (unsigned i = 0; i < count; ++i) {
                const RtAudio::DeviceInfo info = audio->getDeviceInfo(i);
                if (CanPlay(info)) {
                    devices.push_back({std::string(system.prefix) + ":" + info.name,
                                       std::string(system.title) + ": " + info.name});
                }
            }
        } catch (const RtAudioError&) {
            // A system that fails to list its devices offers none.
        }
    }
    return true;
}

bool CRtAudioOut::FindDevice(const std::string& deviceId, FOUND& found) {
    const size_t colon = deviceId.find(':');
    const std::string prefix = deviceId.substr(0, colon);
    const std::string name = colon == std::string::npos ? "" : deviceId.substr(colon + 1);
    for (const SYSTEM& system : kSystems) {
        if (prefix != system.prefix || (m_api != Api::kAny && m_api != system.choice) ||
            !IsOffered(system)) {
            continue;
        }
        std::string error;
        found.audio = MakeAudio(system.api, error);
        if (found.audio == nullptr) {
            return false;
        }
        const unsigned count = found.audio->getDeviceCount();
        for (unsigned i = 0; i < count; ++i) {
            found.info = found.audio->getDeviceInfo(i);
            if (found.info.name == name && CanPlay(found.info)) {
                found.system = &system;
                found.index = i;
                return true;
            }
        }
    }
    return false;
}

bool CRtAudioOut::FindDefault(FOUND& found) {
    for (const SYSTEM& system : kSystems) {
        if ((m_api != Api::kAny && m_api != system.choice) || !IsOffered(system)) {
            continue;
        }
        std::string error;
        found.audio = MakeAudio(system.api, error);
        if (found.audio == nullptr || found.audio->getDeviceCount() == 0) {
            continue;
        }
        found.index = found.audio->getDefaultOutputDevice();
        found.info = found.audio->getDeviceInfo(found.index);
        if (CanPlay(found.info)) {
            found.system = &system;
            return true;
        }
    }
    return false;
}

bool CRtAudioOut::Open(const std::string& deviceId) {
    Close();
    const std::string prefix = deviceId.empty()
                                   ? std::string("Can't open the default sound output device: ")
                                   : "Can't open sound output device \"" + deviceId + "\": ";
    FOUND found;
    try {
        const bool present = deviceId.empty() ? FindDefault(found) : FindDevice(deviceId, found);
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
    m_errorSlot = TakeSlot(this);
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
                        this, &options, m_errorSlot >= 0 ? kErrorCallbacks[m_errorSlot] : nullptr);
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
    m_description = std::string(found.system->title) + ": " + found.info.name;
    m_open = true;
    StartWatch();
    return true;
}

void CRtAudioOut::StartWatch() {
    {
        std::lock_guard<std::mutex> lock(m_watchMutex);
        m_watchStop = false;
    }
    m_watcher = std::thread(&CRtAudioOut::Watch, this);
}

void CRtAudioOut::StopWatch() {
    {
        std::lock_guard<std::mutex> lock(m_watchMutex);
        m_watchStop = true;
    }
    m_watchWake.notify_all();
    if (m_watcher.joinable()) {
        m_watcher.join();
    }
}

// Counts the blocks the device asked for; none for kStallLimitMs means the
// stream has stopped, whatever stopped it.
void CRtAudioOut::Watch() {
    using namespace std::chrono;
    uint64_t seen = m_blocks.load(std::memory_order_relaxed);
    auto lastBlock = steady_clock::now();
    std::unique_lock<std::mutex> lock(m_watchMutex);
    while (
        !m_watchWake.wait_for(lock, milliseconds(kWatchPeriodMs), [this] { return m_watchStop; })) {
        const uint64_t blocks = m_blocks.load(std::memory_order_relaxed);
        const auto now = steady_clock::now();
        if (blocks != seen) {
            seen = blocks;
            lastBlock = now;
        } else if (now - lastBlock > milliseconds(kStallLimitMs)) {
            OnStreamError(true, "the device has asked for no sound for " +
                                    std::to_string(kStallLimitMs / 1000) + " s");
            return;
        }
    }
}

void CRtAudioOut::CloseStream() {
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
    GiveBackSlot(m_errorSlot);
    m_errorSlot = -1;
}

void CRtAudioOut::Close() {
    StopWatch();
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
