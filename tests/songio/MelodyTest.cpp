#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/SmfFile.h"
#include "songio/Melody.h"

namespace {

constexpr int kQuarter = 480;

SMF_EVENT Name(const std::string& name) {
    return MakeSmfMeta(0, Smf::kMetaTrackName, std::vector<uint8_t>(name.begin(), name.end()));
}

// A track of notes one quarter apart on channel, after a name.
SMF_TRACK Notes(const std::string& name, int channel, const std::vector<int>& notes) {
    SMF_TRACK track;
    if (!name.empty()) {
        track.events.push_back(Name(name));
    }
    uint32_t tick = 0;
    for (int note : notes) {
        track.events.push_back(MakeSmfNote(tick, channel, static_cast<uint8_t>(note), 80));
        track.events.push_back(
            MakeSmfNote(tick + kQuarter - 10, channel, static_cast<uint8_t>(note), 0));
        tick += kQuarter;
    }
    return track;
}

}  // namespace

TEST(Melody, TakesTheLeadTrackOverTheFirstAndSkipsTheDrums) {
    SMF_FILE file;
    file.division = kQuarter;
    file.tracks = {Notes("", 0, {}), Notes("Drums", Smf::kDrumChannel, {36, 38, 36}),
                   Notes("Bass guitar", 1, {36, 43}), Notes("Lead guitar", 2, {64, 65, 67})};
    file.tracks[0].events.insert(file.tracks[0].events.begin(), Name("My Song"));
    CMelody melody;
    ASSERT_TRUE(melody.Take(file)) << melody.GetError();
    EXPECT_EQ(melody.GetNotes(), (std::vector<int>{64, 65, 67}));
    EXPECT_EQ(melody.GetName(), "My Song");
    // Without a lead, the first track with notes off the drum channel.
    file.tracks.pop_back();
    ASSERT_TRUE(melody.Take(file));
    EXPECT_EQ(melody.GetNotes(), (std::vector<int>{36, 43}));
}

TEST(Melody, AChordGivesItsTopNoteAndOneTrackSplitsByChannel) {
    SMF_FILE file;
    file.format = 0;
    file.division = kQuarter;
    SMF_TRACK track;
    // Channel 3 plays a chord (notes a few ticks apart, as players do) and
    // a note; channel 0 plays later but comes first in the track.
    track.events.push_back(MakeSmfNote(0, 0, 50, 70));
    track.events.push_back(MakeSmfNote(0, 3, 60, 70));
    track.events.push_back(MakeSmfNote(3, 3, 67, 70));
    track.events.push_back(MakeSmfNote(5, 3, 64, 70));
    track.events.push_back(MakeSmfNote(kQuarter, 3, 62, 70));
    track.events.push_back(MakeSmfNote(kQuarter, 0, 52, 70));
    file.tracks = {track};
    CMelody melody;
    ASSERT_TRUE(melody.Take(file));
    EXPECT_EQ(melody.GetNotes(), (std::vector<int>{50, 52})) << "the first channel with notes";
    file.tracks[0].events.erase(file.tracks[0].events.begin());
    file.tracks[0].events.pop_back();
    ASSERT_TRUE(melody.Take(file));
    EXPECT_EQ(melody.GetNotes(), (std::vector<int>{67, 62}));
}

TEST(Melody, AFileWithDrumsOnlyHasNoMelody) {
    SMF_FILE file;
    file.tracks = {Notes("Drums", Smf::kDrumChannel, {36, 38})};
    CMelody melody;
    EXPECT_FALSE(melody.Take(file));
    EXPECT_STREQ(melody.GetError(), "it has no notes outside the drums");
    file.tracks.clear();
    EXPECT_FALSE(melody.Take(file));
    EXPECT_STREQ(melody.GetError(), "it has no notes") << "nothing is said of drums it lacks";
    file.tracks = {Notes("Empty", 0, {})};
    EXPECT_FALSE(melody.Take(file));
    EXPECT_STREQ(melody.GetError(), "it has no notes");
}

// The key signature event: the first in time wins; one cut short or with
// more than seven sharps or flats is no key.
TEST(Melody, TakesTheFirstWholeKeySignatureAndIgnoresBrokenOnes) {
    SMF_FILE file;
    file.division = kQuarter;
    file.tracks = {Notes("", 0, {}), Notes("Melody", 0, {62, 65, 69})};
    CMelody melody;
    ASSERT_TRUE(melody.Take(file));
    EXPECT_FALSE(melody.HasKey());
    std::vector<SMF_EVENT>& events = file.tracks[0].events;
    events.push_back(MakeSmfMeta(0, Smf::kMetaKeySignature, {2}));        // cut short
    events.push_back(MakeSmfMeta(0, Smf::kMetaKeySignature, {9, 0}));     // no such key
    events.push_back(MakeSmfMeta(0, Smf::kMetaKeySignature, {0x80, 1}));  // -128 flats
    ASSERT_TRUE(melody.Take(file));
    EXPECT_FALSE(melody.HasKey());
    events.push_back(MakeSmfMeta(kQuarter, Smf::kMetaKeySignature, {3, 0}));
    events.push_back(MakeSmfMeta(0, Smf::kMetaKeySignature, {0xFF, 1}));  // one flat, minor
    ASSERT_TRUE(melody.Take(file));
    ASSERT_TRUE(melody.HasKey());
    EXPECT_EQ(melody.GetKeyAccidentals(), -1);
    EXPECT_TRUE(melody.IsKeyMinor());
}
