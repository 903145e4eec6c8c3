// The MIDI file path on arbitrary bytes: the Standard MIDI File reader, the
// conversion into a song and the melody of the file.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/SmfReader.h"
#include "songio/Melody.h"
#include "songio/MidiFile.h"
#include "songs/Song.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    CSmfReader reader;
    SMF_FILE file;
    if (!reader.Read(bytes, file, "fuzz.mid")) {
        return 0;
    }
    CMidiFile midi;
    CSong song;
    midi.ReadSmf(file, song);
    CMelody melody;
    melody.Take(file);
    return 0;
}
