#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "theory/NoteManager.h"

namespace {

constexpr int kHighestMidi = 127;
constexpr int kSemitonesPerOctave = 12;

class TheoryRangeTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(manager.Init()) << manager.GetError(); }
    CNoteManager manager;
};

int PitchClass(int note) {
    return (note % kSemitonesPerOctave + kSemitonesPerOctave) % kSemitonesPerOctave;
}

// Semitones above the root of a chord degree in the major scale.
int MajorDegreeSemitones(int degree) {
    static const int kSemitones[14] = {0, 0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21};
    return degree >= 1 && degree <= 13 ? kSemitones[degree] : -100;
}

int AlterationSemitones(int accidental) {
    switch (accidental) {
        case ACCIDENTAL_SHARP:
            return 1;
        case ACCIDENTAL_FLAT:
            return -1;
        case ACCIDENTAL_2_FLATS:
            return -2;
        default:
            return 0;
    }
}

// The pitch class a note name such as "Cb" or "F#" stands for.
int PitchClassOfName(const std::string& name) {
    static const char kLetters[] = "CDEFGAB";
    static const int kNatural[7] = {0, 2, 4, 5, 7, 9, 11};
    const char* letter = std::strchr(kLetters, name[0]);
    int pitch = kNatural[letter - kLetters];
    for (size_t i = 1; i < name.size(); ++i) {
        pitch += name[i] == '#' ? 1 : -1;
    }
    return PitchClass(pitch);
}

CNoteList NotesOf(const std::vector<int>& midi) {
    CNoteList notes(8, false);
    for (int n : midi) {
        CNote note;
        note.midiNote = static_cast<uint8_t>(n);
        notes.Add(note);
    }
    return notes;
}

bool StartsWith(const char* text, const char* start) {
    return std::strncmp(text, start, std::strlen(start)) == 0;
}

}  // namespace

TEST_F(TheoryRangeTest, EveryMidiNoteHasItsNamesOctaveAndWrittenNote) {
    for (int n = 0; n < NOTE_COUNT; ++n) {
        CNote note;
        note.midiNote = static_cast<uint8_t>(n);
        ASSERT_TRUE(manager.FillNote(note, true)) << n << ": " << manager.GetError();
        EXPECT_STREQ(note.GetName().GetText(), GetSharpName(n % 12)) << n;
        EXPECT_STREQ(note.GetFlatName().GetText(), GetFlatName(n % 12)) << n;
        EXPECT_EQ(note.GetOctave(), n / 12 - 1) << n;
        const bool black = std::strchr(note.GetName().GetText(), '#') != nullptr;
        EXPECT_EQ(note.accidental, black ? ACCIDENTAL_SHARP : ACCIDENTAL_NOT_SET) << n;
        // A sharp is written on the natural below it, which has no sharp.
        EXPECT_EQ(note.writtenNote, black ? n - 1 : n) << n;
        EXPECT_EQ(std::strchr(GetSharpName(note.writtenNote % 12), '#'), nullptr) << n;
        EXPECT_EQ(note.GetSoundingNote(), n) << n;
        EXPECT_GT(note.frequency, 0.0) << n;
        CNote named;
        named.midiNote = note.midiNote;
        ASSERT_TRUE(manager.FillNames(named)) << n;
        EXPECT_EQ(named.GetName(), note.GetName()) << n;
    }
    CNote lowest;
    lowest.midiNote = 0;
    ASSERT_TRUE(manager.FillNote(lowest));
    EXPECT_EQ(lowest.GetOctave(), -1);
    CNote top;
    top.midiNote = kHighestMidi;
    ASSERT_TRUE(manager.FillNote(top));
    EXPECT_STREQ(top.GetName().GetText(), "G");
    EXPECT_EQ(top.GetOctave(), 9);
}

