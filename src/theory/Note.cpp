#include "theory/Note.h"

#include <cstring>
#include <optional>
#include <type_traits>

#include "platform/DebugOutput.h"
#include "theory/ChordPool.h"
#include "theory/PitchTable.h"

namespace {

const char* const kSharpNames[12] = {"C",  "C#", "D",  "D#", "E",  "F",
                                     "F#", "G",  "G#", "A",  "A#", "B"};
const char* const kFlatNames[12] = {"C",  "Db", "D",  "Eb", "E",  "F",
                                    "Gb", "G",  "Ab", "A",  "Bb", "B"};

const char* const kAccidentalNames[] = {"Not set", "Sharp",    "2 sharps",   "Flat",  "2 flats",
                                        "Natural", "Accented", "Ghost note", "Muted", "Staccato"};
constexpr int kAccidentalCount = sizeof(kAccidentalNames) / sizeof(kAccidentalNames[0]);

struct THING_NAME {
    int thing;
    const char* name;
};

const THING_NAME kThingNames[] = {
    {0, "NoThing"},
    {1, "Drum set"},
    {2, "Bass drum 1"},
    {3, "Bass drum 2"},
    {4, "Hi-hat, open"},
    {5, "Hi-hat, closed"},
    {6, "Hi-hat foot"},
    {7, "Hi-hat bottom"},
    {9, "Snare drum"},
    {10, "Tom 1"},
    {11, "Tom 2"},
    {12, "Tom 3"},
    {13, "Tom 4"},
    {14, "Tom 5"},
    {15, "Tom 6"},
    {16, "Octoban 1"},
    {17, "Octoban 2"},
    {18, "Octoban 3"},
    {19, "Octoban 4"},
    {20, "Octoban 5"},
    {21, "Octoban 6"},
    {24, "Ride cymbal"},
    {25, "Ride cymbal (bell)"},
    {26, "Crash cymbal 1"},
    {27, "Crash cymbal 2"},
    {28, "Crash cymbal 3"},
    {29, "Crash cymbal 4"},
    {30, "Splash cymbal 1"},
    {31, "Splash cymbal 2"},
    {32, "Chinese cymbal 1"},
    {33, "Chinese cymbal 2"},
    {36, "Bass guitar"},
    {37, "Guitar"},
    {38, "Rhythm guitar"},
    {39, "Lead guitar"},
    {40, "Solo guitar"},
    {41, "Left hand"},
    {42, "Right hand"},
    {45, "Left thumb"},
    {46, "Left index finger"},
    {47, "Left middle finger"},
    {48, "Left ring finger"},
    {49, "Left little finger"},
    {50, "Right thumb"},
    {51, "Right index finger"},
    {52, "Right middle finger"},
    {53, "Right ring finger"},
    {54, "Right little finger"},
    {57, "Left foot"},
    {58, "Right foot"},
    {82, "Maximum Thing count"},
};

double TimeOrZero(double value) {
    return value == UNSET_TIME ? 0.0 : value;
}

CCharString IntOrEmpty(int value, const char* format) {
    CCharString text;
    if (value != UNSET) {
        text.Format(format, value);
    }
    return text;
}

}  // namespace

bool CHORD_INFO::operator==(const CHORD_INFO& other) const {
    return root == other.root && pitch == other.pitch && chordType == other.chordType &&
           scale == other.scale && scaleRoot == other.scaleRoot;
}

// The rare values of a note, allocated only when one of them is set.
struct CNote::EXTRA {
    CCharString text;
    CCharString markerText;
    FINGERING_SLOT fingering[FINGERING_SLOTS];
    std::optional<CHORD_INFO> chord;  // when the chord pool is full
};

static_assert(!std::is_polymorphic_v<CNote>, "a note has no virtual functions");

CNote::CNote() = default;
CNote::~CNote() = default;
CNote::CNote(CNote&& other) noexcept = default;
CNote& CNote::operator=(CNote&& other) noexcept = default;

CNote::CNote(const CNote& other)
    : time(other.time),
      duration(other.duration),
      frequency(other.frequency),
      measuredFrequency(other.measuredFrequency),
      pan(other.pan),
      volume(other.volume),
      guitarString(other.guitarString),
      fret(other.fret),
      finger(other.finger),
      length(other.length),
      songMeasure(other.songMeasure),
      partMeasure(other.partMeasure),
      thing(other.thing),
      hand(other.hand),
      interval(other.interval),
      intervalFrets(other.intervalFrets),
      rootFrets(other.rootFrets),
      shapeValue(other.shapeValue),
      source(other.source),
      eventKind(other.eventKind),
      accidental(other.accidental),
      mode(other.mode),
      midiNote(other.midiNote),
      writtenNote(other.writtenNote),
      m_bandNote(other.m_bandNote),
      m_nameNote(other.m_nameNote),
      m_octaveNote(other.m_octaveNote),
      m_staffNote(other.m_staffNote),
      m_chord(other.m_chord) {
    if (other.m_extra) {
        m_extra = std::make_unique<EXTRA>(*other.m_extra);
    }
}

