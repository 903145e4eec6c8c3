#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/CharString.h"
#include "midi/SmfFile.h"

// Writes SMF_FILE as the bytes of a Standard MIDI File. Channel events use
// running status (a status byte is left out when it repeats the last one;
// meta and sysex events break the run), every track ends with an
// end-of-track event (one is added when the track has none) and events out
// of tick order are put in order, keeping the order of equal ticks.
class CSmfWriter {
public:
    // Replaces bytes with the file's bytes.
    bool Write(const SMF_FILE& file, std::vector<uint8_t>& bytes);
    // Saves the file at path through a temporary file beside it, so path
    // holds either its old or its new content.
    bool WriteFile(const SMF_FILE& file, const char* path);

    // The last failure's text.
    const char* GetError() const { return m_error; }

private:
    bool CheckFile(const SMF_FILE& file);
    bool WriteTrack(const SMF_TRACK& track, size_t index);
    bool WriteEvents(const std::vector<SMF_EVENT>& events, size_t index);
    bool WriteEvent(const SMF_EVENT& event, uint32_t delta, size_t index);
    void Put8(uint8_t value) { m_out->push_back(value); }
    void Put16(uint16_t value);
    void Put32(uint32_t value);
    void PutVlq(uint32_t value);
    bool Fail(const char* format, ...) NOTARA_PRINTF(2, 3);

    std::vector<uint8_t>* m_out = nullptr;
    uint8_t m_runningStatus = 0;
    CCharString m_reason;  // the last failure without its opening words
    CCharString m_error;
};