TEST_F(TheoryRangeTest, FrequenciesAndStaffPlacesRiseWithThePitch) {
    const CNoteList& table = manager.GetNoteTable();
    ASSERT_EQ(table.GetCount(), NOTE_COUNT);
    for (int n = 1; n < NOTE_COUNT; ++n) {
        const CNote& below = *table.GetAt(n - 1);
        const CNote& note = *table.GetAt(n);
        EXPECT_GT(note.frequency, below.frequency) << n;
        EXPECT_DOUBLE_EQ(note.GetBandLow(), below.GetBandHigh()) << n;  // no gaps between bands
        EXPECT_LT(note.GetBandLow(), note.frequency) << n;
        EXPECT_GT(note.GetBandHigh(), note.frequency) << n;
        if (note.GetStaff() == below.GetStaff()) {
            EXPECT_GE(note.GetStaffPosition(), below.GetStaffPosition()) << n;
        }
    }
    // The edges of the table find their own notes.
    for (int n : {0, kHighestMidi, NOTE_COUNT - 1}) {
        CNote found;
        ASSERT_TRUE(manager.GetNoteFromFrequency(table.GetAt(n)->frequency, found)) << n;
        EXPECT_EQ(found.midiNote, n);
    }
    CNote found;
    EXPECT_FALSE(manager.GetNoteFromFrequency(table.GetAt(0)->GetBandLow() / 2.0, found));
    EXPECT_TRUE(StartsWith(manager.GetError(), "Can't find a note for the frequency"));
}

TEST_F(TheoryRangeTest, NotesOutsideTheTableAreRefusedWithATextAndNoPitchCodesPassThrough) {
    for (int n = NOTE_COUNT; n < NOTE_CODE; ++n) {
        CNote note;
        note.midiNote = static_cast<uint8_t>(n);
        EXPECT_FALSE(manager.FillNote(note)) << n;
        EXPECT_NE(std::string(manager.GetError()).find(std::to_string(n)), std::string::npos);
        EXPECT_TRUE(note.GetName().IsEmpty()) << n;
    }
    for (uint8_t code : {NOTE_CODE, NOTE_CHORD, NOTE_NONE}) {
        CNote note;
        note.midiNote = code;
        note.SetNames(60);  // a stale name
        EXPECT_TRUE(manager.FillNote(note)) << int(code);
        EXPECT_EQ(note.midiNote, code);
    }
    CNote note;
    ASSERT_TRUE(manager.GetFirstNoteAtOrAbove(-20, note));
    EXPECT_EQ(note.midiNote, 0);
    ASSERT_TRUE(manager.GetFirstNoteAtOrAbove(NOTE_COUNT - 1, note));
    EXPECT_EQ(note.midiNote, NOTE_COUNT - 1);
    EXPECT_FALSE(manager.GetFirstNoteAtOrAbove(NOTE_COUNT, note));
    EXPECT_TRUE(StartsWith(manager.GetError(), "Can't get MIDI note"));

    CNoteList mixed = NotesOf({60, 61});
    CNote marker;
    marker.eventKind = EVENT_MEASURE_MARKER;
    marker.midiNote = 200;  // markers are left alone
    mixed.Add(marker);
    EXPECT_TRUE(manager.RepitchNotes(mixed));
    EXPECT_EQ(mixed.GetAt(1)->GetName(), "C#");
    mixed.GetAt(0)->midiNote = 140;
    EXPECT_FALSE(manager.RepitchNotes(mixed));
}

TEST_F(TheoryRangeTest, EveryScaleFillsOneOctaveWithTwelveSemitones) {
    for (int id = KEY_FIRST; id <= SCALE_LAST; ++id) {
        CNoteList octave(12);
        ASSERT_TRUE(manager.GetScaleList(id, octave)) << id;
        ASSERT_EQ(octave.GetCount(), kSemitonesPerOctave) << id;
        std::vector<int> steps;
        ASSERT_TRUE(manager.GetScaleSteps(id, steps));
        int degree = 0;
        for (int i = 0; i < kSemitonesPerOctave; ++i) {
            const CNote& entry = *octave.GetAt(i);
            EXPECT_EQ(entry.rootFrets, i) << id;
            if (entry.intervalFrets == 0) {
                EXPECT_EQ(entry.interval, ++degree) << id << " at " << i;
            } else {
                EXPECT_EQ(entry.interval, degree) << id << " at " << i;
            }
        }
        EXPECT_EQ(degree, static_cast<int>(steps.size()) + 1) << id;
        int mode = 0;
        int semitones = -1;
        ASSERT_TRUE(manager.GetModeStart(id, mode, semitones)) << id;
        EXPECT_GE(mode, 1);
        EXPECT_LE(mode, 7);
        EXPECT_GE(semitones, 0);
        EXPECT_LE(semitones, 11);
    }
    for (int id : {0, -1, SCALE_LAST + 1, 1000}) {
        CNoteList octave(12);
        std::vector<int> steps{1};
        int mode = 9;
        int semitones = 9;
        EXPECT_FALSE(manager.GetScaleList(id, octave)) << id;
        EXPECT_FALSE(manager.GetScaleSteps(id, steps)) << id;
        EXPECT_TRUE(steps.empty());
        EXPECT_FALSE(manager.GetModeStart(id, mode, semitones)) << id;
        EXPECT_EQ(mode, 0);
        EXPECT_TRUE(StartsWith(manager.GetError(), "Unknown scale"));
    }
}

