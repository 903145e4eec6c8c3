#include "common/SafeSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "common/SafeFiles.h"

namespace {

// Permission bits a file keeps when it is replaced.
constexpr mode_t kPermissionBits = 07777;
// The group and other bits, dropped for files saved for their owner only.
constexpr mode_t kOthersBits = 0077;

std::atomic<CSafeSave::WriteFunction> g_write{nullptr};

ssize_t WriteSome(int fd, const void* data, size_t size) {
    const CSafeSave::WriteFunction function = g_write.load();
    return function != nullptr ? function(fd, data, size) : ::write(fd, data, size);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Makes folder and the folders above it that are missing.
bool MakeFolders(const std::string& folder) {
    struct stat status {};
    if (stat(folder.c_str(), &status) == 0) {
        if (!S_ISDIR(status.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        return true;
    }
    const std::string parent = FolderOf(folder);
    if (parent != folder && parent != "." && !MakeFolders(parent)) {
        return false;
    }
    return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

// Hands the folder's entries (the rename) to the disk. A failure here
// leaves a complete file under its name, so it is not reported.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

CSafeSave::~CSafeSave() {
    Abandon();
}

void CSafeSave::SetWriteFunction(WriteFunction function) {
    g_write.store(function);
}

bool CSafeSave::Fail(const std::string& reason) {
    Abandon();
    m_reason = reason;
    m_error = "Can't save " + (m_path.empty() ? std::string("(no path)") : m_path) + ": " + reason;
    return false;
}

bool CSafeSave::FailWithErrno(int code) {
    return Fail(std::strerror(code));
}

void CSafeSave::Abandon() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool CSafeSave::Begin(const std::string& path, mode_t newFileMode) {
    Abandon();
    m_path = path;
    m_error.clear();
    m_reason.clear();
    if (path.empty()) {
        return FailWithErrno(EINVAL);
    }
    // A link is kept and its target written; a file that may not be
    // replaced (read-only, a folder, a FIFO) is left alone.
    m_target = SafeFiles::FollowLinks(path);
    std::string reason;
    if (!SafeFiles::MayReplace(m_target, reason)) {
        return Fail(reason);
    }
    if (!MakeFolders(FolderOf(m_target))) {
        return Fail(std::string("can't make its folder: ") + std::strerror(errno));
    }
    SafeFiles::RemoveLeftOvers(m_target);
    // Beside the target, so that the rename stays within one file system.
    const std::string temporary = SafeFiles::MakeTemporaryName(m_target);
    m_fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, newFileMode);
    if (m_fd < 0) {
        return FailWithErrno(errno);
    }
    m_temporary = temporary;
    // The new file keeps the permissions of the one it replaces, never
    // opened to others when it is saved for its owner only.
    struct stat status {};
    if (stat(m_target.c_str(), &status) == 0) {
        mode_t kept = status.st_mode & kPermissionBits;
        if ((newFileMode & kOthersBits) == 0) {
            kept &= ~kOthersBits;
        }
        if (fchmod(m_fd, kept) != 0) {
            return FailWithErrno(errno);
        }
    }
    return true;
}

bool CSafeSave::Write(const void* data, size_t size) {
    if (m_fd < 0) {
        return m_error.empty() ? Fail("no save is under way") : false;
    }
    if (data == nullptr && size > 0) {
        return FailWithErrno(EINVAL);
    }
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = WriteSome(m_fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written < 0) {
            return FailWithErrno(errno);
        }
        if (written == 0) {
            return FailWithErrno(ENOSPC);  // the disk takes no more
        }
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CSafeSave::WriteAt(uint64_t offset, const void* data, size_t size) {
    if (m_fd < 0) {
        return m_error.empty() ? Fail("no save is under way") : false;
    }
    const off_t end = lseek(m_fd, 0, SEEK_END);
    if (end < 0 || lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        return FailWithErrno(errno);
    }
    if (!Write(data, size)) {
        return false;
    }
    return lseek(m_fd, 0, SEEK_END) >= 0 || FailWithErrno(errno);
}

bool CSafeSave::Commit() {
    if (m_fd < 0) {
        return m_error.empty() ? Fail("no save is under way") : false;
    }
    if (fsync(m_fd) != 0) {
        return FailWithErrno(errno);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0) {
        return FailWithErrno(errno);
    }
    if (rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        return FailWithErrno(errno);
    }
    m_temporary.clear();
    SyncFolder(FolderOf(m_target));
    return true;
}

bool CSafeSave::Save(const std::string& path, const void* data, size_t size, std::string& error,
                     mode_t newFileMode) {
    CSafeSave save;
    if (!save.Begin(path, newFileMode) || !save.Write(data, size) || !save.Commit()) {
        error = save.GetError();
        return false;
    }
    return true;
}
