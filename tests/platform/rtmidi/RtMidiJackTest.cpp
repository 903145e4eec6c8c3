#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <RtMidi.h>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "midi/MidiPort.h"
#include "platform/rtmidi/JackServer.h"
#include "platform/rtmidi/RtMidiIn.h"

namespace {

using namespace std::chrono_literals;

// The notes and notices the port hands over on the input thread.
class CReceived {
public:
    void Note(std::unique_ptr<CNote> note) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_notes.push_back(*note);
        m_changed.notify_all();
    }
    void Lost(const CCharString& text) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lost.push_back(text.GetText());
        m_changed.notify_all();
    }
    bool WaitForNotes(size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, 5s, [&] { return m_notes.size() >= count; });
    }
    bool WaitForLost() {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, 5s, [&] { return !m_lost.empty(); });
    }
    std::vector<CNote> Notes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_notes;
    }
    size_t LostCount() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lost.size();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<CNote> m_notes;
    std::vector<std::string> m_lost;
};

// A second program's MIDI output: a JACK client with one output port.
std::unique_ptr<RtMidiOut> OpenSender() {
    auto sender = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "notara-test-sender");
    sender->openVirtualPort("keys");
    return sender;
}

int FindPort(CRtMidiIn& input, const std::string& part) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int count = input.GetPortCount();
        for (int i = 0; i < count; ++i) {
            std::string name;
            if (input.GetPortName(i, name) && name.find(part) != std::string::npos) {
                return i;
            }
        }
        std::this_thread::sleep_for(100ms);
    }
    return -1;
}

void Send(RtMidiOut& sender, std::vector<unsigned char> message) {
    sender.sendMessage(&message);
}

TEST(RtMidiJackTest, NotesFromAnotherJackClientArriveAndALostPortCanBeReopened) {
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    std::unique_ptr<RtMidiOut> sender = OpenSender();
    CRtMidiIn input(CRtMidiIn::Api::kJack, "notara-test");
    ASSERT_TRUE(input.IsAvailable()) << input.GetError();
    const int device = FindPort(input, "notara-test-sender:keys");
    ASSERT_GE(device, 0) << "the sender's port never showed up";

    CReceived received;
    CMidiPort port(input);
    port.SetReceivers([&](std::unique_ptr<CNote> note) { received.Note(std::move(note)); },
                      [&](const CCharString& text) { received.Lost(text); });
    ASSERT_TRUE(port.Open(device)) << port.GetError();
    std::this_thread::sleep_for(200ms);  // let the connection settle

    Send(*sender, {0x90, 60, 127});
    Send(*sender, {0xF8});
    Send(*sender, {0x80, 60, 0});
    Send(*sender, {0x95, 64, 0});
    ASSERT_TRUE(received.WaitForNotes(3)) << "server said: " << server.ReadLog();
    std::vector<CNote> notes = received.Notes();
    EXPECT_EQ(notes[0].midiNote, 60);
    EXPECT_FLOAT_EQ(notes[0].volume, 1.0f);
    EXPECT_EQ(notes[0].source, SOURCE_MIDI_INPUT);
    EXPECT_EQ(notes[1].midiNote, 60);
    EXPECT_EQ(notes[1].volume, 0.0f);
    EXPECT_EQ(notes[2].midiNote, 64);
    EXPECT_EQ(notes[2].volume, 0.0f);

    // The sending program ends: its port vanishes and is reported once.
    sender.reset();
    ASSERT_TRUE(received.WaitForLost());
    EXPECT_TRUE(port.IsDeviceLost());
    std::this_thread::sleep_for(3 * std::chrono::milliseconds(CRtMidiIn::kWatchPeriodMs));
    EXPECT_EQ(received.LostCount(), 1u);

    // It comes back and is opened again.
    sender = OpenSender();
    const int again = FindPort(input, "notara-test-sender:keys");
    ASSERT_GE(again, 0);
    ASSERT_TRUE(port.Open(again)) << port.GetError();
    EXPECT_FALSE(port.IsDeviceLost());
    std::this_thread::sleep_for(200ms);
    Send(*sender, {0x90, 67, 64});
    ASSERT_TRUE(received.WaitForNotes(4));
    notes = received.Notes();
    EXPECT_EQ(notes[3].midiNote, 67);
    EXPECT_FLOAT_EQ(notes[3].volume, 64.0f / 127.0f);
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(received.LostCount(), 1u);
}

TEST(RtMidiJackTest, AServerThatEndsWhileThePortIsOpenIsReportedAsLost) {
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    std::unique_ptr<RtMidiOut> sender = OpenSender();
    CRtMidiIn input(CRtMidiIn::Api::kJack, "notara-test");
    const int device = FindPort(input, "notara-test-sender:keys");
    ASSERT_GE(device, 0);
    CReceived received;
    CMidiPort port(input);
    port.SetReceivers([&](std::unique_ptr<CNote> note) { received.Note(std::move(note)); },
                      [&](const CCharString& text) { received.Lost(text); });
    ASSERT_TRUE(port.Open(device)) << port.GetError();
    server.Stop();
    ASSERT_TRUE(received.WaitForLost());
    EXPECT_TRUE(port.Close());
    EXPECT_EQ(received.LostCount(), 1u);
    // The sender's port belongs to the dead server too; closing it would
    // touch freed server memory, so it is let go.
    sender.release();  // NOLINT: deliberately never deleted
}

}  // namespace
