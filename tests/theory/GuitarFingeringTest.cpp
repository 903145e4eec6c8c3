#include <gtest/gtest.h>

#include <set>

#include "theory/GuitarFingering.h"
#include "theory/NoteManager.h"

namespace {

class GuitarFingeringTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(manager.Init()); }

    CChord MakeChord(int type, int root, int thing) {
        CChord chord;
        EXPECT_TRUE(manager.GetChordFromType(type, chord));
        chord.m_root.midiNote = static_cast<uint8_t>(root);
        manager.FillNote(chord.m_root);
        chord.m_root.EditChord([&](CHORD_INFO& info) { info.chordType = type; });
        chord.m_root.thing = thing;
        chord.m_thing = thing;
        return chord;
    }

    static std::set<int> Tones(CNoteManager& manager, int type) {
        CChord chord;
        manager.GetChordFromType(type, chord);
        std::set<int> tones;
        for (int i = 0; i < chord.m_notes.GetCount(); ++i) {
            tones.insert(chord.m_notes.GetAt(i)->rootFrets % 12);
        }
        return tones;
    }

    CNoteManager manager;
};

const int kGuitar[] = {64, 59, 55, 50, 45, 40};

TEST_F(GuitarFingeringTest, NotePositionsFollowTheSearchDirection) {
    CNote note;
    note.midiNote = 40;
    ASSERT_TRUE(manager.GetNotePosition(1, 0, 4, note, true));
    EXPECT_EQ(note.guitarString, 6);
    EXPECT_EQ(note.fret, 0);
    note.midiNote = 45;
    ASSERT_TRUE(manager.GetNotePosition(1, 0, 4, note, true));
    EXPECT_EQ(note.guitarString, 5);
    EXPECT_EQ(note.fret, 0);
    note.midiNote = 64;
    ASSERT_TRUE(manager.GetNotePosition(1, 0, 22, note, false));
    EXPECT_EQ(note.guitarString, 1);
    EXPECT_FALSE(manager.GetNotePosition(1, 0, 23, note, true));
    note.midiNote = 100;
    note.guitarString = UNSET;
    EXPECT_FALSE(manager.GetNotePosition(1, 0, 22, note, true));
    EXPECT_EQ(note.guitarString, UNSET);
    // The bass neck; the window falls back to the whole neck.
    note.midiNote = 28;
    ASSERT_TRUE(manager.GetNotePositionFor(THING_BASS_GUITAR, 5, 9, note, true));
    EXPECT_EQ(note.guitarString, 4);
    EXPECT_EQ(note.fret, 0);
    EXPECT_FALSE(manager.GetNotePositionFor(THING_GUITAR, 0, 4, note, true));
}

TEST_F(GuitarFingeringTest, ChordLayoutsArePlayableChordTones) {
    for (int type = 1; type <= 32; ++type) {
        const std::set<int> tones = Tones(manager, type);
        for (int root = 40; root < 64; ++root) {
            for (int base : {0, 5}) {
                CChord chord = MakeChord(type, root, THING_RHYTHM_GUITAR);
                chord.m_root.EditChord([&](CHORD_INFO& info) { info.baseFret = base; });
                if (!manager.MakeChordFingering(chord)) {
                    continue;  // a root that can't sit at the base fret
                }
                const int chordRoot = chord.m_root.midiNote;
                EXPECT_GT(chordRoot, 41);
                std::set<int> strings;
                int low = 99;
                int high = -1;
                for (int i = 0; i < chord.m_notes.GetCount(); ++i) {
                    const CNote& note = *chord.m_notes.GetAt(i);
                    ASSERT_TRUE(strings.insert(note.guitarString).second) << "one note per string";
                    ASSERT_GE(note.guitarString, 1);
                    ASSERT_LE(note.guitarString, 6);
                    EXPECT_EQ(kGuitar[note.guitarString - 1] + note.fret, note.midiNote);
                    EXPECT_LE(note.fret, 22);
                    EXPECT_EQ(tones.count(((note.midiNote - chordRoot) % 12 + 12) % 12), 1u)
                        << "type " << type << " root " << root;
                    if (note.fret > 0) {
                        low = std::min(low, note.fret);
                        high = std::max(high, note.fret);
                    }
                }
                if (high >= 0) {
                    EXPECT_LE(high - low, 4) << "type " << type << " root " << root;
                }
            }
        }
    }
}

