#include "foundation/CrashReport.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <string>
#include <typeinfo>

#include "foundation/CrashData.h"
#include "foundation/Version.h"

extern char** environ;

namespace {

constexpr int kPathSize = 4096;
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
constexpr size_t kAltStackSize = 1 << 16;
constexpr long kPollNanoseconds = 10 * 1000 * 1000;
constexpr int kPollsPerSecond = 100;

char g_reportPath[kPathSize];
char g_reporter[kPathSize];
char g_profile[CRASH_DATA::kTextSize];
char g_exception[CRASH_DATA::kTextSize];
struct sigaction g_previous[kSignalCount];
bool g_installed = false;
std::terminate_handler g_previousTerminate = nullptr;
volatile sig_atomic_t g_inHandler = 0;
alignas(16) char g_altStack[kAltStackSize];

void CopyText(char* target, size_t size, const char* text) {
    size_t i = 0;
    for (; text != nullptr && text[i] != '\0' && i + 1 < size; ++i) {
        target[i] = text[i];
    }
    target[i] = '\0';
}

// A line built without allocating: texts and hexadecimal numbers.
class CLine {
public:
    CLine& Text(const char* text) {
        while (text != nullptr && *text != '\0' && m_length + 1 < sizeof m_buffer) {
            m_buffer[m_length++] = *text++;
        }
        return *this;
    }
    CLine& Hex(uint64_t value, int digits) {
        char digitsText[17];
        for (int i = digits - 1; i >= 0; --i) {
            digitsText[i] = "0123456789ABCDEF"[value & 0xF];
            value >>= 4;
        }
        digitsText[digits] = '\0';
        return Text(digitsText);
    }
    CLine& Decimal(uint64_t value) {
        char digitsText[21];
        int at = sizeof digitsText - 1;
        digitsText[at] = '\0';
        do {
            digitsText[--at] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0 && at > 0);
        return Text(digitsText + at);
    }
    void WriteTo(int fd) {
        Text("\n");
        ssize_t ignored = write(fd, m_buffer, m_length);
        (void)ignored;
        m_length = 0;
    }

private:
    char m_buffer[1024];
    size_t m_length = 0;
};

// The report when the reporter cannot add to it: the signal and the
// registers, with nothing the handler could not do safely.
void WriteShortReport(const CRASH_DATA& data) {
    const int fd = open(g_reportPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    const CRASH_NAME name = GetCrashName(data.signal, data.code);
    CLine line;
    line.Text("=====================================================").WriteTo(fd);
    line.Text("Unix time ").Hex(data.time, 16).WriteTo(fd);
    line.Text(CCrashReport::kVersionLabel).Text(data.version).WriteTo(fd);
    if (data.profile[0] != '\0') {
        line.Text(CCrashReport::kProfileLabel).Text(data.profile).WriteTo(fd);
    }
    line.Text("Exception code: ").Hex(name.code, 8).Text(" ").Text(name.name).WriteTo(fd);
    line.Text(name.description).WriteTo(fd);
    if (data.exception[0] != '\0') {
        line.Text("Uncaught exception: ").Text(data.exception).WriteTo(fd);
    }
    line.Text("Fault address:  ").Hex(data.address, 16).WriteTo(fd);
    if (data.sender != 0) {
        line.Text(CCrashReport::kSenderLabel)
            .Decimal(static_cast<uint64_t>(data.sender))
            .Text(" with kill: no fault of the program")
            .WriteTo(fd);
    }
    line.Text("(no call stack: the reporter could not run)").WriteTo(fd);
    close(fd);
}

bool RunReporter(const CRASH_DATA& data) {
    if (g_reporter[0] == '\0') {
        return false;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[0], STDIN_FILENO);
        char* const argv[] = {g_reporter, g_reportPath, nullptr};
        execve(g_reporter, argv, environ);
        _exit(127);
    }
    close(fds[0]);
    if (child < 0) {
        close(fds[1]);
        return false;
    }
    // The reporter may trace this process even where only parents may.
    prctl(PR_SET_PTRACER, child, 0, 0, 0);
    // A reporter that could not start leaves the pipe without a reader.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
    ssize_t ignored = write(fds[1], &data, sizeof data);
    (void)ignored;
    close(fds[1]);
    int status = 0;
    for (int polls = 0; polls < CCrashReport::kReporterSeconds * kPollsPerSecond; ++polls) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (done < 0 && errno != EINTR) {
            return false;
        }
        const timespec pause = {0, kPollNanoseconds};
        nanosleep(&pause, nullptr);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

void FillRegisters(CRASH_DATA& data, void* context) {
#if defined(__x86_64__)
    if (context != nullptr) {
        const auto* ucontext = static_cast<const ucontext_t*>(context);
        for (int i = 0; i < CRASH_DATA::kRegisters && i < NGREG; ++i) {
            data.registers[i] = static_cast<uint64_t>(ucontext->uc_mcontext.gregs[i]);
        }
        data.hasRegisters = 1;
        if (data.signal == SIGABRT || data.address == 0) {
            data.address = data.registers[REG_RIP];
        }
    }
#else
    (void)data;
    (void)context;
#endif
}

void OnFatalSignal(int signal, siginfo_t* info, void* context) {
    if (g_inHandler == 0) {
        g_inHandler = 1;
        CRASH_DATA data;
        data.signal = signal;
        data.code = info != nullptr ? info->si_code : 0;
        data.pid = static_cast<int32_t>(getpid());
        data.tid = static_cast<int32_t>(syscall(SYS_gettid));
        data.time = static_cast<uint64_t>(time(nullptr));
        // A signal sent with kill carries its sender, not a fault address.
        const bool sent = info != nullptr && info->si_code <= 0 && info->si_pid != data.pid;
        data.sender = sent ? static_cast<int32_t>(info->si_pid) : 0;
        const bool fault = signal != SIGABRT && info != nullptr && !sent;
        data.address = fault ? reinterpret_cast<uint64_t>(info->si_addr) : 0;
        FillRegisters(data, context);
        CopyText(data.exception, sizeof data.exception, g_exception);
        CopyText(data.profile, sizeof data.profile, g_profile);
        CopyText(data.version, sizeof data.version, GetVersionText());
        if (!RunReporter(data)) {
            WriteShortReport(data);
        }
    }
    // The default action ends the process as the system expects.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
    raise(signal);
}

// An exception nobody caught: its type and text go into the report of the
// abort that follows.
[[noreturn]] void OnTerminate() {
    const std::exception_ptr current = std::current_exception();
    if (current) {
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& exception) {
            std::string text = typeid(exception).name();
            text += ": ";
            text += exception.what();
            CopyText(g_exception, sizeof g_exception, text.c_str());
        } catch (...) {
            CopyText(g_exception, sizeof g_exception, "an exception of unknown type");
        }
    } else {
        CopyText(g_exception, sizeof g_exception, "std::terminate without an exception");
    }
    std::abort();
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool MayWriteIn(const std::string& folder) {
    return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

// A report can be appended to report: a regular file this user may write,
// or nothing yet in a folder this user may write. A folder, a FIFO or a
// link to a device in its place is no report.
bool MayAppendTo(const std::string& report) {
    struct stat status {};
    if (stat(report.c_str(), &status) != 0) {
        return errno == ENOENT && MayWriteIn(FolderOf(report));
    }
    return S_ISREG(status.st_mode) && access(report.c_str(), W_OK) == 0;
}

// How many reports of profile (or of no profile) the report file holds.
int CountReports(const std::string& report, const std::string& profile) {
    struct stat status {};
    if (stat(report.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return 0;
    }
    FILE* file = std::fopen(report.c_str(), "r");
    if (file == nullptr) {
        return 0;
    }
    const std::string label = CCrashReport::kProfileLabel;
    int count = 0;
    std::string owner;
    char buffer[kPathSize];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
        std::string line = buffer;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
        }
        if (line.compare(0, 5, "=====") == 0) {
            owner.clear();  // a report, or a section of one, begins
        } else if (line.compare(0, label.size(), label) == 0) {
            owner = line.substr(label.size());
        } else if (line.compare(0, 16, "Exception code: ") == 0 &&
                   (owner.empty() || owner == profile)) {
            ++count;
        }
    }
    std::fclose(file);
    return count;
}

}  // namespace

CRASH_NAME GetCrashName(int signal, int code) {
    switch (signal) {
        case SIGSEGV:
            return {0xC0000005, "ACCESS_VIOLATION", "Segmentation fault: invalid memory access"};
        case SIGBUS:
            return code == BUS_ADRALN
                       ? CRASH_NAME{0x80000002, "DATATYPE_MISALIGNMENT", "Bus error: misaligned"}
                       : CRASH_NAME{0xC0000006, "IN_PAGE_ERROR", "Bus error: no such memory"};
        case SIGFPE:
            switch (code) {
                case FPE_INTDIV:
                    return {0xC0000094, "INT_DIVIDE_BY_ZERO", "Integer divide by zero"};
                case FPE_INTOVF:
                    return {0xC0000095, "INT_OVERFLOW", "Integer overflow"};
                case FPE_FLTDIV:
                    return {0xC000008E, "FLT_DIVIDE_BY_ZERO", "Floating-point divide by zero"};
                case FPE_FLTOVF:
                    return {0xC0000091, "FLT_OVERFLOW", "Floating-point overflow"};
                case FPE_FLTUND:
                    return {0xC0000093, "FLT_UNDERFLOW", "Floating-point underflow"};
                case FPE_FLTRES:
                    return {0xC000008F, "FLT_INEXACT_RESULT", "Floating-point inexact result"};
                default:
                    return {0xC0000090, "FLT_INVALID_OPERATION", "Floating-point exception"};
            }
        case SIGILL:
            return code == ILL_PRVOPC
                       ? CRASH_NAME{0xC0000096, "PRIV_INSTRUCTION", "Privileged instruction"}
                       : CRASH_NAME{0xC000001D, "ILLEGAL_INSTRUCTION", "Illegal instruction"};
        case SIGABRT:
            return {0x40000015, "ABORT", "Aborted: the program ended itself"};
        default:
            return {static_cast<uint32_t>(signal), "SIGNAL", "Fatal signal"};
    }
}

std::string CCrashReport::MakeReportPath(const std::string& exePath) {
    const size_t slash = exePath.find_last_of('/');
    const size_t dot = exePath.find_last_of('.');
    const bool hasExtension = dot != std::string::npos &&
                              (slash == std::string::npos || dot > slash) &&
                              exePath.size() - dot - 1 >= 3;
    return (hasExtension ? exePath.substr(0, dot + 1) : exePath + ".") + kExtension;
}

bool CCrashReport::Install(const char* exePath, const char* reporter, const char* fallbackFolder) {
    std::string report = MakeReportPath(exePath != nullptr ? exePath : "notara");
    if (!MayAppendTo(report) && fallbackFolder != nullptr && *fallbackFolder != '\0') {
        mkdir(fallbackFolder, 0755);
        const size_t slash = report.find_last_of('/');
        report = std::string(fallbackFolder) + "/" +
                 (slash == std::string::npos ? report : report.substr(slash + 1));
    }
    if (report.size() >= kPathSize || (reporter != nullptr && std::strlen(reporter) >= kPathSize)) {
        return false;
    }
    CopyText(g_reportPath, sizeof g_reportPath, report.c_str());
    CopyText(g_reporter, sizeof g_reporter, reporter);
    if (g_installed) {
        return true;
    }
    // Its own stack, so that a stack overflow can still be reported.
    stack_t stack{};
    stack.ss_sp = g_altStack;
    stack.ss_size = sizeof g_altStack;
    sigaltstack(&stack, nullptr);
    struct sigaction action {};
    action.sa_sigaction = OnFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i) {
        sigaction(kSignals[i], &action, &g_previous[i]);
    }
    g_previousTerminate = std::set_terminate(OnTerminate);
    g_installed = true;
    return true;
}

