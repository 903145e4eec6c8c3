// Note detection on rendered melodies: short melodies of single notes over
// each instrument's part of the keyboard, rendered from the General MIDI
// soundfont, each heard clean, with white noise at 20 dB SNR and with
// reverb. The note tracker (pitch method 7, the live method), the former
// live method 4 and aubionotes hear the same files. Printed per set and method: notes right (onset
// within 50 ms, same MIDI note), notes named (the right note told while it sounds, however late),
// octave errors, other wrong pitches, missed and extra notes, the mean and 95th percentile from the
// onset to the note's start being told (over all notes, and over those from C3 up), and CPU time
// per second of audio. Summaries follow per condition and per instrument.
//
//   bench_PitchBench [--keep] [--notes N] [--only NAME] [--list]
// --keep leaves the rendered files and prints their folder; --list prints
// each set's played notes and what method 7 told, for tracing its errors.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "../tools/MidiTrackWriter.h"
#include "audio/SampleOps.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"
#include "capture/FileNoteDetector.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr const char* kSoundfont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
constexpr int kDefaultNotes = 40;
constexpr double kLead = 0.5;  // seconds of silence before the first note
constexpr double kGap = 0.2;   // between a note's end and the next start
constexpr double kLengths[] = {0.35, 0.5, 0.7};
constexpr int kVelocity = 90;
constexpr double kOnsetWindow = 0.050;
constexpr double kSnrDb = 20.0;
constexpr double kPeak = 0.9;
constexpr int kReverberance = 60;  // sox's reverb, in percent
constexpr unsigned kSeed = 20261208;
constexpr double kTargetClean = 97.0;
constexpr double kTargetNoisy = 93.0;
constexpr double kTargetReverb = 90.0;
constexpr double kTargetFirstMs = 60.0;
constexpr double kTargetFirstP95Ms = 90.0;
constexpr int kC3 = 48;
constexpr int kTracedMethod =
    7;  // the one --list prints  // first-note times are judged from here up

struct INSTRUMENT {
    const char* name;
    int program;
    int lowest, highest;  // MIDI notes
    bool lowRange;        // the detector's bass range
};

// General MIDI programs across the families a learner may play.
const INSTRUMENT kInstruments[] = {
    {"piano", 0, 36, 95, false},         {"electric piano", 4, 36, 91, false},
    {"church organ", 19, 36, 91, false}, {"clean guitar", 27, 40, 84, false},
    {"nylon guitar", 24, 40, 83, false}, {"violin", 40, 55, 93, false},
    {"cello", 42, 36, 76, false},        {"flute", 73, 60, 95, false},
    {"clarinet", 71, 50, 91, false},     {"alto sax", 65, 49, 80, false},
    {"trumpet", 56, 54, 82, false},      {"trombone", 57, 40, 72, false},
    {"choir aah", 52, 48, 79, false},    {"voice oohs", 53, 48, 79, false},
    {"electric bass", 33, 28, 55, true},
};
constexpr int kInstrumentCount = sizeof kInstruments / sizeof kInstruments[0];

enum class Condition { kClean, kNoisy, kReverb };
const char* const kConditionNames[] = {"clean", "20 dB SNR", "reverb"};

struct TRUTH {
    double onset, release;
    int note;
};

struct FOUND {
    double onset;
    int note;
    double postedAt;  // < 0: not known
};

struct SCORE {
    int truths = 0, right = 0, named = 0, octave = 0, wrong = 0, missed = 0, extra = 0;
    std::vector<double> delays;      // onset to start told, for notes right
    std::vector<double> highDelays;  // the same for notes from C3 up
    double cpuSeconds = 0.0, audioSeconds = 0.0;
    bool failed = false;

