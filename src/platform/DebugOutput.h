#pragma once

// Where diagnostic lines go: stderr by default, a recorder in tests. Process
// wide, like a debugger's output window; callable from any thread.
class IDebugOutput {
public:
    virtual ~IDebugOutput() = default;
    // text is one line without its line feed.
    virtual void Write(const char* text) = 0;
};

namespace Platform {
// Installs output as the process's debug output (null restores stderr). The
// caller keeps output alive until it is replaced.
void SetDebugOutput(IDebugOutput* output);
void WriteDebugOutput(const char* text);
}  // namespace Platform
