// Spelling in a key, checked against the names of the key's own notes and
// against what a reader of printed music expects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "theory/KeySignature.h"
#include "theory/NoteManager.h"

namespace {

int ScaleId(const char* name) {
    int id = 0;
    EXPECT_TRUE(CNoteManager::FindScale(name, id)) << name;
    return id;
}

// The name of a spelled note: its letter and "#" or "b".
std::string Spelled(const CKeySignature& key, int midiNote) {
    int written = 0, alteration = 0;
    if (!key.Spell(midiNote, written, alteration)) {
        return "?";
    }
    const int letter = CKeySignature::GetLetter(written);
    if (letter < 0) {
        return "black key";
    }
    std::string name(1, "CDEFGAB"[letter]);
    return name + (alteration > 0 ? "#" : alteration < 0 ? "b" : "");
}

TEST(KeySignatureTest, SpellsTheBlackKeyOfGMajorAsFSharp) {
    CKeySignature key;
    ASSERT_TRUE(key.SetScale(ScaleId("G maj"), 67));
    EXPECT_EQ(key.GetAccidentals(), 1);
    int written = 0, alteration = 0;
    ASSERT_TRUE(key.Spell(66, written, alteration));
    EXPECT_EQ(written, 65) << "F sharp is written on F";
    EXPECT_EQ(alteration, 1);
    EXPECT_EQ(Spelled(key, 78), "F#");
    EXPECT_EQ(Spelled(key, 67), "G");
    EXPECT_EQ(Spelled(key, 65), "F") << "F natural, outside the key";
    EXPECT_EQ(Spelled(key, 70), "A#") << "a sharp key writes sharps";
}

TEST(KeySignatureTest, SpellsTheBlackKeysOfBFlatMajorAsFlats) {
    CKeySignature key;
    ASSERT_TRUE(key.SetScale(ScaleId("Bb maj"), 70));
    EXPECT_EQ(key.GetAccidentals(), -2);
    int written = 0, alteration = 0;
    ASSERT_TRUE(key.Spell(70, written, alteration));
    EXPECT_EQ(written, 71) << "B flat is written on B";
    EXPECT_EQ(alteration, -1);
    EXPECT_EQ(Spelled(key, 46), "Bb");
    EXPECT_EQ(Spelled(key, 63), "Eb");
    EXPECT_EQ(Spelled(key, 66), "Gb") << "a flat key writes flats";
    EXPECT_EQ(Spelled(key, 71), "B") << "B natural, outside the key";
}

TEST(KeySignatureTest, SpellsTheSevenNotesOfEveryKeyAsTheKeyNamesThem) {
    for (int id = KEY_FIRST; id <= KEY_LAST; ++id) {
        CKeySignature key;
        int root = 0, accidental = 0;
        ASSERT_TRUE(CNoteManager::GetKeyRoot(id, root, accidental));
        ASSERT_TRUE(key.SetScale(id, root)) << id;
        int signature = 0;
        ASSERT_TRUE(CNoteManager::GetKeySignature(id, signature));
        EXPECT_EQ(key.GetAccidentals(), signature) << id;
        std::vector<CCharString> names;
        ASSERT_TRUE(CNoteManager::GetKeySpelling(id, names));
        CNoteManager manager;
        std::vector<int> steps;
        ASSERT_TRUE(manager.GetScaleSteps(id, steps));
        int pitch = root;
        for (size_t degree = 0; degree < names.size(); ++degree) {
            EXPECT_EQ(Spelled(key, pitch), names[degree].GetText()) << "key " << id;
            if (degree < steps.size()) {
                pitch += steps[degree];
            }
        }
    }
}

TEST(KeySignatureTest, WritesTheLeadingNoteOfHarmonicMinorWithItsLetter) {
    CKeySignature key;
    ASSERT_TRUE(key.SetScale(ScaleId("Harmonic minor"), 62));  // D harmonic minor
    EXPECT_EQ(key.GetAccidentals(), -1);
    EXPECT_EQ(Spelled(key, 61), "C#") << "not D flat";
    EXPECT_EQ(Spelled(key, 70), "Bb");
}

TEST(KeySignatureTest, GivesAMajorScaleTheKeyOfItsRoot) {
    CKeySignature key;
    ASSERT_TRUE(key.SetScale(ScaleId("Major"), 62));
    EXPECT_EQ(key.GetKeyId(), ScaleId("D maj"));
    EXPECT_EQ(key.GetAccidentals(), 2);
    ASSERT_TRUE(key.SetScale(ScaleId("Major"), 61));
    EXPECT_EQ(key.GetKeyId(), ScaleId("Db maj")) << "five flats rather than seven sharps";
}

TEST(KeySignatureTest, HasNoKeyForTheChromaticScaleOrAMode) {
    CKeySignature key;
    EXPECT_FALSE(key.SetScale(ScaleId("Chromatic"), 60));
    EXPECT_FALSE(key.IsSet());
    EXPECT_FALSE(key.SetScale(ScaleId("Dorian"), 62));
    int written = 0, alteration = 0;
    EXPECT_FALSE(key.Spell(61, written, alteration));
}

TEST(KeySignatureTest, WritesTheSignatureOnTheConventionalLinesAndSpaces) {
    EXPECT_EQ(CKeySignature::GetSignatureNotes(1, true), (std::vector<int>{77}));   // F5
    EXPECT_EQ(CKeySignature::GetSignatureNotes(1, false), (std::vector<int>{53}));  // F3
    EXPECT_EQ(CKeySignature::GetSignatureNotes(-2, true), (std::vector<int>{71, 76}));
    EXPECT_EQ(CKeySignature::GetSignatureNotes(-2, false), (std::vector<int>{47, 52}));
    EXPECT_EQ(CKeySignature::GetSignatureNotes(7, true),
              (std::vector<int>{77, 72, 79, 74, 69, 76, 71}));
    EXPECT_TRUE(CKeySignature::GetSignatureNotes(0, true).empty());
    EXPECT_EQ(CKeySignature::GetLetterAlteration(-2, 6), -1);  // B flat
    EXPECT_EQ(CKeySignature::GetLetterAlteration(-2, 2), -1);  // E flat
    EXPECT_EQ(CKeySignature::GetLetterAlteration(-2, 5), 0);   // A natural
    EXPECT_EQ(CKeySignature::GetLetterAlteration(3, 4), 1);    // G sharp in A major
}

}  // namespace

