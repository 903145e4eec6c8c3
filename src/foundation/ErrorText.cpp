#include "foundation/ErrorText.h"

#include <cstring>

namespace {

// strerror_r comes in two shapes: the XSI one returns 0 and fills buffer, the
// GNU one returns the text (which may or may not be buffer). Overloading on
// the return type picks whichever the C library declares.
[[maybe_unused]] const char* PickText(int result, const char* buffer) {
    return result == 0 ? buffer : nullptr;
}
[[maybe_unused]] const char* PickText(const char* result, const char*) {
    return result;
}

}  // namespace

bool GetErrorText(int code, CCharString& text) {
    char buffer[256] = {};
    const char* description = PickText(strerror_r(code, buffer, sizeof buffer), buffer);
    // glibc answers unknown codes with "Unknown error <code>" instead of failing.
    if (description == nullptr || *description == '\0' ||
        std::strncmp(description, "Unknown error", 13) == 0) {
        text.Format("Unknown error %d", code);
        return false;
    }
    return text.Assign(description);
}
