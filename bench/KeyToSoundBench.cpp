// Computer key to sound in the whole application: Notara on Qt plays on a
// private JACK server (dummy driver) through RtAudio. For each of 200 notes
// a note key goes to the application's key handler on the user-interface
// thread (which sounds the note, then judges it and asks for a frame), and
// a tap on the output device takes the platform clock of the first mixed
// frame that is not silent. Prints the time from the key to that frame in
// the device callback, the latency the stream reports after it, and their
// sum against the target of 10 ms median and 15 ms at the 99th percentile.
//
// Needs a display (tools/run-app gives Xvfb); without a JACK server it
// prints why it skips.
#include <QApplication>
#include <QElapsedTimer>

#include <jack/jack.h>
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "AppBench.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/MainWnd.h"
#include "audio/Sound.h"
#include "foundation/Paths.h"
#include "midi/MidiKeyboard.h"
#include "platform/Clock.h"
#include "platform/GlDevice.h"
#include "platform/WindowHandler.h"
#include "platform/qt/QtBackend.h"
#include "platform/rtaudio/RtAudioOut.h"
#include "platform/rtmidi/JackServer.h"
#include "scene/SpacePainter.h"
#include "trainer/PianoNotes.h"

namespace {

constexpr int kNotes = 200;
constexpr int kWarmupNotes = 5;
constexpr int kSoundWaitMs = 200;
constexpr int kReleaseWaitMs = 30;
constexpr int kStartWaitMs = 15000;
constexpr int kKeyCount = 12;  // distinct note keys played in turn
constexpr double kTargetMedianMs = 10.0;
constexpr double kTargetP99Ms = 15.0;
constexpr const char* kClientName = "notara-bench";

// What the JACK server says of itself, asked by a client of its own: its
// period and rate, and the playback latency of its first output port.
struct JACK_FIGURES {
    jack_nframes_t period = 0;
    jack_nframes_t rate = 0;
    bool realTime = false;
    jack_latency_range_t playback{0, 0};
};

bool AskJack(JACK_FIGURES& figures) {
    jack_status_t status{};
    jack_client_t* client = jack_client_open("notara-bench-probe", JackNoStartServer, &status);
    if (client == nullptr) {
        return false;
    }
    figures.period = jack_get_buffer_size(client);
    figures.rate = jack_get_sample_rate(client);
    figures.realTime = jack_is_realtime(client) != 0;
    if (jack_port_t* port = jack_port_by_name(client, "system:playback_1")) {
        jack_port_get_latency_range(port, JackPlaybackLatency, &figures.playback);
    }
    jack_client_close(client);
    return true;
}

// Note keys of the piano as the view sends them: the typed character, and
// the key code for letters and digits.
std::vector<KEY_EVENT> FindNoteKeys() {
    std::vector<KEY_EVENT> keys;
    for (char c = ' '; c < 127 && static_cast<int>(keys.size()) < kKeyCount; ++c) {
        if ((c >= 'a' && c <= 'z') || CMidiKeyboard::MapKey(c, THING_KEYBOARD) == 0) {
            continue;
        }
        KEY_EVENT key;
        key.character = c;
        key.key = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ? c : 0;
        keys.push_back(key);
    }
    return keys;
}

// Key down to the first sounding frame in the device callback, in ms, for
// each note heard; silent counts the notes never heard.
std::vector<double> PlayNotes(CCenter& center, CFirstSoundTap& tap, int& silent) {
    const std::vector<KEY_EVENT> keys = FindNoteKeys();
    std::vector<double> latencies;
    for (int i = 0; i < kWarmupNotes + kNotes; ++i) {
        KEY_EVENT key = keys[static_cast<size_t>(i) % keys.size()];
        tap.Arm();
        const double t0 = Platform::GetClock().GetSeconds();
        center.OnViewKey(key);
        const bool heard = RunUntil([&] { return tap.IsHeard(); }, kSoundWaitMs);
        tap.Disarm();
        if (i >= kWarmupNotes) {
            if (heard) {
                latencies.push_back((tap.GetSeconds() - t0) * 1000.0);
            } else {
                ++silent;
            }
        }
        key.down = false;
        center.OnViewKey(key);
        QElapsedTimer pause;
        pause.start();
        RunUntil([&] { return pause.elapsed() >= kReleaseWaitMs; }, kReleaseWaitMs + 10);
    }
    return latencies;
}

CRtAudioOut* FindJackOutput(const CCenter& center) {
    CSound* sound = center.GetSound();
    return sound != nullptr && sound->IsReady() ? dynamic_cast<CRtAudioOut*>(sound->GetDevice())
                                                : nullptr;
}

int Measure(CCenter& center) {
    if (!RunUntil([&] { return FindJackOutput(center) != nullptr; }, kStartWaitMs)) {
        std::fprintf(stderr, "Can't get the sound output on JACK: %s\n", center.GetError());
        return 1;
    }
    RunUntil(
        [&] {
            return center.GetSpacePainter() != nullptr &&
                   center.GetSpacePainter()->GetCurrentKind() == CPianoNotes::kKind;
        },
        kStartWaitMs);
    CRtAudioOut& device = *FindJackOutput(center);
    CFirstSoundTap tap(device.GetRate());
    device.SetTap(&tap);
    int silent = 0;
    const int underflowsBefore = device.GetUnderflowCount();
    const std::vector<double> latencies = PlayNotes(center, tap, silent);
    device.SetTap(nullptr);
    if (latencies.empty()) {
        std::fprintf(stderr, "Can't hear any note: none reached the device\n");
        return 1;
    }
    JACK_FIGURES jack;
    const bool asked = AskJack(jack);
    const double reportedMs = device.GetLatencySeconds() * 1000.0;
    std::vector<double> sums = latencies;
    for (double& value : sums) {
        value += reportedMs;
    }
    std::printf("Computer key to sound, whole application on %s (%s):\n",
                device.GetDeviceName().c_str(), center.GetTitle());
    if (asked) {
        std::printf(
            "  JACK period %u frames at %u Hz (%.3f ms), %s; system:playback_1 latency "
            "%u .. %u frames\n",
            jack.period, jack.rate, 1000.0 * jack.period / jack.rate,
            jack.realTime ? "real-time" : "not real-time", jack.playback.min, jack.playback.max);
    }
    std::printf("  stream: %d frames per block at %d Hz, %d underflows while measuring\n",
                device.GetBlockFrames(), device.GetRate(),
                device.GetUnderflowCount() - underflowsBefore);
    std::printf("  %zu notes heard, %d not heard within %d ms\n", latencies.size(), silent,
                kSoundWaitMs);
    Print("key to first sounding frame", Summarise(latencies));
    std::printf("  %-34s %7.3f ms\n", "latency the stream reports", reportedMs);
    const PERCENTILES total = Summarise(sums);
    Print("sum", total);
    const bool met = total.median <= kTargetMedianMs && total.p99 <= kTargetP99Ms;
    std::printf("  target median <= %.0f ms and p99 <= %.0f ms: %s\n", kTargetMedianMs,
                kTargetP99Ms, met ? "met" : "NOT MET");
    return 0;
}

}  // namespace

