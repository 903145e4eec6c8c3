#include <QApplication>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/Catalogue.h"
#include "app/Entry.h"
#include "app/StartOptions.h"
#include "foundation/CrashReport.h"
#include "platform/null/NullAudioIn.h"
#include "platform/null/NullAudioOut.h"
#include "platform/qt/QtBackend.h"
#include "platform/rtaudio/RtAudioIn.h"
#include "platform/rtaudio/RtAudioOut.h"
#include "platform/rtmidi/RtMidiIn.h"

#ifndef NOTARA_APP_KIND
#define NOTARA_APP_KIND 11
#endif

namespace {

// The application kind this executable starts: the note-reading trainer or
// the groove kind, built from this one source.
constexpr int kBuildKind = NOTARA_APP_KIND;
constexpr int kGrooveKind = 3;
constexpr const char* kProgramName = kBuildKind == kGrooveKind ? "rumblo" : "notara";
const char* const kUsage = kBuildKind == kGrooveKind ? kGrooveUsageText : kUsageText;

// True when the command line asks for the usage text, which needs no display.
bool AsksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--") {
            return false;
        }
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            return true;
        }
    }
    return false;
}

// The crash report goes beside the executable, or into the per-user data
// folder; the reporter program is installed beside the executable.
void InstallCrashReport() {
    char exe[4096] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) {
        return;
    }
    std::string folder = exe;
    folder.erase(folder.find_last_of('/') + 1);
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    const std::string fallback = data != nullptr && *data != '\0' ? std::string(data) + "/notara"
                                 : home != nullptr ? std::string(home) + "/.local/share/notara"
                                                   : std::string();
    CCrashReport::Install(exe, (folder + "notara-crash").c_str(), fallback.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    InstallCrashReport();
    if (AsksForHelp(argc, argv)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    QApplication application(argc, argv);  // takes Qt's own options out of argv
    START_OPTIONS options;
    std::string error;
    if (!ParseStartOptions(argc - 1, argv + 1, options, error)) {
        std::fprintf(stderr, "%s: %s\n\n%s", kProgramName, error.c_str(), kUsage);
        return 2;
    }
    if (options.showHelp) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    CQtBackend backend;
    if (options.quitAfterSeconds >= 0.0) {
        // Unattended runs must not hang on a box nobody answers.
        backend.SetMessageBoxTimeout(ToMilliseconds(options.quitAfterSeconds));
    }
    PLATFORM platform = backend.GetPlatform();
    platform.createMidiIn = [] { return std::make_unique<CRtMidiIn>(); };
    platform.createAudioOut = [] { return std::make_unique<CRtAudioOut>(); };
    // Without a sound device the exercise runs on, silent.
    platform.createSilentAudioOut = [] { return std::make_unique<CNullAudioOut>(); };
    // The microphone: the sound input of the settings, else the default one.
    platform.createAudioIn = [] { return std::make_unique<CRtAudioIn>(); };
    // In place of a microphone the learner may choose silence.
    platform.createStandInAudioIn = [] { return std::make_unique<CNullAudioIn>(); };
    const int code = RunApplication(platform, kBuildKind, options);
    CCrashReport::Uninstall();
    return code;
}
