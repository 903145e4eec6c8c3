#include "foundation/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <string>

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

bool IsFolder(const char* path) {
    struct stat status {};
    return stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

// Creates one folder; one that exists already counts as made, anything else
// in the way (a file, a dangling link) does not.
bool MakeOneFolder(const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0) {
        return true;
    }
    const int error = errno;
    if (IsFolder(path.c_str())) {
        return true;
    }
    errno = error == EEXIST ? ENOTDIR : error;
    return false;
}

bool GetProgramPath(std::string& path) {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof buffer) {
        return false;
    }
    path.assign(buffer, static_cast<size_t>(length));
    return true;
}

}  // namespace

bool SplitPath(const char* path, FILE_INFO& info) {
    if (path == nullptr || std::strlen(path) >= PATH_MAX) {
        return false;
    }
    const std::string text(path);
    const size_t lastSeparator = text.find_last_of("/\\");
    const size_t nameStart = lastSeparator == std::string::npos ? 0 : lastSeparator + 1;
    const size_t dot = text.find_last_of('.');
    const size_t extensionStart = dot != std::string::npos && dot >= nameStart ? dot : text.size();

    info.drive.Empty();
    info.directory.AssignN(path, nameStart);
    info.folder.Format("%s%s", info.drive.GetText(), info.directory.GetText());
    info.name.AssignN(path + nameStart, extensionStart - nameStart);
    info.extension.Assign(path + extensionStart);
    info.isFile = info.flag2 = info.flag3 = 0;
    return true;
}

bool MakeDirectory(const char* path) {
    if (path == nullptr) {
        errno = EINVAL;
        return false;
    }
    CCharString text(path);
    text.ReplaceChar('\\', '/');
    std::string full;
    if (text.GetAt(0) != '/') {
        CCharString programFolder;
        if (!GetProgramFolder(programFolder)) {
            return false;
        }
        full = programFolder.Str();
    }
    full += '/';
    full += text.Str();

    // Walk the components, making each prefix in turn; empty components
    // ("a//b", the leading "/", trailing separators) are skipped.
    size_t end = 0;
    while ((end = full.find_first_not_of('/', end)) != std::string::npos) {
        end = full.find('/', end);
        const std::string prefix = full.substr(0, end);
        if (!MakeOneFolder(prefix)) {
            return false;
        }
    }
    return true;
}

bool MakeFileDirectory(const char* path) {
    FILE_INFO info;
    if (!SplitPath(path, info)) {
        errno = EINVAL;
        return false;
    }
    return MakeDirectory(info.folder);
}

CCharString ChangeExtension(const char* path, const char* newExtension) {
    FILE_INFO info;
    CCharString result;
    if (SplitPath(path, info)) {
        result.Format("%s%s%s", info.folder.GetText(), info.name.GetText(),
                      newExtension != nullptr ? newExtension : "");
    }
    return result;
}

namespace {
// Set by tests so that each process has data folders of its own.
std::string g_programFolder;
std::mutex g_programFolderLock;
}  // namespace

void SetProgramFolder(const char* folder) {
    std::lock_guard<std::mutex> lock(g_programFolderLock);
    g_programFolder = folder != nullptr ? folder : "";
}

bool GetProgramFolder(CCharString& folder) {
    {
        std::lock_guard<std::mutex> lock(g_programFolderLock);
        if (!g_programFolder.empty()) {
            folder = g_programFolder.c_str();
            return true;
        }
    }
    std::string path;
    FILE_INFO info;
    if (!GetProgramPath(path) || !SplitPath(path.c_str(), info)) {
        return false;
    }
    folder = info.folder;
    // The root folder "/" becomes "", so that folder + "/" + name still works.
    while (folder.GetLength() > 0 && IsSeparator(folder.GetAt(folder.GetLength() - 1))) {
        folder.AssignN(folder.GetText(), folder.GetLength() - 1);
    }
    return true;
}

bool GetProgramName(CCharString& name) {
    std::string path;
    FILE_INFO info;
    if (!GetProgramPath(path) || !SplitPath(path.c_str(), info)) {
        return false;
    }
    name = info.name;
    return true;
}
