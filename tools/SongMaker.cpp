// Writes a song document of the course as the MIDI song it opens as:
//   song_maker GROOVES_FOLDER SONG.Song OUT.mid
// The grooves folder holds "<style>/<name>.mid"; the song is written with
// its parts, chords and the default mix.
#include <cstdio>

#include "songio/Composition.h"
#include "songs/Mix.h"
#include "theory/NoteManager.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: song_maker GROOVES_FOLDER SONG.Song OUT.mid\n");
        return 2;
    }
    CNoteManager notes;
    if (!notes.Init()) {
        std::fprintf(stderr, "song_maker: %s\n", notes.GetError());
        return 1;
    }
    CComposition song(notes, nullptr);
    song.SetGroovesFolder(argv[1]);
    CMix mix;
    mix.SetDefaults();
    if (!song.Open(argv[2]) || !song.SaveMidi(argv[3], mix)) {
        std::fprintf(stderr, "song_maker: %s\n", song.GetError());
        return 1;
    }
    return 0;
}
