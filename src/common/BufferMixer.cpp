#include "common/BufferMixer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <new>
#include <thread>

#include "platform/Clock.h"

namespace {

constexpr int kBytesPerSample = 2;
constexpr uint64_t kOne = uint64_t{1} << 32;  // one frame in 32.32 fixed point
constexpr float kFraction = 1.0f / 4294967296.0f;

// The packed word: frame in bits 0..30, state in 31..32, the play
// sequence in 33..47 and the position sequence in 48..63.
constexpr int kStateShift = 31;
constexpr int kPlayShift = 33;
constexpr int kPositionShift = 48;
constexpr uint64_t kFrameMask = (uint64_t{1} << kStateShift) - 1;
constexpr uint64_t kStateMask = 3;
constexpr uint64_t kPlayMask = 0x7FFF;
constexpr uint64_t kPositionMask = 0xFFFF;

constexpr float kSampleMin = -32768.0f;
constexpr float kSampleMax = 32767.0f;
constexpr double kHundredthsPerDecade = 2000.0;  // 20 dB, in hundredths

// How long SetTap waits for the block being mixed to end.
constexpr auto kTapWait = std::chrono::milliseconds(200);

uint64_t PackGains(float left, float right) {
    uint32_t l = 0;
    uint32_t r = 0;
    std::memcpy(&l, &left, sizeof l);
    std::memcpy(&r, &right, sizeof r);
    return (uint64_t{r} << 32) | l;
}

void UnpackGains(uint64_t word, float& left, float& right) {
    const auto l = static_cast<uint32_t>(word);
    const auto r = static_cast<uint32_t>(word >> 32);
    std::memcpy(&left, &l, sizeof left);
    std::memcpy(&right, &r, sizeof right);
}

int16_t SampleAt(const uint8_t* samples, uint64_t index) {
    int16_t value = 0;
    std::memcpy(&value, samples + index * kBytesPerSample, sizeof value);
    return value;
}

std::string Named(const char* what, int buffer) {
    return std::string("Can't ") + what + " sound buffer " + std::to_string(buffer) + ": ";
}

}  // namespace

uint64_t CBufferMixer::PACKED::Pack() const {
    return (uint64_t{frame} & kFrameMask) | (uint64_t{state} << kStateShift) |
           ((uint64_t{playSequence} & kPlayMask) << kPlayShift) |
           ((uint64_t{positionSequence} & kPositionMask) << kPositionShift);
}

CBufferMixer::PACKED CBufferMixer::PACKED::Unpack(uint64_t word) {
    PACKED packed;
    packed.frame = static_cast<uint32_t>(word & kFrameMask);
    packed.state = static_cast<State>((word >> kStateShift) & kStateMask);
    packed.playSequence = static_cast<uint32_t>((word >> kPlayShift) & kPlayMask);
    packed.positionSequence = static_cast<uint32_t>((word >> kPositionShift) & kPositionMask);
    return packed;
}

CBufferMixer::CBufferMixer(int deviceRate)
    : m_deviceRate(deviceRate), m_sum(static_cast<size_t>(kChunkFrames) * kOutputChannels) {}

CBufferMixer::~CBufferMixer() {
    ReleaseAll();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_retired.clear();
}

bool CBufferMixer::SetDeviceRate(int rate) {
    if (rate < kMinRate || rate > kMaxRate) {
        return Fail("Can't mix at " + std::to_string(rate) + " Hz");
    }
    if (GetBufferCount() > 0) {
        return Fail("Can't change the mixing rate while buffers exist");
    }
    m_deviceRate = rate;
    return true;
}

float CBufferMixer::GainOf(int32_t hundredthsDb) {
    if (hundredthsDb <= IAudioOut::kSilence) {
        return 0.0f;
    }
    if (hundredthsDb >= 0) {
        return 1.0f;
    }
    return static_cast<float>(std::pow(10.0, hundredthsDb / kHundredthsPerDecade));
}

bool CBufferMixer::Fail(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_error = text;
    return false;
}

const char* CBufferMixer::GetError() const {
    thread_local std::string copy;
    std::lock_guard<std::mutex> lock(m_mutex);
    copy = m_error;
    return copy.c_str();
}

