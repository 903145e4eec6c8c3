#pragma once

#include <vector>

#include "foundation/CharString.h"

// One column of a grid: a cell of a beat.
struct GRID_COLUMN {
    int measure = 0;  // 0-based
    int beat = 0;     // 0-based over the whole grid
    int cell = 0;     // 0-based within the beat
    int cells = 0;    // cells of the beat
};

// The columns of a grid: measures of beats, each beat split into sixteenth
// notes, or into three cells when it holds triplets. Maps note times in
// seconds to columns and back.
class CGridLayout {
public:
    static constexpr int kMaxMeasures = 8;
    static constexpr int kTripletCells = 3;
    static constexpr int kCellsPerWhole = 16;  // a cell is a sixteenth note

    // One measure of 4/4 at two beats a second.
    CGridLayout() { Rebuild(); }

    // False with a "Can't ..." text for a size that cannot be laid out:
    // 1..kMaxMeasures measures, a beat unit of 4 or 8, a positive beat.
    bool SetSize(int measures, int beatsPerMeasure, int beatUnit, double secondsPerBeat);

    int GetMeasures() const { return m_measures; }
    int GetBeatsPerMeasure() const { return m_beatsPerMeasure; }
    int GetBeatUnit() const { return m_beatUnit; }
    double GetSecondsPerBeat() const { return m_secondsPerBeat; }
    int GetBeatCount() const { return m_measures * m_beatsPerMeasure; }
    double GetLength() const { return GetBeatCount() * m_secondsPerBeat; }

    // Cells of a plain beat, and of a given beat.
    int GetCellsPerBeat() const { return kCellsPerWhole / m_beatUnit; }
    int GetCellsInBeat(int beat) const;
    bool IsTriplet(int beat) const;
    // False for a beat outside the grid.
    bool SetTriplet(int beat, bool triplet);
    const std::vector<bool>& GetTriplets() const { return m_triplets; }
    // Takes a beat's flags; a list of another length is cut or padded.
    void SetTriplets(const std::vector<bool>& triplets);

    int GetColumnCount() const { return static_cast<int>(m_columns.size()); }
    const GRID_COLUMN& GetColumn(int column) const { return m_columns.at(column); }
    int GetFirstColumn(int beat) const { return m_firstColumns.at(beat); }
    double GetBeatTime(int beat) const { return beat * m_secondsPerBeat; }
    double GetColumnTime(int column) const;
    double GetColumnDuration(int column) const;

    // The column whose cell holds time; -1 before 0 or past the last beat.
    int FindColumn(double time) const;
    // The beat holding time, -1 outside the grid.
    int FindBeat(double time) const;
    // Whether time is the start of a cell, and whether it would be in a beat
    // of triplets.
    bool IsOnGrid(double time) const;
    bool IsOnTripletGrid(double time) const;
    // The start of the cell of a beat with `cells` cells that is nearest to
    // time (which lies in that beat).
    double SnapInBeat(double time, int beat, int cells) const;

    bool AddMeasure();
    bool RemoveLastMeasure();

    const char* GetError() const { return m_error; }

private:
    void Rebuild();
    // Position of time in beats, and whether x is a whole number.
    double BeatsAt(double time) const { return time / m_secondsPerBeat; }
    static bool IsWhole(double x);

    int m_measures = 1;
    int m_beatsPerMeasure = 4;
    int m_beatUnit = 4;
    double m_secondsPerBeat = 0.5;
    std::vector<bool> m_triplets = std::vector<bool>(4, false);
    std::vector<GRID_COLUMN> m_columns;
    std::vector<int> m_firstColumns;
    CCharString m_error;
};
