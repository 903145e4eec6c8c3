#include "foundation/ErrorReport.h"

#include <atomic>

#include "foundation/LogFile.h"
#include "platform/DebugOutput.h"

namespace {
std::atomic<CLogFile*> g_errorLog{nullptr};
}  // namespace

bool ReportError(const char* source, int line, const char* format, ...) {
    CCharString message;
    va_list args;
    va_start(args, format);
    message.FormatV(format, args);
    va_end(args);
    CCharString text;
    text.Format("######### ERROR (%s %d): %s", source ? source : "", line, message.GetText());
    Platform::WriteDebugOutput(text);
    if (CLogFile* log = g_errorLog.load()) {
        log->WriteLine(text, true);
    }
    return true;
}

bool FailWith(CCharString& error, const char* source, int line, const char* format, ...) {
    va_list args;
    va_start(args, format);
    FailWithV(error, source, line, format, args);
    va_end(args);
    return false;
}

bool FailWithV(CCharString& error, const char* source, int line, const char* format, va_list args) {
    error.FormatV(format, args);
    ReportError(source, line, "%s", error.GetText());
    return false;
}

void WriteTraceLine(const char* text) {
    if (CLogFile* log = g_errorLog.load()) {
        log->WriteLine(text, true);
    }
}

void SetErrorLog(CLogFile* log) {
    g_errorLog = log;
}

CLogFile* GetErrorLog() {
    return g_errorLog.load();
}
