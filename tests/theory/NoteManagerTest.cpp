#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "theory/NoteManager.h"

namespace {

class NoteManagerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(manager.Init()) << manager.GetError(); }
    CNoteManager manager;
};

int ScaleId(const char* name) {
    int id = 0;
    EXPECT_TRUE(CNoteManager::FindScale(name, id)) << name;
    return id;
}

// Spells a scale from its tonic by letter arithmetic: each degree takes the
// next letter, with the accidental that makes up the scale's semitones.
std::vector<std::string> SpellScale(const std::string& tonic, const int semitones[7]) {
    static const std::string letters = "CDEFGAB";
    static const int natural[7] = {0, 2, 4, 5, 7, 9, 11};
    const int letter = static_cast<int>(letters.find(tonic[0]));
    int tonicPitch = natural[letter];
    for (size_t i = 1; i < tonic.size(); ++i) {
        tonicPitch += tonic[i] == '#' ? 1 : -1;
    }
    std::vector<std::string> names;
    for (int d = 0; d < 7; ++d) {
        const int l = (letter + d) % 7;
        int offset = ((tonicPitch + semitones[d] - natural[l]) % 12 + 12) % 12;
        if (offset > 6) {
            offset -= 12;
        }
        std::string name(1, letters[l]);
        name += offset > 0 ? std::string(offset, '#') : std::string(-offset, 'b');
        names.push_back(name);
    }
    return names;
}

struct KEY_FACT {
    const char* major;
    const char* minor;
    const char* majorTonic;
    const char* minorTonic;
    int signature;
};

const KEY_FACT kKeys[] = {
    {"C maj", "A min", "C", "A", 0},      {"G maj", "E min", "G", "E", 1},
    {"D maj", "B min", "D", "B", 2},      {"A maj", "F# min", "A", "F#", 3},
    {"E maj", "C# min", "E", "C#", 4},    {"B maj", "G# min", "B", "G#", 5},
    {"F# maj", "D# min", "F#", "D#", 6},  {"C# maj", "A# min", "C#", "A#", 7},
    {"F maj", "D min", "F", "D", -1},     {"Bb maj", "G min", "Bb", "G", -2},
    {"Eb maj", "C min", "Eb", "C", -3},   {"Ab maj", "F min", "Ab", "F", -4},
    {"Db maj", "Bb min", "Db", "Bb", -5}, {"Gb maj", "Eb min", "Gb", "Eb", -6},
    {"Cb maj", "Ab min", "Cb", "Ab", -7},
};

TEST_F(NoteManagerTest, EveryKeyHasItsSignatureAndOneLetterPerDegree) {
    static const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    static const int minor[7] = {0, 2, 3, 5, 7, 8, 10};
    for (const KEY_FACT& key : kKeys) {
        for (int m = 0; m < 2; ++m) {
            const char* name = m == 0 ? key.major : key.minor;
            const int id = ScaleId(name);
            int signature = 99;
            ASSERT_TRUE(CNoteManager::GetKeySignature(id, signature)) << name;
            EXPECT_EQ(signature, key.signature) << name;
            std::vector<CCharString> spelled;
            ASSERT_TRUE(CNoteManager::GetKeySpelling(id, spelled)) << name;
            const auto expected =
                SpellScale(m == 0 ? key.majorTonic : key.minorTonic, m == 0 ? major : minor);
            ASSERT_EQ(spelled.size(), 7u);
            for (int d = 0; d < 7; ++d) {
                EXPECT_EQ(spelled[d].Str(), expected[d]) << name << " degree " << d + 1;
            }
            // The root note sounds the tonic's pitch class.
            int root = 0;
            int accidental = 0;
            ASSERT_TRUE(CNoteManager::GetKeyRoot(id, root, accidental));
            std::vector<std::string> tonic =
                SpellScale(m == 0 ? key.majorTonic : key.minorTonic, major);
            const int sharpsOrFlats = static_cast<int>(tonic[0].size()) - 1;
            if (sharpsOrFlats == 0) {
                EXPECT_EQ(accidental, ACCIDENTAL_NOT_SET) << name;
            }
        }
    }
    int root = 0;
    int accidental = 0;
    ASSERT_TRUE(CNoteManager::GetKeyRoot(ScaleId("Cb maj"), root, accidental));
    EXPECT_EQ(root, 59);
    EXPECT_EQ(accidental, ACCIDENTAL_FLAT);
}

