#include "midi/SmfReader.h"

#include <cstdarg>
#include <cstring>
#include <limits>

#include "foundation/ByteOrder.h"
#include "foundation/DiskFile.h"
#include "foundation/ErrorReport.h"

namespace {

constexpr size_t kChunkHeadSize = 8;  // 4-byte identifier, 4-byte length
constexpr size_t kChunkIdSize = 4;
constexpr uint32_t kHeaderLength = 6;
constexpr char kHeaderId[] = "MThd";
constexpr char kTrackId[] = "MTrk";
constexpr int kMaxFormat = 2;
constexpr uint16_t kSmpteDivisionBit = 0x8000;
constexpr int kMaxVlqBytes = 4;
constexpr int kVlqBits = 7;
constexpr uint8_t kVlqMore = 0x80;
constexpr uint8_t kVlqValueMask = 0x7F;

bool IsChunk(const uint8_t* bytes, const char* id) {
    return std::memcmp(bytes, id, kChunkIdSize) == 0;
}

// Program change and channel pressure carry one data byte, the others two.
int DataCountOf(uint8_t status) {
    const int kind = status & Smf::kKindMask;
    return kind == Smf::kProgram || kind == Smf::kChannelPressure ? 1 : 2;
}

// The reason a channel event's data is missing, in the application's words.
const char* ShortDataText(uint8_t status) {
    switch (status & Smf::kKindMask) {
        case Smf::kNoteOff:
        case Smf::kNoteOn:
            return "Not enough data for a note: %zu";
        case Smf::kController:
            return "Not enough data for a control event: %zu";
        case Smf::kProgram:
            return "Not enough data for a program change: %zu";
        default:
            return "Not enough data for a channel event: %zu";
    }
}

}  // namespace

bool CSmfReader::Read(const std::vector<uint8_t>& bytes, SMF_FILE& file, const char* name) {
    m_bytes = bytes.data();
    m_size = bytes.size();
    m_pos = 0;
    m_limit = m_size;
    m_runningStatus = 0;
    m_name = name != nullptr ? name : "";
    // The caller's file changes only when the whole file has been read.
    SMF_FILE result;
    const bool ok = ReadChunks(result);
    m_bytes = nullptr;
    if (ok) {
        file = std::move(result);
    }
    return ok;
}

bool CSmfReader::ReadFile(const char* path, SMF_FILE& file, size_t maxSize) {
    CDiskFile disk;
    std::vector<char> raw;
    if (!disk.Read(path, raw, maxSize)) {
        m_error.Format("Can't read file '%s': %s", path, disk.GetError());
        return false;
    }
    const std::vector<uint8_t> bytes(raw.begin(), raw.end());
    return Read(bytes, file, path);
}

bool CSmfReader::ReadChunks(SMF_FILE& file) {
    if (m_size == 0) {
        return Fail(0, "the file is empty");
    }
    if (m_size < kChunkHeadSize) {
        return Fail(0, "the file is too short for a header chunk");
    }
    if (!IsChunk(m_bytes, kHeaderId)) {
        // Said plainly to the learner; where and why goes to the log.
        Fail(0, "the file does not start with a header chunk");
        ReportError("SmfReader", __LINE__, "%s", m_error.GetText());
        m_error.Format("Can't read MIDI file '%s': it is not a MIDI file", m_name.GetText());
        return false;
    }
    // Fewer bytes than a chunk head at the end are ignored, as other readers do.
    while (Left() >= kChunkHeadSize) {
        const size_t start = m_pos;
        const uint8_t* id = m_bytes + m_pos;
        m_pos += kChunkIdSize;
        uint32_t length = 0;
        TryRead32(length);
        if (length > Left()) {
            // The text keeps the application's long-standing wording.
            return Fail(
                start + kChunkIdSize,
                "Not enought data in the file for the chunk data: need %u, have only %zu left",
                length, Left());
        }
        const size_t end = m_pos + length;
        if (start == 0) {
            if (!ReadHeader(length, file)) {
                return false;
            }
        } else if (IsChunk(id, kTrackId)) {
            m_limit = end;
            file.tracks.emplace_back();
            if (!ReadTrack(file.tracks.back())) {
                return false;
            }
            m_limit = m_size;
        }
        m_pos = end;
    }
    return true;
}

bool CSmfReader::ReadHeader(uint32_t length, SMF_FILE& file) {
    if (length != kHeaderLength) {
        return Fail(m_pos - sizeof(uint32_t), "header chunk length is %u, not %u", length,
                    kHeaderLength);
    }
    uint16_t format = 0;
    uint16_t trackCount = 0;
    uint16_t division = 0;
    TryRead16(format);
    TryRead16(trackCount);  // not trusted: the chunks present are read
    const size_t divisionOffset = m_pos;
    TryRead16(division);
    if (format > kMaxFormat) {
        return Fail(divisionOffset - 2 * sizeof(uint16_t), "unknown format %u", format);
    }
    if ((division & kSmpteDivisionBit) != 0) {
        return Fail(divisionOffset,
                    "SMPTE time division is not supported, only ticks per quarter note");
    }
    if (division == 0) {
        return Fail(divisionOffset, "the division of 0 ticks per quarter note is not usable");
    }
    file.format = format;
    file.division = division;
    return true;
}

bool CSmfReader::ReadTrack(SMF_TRACK& track) {
    m_runningStatus = 0;
    uint32_t tick = 0;
    bool ended = false;
    // Bytes after the end-of-track event are ignored; a track without one
    // ends with its chunk.
    while (Left() > 0 && !ended) {
        if (!ReadEvent(tick, track, ended)) {
            return false;
        }
    }
    return true;
}