TEST_F(GuitarFingeringTest, LowRootsAreRaisedAndOtherInstrumentsRefused) {
    CChord chord = MakeChord(1, 40, THING_RHYTHM_GUITAR);
    ASSERT_TRUE(manager.MakeChordFingering(chord));
    EXPECT_EQ(chord.m_root.midiNote, 52);
    CChord piano = MakeChord(1, 60, THING_GUITAR);
    EXPECT_FALSE(manager.MakeChordFingering(piano));
    CCharString text;
    ASSERT_TRUE(manager.GetChordDescription(chord, text));
    EXPECT_EQ(text.Str().rfind("(52/1) E (Major) 1-3-5,  Notes:", 0), 0u) << text.GetText();
    EXPECT_NE(text.Str().find(",  Tabs: "), std::string::npos);
}

TEST_F(GuitarFingeringTest, BarreChordsHoldTheirShape) {
    const int shaped[] = {1, 2, 3, 4, 5, 7, 8, 12, 13, 14, 15, 16, 17, 18};
    for (int type : shaped) {
        const std::set<int> tones = Tones(manager, type);
        for (int root = 48; root < 60; ++root) {
            CChord chord = MakeChord(type, root, THING_RHYTHM_GUITAR);
            chord.m_root.volume = 0.8f;
            if (!manager.MakeBarreChord(chord)) {
                continue;
            }
            const int base = chord.m_root.GetChord().baseFret;
            EXPECT_GE(base, 3);
            EXPECT_LE(base, 9);
            ASSERT_EQ(chord.m_notes.GetCount(), 6);
            std::set<int> fingers;
            bool rootSeen = false;
            for (int i = 0; i < 6; ++i) {
                const CNote& note = *chord.m_notes.GetAt(i);
                EXPECT_EQ(note.guitarString, i + 1);
                EXPECT_EQ(kGuitar[i] + note.fret, note.midiNote);
                EXPECT_GE(note.fret, base);
                EXPECT_LE(note.fret, base + 3);
                if (note.mode & MODE_BARRE) {
                    EXPECT_EQ(note.finger, 1) << "type " << type;
                    EXPECT_EQ(note.fret, base) << "type " << type;
                } else if (note.finger != UNSET) {
                    EXPECT_TRUE(fingers.insert(note.finger).second) << "type " << type;
                }
                if (note.mode & MODE_ROOT_STRING) {
                    rootSeen = true;
                    EXPECT_EQ(note.midiNote % 12, root % 12) << "type " << type;
                }
                const int interval = ((note.midiNote - root) % 12 + 12) % 12;
                if (note.volume > 0.0f) {
                    EXPECT_EQ(tones.count(interval), 1u) << "type " << type << " string " << i + 1;
                    EXPECT_FLOAT_EQ(note.volume, 0.8f);
                }
            }
            EXPECT_TRUE(rootSeen);
        }
    }
    // Every shaped type finds a place for some root.
    for (int type : shaped) {
        int placed = 0;
        for (int root = 48; root < 60; ++root) {
            CChord chord = MakeChord(type, root, THING_RHYTHM_GUITAR);
            placed += manager.MakeBarreChord(chord) ? 1 : 0;
        }
        EXPECT_GT(placed, 0) << type;
    }
}

TEST_F(GuitarFingeringTest, TypesWithoutShapesAreRefused) {
    for (int type : {6, 9, 10, 11, 19, 0, 40}) {
        CChord chord = MakeChord(1, 50, THING_RHYTHM_GUITAR);
        chord.m_root.EditChord([&](CHORD_INFO& info) { info.chordType = type; });
        EXPECT_FALSE(manager.MakeBarreChord(chord)) << type;
    }
}

}  // namespace
