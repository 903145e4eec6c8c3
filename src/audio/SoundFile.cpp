#include "audio/SoundFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <new>
#include <vector>

#include "audio/SoundInfo.h"
#include "common/SafeFiles.h"
#include "foundation/DiskFile.h"
#include "foundation/ErrorText.h"

namespace {

constexpr size_t kIdSize = 4;
constexpr size_t kChunkHeaderSize = 8;  // id and 32-bit size
constexpr size_t kRiffHeaderSize = 12;  // "RIFF", size, "WAVE"
constexpr uint32_t kPcmFormatSize = 16;
constexpr uint32_t kExtraSizeField = 2;
constexpr uint32_t kFactSize = 4;
constexpr uint32_t kFactUnfinished = 0xFFFFFFFFu;
constexpr uint16_t kExtensibleTag = 0xFFFE;
// An extensible "fmt " chunk: the 16 PCM bytes, the extra size, valid bits,
// channel mask and the 16-byte sub-format GUID.
constexpr uint32_t kExtensibleFormatSize = 40;
constexpr size_t kSubFormatOffset = 24;
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr uint16_t kMaxBitsPerSample = 32;
constexpr int kBitsPerByte = 8;
// Offsets of the numbers Close fills in, in the layout Open writes.
constexpr uint32_t kRiffSizeOffset = 4;
// Bytes written to the data chunk at most: its size and the RIFF size must
// both fit in 32 bits.
constexpr uint32_t kMaxDataSize = 0xFFFFFFFFu - 1024;

uint16_t Get16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t Get32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

void Put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += kBitsPerByte) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

void PutId(std::vector<uint8_t>& out, const char* id) {
    out.insert(out.end(), id, id + kIdSize);
}

bool IsId(const uint8_t* bytes, const char* id) {
    return std::memcmp(bytes, id, kIdSize) == 0;
}

// A chunk id as text, with unprintable bytes shown as '?'.
std::string IdText(const uint8_t* bytes) {
    std::string text;
    for (size_t i = 0; i < kIdSize; ++i) {
        text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '?';
    }
    return text;
}

std::string SystemText(int code) {
    CCharString text;
    GetErrorText(code, text);
    return text.Str();
}

// The header Open writes: RIFF, fmt, fact (unfinished) and an empty data chunk.
std::vector<uint8_t> MakeHeader(const WAVE_FORMAT& format) {
    const bool pcm = format.formatTag == WAVE_FORMAT::kPcm;
    const uint32_t formatSize =
        pcm ? kPcmFormatSize : kPcmFormatSize + kExtraSizeField + format.extraSize;
    std::vector<uint8_t> header;
    PutId(header, "RIFF");
    Put32(header, 0);
    PutId(header, "WAVE");
    PutId(header, "fmt ");
    Put32(header, formatSize);
    Put16(header, format.formatTag);
    Put16(header, format.channels);
    Put32(header, format.samplesPerSecond);
    Put32(header, format.averageBytesPerSecond);
    Put16(header, format.blockAlign);
    Put16(header, format.bitsPerSample);
    if (!pcm) {
        // The extra format bytes are not kept in the record: written as zeros.
        Put16(header, format.extraSize);
        header.insert(header.end(), format.extraSize, uint8_t{0});
        if (formatSize % 2 != 0) {
            header.push_back(0);
        }
    }
    PutId(header, "fact");
    Put32(header, kFactSize);
    Put32(header, kFactUnfinished);
    PutId(header, "data");
    Put32(header, 0);
    return header;
}

}  // namespace

CSoundFile::~CSoundFile() {
    Close();
}

bool CSoundFile::Fail(const char* text) {
    m_error = text;
    return false;
}

