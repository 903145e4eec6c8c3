#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/CharString.h"
#include "foundation/Crit.h"

// A file opened for reading, writing or both, with a line reader, a
// time-stamped line writer and whole-file read and save helpers. Every
// operation runs under the object's own lock, so one file (a log) can be
// written from several threads at once.
class CDiskFile {
public:
    // First size of the line buffer; it grows for longer lines, up to
    // kMaxLineLength bytes per line, separator included.
    static constexpr size_t kBufferSize = 102400;
    static constexpr size_t kMaxLineLength = 64u << 20;
    // Largest file that Read takes in one piece.
    static constexpr size_t kMaxReadSize = 1u << 30;

    CDiskFile();
    CDiskFile(const CDiskFile&) = delete;
    CDiskFile& operator=(const CDiskFile&) = delete;
    virtual ~CDiskFile();

    // Opens path. read alone needs an existing regular file (a FIFO or a
    // device is refused without waiting on it); write without create
    // makes a missing file and appends to an existing one; create makes the
    // file's folder and, when writing, starts the file empty. Opening an
    // open file returns true and keeps the file that is open.
    bool Open(const char* path, bool read, bool write, bool create);
    // Flushes written data and closes; false when the data may not all
    // have reached the disk. The file is closed in every case.
    bool Close();
    // Hands written data to the disk (fsync).
    bool Flush();
    bool Write(const void* data, size_t size);
    // Writes ["MM/DD/YY hh:mm:ss.mmm  "] text "\r\n" in one write.
    bool WriteLine(const char* text, bool timeStamp);

    // Reads the whole regular file at path into data (its exact bytes, no
    // terminator), refusing a file of more than maxSize bytes before it is
    // read; data is cleared on failure and the error text is the reason
    // alone, for the caller to put in its own words. Does not touch the file
    // this object has open.
    bool Read(const char* path, std::vector<char>& data, size_t maxSize = kMaxReadSize);
    // The next line, ended by CR LF, LF or CR alone (none is part of it) or
    // by the end of the file, NUL-terminated inside the object's buffer and valid
    // until the next read, seek or Close. False with a null line at the end
    // of the file (the error text unchanged) or on failure (error text set).
    bool NextLine(char*& line);
    bool NextLine(const char*& line);
    // Appends every line of the file at path to lines (on a failure midway
    // the lines read so far stay appended). Does not touch the file this
    // object has open.
    bool ReadLines(const char* path, std::vector<CCharString>& lines);

    // Move to the start or the end and read again from there.
    bool SeekToStart();
    bool SeekToEnd();
    // Empties the file.
    bool Truncate();

    // Saves size bytes of data as the file at path: writes a temporary file
    // beside it, hands it to the disk and renames it over path, so path
    // holds either its old or its new content, never a part. A symbolic
    // link is written through to its target; a read-only file, a folder or
    // another non-regular file in its place is refused. Temporary files of
    // earlier saves that were killed are removed first.
    static bool SaveFile(const char* path, const void* data, size_t size, CCharString& error);

    bool IsOpen() const;
    // Size of the file when opened or last sought.
    uint64_t GetFileSize() const;
    // The last failure's text; valid until the next failing operation.
    const char* GetError() const;
    // File name and extension, without the folder.
    const char* GetShortName() const { return m_shortName; }
    // The path given to Open.
    const char* GetFullName() const { return m_fullName; }

    // Makes the folder that the file path lies in; a relative path is taken
    // from the current folder, as opening it does.
    static bool MakeFolderOf(const char* path);

protected:
    // Lets a derived file report its own failures through GetError.
    void SetError(const char* text);

private:
    bool Measure();
    void ResetReading();
    enum class Fill { kData, kEnd, kFailed };
    Fill FillBuffer();
    bool SetSystemError(const char* what, int code);
    bool DeliverLine(size_t end, size_t next, char*& line);

    int m_fd = -1;
    bool m_writable = false;
    std::vector<char> m_buffer;  // line buffer; one byte more than the data it holds
    size_t m_linePos = 0;        // start of the next unread line in m_buffer
    size_t m_scanned = 0;        // bytes after m_linePos known to hold no line end
    size_t m_bufferBytes = 0;    // valid bytes in m_buffer
    bool m_endOfData = false;    // read() has reported the end of the file
    bool m_atEnd = false;        // the last line has been delivered
    uint64_t m_fileSize = 0;
    mutable CCrit m_lock;
    CCharString m_error;
    CCharString m_shortName;
    CCharString m_fullName;
};
