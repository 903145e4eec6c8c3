#include "songio/Tunesmith.h"

#include <cstdarg>

#include "midi/GeneralMidi.h"
#include "platform/DebugOutput.h"
#include "songio/MidiFile.h"
#include "songs/SongPart.h"
#include "theory/NoteManager.h"
#include "theory/TheoryTables.h"

namespace {

constexpr double kSecondsPerMinute = 60.0;
constexpr int kEighthsPerWhole = 8;
constexpr int kTripleFactor = 3;
constexpr int kLastFixedProgression = 18;
constexpr int kMaxProgressionDegrees = 12;
constexpr int kTonic = 1;
constexpr int kDominant = 5;

// Step lengths of a fill in grid steps; only eighths and quarters are hit,
// the longer steps rest.
constexpr int kEighthStep = 1;
constexpr int kQuarterStep = 2;
constexpr int kDottedQuarterStep = 3;
constexpr int kHalfStep = 4;

// Things of the toms that the theory enumeration leaves unnamed.
constexpr int kTom2 = THING_TOM_1 + 1;
constexpr int kTom3 = THING_TOM_1 + 2;
constexpr int kTom4 = THING_TOM_1 + 3;

struct PROGRESSION {
    int degrees[kMaxProgressionDegrees];
    int count;
};

// Indexed by progression id - 1. Progression 9 is named "I-VI-V-I" but has
// always been played as 1 4 5 1.
constexpr PROGRESSION kProgressions[kLastFixedProgression] = {
    {{5, 1, 5, 1}, 4},
    {{2, 5, 2, 5}, 4},
    {{2, 5, 1, 1}, 4},
    {{1, 5, 4, 5}, 4},
    {{1, 6, 2, 5}, 4},
    {{1, 6, 4, 5}, 4},
    {{1, 2, 4, 5}, 4},
    {{1, 4, 1, 5}, 4},
    {{1, 4, 5, 1}, 4},
    {{1, 5, 6, 3}, 4},
    {{5, 4, 1, 1}, 4},
    {{1, 1, 4, 1}, 4},
    {{1, 3, 4, 6}, 4},
    {{1, 3, 5, 5}, 4},
    {{1, 3, 4, 6, 1, 3, 5, 5}, 8},
    {{1, 3, 4, 6, 1, 5, 1, 5}, 8},
    {{1, 4, 1, 1, 4, 4, 1, 1, 5, 5, 1, 1}, 12},
    {{1, 4, 1, 1, 4, 4, 1, 1, 2, 5, 1, 2}, 12},
};

// Where a chord of each degree may go next: tonic chords open up, the
// predominant chords lead to the dominant, the dominant resolves. The
// first successor is the plainest move.
struct SUCCESSORS {
    int degrees[5];
    int count;
};
constexpr SUCCESSORS kSuccessors[] = {
    {{4, 6, 2, 5, 3}, 5},  // I
    {{5, 4}, 2},           // II
    {{6, 4}, 2},           // III
    {{5, 1, 2}, 3},        // IV
    {{1, 6}, 2},           // V
    {{2, 4}, 2},           // VI
    {{1}, 1},              // VII
};

// Drum pieces of the fill's quarter steps: the kit's heavier voices.
constexpr int kQuarterPieces[] = {THING_SNARE_DRUM, THING_BASS_DRUM_1, THING_TOM_1, kTom3};
// Pieces of the eighth steps: the snare, the toms and the closed hi-hat;
// an eighth never repeats the piece just hit, so runs move around the kit.
constexpr int kEighthPieces[] = {THING_SNARE_DRUM,   THING_TOM_1, kTom2, kTom3, kTom4,
                                 THING_HI_HAT_CLOSED};

// The track of each generated row.
constexpr int kRowThings[CTunesmith::kRowCount] = {THING_LEAD_GUITAR, THING_RHYTHM_GUITAR,
                                                   THING_BASS_GUITAR, THING_DRUM_SET};

template <typename T, size_t N>
constexpr int CountOf(const T (&)[N]) {
    return static_cast<int>(N);
}

}  // namespace

CTunesmith::CTunesmith(CNoteManager& manager) : m_manager(manager) {}

bool CTunesmith::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

// A number in 0 .. count - 1 from the random source; the modulo keeps runs
// of one seed the same on every standard library.
int CTunesmith::Draw(int count) {
    return static_cast<int>(m_random() % static_cast<uint32_t>(count));
}

