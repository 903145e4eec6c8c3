#include "grids/GridAreas.h"

#include <algorithm>

void CGridAreas::RemoveStarting(std::vector<GRID_NOTE>& notes, const CGridLayout& layout,
                                int firstBeat, int lastBeat, int row) {
    auto inArea = [&](const GRID_NOTE& placed) {
        const int beat = BeatOf(layout, placed);
        return beat >= firstBeat && beat <= lastBeat && (row < 0 || placed.row == row);
    };
    notes.erase(std::remove_if(notes.begin(), notes.end(), inArea), notes.end());
}

void CGridAreas::Repeat(std::vector<GRID_NOTE>& notes, CGridLayout& layout, int firstBeat,
                        int beats, int row) {
    const int beatCount = layout.GetBeatCount();
    std::vector<GRID_NOTE> source;
    for (const GRID_NOTE& placed : notes) {
        const int beat = BeatOf(layout, placed);
        if (beat >= firstBeat && beat < firstBeat + beats && (row < 0 || placed.row == row)) {
            source.push_back(placed);
        }
    }
    RemoveStarting(notes, layout, firstBeat + beats, beatCount - 1, row);
    for (int target = firstBeat + beats; target + beats <= beatCount; target += beats) {
        if (row < 0) {
            for (int i = 0; i < beats; ++i) {
                layout.SetTriplet(target + i, layout.IsTriplet(firstBeat + i));
            }
        }
        const double offset = layout.GetBeatTime(target) - layout.GetBeatTime(firstBeat);
        for (GRID_NOTE copy : source) {
            copy.note.time += offset;
            notes.push_back(copy);
        }
    }
}

void CGridAreas::SnapToCells(std::vector<GRID_NOTE>& notes, const CGridLayout& layout, int beat,
                             int cells) {
    for (GRID_NOTE& placed : notes) {
        if (BeatOf(layout, placed) == beat) {
            placed.note.time = layout.SnapInBeat(placed.note.time, beat, cells);
        }
    }
}

void CGridAreas::CutAt(std::vector<GRID_NOTE>& notes, double end) {
    for (GRID_NOTE& placed : notes) {
        CNote& note = placed.note;
        if (placed.first >= 0 && !note.IsDrum() && note.duration != UNSET_TIME &&
            note.time + note.duration > end) {
            note.duration = end - note.time;
        }
    }
}