bool CSmfReader::ReadEvent(uint32_t& tick, SMF_TRACK& track, bool& ended) {
    const size_t start = m_pos;
    uint32_t delta = 0;
    bool tooLong = false;
    if (!TryReadVlq(delta, tooLong)) {
        return tooLong ? Fail(start, "delta time longer than %d bytes", kMaxVlqBytes)
                       : Fail(start, "delta time past the end of the track");
    }
    if (delta > std::numeric_limits<uint32_t>::max() - tick) {
        return Fail(start, "the track's ticks overflow 32 bits");
    }
    tick += delta;
    SMF_EVENT event;
    event.tick = tick;
    const size_t statusOffset = m_pos;
    uint8_t status = 0;
    if (!TryRead8(status)) {
        return Fail(statusOffset, "event past the end of the track");
    }
    bool ok = false;
    if (status == Smf::kMetaStatus) {
        event.status = status;
        ok = ReadMeta(event);
        ended = event.IsEndOfTrack();
    } else if (status == Smf::kSysexStatus || status == Smf::kSysexEscape) {
        event.status = status;
        ok = ReadSysex(event);
    } else if (status < Smf::kStatusBit) {
        // A data byte first: the event reuses the last channel status.
        if (m_runningStatus == 0) {
            return Fail(statusOffset, "Unknown MIDI type %02X", m_runningStatus);
        }
        event.status = m_runningStatus;
        ok = ReadChannelData(status, event);
    } else if (status <= Smf::kLastChannelStatus) {
        m_runningStatus = status;
        event.status = status;
        uint8_t first = 0;
        if (!TryRead8(first)) {
            return Fail(m_pos, ShortDataText(status), Left());
        }
        ok = ReadChannelData(first, event);
    } else {
        return Fail(statusOffset, "Unknown MIDI type %02X", status);
    }
    if (ok) {
        track.events.push_back(std::move(event));
    }
    return ok;
}

bool CSmfReader::ReadMeta(SMF_EVENT& event) {
    if (!TryRead8(event.metaType)) {
        return Fail(m_pos, "meta event type past the end of the track");
    }
    const size_t lengthOffset = m_pos;
    uint32_t length = 0;
    bool tooLong = false;
    if (!TryReadVlq(length, tooLong)) {
        return tooLong ? Fail(lengthOffset, "meta event length longer than %d bytes", kMaxVlqBytes)
                       : Fail(lengthOffset, "meta event length past the end of the track");
    }
    if (!TryReadBytes(length, event.data)) {
        return Fail(m_pos, "meta event length %u exceeds the %zu bytes left in the track", length,
                    Left());
    }
    return true;
}

bool CSmfReader::ReadSysex(SMF_EVENT& event) {
    const size_t lengthOffset = m_pos;
    uint32_t length = 0;
    bool tooLong = false;
    if (!TryReadVlq(length, tooLong)) {
        return tooLong ? Fail(lengthOffset, "sysex length longer than %d bytes", kMaxVlqBytes)
                       : Fail(lengthOffset, "sysex length past the end of the track");
    }
    if (!TryReadBytes(length, event.data)) {
        return Fail(m_pos, "sysex length %u exceeds the %zu bytes left in the track", length,
                    Left());
    }
    return true;
}

bool CSmfReader::ReadChannelData(uint8_t first, SMF_EVENT& event) {
    event.data1 = first;
    if (DataCountOf(event.status) == 1) {
        return true;
    }
    if (!TryRead8(event.data2)) {
        return Fail(m_pos, ShortDataText(event.status), Left());
    }
    return true;
}

bool CSmfReader::TryRead8(uint8_t& value) {
    if (Left() < 1) {
        return false;
    }
    value = m_bytes[m_pos++];
    return true;
}

bool CSmfReader::TryRead16(uint16_t& value) {
    if (Left() < sizeof(uint16_t)) {
        return false;
    }
    value = ReadBig16(m_bytes + m_pos);
    m_pos += sizeof(uint16_t);
    return true;
}

bool CSmfReader::TryRead32(uint32_t& value) {
    if (Left() < sizeof(uint32_t)) {
        return false;
    }
    value = ReadBig32(m_bytes + m_pos);
    m_pos += sizeof(uint32_t);
    return true;
}

bool CSmfReader::TryReadVlq(uint32_t& value, bool& tooLong) {
    const size_t start = m_pos;
    value = 0;
    tooLong = false;
    for (int i = 0; i < kMaxVlqBytes; ++i) {
        uint8_t byte = 0;
        if (!TryRead8(byte)) {
            m_pos = start;
            return false;
        }
        value = (value << kVlqBits) | (byte & kVlqValueMask);
        if ((byte & kVlqMore) == 0) {
            return true;
        }
    }
    // The fourth byte still asked for more.
    tooLong = true;
    m_pos = start;
    return false;
}

bool CSmfReader::TryReadBytes(uint32_t count, std::vector<uint8_t>& data) {
    if (count > Left()) {
        return false;
    }
    data.assign(m_bytes + m_pos, m_bytes + m_pos + count);
    m_pos += count;
    return true;
}

bool CSmfReader::Fail(size_t offset, const char* format, ...) {
    CCharString reason;
    va_list args;
    va_start(args, format);
    reason.FormatV(format, args);
    va_end(args);
    m_error.Format("Can't read MIDI file '%s': offset %zu: %s", m_name.GetText(), offset,
                   reason.GetText());
    return false;
}
