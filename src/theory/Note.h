#pragma once

#include <cfloat>
#include <cstdint>

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
    CCharString names[4];       // names[0]: the full chord name

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
class CNote {
public:
    CNote();
    virtual ~CNote() = default;
    CNote(const CNote&) = default;
    CNote(CNote&&) noexcept = default;
    CNote& operator=(const CNote&) = default;
    CNote& operator=(CNote&&) noexcept = default;

    void Reset();
    // Copies the pitch fields of a table note (and its interval fields when
    // asked), then recomputes the written note.
    void CopyPitch(const CNote& tableNote, bool withIntervals = false);
    void ComputeWrittenNote();
    // The sounding note of the written note under the accidental.
    int GetSoundingNote() const;

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

    CCharString text;
    int thing = THING_NONE;
    int hand = THING_NONE;
    int source = SOURCE_NONE;
    double time = UNSET_TIME;
    double duration = UNSET_TIME;
    float pan = 0.0f;
    float volume = 1.0f;
    double frequency = 0.0;
    double bandLow = 0.0;
    double bandHigh = 0.0;
    double measuredFrequency = 0.0;
    CCharString name;
    CCharString flatName;
    int octave = UNSET;
    int staff = 0;  // 0 bass, non-zero treble
    float staffPosition = 0.0f;
    uint8_t midiNote = NOTE_NONE;
    uint8_t writtenNote = NOTE_NONE;
    int eventKind = EVENT_NONE;
    int interval = 0;       // scale degree or chord interval
    int intervalFrets = 0;  // semitones above the degree
    int rootFrets = 0;      // semitones above the chord or scale root
    int accidental = ACCIDENTAL_NOT_SET;
    int guitarString = UNSET;  // 1-based, string 1 the highest
    int fret = UNSET;          // 0 open string
    int shapeValue = 0;        // the barre shape's further value of the string
    int finger = UNSET;        // 1 index .. 4 little finger
    int mode = 0;
    FINGERING_SLOT fingering[FINGERING_SLOTS];
    CHORD_INFO chord;
    int length = 0;  // in grid units
    CCharString markerText;
    int songMeasure = UNSET;
    int partMeasure = UNSET;
};

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
