#include "ui/LessonSettings.h"

#include <strings.h>

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "common/NumberFormat.h"

namespace {

// How many characters of a parameter a reason quotes.
constexpr size_t kQuoteChars = 60;
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDeleteChar = 0x7F;
constexpr unsigned char kUtf8FollowMask = 0xC0;
constexpr unsigned char kUtf8Follow = 0x80;

constexpr const char* kKeyNames[] = {
    "Scale",     "Octaves", "StartNote",   "EndNote",    "File",   "Root",       "Position",
    "FromNote",  "ToNote",  "Style",       "Groove",     "Tempo",  "NoteLength", "ChordProg",
    "Walk",      "Play",    "ChordNumber", "ChordGroup", "LookAt", "ShowNotes",  "Show",
    "NoteNames", "KeyMark", "KeyLetters",  "Notes",      "Mode",
};

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// text as a reason quotes it: at most kQuoteChars characters (UTF-8
// sequences kept whole), cut ones ending in "...", controls shown as '?'.
std::string Quoted(const std::string& text) {
    std::string quoted;
    size_t chars = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool follows = (byte & kUtf8FollowMask) == kUtf8Follow;
        if (!follows && chars++ == kQuoteChars) {
            return quoted + "...";
        }
        quoted += byte < kFirstPrintable || byte == kDeleteChar ? '?' : c;
    }
    return quoted;
}

bool FindKey(const char* name) {
    for (const char* key : kKeyNames) {
        if (strcasecmp(key, name) == 0) {
            return true;
        }
    }
    return false;
}

// Numbers are read as strtol and strtod read them in the C locale, whatever
// the process locale.
bool ParseInteger(const std::string& text, int& value, std::string& reason) {
    return NumberFormat::ParseInt(text, value, NumberFormat::kLikeStrtol, &reason);
}

bool ParseReal(const std::string& text, double& value, std::string& reason) {
    double number = 0.0;
    if (!NumberFormat::ParseDouble(text, number, NumberFormat::kLikeStrtod, &reason)) {
        return false;
    }
    if (!std::isfinite(number)) {
        reason.clear();
        return false;
    }
    value = number;
    return true;
}

// The field of the records that key fills.
// False with reason set when the value is a number that can't be read.
bool Store(const char* name, const std::string& value, LESSON_SETTINGS& lesson,
           DISPLAY_SETTINGS& display, std::string& reason) {
    const auto is = [name](const char* key) { return strcasecmp(name, key) == 0; };
    CCharString* text = is("Scale")        ? &lesson.scale
                        : is("File")       ? &lesson.file
                        : is("Root")       ? &lesson.root
                        : is("Style")      ? &lesson.style
                        : is("Groove")     ? &lesson.groove
                        : is("ChordProg")  ? &lesson.chordProg
                        : is("Walk")       ? &lesson.walk
                        : is("Play")       ? &lesson.play
                        : is("ChordGroup") ? &display.chordGroup
                        : is("LookAt")     ? &display.lookAt
                        : is("Show")       ? &display.show
                        : is("Mode")       ? &lesson.mode
                                           : nullptr;
    if (text != nullptr) {
        return text->Assign(value.c_str());
    }
    int* number = is("Octaves")       ? &lesson.octaves
                  : is("StartNote")   ? &lesson.startNote
                  : is("EndNote")     ? &lesson.endNote
                  : is("Position")    ? &lesson.position
                  : is("FromNote")    ? &lesson.fromNote
                  : is("ToNote")      ? &lesson.toNote
                  : is("NoteLength")  ? &lesson.noteLength
                  : is("ChordNumber") ? &display.chordNumber
                  : is("NoteNames")   ? &lesson.noteNames
                  : is("KeyMark")     ? &lesson.keyMark
                  : is("KeyLetters")  ? &lesson.keyLetters
                  : is("Notes")       ? &lesson.notes
                                      : nullptr;
    if (number != nullptr) {
        return ParseInteger(value, *number, reason);
    }
    if (is("Tempo")) {
        return ParseReal(value, lesson.tempo, reason);
    }
    if (is("ShowNotes")) {
        display.showNotes = value == "Y";
        display.showNotesGiven = true;
        return true;
    }
    return true;  // unknown keys are ignored
}

}  // namespace

LESSON_SETTINGS::LESSON_SETTINGS() : tempo(DBL_MAX) {}

bool IsKnownActionKey(const char* key) {
    return key != nullptr && FindKey(key);
}

bool ParseActionParameters(const char* text, LESSON_SETTINGS& lesson, DISPLAY_SETTINGS& display,
                           CCharString& error) {
    lesson = LESSON_SETTINGS();
    display = DISPLAY_SETTINGS();
    const std::string all = text != nullptr ? text : "";
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find('|', start);
        end = end == std::string::npos ? all.size() : end;
        const std::string pair = all.substr(start, end - start);
        start = end + 1;
        if (Trimmed(pair).empty()) {
            continue;
        }
        const size_t equals = pair.find('=');
        if (equals == std::string::npos) {
            error.Format("the action parameter '%s' can't be parsed: it has no \"=\"",
                         Quoted(Trimmed(pair)).c_str());
            return false;
        }
        const std::string key = Trimmed(pair.substr(0, equals));
        const std::string value = Trimmed(pair.substr(equals + 1));
        std::string reason;
        if (!Store(key.c_str(), value, lesson, display, reason)) {
            error.Format("the action parameter '%s' can't be parsed: '%s' is no value for it",
                         Quoted(key).c_str(), Quoted(value).c_str());
            if (reason.find(NumberFormat::kDecimalComma) != std::string::npos) {
                error.Append((" (" + reason + ")").c_str());
            }
            return false;
        }
    }
    return true;
}
