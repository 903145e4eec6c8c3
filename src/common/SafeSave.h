#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The one way a file is saved: its bytes go to a temporary file beside the
// target, every write, the flush and the hand-over to the disk are checked,
// and only a complete file is renamed over the target (a symbolic link is
// written through to its target); the folder is then handed to the disk.
// On any failure the temporary file is removed and the target keeps its old
// bytes; the reason is a "Can't save <path>: ..." text read with GetError.
class CSafeSave {
public:
    // Permissions of a file that did not exist before; a replaced file keeps
    // its own.
    static constexpr mode_t kEveryoneMode = 0666;
    static constexpr mode_t kOwnerOnlyMode = 0600;

    // The write(2) every save goes through; tests put one in its place to
    // make a disk that fills up.
    using WriteFunction = ssize_t (*)(int fd, const void* data, size_t size);

    CSafeSave() = default;
    CSafeSave(const CSafeSave&) = delete;
    CSafeSave& operator=(const CSafeSave&) = delete;
    // An unfinished save is abandoned: the target stays as it was.
    ~CSafeSave();

    // Starts a save of path: refuses a target that may not be replaced (a
    // folder, a FIFO, a read-only file), makes its folder, removes what
    // killed saves left and opens a fresh temporary file beside it.
    bool Begin(const std::string& path, mode_t newFileMode = kEveryoneMode);
    // Appends size bytes; a short write (a full disk) fails the save.
    bool Write(const void* data, size_t size);
    // Writes size bytes at offset of what was written so far.
    bool WriteAt(uint64_t offset, const void* data, size_t size);
    // Hands the temporary file to the disk, closes it, renames it over the
    // target and hands the folder to the disk.
    bool Commit();
    // Drops the temporary file; the target keeps what it had.
    void Abandon();

    bool IsOpen() const { return m_fd >= 0; }
    // The file a commit replaces: the path given, its links followed.
    const std::string& GetTarget() const { return m_target; }
    // "Can't save <path>: <reason>".
    const char* GetError() const { return m_error.c_str(); }
    // The reason alone, for callers that word the failure themselves.
    const std::string& GetReason() const { return m_reason; }

    // Saves size bytes of data as path in one go; false with error set to
    // "Can't save <path>: <reason>".
    static bool Save(const std::string& path, const void* data, size_t size, std::string& error,
                     mode_t newFileMode = kEveryoneMode);

    // Puts function in the place of write(2) for every save; nullptr brings
    // write(2) back.
    static void SetWriteFunction(WriteFunction function);

private:
    bool Fail(const std::string& reason);
    bool FailWithErrno(int code);

    int m_fd = -1;
    std::string m_path;       // as given, for the error texts
    std::string m_target;     // links followed
    std::string m_temporary;  // the file written until the commit
    std::string m_error;
    std::string m_reason;
};