bool CBufferMixer::CheckFormat(int channels, int rate, uint32_t bytes, const char* what) {
    const std::string prefix = std::string("Can't create ") + what + ": ";
    if (channels != 1 && channels != kOutputChannels) {
        return Fail(prefix + std::to_string(channels) + " channels (1 or 2 are possible)");
    }
    if (rate < kMinRate || rate > kMaxRate) {
        return Fail(prefix + "a rate of " + std::to_string(rate) + " Hz");
    }
    const uint32_t frameBytes = static_cast<uint32_t>(channels) * kBytesPerSample;
    if (bytes == 0 || bytes % frameBytes != 0) {
        return Fail(prefix + std::to_string(bytes) + " bytes are not a whole number of frames");
    }
    return true;
}

int CBufferMixer::CreateBuffer(int channels, int rate, uint32_t bytes) {
    constexpr const char* kWhat = "a sound buffer";
    if (!CheckFormat(channels, rate, bytes, kWhat)) {
        return IAudioOut::kNoBuffer;
    }
    auto buffer = std::make_unique<BUFFER>();
    try {
        buffer->owned = std::make_unique<uint8_t[]>(bytes);  // zeroed: silent
    } catch (const std::bad_alloc&) {
        Fail("Can't create a sound buffer of " + std::to_string(bytes) + " bytes: out of memory");
        return IAudioOut::kNoBuffer;
    }
    buffer->samples = buffer->owned.get();
    buffer->writable = true;
    buffer->channels = channels;
    buffer->rate = rate;
    buffer->frames = bytes / (static_cast<uint32_t>(channels) * kBytesPerSample);
    return Insert(std::move(buffer), kWhat);
}

int CBufferMixer::CreateSharedBuffer(int channels, int rate,
                                     std::shared_ptr<const std::vector<uint8_t>> data,
                                     uint32_t bytes) {
    constexpr const char* kWhat = "a shared sound buffer";
    if (!CheckFormat(channels, rate, bytes, kWhat)) {
        return IAudioOut::kNoBuffer;
    }
    if (data == nullptr || data->size() < bytes) {
        Fail("Can't create a shared sound buffer: the data hold fewer than " +
             std::to_string(bytes) + " bytes");
        return IAudioOut::kNoBuffer;
    }
    auto buffer = std::make_unique<BUFFER>();
    buffer->samples = data->data();
    buffer->shared = std::move(data);
    buffer->channels = channels;
    buffer->rate = rate;
    buffer->frames = bytes / (static_cast<uint32_t>(channels) * kBytesPerSample);
    return Insert(std::move(buffer), kWhat);
}

int CBufferMixer::Insert(std::unique_ptr<BUFFER> buffer, const char* what) {
    buffer->step =
        (static_cast<uint64_t>(buffer->rate) << 32) / static_cast<uint64_t>(m_deviceRate);
    buffer->gains.store(PackGains(1.0f, 1.0f), std::memory_order_relaxed);
    std::lock_guard<std::mutex> lock(m_mutex);
    FreeRetired();
    for (int i = 0; i < kMaxBuffers; ++i) {
        const int slot = (m_nextSlot + i) % kMaxBuffers;
        if (m_slots[slot].load(std::memory_order_relaxed) != nullptr) {
            continue;
        }
        m_slots[slot].store(buffer.release(), std::memory_order_release);
        m_nextSlot = (slot + 1) % kMaxBuffers;
        if (m_slotLimit.load(std::memory_order_relaxed) <= slot) {
            m_slotLimit.store(slot + 1, std::memory_order_release);
        }
        ++m_count;
        return slot;
    }
    m_error = std::string("Can't create ") + what + ": all " + std::to_string(kMaxBuffers) +
              " are in use";
    return IAudioOut::kNoBuffer;
}

int CBufferMixer::GetBufferCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_count;
}

CBufferMixer::BUFFER* CBufferMixer::Find(int buffer, const char* what) {
    BUFFER* found = nullptr;
    if (buffer >= 0 && buffer < kMaxBuffers) {
        found = m_slots[buffer].load(std::memory_order_acquire);
    }
    if (found == nullptr) {
        Fail(Named(what, buffer) + "there is no such buffer");
    }
    return found;
}

