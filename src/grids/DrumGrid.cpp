#include "grids/DrumGrid.h"

#include "audio/SampleBanks.h"

namespace {

constexpr int kCrashCymbal2 = 27;
constexpr int kTom2 = 11;
constexpr int kTom3 = 12;
constexpr int kTom4 = 13;
constexpr int kTom5 = 14;

}  // namespace

const int CDrumGrid::kInstruments[kRowCount][2] = {
    {THING_SPLASH_CYMBAL_1, THING_NONE},
    {THING_CHINESE_CYMBAL_1, THING_NONE},
    {kCrashCymbal2, THING_NONE},
    {THING_CRASH_CYMBAL_1, THING_NONE},
    {THING_RIDE_CYMBAL, THING_RIDE_BELL},
    {THING_HI_HAT_OPEN, THING_HI_HAT_CLOSED},
    {kTom5, kTom4},
    {THING_SNARE_DRUM, THING_NONE},
    {kTom3, THING_NONE},
    {kTom2, THING_NONE},
    {THING_BASS_DRUM_1, THING_NONE},
    {THING_TOM_1, THING_NONE},
    {THING_HI_HAT_FOOT, THING_NONE},
};

bool CDrumGrid::BuildRows(std::vector<GRID_ROW>& rows) {
    for (const auto& instruments : kInstruments) {
        GRID_ROW row;
        row.kind = ROW_NOTE;
        row.instruments[0] = instruments[0];
        row.instruments[1] = instruments[1];
        row.midiNote = CSampleBanks::GetDrumNote(instruments[0]);
        GetThingName(instruments[0], row.label);
        rows.push_back(row);
    }
    return true;
}
