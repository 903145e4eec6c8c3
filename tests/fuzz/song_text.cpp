// The song document on arbitrary bytes read as a ".Song" text song, with a
// grooves folder that does not exist; a song that opens is rendered.

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
    static const std::string grooves = file.GetMissing("Grooves");
    CNoteManager* manager = GetManager();
    if (manager == nullptr || !file.Write(data, size)) {
        return 0;
    }
    CComposition composition(*manager, nullptr);
    composition.SetGroovesFolder(grooves.c_str());
    if (!composition.Open(file.GetPath())) {
        return 0;
    }
    CSong song;
    composition.Render(song, true);
    return 0;
}