TEST_F(TheoryRangeTest, EveryScaleOverTheRangeCoversEachNoteOnceInAscendingOrder) {
    const int roots[] = {0, 1, 5, 11, 12, 59, 60, 66, 115, 120, kHighestMidi, NOTE_COUNT - 1};
    for (int id = KEY_FIRST; id <= SCALE_LAST; ++id) {
        CNoteList octave(12);
        ASSERT_TRUE(manager.GetScaleList(id, octave));
        for (int root : roots) {
            CNoteList range(NOTE_COUNT, true);
            ASSERT_TRUE(manager.GetScaleOverRange(id, root, range)) << id << " " << root;
            ASSERT_EQ(range.GetCount(), NOTE_COUNT) << id << " from " << root;
            for (int i = 0; i < range.GetCount(); ++i) {
                const CNote& note = *range.GetAt(i);
                ASSERT_EQ(note.midiNote, i) << id << " from " << root;
                const CNote& entry = *octave.GetAt(PitchClass(i - root));
                EXPECT_EQ(note.rootFrets, entry.rootFrets) << id << " " << root << " " << i;
                EXPECT_EQ(note.interval, entry.interval) << id << " " << root << " " << i;
                EXPECT_EQ(note.intervalFrets, entry.intervalFrets);
                EXPECT_STREQ(note.GetName().GetText(), GetSharpName(i % 12));
            }
        }
    }
    CNoteList range(NOTE_COUNT, true);
    for (int root : {-1, NOTE_COUNT, 255}) {
        EXPECT_FALSE(manager.GetScaleOverRange(SCALE_MAJOR, root, range)) << root;
        EXPECT_NE(std::string(manager.GetError()).find(std::to_string(root)), std::string::npos);
    }
    EXPECT_FALSE(manager.GetScaleOverRange(SCALE_LAST + 1, 60, range));
}

TEST_F(TheoryRangeTest, StepsAndDegreesNearTheEdgesOfTheRangeStayInside) {
    CNoteList range(NOTE_COUNT, true);
    ASSERT_TRUE(manager.GetScaleOverRange(SCALE_MAJOR, 0, range));
    CNote note;
    ASSERT_TRUE(manager.StepByDegrees(range, 0, 1, note));
    EXPECT_EQ(note.midiNote, 2);
    EXPECT_FALSE(manager.StepByDegrees(range, 0, -1, note));   // nothing below note 0
    EXPECT_FALSE(manager.StepByDegrees(range, 200, 1, note));  // not in the list
    ASSERT_TRUE(manager.StepByDegrees(range, 0, 0, note));
    EXPECT_EQ(note.midiNote, 0);
    ASSERT_TRUE(manager.StepByDegrees(range, 120, 6, note));
    EXPECT_EQ(note.midiNote, NOTE_COUNT - 1);
    EXPECT_FALSE(manager.StepByDegrees(range, 120, 7, note));  // past the top of the table
    EXPECT_STREQ(manager.GetError(), "Can't find interval");
    ASSERT_TRUE(manager.GetNoteAtDegree(range, 0, 1, 0, note));
    EXPECT_EQ(note.midiNote, 0);
    for (int degree : {8, 15, 22}) {
        ASSERT_TRUE(manager.GetNoteAtDegree(range, 0, degree, 0, note)) << degree;
        EXPECT_EQ(note.midiNote % 12, 0) << degree;
    }
    ASSERT_TRUE(manager.GetNoteAtDegree(range, 0, 1, 1, note));  // C#
    EXPECT_EQ(note.midiNote, 1);
    EXPECT_FALSE(manager.GetNoteAtDegree(range, NOTE_COUNT, 1, 0, note));
    EXPECT_FALSE(manager.GetNoteAtDegree(range, 0, 3, 5, note));
}

