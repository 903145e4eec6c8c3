#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "audio/WaveFormat.h"
#include "common/SafeSave.h"
#include "foundation/CharString.h"

class CSoundInfo;

// Reads and writes RIFF/WAVE files of linear PCM.
//
// Reading checks every chunk size against the bytes the file has and needs;
// chunks may come in any order and odd-sized chunks carry RIFF's pad byte.
// Plain PCM of any bit depth is read, and so is WAVE_FORMAT_EXTENSIBLE with
// the PCM sub-format (as a PCM record); a data chunk that ends inside a
// frame is cut to whole frames. Only regular files of at most kMaxReadSize
// bytes are opened, so a FIFO never blocks and a huge file is refused.
// Writing goes to a temporary file beside the target that Close renames over
// it, so a failed or unfinished write never leaves a half-written file. The
// layout written: "RIFF", "WAVE", a 16-byte "fmt " chunk for PCM (18 + extra
// size for other tags), a 4-byte "fact" chunk holding 0 and the "data"
// chunk: a 56-byte header for PCM.
//
// Every failure returns false and leaves a text read with GetError.
class CSoundFile {
public:
    static constexpr int kRead = 1;
    static constexpr int kWrite = 2;

    CSoundFile() = default;
    CSoundFile(const CSoundFile&) = delete;
    CSoundFile& operator=(const CSoundFile&) = delete;
    virtual ~CSoundFile();  // a file still open for writing is finished

    // Reads a whole PCM file into sound (format, data, size, file name).
    bool ReadInfo(const char* path, CSoundInfo& sound);
    // Opens for streaming: mode kRead fills format from the file and makes
    // GetDataSize and Read available; kWrite creates the file's folders and
    // writes the header of format.
    bool Open(const char* path, WAVE_FORMAT& format, int mode);
    // Appends bytes to the data chunk of a file opened for writing.
    bool Write(uint32_t count, const void* bytes, uint32_t* written = nullptr);
    // Reads up to count bytes of the data chunk of a file opened for reading.
    bool Read(uint32_t count, void* bytes, uint32_t& got);
    // Finishes the file: for writing, odd data gets its pad byte, the sizes
    // and the fact value 0 are set and it takes its name. Closing a closed
    // file succeeds.
    bool Close();
    // Gives up a file opened for writing: the target is left as it was.
    void Discard();
    // Writes sound as a complete file.
    bool Save(const char* path, const CSoundInfo& sound);

    bool IsOpen() const;
    // The data chunk's size (whole frames) when open for reading, the bytes
    // written when open for writing, 0 when closed.
    uint32_t GetDataSize() const;
    const char* GetError() const;

    // Largest file Open and ReadInfo read.
    static constexpr uint64_t kMaxReadSize = 512ull << 20;

private:
    bool Fail(const char* text);
    bool FailF(const char* format, ...) NOTARA_PRINTF(2, 3);
    bool ReadHeader(uint64_t fileSize);
    bool TakeFormat(uint64_t offset, uint32_t size);
    bool ReadAt(uint64_t offset, void* bytes, size_t count, size_t& got) const;
    bool OpenForWriting(const char* path, const WAVE_FORMAT& format);
    bool WriteAll(const void* bytes, size_t count);
    bool FinishWriting();
    void Abandon();
    void CloseDescriptor();

    CCharString m_error;
    int m_fd = -1;  // the file being read
    int m_mode = 0;
    WAVE_FORMAT m_format;
    uint64_t m_dataOffset = 0;  // of the data chunk's first byte
    uint32_t m_dataSize = 0;    // whole frames only
    uint32_t m_dataRead = 0;    // bytes Read has delivered
    uint32_t m_written = 0;     // data bytes written
    uint32_t m_headerSize = 0;  // bytes before the data when writing
    CSafeSave m_save;           // the file being written, renamed into place at Close
};