// A tune's key: from the signature its file gives, else from its notes.
TEST(KeySignatureOfATune, ASignatureWritesItsKeyAndItsNotesAsTheKeySpellsThem) {
    CKeySignature fMajor;
    ASSERT_TRUE(fMajor.SetSignature(-1, false));
    EXPECT_EQ(fMajor.GetAccidentals(), -1);
    int written = 0, alteration = 0;
    ASSERT_TRUE(fMajor.Spell(70, written, alteration));
    EXPECT_EQ(written, 71) << "B flat, never A sharp";
    EXPECT_EQ(alteration, -1);
    CKeySignature dMinor;
    ASSERT_TRUE(dMinor.SetSignature(-1, true));
    ASSERT_TRUE(dMinor.Spell(61, written, alteration));
    EXPECT_EQ(written, 60) << "the leading note of D minor is C sharp";
    EXPECT_EQ(alteration, 1);
    CKeySignature none;
    EXPECT_FALSE(none.SetSignature(8, false));
    EXPECT_FALSE(none.IsSet());
}

TEST(KeySignatureOfATune, TheKeyThatFitsTheNotesBestIsTheSimplestOfThoseThatFit) {
    // Brother John in F: F G A F, A B-flat C, C D C B-flat A F, F C F.
    EXPECT_EQ(CKeySignature::FitSignature({53, 55, 57, 53, 57, 58, 60, 60, 62, 60, 58, 57, 53, 48}),
              -1);
    EXPECT_EQ(CKeySignature::FitSignature({60, 62, 64, 65, 67}), 0) << "C before F and G";
    EXPECT_EQ(CKeySignature::FitSignature({62, 64, 66, 67, 69, 71, 73}), 2);
    EXPECT_EQ(CKeySignature::FitSignature({}), 0);
}
