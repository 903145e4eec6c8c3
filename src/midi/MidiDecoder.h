#pragma once

#include <cstdint>

// One channel message of the MIDI stream: status 0x80..0xEF and its one or
// two data bytes (data2 is 0 for the one-byte kinds).
struct MIDI_MESSAGE {
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;

    int GetKind() const { return status & 0xF0; }
    int GetChannel() const { return status & 0x0F; }  // 0-based
};

// Turns a MIDI byte stream into channel messages. It follows running status
// (data bytes that reuse the last status), lets real-time bytes (0xF8..0xFF)
// pass anywhere, even inside a message, without disturbing it, skips system
// exclusive data and system common messages, and drops a message cut short
// by a new status byte. Data bytes with no status to belong to are ignored.
class CMidiDecoder {
public:
    // Feeds one byte; true when it completes a channel message.
    bool Feed(uint8_t byte, MIDI_MESSAGE& message);
    // Forgets the running status and any partial message.
    void Reset();

    // Data bytes that needed a status they did not have (a stream joined
    // mid-message, or bytes after a system message).
    uint32_t GetStrayCount() const { return m_stray; }

private:
    static int DataCountOf(uint8_t status);

    uint8_t m_status = 0;  // running status, 0 when none
    uint8_t m_data[2] = {0, 0};
    int m_count = 0;
    bool m_inSysex = false;
    uint32_t m_stray = 0;
};