TEST_F(NoteManagerTest, ScaleStepsMatchTheirIntervals) {
    struct FACT {
        const char* name;
        std::vector<int> pitches;  // semitones above the root of each degree
    };
    const FACT facts[] = {
        {"Major", {0, 2, 4, 5, 7, 9, 11}},         {"Dorian", {0, 2, 3, 5, 7, 9, 10}},
        {"Phrygian", {0, 1, 3, 5, 7, 8, 10}},      {"Lydian", {0, 2, 4, 6, 7, 9, 11}},
        {"Mixolydian", {0, 2, 4, 5, 7, 9, 10}},    {"Aeolian", {0, 2, 3, 5, 7, 8, 10}},
        {"Locrian", {0, 1, 3, 5, 6, 8, 10}},       {"Harmonic minor", {0, 2, 3, 5, 7, 8, 11}},
        {"Melodic minor", {0, 2, 3, 5, 7, 9, 11}}, {"Pentatonic major", {0, 2, 4, 7, 9}},
        {"Pentatonic minor", {0, 3, 5, 7, 10}},    {"Blues", {0, 3, 5, 6, 7, 10}},
    };
    for (const FACT& fact : facts) {
        CNoteList list(12);
        ASSERT_TRUE(manager.GetScaleList(ScaleId(fact.name), list)) << fact.name;
        ASSERT_EQ(list.GetCount(), 12) << fact.name;
        std::vector<int> pitches;
        for (int i = 0; i < 12; ++i) {
            EXPECT_EQ(list.GetAt(i)->rootFrets, i);
            if (list.GetAt(i)->intervalFrets == 0) {
                pitches.push_back(i);
            }
        }
        EXPECT_EQ(pitches, fact.pitches) << fact.name;
    }
    CNoteList chromatic(12);
    ASSERT_TRUE(manager.GetScaleList(ScaleId("Chromatic"), chromatic));
    EXPECT_EQ(chromatic.GetAt(11)->interval, 12);
    CNoteList none(12);
    EXPECT_FALSE(manager.GetScaleList(53, none));
    EXPECT_FALSE(manager.GetScaleList(0, none));
}

// Semitones of a formula such as "1-b3-5-bb7" from the major-scale degrees.
std::set<int> FormulaSemitones(const std::string& formula) {
    static const int degree[14] = {0, 0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21};
    std::set<int> result;
    size_t at = 0;
    while (at < formula.size()) {
        int alteration = 0;
        while (formula[at] == 'b' || formula[at] == '#') {
            alteration += formula[at] == '#' ? 1 : -1;
            ++at;
        }
        size_t used = 0;
        const int d = std::stoi(formula.substr(at), &used);
        result.insert(degree[d] + alteration);
        at += used + 1;
    }
    return result;
}

