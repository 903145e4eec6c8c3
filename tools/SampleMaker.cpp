// Makes the instrument samples that ship with the application from a
// General MIDI soundfont, in two steps around a soundfont renderer:
//   sample_maker midi <bank> <file.mid>                 the notes of a bank, one after another
//   sample_maker cut <bank> <rendered.wav> <folder>     cuts the rendering into the bank's files
// Banks: piano, guitar, bass, drums. Each note gets a slot of its own in the
// MIDI file; its sample is that slot of the rendering, mixed to mono, with
// the silence before the attack dropped, cut to length and faded out.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "MidiTrackWriter.h"
#include "audio/SampleOps.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"

namespace {

// The first note starts this late, so the renderer starts in silence.
constexpr double kLeadSeconds = 0.5;
constexpr int kDrumChannel = 9;
constexpr int kVelocity = 100;
constexpr uint32_t kRate = 44100;
// The attack starts at the first value this loud (about -60 dB).
constexpr int kAttackThreshold = 33;
constexpr double kFadeSeconds = 0.15;
constexpr double kPeak = 0.9;

struct SAMPLE {
    std::string file;  // below the sound folder
    int note;
    double hold;  // seconds the key is held
    double keep;  // seconds of sound kept
};

struct BANK {
    int channel = 0;
    int program = 0;
    double slot = 0.0;  // seconds between two notes
    std::vector<SAMPLE> samples;
};

std::string Format(const char* format, ...) NOTARA_PRINTF(1, 2);
std::string Format(const char* format, ...) {
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Three octaves of recordings a minor third apart: every piano note is
// pitched up by at most two semitones.
BANK PianoBank() {
    static const char* const names[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};
    BANK bank{0, 0, 4.0, {}};
    for (int note = 24; note <= 96; note += 3) {
        bank.samples.push_back(
            {Format("Piano/Piano-%s%d.wav", names[note % 12], note / 12 - 1), note, 2.2, 2.6});
    }
    return bank;
}

// Every third fret of every string.
BANK StringBank(const char* name, int program, const std::vector<int>& openNotes) {
    BANK bank{0, program, 2.5, {}};
    for (size_t string = openNotes.size(); string >= 1; --string) {
        for (int fret = 0; fret <= 24; fret += 3) {
            bank.samples.push_back({Format("%s/%s_%zu-%2d.wav", name, name, string, fret),
                                    openNotes[string - 1] + fret, 1.3, 1.6});
        }
    }
    return bank;
}

BANK DrumBank() {
    BANK bank{kDrumChannel, 0, 3.0, {}};
    const struct {
        const char* file;
        int note;
        double keep;
    } pieces[] = {
        {"Snare", 38, 1.0},           {"Bass", 36, 1.0},
        {"HiHat Open", 46, 1.5},      {"HiHat Closed", 42, 0.6},
        {"HiHat Foot", 44, 0.6},      {"Ride", 51, 2.0},
        {"Ride Bell", 53, 2.0},       {"Crash High", 49, 2.5},
        {"Crash Medium", 57, 2.5},    {"Splash", 55, 2.0},
        {"Chinese", 52, 2.5},         {"Rack Tom High", 50, 1.2},
        {"Rack Tom Medium", 48, 1.2}, {"Rack Tom Low", 47, 1.2},
        {"Floor Tom High", 45, 1.4},  {"Floor Tom Medium", 43, 1.4},
        {"Floor Tom Low", 41, 1.4},
    };
    for (const auto& piece : pieces) {
        bank.samples.push_back({Format("Drums/%s.wav", piece.file), piece.note, 0.3, piece.keep});
    }
    return bank;
}

bool FindBank(const std::string& name, BANK& bank) {
    if (name == "piano") {
        bank = PianoBank();
    } else if (name == "guitar") {
        bank = StringBank("Clean Guitar", 27, {64, 59, 55, 50, 45, 40});
    } else if (name == "bass") {
        bank = StringBank("Finger Bass", 33, {43, 38, 33, 28});
    } else if (name == "drums") {
        bank = DrumBank();
    } else {
        return false;
    }
    return true;
}

bool WriteMidi(const BANK& bank, const char* path) {
    CMidiTrackWriter writer;
    writer.ProgramChange(0.0, bank.channel, bank.program);
    for (size_t i = 0; i < bank.samples.size(); ++i) {
        const SAMPLE& sample = bank.samples[i];
        const double start = i * bank.slot + kLeadSeconds;
        writer.NoteOn(start, bank.channel, sample.note, kVelocity);
        writer.NoteOff(start + sample.hold, bank.channel, sample.note);
    }
    if (!writer.Write(path, bank.slot)) {
        std::fprintf(stderr, "sample_maker: can't write %s\n", path);
        return false;
    }
    return true;
}

// The slot of one note, in mono, from its attack on.
std::vector<int16_t> CutNote(const CSoundInfo& rendering, const BANK& bank, size_t index,
                             double keep) {
    const int channels = rendering.format.channels;
    const size_t frames = rendering.GetSize() / rendering.format.blockAlign;
    const size_t first = static_cast<size_t>(index * bank.slot * kRate);
    const size_t end = std::min(frames, static_cast<size_t>((index + 1) * bank.slot * kRate));
    const int16_t* values = rendering.GetValues();
    std::vector<int16_t> mono;
    bool attacked = false;
    for (size_t frame = first; frame < end && mono.size() < keep * kRate; ++frame) {
        int sum = 0;
        for (int c = 0; c < channels; ++c) {
            sum += values[frame * channels + c];
        }
        const int value = sum / channels;
        attacked = attacked || std::abs(value) >= kAttackThreshold;
        if (attacked) {
            mono.push_back(static_cast<int16_t>(value));
        }
    }
    const size_t fade = std::min(mono.size(), static_cast<size_t>(kFadeSeconds * kRate));
    for (size_t i = 0; i < fade; ++i) {
        int16_t& value = mono[mono.size() - fade + i];
        value = static_cast<int16_t>(value * (1.0 - static_cast<double>(i + 1) / fade));
    }
    return mono;
}

bool CutBank(const BANK& bank, const char* renderingPath, const std::string& folder) {
    CSoundFile reader;
    CSoundInfo rendering;
    if (!reader.ReadInfo(renderingPath, rendering)) {
        std::fprintf(stderr, "sample_maker: can't read %s: %s\n", renderingPath, reader.GetError());
        return false;
    }
    if (rendering.format.bitsPerSample != 16 || rendering.format.samplesPerSecond != kRate) {
        std::fprintf(stderr, "sample_maker: %s is not 16-bit at 44100 Hz\n", renderingPath);
        return false;
    }
    for (size_t i = 0; i < bank.samples.size(); ++i) {
        const SAMPLE& sample = bank.samples[i];
        const std::vector<int16_t> mono = CutNote(rendering, bank, i, sample.keep);
        if (mono.empty()) {
            std::fprintf(stderr, "sample_maker: note %d of %s is silent\n", sample.note,
                         renderingPath);
            return false;
        }
        CSoundInfo sound;
        sound.format = WAVE_FORMAT::Pcm(1, kRate, 16);
        const auto* bytes = reinterpret_cast<const uint8_t*>(mono.data());
        sound.SetData(std::vector<uint8_t>(bytes, bytes + mono.size() * sizeof(int16_t)));
        CSampleOps::Normalise(sound, kPeak);
        CSoundFile writer;
        const std::string path = folder + "/" + sample.file;
        if (!writer.Save(path.c_str(), sound)) {
            std::fprintf(stderr, "sample_maker: can't write %s: %s\n", path.c_str(),
                         writer.GetError());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    BANK bank;
    if (argc >= 4 && FindBank(argv[2], bank)) {
        if (std::strcmp(argv[1], "midi") == 0 && argc == 4) {
            return WriteMidi(bank, argv[3]) ? 0 : 1;
        }
        if (std::strcmp(argv[1], "cut") == 0 && argc == 5) {
            return CutBank(bank, argv[3], argv[4]) ? 0 : 1;
        }
    }
    std::fprintf(stderr,
                 "usage: sample_maker midi <piano|guitar|bass|drums> <file.mid>\n"
                 "       sample_maker cut <piano|guitar|bass|drums> <rendered.wav> <folder>\n");
    return 2;
}
