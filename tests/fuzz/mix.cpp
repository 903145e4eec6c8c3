// The mix file reader on arbitrary bytes: each input becomes the process's
// one mix file. A mix that loads is saved and read back, which must give
// the same entries (levels to their two written decimals).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>

#include "FuzzFile.h"
#include "songs/Mix.h"

namespace {

// Levels are written with two decimals.
constexpr float kLevelStep = 0.006f;

bool SameEntries(const CMix& a, const CMix& b) {
    if (a.GetCount() != b.GetCount()) {
        return false;
    }
    for (const auto& [thing, entry] : a.GetEntries()) {
        const auto found = b.GetEntries().find(thing);
        if (found == b.GetEntries().end() ||
            std::fabs(found->second.volume - entry.volume) > kLevelStep ||
            std::fabs(found->second.pan - entry.pan) > kLevelStep ||
            found->second.soundFile.Str() != entry.soundFile.Str()) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CFuzzFile file("Fuzz.mix");
    static const std::string saved = file.GetMissing("Saved.mix");
    if (!file.Write(data, size)) {
        return 0;
    }
    CMix mix;
    if (!mix.Load(file.GetPath())) {
        if (*mix.GetError() == '\0' || mix.GetCount() != 0) {
            __builtin_trap();  // all or nothing, and a reason
        }
        return 0;
    }
    CMix again;
    if (mix.Save(saved.c_str()) && (!again.Load(saved.c_str()) || !SameEntries(mix, again))) {
        __builtin_trap();  // what was read must read back the same
    }
    return 0;
}
