#include <gtest/gtest.h>

#include <memory>

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
