#include "app/StartOptions.h"

#include <strings.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

#include "common/NumberFormat.h"
#include "foundation/StringBreaker.h"
#include "foundation/Version.h"

const char* const kUsageText =
    "Usage: notara [options] [FILE]\n"
    "Note-reading trainer. FILE is a \".mid\" or \".Song\" file to open.\n"
    "\n"
    "Options:\n"
    "  --help                 show this text and exit\n"
    "  --version              show the version and exit\n"
    "  --screenshot FILE      save a PNG picture of the main window once it shows\n"
    "  --quit-after SECONDS   close the application after SECONDS seconds (0 to 86400)\n";

const char* const kGrooveUsageText =
    "Usage: rumblo [options] [FILE]\n"
    "Groove and song editor. FILE is a \".Song\" or \".mid\" file to open.\n"
    "\n"
    "Options:\n"
    "  --help                 show this text and exit\n"
    "  --version              show the version and exit\n"
    "  --screenshot FILE      save a PNG picture of the main window once it shows\n"
    "  --quit-after SECONDS   close the application after SECONDS seconds (0 to 86400)\n";

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDeleteChar = 0x7F;
constexpr const char* kCutMark = "...";
// The lead bytes of UTF-8 sequences of 2, 3 and 4 bytes, the masks that
// tell them, and the bytes that follow a lead.
constexpr unsigned char kUtf8Follow = 0x80;
constexpr unsigned char kUtf8FollowMask = 0xC0;
constexpr unsigned char kUtf8Lead2 = 0xC0;
constexpr unsigned char kUtf8Mask2 = 0xE0;
constexpr unsigned char kUtf8Lead3 = 0xE0;
constexpr unsigned char kUtf8Mask3 = 0xF0;
constexpr unsigned char kUtf8Lead4 = 0xF0;
constexpr unsigned char kUtf8Mask4 = 0xF8;

// A plain decimal number (digits with at most one point among them, no
// sign, exponent, hex digits or words such as "inf"), read with a point
// whatever the locale Qt sets.
bool ParseSeconds(const char* text, double& seconds) {
    double parsed = 0.0;
    if (!NumberFormat::ParseDouble(text, parsed, NumberFormat::kPlainDecimal) ||
        parsed > kMaxQuitAfterSeconds) {
        return false;
    }
    seconds = parsed;
    return true;
}

// The length of the UTF-8 sequence at text, 0 when it is not a whole one.
size_t SequenceLength(const char* text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead >= kUtf8Follow && lead < kUtf8Lead2) {
        return 0;  // a following byte without its lead
    }
    const size_t length = lead < kUtf8Lead2                   ? 1
                          : (lead & kUtf8Mask2) == kUtf8Lead2 ? 2
                          : (lead & kUtf8Mask3) == kUtf8Lead3 ? 3
                          : (lead & kUtf8Mask4) == kUtf8Lead4 ? 4
                                                              : 0;
    for (size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & kUtf8FollowMask) != kUtf8Follow) {
            return 0;
        }
    }
    return length;
}

// Takes the value of an option given as "--name VALUE" or "--name=VALUE".
bool TakeValue(const char* name, int argc, const char* const* argv, int& i, const char*& value,
               std::string& error) {
    const char* argument = argv[i];
    const size_t length = std::strlen(name);
    if (argument[length] == '=') {
        value = argument + length + 1;
        return true;
    }
    if (i + 1 >= argc) {
        error = std::string("Option ") + name + " needs a value";
        return false;
    }
    value = argv[++i];
    return true;
}

bool IsOption(const char* argument, const char* name) {
    const size_t length = std::strlen(name);
    return std::strncmp(argument, name, length) == 0 &&
           (argument[length] == '\0' || argument[length] == '=');
}

}  // namespace

