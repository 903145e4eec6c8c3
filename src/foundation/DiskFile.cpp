#include "foundation/DiskFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "common/SafeFiles.h"
#include "common/SafeSave.h"
#include "foundation/CritLock.h"
#include "foundation/ErrorText.h"
#include "foundation/FileInfo.h"
#include "foundation/Paths.h"
#include "foundation/TimeText.h"

namespace {

// Closes a descriptor when it goes out of scope.
class CFdHolder {
public:
    explicit CFdHolder(int fd) : m_fd(fd) {}
    CFdHolder(const CFdHolder&) = delete;
    CFdHolder& operator=(const CFdHolder&) = delete;
    ~CFdHolder() { Close(); }
    int Get() const { return m_fd; }
    // Closes now; false (errno set) when the system reports a failure.
    bool Close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || close(fd) == 0;
    }

private:
    int m_fd;
};

CCharString ErrorText(int code) {
    CCharString text;
    GetErrorText(code, text);
    return text;
}

// Writes all of data, going on after partial writes and signals; false with
// errno set on failure.
bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// read() that restarts after signals.
ssize_t ReadSome(int fd, char* data, size_t size) {
    ssize_t count;
    do {
        count = read(fd, data, size);
    } while (count < 0 && errno == EINTR);
    return count;
}

// fsync, accepting descriptors that cannot be synchronised (pipes, devices).
bool SyncFd(int fd) {
    return fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
}

// When writing to an existing file that its owner has made read-only, the
// owner's write permission is given back first.
void AllowOwnerWrite(const char* path) {
    struct stat status {};
    if (stat(path, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == geteuid() &&
        (status.st_mode & S_IWUSR) == 0) {
        chmod(path, (status.st_mode & 07777) | S_IWUSR);
    }
}

}  // namespace

CDiskFile::CDiskFile() = default;

CDiskFile::~CDiskFile() {
    Close();
}

bool CDiskFile::MakeFolderOf(const char* path) {
    FILE_INFO info;
    if (!SplitPath(path, info)) {
        return false;
    }
    if (info.folder.IsEmpty()) {
        return true;  // the current folder
    }
    if (info.folder.GetAt(0) == '/') {
        return MakeDirectory(info.folder);
    }
    char current[PATH_MAX];
    if (getcwd(current, sizeof current) == nullptr) {
        return false;
    }
    CCharString absolute;
    absolute.Format("%s/%s", current, info.folder.GetText());
    return MakeDirectory(absolute);
}

void CDiskFile::SetError(const char* text) {
    CCritLock lock(m_lock, "CDiskFile::SetError");
    m_error = text;
}

bool CDiskFile::SetSystemError(const char* what, int code) {
    m_error.Format("%s: %s", what, ErrorText(code).GetText());
    return false;
}

bool CDiskFile::Open(const char* path, bool read, bool write, bool create) {
    CCritLock lock(m_lock, "CDiskFile::Open");
    if (m_fd >= 0) {
        return true;
    }
    if (!read && !write) {
        m_error = "No read, no write flags";
        return false;
    }
    if (path == nullptr) {
        m_error = "Can't open a file without a path";
        return false;
    }
    if (create && !MakeFolderOf(path)) {
        m_error.Format("Can't make file directory (%s)", path);
        return false;
    }
    int flags = O_CLOEXEC;
    if (read && write) {
        flags |= O_RDWR | O_CREAT;
    } else if (read) {
        flags |= O_RDONLY;
    } else {
        flags |= O_WRONLY | O_CREAT;
    }
    // A file opened only for reading is never emptied, whatever create says.
    if (create && write) {
        flags |= O_TRUNC;
    } else if (write) {
        AllowOwnerWrite(path);
    }
    int fd = -1;
    if (read && !write) {
        // Reading waits on nothing and takes nothing but a regular file.
        std::string reason;
        fd = SafeFiles::OpenForReading(path, reason);
        if (fd < 0) {
            m_error.Format("Can't open %s: %s", path, reason.c_str());
            return false;
        }
    } else {
        fd = open(path, flags, 0666);
    }
    if (fd < 0) {
        const int error = errno;
        m_error.Format("Can't open %s: %s", path, ErrorText(error).GetText());
        return false;
    }
    m_fd = fd;
    m_writable = write;
    bool ready = Measure();
    if (ready && write && !create && lseek(m_fd, 0, SEEK_END) < 0) {
        ready = SetSystemError("Can't move to the end of file", errno);
    }
    if (ready && read) {
        try {
            m_buffer.assign(kBufferSize, '\0');
        } catch (const std::bad_alloc&) {
            ready = false;
            m_error.Format("Can't allocate %zu bytes", kBufferSize);
        }
    }
    if (!ready) {
        const CCharString error = m_error;
        Close();
        m_error = error;
        return false;
    }
    FILE_INFO info;
    SplitPath(path, info);
    m_shortName.Format("%s%s", info.name.GetText(), info.extension.GetText());
    m_fullName = path;
    return true;
}

