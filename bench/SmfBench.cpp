// Times reading and writing the bytes of a MIDI file of 100,000 notes, best
// of several runs, and prints the figures in milliseconds.

#include "BestTime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "midi/SmfReader.h"
#include "midi/SmfWriter.h"

namespace {

constexpr int kNotes = 100000;
constexpr int kTracks = 4;
constexpr int kRuns = 10;
constexpr uint32_t kNoteSpacing = 60;
constexpr uint32_t kNoteLength = 50;
constexpr int kLowestNote = 36;
constexpr int kNoteRange = 60;
constexpr int kVelocityRange = 127;
constexpr int kTempoChanges = 50;
constexpr uint32_t kTempoSpacing = 48000;
constexpr uint32_t kFirstTempo = 400000;
constexpr uint32_t kTempoStep = 5000;

// A conductor track of tempo changes and kTracks tracks of notes, each note
// a note-on and a note-on with velocity 0.
SMF_FILE MakeFile() {
    SMF_FILE file;
    file.tracks.resize(kTracks + 1);
    for (int i = 0; i < kTempoChanges; ++i) {
        file.tracks[0].events.push_back(
            MakeSmfTempo(i * kTempoSpacing, kFirstTempo + i * kTempoStep));
    }
    for (int i = 0; i < kNotes; ++i) {
        const int channel = i % kTracks;
        SMF_TRACK& track = file.tracks[channel + 1];
        const uint32_t tick = static_cast<uint32_t>(i / kTracks) * kNoteSpacing;
        const auto note = static_cast<uint8_t>(kLowestNote + i % kNoteRange);
        const auto velocity = static_cast<uint8_t>(1 + i % kVelocityRange);
        track.events.push_back(MakeSmfNote(tick, channel, note, velocity));
        track.events.push_back(MakeSmfNote(tick + kNoteLength, channel, note, 0));
    }
    return file;
}

}  // namespace

int main() {
    const SMF_FILE file = MakeFile();
    CSmfWriter writer;
    std::vector<uint8_t> bytes;
    const double writeMs = BestMilliseconds(kRuns, [&] { return writer.Write(file, bytes); });
    if (writeMs < 0) {
        std::fprintf(stderr, "%s\n", writer.GetError());
        return 1;
    }
    CSmfReader reader;
    SMF_FILE read;
    const double readMs =
        BestMilliseconds(kRuns, [&] { return reader.Read(bytes, read, "bench"); });
    if (readMs < 0) {
        std::fprintf(stderr, "%s\n", reader.GetError());
        return 1;
    }
    std::printf("MIDI file of %d notes, %zu bytes, best of %d runs\n", kNotes, bytes.size(), kRuns);
    std::printf("write: %.2f ms\n", writeMs);
    std::printf("read:  %.2f ms\n", readMs);
    return 0;
}
