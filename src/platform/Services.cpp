#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/Clock.h"
#include "platform/DebugOutput.h"
#include "platform/MeshReader.h"

namespace {

class CStderrOutput : public IDebugOutput {
public:
    void Write(const char* text) override { std::fprintf(stderr, "%s\n", text ? text : ""); }
};

class CSystemClock : public IClock {
public:
    double GetSeconds() override {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    }
    LOCAL_TIME GetLocalTime() override {
        using namespace std::chrono;
        const auto now = system_clock::now();
        const time_t seconds = system_clock::to_time_t(now);
        const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
        struct tm broken {};
        localtime_r(&seconds, &broken);
        LOCAL_TIME t;
        t.year = broken.tm_year + 1900;
        t.month = broken.tm_mon + 1;
        t.day = broken.tm_mday;
        t.hour = broken.tm_hour;
        t.minute = broken.tm_min;
        t.second = broken.tm_sec;
        t.millisecond = static_cast<int>(ms);
        return t;
    }
};

CStderrOutput g_stderrOutput;
CSystemClock g_systemClock;
std::atomic<IDebugOutput*> g_debugOutput{&g_stderrOutput};
std::atomic<IClock*> g_clock{&g_systemClock};
std::atomic<IMeshReader*> g_meshReader{nullptr};

}  // namespace

namespace Platform {

void SetDebugOutput(IDebugOutput* output) {
    g_debugOutput = output != nullptr ? output : &g_stderrOutput;
}

void WriteDebugOutput(const char* text) {
    g_debugOutput.load()->Write(text);
}

void SetClock(IClock* clock) {
    g_clock = clock != nullptr ? clock : &g_systemClock;
}

IClock& GetClock() {
    return *g_clock.load();
}

void SetMeshReader(IMeshReader* reader) {
    g_meshReader = reader;
}

IMeshReader* GetMeshReader() {
    return g_meshReader.load();
}

}  // namespace Platform