CNote& CNote::operator=(const CNote& other) {
    if (this != &other) {
        CNote copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CNote::EXTRA& CNote::Extra() {
    if (!m_extra) {
        m_extra = std::make_unique<EXTRA>();
    }
    return *m_extra;
}

void CNote::Reset() {
    time = UNSET_TIME;
    duration = UNSET_TIME;
    volume = 1.0f;
    frequency = 0.0;
    m_bandNote = NOTE_NONE;
    m_nameNote = NOTE_NONE;
    m_octaveNote = NOTE_NONE;
    midiNote = NOTE_NONE;
    writtenNote = NOTE_NONE;
    interval = 0;
    intervalFrets = 0;
    rootFrets = 0;
    accidental = ACCIDENTAL_NOT_SET;
    mode = 0;
    guitarString = UNSET;
    fret = UNSET;
    shapeValue = 0;
    finger = UNSET;
    m_chord = CChordPool::kEmpty;
    if (m_extra) {
        m_extra->chord.reset();
    }
    length = 0;
    SetMarkerText("");
}

void CNote::CopyPitch(const CNote& tableNote, bool withIntervals) {
    midiNote = tableNote.midiNote;
    m_nameNote = tableNote.m_nameNote;
    frequency = tableNote.frequency;
    m_bandNote = tableNote.m_bandNote;
    m_octaveNote = tableNote.m_octaveNote;
    accidental = tableNote.accidental;
    if (withIntervals) {
        interval = tableNote.interval;
        intervalFrets = tableNote.intervalFrets;
        rootFrets = tableNote.rootFrets;
    }
    ComputeWrittenNote();
}

void CNote::SetTablePitch(int tableNote) {
    const CPitchTable::ENTRY* entry = CPitchTable::Get(tableNote);
    const auto code = static_cast<uint8_t>(entry != nullptr ? tableNote : NOTE_NONE);
    frequency = entry != nullptr ? entry->frequency : 0.0;
    m_bandNote = code;
    m_nameNote = code;
    m_octaveNote = code;
    m_staffNote = code;
}

double CNote::GetBandLow() const {
    const CPitchTable::ENTRY* entry = CPitchTable::Get(m_bandNote);
    return entry != nullptr ? entry->bandLow : 0.0;
}

double CNote::GetBandHigh() const {
    const CPitchTable::ENTRY* entry = CPitchTable::Get(m_bandNote);
    return entry != nullptr ? entry->bandHigh : 0.0;
}

const CCharString& CNote::GetName() const {
    return CPitchTable::GetName(m_nameNote);
}

const CCharString& CNote::GetFlatName() const {
    return CPitchTable::GetFlatName(m_nameNote);
}

int CNote::GetOctave() const {
    const CPitchTable::ENTRY* entry = CPitchTable::Get(m_octaveNote);
    return entry != nullptr ? entry->octave : UNSET;
}

int CNote::GetStaff() const {
    const CPitchTable::ENTRY* entry = CPitchTable::Get(m_staffNote);
    return entry != nullptr ? entry->staff : 0;
}

float CNote::GetStaffPosition() const {
    const CPitchTable::ENTRY* entry = CPitchTable::Get(m_staffNote);
    return entry != nullptr ? entry->staffPosition : 0.0f;
}

const CHORD_INFO& CNote::GetChord() const {
    if (m_chord == CChordPool::kFull && m_extra && m_extra->chord) {
        return *m_extra->chord;
    }
    return CChordPool::Get(m_chord);
}

void CNote::SetChord(const CHORD_INFO& chord) {
    m_chord = CChordPool::Add(chord);
    if (m_chord == CChordPool::kFull) {
        Extra().chord = chord;
    } else if (m_extra) {
        m_extra->chord.reset();
    }
}

const CCharString& CNote::GetText() const {
    static const CCharString empty;
    return m_extra ? m_extra->text : empty;
}

void CNote::SetText(const char* text) {
    if (m_extra || (text != nullptr && *text != '\0')) {
        Extra().text = text;
    }
}

const CCharString& CNote::GetMarkerText() const {
    static const CCharString empty;
    return m_extra ? m_extra->markerText : empty;
}

void CNote::SetMarkerText(const char* text) {
    if (m_extra || (text != nullptr && *text != '\0')) {
        Extra().markerText = text;
    }
}

const FINGERING_SLOT& CNote::GetFingering(int i) const {
    static const FINGERING_SLOT unset;
    if (i < 0 || i >= FINGERING_SLOTS || !m_extra) {
        return unset;
    }
    return m_extra->fingering[i];
}

void CNote::SetFingering(int i, const FINGERING_SLOT& slot) {
    if (i >= 0 && i < FINGERING_SLOTS) {
        Extra().fingering[i] = slot;
    }
}

void CNote::ComputeWrittenNote() {
    int written = midiNote;
    if (midiNote < NOTE_CODE) {
        if (accidental == ACCIDENTAL_SHARP) {
            written = midiNote - 1;
        } else if (accidental == ACCIDENTAL_FLAT) {
            written = midiNote + 1;
        }
    }
    writtenNote = static_cast<uint8_t>(written < 0 ? 0 : written);
}

int CNote::GetSoundingNote() const {
    if (writtenNote >= NOTE_NONE) {
        return writtenNote;
    }
    if (accidental == ACCIDENTAL_SHARP) {
        return writtenNote + 1;
    }
    if (accidental == ACCIDENTAL_FLAT) {
        return writtenNote - 1;
    }
    return writtenNote;
}

bool CNote::IsMarker() const {
    return eventKind == EVENT_CHORD_MARKER || eventKind == EVENT_PART_MARKER ||
           eventKind == EVENT_MEASURE_MARKER;
}

bool CNote::GetMarkerName(CCharString& markerName) const {
    switch (eventKind) {
        case EVENT_CHORD_MARKER:
            markerName = "Chord";
            return true;
        case EVENT_PART_MARKER:
            markerName = "Song part";
            return true;
        case EVENT_MEASURE_MARKER:
            markerName = "Measure";
            return true;
        default:
            markerName.Empty();
            return false;
    }
}

CCharString CNote::GetModeText() const {
    CCharString text;
    if (mode & MODE_UP)
        text.Append("Up|");
    if (mode & MODE_START)
        text.Append("Start|");
    if (mode & MODE_END)
        text.Append("End|");
    if (mode & MODE_BARRE)
        text.Append("Barre|");
    return text;
}

CCharString CNote::GetDebugLine() const {
    CCharString line;
    line.Format(
        "note=%3s%2d (%3d), time=%7.3f, dur=%7.3f, len=%2d, vol=%0.2f, freq=%8.2f, "
        "staff=%s %4.1f",
        GetName().GetText(), GetOctave() == UNSET ? 0 : GetOctave(), midiNote, TimeOrZero(time),
        TimeOrZero(duration), length, volume, frequency, GetStaff() ? "Treble" : "Bass",
        GetStaffPosition());
    return line;
}

CCharString CNote::GetFullLine(bool tablature) const {
    CCharString line;
    if (tablature) {
        line.Format("%s-%s", IntOrEmpty(guitarString, "%d").GetText(),
                    IntOrEmpty(fret, "%d").GetText());
    } else {
        line.Format("%2d-%3d", eventKind, midiNote);
    }
    line.Append(", ");
    line.Append(GetDebugLine());
    CCharString extra;
    if (IsDrum()) {
        CCharString handName;
        GetThingName(hand, handName);
        extra.Format(", Hand=%10s", handName.GetText());
    } else {
        extra.Format(
            ", String=%s, Fret=%s, Finger=%s, Interv=%2d, IntFrets=%2d, "
            "RootFrets=%2d, Chord=%6s",
            IntOrEmpty(guitarString, "%d").GetText(),
            fret == UNSET ? "  " : IntOrEmpty(fret, "%2d").GetText(),
            IntOrEmpty(finger, "%d").GetText(), interval, intervalFrets, rootFrets,
            GetChord().name.GetText());
    }
    line.Append(extra);
    CCharString thingName;
    GetThingName(thing, thingName);
    line.Append(", Thing=");
    line.Append(thingName);
    line.Append(", Mode=");
    line.Append(GetModeText());
    if (IsMarker()) {
        CCharString markerName;
        GetMarkerName(markerName);
        CCharString marked;
        marked.Format("Marker - %9s: %s", markerName.GetText(), line.GetText());
        return marked;
    }
    return line;
}

void CNote::Dump(bool tablature) const {
    Platform::WriteDebugOutput(GetFullLine(tablature));
}

bool GetAccidentalName(int code, CCharString& name) {
    if (code < 0 || code >= kAccidentalCount) {
        name.Empty();
        return false;
    }
    name = kAccidentalNames[code];
    return true;
}

bool FindAccidental(const char* name, int& code) {
    for (int i = 0; name != nullptr && i < kAccidentalCount; ++i) {
        if (std::strcmp(name, kAccidentalNames[i]) == 0) {
            code = i;
            return true;
        }
    }
    code = 0;
    return false;
}

bool GetThingName(int thing, CCharString& name) {
    for (const THING_NAME& entry : kThingNames) {
        if (entry.thing == thing) {
            name = entry.name;
            return true;
        }
    }
    name = "Unknown Thing";
    return false;
}

bool FindThing(const char* name, int& thing) {
    if (name == nullptr) {
        return false;
    }
    for (const THING_NAME& entry : kThingNames) {
        if (std::strcmp(name, entry.name) == 0) {
            thing = entry.thing;
            return true;
        }
    }
    if (std::strcmp(name, "Band") == 0) {
        thing = THING_BAND;
        return true;
    }
    if (std::strcmp(name, "Keyboard") == 0) {
        thing = THING_KEYBOARD;
        return true;
    }
    return false;
}

const char* GetSharpName(int pitchClass) {
    return kSharpNames[((pitchClass % 12) + 12) % 12];
}

const char* GetFlatName(int pitchClass) {
    return kFlatNames[((pitchClass % 12) + 12) % 12];
}
