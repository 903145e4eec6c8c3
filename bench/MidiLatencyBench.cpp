// MIDI in to judged note and to the frame that shows it: notes sent from a
// second JACK client go through RtMidi, the port's decoder and the posted
// message to the application's note road (CNoteRouter), which judges them in
// the exercise and asks for a frame. The picture is drawn as in the
// application: on the 25 ms frame step when something changed, and at once
// when a note was judged. Prints, from the time each note arrived in the
// MIDI callback, the time to its verdict and to the frame that shows it.
//
// --tick-only draws only on the frame step, as before judged notes asked
// for a frame; --samples N draws with N samples per pixel instead of 4.
#include <QGuiApplication>
#include <QTimer>

#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "exercise/HeldKeys.h"
#include "exercise/Teacher.h"
#include "midi/MidiPort.h"
#include "platform/Clock.h"
#include "platform/qt/QtEventLoop.h"
#include "platform/qt/QtOffscreenGl.h"
#include "platform/rtmidi/JackServer.h"
#include "platform/rtmidi/RtMidiIn.h"
#include "scene/SpacePainter.h"
#include "theory/NoteManager.h"
#include "theory/NoteRouter.h"
#include "trainer/PianoNotes.h"

namespace {

constexpr int kFrameStepMs = 25;
constexpr int kNotes = 300;
constexpr int kWidth = 1280;
constexpr int kHeight = 800;

// Hands the posted notes to the note road, as the main window does.
class CMainWindowStandIn : public IWindowHandler {
public:
    explicit CMainWindowStandIn(CNoteRouter& router) : m_router(router) {}
    void OnMessage(int message, std::unique_ptr<IPayload> payload) override {
        if (message == kNoteMessage) {
            m_router.Route(std::move(payload));
        }
    }
    void OnTimer(int) override {}
    void OnCommand(int) override {}
    void OnCloseRequest() override {}

private:
    CNoteRouter& m_router;
};

// Milliseconds from arrival to verdict and to the frame after the verdict.
struct LATENCIES {
    std::vector<double> judged;
    std::vector<double> shown;
    std::vector<double> pending;  // arrivals judged but not drawn yet

    void OnJudged(double arrival, double judgedAt) {
        judged.push_back((judgedAt - arrival) * 1000.0);
        pending.push_back(arrival);
    }
    void OnFrame(double drawnAt) {
        for (double arrival : pending) {
            shown.push_back((drawnAt - arrival) * 1000.0);
        }
        pending.clear();
    }
};

// A stop after the exercise: the time each note was judged.
class CJudgedTimes : public INoteSubscriber {
public:
    explicit CJudgedTimes(LATENCIES& latencies) : m_latencies(latencies) {}
    bool OnNote(ROUTED_NOTE& note) override {
        m_latencies.OnJudged(note.event.arrival, Platform::GetClock().GetSeconds());
        return true;
    }

private:
    LATENCIES& m_latencies;
};

void PrintFigures(const char* what, std::vector<double> values) {
    if (values.empty()) {
        std::printf("  %-22s no values\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("  %-22s median %7.3f ms   p99 %7.3f ms   max %7.3f ms   (%zu notes)\n", what,
                values[values.size() / 2],
                values[std::min(values.size() - 1, values.size() * 99 / 100)], values.back(),
                values.size());
}

int FindPort(CRtMidiIn& input, const char* part) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        for (int i = 0; i < input.GetPortCount(); ++i) {
            std::string name;
            if (input.GetPortName(i, name) && name.find(part) != std::string::npos) {
                return i;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    int samples = 4;
    bool tickOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--samples" && i + 1 < argc) {
            samples = std::atoi(argv[++i]);
        } else if (option == "--tick-only") {
            tickOnly = true;
        }
    }
    CJackServer server;
    std::string reason;
    if (!server.Start(reason)) {
        std::printf("MIDI latency: skipped, no JACK server could be started: %s\n", reason.c_str());
        return 0;
    }
    CNoteManager noteManager;
    noteManager.Init();
    CQtOffscreenGl device(kWidth, kHeight, samples);
    if (!device.Create(reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    // The application's exercise, note road and picture.
    Teacher teacher(&noteManager);
    CHeldKeys heldKeys;
    CNoteRouter router;
    router.Subscribe(ROAD_STAGE::kHeldKeys, heldKeys);
    router.Subscribe(ROAD_STAGE::kExercise, teacher);
    CSpacePainter scene;
    scene.Init(&device);
    scene.SetPictureFactory(CPianoNotes::kKind, [&](CSpacePainter& s, CVertexBuffer& list) {
        return CPianoNotes::Make(s, list, noteManager, teacher, heldKeys);
    });
    if (!scene.CreatePicture(CPianoNotes::kKind)) {
        std::fprintf(stderr, "%s\n", scene.GetError());
        return 1;
    }
    LATENCIES latencies;
    CJudgedTimes judged(latencies);
    router.Subscribe(ROAD_STAGE::kHistory, judged);
    // The application's view coalesces the frames asked for until it paints
    // (a widget update); the offscreen device would draw at once, so the
    // request is posted the same way.
    bool framePending = false;
    if (!tickOnly) {
        router.SetFrameRequest([&] {
            if (!framePending) {
                framePending = true;
                QTimer::singleShot(0, [&] {
                    framePending = false;
                    scene.RequestFrameIfDirty();
                });
            }
        });
    }
    scene.SetFrameListener([&] { latencies.OnFrame(Platform::GetClock().GetSeconds()); });

    CQtEventLoop loop;
    CMainWindowStandIn mainWindow(router);
    const WindowId window = loop.AddWindow(&mainWindow);
    RtMidiOut sender(RtMidi::UNIX_JACK, "notara-bench-sender");
    sender.openVirtualPort("keys");
    CRtMidiIn input(CRtMidiIn::Api::kJack, "notara-bench");
    const int port = FindPort(input, "notara-bench-sender");
    CMidiPort midi(input);
    midi.PostTo(loop, window);
    if (port < 0 || !midi.Open(port)) {
        std::fprintf(stderr, "can't open the sender's port: %s\n", midi.GetError());
        return 1;
    }
    QTimer frameStep;
    QObject::connect(&frameStep, &QTimer::timeout, [&] { scene.Step(); });
    frameStep.start(kFrameStepMs);
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
    if (latencies.judged.empty()) {
        std::fprintf(stderr, "no note arrived\n");
        return 1;
    }
    std::printf("MIDI callback through the note road, %dx%d with %d samples, %s:\n", kWidth,
                kHeight, samples,
                tickOnly ? "frames on the 25 ms step only" : "a frame asked for per verdict");
    PrintFigures("arrival to verdict", latencies.judged);
    PrintFigures("arrival to frame", latencies.shown);
    return 0;
}
