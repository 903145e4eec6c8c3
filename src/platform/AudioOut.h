#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One output device as the system lists it. An empty id is the system's
// default device.
struct AUDIO_DEVICE {
    std::string id;
    std::string description;
};

// Looks at every block of frames that leaves the device, on the device's own
// thread: for tests and measurements. It must not lock, allocate or wait.
class IAudioTap {
public:
    virtual ~IAudioTap() = default;
    // frames interleaved stereo 16-bit values; seconds is the platform clock
    // when the block was mixed.
    virtual void OnBlock(const int16_t* values, int frames, double seconds) = 0;
};

// An output device that mixes any number of sound buffers, the way a
// hardware mixer does: every buffer holds 16-bit PCM (mono or stereo, at its
// own rate), plays once or loops, has a play cursor, a volume and a pan.
//
// Threads: every call comes from user threads (never from the device's);
// one buffer is controlled by one thread at a time, which its owner ensures
// (the sound engine's lock). The device's own thread mixes without locks,
// allocation or waiting. Failures return false (or kNoBuffer) and leave a
// text read with GetError.
class IAudioOut {
public:
    static constexpr int kNoBuffer = -1;
    static constexpr int32_t kSilence = -10000;  // hundredths of a decibel
    static constexpr int32_t kFullLeft = -10000;
    static constexpr int32_t kFullRight = 10000;

    virtual ~IAudioOut() = default;

    // The devices present now. May take long or not return at all on a
    // broken sound system: call it off the user-interface thread.
    virtual bool EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) = 0;
    // Opens a device of the list (an empty id: the default device) and
    // starts mixing. The same caution as for EnumerateDevices applies.
    virtual bool Open(const std::string& deviceId) = 0;
    // Stops mixing, closes the device and releases every buffer.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Description of the open device.
    virtual std::string GetDeviceName() const = 0;
    // Frames per second of the open device.
    virtual int GetRate() const = 0;
    // Frames per block of the device's mixing.
    virtual int GetBlockFrames() const = 0;
    // What the stream says lies between a mixed block and the listener.
    virtual double GetLatencySeconds() const = 0;

    // A writable buffer of bytes (a whole number of frames), silent.
    virtual int CreateBuffer(int channels, int rate, uint32_t bytes) = 0;
    // A read-only buffer over data that is shared, not copied; data must
    // not change while the buffer lives.
    virtual int CreateSharedBuffer(int channels, int rate,
                                   std::shared_ptr<const std::vector<uint8_t>> data,
                                   uint32_t bytes) = 0;
    // Stops and forgets the buffer; its memory goes once the device no
    // longer reads it.
    virtual bool ReleaseBuffer(int buffer) = 0;

    // Gives direct access to bytes [offset, offset + bytes) of a writable
    // buffer; locked is how many of them fit before the buffer's end. The
    // region must not be the one being played. Unlock ends the access.
    virtual bool Lock(int buffer, uint32_t offset, uint32_t bytes, uint8_t*& data,
                      uint32_t& locked) = 0;
    virtual bool Unlock(int buffer) = 0;

    // Starts from the play cursor; a buffer played once stops at its end
    // (its cursor stays there), a looped one wraps to 0.
    virtual bool Play(int buffer, bool loop) = 0;
    virtual bool Stop(int buffer) = 0;
    // Plays on for frames (of the device) while the level falls to silence,
    // then stops: an end without a click. A stopped buffer stays stopped.
    virtual bool FadeOut(int buffer, uint32_t frames) = 0;
    // Moves the play cursor (bytes, rounded down to a frame); it takes
    // effect from the next block mixed.
    virtual bool SetPosition(int buffer, uint32_t offset) = 0;
    // Bytes from the buffer's start to where it plays.
    virtual bool GetPosition(int buffer, uint32_t& offset) = 0;
    virtual bool IsPlaying(int buffer) = 0;
    // Attenuation in hundredths of a decibel, kSilence (-10000) .. 0.
    virtual bool SetVolume(int buffer, int32_t hundredthsDb) = 0;
    // kFullLeft .. kFullRight: the other side is attenuated by |pan|.
    virtual bool SetPan(int buffer, int32_t hundredthsDb) = 0;

    // Sees every mixed block from then on; null ends it. The tap must
    // outlive its use.
    virtual void SetTap(IAudioTap* tap) = 0;

    virtual const char* GetError() const = 0;
};
