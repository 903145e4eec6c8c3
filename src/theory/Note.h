#pragma once

#include <cfloat>
#include <cstdint>
#include <memory>

#include "foundation/CharString.h"

// MIDI note numbers of the note table and the three codes that are no pitch.
constexpr int NOTE_COUNT = 132;
constexpr uint8_t NOTE_CODE = 253;   // a non-pitch code treated like a chord
constexpr uint8_t NOTE_CHORD = 254;  // chord marker, named "Chord"
constexpr uint8_t NOTE_NONE = 255;   // no note

// Unset values of the integer and time fields.
constexpr int UNSET = 0x7FFFFFFF;
constexpr double UNSET_TIME = DBL_MAX;

enum ACCIDENTAL {
    ACCIDENTAL_NOT_SET = 0,
    ACCIDENTAL_SHARP = 1,
    ACCIDENTAL_2_SHARPS = 2,
    ACCIDENTAL_FLAT = 3,
    ACCIDENTAL_2_FLATS = 4,
    ACCIDENTAL_NATURAL = 5,
    ACCIDENTAL_ACCENTED = 6,
    ACCIDENTAL_GHOST_NOTE = 7,
    ACCIDENTAL_MUTED = 8,
    ACCIDENTAL_STACCATO = 9,
};

enum EVENT_KIND {
    EVENT_NONE = 0,
    EVENT_NOTE_START = 1,
    EVENT_NOTE_END = 2,
    EVENT_KEEP = 4,  // never overwritten by a start or an end
    EVENT_CHORD_MARKER = 11,
    EVENT_PART_MARKER = 12,
    EVENT_MEASURE_MARKER = 13,
};

// Playing-mode flags of a note.
enum MODE_FLAG {
    MODE_BARRE = 1,
    MODE_ROOT_STRING = 2,  // the string that carries a barre shape's root
    MODE_START = 4,
    MODE_END = 8,
    MODE_UP = 16,
};

// Where a note came from.
enum NOTE_SOURCE {
    SOURCE_NONE = 0,
    SOURCE_COMPUTER_KEYBOARD = 1,
    SOURCE_MIDI_FILE = 3,
    SOURCE_SOUND_DETECTOR = 5,
    SOURCE_DETECTOR_LEVEL = 6,
    SOURCE_MIDI_INPUT = 7,
};

// Instruments and the parts of the players that play them.
enum THING {
    THING_NONE = 0,
    THING_DRUM_SET = 1,
    THING_BASS_DRUM_1 = 2,
    THING_BASS_DRUM_2 = 3,
    THING_HI_HAT_OPEN = 4,
    THING_HI_HAT_CLOSED = 5,
    THING_HI_HAT_FOOT = 6,
    THING_HI_HAT_BOTTOM = 7,
    THING_SNARE_DRUM = 9,
    THING_TOM_1 = 10,
    THING_OCTOBAN_1 = 16,
    THING_RIDE_CYMBAL = 24,
    THING_RIDE_BELL = 25,
    THING_CRASH_CYMBAL_1 = 26,
    THING_SPLASH_CYMBAL_1 = 30,
    THING_CHINESE_CYMBAL_1 = 32,
    THING_CHINESE_CYMBAL_2 = 33,
    THING_BASS_GUITAR = 36,
    THING_GUITAR = 37,
    THING_RHYTHM_GUITAR = 38,
    THING_LEAD_GUITAR = 39,
    THING_SOLO_GUITAR = 40,
    THING_LEFT_HAND = 41,
    THING_RIGHT_HAND = 42,
    THING_LEFT_THUMB = 45,
    THING_RIGHT_THUMB = 50,
    THING_LEFT_FOOT = 57,
    THING_RIGHT_FOOT = 58,
    THING_BAND = 62,
    THING_KEYBOARD = 65,
    THING_COUNT = 82,
};

// The chord a note belongs to.
struct CHORD_INFO {
    uint8_t root = NOTE_NONE;   // MIDI note of the chord root
    int pitch = 0;              // accidental of the root
    int chordType = 0;          // 1..32, 0 none
    int scale = 0;              // key or scale id 1..52
    int scaleRoot = NOTE_NONE;  // MIDI note of the scale root
    int chordGroup = 0;         // 1..16
    int baseFret = 0;           // hand position on the neck, 0 open position
    int number = 0;             // degree of the chord in the scale, 1 = I
    int position = 0;           // 1-based place of the chord in its part
    CCharString name;           // the full chord name

    void Reset() { *this = CHORD_INFO(); }
    bool operator==(const CHORD_INFO& other) const;
    bool operator!=(const CHORD_INFO& other) const { return !(*this == other); }
};

// A further fingering triple of a note.
struct FINGERING_SLOT {
    int value1 = UNSET;
    int value2 = UNSET;
    int flags = 0;
};

constexpr int FINGERING_SLOTS = 14;

// Every musical event: a pitched note, a rest, a drum hit, a fretted note or
// a marker travelling in the same lists as the notes.
//
// A note takes at most 96 bytes. The values that follow from a table note
// (band, names, octave, staff) are one-byte indexes into CPitchTable, the
// chord info a two-byte index into CChordPool, and the rare texts and
// fingering slots live in a side block allocated only for the notes that have
// them. Copies are deep: a copy owns its own side block.
class CNote {
public:
    CNote();
    ~CNote();
    CNote(const CNote& other);
    CNote(CNote&& other) noexcept;
    CNote& operator=(const CNote& other);
    CNote& operator=(CNote&& other) noexcept;

