// The song document on arbitrary bytes read as a ".Song" text song, with the
// shipped grooves that the program plays; a song that opens is rendered
// with its grooves, so the fuzzer reaches the rendering's loops.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzFile.h"
#include "songio/Composition.h"
#include "songs/Song.h"
#include "theory/NoteManager.h"

namespace {

// The note manager of every input, set up once.
CNoteManager* GetManager() {
    static CNoteManager manager;
    static const bool ready = manager.Init();
    return ready ? &manager : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CFuzzFile file("Fuzz.Song");
    CNoteManager* manager = GetManager();
    if (manager == nullptr || !file.Write(data, size)) {
        return 0;
    }
    CComposition composition(*manager, nullptr);
    composition.SetGroovesFolder(NOTARA_FUZZ_GROOVES);
    if (!composition.Open(file.GetPath())) {
        return 0;
    }
    CSong song;
    composition.Render(song, true);
    return 0;
}