void CTunesmith::ClearRows() {
    for (int i = 0; i < kRowCount; ++i) {
        m_rows[i].RemoveAll();
        m_work[i].Reset();
    }
}

bool CTunesmith::ComputeGrid(const SONG_INFO& info, TUNESMITH_GRID& grid) {
    grid = TUNESMITH_GRID();
    if (info.beatNote <= 0 || info.beatNote > kEighthsPerWhole || info.measureBeats <= 0) {
        return SetError("Can't lay a grid over a measure of %d/%d", info.measureBeats,
                        info.beatNote);
    }
    const double s = info.secondsPerBeat;
    grid.steps = (kEighthsPerWhole / info.beatNote) * info.measureBeats;
    grid.halfGrid = grid.steps / 2;
    grid.tripleGrid = grid.steps * kTripleFactor;
    grid.thirdBeat = s / 3;
    grid.sixthBeat = s / 6;
    grid.beat = s;
    grid.halfBeat = s / 2;
    grid.quarterBeat = s / 4;
    grid.eighthBeat = s / 8;
    grid.sixteenthBeat = s / 16;
    grid.measure = grid.steps * s / 2;
    return true;
}

bool CTunesmith::GetProgressionDegrees(int progression, int count, std::vector<int>& degrees) {
    degrees.clear();
    if (progression == kProgressionGenerate || progression == kProgressionRandom) {
        return GenerateDegrees(progression == kProgressionRandom, count, degrees);
    }
    if (progression < 1 || progression > kLastFixedProgression) {
        CCharString name;
        CNoteManager::GetProgressionName(progression, name);
        return SetError("Can't make chords from progression %d%s%s", progression,
                        name.IsEmpty() ? "" : ": ", name.GetText());
    }
    const PROGRESSION& entry = kProgressions[progression - 1];
    degrees.assign(entry.degrees, entry.degrees + entry.count);
    return true;
}

// A walk from the tonic over the successor table, ending on the dominant
// or on the tonic after it. "Generate" always takes the plainest move,
// "Random" draws one from the random source.
bool CTunesmith::GenerateDegrees(bool random, int count, std::vector<int>& degrees) {
    if (count < 1) {
        return SetError("Can't generate a progression of %d chords", count);
    }
    degrees.push_back(kTonic);
    while (static_cast<int>(degrees.size()) < count) {
        const SUCCESSORS& next = kSuccessors[degrees.back() - 1];
        degrees.push_back(next.degrees[random ? Draw(next.count) : 0]);
    }
    if (count > 1) {
        const int before = degrees[degrees.size() - 2];
        degrees.back() = before == kDominant ? kTonic : kDominant;
    }
    return true;
}

bool CTunesmith::MakeChords(const TUNESMITH_SETTINGS& settings, CSongPart& part) {
    const SONG_INFO& info = settings.info;
    ClearRows();
    if (!(info.tempo > 0.0)) {
        return SetError("Can't make chords at a tempo of %.2f", info.tempo);
    }
    SONG_INFO timed = info;
    timed.secondsPerBeat = kSecondsPerMinute / info.tempo;
    if (!ComputeGrid(timed, m_grid)) {
        return false;
    }
    if (settings.chordCount < 1) {
        return SetError("Can't make %d chords", settings.chordCount);
    }
    CNoteList noteScale(NOTE_COUNT, true);
    if (!m_manager.GetScaleOverRange(info.scale, info.scaleRoot, noteScale)) {
        return SetError("Can't get note scale %d: %s", info.scale, m_manager.GetError());
    }
    const int chordScaleId = CNoteManager::GetParentScale(info.scale);
    CNoteList chordScale(NOTE_COUNT, true);
    if (!m_manager.GetScaleOverRange(chordScaleId, info.scaleRoot, chordScale)) {
        return SetError("Can't get chord scale %d for note scale %d: %s", chordScaleId, info.scale,
                        m_manager.GetError());
    }
    std::vector<int> degrees;
    if (!GetProgressionDegrees(settings.progression, settings.chordCount, degrees)) {
        return false;
    }
    part.m_arrangement.m_info = timed;
    for (int i = 0; i < settings.chordCount; ++i) {
        CChord chord;
        if (!BuildChord(settings, chordScale, degrees[i % degrees.size()], chord)) {
            return false;
        }
        part.m_chords.push_back(chord);
    }
    return FinishPart(part);
}

