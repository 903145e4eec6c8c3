#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/AudioOut.h"

// The mixing of an output device's sound buffers, shared by every backend.
// User threads create buffers and control them; the device's thread calls
// Mix for every block it needs. Control reaches the mixing thread through
// atomics only: the mixing thread never locks, allocates, waits or logs.
//
// Buffers hold 16-bit PCM, mono or stereo, at their own rate; the mixer
// steps through them at rate / device rate (exactly one frame per frame at
// equal rates) and writes interleaved stereo. A single buffer at volume 0
// and pan 0 comes out unchanged, bit for bit.
//
// One thread controls a buffer at a time (its owner ensures it); creating
// and releasing may happen on any number of threads at once.
class CBufferMixer {
public:
    static constexpr int kMaxBuffers = 4096;
    static constexpr int kOutputChannels = 2;
    // Frames mixed in one go; longer blocks are mixed in pieces.
    static constexpr int kChunkFrames = 1024;
    static constexpr int kMinRate = 1000;
    static constexpr int kMaxRate = 384000;

    explicit CBufferMixer(int deviceRate = 44100);
    CBufferMixer(const CBufferMixer&) = delete;
    CBufferMixer& operator=(const CBufferMixer&) = delete;
    // No Mix may run any more.
    ~CBufferMixer();

    // The rate Mix produces; only while no buffer exists and no Mix runs.
    bool SetDeviceRate(int rate);
    int GetDeviceRate() const { return m_deviceRate; }

    int CreateBuffer(int channels, int rate, uint32_t bytes);
    int CreateSharedBuffer(int channels, int rate, std::shared_ptr<const std::vector<uint8_t>> data,
                           uint32_t bytes);
    bool ReleaseBuffer(int buffer);
    // Forgets every buffer; their memory goes at once when no Mix runs.
    void ReleaseAll();
    int GetBufferCount() const;

    bool Lock(int buffer, uint32_t offset, uint32_t bytes, uint8_t*& data, uint32_t& locked);
    bool Unlock(int buffer);
    bool Play(int buffer, bool loop);
    bool Stop(int buffer);
    // A playing buffer goes on for frames while its level falls to silence,
    // then stops; a stopped one stays stopped.
    bool FadeOut(int buffer, uint32_t frames);
    bool SetPosition(int buffer, uint32_t offset);
    bool GetPosition(int buffer, uint32_t& offset);
    bool IsPlaying(int buffer);
    bool SetVolume(int buffer, int32_t hundredthsDb);
    bool SetPan(int buffer, int32_t hundredthsDb);

    // Sees every block mixed from then on. Setting another tap (or null)
    // waits briefly for a block being mixed to end, never for a stalled
    // device.
    void SetTap(IAudioTap* tap);

    // The mixing thread: frames of interleaved stereo into out.
    void Mix(int16_t* out, int frames);

    // The last failure, of any thread; the text stays valid until the
    // calling thread asks again.
    const char* GetError() const;
    // Backends keep their own failures here too, so there is one text.
    bool Fail(const std::string& text);

    // Gain of an attenuation in hundredths of a decibel: 10^(v / 2000);
    // kSilence and below give 0.
    static float GainOf(int32_t hundredthsDb);

private:
    enum State : uint64_t { kStopped = 0, kOnce = 1, kLoop = 2, kFading = 3 };

    // A command or a status packed into 64 bits: the position in frames,
    // the play state and two sequence numbers that change with every play
    // or stop and every position set, so that several requests between two
    // blocks all take effect.
    struct PACKED {
        uint32_t frame = 0;
        State state = kStopped;
        uint32_t playSequence = 0;
        uint32_t positionSequence = 0;

        uint64_t Pack() const;
        static PACKED Unpack(uint64_t word);
    };

    struct BUFFER {
        int channels = 0;
        int rate = 0;
        uint32_t frames = 0;
        uint64_t step = 0;  // source frames per output frame, 32.32 fixed point
        std::unique_ptr<uint8_t[]> owned;
        std::shared_ptr<const std::vector<uint8_t>> shared;
        const uint8_t* samples = nullptr;
        bool writable = false;
        bool locked = false;  // controlling thread only
        int32_t volume = 0;   // controlling thread only
        int32_t pan = 0;      // controlling thread only

        std::atomic<uint64_t> command{0};     // written by the controlling thread
        std::atomic<uint64_t> gains{0};       // two floats: left, right
        std::atomic<uint64_t> status{0};      // written by the mixing thread
        std::atomic<uint32_t> fadeFrames{0};  // of the last FadeOut, stored before its command
        // Counts the unlocks: the samples written before one are seen by
        // the mixing thread once it has read the count after it.
        std::atomic<uint64_t> written{0};

        // The mixing thread's own.
        uint64_t cursor = 0;  // frames, 32.32 fixed point
        PACKED applied;
        uint32_t fadeLeft = 0;  // frames of the fade still to play
        uint32_t fadeTotal = 1;
    };

    struct RETIRED {
        std::unique_ptr<BUFFER> buffer;
        uint64_t mixCount = 0;  // the mix that may still read it
    };

    int Insert(std::unique_ptr<BUFFER> buffer, const char* what);
    bool CheckFormat(int channels, int rate, uint32_t bytes, const char* what);
    BUFFER* Find(int buffer, const char* what);
    void Retire(std::unique_ptr<BUFFER> buffer);
    void FreeRetired();
    static void StoreGains(BUFFER& buffer);
    static void Publish(BUFFER& buffer);
    void MixChunk(int16_t* out, int frames);
    void MixBuffer(BUFFER& buffer, int frames);
    bool Advance(BUFFER& buffer);
    void ReadFrame(const BUFFER& buffer, float& left, float& right) const;

    int m_deviceRate;
    std::array<std::atomic<BUFFER*>, kMaxBuffers> m_slots{};
    std::atomic<int> m_slotLimit{0};      // no buffer lives at or above it
    std::atomic<uint64_t> m_mixCount{0};  // odd while a block is being mixed
    std::atomic<IAudioTap*> m_tap{nullptr};
    std::vector<float> m_sum;  // the mixing thread's own

    mutable std::mutex m_mutex;  // user threads only: slots, retired, error
    std::vector<RETIRED> m_retired;
    int m_nextSlot = 0;
    int m_count = 0;
    std::string m_error;
};
