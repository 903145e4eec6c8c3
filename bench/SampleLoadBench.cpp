// Start-up loading of the sample banks: the wall time of the sound engine's
// Open on a stepped null output with the rendered Sound folder, which reads
// every recording, normalises it and derives the notes between recordings
// (and makes the stream, the chord buffer and the worker). Prints median and
// worst of 10 opens against the 300 ms target, the sounds loaded and the
// memory of their sample data.
//
// The samples come from the build tree's Sound folder, or from argv[1].
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
    std::vector<double> times;
    SAMPLE_MEMORY memory;
    for (int run = 0; run < kRuns; ++run) {
        CSound sound(noteManager.GetNoteTable(), folder.c_str());
        sound.SetDevice(std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kStepped));
        const auto start = std::chrono::steady_clock::now();
        const bool opened = sound.Open("");
        const auto end = std::chrono::steady_clock::now();
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
            std::fprintf(stderr, "Can't account for every sound: %zu of %zu seen\n",
                         memory.sounds, sound.GetInstruments().GetSoundCount());
            return 1;
        }
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const double worst = times.back();
    std::printf("Loading every bank with its derived notes (%s), %d opens:\n", folder.c_str(),
                kRuns);
    std::printf("  open wall time        median %7.1f ms   worst %7.1f ms   target under %.0f ms: "
                "%s\n",
                median, worst, kTargetMs, worst < kTargetMs ? "within target" : "OVER TARGET");
    std::printf("  sounds loaded         %zu\n", memory.sounds);
    std::printf("  sample data           %.1f MiB distinct (%.1f MiB if shared data counted per "
                "sound)\n",
                memory.distinctBytes / kMegabyte, memory.listedBytes / kMegabyte);
    return 0;
}