// Stacks the chord group's degrees on the chord's degree in the chord
// scale, each note the first of its degree above the one below it, and
// names the chord by the type its notes make.
bool CTunesmith::BuildChord(const TUNESMITH_SETTINGS& settings, const CNoteList& chordScale,
                            int degree, CChord& chord) {
    const CHORD_GROUP_ENTRY* group = FindChordGroupEntry(settings.chordGroup);
    if (group == nullptr) {
        return SetError("Can't build a chord of chord group %d", settings.chordGroup);
    }
    const int scaleRoot = settings.info.scaleRoot;
    CNote root;
    if (!m_manager.GetNoteAtDegree(chordScale, scaleRoot, degree, 0, root)) {
        return SetError("%s", m_manager.GetError());
    }
    CNoteList stacked(CTrack::kNoteGrowStep, true);
    int lowest = root.midiNote;
    for (int i = 0; i < group->degreeCount; ++i) {
        CNote note;
        if (!m_manager.GetNoteAtDegree(chordScale, lowest, degree + group->degrees[i] - 1, 0,
                                       note)) {
            return SetError("%s", m_manager.GetError());
        }
        note.rootFrets = note.midiNote - root.midiNote;
        lowest = note.midiNote + 1;
        if (!stacked.Add(note)) {
            return SetError("Can't add note %d of the chord on degree %d", i + 1, degree);
        }
    }
    int chordType = 0;
    if (!m_manager.GetChordType(stacked, chordType)) {
        return SetError("%s", m_manager.GetError());
    }
    if (chordType != 0) {
        if (!m_manager.GetChordFromType(chordType, chord)) {
            return SetError("%s", m_manager.GetError());
        }
    } else {
        chord.m_notes = stacked;
    }
    chord.m_root = root;
    CHORD_INFO info = chord.m_root.GetChord();
    info.root = root.midiNote;
    info.pitch = root.accidental;
    info.chordType = chordType;
    info.scale = CNoteManager::GetParentScale(settings.info.scale);
    info.scaleRoot = scaleRoot;
    info.chordGroup = settings.chordGroup;
    info.number = degree;
    CNoteManager::GetChordName(chordType, root.midiNote, info.name);
    chord.m_root.SetChord(info);
    return true;
}

// A part with a groove is built over its chords; a part without one gets
// its measures, its length and the markers of its chords on the lead
// track, as a build would give them.
bool CTunesmith::FinishPart(CSongPart& part) {
    if (part.m_groove.GetTrackCount() > 0) {
        return part.Build(m_manager, true) || SetError("%s", part.GetError());
    }
    CSong& arrangement = part.m_arrangement;
    SONG_INFO& info = arrangement.m_info;
    CTrack* lead = arrangement.FindTrack(THING_LEAD_GUITAR);
    if (lead == nullptr) {
        CTrack track;
        track.m_thing = THING_LEAD_GUITAR;
        GetThingName(THING_LEAD_GUITAR, track.m_info.name);
        if (!arrangement.AddTrack(track)) {
            return SetError("%s", arrangement.GetError());
        }
        lead = arrangement.FindTrack(THING_LEAD_GUITAR);
    }
    // The markers of an earlier finish go; a melody stays.
    for (int i = lead->m_notes.GetCount() - 1; i >= 0; --i) {
        if (lead->m_notes.GetAt(i)->IsMarker()) {
            lead->m_notes.RemoveAt(i);
        }
    }
    const double measure = info.GetMeasureLength();
    int counter = 0;
    for (size_t c = 0; c < part.m_chords.size(); ++c) {
        CChord& chord = part.m_chords[c];
        chord.m_root.EditChord([c](CHORD_INFO& info) { info.position = static_cast<int>(c) + 1; });
        for (int r = 0; r < chord.m_repeat; ++r, ++counter) {
            const double start = counter * measure;
            if (!CSongPart::AddChordMarker(*lead, chord, start, measure) ||
                !CSongPart::AddMeasureMarker(*lead, counter + 1, start, measure)) {
                return SetError("Can't add the markers of measure %d", counter + 1);
            }
        }
    }
    info.measures = counter;
    info.length = counter * measure;
    CNote marker;
    marker.eventKind = EVENT_PART_MARKER;
    marker.midiNote = NOTE_CHORD;
    marker.volume = 0.0f;
    marker.time = 0.0;
    marker.duration = info.length;
    marker.thing = THING_LEAD_GUITAR;
    marker.SetMarkerText(part.m_name);
    if (!lead->AddNote(marker)) {
        return SetError("Can't add the marker of the song part %s", part.m_name.GetText());
    }
    arrangement.CopyInfoToTracks();
    return true;
}

