#include "foundation/LogFile.h"

#include <cstdarg>

#include "foundation/Paths.h"
#include "platform/DebugOutput.h"

bool CLogFile::Open(const char* folder, const char* suffix) {
    if (IsOpen()) {
        return true;
    }
    m_folder = folder;
    m_suffix = suffix;
    CCharString programFolder, programName, text;
    if (!GetProgramFolder(programFolder) || !GetProgramName(programName)) {
        SetError(text.Format("Can't split path '%s'", "/proc/self/exe"));
        return false;
    }
    CCharString path;
    if (!m_suffix.IsEmpty()) {
        path.Format("%s/%s %s.%s", programFolder.GetText(), programName.GetText(),
                    m_suffix.GetText(), "log");
    } else {
        path.Format("%s/%s.%s", programFolder.GetText(), programName.GetText(), "log");
    }
    if (!m_folder.IsEmpty() && !MakeDirectory(m_folder)) {
        SetError(text.Format("Can't create directory '%s'", m_folder.GetText()));
        return false;
    }
    return CDiskFile::Open(path, false, true, false);
}

bool CLogFile::OpenPath(const char* path) {
    if (IsOpen()) {
        return true;
    }
    CCharString text;
    if (path == nullptr || !MakeFolderOf(path)) {
        SetError(text.Format("Can't create directory of '%s'", path != nullptr ? path : ""));
        return false;
    }
    return CDiskFile::Open(path, false, true, false);
}

bool CLogFile::Printf(const char* format, ...) {
    CCharString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    Platform::WriteDebugOutput(text);
    return WriteLine(text, true);
}
