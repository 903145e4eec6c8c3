#include "platform/rtmidi/JackServer.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr const char* kNamePrefix = "notara-test-";
constexpr const char* kSharedMemory = "/dev/shm";

// The process id in a shared-memory entry of one of our servers, or 0.
pid_t OwnerOf(const std::string& entry) {
    const size_t at = entry.find(kNamePrefix);
    if (at == std::string::npos) {
        return 0;
    }
    return static_cast<pid_t>(std::atol(entry.c_str() + at + std::strlen(kNamePrefix)));
}

// Removes the shared-memory entries (semaphores of the server and its
// clients) that name server, or, with an empty name, those of our servers
// whose process is gone: a server killed with its test leaves them behind.
void RemoveSharedMemory(const std::string& server) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kSharedMemory, error)) {
        const std::string name = entry.path().filename().string();
        const pid_t owner = OwnerOf(name);
        const bool ours = !server.empty() && name.find(server) != std::string::npos;
        const bool stale = server.empty() && owner > 0 && kill(owner, 0) != 0 && errno == ESRCH;
        if (ours || stale) {
            std::filesystem::remove(entry.path(), error);
        }
    }
}

// True when a JACK server process of this machine runs.
bool AnyJackServerRuns() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        if (comm && std::getline(comm, name) && (name == "jackd" || name == "jackdbus")) {
            return true;
        }
    }
    return false;
}

// With no JACK server running, the shared-memory registry and the segments
// of servers that were killed only keep a new server from starting ("Too
// many servers already active"): they are removed. True when they were.
bool RemoveOrphanedRegistry() {
    if (AnyJackServerRuns()) {
        return false;
    }
    bool removed = false;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kSharedMemory, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("jack-", 0) == 0 || name.rfind("jack_", 0) == 0) {
            removed = std::filesystem::remove_all(entry.path(), error) > 0 || removed;
        }
    }
    return removed;
}

constexpr const char* kTooManyServers = "Too many servers already active";

}  // namespace

bool CJackServer::Start(std::string& reason, int periodFrames) {
    const std::string period = std::to_string(periodFrames);
    RemoveSharedMemory("");
    if (Launch(reason, period)) {
        return true;
    }
    // Killed servers may have left the registry full.
    return reason.find(kTooManyServers) != std::string::npos && RemoveOrphanedRegistry() &&
           Launch(reason, period);
}

bool CJackServer::Launch(std::string& reason, const std::string& period) {
    m_name = kNamePrefix + std::to_string(getpid());
    m_log = "/tmp/" + m_name + ".log";
    setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);
    setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
    // Quiet the library's complaints while the server is not up yet.
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    m_pid = fork();
    if (m_pid < 0) {
        reason = "fork failed";
        return false;
    }
    if (m_pid == 0) {
        // The server ends with the test that started it, however the test
        // ends: killed, crashed or timed out.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() == 1) {
            _exit(127);
        }
        const int log = open(m_log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (log >= 0) {
            dup2(log, 1);
            dup2(log, 2);
        }
        execlp("jackd", "jackd", "-n", m_name.c_str(), "-d", "dummy", "-r", "44100", "-p",
               period.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (IsRunning()) {
            return true;
        }
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            reason = "jackd ended at start: " + ReadLog();
            return false;
        }
        std::this_thread::sleep_for(100ms);
    }
    reason = "jackd did not answer within 5 s: " + ReadLog();
    Stop();
    return false;
}

void CJackServer::Stop() {
    if (m_pid <= 0) {
        return;
    }
    StopProcess();
    RemoveSharedMemory(m_name);
}

void CJackServer::StopProcess() {
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            unlink(m_log.c_str());
            return;
        }
        std::this_thread::sleep_for(100ms);
    }
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
    unlink(m_log.c_str());
}

CJackServer::~CJackServer() {
    Stop();
}

std::string CJackServer::ReadLog() const {
    std::ifstream file(m_log);
    std::stringstream text;
    text << file.rdbuf();
    std::string all = text.str();
    return all.size() > 400 ? all.substr(all.size() - 400) : all;
}

bool CJackServer::IsRunning() const {
    jack_status_t status;
    jack_client_t* client = jack_client_open(
        "notara-test-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName),
        &status, m_name.c_str());
    if (client == nullptr) {
        return false;
    }
    jack_client_close(client);
    return true;
}