bool CSoundFile::FailF(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

bool CSoundFile::IsOpen() const {
    return m_fd >= 0 || m_save.IsOpen();
}

uint32_t CSoundFile::GetDataSize() const {
    if (!IsOpen()) {
        return 0;
    }
    return m_mode == kRead ? m_dataSize : m_written;
}

const char* CSoundFile::GetError() const {
    return m_error;
}

void CSoundFile::CloseDescriptor() {
    if (m_fd >= 0) {
        close(m_fd);
    }
    m_fd = -1;
    m_mode = 0;
}

bool CSoundFile::ReadAt(uint64_t offset, void* bytes, size_t count, size_t& got) const {
    got = 0;
    auto* out = static_cast<uint8_t*>(bytes);
    while (got < count) {
        const ssize_t n = pread(m_fd, out + got, count - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            break;  // the end of the file
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

bool CSoundFile::ReadInfo(const char* path, CSoundInfo& sound) {
    WAVE_FORMAT format;
    if (!Open(path, format, kRead)) {
        return false;
    }
    std::vector<uint8_t> data;
    try {
        data.resize(m_dataSize);
    } catch (const std::bad_alloc&) {
        FailF("Can't allocate %u bytes for the data", m_dataSize);
        Close();
        return false;
    }
    size_t got = 0;
    if (!ReadAt(m_dataOffset, data.data(), data.size(), got) || got != data.size()) {
        FailF("Can't read the data: %zu of %u bytes read", got, m_dataSize);
        Close();
        return false;
    }
    Close();
    sound.format = format;
    sound.SetData(std::move(data));
    sound.fileName = path;
    return true;
}

bool CSoundFile::Open(const char* path, WAVE_FORMAT& format, int mode) {
    if (IsOpen()) {
        return Fail("Can't open a second file: one is open");
    }
    if (path == nullptr || *path == '\0') {
        return Fail("Can't open file: no path");
    }
    if (mode == kWrite) {
        return OpenForWriting(path, format);
    }
    if (mode != kRead) {
        return FailF("Can't open file: mode %d is neither read nor write", mode);
    }
    std::string reason;
    m_fd = SafeFiles::OpenForReading(path, reason);
    if (m_fd < 0) {
        return FailF("Can't open file: %s", reason.c_str());
    }
    m_mode = kRead;
    struct stat status {};
    if (fstat(m_fd, &status) != 0) {
        const int code = errno;
        CloseDescriptor();
        return FailF("Can't open file: %s", SystemText(code).c_str());
    }
    const auto fileSize = static_cast<uint64_t>(status.st_size);
    if (fileSize > kMaxReadSize) {
        CloseDescriptor();
        return FailF("Can't open file: it has %llu bytes, more than the %llu a sound may have",
                     static_cast<unsigned long long>(fileSize),
                     static_cast<unsigned long long>(kMaxReadSize));
    }
    if (!ReadHeader(fileSize)) {
        CloseDescriptor();
        return false;
    }
    m_dataRead = 0;
    format = m_format;
    return true;
}

// Walks the chunks of the RIFF form, taking the first "fmt " and the first
// "data" chunk wherever they are. Every chunk must fit in the bytes the file
// has; the walk stops at one that does not, which is only an error when it
// is one of the two chunks needed or hides them.
bool CSoundFile::ReadHeader(uint64_t fileSize) {
    uint8_t riff[kRiffHeaderSize] = {};
    size_t got = 0;
    if (!ReadAt(0, riff, sizeof riff, got) || got < kChunkHeaderSize) {
        return FailF("Can't read MMIO: the file has %llu bytes, a chunk header needs %zu",
                     static_cast<unsigned long long>(fileSize), kChunkHeaderSize);
    }
    if (got < kRiffHeaderSize || !IsId(riff, "RIFF") || !IsId(riff + kChunkHeaderSize, "WAVE") ||
        Get32(riff + kIdSize) < kIdSize) {
        return Fail("Not a valid wave file");
    }
    // A RIFF size beyond the file (an unfinished recording) is taken as far
    // as the file goes; the chunks inside are checked one by one.
    const uint64_t end = std::min<uint64_t>(fileSize, kChunkHeaderSize + Get32(riff + kIdSize));
    const auto fileText = static_cast<unsigned long long>(fileSize);
    bool haveFormat = false;
    bool haveData = false;
    uint64_t formatOffset = 0;
    uint32_t formatSize = 0;
    std::string stop;  // why the walk ended before the end of the form
    uint64_t pos = kRiffHeaderSize;
    while (pos + kChunkHeaderSize <= end && !(haveFormat && haveData)) {
        uint8_t header[kChunkHeaderSize] = {};
        if (!ReadAt(pos, header, sizeof header, got) || got != sizeof header) {
            return FailF("Can't read MMIO: chunk header at offset %llu",
                         static_cast<unsigned long long>(pos));
        }
        const uint32_t size = Get32(header + kIdSize);
        const uint64_t body = pos + kChunkHeaderSize;
        const bool fits = size <= end - body;
        const auto posText = static_cast<unsigned long long>(pos);
        if (IsId(header, "fmt ") && !haveFormat) {
            if (!fits) {
                return FailF(
                    "Can't read 'fmt': the fmt chunk at offset %llu claims %u bytes, "
                    "the file has %llu",
                    posText, size, fileText);
            }
            haveFormat = true;
            formatOffset = body;
            formatSize = size;
        } else if (IsId(header, "data") && !haveData) {
            if (!fits) {
                return FailF(
                    "Can't descend to the data: the data chunk at offset %llu claims "
                    "%u bytes, the file has %llu",
                    posText, size, fileText);
            }
            haveData = true;
            m_dataOffset = body;
            m_dataSize = size;
        } else if (!fits) {
            CCharString text;
            text.Format(": the '%s' chunk at offset %llu claims %u bytes, the file has %llu",
                        IdText(header).c_str(), posText, size, fileText);
            stop = text.Str();
            break;
        }
        // An odd-sized chunk is followed by a pad byte.
        pos = body + size + (size & 1u);
    }
    if (!haveFormat) {
        return FailF("Can't find 'fmt'%s", stop.c_str());
    }
    if (!TakeFormat(formatOffset, formatSize)) {
        return false;
    }
    if (!haveData) {
        return FailF("Can't descend to the data%s", stop.c_str());
    }
    // A data chunk that ends inside a frame is cut to whole frames.
    m_dataSize -= m_dataSize % m_format.blockAlign;
    return true;
}

// Reads and checks the "fmt " chunk. Plain PCM (tag 1) of any bit depth is
// taken, and so is WAVE_FORMAT_EXTENSIBLE with the PCM sub-format, which
// writers use for more than 16 bits or 2 channels: its samples are laid out
// as PCM's, so it becomes a PCM record.
bool CSoundFile::TakeFormat(uint64_t offset, uint32_t size) {
    if (size < kPcmFormatSize) {
        return Fail("'fmt' chunk size is less then PCMWAVEFORMAT");
    }
    uint8_t bytes[kExtensibleFormatSize] = {};
    const size_t wanted = std::min<size_t>(size, sizeof bytes);
    size_t got = 0;
    if (!ReadAt(offset, bytes, wanted, got) || got != wanted) {
        return Fail("Can't read 'fmt'");
    }
    WAVE_FORMAT format;
    format.formatTag = Get16(bytes);
    format.channels = Get16(bytes + 2);
    format.samplesPerSecond = Get32(bytes + 4);
    format.averageBytesPerSecond = Get32(bytes + 8);
    format.blockAlign = Get16(bytes + 12);
    format.bitsPerSample = Get16(bytes + 14);
    const bool extensiblePcm =
        format.formatTag == kExtensibleTag && size >= kExtensibleFormatSize &&
        std::memcmp(bytes + kSubFormatOffset, kPcmSubFormat, sizeof kPcmSubFormat) == 0;
    if (format.formatTag != WAVE_FORMAT::kPcm && !extensiblePcm) {
        return FailF("Not a PCM wave format: format tag %u", format.formatTag);
    }
    format.formatTag = WAVE_FORMAT::kPcm;
    if (format.channels == 0 || format.samplesPerSecond == 0 || format.bitsPerSample == 0 ||
        format.bitsPerSample > kMaxBitsPerSample) {
        return FailF("Can't read 'fmt': %u channels, %u Hz, %u bits", format.channels,
                     format.samplesPerSecond, format.bitsPerSample);
    }
    const uint32_t frameBytes =
        format.channels * ((format.bitsPerSample + kBitsPerByte - 1u) / kBitsPerByte);
    if (format.blockAlign != frameBytes) {
        return FailF("Can't read 'fmt': block align %u does not fit %u channels of %u bits",
                     format.blockAlign, format.channels, format.bitsPerSample);
    }
    // Worked out rather than trusted: every time conversion divides by it.
    const uint64_t average = static_cast<uint64_t>(frameBytes) * format.samplesPerSecond;
    if (average > UINT32_MAX) {
        return FailF("Can't read 'fmt': %u Hz is too high a rate", format.samplesPerSecond);
    }
    format.averageBytesPerSecond = static_cast<uint32_t>(average);
    format.extraSize = 0;
    m_format = format;
    return true;
}

bool CSoundFile::Read(uint32_t count, void* bytes, uint32_t& got) {
    got = 0;
    if (m_mode != kRead || !IsOpen()) {
        return Fail("Can't read: no file is open for reading");
    }
    if (bytes == nullptr && count > 0) {
        return Fail("Can't read into no buffer");
    }
    const uint32_t wanted = std::min(count, m_dataSize - m_dataRead);
    size_t n = 0;
    if (!ReadAt(m_dataOffset + m_dataRead, bytes, wanted, n)) {
        return FailF("Can't read the data: %s", SystemText(errno).c_str());
    }
    if (n != wanted) {
        return FailF("Can't read the data: the file ends %zu bytes into the %u asked for", n,
                     wanted);
    }
    got = wanted;
    m_dataRead += wanted;
    return true;
}

bool CSoundFile::OpenForWriting(const char* path, const WAVE_FORMAT& format) {
    if (format.channels == 0 || format.blockAlign == 0) {
        return Fail("Can't write a wave file of a format without channels");
    }
    if (!CDiskFile::MakeFolderOf(SafeFiles::FollowLinks(path).c_str())) {
        return FailF("Can't make file directory (%s)", path);
    }
    if (!m_save.Begin(path)) {
        return FailF("Can't open file: %s", m_save.GetReason().c_str());
    }
    m_mode = kWrite;
    m_format = format;
    m_written = 0;
    const std::vector<uint8_t> header = MakeHeader(format);
    m_headerSize = static_cast<uint32_t>(header.size());
    if (!WriteAll(header.data(), header.size())) {
        const std::string text = m_error.Str();
        Abandon();
        return Fail(text.c_str());
    }
    return true;
}

bool CSoundFile::WriteAll(const void* bytes, size_t count) {
    if (!m_save.Write(bytes, count)) {
        return FailF("Can't write the file: %s", m_save.GetReason().c_str());
    }
    return true;
}

bool CSoundFile::Write(uint32_t count, const void* bytes, uint32_t* written) {
    if (written != nullptr) {
        *written = 0;
    }
    if (m_mode != kWrite || !IsOpen()) {
        return Fail("Can't write: no file is open for writing");
    }
    if (count == 0 || bytes == nullptr) {
        return Fail("Can't write: no bytes given");
    }
    if (count > kMaxDataSize - m_written) {
        return FailF("Can't write %u more bytes: a wave file holds at most %u", count,
                     kMaxDataSize);
    }
    if (!WriteAll(bytes, count)) {
        return false;
    }
    m_written += count;
    if (written != nullptr) {
        *written = count;
    }
    return true;
}

// Pads odd data, fills in the RIFF and data sizes and the fact value, hands
// the file to the disk and renames it over the target.
bool CSoundFile::FinishWriting() {
    if (m_written % 2 != 0) {
        const uint8_t pad = 0;
        if (!WriteAll(&pad, 1)) {
            return false;
        }
    }
    const uint64_t fileSize = static_cast<uint64_t>(m_headerSize) + m_written + (m_written & 1u);
    std::vector<uint8_t> riffSize;
    Put32(riffSize, static_cast<uint32_t>(fileSize - kChunkHeaderSize));
    std::vector<uint8_t> tail;  // fact value, "data", data size
    Put32(tail, 0);
    PutId(tail, "data");
    Put32(tail, m_written);
    const uint64_t factValue = m_headerSize - tail.size();
    if (!m_save.WriteAt(kRiffSizeOffset, riffSize.data(), riffSize.size()) ||
        !m_save.WriteAt(factValue, tail.data(), tail.size())) {
        return FailF("Can't write the file's sizes: %s", m_save.GetReason().c_str());
    }
    if (!m_save.Commit()) {
        return FailF("Can't write the file: %s", m_save.GetReason().c_str());
    }
    return true;
}

// Drops a file being written: the target keeps what it had.
void CSoundFile::Abandon() {
    CloseDescriptor();
    m_save.Abandon();
}

void CSoundFile::Discard() {
    Abandon();
    m_mode = 0;
}

bool CSoundFile::Close() {
    if (!IsOpen()) {
        m_mode = 0;
        return true;
    }
    if (m_mode != kWrite) {
        CloseDescriptor();
        return true;
    }
    const bool finished = FinishWriting();
    Abandon();
    return finished;
}

bool CSoundFile::Save(const char* path, const CSoundInfo& sound) {
    WAVE_FORMAT format = sound.format;
    if (!Open(path, format, kWrite)) {
        return false;
    }
    if (sound.GetSize() > 0 && !Write(sound.GetSize(), sound.GetData())) {
        const std::string text = m_error.Str();
        Abandon();
        return Fail(text.c_str());
    }
    return Close();
}
