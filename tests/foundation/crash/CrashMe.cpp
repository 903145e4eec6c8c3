// Crashes on purpose in the way its argument names, with the crash report
// installed, so that a test can read the report it leaves.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "foundation/CrashReport.h"

int g_crashCount = 7;                    // a global the report shows
const char* g_crashName = "crash test";  // and one it shows as text

namespace {

volatile int g_zero = 0;

__attribute__((noinline)) int CrashByNullPointer(int depth) {
    int* volatile nowhere = nullptr;
    const int local = depth + 1;
    return *nowhere + local;
}

__attribute__((noinline)) int CrashByDivision(int numerator) {
    return numerator / g_zero;
}

__attribute__((noinline)) void CrashByAbort() {
    std::abort();
}

__attribute__((noinline)) void CrashByException() {
    throw std::runtime_error("nobody catches this");
}

__attribute__((noinline)) void CrashInWorker() {
    std::thread worker([] { CrashByNullPointer(3); });
    worker.join();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: crash_me REPORTER null|divide|abort|throw|thread|wait\n");
        return 2;
    }
    char exe[4096] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) < 0 ||
        !CCrashReport::Install(exe, argv[1], nullptr)) {
        return 3;
    }
    CCrashReport::SetProfile("/home/learner/.config/Cadenzor");
    const std::string how = argv[2];
    if (how == "null") {
        return CrashByNullPointer(g_crashCount);
    }
    if (how == "divide") {
        return CrashByDivision(g_crashCount);
    }
    if (how == "abort") {
        CrashByAbort();
    }
    if (how == "throw") {
        CrashByException();
    }
    if (how == "thread") {
        CrashInWorker();
    }
    if (how == "wait") {
        // Another process sends the fatal signal.
        std::puts("waiting");
        std::fflush(stdout);
        pause();
    }
    return 4;
}
