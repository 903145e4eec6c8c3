#include <QApplication>

#include <cstdio>
#include <string>

#include "app/Catalogue.h"
#include "app/Entry.h"
#include "app/StartOptions.h"
#include "platform/null/NullAudioIn.h"
#include "platform/null/NullAudioOut.h"
#include "platform/qt/QtBackend.h"
#include "platform/rtaudio/RtAudioIn.h"
#include "platform/rtaudio/RtAudioOut.h"
#include "platform/rtmidi/RtMidiIn.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
    if (AsksForHelp(argc, argv)) {
        std::fputs(kUsageText, stdout);
        return 0;
    }
    QApplication application(argc, argv);  // takes Qt's own options out of argv
    START_OPTIONS options;
    std::string error;
    if (!ParseStartOptions(argc - 1, argv + 1, options, error)) {
        std::fprintf(stderr, "notara: %s\n\n%s", error.c_str(), kUsageText);
        return 2;
    }
    if (options.showHelp) {
        std::fputs(kUsageText, stdout);
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
    return RunApplication(platform, kNotaraDemoKind, options);
}
