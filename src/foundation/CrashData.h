#pragma once

#include <cstdint>

// What the crash handler hands the reporter program through a pipe: the
// signal, where it struck and the faulting thread's registers. Plain data,
// written with one write() from the signal handler.
struct CRASH_DATA {
    static constexpr uint32_t kMagic = 0x4E435244;  // marks a record of this layout
    static constexpr int kRegisters = 23;           // the general registers of the context
    static constexpr int kTextSize = 512;
    static constexpr int kVersionSize = 32;

    uint32_t magic = kMagic;
    int32_t signal = 0;
    int32_t code = 0;  // the signal's si_code
    int32_t pid = 0;
    int32_t tid = 0;
    uint64_t address = 0;  // the fault address, or the instruction for a raised signal
    uint64_t time = 0;     // Unix seconds
    uint64_t registers[kRegisters] = {};
    int32_t hasRegisters = 0;
    char exception[kTextSize] = {};   // an uncaught exception's type and text
    int32_t sender = 0;               // the process that sent the signal (kill), or 0
    char profile[kTextSize] = {};     // the settings folder of the run that crashed
    char version[kVersionSize] = {};  // the version of the program that crashed
};

// The names a crash report gives a signal, as the codes of the report's
// table name them; description is the system's words for it.
struct CRASH_NAME {
    uint32_t code;
    const char* name;
    const char* description;
};

// The code and names of signal with its si_code.
CRASH_NAME GetCrashName(int signal, int code);
