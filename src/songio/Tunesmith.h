#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "songs/SongInfo.h"
#include "theory/NoteList.h"

class CChord;
class CNoteManager;
class CSong;
class CSongPart;

// What a generated part is made from: the part's song info, how many chords
// to generate, the progression they follow and the chord group they are
// stacked from.
struct TUNESMITH_SETTINGS {
    static constexpr int kTriad = 4;  // chord group "Triad"

    SONG_INFO info;
    int chordCount = 4;
    int progression = 1;  // 1..18 fixed, 19 "Generate", 20 "Random"
    int chordGroup = kTriad;
};

// The rhythmic grid of one measure: its steps are eighth notes, its
// durations in seconds follow from the seconds per beat.
struct TUNESMITH_GRID {
    int steps = 0;  // grid steps per measure
    int halfGrid = 0;
    int tripleGrid = 0;
    double thirdBeat = 0.0;  // a triplet of the beat
    double sixthBeat = 0.0;
    double beat = 0.0;
    double halfBeat = 0.0;  // one grid step in a quarter-note beat
    double quarterBeat = 0.0;
    double eighthBeat = 0.0;
    double sixteenthBeat = 0.0;
    double measure = 0.0;  // grid steps × half a beat
};

// Fills a song part with generated material: chords from a progression in
// the part's scale, drum fills on the rhythmic grid of its time signature,
// and grooves loaded from the groove folders. Operations return false and
// leave a "Can't ..." text for GetError.
class CTunesmith {
public:
    static constexpr int kRowCount = 4;
    static constexpr int kDrumRow = 3;  // the row that receives a drum fill
    static constexpr int kProgressionGenerate = 19;
    static constexpr int kProgressionRandom = 20;
    static constexpr float kFillVolume = 0.7f;

    explicit CTunesmith(CNoteManager& manager);
    CTunesmith(const CTunesmith&) = delete;
    CTunesmith& operator=(const CTunesmith&) = delete;
    virtual ~CTunesmith() = default;

    // Restarts the random source of drum and chord choices, so that a run
    // can be repeated.
    void SetSeed(uint32_t seed) { m_random.seed(seed); }

    // Appends the generated chords to the part's chord list and finishes the
    // part: with a groove it is built, without one its lead track gets the
    // part's markers. A failure leaves the chord list partly filled.
    bool MakeChords(const TUNESMITH_SETTINGS& settings, CSongPart& part);
    // One measure of drum hits from start on, merged into output's drum
    // track; the song is then written to the debug output.
    bool MakeFill(const TUNESMITH_SETTINGS& settings, double start, CSong& output);
    // Reads folder/style/name.mid into the part's groove song.
    bool LoadGroove(const char* folder, const char* style, const char* name, CSongPart& part);

    // The grid of a time signature; fails for a beat note the grid cannot
    // divide into eighths.
    bool ComputeGrid(const SONG_INFO& info, TUNESMITH_GRID& grid);
    // The scale degrees of a progression, count entries long for a generated
    // one and as the table has them for a fixed one.
    bool GetProgressionDegrees(int progression, int count, std::vector<int>& degrees);

    const TUNESMITH_GRID& GetGrid() const { return m_grid; }
    const CNoteList& GetRow(int index) const { return m_rows[index]; }
    const char* GetError() const { return m_error; }

private:
    void ClearRows();
    bool GenerateDegrees(bool random, int count, std::vector<int>& degrees);
    bool BuildChord(const TUNESMITH_SETTINGS& settings, const CNoteList& chordScale, int degree,
                    CChord& chord);
    bool FinishPart(CSongPart& part);
    void MakeRhythm(std::vector<int>& lengths);
    int ChooseDrum(int stepLength);
    bool MergeRows(CSong& output);
    int Draw(int count);
    bool SetError(const char* format, ...) NOTARA_PRINTF(2, 3);

    CNoteManager& m_manager;
    std::minstd_rand m_random;
    TUNESMITH_GRID m_grid;
    CNoteList m_rows[kRowCount];
    CNote m_work[kRowCount];
    CCharString m_error;
};
