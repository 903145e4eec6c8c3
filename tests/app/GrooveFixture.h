#pragma once

#include <string>
#include <vector>

#include "songio/MidiFile.h"
#include "songs/Song.h"

// Writes a one-measure groove whose rhythm guitar plays beats, one a beat,
// as the grooves of song documents are found: "<folder>/<style>/<name>.mid".
inline bool WriteGroove(const std::string& path, const std::vector<int>& beats) {
    CSong groove;
    if (!groove.AddNewSongTracks()) {
        return false;
    }
    groove.m_info.secondsPerBeat = 0.5;
    groove.m_info.tempo = 120.0;
    groove.m_info.measureBeats = 4;
    groove.m_info.beatNote = 4;
    groove.m_info.measures = 1;
    for (size_t i = 0; i < beats.size(); ++i) {
        CNote note;
        note.thing = THING_RHYTHM_GUITAR;
        note.midiNote = static_cast<uint8_t>(beats[i]);
        note.time = 0.5 * static_cast<double>(i);
        note.duration = 0.4;
        note.eventKind = EVENT_NOTE_START;
        groove.FindTrack(THING_RHYTHM_GUITAR)->AddNote(note);
    }
    CMidiFile writer;
    return writer.Write(path.c_str(), groove);
}