void CCrashReport::Uninstall() {
    if (!g_installed) {
        return;
    }
    for (int i = 0; i < kSignalCount; ++i) {
        sigaction(kSignals[i], &g_previous[i], nullptr);
    }
    std::set_terminate(g_previousTerminate);
    g_installed = false;
}

std::string CCrashReport::GetReportPath() {
    return g_reportPath;
}

void CCrashReport::SetProfile(const char* folder) {
    CopyText(g_profile, sizeof g_profile, folder);
}

bool CCrashReport::TakeNewReport(std::string& path) {
    path = g_reportPath;
    if (path.empty()) {
        return false;
    }
    const std::string profile = g_profile;
    const int reports = CountReports(path, profile);
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string marker = profile.empty() ? path + ".seen" : profile + "/" + name + ".seen";
    int seen = 0;
    if (FILE* file = std::fopen(marker.c_str(), "r")) {
        if (std::fscanf(file, "%d", &seen) != 1) {
            seen = 0;
        }
        std::fclose(file);
    }
    if (reports == seen) {
        return false;
    }
    // A report file that was emptied or replaced starts the count again.
    if (FILE* file = std::fopen(marker.c_str(), "w")) {
        std::fprintf(file, "%d\n", reports);
        std::fclose(file);
    }
    return reports > seen;
}
