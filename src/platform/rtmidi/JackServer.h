#pragma once

#include <sys/types.h>

#include <string>

// A JACK server of the process's own, on the dummy driver and under a name
// of its own, so that it neither needs nor disturbs a server that may be
// running; every JACK client of this process talks to it. For tests and
// benchmarks on machines without a sound card.
class CJackServer {
public:
    CJackServer() = default;
    CJackServer(const CJackServer&) = delete;
    CJackServer& operator=(const CJackServer&) = delete;
    ~CJackServer();

    // Starts jackd (44100 Hz, periodFrames a cycle) and waits up to 5 s for it to answer; false
    // with the reason (the server's own words) when it does not. Entries left in shared memory by
    // servers of ended processes are removed first; a registry that killed servers left full is
    // removed when no server runs, and the start is tried again.
    static constexpr int kPeriodFrames = 256;
    bool Start(std::string& reason, int periodFrames = kPeriodFrames);
    // Ends the server and removes its shared-memory entries.
    void Stop();
    // The end of the server's output, for failure messages.
    std::string ReadLog() const;
    const std::string& GetName() const { return m_name; }

private:
    // Starts jackd and waits for it; false with the reason.
    bool Launch(std::string& reason, const std::string& period);
    bool IsRunning() const;
    void StopProcess();

    std::string m_name;
    std::string m_log;
    pid_t m_pid = -1;
};
