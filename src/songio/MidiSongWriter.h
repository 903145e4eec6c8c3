#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/CharString.h"
#include "midi/SmfFile.h"
#include "songs/Song.h"

// Turns a song into the SMF_FILE that CMidiFile writes: a format-1 file at
// 1000 ticks a quarter note, a conductor track with the song's name,
// signatures, tempo and info markers, and one track per song track with its
// name, program, volume, pan, guitar values, notes and markers. Failures
// return false with a "Can't ..." text for GetError.
class CMidiSongWriter {
public:
    // A note start or end, or a marker, to be written at time.
    struct WRITE_EVENT {
        double time;
        const CNote* note;
        bool start;
    };
    // The percussion key of each drum piece, once looked up.
    using DRUM_NOTES = std::array<int, THING_COUNT>;

    bool Make(const CSong& song, SMF_FILE& file);
    const char* GetError() const { return m_error; }

private:
    uint32_t ToTicks(double seconds) const;
    bool GetChannels(const CSong& song, std::vector<int>& channels);
    void MakeConductor(const CSong& song, SMF_TRACK& smfTrack, bool& ok);
    bool MakeTrack(const CTrack& track, int channel, SMF_TRACK& smfTrack);
    static size_t CountEvents(const CTrack& track);
    bool MakeNotes(const CTrack& track, int channel, SMF_TRACK& smfTrack);
    bool MakeEvent(const WRITE_EVENT& event, int channel, bool drum, DRUM_NOTES& drumNotes,
                   SMF_TRACK& smfTrack);
    bool MakeNoteStart(const CNote& note, uint8_t midiNote, int channel, uint32_t tick,
                       SMF_TRACK& smfTrack);
    bool MakeMarker(const CNote& marker, uint32_t tick, SMF_TRACK& smfTrack);
    bool SetError(const char* format, ...) NOTARA_PRINTF(2, 3);

    double m_secondsPerTick = 0.0;  // one tick at the written tempo
    // The volume last turned into a velocity, and that velocity.
    float m_volume = -1.0f;
    int m_velocity = 0;
    CCharString m_error;
};
