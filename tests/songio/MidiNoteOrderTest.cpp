#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "midi/SmfBytes.h"
#include "midi/SmfReader.h"
#include "songio/MidiFile.h"
#include "songs/Song.h"

// The notes read from hand-made file bytes, in the order and with the fields
// reading gives them: notes of one pitch that overlap, notes that start at
// one tick and end in another order, notes that never end, running status,
// note-on velocity 0 as a note end, guitar and chord controllers, a marker
// at the tick of a note start and drum hits that lack their ends.
namespace {

constexpr int kDivision = 100;
constexpr double kSecondsPerTick = 0.005;  // 120 beats per minute
constexpr double kTimeTolerance = 1e-9;

// A variable-length delta below 128 ticks is one byte.
void Add(std::vector<uint8_t>& events, uint8_t delta, std::initializer_list<uint8_t> bytes) {
    events.push_back(delta);
    events.insert(events.end(), bytes.begin(), bytes.end());
}

void AddMarker(std::vector<uint8_t>& events, uint8_t delta, const std::string& text) {
    Add(events, delta, {0xFF, 0x06, static_cast<uint8_t>(text.size())});
    events.insert(events.end(), text.begin(), text.end());
}

void AddEnd(std::vector<uint8_t>& events, uint8_t delta) {
    Add(events, delta, {0xFF, 0x2F, 0x00});
}

std::vector<uint8_t> Conductor() {
    std::vector<uint8_t> events;
    Add(events, 0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 500,000 us a quarter
    AddEnd(events, 0);
    return events;
}

// Channel 0, ticks in the comments.
std::vector<uint8_t> Melody() {
    std::vector<uint8_t> events;
    Add(events, 0, {0xB0, 16, 3});    // 0: string 3
    Add(events, 0, {17, 5});          // 0: fret 5, running status
    Add(events, 0, {0x90, 60, 100});  // 0: 60 starts
    Add(events, 0, {62, 80});         // 0: 62 starts, running status
    Add(events, 0, {64, 70});         // 0: 64 starts
    Add(events, 10, {62, 0});         // 10: 62 ends by velocity 0
    Add(events, 0, {0x80, 64, 0});    // 10: 64 ends by note-off
    Add(events, 10, {0x90, 60, 0});   // 20: 60 ends
    AddMarker(events, 10, "<NoteInfo>Interval=2|String=1|Finger=2|Mode=5|");
    Add(events, 0, {0x90, 69, 100});                                // 30: 69 starts
    Add(events, 10, {69, 90});                                      // 40: 69 ends and starts again
    Add(events, 10, {69, 0});                                       // 50: the second 69 ends
    Add(events, 5, {69, 0});                                        // 55: an end without a start
    Add(events, 5, {0x90, 67, 60});                                 // 60: 67 starts
    AddMarker(events, 0, "<Measure>PartMeasure=1|SongMeasure=2|");  // 60
    Add(events, 10, {0x80, 67, 64});  // 70: 67 ends, note-off with a velocity
    Add(events, 0, {0xB0, 80, 3});    // 70: chord type 3
    Add(events, 0, {81, 48});         // 70: chord root 48
    Add(events, 0, {0x90, 72, 50});   // 70: 72 starts, never ends
    Add(events, 0, {74, 40});         // 70: 74 starts
    Add(events, 0, {76, 30});         // 70: 76 starts
    Add(events, 10, {76, 0});         // 80: 76 ends, the chord is spent
    Add(events, 0, {77, 20});         // 80: 77 starts without a chord
    Add(events, 10, {74, 0});         // 90: 74 ends
    Add(events, 0, {77, 0});          // 90: 77 ends
    AddEnd(events, 10);               // 100
    return events;
}

// Channel 9: hits of which some never end.
std::vector<uint8_t> Drums() {
    std::vector<uint8_t> events;
    Add(events, 0, {0x99, 36, 100});  // 0: bass drum
    Add(events, 0, {38, 90});         // 0: snare, running status
    Add(events, 5, {0x89, 38, 0});    // 5: the snare ends
    Add(events, 5, {0x99, 42, 80});   // 10: closed hi-hat, never ends
    Add(events, 0, {36, 70});         // 10: the bass drum again, ending the first
    Add(events, 0, {46, 60});         // 10: open hi-hat
    Add(events, 5, {46, 0});          // 15: the open hi-hat ends
    AddEnd(events, 15);               // 30
    return events;
}

struct EXPECTED {
    int tick;
    int ticks;  // duration
    int midiNote;
    int velocity;
    int thing;
    int guitarString;
    int fret;
    int finger;
    int mode;
    int interval;
    int chordType;
    int chordRoot;
    int eventKind;
};

void ExpectNotes(const CTrack& track, const std::vector<EXPECTED>& expected) {
    const CNoteList& notes = track.m_notes;
    ASSERT_EQ(static_cast<int>(expected.size()), notes.GetCount());
    for (int i = 0; i < notes.GetCount(); ++i) {
        const CNote& note = *notes.GetAt(i);
        const EXPECTED& want = expected[i];
        SCOPED_TRACE("note " + std::to_string(i));
        EXPECT_NEAR(want.tick * kSecondsPerTick, note.time, kTimeTolerance);
        EXPECT_NEAR(want.ticks * kSecondsPerTick, note.duration, kTimeTolerance);
        EXPECT_EQ(want.midiNote, note.midiNote);
        EXPECT_FLOAT_EQ(CMidiFile::VelocityToVolume(want.velocity), note.volume);
        EXPECT_EQ(want.thing, note.thing);
        EXPECT_EQ(want.guitarString, note.guitarString);
        EXPECT_EQ(want.fret, note.fret);
        EXPECT_EQ(want.finger, note.finger);
        EXPECT_EQ(want.mode, note.mode);
        EXPECT_EQ(want.interval, note.interval);
        EXPECT_EQ(want.chordType, note.GetChord().chordType);
        EXPECT_EQ(want.chordRoot, note.GetChord().root);
        EXPECT_EQ(SOURCE_MIDI_FILE, note.source);
        EXPECT_EQ(want.eventKind, note.eventKind);
    }
}

}  // namespace

TEST(MidiNoteOrder, TrickyNotesReadInTheirPinnedOrderWithTheirFields) {
    std::vector<uint8_t> bytes = SmfBytes::Header(1, 3, kDivision);
    SmfBytes::AppendTrack(bytes, Conductor());
    SmfBytes::AppendTrack(bytes, Melody());
    SmfBytes::AppendTrack(bytes, Drums());
    CSmfReader reader;
    SMF_FILE file;
    ASSERT_TRUE(reader.Read(bytes, file, "tricky")) << reader.GetError();
    CSong song;
    CMidiFile midi;
    ASSERT_TRUE(midi.ReadSmf(file, song)) << midi.GetError();
    ASSERT_EQ(2, song.GetTrackCount());

    constexpr int kNo = UNSET;
    constexpr int kNone = NOTE_NONE;
    // Notes that start at one tick keep the order they end in; the marker
    // at tick 60 comes before the note that starts there and ends later;
    // 72 never ends and is left out.
    ExpectNotes(*song.GetTrack(0),
                {{0, 10, 62, 80, 0, 3, 5, kNo, 0, 0, 0, kNone, EVENT_NONE},
                 {0, 10, 64, 70, 0, 3, 5, kNo, 0, 0, 0, kNone, EVENT_NONE},
                 {0, 20, 60, 100, 0, 3, 5, kNo, 0, 0, 0, kNone, EVENT_NONE},
                 {30, 10, 69, 100, 0, 1, kNo, 2, 5, 2, 0, kNone, EVENT_NONE},
                 {40, 10, 69, 90, 0, 1, kNo, 2, 5, 2, 0, kNone, EVENT_NONE},
                 {60, 0, kNone, 0, 0, kNo, kNo, kNo, 0, 0, 0, kNone, EVENT_MEASURE_MARKER},
                 {60, 10, 67, 60, 0, 1, kNo, 2, 5, 2, 0, kNone, EVENT_NONE},
                 {70, 10, 76, 30, 0, 1, kNo, 2, 5, 2, 3, 48, EVENT_NONE},
                 {70, 20, 74, 40, 0, 1, kNo, 2, 5, 2, 3, 48, EVENT_NONE},
                 {80, 10, 77, 20, 0, 1, kNo, 2, 5, 2, 0, kNone, EVENT_NONE}});
    const CNote& marker = *song.GetTrack(0)->m_notes.GetAt(5);
    EXPECT_EQ(1, marker.partMeasure);
    EXPECT_EQ(2, marker.songMeasure);
    // Hits without an end last until the track's last event, and those
    // ended there come in the order of their MIDI notes.
    ExpectNotes(*song.GetTrack(1),
                {{0, 5, 38, 90, THING_SNARE_DRUM, kNo, kNo, kNo, 0, 0, 0, kNone, EVENT_NONE},
                 {0, 10, 36, 100, THING_BASS_DRUM_1, kNo, kNo, kNo, 0, 0, 0, kNone, EVENT_NONE},
                 {10, 5, 46, 60, THING_HI_HAT_OPEN, kNo, kNo, kNo, 0, 0, 0, kNone, EVENT_NONE},
                 {10, 20, 36, 70, THING_BASS_DRUM_1, kNo, kNo, kNo, 0, 0, 0, kNone, EVENT_NONE},
                 {10, 20, 42, 80, THING_HI_HAT_CLOSED, kNo, kNo, kNo, 0, 0, 0, kNone, EVENT_NONE}});
}