TEST_F(TheoryRangeTest, EveryKeyHasARootSpelledByItsNameAndOneKindOfAccidental) {
    for (int id = KEY_FIRST; id <= KEY_LAST; ++id) {
        CCharString name;
        ASSERT_TRUE(CNoteManager::GetScaleName(id, name));
        const std::string text = name.Str();
        const std::string tonic = text.substr(0, text.find(' '));
        const bool minor = text.find("min") != std::string::npos;
        EXPECT_EQ(minor, id % 2 == 0) << text;
        int root = 0;
        int accidental = -1;
        ASSERT_TRUE(CNoteManager::GetKeyRoot(id, root, accidental)) << text;
        EXPECT_GE(root, 59);
        EXPECT_LE(root, 71);
        EXPECT_EQ(PitchClass(root), PitchClassOfName(tonic)) << text;
        const int expected = tonic.size() == 1 ? ACCIDENTAL_NOT_SET
                             : tonic[1] == '#' ? ACCIDENTAL_SHARP
                                               : ACCIDENTAL_FLAT;
        EXPECT_EQ(accidental, expected) << text;
        int signature = 0;
        ASSERT_TRUE(CNoteManager::GetKeySignature(id, signature));
        std::vector<CCharString> spelled;
        ASSERT_TRUE(CNoteManager::GetKeySpelling(id, spelled));
        ASSERT_EQ(spelled.size(), 7u);
        EXPECT_EQ(spelled[0].Str(), tonic) << text;
        int sharps = 0;
        int flats = 0;
        std::set<char> letters;
        for (const CCharString& degree : spelled) {
            letters.insert(degree.GetAt(0));
            sharps += degree.GetAt(1) == '#' ? 1 : 0;
            flats += degree.GetAt(1) == 'b' ? 1 : 0;
        }
        EXPECT_EQ(letters.size(), 7u) << text;
        EXPECT_EQ(sharps - flats, signature) << text;
        EXPECT_TRUE(sharps == 0 || flats == 0) << text;
        // The spelled notes sound the key's scale.
        CNoteList octave(12);
        ASSERT_TRUE(manager.GetScaleList(id, octave));
        int degree = 0;
        for (int i = 0; i < kSemitonesPerOctave; ++i) {
            if (octave.GetAt(i)->intervalFrets == 0) {
                EXPECT_EQ(PitchClassOfName(spelled[degree].Str()), PitchClass(root + i))
                    << text << " degree " << degree + 1;
                ++degree;
            }
        }
        CCharString caption;
        ASSERT_TRUE(CNoteManager::GetScaleCaption(root, id, caption));
        EXPECT_NE(caption.Str().find(text), std::string::npos);
    }
    for (int id : {0, -3, KEY_LAST + 1, SCALE_LAST}) {
        int root = 0;
        int accidental = 0;
        int signature = 5;
        std::vector<CCharString> spelled(3);
        EXPECT_FALSE(CNoteManager::GetKeyRoot(id, root, accidental)) << id;
        EXPECT_EQ(root, 60);
        EXPECT_FALSE(CNoteManager::GetKeySignature(id, signature)) << id;
        EXPECT_EQ(signature, 0);
        EXPECT_FALSE(CNoteManager::GetKeySpelling(id, spelled)) << id;
        EXPECT_TRUE(spelled.empty());
    }
}

TEST_F(TheoryRangeTest, SharpAndFlatNamesNameTheSamePitches) {
    for (int pitch = -24; pitch < 36; ++pitch) {
        EXPECT_EQ(PitchClassOfName(GetSharpName(pitch)), PitchClass(pitch)) << pitch;
        EXPECT_EQ(PitchClassOfName(GetFlatName(pitch)), PitchClass(pitch)) << pitch;
        const bool natural = std::strlen(GetSharpName(pitch)) == 1;
        EXPECT_EQ(natural, std::strlen(GetFlatName(pitch)) == 1) << pitch;
        EXPECT_EQ(std::strchr(GetSharpName(pitch), 'b'), nullptr);
        EXPECT_EQ(std::strchr(GetFlatName(pitch), '#'), nullptr);
    }
}

