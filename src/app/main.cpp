#include <QApplication>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/Catalogue.h"
#include "app/Entry.h"
#include "app/FileLayout.h"
#include "app/StartOptions.h"
#include "foundation/CrashReport.h"
#include "platform/assimp/AssimpMeshReader.h"
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

// What the command line asks for that needs no display: the usage text
// (kHelp) or the version (kVersion), whichever comes first; kNone else.
enum class ASKS { kNone, kHelp, kVersion };
ASKS AsksForText(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--") {
            return ASKS::kNone;
        }
        if (argument == "--help" || argument == "-h") {
            return ASKS::kHelp;
        }
        if (argument == "--version") {
            return ASKS::kVersion;
        }
    }
    return ASKS::kNone;
}

// The crash report goes beside the executable in the build tree, or into
// the per-user data folder: always there for an install, whose folders are
// never written. The reporter program comes with the executable.
void InstallCrashReport() {
    char exe[4096] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) {
        return;
    }
    std::string folder = exe;
    folder.erase(folder.find_last_of('/'));
    const FILE_LAYOUT layout = CFileLayout::Find(folder.c_str(), nullptr);
    const std::string fallback = CFileLayout::GetUserFolder();
    const std::string reporter = CFileLayout::FindReporter(folder.c_str());
    if (layout.installed) {
        std::error_code ignored;
        std::filesystem::create_directories(fallback, ignored);
        const std::string name = exe + folder.size() + 1;
        CCrashReport::Install((fallback + "/" + name).c_str(), reporter.c_str(), fallback.c_str());
        return;
    }
    CCrashReport::Install(exe, reporter.c_str(), fallback.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    switch (AsksForText(argc, argv)) {
        case ASKS::kHelp:
            std::fputs(kUsage, stdout);
            return 0;
        case ASKS::kVersion:
            std::fputs(MakeVersionText(kProgramName).c_str(), stdout);
            return 0;
        case ASKS::kNone:
            break;
    }
    InstallCrashReport();
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
    if (options.showVersion) {
        std::fputs(MakeVersionText(kProgramName).c_str(), stdout);
        return 0;
    }
    CQtBackend backend;
    // Model files (the band's figures, "Load mesh...") are read by this one.
    static CAssimpMeshReader meshReader;
    Platform::SetMeshReader(&meshReader);
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