    void Reset();
    // Copies the pitch values of a table note (and its interval fields when
    // asked), then recomputes the written note.
    void CopyPitch(const CNote& tableNote, bool withIntervals = false);
    // All table values of table note midiNote (frequency, band, names,
    // octave, staff), as the note table's own notes have them.
    void SetTablePitch(int midiNote);
    void ComputeWrittenNote();
    // The sounding note of the written note under the accidental.
    int GetSoundingNote() const;

    // Band of frequencies that count as the note; 0 when not set.
    double GetBandLow() const;
    double GetBandHigh() const;
    // Sharp and flat names; empty when not set.
    const CCharString& GetName() const;
    const CCharString& GetFlatName() const;
    // The names of note code: a table note's, "Chord" for NOTE_CHORD, else
    // empty.
    void SetNames(int code) { m_nameNote = static_cast<uint8_t>(code); }
    void CopyNames(const CNote& other) { m_nameNote = other.m_nameNote; }
    // UNSET when not set.
    int GetOctave() const;
    void ClearOctave() { m_octaveNote = NOTE_NONE; }
    // 0 bass, non-zero treble; both 0 unless taken from a table note.
    int GetStaff() const;
    float GetStaffPosition() const;

    const CHORD_INFO& GetChord() const;
    void SetChord(const CHORD_INFO& chord);
    // Changes the chord info through edit(CHORD_INFO&).
    template <typename Edit>
    void EditChord(Edit edit) {
        CHORD_INFO chord = GetChord();
        edit(chord);
        SetChord(chord);
    }

    // Free text and the marker's text; empty when not set.
    const CCharString& GetText() const;
    void SetText(const char* text);
    const CCharString& GetMarkerText() const;
    void SetMarkerText(const char* text);
    // Further fingering triple i (0..FINGERING_SLOTS-1); an unset triple
    // when not set or i is out of range, which SetFingering ignores.
    const FINGERING_SLOT& GetFingering(int i) const;
    void SetFingering(int i, const FINGERING_SLOT& slot);

    bool IsMarker() const;
    bool IsDrum() const { return IsDrumThing(thing); }
    bool GetMarkerName(CCharString& name) const;
    CCharString GetModeText() const;

    // The short and full debug lines; the full line of a marker is prefixed
    // with "Marker - <name>: ". Dump writes the full line to the debug output.
    CCharString GetDebugLine() const;
    CCharString GetFullLine(bool tablature = false) const;
    void Dump(bool tablature = false) const;

    static bool IsDrumThing(int thing) { return thing >= 1 && thing <= 33; }

    double time = UNSET_TIME;
    double duration = UNSET_TIME;
    double frequency = 0.0;  // the table's or the note's own (tones, samples)
    double measuredFrequency = 0.0;
    float pan = 0.0f;
    float volume = 1.0f;
    int guitarString = UNSET;  // 1-based, string 1 the highest
    int fret = UNSET;          // 0 open string
    int finger = UNSET;        // 1 index .. 4 little finger
    int length = 0;            // in grid units
    int songMeasure = UNSET;
    int partMeasure = UNSET;
    int16_t thing = THING_NONE;
    int16_t hand = THING_NONE;
    int16_t interval = 0;       // scale degree or chord interval
    int16_t intervalFrets = 0;  // semitones above the degree
    int16_t rootFrets = 0;      // semitones above the chord or scale root
    int16_t shapeValue = 0;     // the barre shape's further value of the string
    uint8_t source = SOURCE_NONE;
    uint8_t eventKind = EVENT_NONE;
    uint8_t accidental = ACCIDENTAL_NOT_SET;
    uint8_t mode = 0;
    uint8_t midiNote = NOTE_NONE;
    uint8_t writtenNote = NOTE_NONE;

private:
    struct EXTRA;
    EXTRA& Extra();

    // Table notes whose band, names, octave and staff the note has;
    // NOTE_NONE for none.
    uint8_t m_bandNote = NOTE_NONE;
    uint8_t m_nameNote = NOTE_NONE;
    uint8_t m_octaveNote = NOTE_NONE;
    uint8_t m_staffNote = NOTE_NONE;
    uint16_t m_chord = 0;  // CChordPool index
    std::unique_ptr<EXTRA> m_extra;
};

static_assert(sizeof(CNote) <= 96, "a note takes at most 96 bytes");

// Names of the accidental and articulation codes ("Not set" .. "Staccato").
bool GetAccidentalName(int code, CCharString& name);
bool FindAccidental(const char* name, int& code);

// Names of the instruments; unlisted codes give "Unknown Thing" and false.
// The name lookup is exact and also knows "Band" and "Keyboard".
bool GetThingName(int thing, CCharString& name);
bool FindThing(const char* name, int& thing);

// Sharp and flat names of a pitch class 0..11.
const char* GetSharpName(int pitchClass);
const char* GetFlatName(int pitchClass);
