#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "grids/NoteGrid.h"
#include "songs/Track.h"
#include "theory/NoteManager.h"

// Two measures of 4/4 at two beats a second: a cell is a sixteenth note of
// 0.125 s, a beat 4 cells, a measure 16.
constexpr int kMeasures = 2;
constexpr int kBeats = 4;
constexpr int kBeatUnit = 4;
constexpr double kBeat = 0.5;
constexpr double kCell = kBeat / 4;

inline CNote MakeNote(double time, double duration, int midiNote, int thing) {
    CNote note;
    note.time = time;
    note.duration = duration;
    note.midiNote = static_cast<uint8_t>(midiNote);
    note.thing = static_cast<int16_t>(thing);
    return note;
}

inline CNote MakeMarker(int kind, double time, double duration) {
    CNote marker;
    marker.eventKind = static_cast<uint8_t>(kind);
    marker.time = time;
    marker.duration = duration;
    return marker;
}

inline void AddNotes(CTrack& track, const std::vector<CNote>& notes) {
    for (const CNote& note : notes) {
        ASSERT_TRUE(track.AddNote(note));
    }
}

// The first row whose MIDI note is midiNote, -1 for none.
inline int RowOf(const CNoteGrid& grid, int midiNote) {
    for (int i = 0; i < grid.GetRowCount(); ++i) {
        if (grid.GetRow(i).midiNote == midiNote) {
            return i;
        }
    }
    return -1;
}

inline int RowLabelled(const CNoteGrid& grid, const char* label) {
    for (int i = 0; i < grid.GetRowCount(); ++i) {
        if (grid.GetRow(i).label == label) {
            return i;
        }
    }
    return -1;
}

// A note's place in the track as a short text: "time duration midi thing".
inline std::string Describe(const CNote& note) {
    char text[96];
    snprintf(text, sizeof text, "%.3f %.3f %d %d", note.time, note.duration, note.midiNote,
             note.thing);
    return text;
}

inline std::vector<std::string> Describe(const CTrack& track) {
    std::vector<std::string> lines;
    for (int i = 0; i < track.m_notes.GetCount(); ++i) {
        lines.push_back(Describe(*track.m_notes.GetAt(i)));
    }
    return lines;
}

// An initialised note manager for the grids of the fretted instruments.
class CGridTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_manager.Init()) << m_manager.GetError(); }

    // Sizes a grid to the two measures and shows track in it.
    static void Show(CNoteGrid& grid, CTrack& track) {
        ASSERT_TRUE(grid.SetSize(kMeasures, kBeats, kBeatUnit, kBeat)) << grid.GetError();
        ASSERT_TRUE(grid.ShowTrack(track)) << grid.GetError();
    }

    CNoteManager m_manager;
};
