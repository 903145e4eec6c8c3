#include <gtest/gtest.h>

#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "midi/MidiPort.h"
#include "platform/null/NullClock.h"
#include "platform/null/NullEventLoop.h"
#include "platform/null/NullMidiIn.h"

namespace {

// Collects what the port posts to a window.
class CCollector : public IWindowHandler {
public:
    void OnMessage(int message, std::unique_ptr<IPayload> payload) override {
        if (message == kNoteMessage) {
            std::unique_ptr<NOTE_EVENT> note = TakePayload<NOTE_EVENT>(payload);
            ASSERT_NE(note, nullptr);
            notes.push_back(*note);
        } else if (message == kMidiDeviceLostMessage) {
            std::unique_ptr<CCharString> text = TakePayload<CCharString>(payload);
            ASSERT_NE(text, nullptr);
            lost.push_back(text->GetText());
        }
    }
    void OnTimer(int) override {}
    void OnCommand(int) override {}
    void OnCloseRequest() override {}

    std::vector<NOTE_EVENT> notes;
    std::vector<std::string> lost;
};

class MidiPortTest : public testing::Test {
protected:
    void SetUp() override {
        input.AddPort("Keys A");
        input.AddPort("Keys B");
        window = loop.AddWindow(&collector);
        port.PostTo(loop, window);
    }

    // Hands bytes to the open port and dispatches what it posted.
    void Play(const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(input.Inject(bytes));
        Settle();
    }
    void Settle() {
        ASSERT_TRUE(input.WaitUntilDelivered(5000));
        loop.ProcessMessages();
    }

    CNullMidiIn input;
    CNullEventLoop loop;
    CCollector collector;
    WindowId window = kNoWindow;
    CMidiPort port{input};
};

TEST_F(MidiPortTest, ListsTheDevicesInNumberOrder) {
    std::vector<CCharString> names;
    ASSERT_TRUE(port.GetDeviceNames(names));
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "Keys A");
    EXPECT_EQ(names[1], "Keys B");
}

TEST_F(MidiPortTest, OpeningNoDeviceFailsWithoutATextAndStaysClosed) {
    ASSERT_FALSE(port.Open(9));  // leaves a text behind
    ASSERT_TRUE(port.Open(0));
    EXPECT_FALSE(port.Open(CMidiPort::kNoDevice));
    EXPECT_STREQ(port.GetError(), "");
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(input.IsOpen());
}

TEST_F(MidiPortTest, OpeningAMissingDeviceFails) {
    // The input's text names the port and the reason; the port adds nothing.
    EXPECT_FALSE(port.Open(5));
    EXPECT_STREQ(port.GetError(), "Can't open MIDI input port 5: no such port");
    EXPECT_FALSE(port.IsOpen());
    input.FailNextOpen("device already allocated");
    EXPECT_FALSE(port.Open(0));
    EXPECT_STREQ(port.GetError(), "Can't open MIDI input port 0: device already allocated");
}

TEST_F(MidiPortTest, OpeningAnOpenPortClosesItFirst) {
    ASSERT_TRUE(port.Open(0)) << port.GetError();
    ASSERT_TRUE(port.Open(1)) << port.GetError();
    EXPECT_EQ(input.GetOpenPort(), 1);
    EXPECT_EQ(input.GetOpenCount(), 2);
    EXPECT_EQ(port.GetDevice(), 1);
    ASSERT_TRUE(port.Close());
    EXPECT_FALSE(input.IsOpen());
    EXPECT_TRUE(port.Close());  // closing a closed port succeeds
}

TEST_F(MidiPortTest, NoteOnAndNoteOffBecomeNotesStampedWithTheTimeTheyArrived) {
    CNullClock clock;
    clock.Advance(12.5);
    ASSERT_TRUE(port.Open(0));
    Play({0x90, 60, 127, 0x80, 60, 64, 0x93, 72, 0});
    ASSERT_EQ(collector.notes.size(), 3u);
    const NOTE_EVENT& on = collector.notes[0];
    EXPECT_EQ(on.note, 60);
    EXPECT_EQ(on.velocity, 127);
    EXPECT_EQ(on.source, SOURCE_MIDI_INPUT);
    EXPECT_DOUBLE_EQ(on.arrival, 12.5) << "the arrival time is taken when the bytes come in";
    EXPECT_FALSE(collector.notes[1].IsOn());  // note-off, whatever its velocity
    EXPECT_EQ(collector.notes[2].note, 72);
    EXPECT_FALSE(collector.notes[2].IsOn());  // note-on with velocity 0
}

TEST_F(MidiPortTest, TheVelocityGoesThroughAsItCame) {
    ASSERT_TRUE(port.Open(0));
    Play({0x90, 1, 1, 2, 64, 3, 100});
    ASSERT_EQ(collector.notes.size(), 3u);
    EXPECT_EQ(collector.notes[0].velocity, 1);
    EXPECT_EQ(collector.notes[1].velocity, 64);
    EXPECT_FLOAT_EQ(collector.notes[2].GetVolume(), 100.0f / 127.0f);
}