bool ParseStartOptions(int argc, const char* const* argv, START_OPTIONS& options,
                       std::string& error) {
    bool onlyWords = false;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        const char* value = nullptr;
        if (onlyWords || argument[0] != '-' || argument[1] == '\0') {
            if (!options.commandLine.empty()) {
                options.commandLine += ' ';
            }
            options.commandLine += argument;
        } else if (std::strcmp(argument, "--") == 0) {
            onlyWords = true;
        } else if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            options.showHelp = true;
        } else if (std::strcmp(argument, "--version") == 0) {
            options.showVersion = true;
        } else if (IsOption(argument, "--screenshot")) {
            if (!TakeValue("--screenshot", argc, argv, i, value, error)) {
                return false;
            }
            if (*value == '\0') {
                error = "Option --screenshot needs a file name";
                return false;
            }
            options.screenshotPath = value;
        } else if (IsOption(argument, "--quit-after")) {
            if (!TakeValue("--quit-after", argc, argv, i, value, error)) {
                return false;
            }
            if (!ParseSeconds(value, options.quitAfterSeconds)) {
                error = "Option --quit-after needs a number of seconds from 0 to " +
                        std::to_string(static_cast<int>(kMaxQuitAfterSeconds)) + ", not '" +
                        CutForMessage(value) + "'";
                return false;
            }
        } else {
            error = "Unknown option '" + CutForMessage(argument) + "'";
            return false;
        }
    }
    return true;
}

std::string MakeVersionText(const char* name) {
    return std::string(name != nullptr ? name : "") + " " + GetVersionText() + "\n";
}

int ToMilliseconds(double seconds) {
    const double milliseconds = std::round(seconds * kMillisecondsPerSecond);
    if (!(milliseconds > 0.0)) {
        return 0;  // also not a number
    }
    if (milliseconds >= static_cast<double>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(milliseconds);
}

std::string CutForMessage(const char* text, size_t maxChars) {
    std::string cut;
    if (text == nullptr) {
        return cut;
    }
    const char* at = text;
    for (size_t chars = 0; *at != '\0' && chars < maxChars; ++chars) {
        const auto lead = static_cast<unsigned char>(*at);
        const size_t length = SequenceLength(at);
        if (length == 0 || lead < kFirstPrintable || lead == kDeleteChar) {
            cut += '?';  // a control character or a broken sequence
            ++at;
        } else {
            cut.append(at, length);
            at += length;
        }
    }
    if (*at != '\0') {
        cut += kCutMark;
    }
    return cut;
}

bool FindCommandLineSong(const char* commandLine, CCharString& path) {
    path.Empty();
    if (commandLine == nullptr || *commandLine == '\0') {
        return false;
    }
    CStringBreaker words(commandLine);
    const char* first = words.Next(" ", CStringBreaker::kDelimiterRun);
    if (first == nullptr || strcasecmp(first, "SomeCommand") == 0) {
        return false;
    }
    path = commandLine;
    return true;
}

CCharString GetSongOpenError(const char* path) {
    const char* reason = nullptr;  // none: a MIDI file to read
    struct stat info {};
    const char* dot = std::strrchr(path, '.');
    const char* slash = std::strrchr(path, '/');
    const bool songName = dot != nullptr && (slash == nullptr || slash < dot) &&
                          (std::strcmp(dot, ".mid") == 0 || std::strcmp(dot, ".Song") == 0);
    if (stat(path, &info) != 0) {
        reason =
            errno == ENOENT || errno == ENOTDIR ? "the file does not exist" : std::strerror(errno);
    } else if (S_ISDIR(info.st_mode)) {
        reason = "it is a folder, not a file";
    } else if (!S_ISREG(info.st_mode)) {
        reason = "it is not a file";  // a FIFO, a device or a socket
    } else if (!songName) {
        reason = "the file is not a song (\".mid\" or \".Song\")";
    }
    CCharString error;
    if (reason == nullptr) {
        return error;
    }
    error.Format("Can't open song (%s): %s", CutForMessage(path).c_str(), reason);
    return error;
}
