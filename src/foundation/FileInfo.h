#pragma once

#include <cstdint>

#include "foundation/CharString.h"

// A path split into its parts; also the element of folder scans.
struct FILE_INFO {
    CCharString drive;      // always empty on systems without drive letters
    CCharString directory;  // up to and including the last separator
    CCharString folder;     // drive followed by directory
    CCharString name;       // file name without its extension
    CCharString extension;  // from the last "." of the file name, dot included
    uint8_t isFile = 0;     // 1 for a file, 0 for a folder when a folder scan fills it
    uint8_t flag2 = 0;
    uint8_t flag3 = 0;
};