bool CTunesmith::MakeFill(const TUNESMITH_SETTINGS& settings, double start, CSong& output) {
    SONG_INFO info = settings.info;
    if (!(info.secondsPerBeat > 0.0) && info.tempo > 0.0) {
        info.secondsPerBeat = kSecondsPerMinute / info.tempo;
    }
    ClearRows();
    if (!ComputeGrid(info, m_grid)) {
        return false;
    }
    if (!(m_grid.beat > 0.0)) {
        return SetError("Can't make a fill without a beat");
    }
    std::vector<int> lengths;
    MakeRhythm(lengths);
    CNoteList& drums = m_rows[kDrumRow];
    CNote& hit = m_work[kDrumRow];
    int step = 0;
    for (const int length : lengths) {
        if (length == kEighthStep || length == kQuarterStep) {
            hit.Reset();
            hit.thing = ChooseDrum(length);
            int midiNote = CGeneralMidi::kNoDrumNote;
            if (!CGeneralMidi::GetDrumNoteOf(hit.thing, midiNote)) {
                return SetError("Can't get drum note for instrument %d", hit.thing);
            }
            hit.midiNote = static_cast<uint8_t>(midiNote);
            hit.time = start + step * m_grid.halfBeat;
            hit.duration = m_grid.halfBeat;
            hit.volume = kFillVolume;
            if (!drums.Add(hit)) {
                return SetError("Can't add drum hit %d of the fill", drums.GetCount() + 1);
            }
        }
        step += length;
    }
    if (!MergeRows(output)) {
        return false;
    }
    Platform::WriteDebugOutput("CTunesmith::MakeFill");
    output.Dump();
    return true;
}

// Step lengths that add up to one measure of grid steps: mostly eighths and
// quarters, now and then a longer step.
void CTunesmith::MakeRhythm(std::vector<int>& lengths) {
    static const int kChoices[] = {kEighthStep,  kEighthStep,  kEighthStep, kQuarterStep,
                                   kQuarterStep, kQuarterStep, kHalfStep,   kDottedQuarterStep};
    lengths.clear();
    int left = m_grid.steps;
    while (left > 0) {
        int length = kChoices[Draw(CountOf(kChoices))];
        while (length > left) {
            --length;
        }
        lengths.push_back(length);
        left -= length;
    }
}

int CTunesmith::ChooseDrum(int stepLength) {
    if (stepLength == kQuarterStep) {
        return kQuarterPieces[Draw(CountOf(kQuarterPieces))];
    }
    const CNoteList& drums = m_rows[kDrumRow];
    const int previous = drums.GetCount() > 0 ? drums.GetAt(drums.GetCount() - 1)->thing : 0;
    int piece = previous;
    while (piece == previous) {
        piece = kEighthPieces[Draw(CountOf(kEighthPieces))];
    }
    return piece;
}

bool CTunesmith::MergeRows(CSong& output) {
    for (int i = 0; i < kRowCount; ++i) {
        if (m_rows[i].GetCount() == 0) {
            continue;
        }
        CTrack* track = output.FindTrack(kRowThings[i]);
        if (track == nullptr) {
            CTrack added;
            added.m_thing = kRowThings[i];
            GetThingName(kRowThings[i], added.m_info.name);
            added.m_number = output.GetTrackCount();
            if (!output.AddTrack(added)) {
                return SetError("%s", output.GetError());
            }
            track = output.FindTrack(kRowThings[i]);
        }
        for (int n = 0; n < m_rows[i].GetCount(); ++n) {
            if (!track->AddNote(*m_rows[i].GetAt(n))) {
                return SetError("Can't merge note %d into track %s", n + 1, track->GetName());
            }
        }
    }
    return true;
}

bool CTunesmith::LoadGroove(const char* folder, const char* style, const char* name,
                            CSongPart& part) {
    CCharString path;
    path.Format("%s/%s/%s.mid", folder, style, name);
    CMidiFile file;
    if (!file.Read(path, part.m_groove)) {
        return SetError("Can't load groove from (%s): %s", path.GetText(), file.GetError());
    }
    part.m_grooveStyle = style;
    part.m_grooveName = name;
    part.m_grooveFile = path;
    part.m_grooveLength = part.m_groove.GetLength();
    return true;
}