bool CDiskFile::Close() {
    CCritLock lock(m_lock, "CDiskFile::Close");
    if (m_fd < 0) {
        return true;
    }
    bool done = !m_writable || SyncFd(m_fd);
    int error = errno;
    if (close(m_fd) != 0 && done) {
        done = false;
        error = errno;
    }
    m_fd = -1;
    m_writable = false;
    ResetReading();
    std::vector<char>().swap(m_buffer);
    if (!done) {
        CCharString what;
        what.Format("Can't close %s", m_fullName.GetText());
        return SetSystemError(what, error);
    }
    return true;
}

bool CDiskFile::Flush() {
    CCritLock lock(m_lock, "CDiskFile::Flush");
    if (m_fd < 0 || !m_writable || SyncFd(m_fd)) {
        return true;
    }
    return SetSystemError("Can't flush", errno);
}

bool CDiskFile::Write(const void* data, size_t size) {
    CCritLock lock(m_lock, "CDiskFile::Write");
    if (m_fd < 0) {
        return SetSystemError("Can't write", EBADF);
    }
    if (size > 0 && data == nullptr) {
        return SetSystemError("Can't write", EINVAL);
    }
    if (!WriteAll(m_fd, static_cast<const char*>(data), size)) {
        return SetSystemError("Can't write", errno);
    }
    return true;
}

bool CDiskFile::WriteLine(const char* text, bool timeStamp) {
    CCritLock lock(m_lock, "CDiskFile::WriteLine");
    CCharString line;
    if (timeStamp) {
        GetTimeText(line, true, true);
        line.Append("  ");
    }
    if (!line.Append(text) || !line.Append("\r\n")) {
        m_error = "Can't write: out of memory";
        return false;
    }
    return Write(line.GetText(), line.GetLength());
}

bool CDiskFile::Read(const char* path, std::vector<char>& data, size_t maxSize) {
    CCritLock lock(m_lock, "CDiskFile::Read");
    data.clear();
    maxSize = std::min(maxSize, kMaxReadSize);
    std::string reason;
    CFdHolder fd(SafeFiles::OpenForReading(path, reason));
    if (fd.Get() < 0) {
        m_error = reason.c_str();
        return false;
    }
    struct stat status {};
    if (fstat(fd.Get(), &status) != 0) {
        m_error = ErrorText(errno);
        return false;
    }
    // The limit named is the one that applies, the caller's or the class's.
    const auto tooLarge = [&](uint64_t size) {
        data.clear();
        if (size > maxSize) {
            m_error.Format("it holds %llu bytes, more than the %zu allowed",
                           static_cast<unsigned long long>(size), maxSize);
        } else {
            m_error.Format("it holds more than the %zu bytes allowed", maxSize);
        }
        return false;
    };
    // The measured size is only a first guess: the file may shrink or grow
    // while it is read, so reading goes on until read() reports the end.
    if (static_cast<uint64_t>(status.st_size) > maxSize) {
        return tooLarge(static_cast<uint64_t>(status.st_size));
    }
    size_t capacity = static_cast<size_t>(status.st_size) + 1;
    size_t size = 0;
    for (;;) {
        if (size == capacity) {
            if (capacity > maxSize) {
                return tooLarge(0);
            }
            capacity = std::min(std::max(capacity * 2, kBufferSize), maxSize + 1);
        }
        try {
            data.resize(capacity);
        } catch (const std::bad_alloc&) {
            data.clear();
            m_error.Format("can't allocate %zu bytes", capacity);
            return false;
        }
        const ssize_t count = ReadSome(fd.Get(), data.data() + size, capacity - size);
        if (count < 0) {
            data.clear();
            m_error = ErrorText(errno);
            return false;
        }
        if (count == 0) {
            break;
        }
        size += static_cast<size_t>(count);
    }
    data.resize(size);
    return true;
}

void CDiskFile::ResetReading() {
    m_linePos = 0;
    m_scanned = 0;
    m_bufferBytes = 0;
    m_endOfData = false;
    m_atEnd = false;
}

bool CDiskFile::Measure() {
    ResetReading();
    struct stat status {};
    if (fstat(m_fd, &status) != 0) {
        return SetSystemError("Can't get file size", errno);
    }
    m_fileSize = static_cast<uint64_t>(status.st_size);
    return true;
}

