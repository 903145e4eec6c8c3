#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "theory/Note.h"
#include "theory/NoteManager.h"
#include "theory/PitchTable.h"

TEST(CompactNote, TakesAtMost96BytesAndHasNoVirtualFunctions) {
    EXPECT_LE(sizeof(CNote), 96u);
    EXPECT_FALSE(std::is_polymorphic_v<CNote>);
}

TEST(CompactNote, SideValuesAreCopiedDeeplyAndAssignedIndependently) {
    CNote original;
    original.SetText("Verse");
    original.SetMarkerText("Part marker");
    FINGERING_SLOT slot;
    slot.value1 = 3;
    slot.value2 = 5;
    slot.flags = MODE_BARRE;
    original.SetFingering(2, slot);

    CNote copy(original);
    copy.SetText("Chorus");
    copy.SetFingering(2, FINGERING_SLOT());
    EXPECT_STREQ(original.GetText(), "Verse");
    EXPECT_STREQ(copy.GetText(), "Chorus");
    EXPECT_STREQ(copy.GetMarkerText(), "Part marker");
    EXPECT_EQ(original.GetFingering(2).value2, 5);
    EXPECT_EQ(copy.GetFingering(2).value1, UNSET);

    CNote assigned;
    assigned.SetText("dropped");
    assigned = original;
    original.SetMarkerText("changed");
    EXPECT_STREQ(assigned.GetText(), "Verse");
    EXPECT_STREQ(assigned.GetMarkerText(), "Part marker");
    assigned = *&assigned;
    EXPECT_STREQ(assigned.GetText(), "Verse");

    CNote plain;
    assigned = plain;  // a note without side values empties them
    EXPECT_STREQ(assigned.GetText(), "");
    EXPECT_STREQ(assigned.GetMarkerText(), "");

    CNote moved(std::move(original));
    EXPECT_STREQ(moved.GetMarkerText(), "changed");
    EXPECT_EQ(moved.GetFingering(2).flags, MODE_BARRE);
    EXPECT_EQ(moved.GetFingering(FINGERING_SLOTS).value1, UNSET);  // out of range
}

TEST(CompactNote, ResetClearsTheMarkerTextAndChordButKeepsTheText) {
    CNote note;
    note.SetText("kept");
    note.SetMarkerText("cleared");
    CHORD_INFO chord;
    chord.chordType = 3;
    chord.root = 60;
    chord.name = "C minor";
    note.SetChord(chord);
    ASSERT_EQ(note.GetChord().chordType, 3);
    note.Reset();
    EXPECT_STREQ(note.GetText(), "kept");
    EXPECT_STREQ(note.GetMarkerText(), "");
    EXPECT_EQ(note.GetChord().chordType, 0);
    EXPECT_EQ(note.GetChord().root, NOTE_NONE);
}

TEST(CompactNote, EqualChordsShareOneEntryAndEditsLeaveOtherNotesAlone) {
    CHORD_INFO chord;
    chord.chordType = 7;
    chord.root = 62;
    chord.position = 4;
    chord.name = "D 7";
    CNote first;
    CNote second;
    first.SetChord(chord);
    second.SetChord(chord);
    EXPECT_EQ(&first.GetChord(), &second.GetChord());
    second.EditChord([](CHORD_INFO& info) { info.position = 5; });
    EXPECT_EQ(first.GetChord().position, 4);
    EXPECT_EQ(second.GetChord().position, 5);
    EXPECT_STREQ(second.GetChord().name, "D 7");
}

TEST(CompactNote, TableValuesMatchTheNoteTableAndFollowOnlyTheirOwnWriters) {
    CNoteManager manager;
    ASSERT_TRUE(manager.Init());
    CNote note;
    EXPECT_EQ(note.GetOctave(), UNSET);
    EXPECT_STREQ(note.GetName(), "");
    EXPECT_EQ(note.GetBandLow(), 0.0);
    note.midiNote = 61;
    EXPECT_STREQ(note.GetName(), "") << "a MIDI note alone names nothing";
    ASSERT_TRUE(manager.FillNote(note));
    const CNote& entry = *manager.GetNoteTable().GetAt(61);
    EXPECT_STREQ(note.GetName(), "C#");
    EXPECT_STREQ(note.GetFlatName(), "Db");
    EXPECT_EQ(note.GetOctave(), 4);
    EXPECT_EQ(note.frequency, entry.frequency);
    EXPECT_EQ(note.GetBandLow(), entry.GetBandLow());
    EXPECT_EQ(note.GetBandHigh(), entry.GetBandHigh());
    EXPECT_EQ(note.GetStaffPosition(), 0.0f) << "filling copies no staff place";
    EXPECT_EQ(entry.GetStaff(), 1);
    EXPECT_EQ(entry.GetStaffPosition(), CPitchTable::Get(61)->staffPosition);

    note.midiNote = NOTE_CHORD;
    ASSERT_TRUE(manager.FillNames(note));
    EXPECT_STREQ(note.GetName(), "Chord");
    EXPECT_STREQ(note.GetFlatName(), "Chord");
    EXPECT_EQ(note.GetOctave(), 4) << "names alone leave the octave";

    CNote missed = entry;
    EXPECT_FALSE(manager.GetNoteFromFrequency(-1.0, missed));
    EXPECT_EQ(missed.GetOctave(), UNSET);
    EXPECT_STREQ(missed.GetName(), "");
    EXPECT_EQ(missed.GetBandLow(), entry.GetBandLow()) << "the band stays";
}
