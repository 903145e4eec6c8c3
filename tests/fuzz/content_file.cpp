// The content file reader on arbitrary bytes: it reads only paths, so each
// input becomes the process's one content file.

#include <cstddef>
#include <cstdint>

#include "FuzzFile.h"
#include "app/ContentFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CFuzzFile file("Content.txt");
    if (!file.Write(data, size)) {
        return 0;
    }
    CContentFile content;
    if (content.Load(file.GetPath())) {
        content.GetShownIndex(static_cast<int>(size));
    } else if (!content.GetEntries().empty() || *content.GetError() == '\0') {
        __builtin_trap();  // a failed load is empty and tells why
    }
    return 0;
}
