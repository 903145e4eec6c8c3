// The action-button parameter parser on arbitrary text (cut at a NUL byte,
// as the document display hands it on).

#include <cstddef>
#include <cstdint>
#include <string>

#include "ui/LessonSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    LESSON_SETTINGS lesson;
    DISPLAY_SETTINGS display;
    CCharString error;
    if (!ParseActionParameters(text.c_str(), lesson, display, error) && error.IsEmpty()) {
        __builtin_trap();  // a refusal always tells why
    }
    IsKnownActionKey(text.c_str());
    return 0;
}
