#include <gtest/gtest.h>

#include "theory/NoteList.h"

namespace {

CNote At(double time, int midi) {
    CNote note;
    note.time = time;
    note.midiNote = static_cast<uint8_t>(midi);
    return note;
}

TEST(NoteListTest, InsertKeepsTimeOrderAndEqualKeysInArrivalOrder) {
    CNoteList list(2);
    for (double t : {3.0, 1.0, 2.0, 1.0, 5.0}) {
        ASSERT_TRUE(list.InsertInOrder(At(t, static_cast<int>(t * 10) + list.GetCount())));
    }
    ASSERT_EQ(list.GetCount(), 5);
    const double times[] = {1.0, 1.0, 2.0, 3.0, 5.0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_DOUBLE_EQ(list.GetAt(i)->time, times[i]);
    }
    EXPECT_EQ(list.GetAt(0)->midiNote, 11);  // the first 1.0 stays first
    EXPECT_EQ(list.GetAt(1)->midiNote, 13);
}

TEST(NoteListTest, PitchOrderedListsSortByMidiNote) {
    CNoteList list(4, true);
    for (int n : {67, 60, 64, 60}) {
        list.InsertInOrder(At(0.0, n));
    }
    EXPECT_EQ(list.GetAt(0)->midiNote, 60);
    EXPECT_EQ(list.GetAt(3)->midiNote, 67);
}

TEST(NoteListTest, FingerQueriesSkipUnsetValues) {
    CNoteList list(4);
    EXPECT_EQ(list.GetLowestFret(), UNSET);
    CNote a = At(0.0, 45);
    a.guitarString = 5;
    a.fret = 5;
    CNote b = At(0.0, 50);
    b.guitarString = 4;
    b.fret = 7;
    list.Add(a);
    list.Add(b);
    list.Add(At(0.0, 60));
    EXPECT_EQ(list.GetLowestFret(), 5);
    EXPECT_EQ(list.GetHighestFret(), 7);
    list.SetFingersFromFrets(4, 5, 5, 8);
    EXPECT_EQ(list.GetAt(1)->finger, 3);
}

}  // namespace