CDiskFile::Fill CDiskFile::FillBuffer() {
    // Move the unread tail to the front, then read after it.
    if (m_linePos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_linePos, m_bufferBytes - m_linePos);
        m_bufferBytes -= m_linePos;
        m_linePos = 0;
    }
    if (m_bufferBytes + 1 >= m_buffer.size()) {
        // One line fills the buffer: grow it, up to the longest line allowed.
        if (m_buffer.size() > kMaxLineLength) {
            m_error.Format("Can't read line: longer than %zu bytes", kMaxLineLength);
            return Fill::kFailed;
        }
        const size_t grown = std::min(m_buffer.size() * 2, kMaxLineLength + 1);
        try {
            m_buffer.resize(grown);
        } catch (const std::bad_alloc&) {
            m_error.Format("Can't read line: can't allocate %zu bytes", grown);
            return Fill::kFailed;
        }
    }
    const ssize_t count =
        ReadSome(m_fd, m_buffer.data() + m_bufferBytes, m_buffer.size() - 1 - m_bufferBytes);
    if (count < 0) {
        SetSystemError("Can't read file", errno);
        return Fill::kFailed;
    }
    if (count == 0) {
        m_endOfData = true;
        return Fill::kEnd;
    }
    m_bufferBytes += static_cast<size_t>(count);
    return Fill::kData;
}

bool CDiskFile::DeliverLine(size_t end, size_t next, char*& line) {
    m_buffer[end] = '\0';
    line = m_buffer.data() + m_linePos;
    m_linePos = next;
    m_scanned = 0;
    return true;
}

bool CDiskFile::NextLine(char*& line) {
    CCritLock lock(m_lock, "CDiskFile::NextLine");
    line = nullptr;
    if (m_fd < 0 || m_buffer.empty()) {
        m_error = "Can't read line: file not open for reading";
        return false;
    }
    if (m_atEnd) {
        return false;
    }
    for (;;) {
        const char* start = m_buffer.data();
        size_t end = m_linePos + m_scanned;
        while (end < m_bufferBytes && start[end] != '\n' && start[end] != '\r') {
            ++end;
        }
        // A CR at the end of the data read so far may be the first half of
        // a CR LF: the next byte decides.
        const bool waitForLf = end + 1 == m_bufferBytes && start[end] == '\r' && !m_endOfData;
        if (end < m_bufferBytes && !waitForLf) {
            const bool crLf =
                start[end] == '\r' && end + 1 < m_bufferBytes && start[end + 1] == '\n';
            return DeliverLine(end, end + (crLf ? 2 : 1), line);
        }
        m_scanned = end - m_linePos;
        if (m_endOfData) {
            // Text after the last line end is the file's final line.
            m_atEnd = true;
            if (m_linePos < m_bufferBytes) {
                return DeliverLine(m_bufferBytes, m_bufferBytes, line);
            }
            return false;
        }
        if (FillBuffer() == Fill::kFailed) {
            return false;
        }
    }
}

bool CDiskFile::NextLine(const char*& line) {
    char* text = nullptr;
    const bool found = NextLine(text);
    line = text;
    return found;
}

bool CDiskFile::ReadLines(const char* path, std::vector<CCharString>& lines) {
    CCritLock lock(m_lock, "CDiskFile::ReadLines");
    CDiskFile file;
    if (!file.Open(path, true, false, false)) {
        m_error = file.GetError();
        return false;
    }
    const char* line = nullptr;
    try {
        while (file.NextLine(line)) {
            lines.emplace_back(line);
        }
    } catch (const std::bad_alloc&) {
        m_error = "Can't read lines: out of memory";
        return false;
    }
    if (!file.m_atEnd) {
        m_error = file.GetError();
        return false;
    }
    return true;
}

bool CDiskFile::SeekToStart() {
    CCritLock lock(m_lock, "CDiskFile::SeekToStart");
    if (m_fd < 0 || lseek(m_fd, 0, SEEK_SET) < 0) {
        return SetSystemError("Can't move to the start of file", m_fd < 0 ? EBADF : errno);
    }
    return Measure();
}

bool CDiskFile::SeekToEnd() {
    CCritLock lock(m_lock, "CDiskFile::SeekToEnd");
    if (m_fd < 0 || lseek(m_fd, 0, SEEK_END) < 0) {
        return SetSystemError("Can't move to the end of file", m_fd < 0 ? EBADF : errno);
    }
    return Measure();
}

bool CDiskFile::Truncate() {
    CCritLock lock(m_lock, "CDiskFile::Truncate");
    if (!SeekToStart()) {
        return false;
    }
    if (ftruncate(m_fd, 0) != 0) {
        return SetSystemError("Can't truncate file", errno);
    }
    m_fileSize = 0;
    return true;
}

bool CDiskFile::IsOpen() const {
    CCritLock lock(m_lock, "CDiskFile::IsOpen");
    return m_fd >= 0;
}

uint64_t CDiskFile::GetFileSize() const {
    CCritLock lock(m_lock, "CDiskFile::GetFileSize");
    return m_fileSize;
}

const char* CDiskFile::GetError() const {
    CCritLock lock(m_lock, "CDiskFile::GetError");
    return m_error;
}

bool CDiskFile::SaveFile(const char* path, const void* data, size_t size, CCharString& error) {
    std::string reason;
    if (!CSafeSave::Save(path != nullptr ? path : "", data, size, reason)) {
        error = reason.c_str();
        return false;
    }
    return true;
}
