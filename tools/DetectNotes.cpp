// notara-detect FILE.wav [--method N] [--low] [--trigger LEVEL]
// notara-detect --help | --version
// (method 7, the live one, by default; its trigger follows the noise floor
// unless --trigger gives a fixed one)
// Runs the live note detector over a WAVE file, as if it came from the
// microphone, and prints one line per detected note:
//   onset_s release_s midi_note frequency_hz
// with -1 for a release it did not see. The file is read and detected a block
// at a time. Bad input (also a rate outside 4000..384000 Hz) and running out
// of memory get a "Can't ..." line on standard error and exit status 1.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "capture/FileNoteDetector.h"
#include "capture/SoundDetector.h"
#include "common/NumberFormat.h"
#include "foundation/Version.h"

namespace {

constexpr double kDefaultTrigger = CFileNoteDetector::kDefaultTrigger;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

// The usage text on stream; the exit status of a run that shows it.
int Usage(FILE* stream = stderr) {
    std::fprintf(stream,
                 "usage: notara-detect FILE.wav [--method N] [--low] [--trigger LEVEL]\n"
                 "       notara-detect --help | --version\n"
                 "  --method N       pitch method 1..7 (7, the live method, by default)\n"
                 "  --low            the bass range\n"
                 "  --trigger LEVEL  a fixed level a note rises through, 0..1 (%.2f);\n"
                 "                   method 7 follows the noise floor without it\n"
                 "  --help           show this text and exit\n"
                 "  --version        show the version and exit\n",
                 kDefaultTrigger);
    return stream == stderr ? kExitUsage : 0;
}

int Detect(int argc, char** argv) {
    const char* path = nullptr;
    int method = CSoundDetector::kLiveMethod;
    bool low = false;
    double trigger = kDefaultTrigger;
    bool automatic = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            return Usage(stdout);
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("notara-detect %s\n", GetVersionText());
            return 0;
        }
        if (std::strcmp(argv[i], "--method") == 0 && i + 1 < argc) {
            if (!NumberFormat::ParseInt(argv[++i], method, NumberFormat::kLikeStrtol)) {
                return Usage();
            }
        } else if (std::strcmp(argv[i], "--low") == 0) {
            low = true;
        } else if (std::strcmp(argv[i], "--trigger") == 0 && i + 1 < argc) {
            if (!NumberFormat::ParseDouble(argv[++i], trigger, NumberFormat::kLikeStrtod)) {
                return Usage();
            }
            automatic = false;
        } else if (argv[i][0] == '-' || path != nullptr) {
            return Usage();
        } else {
            path = argv[i];
        }
    }
    if (path == nullptr || method < 1 || method > CSoundDetector::kNoteTracker ||
        !(trigger > 0.0 && trigger < 1.0)) {
        return Usage();
    }
    CFileNoteDetector detector(method, low, trigger, automatic);
    std::vector<DETECTED_NOTE> notes;
    if (!detector.DetectFile(path, notes)) {
        std::fprintf(stderr, "Can't read %s: %s\n", path, detector.GetError());
        return kExitBadInput;
    }
    for (const DETECTED_NOTE& note : notes) {
        // Read by scripts: a point before the decimals whatever the locale.
        std::printf("%s %s %d %s\n", NumberFormat::FormatDouble(note.onset, 3).c_str(),
                    NumberFormat::FormatDouble(note.release, 3).c_str(), note.midiNote,
                    NumberFormat::FormatDouble(note.frequency, 2).c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The detector turns its own allocation failures into its error; this
    // is the last word for any other, so that none ends in an abort.
    try {
        return Detect(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "Can't detect notes: out of memory\n");
        return kExitBadInput;
    }
}
