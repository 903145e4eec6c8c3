#include "grids/GridLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Times closer than this fraction of a beat are the same place.
constexpr double kBeatTolerance = 1e-6;
constexpr int kQuarterUnit = 4;
constexpr int kEighthUnit = 8;

}  // namespace

bool CGridLayout::SetSize(int measures, int beatsPerMeasure, int beatUnit, double secondsPerBeat) {
    if (measures < 1 || measures > kMaxMeasures || beatsPerMeasure < 1 ||
        (beatUnit != kQuarterUnit && beatUnit != kEighthUnit) || !(secondsPerBeat > 0.0)) {
        m_error.Format("Can't lay out %d measures of %d/%d at %.3f s a beat", measures,
                       beatsPerMeasure, beatUnit, secondsPerBeat);
        return false;
    }
    m_measures = measures;
    m_beatsPerMeasure = beatsPerMeasure;
    m_beatUnit = beatUnit;
    m_secondsPerBeat = secondsPerBeat;
    m_triplets.assign(GetBeatCount(), false);
    Rebuild();
    return true;
}

int CGridLayout::GetCellsInBeat(int beat) const {
    return IsTriplet(beat) ? kTripletCells : GetCellsPerBeat();
}

bool CGridLayout::IsTriplet(int beat) const {
    return beat >= 0 && beat < static_cast<int>(m_triplets.size()) && m_triplets[beat];
}

bool CGridLayout::SetTriplet(int beat, bool triplet) {
    if (beat < 0 || beat >= GetBeatCount()) {
        return false;
    }
    m_triplets[beat] = triplet;
    Rebuild();
    return true;
}

void CGridLayout::SetTriplets(const std::vector<bool>& triplets) {
    m_triplets = triplets;
    m_triplets.resize(GetBeatCount(), false);
    Rebuild();
}

double CGridLayout::GetColumnTime(int column) const {
    const GRID_COLUMN& c = GetColumn(column);
    return (c.beat + static_cast<double>(c.cell) / c.cells) * m_secondsPerBeat;
}

double CGridLayout::GetColumnDuration(int column) const {
    return m_secondsPerBeat / GetColumn(column).cells;
}

int CGridLayout::FindBeat(double time) const {
    if (!(time >= 0.0) || !std::isfinite(time)) {
        return -1;
    }
    const int beat = static_cast<int>(std::floor(BeatsAt(time) + kBeatTolerance));
    return beat < GetBeatCount() ? beat : -1;
}

int CGridLayout::FindColumn(double time) const {
    const int beat = FindBeat(time);
    if (beat < 0) {
        return -1;
    }
    const int cells = GetCellsInBeat(beat);
    const double inBeat = std::max(0.0, BeatsAt(time) - beat);
    const int cell = static_cast<int>(std::floor(inBeat * cells + kBeatTolerance));
    return GetFirstColumn(beat) + std::min(cell, cells - 1);
}

bool CGridLayout::IsOnGrid(double time) const {
    const int beat = FindBeat(time);
    return beat >= 0 && IsWhole((BeatsAt(time) - beat) * GetCellsInBeat(beat));
}

bool CGridLayout::IsOnTripletGrid(double time) const {
    const int beat = FindBeat(time);
    return beat >= 0 && IsWhole((BeatsAt(time) - beat) * kTripletCells);
}

double CGridLayout::SnapInBeat(double time, int beat, int cells) const {
    const double inBeat = BeatsAt(time) - beat;
    const int cell = std::clamp(static_cast<int>(std::lround(inBeat * cells)), 0, cells - 1);
    return (beat + static_cast<double>(cell) / cells) * m_secondsPerBeat;
}

bool CGridLayout::AddMeasure() {
    if (m_measures >= kMaxMeasures) {
        m_error.Format("Can't add a measure: a groove has at most %d measures", kMaxMeasures);
        return false;
    }
    ++m_measures;
    m_triplets.resize(GetBeatCount(), false);
    Rebuild();
    return true;
}

bool CGridLayout::RemoveLastMeasure() {
    if (m_measures <= 1) {
        m_error = "Can't delete the only measure";
        return false;
    }
    --m_measures;
    m_triplets.resize(GetBeatCount());
    Rebuild();
    return true;
}

void CGridLayout::Rebuild() {
    m_columns.clear();
    m_firstColumns.clear();
    for (int beat = 0; beat < GetBeatCount(); ++beat) {
        m_firstColumns.push_back(GetColumnCount());
        const int cells = GetCellsInBeat(beat);
        for (int cell = 0; cell < cells; ++cell) {
            m_columns.push_back({beat / m_beatsPerMeasure, beat, cell, cells});
        }
    }
}

bool CGridLayout::IsWhole(double x) {
    return std::fabs(x - std::round(x)) < kBeatTolerance * kCellsPerWhole;
}