TEST_F(TheoryRangeTest, EveryChordTypeIsBuiltFromItsDegreesRootFirst) {
    for (int type = 1; type <= CHORD_TYPE_COUNT; ++type) {
        CChord chord;
        ASSERT_TRUE(manager.GetChordFromType(type, chord)) << type;
        ASSERT_GE(chord.m_notes.GetCount(), 2) << type;
        EXPECT_EQ(chord.m_notes.GetAt(0)->rootFrets, 0) << type;
        EXPECT_EQ(chord.m_notes.GetAt(0)->interval, 1) << type;
        for (int i = 0; i < chord.m_notes.GetCount(); ++i) {
            const CNote& note = *chord.m_notes.GetAt(i);
            EXPECT_EQ(note.rootFrets,
                      MajorDegreeSemitones(note.interval) + AlterationSemitones(note.accidental))
                << "type " << type << " interval " << i;
            if (i > 0) {
                EXPECT_GT(note.rootFrets, chord.m_notes.GetAt(i - 1)->rootFrets) << type;
            }
        }
        CCharString longName;
        int id = 0;
        ASSERT_TRUE(CNoteManager::GetChordTypeName(type, longName));
        EXPECT_EQ(longName, chord.m_longName);
        ASSERT_TRUE(CNoteManager::FindChordType(longName.GetText(), id));
        EXPECT_EQ(id, type);
        // The names read the same for every root of the range.
        for (int root = 0; root < NOTE_COUNT; ++root) {
            CCharString name;
            ASSERT_TRUE(CNoteManager::GetChordName(type, root, name)) << type << " " << root;
            EXPECT_EQ(name.Str(), GetSharpName(root % 12) + chord.m_shortName.Str());
        }
        CCharString caption;
        ASSERT_TRUE(CNoteManager::GetChordCaption("Eb", type, caption));
        EXPECT_EQ(caption.Str(), "Eb" + chord.m_shortName.Str());
        ASSERT_TRUE(CNoteManager::GetChordCaption(nullptr, type, caption));
        EXPECT_EQ(caption, chord.m_shortName);
    }
}

TEST_F(TheoryRangeTest, EveryInversionIsReadAsNoTypeOrAsATypeOfTheSameNotes) {
    for (int type = 1; type <= CHORD_TYPE_COUNT; ++type) {
        CChord chord;
        ASSERT_TRUE(manager.GetChordFromType(type, chord));
        const int count = chord.m_notes.GetCount();
        for (int root : {0, 48, 60, 100}) {
            std::vector<int> midi;
            for (int i = 0; i < count; ++i) {
                midi.push_back(root + chord.m_notes.GetAt(i)->rootFrets);
            }
            for (int inversion = 1; inversion < count; ++inversion) {
                // The lowest note goes up an octave above the highest.
                std::rotate(midi.begin(), midi.begin() + 1, midi.end());
                while (midi.back() <= midi[midi.size() - 2]) {
                    midi.back() += kSemitonesPerOctave;
                }
                int found = -1;
                ASSERT_TRUE(manager.GetChordType(NotesOf(midi), found));
                if (found == 0) {
                    continue;
                }
                CChord other;
                ASSERT_TRUE(manager.GetChordFromType(found, other));
                ASSERT_EQ(other.m_notes.GetCount(), count);
                for (int i = 0; i < count; ++i) {
                    EXPECT_EQ(midi[i] - midi[0], other.m_notes.GetAt(i)->rootFrets)
                        << "type " << type << " inversion " << inversion << " read as " << found;
                }
            }
        }
    }
    // A first-inversion C major triad is no chord type; C sixth from its A is A minor seventh.
    int found = -1;
    ASSERT_TRUE(manager.GetChordType(NotesOf({64, 67, 72}), found));
    EXPECT_EQ(found, 0);
    ASSERT_TRUE(manager.GetChordType(NotesOf({57, 60, 64, 67}), found));
    EXPECT_EQ(found, 4);
    ASSERT_TRUE(manager.GetChordType(NotesOf({60}), found));
    EXPECT_EQ(found, 0);
}

