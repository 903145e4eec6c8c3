// The tutorial document display on arbitrary bytes, read as a document file
// (the byte-order mark, Latin-1 and NUL handling live in the file reader)
// and as text set directly; every action button's parameters are parsed.

#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzFile.h"
#include "ui/DocumentLine.h"
#include "ui/LessonSettings.h"
#include "ui/TextCtrl.h"

namespace {

void ParseButtons(const CTextCtrl& text) {
    for (int i = 0; i < text.GetButtonCount(); ++i) {
        LESSON_SETTINGS lesson;
        DISPLAY_SETTINGS display;
        CCharString error;
        ParseActionParameters(text.GetButtonParameters(i), lesson, display, error);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CFuzzFile file("Lesson.txt");
    if (!file.Write(data, size)) {
        return 0;
    }
    CTextCtrl text;
    if (text.LoadFile(file.GetPath())) {
        ParseButtons(text);
    }
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    text.SetText(bytes.c_str());
    ParseButtons(text);
    DOCUMENT_LINE line;
    line.Parse(bytes.c_str());
    return 0;
}
