#include "platform/assimp/ReaderProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr char kAnswerOk = 'K';
constexpr char kAnswerError = 'E';
constexpr size_t kReadBlock = 1u << 16;
constexpr int kChildFailure = 125;  // the child could not even answer
// Signals whose handlers (a crash report among them) must not run in the child.
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS,  SIGFPE, SIGILL,
                                 SIGABRT, SIGTRAP, SIGSYS, SIGXCPU};

bool WriteAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// The address space the process has now, from /proc; 0 when unknown.
size_t CurrentAddressSpace() {
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) {
        return 0;
    }
    unsigned long pages = 0;
    const bool read = std::fscanf(statm, "%lu", &pages) == 1;
    std::fclose(statm);
    return read ? pages * static_cast<size_t>(sysconf(_SC_PAGESIZE)) : 0;
}

void SetLimit(int resource, rlim_t value) {
    rlimit limit{value, value};
    setrlimit(resource, &limit);
}

}  // namespace

void CReaderProcess::RunChild(const Work& work, const LIMITS& limits, int output) {
    // The child ends with its parent, quietly: no core file, no crash report.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    for (int signal : kFatalSignals) {
        ::signal(signal, SIG_DFL);
    }
    ::signal(SIGPIPE, SIG_IGN);
    SetLimit(RLIMIT_CORE, 0);
    SetLimit(RLIMIT_CPU, static_cast<rlim_t>(limits.seconds) + 1);
    // Room for the reader above what the copy of the caller holds (the
    // sanitizers' reserved shadow included).
    const size_t now = CurrentAddressSpace();
    if (now > 0) {
        SetLimit(RLIMIT_AS, static_cast<rlim_t>(now + limits.memory));
    }
    std::vector<uint8_t> result;
    std::string error;
    bool ok = false;
    try {
        ok = work(result, error);
    } catch (const std::bad_alloc&) {
        error = kNoMemory;
    } catch (const std::exception& exception) {
        error = exception.what();
    } catch (...) {
        error = "the reader failed";
    }
    const char status = ok ? kAnswerOk : kAnswerError;
    const bool sent =
        WriteAll(output, &status, 1) && (ok ? WriteAll(output, result.data(), result.size())
                                            : WriteAll(output, error.data(), error.size()));
    close(output);
    _exit(sent ? 0 : kChildFailure);
}

bool CReaderProcess::Run(const Work& work, const LIMITS& limits, std::vector<uint8_t>& result,
                         std::string& error) {
    result.clear();
    int pipeEnds[2] = {-1, -1};
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = std::string("can't start the reader: ") + std::strerror(errno);
        return false;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::string("can't start the reader: ") + std::strerror(errno);
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return false;
    }
    if (pid == 0) {
        close(pipeEnds[0]);
        RunChild(work, limits, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    std::vector<uint8_t> answer;
    std::string failure;
    const bool answered = ReadAnswer(pipeEnds[0], pid, limits, answer, failure);
    close(pipeEnds[0]);
    if (!WaitForChild(pid, answered, failure)) {
        error = failure;
        return false;
    }
    if (answer.empty() || (answer[0] != kAnswerOk && answer[0] != kAnswerError)) {
        error = "the reader gave no answer";
        return false;
    }
    if (answer[0] == kAnswerError) {
        error.assign(answer.begin() + 1, answer.end());
        if (error.empty()) {
            error = "the reader failed";
        }
        return false;
    }
    result.assign(answer.begin() + 1, answer.end());
    return true;
}

bool CReaderProcess::ReadAnswer(int input, int pid, const LIMITS& limits,
                                std::vector<uint8_t>& answer, std::string& error) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limits.seconds);
    uint8_t block[kReadBlock];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            kill(pid, SIGKILL);
            error = "the reader took longer than " + std::to_string(limits.seconds) + " seconds";
            return false;
        }
        pollfd waiting{input, POLLIN, 0};
        const int ready = poll(&waiting, 1, static_cast<int>(left));
        if (ready < 0 && errno != EINTR) {
            kill(pid, SIGKILL);
            error = std::string("can't hear the reader: ") + std::strerror(errno);
            return false;
        }
        if (ready <= 0) {
            continue;
        }
        const ssize_t got = read(input, block, sizeof block);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (got < 0) {
            kill(pid, SIGKILL);
            error = std::string("can't hear the reader: ") + std::strerror(errno);
            return false;
        }
        if (got == 0) {
            return true;
        }
        if (answer.size() + static_cast<size_t>(got) > limits.resultSize + 1) {
            kill(pid, SIGKILL);
            error = "the reader's answer is larger than " +
                    std::to_string(limits.resultSize >> 20) + " MB";
            return false;
        }
        answer.insert(answer.end(), block, block + got);
    }
}

bool CReaderProcess::WaitForChild(int pid, bool answered, std::string& error) {
    int status = 0;
    pid_t waited = -1;
    do {
        waited = waitpid(pid, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (!answered) {
        return false;  // error already says why
    }
    if (waited < 0) {
        return true;  // reaped elsewhere: the whole answer came through the pipe
    }
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        error = "the reader stopped on signal " + std::to_string(signal) + " (" +
                strsignal(signal) + ")";
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "the reader failed with exit code " +
                std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        return false;
    }
    return true;
}
