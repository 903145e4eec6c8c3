// Writing and reading a song of 100,000 notes as a MIDI file with CMidiFile:
// a lead guitar with guitar values and a drum set. On the same file it also
// times the byte layer alone (CSmfReader walking every event, CSmfWriter
// writing the events read), so the song conversion's cost shows against it.
// Prints the best of several runs of each, in milliseconds, the file's size,
// the size of a note and the heap bytes each read note takes.
#include "BestTime.h"

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "midi/SmfReader.h"
#include "midi/SmfWriter.h"
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

int CountNotes(const CSong& song) {
    int notes = 0;
    for (int i = 0; i < song.GetTrackCount(); ++i) {
        notes += song.GetTrack(i)->m_notes.GetCount();
    }
    return notes;
}

// Every event's bytes touched once, as a reader of the events would.
size_t WalkEvents(const SMF_FILE& file) {
    size_t sum = 0;
    for (const SMF_TRACK& track : file.tracks) {
        for (const SMF_EVENT& event : track.events) {
            sum += event.tick + event.status + event.data1 + event.data2 + event.data.size();
        }
    }
    return sum;
}

// Small blocks and the large ones malloc maps on their own.
size_t HeapBytesInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Reads the file once more and keeps the song, to measure its heap use.
void PrintNoteHeap(CMidiFile& midi, const std::string& path) {
    const size_t before = HeapBytesInUse();
    CSong song;
    if (!midi.Read(path.c_str(), song)) {
        return;
    }
    const size_t after = HeapBytesInUse();
    const int notes = CountNotes(song);
    std::printf("sizeof(CNote) %zu bytes, heap %.1f bytes per note read\n", sizeof(CNote),
                notes > 0 ? static_cast<double>(after - before) / notes : 0.0);
}

}  // namespace

int main() {
    const std::string path =
        (std::filesystem::temp_directory_path() / "notara-midifile-bench.mid").string();
    const std::string bytePath =
        (std::filesystem::temp_directory_path() / "notara-midifile-bench-bytes.mid").string();
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
        notes = CountNotes(read);
        return ok;
    });
    if (read < 0.0) {
        std::fprintf(stderr, "%s\n", midi.GetError());
        return 1;
    }
    CSmfReader reader;
    SMF_FILE file;
    size_t walked = 0;
    const double byteRead = BestMilliseconds(kRuns, [&] {
        file = SMF_FILE();
        const bool ok = reader.ReadFile(path.c_str(), file);
        walked += WalkEvents(file);
        return ok;
    });
    CSmfWriter writer;
    const double byteWrite =
        BestMilliseconds(kRuns, [&] { return writer.WriteFile(file, bytePath.c_str()); });
    if (byteRead < 0.0 || byteWrite < 0.0 || walked == 0) {
        std::fprintf(stderr, "%s%s\n", reader.GetError(), writer.GetError());
        return 1;
    }
    std::printf(
        "MIDI file of %d notes, %ju bytes: write %.1f ms, read %.1f ms (%d notes read), "
        "best of %d runs\n",
        kNotes, static_cast<uintmax_t>(std::filesystem::file_size(path)), write, read, notes,
        kRuns);
    std::printf("byte layer read %.0f ms\n", byteRead);
    std::printf("byte layer write %.0f ms\n", byteWrite);
    PrintNoteHeap(midi, path);
    std::filesystem::remove(path);
    std::filesystem::remove(bytePath);
    return notes == kNotes ? 0 : 1;
}
