#include "app/StartOptions.h"

#include <strings.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "foundation/StringBreaker.h"

const char* const kUsageText =
    "Usage: notara [options] [FILE]\n"
    "Note-reading trainer. FILE is a \".mid\" or \".Song\" file to open.\n"
    "\n"
    "Options:\n"
    "  --help                 show this text and exit\n"
    "  --screenshot FILE      save a PNG picture of the main window once it shows\n"
    "  --quit-after SECONDS   close the application after SECONDS seconds\n";

namespace {

bool ParseSeconds(const char* text, double& seconds) {
    errno = 0;
    char* end = nullptr;
    seconds = std::strtod(text, &end);
    return errno == 0 && end != text && *end == '\0' && std::isfinite(seconds) && seconds >= 0.0;
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
        } else if (IsOption(argument, "--screenshot")) {
            if (!TakeValue("--screenshot", argc, argv, i, value, error)) {
                return false;
            }
            options.screenshotPath = value;
        } else if (IsOption(argument, "--quit-after")) {
            if (!TakeValue("--quit-after", argc, argv, i, value, error)) {
                return false;
            }
            if (!ParseSeconds(value, options.quitAfterSeconds)) {
                error = std::string("Option --quit-after needs a number of seconds, not '") +
                        value + "'";
                return false;
            }
        } else {
            error = std::string("Unknown option '") + argument + "'";
            return false;
        }
    }
    return true;
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
    const char* dot = std::strrchr(commandLine, '.');
    const char* slash = std::strrchr(commandLine, '/');
    if (dot == nullptr || (slash != nullptr && slash > dot)) {
        return false;
    }
    if (std::strcmp(dot, ".mid") != 0 && std::strcmp(dot, ".Song") != 0) {
        return false;
    }
    path = commandLine;
    return true;
}
