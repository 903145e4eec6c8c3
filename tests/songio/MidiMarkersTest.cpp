#include <gtest/gtest.h>

#include <string>

#include "CommaLocale.h"
#include "songio/MidiMarkers.h"
#include "songs/Mix.h"
#include "songs/SongPart.h"
#include "theory/Note.h"

namespace {

void MakePart(CSongPart& part) {
    part.m_name = "Verse";
    part.m_repeat = 2;
    part.m_grooveLength = 2.125;
    SONG_INFO& info = part.m_arrangement.m_info;
    info.tempo = 127.5;
    info.secondsPerBeat = 60.0 / 127.5;
    info.length = 7.25;
}

int Thing(const char* name) {
    int thing = THING_NONE;
    EXPECT_TRUE(FindThing(name, thing)) << name;
    return thing;
}

}  // namespace

TEST(MidiMarkers, PartInfoWrittenUnderADecimalCommaLocaleReadsTheSameUnderC) {
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    CSongPart part;
    MakePart(part);
    CCharString text;
    CCharString error;
    const bool made = CMidiMarkers::MakePartInfo(part, text, error);
    comma.Restore();
    ASSERT_TRUE(made) << error.GetText();
    const std::string marker = text.GetText();
    EXPECT_NE(marker.find("Tempo=127.50|"), std::string::npos) << marker;
    EXPECT_NE(marker.find("GrooveLength=2.125|"), std::string::npos) << marker;
    CSongPart read;
    ASSERT_TRUE(CMidiMarkers::ReadPartInfo(marker.c_str(), read, error)) << error.GetText();
    EXPECT_DOUBLE_EQ(read.m_arrangement.m_info.tempo, 127.5);
    EXPECT_DOUBLE_EQ(read.m_grooveLength, 2.125);
    EXPECT_DOUBLE_EQ(read.m_arrangement.m_info.length, 7.25);
    EXPECT_EQ(read.m_repeat, 2);
}

TEST(MidiMarkers, AMixWrittenUnderCReadsTheSameUnderADecimalCommaLocale) {
    CMix mix;
    ASSERT_TRUE(mix.Set(Thing("Lead guitar"), 0.3f, -0.25f));
    CCharString text;
    CCharString error;
    ASSERT_TRUE(CMidiMarkers::MakeMix(mix, text, error)) << error.GetText();
    CCommaLocale comma;
    ASSERT_TRUE(comma.IsActive()) << comma.Why();
    CMix read;
    const bool ok = CMidiMarkers::ReadMix(text.GetText(), read, error);
    comma.Restore();
    ASSERT_TRUE(ok) << error.GetText();
    float volume = 0.0f;
    float pan = 0.0f;
    read.Get(Thing("Lead guitar"), volume, pan);
    EXPECT_FLOAT_EQ(volume, 0.3f);
    EXPECT_FLOAT_EQ(pan, -0.25f);
}

// An older build wrote the markers in the process locale: "Tempo=127,50"
// would have read as 127, and a volume of "0,30" as silence.
TEST(MidiMarkers, ANumberWithADecimalCommaIsRefusedNotMisread) {
    CSongPart part;
    CCharString error;
    EXPECT_FALSE(CMidiMarkers::ReadPartInfo("<SongPartInfo>Name=Verse|Tempo=127,50|", part, error));
    EXPECT_EQ(std::string(error.GetText()),
              "Can't read Tempo='127,50' of a marker: it is written with a decimal comma, not a "
              "point");
    CMix mix;
    EXPECT_FALSE(CMidiMarkers::ReadMix("<Mix>Instrument=Lead guitar|Volume=0,30|", mix, error));
    EXPECT_NE(std::string(error.GetText()).find("decimal comma"), std::string::npos);
    EXPECT_FALSE(CMidiMarkers::ReadPartInfo("<SongPartInfo>Repeat=2x|", part, error));
    EXPECT_EQ(std::string(error.GetText()),
              "Can't read Repeat='2x' of a marker: it is not a number");
}
