// "Play groove" to sound in the groove kind: the whole application on Qt
// plays a groove from the Song Editor, first on the null output (a device
// that pulls blocks in real time, no system between) and then on a private
// JACK server (dummy driver) through RtAudio. For each of 40 plays the
// button's command goes to the editor on the user-interface thread, and a
// tap on the output device takes the platform clock of the first mixed
// frame that is not silent. Prints the time from the click to that frame,
// side by side for both devices, against the target of one JACK period
// plus 10 ms.
//
// Needs a display (tools/run-app gives Xvfb); without a JACK server the
// JACK half prints why it skips.
#include <cstring>
#include <memory>

#include "AppBench.h"
#include "app/AppSettings.h"
#include "app/Center.h"
#include "app/MainWnd.h"
#include "app/SongKeeper.h"
#include "audio/Sound.h"
#include "editors/SongEditorDlg.h"
#include "editors/SongEditorLayout.h"
#include "platform/Clock.h"
#include "platform/WindowHandler.h"
#include "platform/null/NullAudioOut.h"
#include "platform/qt/QtBackend.h"
#include "platform/rtaudio/RtAudioOut.h"
#include "platform/rtmidi/JackServer.h"

namespace {

constexpr int kGrooveKind = 3;
constexpr int kPlays = 40;
constexpr int kWarmupPlays = 3;
constexpr int kSoundWaitMs = 500;
constexpr int kPauseMs = 60;
constexpr int kStartWaitMs = 15000;
constexpr double kTargetSlackMs = 10.0;
constexpr const char* kClientName = "rumblo-bench";
constexpr const char* kStyle = "Rock";
constexpr const char* kGroove = "Straight Eight";

using OutputFactory = std::function<std::unique_ptr<IAudioOut>()>;

// Click to first sounding frame, in ms, for each play heard.
std::vector<double> PlayGrooves(CSongEditorDlg& editor, CFirstSoundTap& tap, int& silent) {
    std::vector<double> latencies;
    for (int i = 0; i < kWarmupPlays + kPlays; ++i) {
        tap.Arm();
        const double t0 = Platform::GetClock().GetSeconds();
        editor.RunCommand(CSongEditorLayout::kPlayGroove);
        const bool heard = RunUntil([&] { return tap.IsHeard(); }, kSoundWaitMs);
        tap.Disarm();
        if (i >= kWarmupPlays) {
            if (heard) {
                latencies.push_back((tap.GetSeconds() - t0) * 1000.0);
            } else {
                ++silent;
            }
        }
        editor.RunCommand(CSongEditorLayout::kPlayGroove);  // the second click stops
        QElapsedTimer pause;
        pause.start();
        RunUntil([&] { return pause.elapsed() >= kPauseMs; }, kPauseMs + 10);
    }
    return latencies;
}

// Runs the groove kind on the output the factory makes and times its plays;
// false with the reason.
bool MeasureOn(const OutputFactory& output, std::vector<double>& latencies, int& silent,
               double& reportedMs, std::string& error) {
    CQtBackend backend;
    backend.SetMessageBoxTimeout(100);
    PLATFORM platform = backend.GetPlatform();
    platform.createAudioOut = output;
    platform.createSilentAudioOut = nullptr;
    CCenter center(kGrooveKind, "", platform);
    if (!center.Init()) {
        error = center.GetError();
        return false;
    }
    center.GetSettings()->grooveRoot = NOTARA_BINARY_DIR "/Grooves/";
    const auto ready = [&] {
        CSound* sound = center.GetSound();
        return sound != nullptr && sound->IsReady() && center.GetSongs() != nullptr &&
               center.GetSongs()->GetEditor() != nullptr;
    };
    bool ok = RunUntil(ready, kStartWaitMs);
    if (!ok) {
        error = std::string("Can't open the sound output: ") + center.GetError();
    }
    CSongEditorDlg* editor = ok ? center.GetSongs()->GetEditor() : nullptr;
    if (editor != nullptr && !editor->SelectGroove(kStyle, kGroove)) {
        error = editor->GetError();
        ok = false;
    }
    if (ok) {
        IAudioOut& device = *center.GetSound()->GetDevice();
        CFirstSoundTap tap(static_cast<int>(center.GetSound()->GetFormat().samplesPerSecond));
        device.SetTap(&tap);
        latencies = PlayGrooves(*editor, tap, silent);
        device.SetTap(nullptr);
        reportedMs = device.GetLatencySeconds() * 1000.0;
    }
    static_cast<IWindowHandler*>(center.GetMainWindow())->OnCloseRequest();
    RunUntil([&] { return center.GetMainWindow() == nullptr || !center.GetMainWindow()->Exists(); },
             3000);
    return ok;
}

void Report(const char* device, bool measured, const std::vector<double>& latencies, int silent,
            double reportedMs, const std::string& error) {
    if (!measured || latencies.empty()) {
        std::printf("  %-12s not measured: %s\n", device,
                    error.empty() ? "no play was heard" : error.c_str());
        return;
    }
    const PERCENTILES ms = Summarise(latencies);
    std::printf(
        "  %-12s click to first frame median %7.3f ms  p99 %7.3f ms  max %7.3f ms; "
        "+ reported latency %6.3f ms; %zu heard, %d silent\n",
        device, ms.median, ms.p99, ms.max, reportedMs, latencies.size(), silent);
}

}  // namespace

// Options: a sound folder.
int main(int argc, char** argv) {
    const char* soundFolder = argc > 1 ? argv[1] : NOTARA_BINARY_DIR "/Sound";
    CBenchFolders folders;
    std::string reason;
    if (!folders.Make(soundFolder, reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    std::printf("Play groove to sound, groove kind, \"%s\" of %s, %d plays:\n", kGroove, kStyle,
                kPlays);
    {
        std::vector<double> latencies;
        int silent = 0;
        double reported = 0.0;
        std::string error;
        const bool measured = MeasureOn(
            [] { return std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kRealTime); },
            latencies, silent, reported, error);
        Report("null device", measured, latencies, silent, reported, error);
    }
    CJackServer server;
    if (!server.Start(reason)) {
        std::printf("  %-12s skipped, no JACK server could be started: %s\n", "JACK",
                    reason.c_str());
        return 0;
    }
    std::vector<double> latencies;
    int silent = 0;
    double reported = 0.0;
    std::string error;
    const bool measured = MeasureOn(
        [] { return std::make_unique<CRtAudioOut>(CRtAudioOut::Api::kJack, kClientName); },
        latencies, silent, reported, error);
    Report("JACK", measured, latencies, silent, reported, error);
    if (measured && !latencies.empty()) {
        const double periodMs = 1000.0 * CJackServer::kPeriodFrames / 44100.0;
        const double median = Summarise(latencies).median;
        std::printf("  target on JACK: median <= one period (%.2f ms) + %.0f ms: %s\n", periodMs,
                    kTargetSlackMs, median <= periodMs + kTargetSlackMs ? "met" : "NOT MET");
    }
    return 0;
}
