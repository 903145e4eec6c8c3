#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/AudioOut.h"  // AUDIO_DEVICE

// A capture device that records 16-bit PCM into a looping buffer of its own,
// the way a sound card's capture buffer works: the device thread writes at
// the capture cursor, the user reads what lies between its own read position
// and the cursor, in time (the buffer holds bufferBytes, seconds of sound).
//
// Threads: every call comes from user threads, one at a time (the capture's
// lock); the device thread only writes the buffer and moves the cursor,
// without locks. Failures return false and leave a text read with GetError.
class IAudioIn {
public:
    virtual ~IAudioIn() = default;

    // The inputs present now. May take long on a broken sound system: call
    // it off the user-interface thread.
    virtual bool EnumerateDevices(std::vector<AUDIO_DEVICE>& devices) = 0;
    // Opens an input of the list (an empty id: the default input) for
    // channels × 16-bit at rate, with a silent looping buffer of bufferBytes
    // (a whole number of frames); not capturing yet, cursor at 0.
    virtual bool Open(const std::string& deviceId, int channels, int rate,
                      uint32_t bufferBytes) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual std::string GetDeviceName() const = 0;

    // Captures into the buffer from the cursor on; Stop keeps the cursor.
    virtual bool Start() = 0;
    virtual bool Stop() = 0;
    virtual bool IsCapturing() const = 0;
    // Bytes from the buffer's start to where the next captured byte goes:
    // everything before it (back to one buffer length) holds captured sound.
    virtual bool GetPosition(uint32_t& cursor) = 0;
    // Copies bytes [offset, offset + count) of the buffer, wrapping at its
    // end, into out; count at most the buffer size.
    virtual bool Read(uint32_t offset, uint32_t count, uint8_t* out) = 0;

    virtual const char* GetError() const = 0;
};