TEST_F(TheoryRangeTest, UnknownChordTypesAndRootsAreRefused) {
    for (int type : {0, -1, CHORD_TYPE_COUNT + 1, 1000}) {
        CChord chord;
        chord.m_longName = "stale";
        EXPECT_FALSE(manager.GetChordFromType(type, chord)) << type;
        EXPECT_TRUE(chord.m_longName.IsEmpty());
        EXPECT_TRUE(StartsWith(manager.GetError(), "Unknown chord type"));
        CCharString name = "stale";
        EXPECT_FALSE(CNoteManager::GetChordName(type, 60, name)) << type;
        EXPECT_TRUE(name.IsEmpty());
        EXPECT_FALSE(CNoteManager::GetChordTypeName(type, name));
        EXPECT_FALSE(CNoteManager::GetChordCaption("C", type, name));
    }
    for (int root : {-1, NOTE_COUNT, 200, int(NOTE_CODE), int(NOTE_NONE), 1000}) {
        CCharString name = "stale";
        EXPECT_FALSE(CNoteManager::GetChordName(1, root, name)) << root;
        EXPECT_TRUE(name.IsEmpty()) << root;
        EXPECT_FALSE(CNoteManager::GetScaleCaption(root, SCALE_MAJOR, name)) << root;
    }
    int id = 5;
    EXPECT_FALSE(CNoteManager::FindChordType(nullptr, id));
    EXPECT_EQ(id, 0);
    EXPECT_FALSE(CNoteManager::FindChordType("", id));
    CNoteList empty(4, false);
    EXPECT_FALSE(manager.GetChordType(empty, id));
    EXPECT_TRUE(StartsWith(manager.GetError(), "Can't find the chord type"));
}

TEST_F(TheoryRangeTest, IntervalsOverTheWholeRangeStayWithinAnOctave) {
    for (int root = 0; root <= kHighestMidi; ++root) {
        for (int note = 0; note <= kHighestMidi; ++note) {
            int semitones = -1;
            ASSERT_TRUE(manager.GetSemitones(root, note, semitones)) << root << " " << note;
            ASSERT_GE(semitones, 0);
            ASSERT_LE(semitones, kSemitonesPerOctave);
            ASSERT_EQ(PitchClass(note - root), PitchClass(semitones)) << root << " " << note;
            // A whole octave only for a higher note of the root's pitch class.
            ASSERT_EQ(semitones == kSemitonesPerOctave, note > root && PitchClass(note - root) == 0)
                << root << " " << note;
        }
    }
    int semitones = 0;
    for (int bad : {-1, 201, -1000}) {
        EXPECT_FALSE(manager.GetSemitones(60, bad, semitones)) << bad;
        EXPECT_TRUE(StartsWith(manager.GetError(), "Can't find the interval from"));
        EXPECT_FALSE(manager.GetSemitones(bad, 60, semitones)) << bad;
    }
}

TEST_F(TheoryRangeTest, EveryTableNameIsFoundAgainAndUnknownIdsGiveNoName) {
    struct TABLE {
        int first;
        int last;
        bool (*get)(int, CCharString&);
        bool (*find)(const char*, int&);
    };
    const TABLE tables[] = {
        {KEY_FIRST, SCALE_LAST, CNoteManager::GetScaleName, CNoteManager::FindScale},
        {1, CHORD_TYPE_COUNT, CNoteManager::GetChordTypeName, CNoteManager::FindChordType},
        {1, CHORD_GROUP_COUNT, CNoteManager::GetChordGroupName, CNoteManager::FindChordGroup},
        {1, MELODIC_PATTERN_COUNT, CNoteManager::GetMelodicPatternName,
         CNoteManager::FindMelodicPattern},
        {0, PROGRESSION_LAST, CNoteManager::GetProgressionName, CNoteManager::FindProgression},
    };
    for (const TABLE& table : tables) {
        for (int id = table.first; id <= table.last; ++id) {
            CCharString name;
            ASSERT_TRUE(table.get(id, name)) << id;
            EXPECT_FALSE(name.IsEmpty()) << id;
            int found = -1;
            ASSERT_TRUE(table.find(name.GetText(), found)) << name.GetText();
            EXPECT_EQ(found, id) << name.GetText();
        }
        for (int id : {table.first - 1, table.last + 1}) {
            CCharString name = "stale";
            EXPECT_FALSE(table.get(id, name)) << id;
            EXPECT_TRUE(name.IsEmpty());
        }
        int found = -1;
        EXPECT_FALSE(table.find("no such name", found));
        EXPECT_EQ(found, 0);
    }
    EXPECT_EQ(CNoteManager::GetParentScale(SCALE_PENTATONIC_MAJOR), SCALE_MAJOR);
    EXPECT_EQ(CNoteManager::GetParentScale(SCALE_PENTATONIC_MINOR), SCALE_NATURAL_MINOR);
    EXPECT_EQ(CNoteManager::GetParentScale(SCALE_CHROMATIC), SCALE_CHROMATIC);
}