// The application object lives on main's stack, after the JACK server and
// the folders: Qt's clean-up runs before they go.
// Options: a sound folder, and --period N for a JACK cycle of N frames
// instead of 256.
int main(int argc, char** argv) {
    int period = CJackServer::kPeriodFrames;
    const char* soundFolder = NOTARA_BINARY_DIR "/Sound";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--period") == 0 && i + 1 < argc) {
            period = std::atoi(argv[++i]);
        } else {
            soundFolder = argv[i];
        }
    }
    CJackServer server;
    std::string reason;
    if (!server.Start(reason, period)) {
        std::printf("Key to sound: skipped, no JACK server could be started: %s\n", reason.c_str());
        return 0;
    }
    CBenchFolders folders;
    if (!folders.Make(soundFolder, reason)) {
        std::fprintf(stderr,
                     "%s\nRender the samples with: cmake --build build --target notara_samples\n",
                     reason.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    PLATFORM platform = backend.GetPlatform();
    platform.createAudioOut = [] {
        return std::make_unique<CRtAudioOut>(CRtAudioOut::Api::kJack, kClientName);
    };
    platform.createSilentAudioOut = nullptr;
    CCenter center(kNotaraDemoKind, "", platform);
    if (!center.Init()) {
        std::fprintf(stderr, "%s\n", center.GetError());
        return 1;
    }
    const int result = Measure(center);
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return center.GetMainWindow() == nullptr || !center.GetMainWindow()->Exists(); },
             3000);
    return result;
}
