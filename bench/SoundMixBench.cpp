// Mixing cost of 32 notes sounding at once, for one second of audio:
//  - the device side: the buffer mixer over 32 bank samples (each on a
//    buffer of its own that shares the sample's bytes, looped so that all
//    32 sound for the whole second), at different volumes and pans, mixed
//    in 256-frame blocks as the device thread does;
//  - the stream side: the note renderer filling a one-second segment (with
//    its one-second tail) that holds 32 note starts.
// Prints the CPU time of the mixing thread per second of audio, as a share
// of one core, median and worst of 20 runs, against the 5 % target.
//
// The samples come from the build tree's Sound folder, or from argv[1].
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "audio/NoteRenderer.h"
#include "audio/SampleBanks.h"
#include "audio/Sound.h"
#include "common/BufferMixer.h"
#include "platform/null/NullAudioOut.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kVoices = 32;
constexpr int kRuns = 20;
constexpr int kWarmupRuns = 2;
constexpr int kRate = 44100;
constexpr int kBlockFrames = 256;
constexpr int kFirstNote = 48;  // the voices play MIDI notes 48 .. 79
constexpr double kTargetPercent = 5.0;
constexpr double kNoteSpacing = 0.001;  // seconds between the renderer's note starts

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// Percent of one core: CPU seconds spent per second of audio.
struct FIGURES {
    double median = 0.0;
    double worst = 0.0;
};

FIGURES Summarise(std::vector<double> percents) {
    std::sort(percents.begin(), percents.end());
    return {percents[percents.size() / 2], percents.back()};
}

void Print(const char* what, const FIGURES& figures) {
    std::printf("  %-44s median %6.3f %%   worst %6.3f %%   %s\n", what, figures.median,
                figures.worst, figures.worst < kTargetPercent ? "within target" : "OVER TARGET");
}

// A volume (0 .. -18 dB) and a pan (full left .. full right) for voice i.
int32_t VolumeOf(int i) {
    return -(i % 7) * 300;
}
int32_t PanOf(int i) {
    return (i % 9 - 4) * 2500;
}

// The piano sample of each voice's note.
bool FindVoices(CSound& sound, std::vector<const CSoundInfo*>& voices) {
    for (int i = 0; i < kVoices; ++i) {
        CNote note;
        note.thing = CSampleBanks::kPiano;
        note.midiNote = static_cast<uint8_t>(kFirstNote + i);
        const CSoundInfo* sample = nullptr;
        if (!sound.FindSound(note, sample)) {
            std::fprintf(stderr, "Can't find piano note %d: %s\n", note.midiNote, sound.GetError());
            return false;
        }
        voices.push_back(sample);
    }
    return true;
}

// Mixes one second of the voices in device blocks; false when a buffer
// can't be made.
bool RunMixer(const std::vector<const CSoundInfo*>& voices, double& percent) {
    CBufferMixer mixer(kRate);
    for (size_t i = 0; i < voices.size(); ++i) {
        const CSoundInfo& sample = *voices[i];
        const int buffer = mixer.CreateSharedBuffer(
            sample.format.channels, static_cast<int>(sample.format.samplesPerSecond),
            sample.GetShared(), sample.GetSize());
        const int voice = static_cast<int>(i);
        if (buffer == IAudioOut::kNoBuffer || !mixer.SetVolume(buffer, VolumeOf(voice)) ||
            !mixer.SetPan(buffer, PanOf(voice)) || !mixer.Play(buffer, true)) {
            std::fprintf(stderr, "Can't play a mixer buffer: %s\n", mixer.GetError());
            return false;
        }
    }
    std::vector<int16_t> block(2 * kBlockFrames);
    const double start = ThreadSeconds();
    for (int done = 0; done < kRate; done += kBlockFrames) {
        mixer.Mix(block.data(), std::min(kBlockFrames, kRate - done));
    }
    percent = (ThreadSeconds() - start) * 100.0;
    return true;
}

// The voices' notes, a millisecond apart, as the stream holds them.
CNoteList MakeNotes() {
    CNoteList notes;
    for (int i = 0; i < kVoices; ++i) {
        CNote note;
        note.thing = CSampleBanks::kPiano;
        note.midiNote = static_cast<uint8_t>(kFirstNote + i);
        note.time = i * kNoteSpacing;
        note.eventKind = EVENT_NOTE_START;
        note.volume = 1.0f - (i % 7) * 0.1f;
        note.pan = (i % 9 - 4) * 0.25f;
        notes.Add(note);
    }
    return notes;
}

bool RunRenderer(const CInstrumentMap& instruments, const CNoteList& notes, double& percent) {
    const WAVE_FORMAT format = WAVE_FORMAT::Stream();
    const uint32_t size = format.averageBytesPerSecond;  // one second
    std::vector<uint8_t> segment(2 * static_cast<size_t>(size));
    CNoteRenderer renderer(instruments, format);
    renderer.SetNotes(notes);
    bool mixed = false;
    bool finished = false;
    const double start = ThreadSeconds();
    const bool filled = renderer.FillSegment(segment.data(), size, size, mixed, finished);
    percent = (ThreadSeconds() - start) * 100.0;
    if (!filled || !mixed) {
        std::fprintf(stderr, "Can't fill the segment: %s\n",
                     filled ? "no note was mixed" : renderer.GetError());
        return false;
    }
    return true;
}

template <class Run>
bool Repeat(Run run, std::vector<double>& percents) {
    for (int i = 0; i < kWarmupRuns + kRuns; ++i) {
        double percent = 0.0;
        if (!run(percent)) {
            return false;
        }
        if (i >= kWarmupRuns) {
            percents.push_back(percent);
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : NOTARA_BINARY_DIR "/Sound/";
    CNoteManager noteManager;
    if (!noteManager.Init()) {
        std::fprintf(stderr, "%s\n", noteManager.GetError());
        return 1;
    }
    CSound sound(noteManager.GetNoteTable(), folder.c_str());
    sound.SetDevice(std::make_unique<CNullAudioOut>(CNullAudioOut::Clock::kStepped));
    if (!sound.Open("")) {
        std::fprintf(stderr,
                     "Can't load the samples of '%s': %s\n"
                     "Render them with: cmake --build build --target notara_samples\n",
                     folder.c_str(), sound.GetError());
        return 1;
    }
    std::vector<const CSoundInfo*> voices;
    if (!FindVoices(sound, voices)) {
        return 1;
    }
    const CNoteList notes = MakeNotes();
    std::vector<double> mixer, renderer;
    if (!Repeat([&](double& p) { return RunMixer(voices, p); }, mixer) ||
        !Repeat([&](double& p) { return RunRenderer(sound.GetInstruments(), notes, p); },
                renderer)) {
        return 1;
    }
    const auto [shortest, longest] = std::minmax_element(
        voices.begin(), voices.end(),
        [](const CSoundInfo* a, const CSoundInfo* b) { return a->GetLength() < b->GetLength(); });
    std::printf(
        "Mixing %d piano notes at once (%u Hz, %u-channel samples of %.2f .. %.2f s), "
        "CPU per second of audio, %d runs, target under %.0f %% of one core:\n",
        kVoices, voices.front()->format.samplesPerSecond, voices.front()->format.channels,
        (*shortest)->GetLength(), (*longest)->GetLength(), kRuns, kTargetPercent);
    Print("device mixer, 256-frame blocks", Summarise(mixer));
    Print("stream renderer, 1 s segment + 1 s tail", Summarise(renderer));
    return 0;
}
