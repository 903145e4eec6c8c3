// MIDI in to judged note: notes sent from a second JACK client go through
// RtMidi, the port's decoder and the event loop to Teacher::InputNote while
// the note-reading picture is drawn continuously. Prints the time from the
// RtMidi callback to the judging on the user-interface thread.
#include <QGuiApplication>
#include <QTimer>

#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midi/MidiPort.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtOffscreenGl.h"
#include "platform/rtmidi/JackServer.h"
#include "platform/rtmidi/RtMidiIn.h"
#include "scene/SpacePainter.h"
#include "theory/NoteManager.h"
#include "trainer/PianoNotes.h"

namespace {

using Clock = std::chrono::steady_clock;

// Receives the posted notes on the user-interface thread and judges them.
class CJudge : public IWindowHandler {
public:
    explicit CJudge(CPianoNotes& picture) : m_picture(picture) {}

    void OnMessage(int, std::unique_ptr<IPayload> payload) override {
        std::unique_ptr<CNote> note = TakePayload<CNote>(payload);
        if (!note) {
            return;
        }
        Clock::time_point arrived;
        {
            std::lock_guard<std::mutex> lock(mutex);
            arrived = callbackTimes[note->midiNote];
        }
        m_picture.InputNote(*note);
        latencies.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - arrived).count());
    }
    void OnTimer(int) override {}
    void OnCommand(int) override {}
    void OnCloseRequest() override {}

    std::mutex mutex;
    std::map<int, Clock::time_point> callbackTimes;
    std::vector<double> latencies;

private:
    CPianoNotes& m_picture;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        std::printf("MIDI latency: skipped, no JACK server could be started: %s\n", reason.c_str());
        return 0;
    }
    CNoteManager noteManager;
    noteManager.Init();
    // "--samples N" draws with N samples per pixel instead of the product's 4.
    const int samples = argc > 2 && std::string(argv[1]) == "--samples" ? std::atoi(argv[2]) : 4;
    CQtOffscreenGl device(1280, 800, samples);
    if (!device.Create(reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    CSpacePainter scene;
    scene.Init(&device);
    scene.SetPictureFactory(CPianoNotes::kKind, [&](CSpacePainter& s, CVertexBuffer& list) {
        return CPianoNotes::Make(s, list, noteManager);
    });
    if (!scene.CreatePicture(CPianoNotes::kKind)) {
        std::fprintf(stderr, "%s\n", scene.GetError());
        return 1;
    }
    auto* picture = dynamic_cast<CPianoNotes*>(scene.GetPicture());

    CQtEventLoop loop;
    CJudge judge(*picture);
    const WindowId window = loop.AddWindow(&judge);
    RtMidiOut sender(RtMidi::UNIX_JACK, "notara-bench-sender");
    sender.openVirtualPort("keys");
    CRtMidiIn input(CRtMidiIn::Api::kJack, "notara-bench");
    int port = -1;
    for (int attempt = 0; attempt < 50 && port < 0; ++attempt) {
        for (int i = 0; i < input.GetPortCount(); ++i) {
            std::string name;
            if (input.GetPortName(i, name) &&
                name.find("notara-bench-sender") != std::string::npos) {
                port = i;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    CMidiPort midi(input);
    midi.SetReceivers(
        [&](std::unique_ptr<CNote> note) {
            {
                std::lock_guard<std::mutex> lock(judge.mutex);
                judge.callbackTimes[note->midiNote] = Clock::now();
            }
            loop.Post(window, CMidiPort::kNoteMessage, MakePayload(std::move(note)));
        },
        [](const CCharString&) {});
    if (port < 0 || !midi.Open(port)) {
        std::fprintf(stderr, "can't open the sender's port: %s\n", midi.GetError());
        return 1;
    }
    // The picture is drawn all the time, as while it animates.
    QTimer frames;
    QObject::connect(&frames, &QTimer::timeout, [&] { scene.Render(true); });
    frames.start(16);
    constexpr int kNotes = 300;
    std::atomic<bool> done{false};
    std::thread player([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (int i = 0; i < kNotes; ++i) {
            const unsigned char note = static_cast<unsigned char>(48 + i % 36);
            std::vector<unsigned char> on{0x90, note, 0x50}, off{0x80, note, 0x00};
            sender.sendMessage(&on);
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
            sender.sendMessage(&off);
            std::this_thread::sleep_for(std::chrono::milliseconds(15));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    player.join();
    midi.Close();
    std::vector<double> values = judge.latencies;
    if (values.empty()) {
        std::fprintf(stderr, "no note arrived\n");
        return 1;
    }
    std::sort(values.begin(), values.end());
    std::printf(
        "MIDI callback to Teacher::InputNote, %zu notes while drawing at 1280x800 with %d "
        "samples:\n",
        values.size(), samples);
    std::printf("  median %.3f ms   p99 %.3f ms   max %.3f ms\n", values[values.size() / 2],
                values[std::min(values.size() - 1, values.size() * 99 / 100)], values.back());
    return 0;
}
