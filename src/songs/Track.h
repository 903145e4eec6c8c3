#pragma once

#include "songs/SongInfo.h"
#include "theory/Chord.h"
#include "theory/NoteList.h"

// One instrument of a song: its notes and markers in time order, its mixer
// values and a copy of the song info whose name is the track's name.
class CTrack {
public:
    static constexpr int kNoteGrowStep = 256;

    CTrack() = default;
    CTrack(const CTrack&) = default;
    CTrack& operator=(const CTrack&) = default;
    CTrack(CTrack&&) = default;
    CTrack& operator=(CTrack&&) = default;
    virtual ~CTrack() = default;

    // Back to a fresh track; the channel, program and enabled flag stay.
    void Reset();
    // Inserts after the notes of an equal or earlier time.
    bool AddNote(const CNote& note) { return m_notes.InsertInOrder(note); }
    // The latest start, or with durations the latest end, of the notes;
    // 0 for a track without timed notes.
    double GetLength(bool withDurations) const;
    // Removes the notes that are no markers.
    void StripNotes();
    void Dump() const;

    const char* GetName() const { return m_info.name; }

    int m_thing = THING_NONE;
    int m_program = 0;
    CCharString m_instrumentName;
    float m_pan = 0.0f;     // -1.0 left .. 1.0 right
    float m_volume = 1.0f;  // 0.0 .. 1.0
    int m_number = 0;       // place in the file or the song
    CNoteList m_notes{kNoteGrowStep, false};
    int m_channel = 0;
    SONG_INFO m_info;
    CChord m_chord;
    bool m_enabled = true;  // a disabled track is not rendered
};