bool CBufferMixer::ReleaseBuffer(int buffer) {
    if (buffer < 0 || buffer >= kMaxBuffers) {
        return Fail(Named("release", buffer) + "there is no such buffer");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    std::unique_ptr<BUFFER> gone(m_slots[buffer].exchange(nullptr, std::memory_order_seq_cst));
    if (gone == nullptr) {
        m_error = Named("release", buffer) + "there is no such buffer";
        return false;
    }
    --m_count;
    Retire(std::move(gone));
    FreeRetired();
    return true;
}

void CBufferMixer::ReleaseAll() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const int limit = m_slotLimit.load(std::memory_order_acquire);
    for (int i = 0; i < limit; ++i) {
        std::unique_ptr<BUFFER> gone(m_slots[i].exchange(nullptr, std::memory_order_seq_cst));
        if (gone != nullptr) {
            Retire(std::move(gone));
        }
    }
    m_count = 0;
    m_nextSlot = 0;
    FreeRetired();
}

// The slot is already empty. A mix that started before that may still read
// the buffer: it is kept until the mix count has moved on. Mix counts up
// before it looks at the slots, so an even count read after emptying the
// slot means no mix can see the buffer any more.
void CBufferMixer::Retire(std::unique_ptr<BUFFER> buffer) {
    const uint64_t count = m_mixCount.load(std::memory_order_seq_cst);
    if (count % 2 != 0) {
        m_retired.push_back({std::move(buffer), count});
    }
}

void CBufferMixer::FreeRetired() {
    const uint64_t count = m_mixCount.load(std::memory_order_seq_cst);
    m_retired.erase(std::remove_if(m_retired.begin(), m_retired.end(),
                                   [count](const RETIRED& r) { return r.mixCount != count; }),
                    m_retired.end());
}

bool CBufferMixer::Lock(int buffer, uint32_t offset, uint32_t bytes, uint8_t*& data,
                        uint32_t& locked) {
    data = nullptr;
    locked = 0;
    BUFFER* found = Find(buffer, "lock");
    if (found == nullptr) {
        return false;
    }
    const uint32_t size = found->frames * static_cast<uint32_t>(found->channels) * kBytesPerSample;
    if (!found->writable) {
        return Fail(Named("lock", buffer) + "it is read-only");
    }
    if (found->locked) {
        return Fail(Named("lock", buffer) + "it is locked already");
    }
    if (offset >= size || bytes == 0) {
        return Fail(Named("lock", buffer) + "bytes " + std::to_string(offset) + ".." +
                    std::to_string(uint64_t{offset} + bytes) + " are outside its " +
                    std::to_string(size));
    }
    found->locked = true;
    data = found->owned.get() + offset;
    locked = std::min(bytes, size - offset);
    return true;
}

bool CBufferMixer::Unlock(int buffer) {
    BUFFER* found = Find(buffer, "unlock");
    if (found == nullptr) {
        return false;
    }
    if (!found->locked) {
        return Fail(Named("unlock", buffer) + "it is not locked");
    }
    found->locked = false;
    found->written.fetch_add(1, std::memory_order_release);
    return true;
}

bool CBufferMixer::Play(int buffer, bool loop) {
    BUFFER* found = Find(buffer, "play");
    if (found == nullptr) {
        return false;
    }
    PACKED command = PACKED::Unpack(found->command.load(std::memory_order_relaxed));
    command.state = loop ? kLoop : kOnce;
    ++command.playSequence;
    found->command.store(command.Pack(), std::memory_order_release);
    return true;
}

bool CBufferMixer::Stop(int buffer) {
    BUFFER* found = Find(buffer, "stop");
    if (found == nullptr) {
        return false;
    }
    PACKED command = PACKED::Unpack(found->command.load(std::memory_order_relaxed));
    command.state = kStopped;
    ++command.playSequence;
    found->command.store(command.Pack(), std::memory_order_release);
    return true;
}

bool CBufferMixer::FadeOut(int buffer, uint32_t frames) {
    BUFFER* found = Find(buffer, "fade out");
    if (found == nullptr) {
        return false;
    }
    found->fadeFrames.store(std::max<uint32_t>(frames, 1), std::memory_order_relaxed);
    PACKED command = PACKED::Unpack(found->command.load(std::memory_order_relaxed));
    command.state = kFading;
    ++command.playSequence;
    found->command.store(command.Pack(), std::memory_order_release);
    return true;
}

