#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "midi/MidiDecoder.h"

namespace {

std::vector<MIDI_MESSAGE> Decode(const std::vector<uint8_t>& bytes, CMidiDecoder* kept = nullptr) {
    CMidiDecoder local;
    CMidiDecoder& decoder = kept != nullptr ? *kept : local;
    std::vector<MIDI_MESSAGE> messages;
    MIDI_MESSAGE message;
    for (uint8_t byte : bytes) {
        if (decoder.Feed(byte, message)) {
            messages.push_back(message);
        }
    }
    return messages;
}

void ExpectMessage(const MIDI_MESSAGE& message, int status, int data1, int data2) {
    EXPECT_EQ(message.status, status);
    EXPECT_EQ(message.data1, data1);
    EXPECT_EQ(message.data2, data2);
}

TEST(MidiDecoderTest, DecodesNoteOnAndNoteOff) {
    const auto messages = Decode({0x90, 60, 100, 0x80, 60, 64});
    ASSERT_EQ(messages.size(), 2u);
    ExpectMessage(messages[0], 0x90, 60, 100);
    ExpectMessage(messages[1], 0x80, 60, 64);
}

TEST(MidiDecoderTest, FollowsRunningStatus) {
    const auto messages = Decode({0x90, 60, 100, 64, 90, 67, 0, 0xB0, 7, 100, 10, 64});
    ASSERT_EQ(messages.size(), 5u);
    ExpectMessage(messages[1], 0x90, 64, 90);
    ExpectMessage(messages[2], 0x90, 67, 0);
    ExpectMessage(messages[4], 0xB0, 10, 64);
}

TEST(MidiDecoderTest, RunningStatusOfOneByteMessages) {
    const auto messages = Decode({0xC3, 5, 6, 0xD1, 40, 41});
    ASSERT_EQ(messages.size(), 4u);
    ExpectMessage(messages[1], 0xC3, 6, 0);
    ExpectMessage(messages[3], 0xD1, 41, 0);
}

TEST(MidiDecoderTest, RealTimeBytesInsideANoteMessageLeaveItWhole) {
    const auto messages = Decode({0xF8, 0x90, 0xF8, 60, 0xFE, 100, 0xFA, 62, 0xFC, 0xFF, 80, 0xF8});
    ASSERT_EQ(messages.size(), 2u);
    ExpectMessage(messages[0], 0x90, 60, 100);
    ExpectMessage(messages[1], 0x90, 62, 80);
}

TEST(MidiDecoderTest, AMessageCutShortByANewStatusIsDropped) {
    const auto messages = Decode({0x90, 60, 0x80, 61, 0, 0x90});
    ASSERT_EQ(messages.size(), 1u);
    ExpectMessage(messages[0], 0x80, 61, 0);
}

TEST(MidiDecoderTest, AMessageSplitAcrossChunksIsJoined) {
    CMidiDecoder decoder;
    EXPECT_TRUE(Decode({0x90, 60}, &decoder).empty());
    const auto messages = Decode({100, 61}, &decoder);
    ASSERT_EQ(messages.size(), 1u);
    ExpectMessage(messages[0], 0x90, 60, 100);
    ASSERT_EQ(Decode({0}, &decoder).size(), 1u);
}

TEST(MidiDecoderTest, SystemExclusiveDataIsSkipped) {
    const auto messages = Decode({0xF0, 0x7E, 0x7F, 0xF8, 0x09, 0x01, 0xF7, 0x90, 60, 100});
    ASSERT_EQ(messages.size(), 1u);
    ExpectMessage(messages[0], 0x90, 60, 100);
}

TEST(MidiDecoderTest, AnUnendedSystemExclusiveEndsAtTheNextStatus) {
    const auto messages = Decode({0xF0, 1, 2, 3, 0x91, 60, 100});
    ASSERT_EQ(messages.size(), 1u);
    ExpectMessage(messages[0], 0x91, 60, 100);
}

TEST(MidiDecoderTest, SystemCommonMessagesCancelRunningStatus) {
    CMidiDecoder decoder;
    // Song position, song select, tune request, time code: their data bytes
    // must not be read as notes of the running status.
    const auto messages =
        Decode({0x90, 60, 100, 0xF2, 10, 20, 0xF3, 5, 0xF6, 30, 40, 0xF1, 7}, &decoder);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(decoder.GetStrayCount(), 6u);
}

TEST(MidiDecoderTest, DataBytesBeforeAnyStatusAreIgnored) {
    CMidiDecoder decoder;
    const auto messages = Decode({60, 100, 0xF7, 1, 0x90, 60, 100}, &decoder);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(decoder.GetStrayCount(), 3u);
}

TEST(MidiDecoderTest, ResetForgetsTheRunningStatus) {
    CMidiDecoder decoder;
    Decode({0x90, 60, 100, 61}, &decoder);
    decoder.Reset();
    EXPECT_TRUE(Decode({62, 100}, &decoder).empty());
}

TEST(MidiDecoderTest, DecodesAllSixteenChannels) {
    std::vector<uint8_t> bytes;
    for (int channel = 0; channel < 16; ++channel) {
        bytes.insert(bytes.end(),
                     {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(40 + channel), 1});
        bytes.insert(bytes.end(),
                     {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(40 + channel), 0});
    }
    const auto messages = Decode(bytes);
    ASSERT_EQ(messages.size(), 32u);
    for (int channel = 0; channel < 16; ++channel) {
        EXPECT_EQ(messages[2 * channel].GetChannel(), channel);
        EXPECT_EQ(messages[2 * channel].GetKind(), 0x90);
        EXPECT_EQ(messages[2 * channel + 1].GetKind(), 0x80);
        EXPECT_EQ(messages[2 * channel + 1].data1, 40 + channel);
    }
}

TEST(MidiDecoderTest, RandomBytesOnlyEverGiveWellFormedChannelMessages) {
    std::mt19937 random(20261208);
    std::vector<uint8_t> bytes(200000);
    for (uint8_t& byte : bytes) {
        byte = static_cast<uint8_t>(random());
    }
    for (const MIDI_MESSAGE& message : Decode(bytes)) {
        ASSERT_GE(message.status, 0x80);
        ASSERT_LE(message.status, 0xEF);
        ASSERT_LT(message.data1, 0x80);
        ASSERT_LT(message.data2, 0x80);
    }
}

}  // namespace
