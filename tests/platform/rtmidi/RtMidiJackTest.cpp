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
    // The note that probes the connection; kept apart from the notes played.
    static constexpr int kProbeNote = 1;

    void Note(const NOTE_EVENT& note) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (note.note == kProbeNote) {
            ++m_probes;
        } else {
            m_notes.push_back(note);
        }
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
    void ForgetProbes() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_probes = 0;
    }
    bool WaitForProbe(std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_probes > 0; });
    }
    bool WaitForLost() {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, 5s, [&] { return !m_lost.empty(); });
    }
    std::vector<NOTE_EVENT> Notes() {
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
    std::vector<NOTE_EVENT> m_notes;
    std::vector<std::string> m_lost;
    int m_probes = 0;
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

// A new connection carries nothing until it is made: probes are sent until
// one arrives, instead of guessing how long that takes.
bool WaitForConnection(RtMidiOut& sender, CReceived& received) {
    constexpr int kAttempts = 50;
    received.ForgetProbes();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        Send(sender, {0x90, CReceived::kProbeNote, 1});
        if (received.WaitForProbe(100ms)) {
            return true;
        }
    }
    return false;
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
    port.SetReceivers([&](const NOTE_EVENT& note) { received.Note(note); },
                      [&](const CCharString& text) { received.Lost(text); });
    ASSERT_TRUE(port.Open(device)) << port.GetError();
    ASSERT_TRUE(WaitForConnection(*sender, received)) << "server said: " << server.ReadLog();

    Send(*sender, {0x90, 60, 127});
    Send(*sender, {0xF8});
    Send(*sender, {0x80, 60, 0});
    Send(*sender, {0x95, 64, 0});
    ASSERT_TRUE(received.WaitForNotes(3)) << "server said: " << server.ReadLog();
    std::vector<NOTE_EVENT> notes = received.Notes();
    EXPECT_EQ(notes[0].note, 60);
    EXPECT_EQ(notes[0].velocity, 127);
    EXPECT_EQ(notes[0].source, SOURCE_MIDI_INPUT);
    EXPECT_EQ(notes[1].note, 60);
    EXPECT_FALSE(notes[1].IsOn());
    EXPECT_EQ(notes[2].note, 64);
    EXPECT_FALSE(notes[2].IsOn());

    // The sending program ends: its port vanishes and is reported once.
    sender.reset();
    ASSERT_TRUE(received.WaitForLost());
    EXPECT_TRUE(port.IsDeviceLost());
    // Nothing more may come: three watch periods pass without a second notice.
    std::this_thread::sleep_for(3 * std::chrono::milliseconds(CRtMidiIn::kWatchPeriodMs));
    EXPECT_EQ(received.LostCount(), 1u);

    // It comes back and is opened again.
    sender = OpenSender();
    const int again = FindPort(input, "notara-test-sender:keys");
    ASSERT_GE(again, 0);
    ASSERT_TRUE(port.Open(again)) << port.GetError();
    EXPECT_FALSE(port.IsDeviceLost());
    ASSERT_TRUE(WaitForConnection(*sender, received));
    Send(*sender, {0x90, 67, 64});
    ASSERT_TRUE(received.WaitForNotes(4));
    notes = received.Notes();
    EXPECT_EQ(notes[3].note, 67);
    EXPECT_EQ(notes[3].velocity, 64);
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
    port.SetReceivers([&](const NOTE_EVENT& note) { received.Note(note); },
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

// Without a keyboard no port is open: the input's client must still never be
// closed on a server that is gone (a crash at the program's close), and the
// next listing sees the ports of the server that came back.
TEST(RtMidiJackTest, AServerThatEndsWithNoPortOpenIsLetGoAndAServerThatComesBackIsListed) {
    std::string reason;
    auto server = std::make_unique<CJackServer>();
    if (!server->Start(reason)) {
        GTEST_SKIP() << "no JACK server could be started: " << reason;
    }
    auto closedWhileGone = std::make_unique<CRtMidiIn>(CRtMidiIn::Api::kJack, "notara-test");
    CRtMidiIn listsAgain(CRtMidiIn::Api::kJack, "notara-test");
    ASSERT_TRUE(listsAgain.IsAvailable()) << listsAgain.GetError();
    listsAgain.GetPortCount();
    server->Stop();
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!(listsAgain.IsServerGone() && closedWhileGone->IsServerGone()) &&
           std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(listsAgain.IsServerGone()) << "the server's end was not seen";
    closedWhileGone.reset();  // must not touch the dead server

    server = std::make_unique<CJackServer>();
    ASSERT_TRUE(server->Start(reason)) << reason;
    std::unique_ptr<RtMidiOut> sender = OpenSender();
    EXPECT_GE(FindPort(listsAgain, "notara-test-sender:keys"), 0);
    EXPECT_FALSE(listsAgain.IsServerGone());
}

}  // namespace