    void Add(const SCORE& other) {
        truths += other.truths;
        right += other.right;
        named += other.named;
        octave += other.octave;
        wrong += other.wrong;
        missed += other.missed;
        extra += other.extra;
        delays.insert(delays.end(), other.delays.begin(), other.delays.end());
        highDelays.insert(highDelays.end(), other.highDelays.begin(), other.highDelays.end());
        cpuSeconds += other.cpuSeconds;
        audioSeconds += other.audioSeconds;
        failed = failed || other.failed;
    }
    double RightPercent() const { return truths > 0 ? 100.0 * right / truths : 0.0; }
};

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// A walk over the instrument's range that visits both of its ends.
std::vector<TRUTH> MakeMelody(const INSTRUMENT& instrument, int count, std::mt19937& random) {
    std::vector<TRUTH> melody;
    std::uniform_int_distribution<int> step(-7, 7);
    int note = (instrument.lowest + instrument.highest) / 2;
    double time = kLead;
    for (int i = 0; i < count; ++i) {
        if (i == count / 3) {
            note = instrument.lowest;
        } else if (i == 2 * count / 3) {
            note = instrument.highest;
        } else if (i > 0) {
            int next = note;
            while (next == note) {
                next = std::clamp(note + step(random), instrument.lowest, instrument.highest);
            }
            note = next;
        }
        const double length = kLengths[i % 3];
        melody.push_back({time, time + length, note});
        time += length + kGap;
    }
    return melody;
}

