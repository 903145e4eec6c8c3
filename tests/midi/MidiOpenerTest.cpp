#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "midi/MidiOpener.h"
#include "midi/MidiPort.h"
#include "platform/null/NullMidiIn.h"

namespace {

constexpr double kAnswerSeconds = 10.0;

// Opens device on an input with two ports and returns what the opener found.
MIDI_OPENING OpenDevice(int device) {
    CMidiOpener opener;
    opener.Start(
        [] {
            auto input = std::make_unique<CNullMidiIn>();
            input->AddPort("Keys A");
            input->AddPort("Keys B");
            return input;
        },
        device);
    MIDI_OPENING opening;
    EXPECT_TRUE(opener.WaitFor(kAnswerSeconds));
    EXPECT_TRUE(opener.Take(opening));
    return opening;
}

}  // namespace

TEST(MidiOpener, AMissingPortIsNamedOnceWithItsReason) {
    MIDI_OPENING opening = OpenDevice(5);
    EXPECT_FALSE(opening.opened);
    EXPECT_EQ(opening.error, "Can't open MIDI input port 5: no such port");
    ASSERT_NE(opening.port, nullptr);
    EXPECT_FALSE(opening.port->IsOpen());
}

TEST(MidiOpener, APresentPortOpensWithoutAText) {
    MIDI_OPENING opening = OpenDevice(1);
    EXPECT_TRUE(opening.opened);
    EXPECT_TRUE(opening.error.IsEmpty()) << opening.error;
    ASSERT_NE(opening.port, nullptr);
    EXPECT_EQ(opening.port->GetDevice(), 1);
}

namespace {

MIDI_OPENING OpenNone(std::vector<std::string> ports, bool openSoleKeyboard) {
    CMidiOpener opener;
    opener.Start(
        [ports] {
            auto input = std::make_unique<CNullMidiIn>();
            for (const std::string& name : ports) {
                input->AddPort(name);
            }
            return input;
        },
        CMidiOpener::kNoDevice, openSoleKeyboard);
    MIDI_OPENING opening;
    EXPECT_TRUE(opener.WaitFor(kAnswerSeconds));
    EXPECT_TRUE(opener.Take(opening));
    return opening;
}

}  // namespace

TEST(MidiOpener, NoChosenPortOpensTheOnlyKeyboardBesideSoftwarePortsWhenAsked) {
    const MIDI_OPENING opening =
        OpenNone({"Midi Through:Midi Through Port-0 14:0", "USB Keys:USB Keys MIDI 1 20:0",
                  "RtMidi Output Client:RtMidi Output 130:0"},
                 true);
    EXPECT_TRUE(opening.opened);
    EXPECT_TRUE(opening.soleKeyboard);
    EXPECT_EQ(opening.deviceName, "USB Keys:USB Keys MIDI 1 20:0");
    EXPECT_EQ(opening.port->GetDevice(), 1);
}

TEST(MidiOpener, NoChosenPortOpensNothingWithTwoKeyboardsOrWhenNotAsked) {
    const MIDI_OPENING two = OpenNone({"Keys A", "Keys B"}, true);
    EXPECT_FALSE(two.opened);
    EXPECT_FALSE(two.soleKeyboard);
    EXPECT_TRUE(two.error.IsEmpty());
    const MIDI_OPENING chosenNone = OpenNone({"Keys A"}, false);
    EXPECT_FALSE(chosenNone.opened);
    const MIDI_OPENING onlyThrough = OpenNone({"Midi Through:Midi Through Port-0 14:0"}, true);
    EXPECT_FALSE(onlyThrough.opened);
}
