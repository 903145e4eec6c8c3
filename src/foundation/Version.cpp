#include "foundation/Version.h"

// The build defines it for this file alone, so that a new version compiles
// this file again and nothing else.
#ifndef NOTARA_VERSION
#error "NOTARA_VERSION must be set by the build"
#endif

const char* GetVersionText() {
    return NOTARA_VERSION;
}
