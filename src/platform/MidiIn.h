#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What a MIDI input hands its user. Both calls arrive on the input's own
// thread, never on the user-interface thread, and never at the same time.
class IMidiInSink {
public:
    virtual ~IMidiInSink() = default;
    // Bytes of the input's MIDI stream in the order received: whole messages
    // or any piece of one (a backend may split a message across calls).
    // seconds is the arrival time on the input's own clock.
    virtual void OnMidiBytes(const uint8_t* bytes, size_t count, double seconds) = 0;
    // The open port has gone away (unplugged, its driver or server ended).
    // Called once per Open; no bytes follow until the port is opened again.
    virtual void OnPortLost(const char* reason) = 0;
};

// A MIDI input with numbered ports, one of which may be open at a time.
// Failures return false and leave a text read with GetError.
class IMidiIn {
public:
    virtual ~IMidiIn() = default;

    // The ports present now; numbers run from 0 and may change when devices
    // come and go.
    virtual int GetPortCount() = 0;
    virtual bool GetPortName(int port, std::string& name) = 0;

    // Opens a port (closing the open one first) and starts delivering its
    // bytes to sink, which must stay alive until Close.
    virtual bool Open(int port, IMidiInSink* sink) = 0;
    // Stops delivery; once it returns, the sink is called no more. Closing a
    // closed input succeeds.
    virtual bool Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual const char* GetError() const = 0;
};
