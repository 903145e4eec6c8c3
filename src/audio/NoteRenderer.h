#pragma once

#include <cstdint>

#include "audio/WaveFormat.h"
#include "foundation/CharString.h"
#include "theory/NoteList.h"

class CInstrumentMap;
class CSoundInfo;

// Renders a note list into 16-bit stereo PCM one segment at a time: the
// notes that start in a segment are mixed in with their samples, and what
// rings on past its end goes into a tail of the caller's size. It walks the
// list once, or loopLength apart repeatCount times.
class CNoteRenderer {
public:
    static constexpr double kEarlyWindow = 0.01;  // seconds a note may come early

    // instruments must outlive the renderer.
    CNoteRenderer(const CInstrumentMap& instruments, const WAVE_FORMAT& format);

    // Starts over at time 0 with notes.
    void SetNotes(const CNoteList& notes, double loopLength = 0.0, int repeatCount = 0);
    // New notes from the first, at the time reached.
    void ReplaceNotes(const CNoteList& notes) {
        m_notes = notes;
        m_cursor = -1;
    }

    // Zeroes size + tail bytes of buffer and mixes in the notes of the next
    // segment of size bytes. mixed: a note was mixed; finished: no note waits
    // beyond this segment. False (text in GetError) when a note's sample is
    // missing.
    bool FillSegment(uint8_t* buffer, uint32_t size, uint32_t tail, bool& mixed, bool& finished);
    // Mixes a note's sample into room bytes of buffer (in format) with the
    // note's volume and pan; its duration (when set) shortens the sample,
    // which ends at a zero crossing.
    static void MixNote(const WAVE_FORMAT& format, uint8_t* buffer, uint32_t room,
                        const CSoundInfo& sample, const CNote& note);

    double GetTime() const { return m_time; }
    const char* GetError() const { return m_error; }

private:
    const CInstrumentMap& m_instruments;
    WAVE_FORMAT m_format;
    CCharString m_error;
    CNoteList m_notes;
    int m_cursor = -1;
    double m_time = 0.0;  // song time at the start of the next segment
    double m_loopLength = 0.0;
    int m_repeatCount = 0;
    int m_repetition = 0;
};
