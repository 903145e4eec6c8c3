// Writing and reading a song of 100,000 notes as a MIDI file with CMidiFile:
// a lead guitar with guitar values and a drum set. Prints the best of several
// runs of each, in milliseconds, and the file's size.
#include "BestTime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "songio/MidiFile.h"
#include "songs/Song.h"

namespace {

constexpr int kNotes = 100000;
constexpr int kRuns = 5;
constexpr double kNoteStep = 0.125;  // a sixteenth note at 120 beats per minute
constexpr int kDrumEvery = 4;        // one drum hit per four notes

void MakeSong(CSong& song) {
    song.m_info.secondsPerBeat = 0.5;
    song.m_info.tempo = 120.0;
    CTrack lead;
    lead.m_thing = THING_LEAD_GUITAR;
    lead.m_info.name = "Lead";
    CTrack drums;
    drums.m_thing = THING_DRUM_SET;
    drums.m_info.name = "Drums";
    const int drumNotes = kNotes / kDrumEvery;
    const int leadNotes = kNotes - drumNotes;
    lead.m_notes.SetCapacity(leadNotes);
    drums.m_notes.SetCapacity(drumNotes);
    for (int i = 0; i < kNotes; ++i) {
        CNote note;
        note.time = (i / kDrumEvery) * kNoteStep * kDrumEvery + (i % kDrumEvery) * kNoteStep;
        note.duration = kNoteStep;
        note.volume = 0.8f;
        if (i % kDrumEvery == 0) {
            note.thing = i % 8 == 0 ? THING_BASS_DRUM_1 : THING_SNARE_DRUM;
            drums.m_notes.Add(note);
        } else {
            note.midiNote = static_cast<uint8_t>(52 + i % 24);
            note.guitarString = 1 + i % 6;
            note.fret = i % 12;
            lead.m_notes.Add(note);
        }
    }
    song.AddTrack(lead);
    song.AddTrack(drums);
}

}  // namespace

int main() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "notara-midifile-bench.mid").string();
    CSong song;
    MakeSong(song);
    CMidiFile midi;
    const double write = BestMilliseconds(kRuns, [&] { return midi.Write(path.c_str(), song); });
    if (write < 0.0) {
        std::fprintf(stderr, "%s\n", midi.GetError());
        return 1;
    }
    int notes = 0;
    const double read = BestMilliseconds(kRuns, [&] {
        CSong read;
        const bool ok = midi.Read(path.c_str(), read);
        notes = 0;
        for (int i = 0; i < read.GetTrackCount(); ++i) {
            notes += read.GetTrack(i)->m_notes.GetCount();
        }
        return ok;
    });
    if (read < 0.0) {
        std::fprintf(stderr, "%s\n", midi.GetError());
        return 1;
    }
    std::printf(
        "MIDI file of %d notes, %ju bytes: write %.1f ms, read %.1f ms (%d notes read), "
        "best of %d runs\n",
        kNotes, static_cast<uintmax_t>(std::filesystem::file_size(path)), write, read, notes,
        kRuns);
    std::filesystem::remove(path);
    return notes == kNotes ? 0 : 1;
}