TEST_F(MidiPortTest, SystemAndOtherChannelMessagesPostNothing) {
    ASSERT_TRUE(port.Open(0));
    Play({0xF8, 0xFE, 0xFA, 0xFC, 0xF0, 0x43, 0x10, 0x4C, 0xF7, 0xB0, 64, 127, 0xC0,
          5,    0xE0, 0,    64,   0xA0, 60,   10,   0xD0, 30,   0xF2, 0,  0,   0xFF});
    EXPECT_TRUE(collector.notes.empty());
    EXPECT_EQ(port.GetNoteCount(), 0u);
}

TEST_F(MidiPortTest, AMessageSplitAcrossDeliveriesStillArrives) {
    ASSERT_TRUE(port.Open(0));
    ASSERT_TRUE(input.Inject({0x90}));
    ASSERT_TRUE(input.Inject({0xF8, 60}));
    ASSERT_TRUE(input.Inject({100, 62}));
    ASSERT_TRUE(input.Inject({90}));
    Settle();
    ASSERT_EQ(collector.notes.size(), 2u);
    EXPECT_EQ(collector.notes[1].note, 62);
}

TEST_F(MidiPortTest, ReopeningStartsAFreshStream) {
    ASSERT_TRUE(port.Open(0));
    Play({0x90, 60, 100, 61});  // ends inside a running-status message
    ASSERT_TRUE(port.Open(1));
    Play({100, 0x90, 62, 100});
    ASSERT_EQ(collector.notes.size(), 2u);
    EXPECT_EQ(collector.notes[1].note, 62);
}

TEST_F(MidiPortTest, ADeviceThatGoesAwayIsReportedOnceAndCanBeOpenedAgain) {
    ASSERT_TRUE(port.Open(1));
    Play({0x90, 60, 100});
    ASSERT_TRUE(input.RemovePort("Keys B"));
    Settle();
    EXPECT_TRUE(port.IsDeviceLost());
    ASSERT_EQ(collector.lost.size(), 1u);
    EXPECT_EQ(collector.lost[0].rfind("Can't go on reading input device 1: ", 0), 0u)
        << collector.lost[0];
    EXPECT_FALSE(input.Inject({0x90, 61, 100}));
    input.AddPort("Keys B");
    ASSERT_TRUE(input.RemovePort("Keys B"));
    input.AddPort("Keys B");
    Settle();
    EXPECT_EQ(collector.lost.size(), 1u);
    ASSERT_TRUE(port.Open(1)) << port.GetError();
    EXPECT_FALSE(port.IsDeviceLost());
    Play({0x90, 62, 100});
    ASSERT_EQ(collector.notes.size(), 2u);
    EXPECT_EQ(collector.notes[1].note, 62);
}

TEST_F(MidiPortTest, NothingArrivesAfterClose) {
    ASSERT_TRUE(port.Open(0));
    ASSERT_TRUE(port.Close());
    EXPECT_FALSE(input.Inject({0x90, 60, 100}));
    loop.ProcessMessages();
    EXPECT_TRUE(collector.notes.empty());
}

TEST_F(MidiPortTest, TraceWritesADebugLinePerMessage) {
    port.SetTrace(true);
    ASSERT_TRUE(port.Open(0));
    Play({0x95, 60, 100, 0xB0, 7, 99});
    EXPECT_EQ(collector.notes.size(), 1u);
}

TEST_F(MidiPortTest, ManyNotesInRandomPiecesArriveInOrderWhileTheLoopRuns) {
    // A long stream with running status and clock bytes, cut at random
    // places, delivered while the user-interface side keeps dispatching.
    std::mt19937 random(42);
    std::vector<uint8_t> stream;
    constexpr int kNotes = 20000;
    for (int i = 0; i < kNotes; ++i) {
        if (i % 100 == 0) {
            stream.push_back(static_cast<uint8_t>(0x90 | (i / 100) % 16));
        }
        stream.push_back(static_cast<uint8_t>(i % 128));
        if (random() % 4 == 0) {
            stream.push_back(0xF8);
        }
        stream.push_back(static_cast<uint8_t>(i % 2 == 0 ? 100 : 0));
    }
    ASSERT_TRUE(port.Open(0));
    std::thread player([&] {
        size_t position = 0;
        while (position < stream.size()) {
            const size_t size = std::min<size_t>(1 + random() % 7, stream.size() - position);
            input.Inject(
                std::vector<uint8_t>(stream.begin() + position, stream.begin() + position + size));
            position += size;
        }
    });
    while (collector.notes.size() < kNotes && loop.WaitForMessage(5000)) {
        loop.ProcessMessages();
    }
    player.join();
    Settle();
    ASSERT_EQ(collector.notes.size(), static_cast<size_t>(kNotes));
    for (int i = 0; i < kNotes; ++i) {
        ASSERT_EQ(collector.notes[i].note, i % 128) << i;
        ASSERT_EQ(collector.notes[i].IsOn(), i % 2 == 0) << i;
    }
}

}  // namespace
