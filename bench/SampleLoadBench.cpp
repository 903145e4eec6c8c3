// Start-up loading of the sample banks: the wall time of the sound engine's
// Open on a stepped null output with the rendered Sound folder, which reads
// every recording, normalises it and derives the notes between recordings
// (and makes the stream, the chord buffer and the worker). Prints the first
// open (the one a start-up makes), median and worst of 10 opens against the
// 300 ms target, the CPU time of the opening thread, the sounds loaded and
// the memory of their sample data.
//
// The samples come from the build tree's Sound folder, or from argv[1].
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/Sound.h"
#include "platform/null/NullAudioOut.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kRuns = 10;
constexpr double kTargetMs = 300.0;
constexpr double kMegabyte = 1024.0 * 1024.0;

double ThreadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// Pages the thread touched for the first time (fresh memory from the system).
double MinorFaults() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return static_cast<double>(usage.ru_minflt);
}

struct FIGURES {
    double first = 0.0;
    double median = 0.0;
    double worst = 0.0;
};

FIGURES Summarise(std::vector<double> values) {
    const double first = values.front();
    std::sort(values.begin(), values.end());
    return {first, values[values.size() / 2], values.back()};
}

// Bytes of sample data: every sound's own count, and each distinct block
// once (sounds that share their bytes, such as the rhythm guitar's with the
// lead guitar's, count once).
struct SAMPLE_MEMORY {
    size_t sounds = 0;
    double listedBytes = 0.0;
    double distinctBytes = 0.0;
};

SAMPLE_MEMORY MeasureMemory(const CInstrumentMap& instruments) {
    SAMPLE_MEMORY memory;
    std::set<const void*> seen;
    for (int instrument = 0; instrument < THING_COUNT; ++instrument) {
        const CInstrumentMap::SOUNDS* sounds = instruments.GetSounds(instrument);
        for (size_t i = 0; sounds != nullptr && i < sounds->size(); ++i) {
            const CSoundInfo& sound = (*sounds)[i];
            ++memory.sounds;
            memory.listedBytes += sound.GetSize();
            if (seen.insert(sound.GetShared().get()).second) {
                memory.distinctBytes += sound.GetSize();
            }
        }
    }
    return memory;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : NOTARA_BINARY_DIR "/Sound/";
    CNoteManager noteManager;
    if (!noteManager.Init()) {
        std::fprintf(stderr, "%s\n", noteManager.GetError());
        return 1;
    }
    std::vector<double> times, cpu, faults;
    SAMPLE_MEMORY memory;
    for (int run = 0; run < kRuns; ++run) {
        CSound sound(noteManager.GetNoteTable(), folder.c_str());
        sound.SetDevice(std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kStepped));
        const double cpu0 = ThreadMs();
        const double faults0 = MinorFaults();
        const auto start = std::chrono::steady_clock::now();
        const bool opened = sound.Open("");
        const auto end = std::chrono::steady_clock::now();
        cpu.push_back(ThreadMs() - cpu0);
        faults.push_back(MinorFaults() - faults0);
        if (!opened) {
            std::fprintf(stderr,
                         "Can't load the samples of '%s': %s\n"
                         "Render them with: cmake --build build --target notara_samples\n",
                         folder.c_str(), sound.GetError());
            return 1;
        }
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        memory = MeasureMemory(sound.GetInstruments());
        if (memory.sounds != sound.GetInstruments().GetSoundCount()) {
            std::fprintf(stderr, "Can't account for every sound: %zu of %zu seen\n", memory.sounds,
                         sound.GetInstruments().GetSoundCount());
            return 1;
        }
    }
    const FIGURES wall = Summarise(times);
    const FIGURES thread = Summarise(cpu);
    const FIGURES pages = Summarise(faults);
    std::printf("Loading every bank with its derived notes (%s), %d opens:\n", folder.c_str(),
                kRuns);
    std::printf("  open wall time        first %7.1f ms   median %7.1f ms   worst %7.1f ms\n",
                wall.first, wall.median, wall.worst);
    std::printf("  open CPU time         first %7.1f ms   median %7.1f ms   worst %7.1f ms\n",
                thread.first, thread.median, thread.worst);
    std::printf("  fresh pages touched   first %7.0f      median %7.0f      worst %7.0f\n",
                pages.first, pages.median, pages.worst);
    std::printf("  target under %.0f ms: median %s, worst %s\n", kTargetMs,
                wall.median < kTargetMs ? "within" : "OVER",
                wall.worst < kTargetMs ? "within" : "OVER");
    std::printf("  sounds loaded         %zu\n", memory.sounds);
    std::printf(
        "  sample data           %.1f MiB distinct (%.1f MiB if shared data counted per "
        "sound)\n",
        memory.distinctBytes / kMegabyte, memory.listedBytes / kMegabyte);
    return 0;
}