bool CBufferMixer::SetPosition(int buffer, uint32_t offset) {
    BUFFER* found = Find(buffer, "set the position of");
    if (found == nullptr) {
        return false;
    }
    const uint32_t frame = offset / (static_cast<uint32_t>(found->channels) * kBytesPerSample);
    PACKED command = PACKED::Unpack(found->command.load(std::memory_order_relaxed));
    command.frame = std::min(frame, found->frames);
    ++command.positionSequence;
    found->command.store(command.Pack(), std::memory_order_release);
    return true;
}

// A request the mixing thread has not applied yet answers for it.
bool CBufferMixer::GetPosition(int buffer, uint32_t& offset) {
    offset = 0;
    BUFFER* found = Find(buffer, "get the position of");
    if (found == nullptr) {
        return false;
    }
    const PACKED command = PACKED::Unpack(found->command.load(std::memory_order_relaxed));
    const PACKED status = PACKED::Unpack(found->status.load(std::memory_order_acquire));
    const uint32_t frame =
        command.positionSequence != status.positionSequence ? command.frame : status.frame;
    offset = frame * static_cast<uint32_t>(found->channels) * kBytesPerSample;
    return true;
}

bool CBufferMixer::IsPlaying(int buffer) {
    BUFFER* found = Find(buffer, "look at");
    if (found == nullptr) {
        return false;
    }
    const PACKED command = PACKED::Unpack(found->command.load(std::memory_order_relaxed));
    const PACKED status = PACKED::Unpack(found->status.load(std::memory_order_acquire));
    const State state = command.playSequence != status.playSequence ? command.state : status.state;
    return state != kStopped;
}

bool CBufferMixer::SetVolume(int buffer, int32_t hundredthsDb) {
    BUFFER* found = Find(buffer, "set the volume of");
    if (found == nullptr) {
        return false;
    }
    if (hundredthsDb < IAudioOut::kSilence || hundredthsDb > 0) {
        return Fail(Named("set the volume of", buffer) + std::to_string(hundredthsDb) +
                    " is outside -10000..0");
    }
    found->volume = hundredthsDb;
    StoreGains(*found);
    return true;
}

bool CBufferMixer::SetPan(int buffer, int32_t hundredthsDb) {
    BUFFER* found = Find(buffer, "set the pan of");
    if (found == nullptr) {
        return false;
    }
    if (hundredthsDb < IAudioOut::kFullLeft || hundredthsDb > IAudioOut::kFullRight) {
        return Fail(Named("set the pan of", buffer) + std::to_string(hundredthsDb) +
                    " is outside -10000..10000");
    }
    found->pan = hundredthsDb;
    StoreGains(*found);
    return true;
}

// A pan to the right attenuates the left side by the pan, one to the left
// the right side.
void CBufferMixer::StoreGains(BUFFER& buffer) {
    const float volume = GainOf(buffer.volume);
    const float left = buffer.pan > 0 ? volume * GainOf(-buffer.pan) : volume;
    const float right = buffer.pan < 0 ? volume * GainOf(buffer.pan) : volume;
    buffer.gains.store(PackGains(left, right), std::memory_order_release);
}

