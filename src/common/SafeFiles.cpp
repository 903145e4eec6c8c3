#include "common/SafeFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>

namespace SafeFiles {

const char* const kNotRegularFile = "it is not a regular file";

namespace {

constexpr const char* kTemporaryMark = ".notara-save-";
constexpr const char* kTemporaryEnd = ".tmp";
constexpr const char* kTemporaryLockEnd = ".tmp.lock";
// Links followed before a save gives up and replaces the last one.
constexpr int kMaxLinks = 40;

// When this process started, to the second; files of saves older than this
// belong to processes that are gone.
const time_t g_processStart = time(nullptr);

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string TemporaryPrefix(const std::string& target) {
    return "." + NameOf(target) + kTemporaryMark;
}

bool EndsWith(const std::string& text, const char* end) {
    const size_t length = std::strlen(end);
    return text.size() >= length && text.compare(text.size() - length, length, end) == 0;
}

// The file a writer makes beside our temporary file before it renames it
// over ours: "<temporary>.tmp.XXXXXX", six letters or digits.
bool IsWritersTemporary(const std::string& name) {
    constexpr size_t kRandomLength = 6;
    const size_t dot = name.size() >= kRandomLength + 1 ? name.size() - kRandomLength - 1 : 0;
    if (dot == 0 || name[dot] != '.' || !EndsWith(name.substr(0, dot), kTemporaryEnd)) {
        return false;
    }
    for (size_t i = dot + 1; i < name.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) {
            return false;
        }
    }
    return true;
}

// tail is what follows the prefix: "<pid>-<random>.tmp[.lock]". A file is
// left over when the process that wrote it is gone, or when it is older than
// the running process; a save of this process is never one.
bool IsLeftOver(const std::string& tail, const struct stat& status) {
    char* end = nullptr;
    const long pid = std::strtol(tail.c_str(), &end, 10);
    if (end == tail.c_str() || *end != '-' || pid <= 0 || pid > INT_MAX) {
        return false;  // not a name this program gives
    }
    if (pid == getpid()) {
        return false;
    }
    const bool gone = kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
    return gone || status.st_mtime < g_processStart;
}

}  // namespace

int OpenForReading(const char* path, std::string& reason, bool* missing) {
    if (missing != nullptr) {
        *missing = false;
    }
    struct stat status {};
    if (path == nullptr || stat(path, &status) != 0) {
        const int error = path == nullptr ? EINVAL : errno;
        if (missing != nullptr) {
            *missing = error == ENOENT || error == ENOTDIR;
        }
        reason = std::strerror(error);
        return -1;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = kNotRegularFile;
        return -1;
    }
    // Swapped for a FIFO between the check and the open, the open still
    // does not wait for a writer.
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        reason = std::strerror(errno);
        return -1;
    }
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        reason = kNotRegularFile;
        close(fd);
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) {
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    return fd;
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat status {};
        if (lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current;
        }
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
        if (length <= 0) {
            return current;
        }
        const std::string next(target, static_cast<size_t>(length));
        current = next[0] == '/' ? next : FolderOf(current) + next;
    }
    return current;
}

bool MayReplace(const std::string& target, std::string& reason) {
    struct stat status {};
    if (stat(target.c_str(), &status) != 0) {
        return true;  // nothing there yet
    }
    if (S_ISDIR(status.st_mode)) {
        reason = "it is a folder";
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = kNotRegularFile;
        return false;
    }
    // A file its owner made read-only stays as it is, whoever runs this.
    const bool ownerWrites = status.st_uid == geteuid() && (status.st_mode & S_IWUSR) != 0;
    if (!ownerWrites && (status.st_uid == geteuid() || access(target.c_str(), W_OK) != 0)) {
        reason = "the file is read-only";
        return false;
    }
    return true;
}

std::string MakeTemporaryName(const std::string& target) {
    static std::random_device device;
    std::uniform_int_distribution<unsigned long> random;
    char tail[64];
    std::snprintf(tail, sizeof tail, "%d-%08lx%s", static_cast<int>(getpid()),
                  random(device) & 0xFFFFFFFFul, kTemporaryEnd);
    const std::string folder = FolderOf(target);
    return (folder == "." ? std::string() : folder) + TemporaryPrefix(target) + tail;
}

int RemoveLeftOvers(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = TemporaryPrefix(target);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        // The temporary file itself, or the lock file or temporary file a
        // writer keeps beside it.
        if (name.compare(0, prefix.size(), prefix) != 0 ||
            (!EndsWith(name, kTemporaryEnd) && !EndsWith(name, kTemporaryLockEnd) &&
             !IsWritersTemporary(name))) {
            continue;
        }
        const std::string path = (folder == "." ? std::string() : folder) + name;
        struct stat status {};
        if (lstat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            IsLeftOver(name.substr(prefix.size()), status) && unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    closedir(dir);
    return removed;
}

}  // namespace SafeFiles