int Run(std::vector<std::string> arguments, double* cpuSeconds = nullptr,
        const std::string& output = "") {
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO,
                                     output.empty() ? "/dev/null" : output.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) {
        return -1;
    }
    if (cpuSeconds != nullptr) {
        *cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                      usage.ru_stime.tv_usec / 1e6;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Render(const INSTRUMENT& instrument, const std::vector<TRUTH>& melody, const fs::path& folder,
            const fs::path& wave) {
    CMidiTrackWriter writer;
    writer.ProgramChange(0.0, 0, instrument.program);
    for (const TRUTH& truth : melody) {
        writer.NoteOn(truth.onset, 0, truth.note, kVelocity);
        writer.NoteOff(truth.release, 0, truth.note);
    }
    const fs::path midi = folder / "melody.mid";
    if (!writer.Write(midi.string(), 1.5)) {
        return false;
    }
    // Dry, so that the clean set is what the instrument alone sounds like.
    return Run({"fluidsynth", "-q",  "-n",  "-i",          "-R",       "0",          "-C",
                "0",          "-g",  "1.0", "-r",          "44100",    "-O",         "s16",
                "-T",         "wav", "-F",  wave.string(), kSoundfont, midi.string()}) == 0;
}

// The sound's level over the sounding notes, and white noise that much
// (kSnrDb) quieter added to it.
void AddNoise(CSoundInfo& sound, const std::vector<TRUTH>& melody, std::mt19937& random) {
    int16_t* values = sound.GetValues();
    const int channels = sound.format.channels;
    const size_t frames = sound.GetSize() / sound.format.blockAlign;
    const double rate = sound.format.samplesPerSecond;
    double power = 0.0;
    size_t counted = 0;
    for (const TRUTH& truth : melody) {
        const size_t end = std::min(frames, static_cast<size_t>(truth.release * rate));
        for (size_t frame = static_cast<size_t>(truth.onset * rate); frame < end; ++frame) {
            for (int c = 0; c < channels; ++c) {
                const double value = values[frame * channels + c];
                power += value * value;
                ++counted;
            }
        }
    }
    const double rms = std::sqrt(power / std::max<size_t>(1, counted));
    std::normal_distribution<double> noise(0.0, rms / std::pow(10.0, kSnrDb / 20.0));
    for (size_t i = 0; i < frames * channels; ++i) {
        const double value = std::round(values[i] + noise(random));
        values[i] = static_cast<int16_t>(std::clamp(value, -32768.0, 32767.0));
    }
}

std::string FileName(std::string name) {
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

bool MakeSet(const INSTRUMENT& instrument, const std::vector<TRUTH>& melody, Condition condition,
             const fs::path& folder, fs::path& wave, std::mt19937& random) {
    const fs::path dry = folder / "dry.wav";
    if (!fs::exists(dry) && !Render(instrument, melody, folder, dry)) {
        return false;
    }
    wave = folder / (FileName(kConditionNames[static_cast<int>(condition)]) + ".wav");
    fs::path source = dry;
    if (condition == Condition::kReverb) {
        source = folder / "wet.wav";
        if (Run({"sox", dry.string(), source.string(), "reverb", std::to_string(kReverberance)}) !=
            0) {
            return false;
        }
    }
    CSoundFile file;
    CSoundInfo sound;
    if (!file.ReadInfo(source.string().c_str(), sound)) {
        return false;
    }
    CSampleOps::Normalise(sound, kPeak);
    if (condition == Condition::kNoisy) {
        AddNoise(sound, melody, random);
    }
    return CSoundFile().Save(wave.string().c_str(), sound);
}

// Named: a detection of the played note starts while it sounds, however
// late. Right: each played note takes the detection nearest its onset within the window:
// one of the same note first, else one an octave or more away, else any.
SCORE Score(const std::vector<TRUTH>& melody, const std::vector<FOUND>& found) {
    SCORE score;
    score.truths = static_cast<int>(melody.size());
    std::vector<bool> used(found.size(), false);
    for (const TRUTH& truth : melody) {
        int best[3] = {-1, -1, -1};  // same note, octave away, other
        for (size_t i = 0; i < found.size(); ++i) {
            const double distance = std::fabs(found[i].onset - truth.onset);
            if (used[i] || distance > kOnsetWindow) {
                continue;
            }
            const int apart = std::abs(found[i].note - truth.note);
            const int kind = apart == 0 ? 0 : apart % 12 == 0 ? 1 : 2;
            if (best[kind] < 0 || distance < std::fabs(found[best[kind]].onset - truth.onset)) {
                best[kind] = static_cast<int>(i);
            }
        }
        if (best[0] >= 0) {
            ++score.right;
            used[best[0]] = true;
            if (found[best[0]].postedAt >= 0.0) {
                score.delays.push_back(found[best[0]].postedAt - truth.onset);
                if (truth.note >= kC3) {
                    score.highDelays.push_back(found[best[0]].postedAt - truth.onset);
                }
            }
        } else if (best[1] >= 0) {
            ++score.octave;
            used[best[1]] = true;
        } else if (best[2] >= 0) {
            ++score.wrong;
            used[best[2]] = true;
        } else {
            ++score.missed;
        }
    }
    score.extra = static_cast<int>(std::count(used.begin(), used.end(), false));
    for (const TRUTH& truth : melody) {
        const bool named = std::any_of(found.begin(), found.end(), [&](const FOUND& f) {
            return f.note == truth.note && f.onset >= truth.onset - kOnsetWindow &&
                   f.onset < truth.release;
        });
        score.named += named ? 1 : 0;
    }
    return score;
}

bool DetectOwn(const fs::path& wave, int method, bool lowRange, std::vector<FOUND>& found,
               SCORE& score) {
    CSoundFile file;
    CSoundInfo sound;
    if (!file.ReadInfo(wave.string().c_str(), sound)) {
        return false;
    }
    std::vector<DETECTED_NOTE> notes;
    CFileNoteDetector detector(method, lowRange);
    const double before = ThreadSeconds();
    const bool done = detector.Detect(sound, notes);
    score.cpuSeconds = ThreadSeconds() - before;
    score.audioSeconds = static_cast<double>(sound.GetSize()) / sound.format.averageBytesPerSecond;
    for (const DETECTED_NOTE& note : notes) {
        found.push_back({note.onset, note.midiNote, note.postedAt});
    }
    return done;
}

// aubionotes prints "note onset offset" per note (MIDI note, seconds), and
// lines of one number for onsets without a pitch.
bool DetectAubio(const fs::path& wave, std::vector<FOUND>& found, SCORE& score) {
    const std::string output = wave.string() + ".aubio.txt";
    double cpu = 0.0;
    if (Run({"aubionotes", "-i", wave.string()}, &cpu, output) != 0) {
        return false;
    }
    score.cpuSeconds = cpu;
    std::FILE* in = std::fopen(output.c_str(), "r");
    if (in == nullptr) {
        return false;
    }
    char line[256];
    while (std::fgets(line, sizeof line, in) != nullptr) {
        double note = 0.0, onset = 0.0, offset = 0.0;
        if (std::sscanf(line, "%lf %lf %lf", &note, &onset, &offset) == 3) {
            found.push_back({onset, static_cast<int>(std::lround(note)), -1.0});
        }
    }
    std::fclose(in);
    return true;
}

// Played notes and told ones side by side in time, for reading errors.
void PrintList(const std::vector<TRUTH>& melody, const std::vector<FOUND>& found) {
    size_t next = 0;
    for (const TRUTH& truth : melody) {
        for (; next < found.size() && found[next].onset < truth.onset - kOnsetWindow; ++next) {
            std::printf("      told  %7.3f %3d (extra)\n", found[next].onset, found[next].note);
        }
        std::printf("  played %7.3f %3d ..%7.3f", truth.onset, truth.note, truth.release);
        for (; next < found.size() && found[next].onset < truth.release; ++next) {
            std::printf(" | told %7.3f %3d", found[next].onset, found[next].note);
        }
        std::printf("\n");
    }
    for (; next < found.size(); ++next) {
        std::printf("      told  %7.3f %3d (extra)\n", found[next].onset, found[next].note);
    }
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return NAN;
    }
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(std::ceil(fraction * values.size())) - 1;
    return values[std::min(index, values.size() - 1)];
}

double Mean(const std::vector<double>& values) {
    if (values.empty()) {
        return NAN;
    }
    double sum = 0.0;
    for (double value : values) {
        sum += value;
    }
    return sum / values.size();
}

void PrintRow(const char* set, const char* condition, const char* method, const SCORE& score) {
    if (score.failed) {
        std::printf("| %-14s | %-9s | %-8s | failed |\n", set, condition, method);
        return;
    }
    char delay[32] = "-";
    if (!score.delays.empty()) {
        std::snprintf(delay, sizeof delay, "%.0f/%.0f/%.0f", Mean(score.delays) * 1000.0,
                      Percentile(score.delays, 0.5) * 1000.0,
                      Percentile(score.delays, 0.95) * 1000.0);
    }
    char high[32] = "-";
    if (!score.highDelays.empty()) {
        std::snprintf(high, sizeof high, "%.0f/%.0f", Percentile(score.highDelays, 0.5) * 1000.0,
                      Percentile(score.highDelays, 0.95) * 1000.0);
    }
    std::printf(
        "| %-14s | %-9s | %-8s | %4d/%-4d %5.1f %% | %5.1f %% | %3d | %3d | %3d | %3d | %-12s | "
        "%-9s | %5.2f %% |\n",
        set, condition, method, score.right, score.truths, score.RightPercent(),
        100.0 * score.named / std::max(1, score.truths), score.octave, score.wrong, score.missed,
        score.extra, delay, high, 100.0 * score.cpuSeconds / std::max(1e-9, score.audioSeconds));
}

struct OPTIONS {
    bool keep = false;
    bool list = false;
    int notes = kDefaultNotes;
    std::string only;
};

bool ReadOptions(int argc, char** argv, OPTIONS& options) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0) {
            options.keep = true;
        } else if (std::strcmp(argv[i], "--list") == 0) {
            options.list = true;
        } else if (std::strcmp(argv[i], "--notes") == 0 && i + 1 < argc) {
            options.notes = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            options.only = argv[++i];
        } else {
            return false;
        }
    }
    return options.notes >= 3;
}

}  // namespace