TEST_F(NoteManagerTest, EveryChordTypeHoldsTheTonesOfItsFormulaInAllRoots) {
    for (int type = 1; type <= 32; ++type) {
        CChord chord;
        ASSERT_TRUE(manager.GetChordFromType(type, chord)) << type;
        std::set<int> expected = FormulaSemitones(chord.m_formula.Str());
        if (type == 16) {
            expected.erase(4);  // the flat-fifth dyad has no third
        }
        std::set<int> got;
        for (int i = 0; i < chord.m_notes.GetCount(); ++i) {
            got.insert(chord.m_notes.GetAt(i)->rootFrets);
        }
        EXPECT_EQ(got, expected) << "type " << type << " " << chord.m_formula.GetText();
        for (int root = 48; root < 60; ++root) {
            CNoteList notes(8, false);
            for (int i = 0; i < chord.m_notes.GetCount(); ++i) {
                CNote note;
                note.midiNote = static_cast<uint8_t>(root + chord.m_notes.GetAt(i)->rootFrets);
                notes.Add(note);
            }
            int found = 0;
            ASSERT_TRUE(manager.GetChordType(notes, found));
            CChord same;
            ASSERT_TRUE(manager.GetChordFromType(found, same)) << type << " at " << root;
            EXPECT_EQ(same.m_formula, chord.m_formula) << type << " at " << root;
            CCharString name;
            ASSERT_TRUE(CNoteManager::GetChordName(type, root, name));
            EXPECT_EQ(name.Str(), std::string(GetSharpName(root % 12)) + chord.m_shortName.Str());
        }
    }
    CChord chord;
    EXPECT_FALSE(manager.GetChordFromType(33, chord));
    EXPECT_FALSE(manager.GetChordFromType(0, chord));
    EXPECT_TRUE(chord.m_longName.IsEmpty());
}

TEST_F(NoteManagerTest, InversionsAndEmptyListsAreNoChordType) {
    CNoteList notes(4, false);
    for (int n : {64, 67, 72}) {
        CNote note;
        note.midiNote = static_cast<uint8_t>(n);
        notes.Add(note);
    }
    int type = -1;
    ASSERT_TRUE(manager.GetChordType(notes, type));
    EXPECT_EQ(type, 0);
    CNoteList empty(4, false);
    EXPECT_FALSE(manager.GetChordType(empty, type));
}

TEST_F(NoteManagerTest, NamesAreExactAndCaseSensitive) {
    int id = -1;
    EXPECT_TRUE(CNoteManager::FindChordType("Major", id));
    EXPECT_EQ(id, 1);
    EXPECT_FALSE(CNoteManager::FindChordType("major", id));
    EXPECT_EQ(id, 0);
    EXPECT_FALSE(CNoteManager::FindScale("c maj", id));
    EXPECT_FALSE(CNoteManager::FindScale(nullptr, id));
    EXPECT_FALSE(CNoteManager::FindChordGroup("Triads", id));
    EXPECT_TRUE(CNoteManager::FindProgression("I-III-IV-VI  I-III-V-V", id));
    CCharString name = "x";
    EXPECT_FALSE(CNoteManager::GetScaleName(99, name));
    EXPECT_TRUE(name.IsEmpty());
    CChord minor;
    ASSERT_TRUE(manager.GetChordFromType(16, minor));
    EXPECT_EQ(minor.m_notes.GetCount(), 2);
}

TEST_F(NoteManagerTest, SemitonesStayWithinAnOctave) {
    int s = -1;
    ASSERT_TRUE(manager.GetSemitones(60, 72, s));
    EXPECT_EQ(s, 12);
    ASSERT_TRUE(manager.GetSemitones(60, 48, s));
    EXPECT_EQ(s, 0);
    ASSERT_TRUE(manager.GetSemitones(60, 95, s));
    EXPECT_EQ(s, 11);
    EXPECT_FALSE(manager.GetSemitones(60, 201, s));
}

TEST_F(NoteManagerTest, FrequenciesFollowEqualTemperament) {
    const struct {
        int note;
        double hz;
    } facts[] = {{21, 27.50}, {60, 261.63}, {69, 440.0}, {108, 4186.01}};
    for (const auto& fact : facts) {
        CNote note;
        note.midiNote = static_cast<uint8_t>(fact.note);
        ASSERT_TRUE(manager.FillNote(note));
        EXPECT_NEAR(note.frequency, fact.hz, 0.01) << fact.note;
    }
}

TEST_F(NoteManagerTest, FrequencyWithin49CentsFindsTheNote) {
    for (int n = 1; n < NOTE_COUNT - 1; ++n) {
        const double hz = 440.0 * std::pow(2.0, (n - 69) / 12.0);
        for (double cents : {-49.0, -25.0, 0.0, 25.0, 49.0}) {
            CNote note;
            ASSERT_TRUE(manager.GetNoteFromFrequency(hz * std::pow(2.0, cents / 1200.0), note))
                << n << " " << cents << ": " << manager.GetError();
            EXPECT_EQ(note.midiNote, n) << cents << " cents";
        }
    }
}