void CBufferMixer::SetTap(IAudioTap* tap) {
    IAudioTap* const old = m_tap.exchange(tap, std::memory_order_seq_cst);
    const uint64_t count = m_mixCount.load(std::memory_order_seq_cst);
    if (old == nullptr || count % 2 == 0) {
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + kTapWait;
    while (m_mixCount.load(std::memory_order_seq_cst) == count &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void CBufferMixer::Mix(int16_t* out, int frames) {
    m_mixCount.fetch_add(1, std::memory_order_seq_cst);
    for (int done = 0; done < frames; done += kChunkFrames) {
        MixChunk(out + static_cast<size_t>(done) * kOutputChannels,
                 std::min(kChunkFrames, frames - done));
    }
    IAudioTap* const tap = m_tap.load(std::memory_order_acquire);
    if (tap != nullptr && frames > 0) {
        tap->OnBlock(out, frames, Platform::GetClock().GetSeconds());
    }
    m_mixCount.fetch_add(1, std::memory_order_seq_cst);
}

void CBufferMixer::MixChunk(int16_t* out, int frames) {
    const size_t values = static_cast<size_t>(frames) * kOutputChannels;
    std::fill(m_sum.begin(), m_sum.begin() + static_cast<std::ptrdiff_t>(values), 0.0f);
    const int limit = m_slotLimit.load(std::memory_order_acquire);
    for (int i = 0; i < limit; ++i) {
        BUFFER* const buffer = m_slots[i].load(std::memory_order_seq_cst);
        if (buffer != nullptr) {
            MixBuffer(*buffer, frames);
        }
    }
    for (size_t i = 0; i < values; ++i) {
        const float value = std::clamp(m_sum[i], kSampleMin, kSampleMax);
        out[i] = static_cast<int16_t>(std::lrint(value));
    }
}

void CBufferMixer::Publish(BUFFER& buffer) {
    PACKED status = buffer.applied;
    status.frame = static_cast<uint32_t>(std::min<uint64_t>(buffer.cursor >> 32, buffer.frames));
    buffer.status.store(status.Pack(), std::memory_order_release);
}

// Wraps a looping buffer's cursor; stops a buffer played once at its end,
// its cursor on the end. False when the buffer no longer plays.
bool CBufferMixer::Advance(BUFFER& buffer) {
    const uint64_t end = uint64_t{buffer.frames} << 32;
    if (buffer.cursor < end) {
        return true;
    }
    if (buffer.applied.state == kLoop) {
        buffer.cursor %= end;
        return true;
    }
    buffer.cursor = end;
    buffer.applied.state = kStopped;
    return false;
}

// Between two frames the value is interpolated; on a frame it is the frame.
void CBufferMixer::ReadFrame(const BUFFER& buffer, float& left, float& right) const {
    const uint64_t index = buffer.cursor >> 32;
    const float fraction = static_cast<float>(buffer.cursor & (kOne - 1)) * kFraction;
    uint64_t next = index + 1;
    if (next >= buffer.frames) {
        next = buffer.applied.state == kLoop ? 0 : index;
    }
    const auto channels = static_cast<uint64_t>(buffer.channels);
    const auto at = [&](uint64_t frame, uint64_t channel) {
        const float a = SampleAt(buffer.samples, index * channels + channel);
        const float b = SampleAt(buffer.samples, frame * channels + channel);
        return a + (b - a) * fraction;
    };
    left = at(next, 0);
    right = channels == 1 ? left : at(next, 1);
}

void CBufferMixer::MixBuffer(BUFFER& buffer, int frames) {
    buffer.written.load(std::memory_order_acquire);  // the samples of every unlock so far
    const PACKED requested = PACKED::Unpack(buffer.command.load(std::memory_order_acquire));
    bool changed = false;
    if (requested.positionSequence != buffer.applied.positionSequence) {
        buffer.cursor = uint64_t{std::min(requested.frame, buffer.frames)} << 32;
        buffer.applied.positionSequence = requested.positionSequence;
        changed = true;
    }
    if (requested.playSequence != buffer.applied.playSequence) {
        const bool playing = buffer.applied.state != kStopped;
        buffer.applied.state = requested.state;
        if (requested.state == kFading) {
            // Only what sounds fades; a fade of a fade goes on from its level.
            const uint32_t frames = buffer.fadeFrames.load(std::memory_order_relaxed);
            const bool fading = buffer.fadeLeft > 0 && buffer.fadeTotal > 0;
            buffer.applied.state = playing ? kFading : kStopped;
            if (!fading) {
                buffer.fadeLeft = buffer.fadeTotal = frames;
            }
        }
        buffer.applied.playSequence = requested.playSequence;
        changed = true;
    }
    if (buffer.applied.state != kStopped) {
        float gainLeft = 0.0f;
        float gainRight = 0.0f;
        UnpackGains(buffer.gains.load(std::memory_order_acquire), gainLeft, gainRight);
        float* sum = m_sum.data();
        for (int i = 0; i < frames && Advance(buffer); ++i) {
            float fade = 1.0f;
            if (buffer.applied.state == kFading) {
                if (buffer.fadeLeft == 0) {
                    buffer.applied.state = kStopped;
                    break;
                }
                fade = static_cast<float>(buffer.fadeLeft--) / buffer.fadeTotal;
            }
            float left = 0.0f;
            float right = 0.0f;
            ReadFrame(buffer, left, right);
            sum[2 * i] += left * gainLeft * fade;
            sum[2 * i + 1] += right * gainRight * fade;
            buffer.cursor += buffer.step;
        }
        Advance(buffer);
        if (buffer.applied.state != kFading) {
            buffer.fadeLeft = 0;
        }
        changed = true;
    }
    if (changed) {
        Publish(buffer);
    }
}