int main(int argc, char** argv) {
    OPTIONS options;
    if (!ReadOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: bench_PitchBench [--keep] [--notes N] [--only NAME] [--list]\n");
        return 2;
    }
    if (!fs::exists(kSoundfont)) {
        std::fprintf(stderr, "Can't find the soundfont %s: run tools/install-deps\n", kSoundfont);
        return 1;
    }
    const bool haveAubio = Run({"aubionotes", "-h"}) >= 0;
    char pattern[] = "/tmp/notara-pitch-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path root = pattern;
    constexpr int kMethods = 3;
    const char* const methods[kMethods] = {"method 4", "method 7", "aubio"};
    const int numbers[kMethods] = {4, 7, 0};
    SCORE totals[3][kMethods];                                      // condition, method
    std::vector<SCORE> perInstrument(kInstrumentCount * kMethods);  // clean only
    const char* header =
        "| set            | condition | detector | right             | named   | oct | wrg | mis | "
        "ext | first ms mean/med/p95 | C3+ med/p95 | CPU     |\n"
        "|---|---|---|---|---|---|---|---|---|---|---|---|\n";
    std::printf("%s", header);
    for (int n = 0; n < kInstrumentCount; ++n) {
        const INSTRUMENT& instrument = kInstruments[n];
        if (!options.only.empty() && options.only != instrument.name) {
            continue;
        }
        // Each set has its own seed, so that --only hears what a whole run does.
        std::mt19937 random(kSeed + n);
        const std::vector<TRUTH> melody = MakeMelody(instrument, options.notes, random);
        const fs::path folder = root / FileName(instrument.name);
        fs::create_directories(folder);
        for (int c = 0; c < 3; ++c) {
            fs::path wave;
            if (!MakeSet(instrument, melody, static_cast<Condition>(c), folder, wave, random)) {
                std::printf("| %-13s | %-9s | can't render |\n", instrument.name,
                            kConditionNames[c]);
                continue;
            }
            for (int m = 0; m < kMethods; ++m) {
                std::vector<FOUND> found;
                SCORE score;
                bool done = false;
                if (numbers[m] != 0) {
                    done = DetectOwn(wave, numbers[m], instrument.lowRange, found, score);
                } else if (haveAubio) {
                    done = DetectAubio(wave, found, score);
                    score.audioSeconds = melody.back().release + 1.5;
                }
                const int cpuFailed = !done;
                SCORE scored = Score(melody, found);
                scored.cpuSeconds = score.cpuSeconds;
                scored.audioSeconds = score.audioSeconds;
                scored.failed = cpuFailed;
                PrintRow(instrument.name, kConditionNames[c], methods[m], scored);
                if (options.list && numbers[m] == kTracedMethod) {
                    PrintList(melody, found);
                }
                totals[c][m].Add(scored);
                if (c == static_cast<int>(Condition::kClean)) {
                    perInstrument[n * kMethods + m].Add(scored);
                }
            }
        }
    }
    std::printf(
        "\nPer condition (targets: %.0f %% right clean, %.0f %% at 20 dB SNR, %.0f %% with reverb; "
        "first note from C3 up: median %.0f ms, p95 %.0f ms):\n%s",
        kTargetClean, kTargetNoisy, kTargetReverb, kTargetFirstMs, kTargetFirstP95Ms, header);
    for (int c = 0; c < 3; ++c) {
        for (int m = 0; m < kMethods; ++m) {
            PrintRow("all", kConditionNames[c], methods[m], totals[c][m]);
        }
    }
    std::printf("\nPer instrument, clean:\n%s", header);
    for (int n = 0; n < kInstrumentCount; ++n) {
        for (int m = 0; m < kMethods; ++m) {
            if (perInstrument[n * kMethods + m].truths > 0) {
                PrintRow(kInstruments[n].name, "clean", methods[m],
                         perInstrument[n * kMethods + m]);
            }
        }
    }
    if (options.keep) {
        std::printf("\nRendered files kept in %s\n", root.c_str());
    } else {
        fs::remove_all(root);
    }
    return 0;
}
