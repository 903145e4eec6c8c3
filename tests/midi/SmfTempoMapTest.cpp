#include <gtest/gtest.h>

#include "midi/SmfTempoMap.h"

namespace {

SMF_FILE WithConductor(std::vector<SMF_EVENT> events, int division = 480) {
    SMF_FILE file;
    file.division = division;
    file.tracks.resize(2);
    file.tracks[0].events = std::move(events);
    file.tracks[1].events.push_back(MakeSmfNote(0, 0, 60, 100));
    return file;
}

TEST(SmfTempoMapTest, WithoutTempoEventsAQuarterTakesHalfASecond) {
    const CSmfTempoMap map(WithConductor({}));
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(0), 0.0);
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(480), 0.5);
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(4800), 5.0);
}

TEST(SmfTempoMapTest, SeveralTempoChangesGiveTheRightSeconds) {
    // 60 bpm for two quarters, 120 bpm for four, then 240 bpm.
    const CSmfTempoMap map(WithConductor(
        {MakeSmfTempo(0, 1000000), MakeSmfTempo(960, 500000), MakeSmfTempo(2880, 250000)}));
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(480), 1.0);
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(960), 2.0);
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(1920), 3.0);
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(2880), 4.0);
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(3840), 4.5);
}

TEST(SmfTempoMapTest, BeforeTheFirstTempoEventTheDefaultTempoHolds) {
    const CSmfTempoMap map(WithConductor({MakeSmfTempo(960, 1000000)}, 96 * 5));
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(960), 1.0);
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(1440), 2.0);
}

TEST(SmfTempoMapTest, TempoEventsOfEveryTrackCount) {
    SMF_FILE file = WithConductor({MakeSmfTempo(0, 1000000)});
    file.tracks[1].events.push_back(MakeSmfTempo(480, 2000000));
    const CSmfTempoMap map(file);
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(960), 3.0);
}

TEST(SmfTempoMapTest, OfTwoTempoEventsAtOneTickTheLaterHolds) {
    const CSmfTempoMap map(WithConductor({MakeSmfTempo(0, 1000000), MakeSmfTempo(0, 2000000)}));
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(480), 2.0);
}

TEST(SmfTempoMapTest, ShortOrZeroTempoEventsAreIgnored) {
    SMF_EVENT shortTempo = MakeSmfTempo(0, 1000000);
    shortTempo.data.resize(2);
    const CSmfTempoMap map(WithConductor({shortTempo, MakeSmfTempo(0, 0)}));
    EXPECT_DOUBLE_EQ(map.TicksToSeconds(480), 0.5);
}

}  // namespace