TEST_F(NoteManagerTest, ImpossibleFrequenciesAndNotesFailWithText) {
    CNote note;
    for (double hz : {-440.0, 0.0, std::numeric_limits<double>::quiet_NaN(), 1e9}) {
        EXPECT_FALSE(manager.GetNoteFromFrequency(hz, note)) << hz;
        EXPECT_EQ(note.midiNote, NOTE_NONE);
        EXPECT_EQ(std::string(manager.GetError()).rfind("Can't find a note for the frequency", 0),
                  0u);
    }
    for (int n = NOTE_COUNT; n < NOTE_CODE; ++n) {
        CNote bad;
        bad.midiNote = static_cast<uint8_t>(n);
        EXPECT_FALSE(manager.FillNote(bad)) << n;
        EXPECT_FALSE(manager.FillNames(bad)) << n;
    }
    CNote chord;
    chord.midiNote = NOTE_CHORD;
    ASSERT_TRUE(manager.FillNames(chord));
    EXPECT_EQ(chord.GetName(), "Chord");
}

TEST_F(NoteManagerTest, StaffPositionsCountLinesAndSpaces) {
    // Treble: E4 on the bottom line (0), one step per line or space.
    // Bass: G2 on the bottom line; sharps share the natural's place.
    const struct {
        int note;
        float position;
    } facts[] = {{60, -1.0f}, {61, -1.0f}, {64, 0.0f}, {65, 0.5f}, {67, 1.0f},
                 {77, 4.0f},  {79, 4.5f},  {59, 4.5f}, {57, 4.0f}, {58, 4.5f},
                 {43, 0.0f},  {45, 0.5f},  {50, 2.0f}, {40, -1.0f}};
    for (const auto& fact : facts) {
        const CNote& note = *manager.GetNoteTable().GetAt(fact.note);
        EXPECT_FLOAT_EQ(note.GetStaffPosition(), fact.position) << fact.note;
        EXPECT_EQ(note.GetStaff() != 0, fact.note >= 60) << fact.note;
    }
}

TEST_F(NoteManagerTest, ScaleOverRangeAndDegrees) {
    CNoteList range(132, true);
    ASSERT_TRUE(manager.GetScaleOverRange(ScaleId("C maj"), 60, range));
    ASSERT_EQ(range.GetCount(), NOTE_COUNT);
    for (int i = 0; i < range.GetCount(); ++i) {
        EXPECT_EQ(range.GetAt(i)->midiNote, i);
    }
    CNote note;
    ASSERT_TRUE(manager.GetNoteAtDegree(range, 60, 5, 0, note));
    EXPECT_EQ(note.midiNote, 67);
    ASSERT_TRUE(manager.GetNoteAtDegree(range, 60, 0, 0, note));
    EXPECT_EQ(note.midiNote, 59);  // degree 0: the seventh of the octave below
    ASSERT_TRUE(manager.GetNoteAtDegree(range, 60, -1, 0, note));
    EXPECT_EQ(note.midiNote, 57);
    ASSERT_TRUE(manager.StepByDegrees(range, 60, 2, note));
    EXPECT_EQ(note.midiNote, 64);
    ASSERT_TRUE(manager.StepByDegrees(range, 60, -1, note));
    EXPECT_EQ(note.midiNote, 59);
    EXPECT_FALSE(manager.StepByDegrees(range, 131, 3, note));
    EXPECT_STREQ(manager.GetError(), "Can't find interval");
    CNoteList empty(4, true);
    EXPECT_FALSE(manager.GetNoteAtDegree(empty, 60, 1, 0, note));
    EXPECT_FALSE(manager.GetScaleOverRange(ScaleId("C maj"), 200, range));
}

}  // namespace
