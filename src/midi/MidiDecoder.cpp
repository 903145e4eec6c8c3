#include "midi/MidiDecoder.h"

int CMidiDecoder::DataCountOf(uint8_t status) {
    const int kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;  // program change, channel pressure
}

void CMidiDecoder::Reset() {
    m_status = 0;
    m_count = 0;
    m_inSysex = false;
}

bool CMidiDecoder::Feed(uint8_t byte, MIDI_MESSAGE& message) {
    if (byte >= 0xF8) {
        return false;  // real time: clock, start, stop, active sensing, reset
    }
    if (byte >= 0x80) {
        // Any other status ends a partial message and a system exclusive
        // block; system messages also cancel the running status.
        m_count = 0;
        m_inSysex = byte == 0xF0;
        m_status = byte < 0xF0 ? byte : 0;
        return false;
    }
    if (m_inSysex) {
        return false;
    }
    if (m_status == 0) {
        ++m_stray;
        return false;
    }
    m_data[m_count++] = byte;
    if (m_count < DataCountOf(m_status)) {
        return false;
    }
    message.status = m_status;
    message.data1 = m_data[0];
    message.data2 = m_count > 1 ? m_data[1] : 0;
    m_count = 0;  // the status runs on
    return true;
}
