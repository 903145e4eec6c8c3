#include "midi/SmfWriter.h"

#include <algorithm>
#include <cstdarg>
#include <limits>

#include "foundation/ByteOrder.h"
#include "foundation/DiskFile.h"

namespace {

constexpr char kHeaderId[] = "MThd";
constexpr char kTrackId[] = "MTrk";
constexpr size_t kChunkIdSize = 4;
constexpr uint16_t kHeaderLength = 6;
constexpr int kMaxFormat = 2;
constexpr int kMaxDivision = 0x7FFF;  // the top bit would mean SMPTE time
constexpr size_t kMaxTracks = 0xFFFF;
constexpr uint32_t kMaxVlq = 0x0FFFFFFF;  // the most that 4 bytes of 7 bits hold
constexpr int kVlqBits = 7;
constexpr uint8_t kVlqMore = 0x80;
constexpr uint8_t kVlqValueMask = 0x7F;
constexpr int kMaxVlqBytes = 4;
constexpr uint8_t kMaxDataByte = 0x7F;
constexpr size_t kBytesPerEventGuess = 4;

bool HasSingleDataByte(uint8_t status) {
    const int kind = status & Smf::kKindMask;
    return kind == Smf::kProgram || kind == Smf::kChannelPressure;
}

bool ByTick(const SMF_EVENT& a, const SMF_EVENT& b) {
    return a.tick < b.tick;
}

}  // namespace

bool CSmfWriter::Write(const SMF_FILE& file, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (!CheckFile(file)) {
        return false;
    }
    size_t eventCount = 0;
    for (const SMF_TRACK& track : file.tracks) {
        eventCount += track.events.size() + 1;
    }
    bytes.reserve(eventCount * kBytesPerEventGuess + kChunkIdSize * 2 * (file.tracks.size() + 1));
    m_out = &bytes;
    bytes.insert(bytes.end(), kHeaderId, kHeaderId + kChunkIdSize);
    Put32(kHeaderLength);
    Put16(static_cast<uint16_t>(file.format));
    Put16(static_cast<uint16_t>(file.tracks.size()));
    Put16(static_cast<uint16_t>(file.division));
    bool ok = true;
    for (size_t i = 0; i < file.tracks.size() && ok; ++i) {
        ok = WriteTrack(file.tracks[i], i);
    }
    m_out = nullptr;
    if (!ok) {
        bytes.clear();
    }
    return ok;
}

bool CSmfWriter::WriteFile(const SMF_FILE& file, const char* path) {
    std::vector<uint8_t> bytes;
    if (!Write(file, bytes)) {
        m_error.Format("Can't write MIDI file '%s': %s", path, m_reason.GetText());
        return false;
    }
    CCharString error;
    if (!CDiskFile::SaveFile(path, bytes.data(), bytes.size(), error)) {
        m_error.Format("Can't write MIDI file '%s': %s", path, error.GetText());
        return false;
    }
    return true;
}

bool CSmfWriter::CheckFile(const SMF_FILE& file) {
    if (file.format < 0 || file.format > kMaxFormat) {
        return Fail("unknown format %d", file.format);
    }
    if (file.format == 0 && file.tracks.size() != 1) {
        return Fail("a format 0 file holds one track, not %zu", file.tracks.size());
    }
    if (file.tracks.size() > kMaxTracks) {
        return Fail("%zu tracks are more than the %zu a file can hold", file.tracks.size(),
                    kMaxTracks);
    }
    if (file.division < 1 || file.division > kMaxDivision) {
        return Fail("a division of %d ticks per quarter note is outside 1 to %d", file.division,
                    kMaxDivision);
    }
    return true;
}

bool CSmfWriter::WriteTrack(const SMF_TRACK& track, size_t index) {
    m_out->insert(m_out->end(), kTrackId, kTrackId + kChunkIdSize);
    const size_t lengthAt = m_out->size();
    Put32(0);  // filled in below
    m_runningStatus = 0;
    bool ok = false;
    if (std::is_sorted(track.events.begin(), track.events.end(), ByTick)) {
        ok = WriteEvents(track.events, index);
    } else {
        std::vector<SMF_EVENT> sorted = track.events;
        std::stable_sort(sorted.begin(), sorted.end(), ByTick);
        ok = WriteEvents(sorted, index);
    }
    if (!ok) {
        return false;
    }
    const size_t length = m_out->size() - lengthAt - sizeof(uint32_t);
    if (length > std::numeric_limits<uint32_t>::max()) {
        return Fail("track %zu needs %zu bytes, more than a chunk can hold", index, length);
    }
    WriteBig32(m_out->data() + lengthAt, static_cast<uint32_t>(length));
    return true;
}

bool CSmfWriter::WriteEvents(const std::vector<SMF_EVENT>& events, size_t index) {
    uint32_t tick = 0;
    uint32_t endTick = 0;
    for (const SMF_EVENT& event : events) {
        // End-of-track events are left for the one that closes the track.
        if (event.IsEndOfTrack()) {
            endTick = std::max(endTick, event.tick);
            continue;
        }
        if (!WriteEvent(event, event.tick - tick, index)) {
            return false;
        }
        tick = event.tick;
    }
    const SMF_EVENT end = MakeSmfMeta(std::max(tick, endTick), Smf::kMetaEndOfTrack);
    return WriteEvent(end, end.tick - tick, index);
}

bool CSmfWriter::WriteEvent(const SMF_EVENT& event, uint32_t delta, size_t index) {
    if (delta > kMaxVlq) {
        return Fail("track %zu: the time to the event at tick %u is more than %u ticks", index,
                    event.tick, kMaxVlq);
    }
    if (event.IsMeta() || event.IsSysex()) {
        if (event.data.size() > kMaxVlq) {
            return Fail("track %zu: the event at tick %u holds %zu bytes, more than %u", index,
                        event.tick, event.data.size(), kMaxVlq);
        }
        PutVlq(delta);
        Put8(event.status);
        if (event.IsMeta()) {
            Put8(event.metaType);
        }
        PutVlq(static_cast<uint32_t>(event.data.size()));
        m_out->insert(m_out->end(), event.data.begin(), event.data.end());
        m_runningStatus = 0;
        return true;
    }
    if (!event.IsChannel()) {
        return Fail("track %zu: the event at tick %u has the status %02X of no event kind", index,
                    event.tick, event.status);
    }
    if (event.data1 > kMaxDataByte || event.data2 > kMaxDataByte) {
        return Fail("track %zu: the event at tick %u has a data byte above %u", index, event.tick,
                    kMaxDataByte);
    }
    PutVlq(delta);
    if (event.status != m_runningStatus) {
        Put8(event.status);
        m_runningStatus = event.status;
    }
    Put8(event.data1);
    if (!HasSingleDataByte(event.status)) {
        Put8(event.data2);
    }
    return true;
}

void CSmfWriter::Put16(uint16_t value) {
    uint8_t bytes[sizeof(uint16_t)];
    WriteBig16(bytes, value);
    m_out->insert(m_out->end(), bytes, bytes + sizeof(bytes));
}

void CSmfWriter::Put32(uint32_t value) {
    uint8_t bytes[sizeof(uint32_t)];
    WriteBig32(bytes, value);
    m_out->insert(m_out->end(), bytes, bytes + sizeof(bytes));
}

void CSmfWriter::PutVlq(uint32_t value) {
    // Seven bits a byte, the highest first; all but the last byte have the
    // top bit set.
    uint8_t bytes[kMaxVlqBytes];
    int count = 0;
    do {
        bytes[count++] = static_cast<uint8_t>(value & kVlqValueMask);
        value >>= kVlqBits;
    } while (value != 0 && count < kMaxVlqBytes);
    for (int i = count - 1; i >= 0; --i) {
        Put8(i > 0 ? static_cast<uint8_t>(bytes[i] | kVlqMore) : bytes[i]);
    }
}

bool CSmfWriter::Fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_reason.FormatV(format, args);
    va_end(args);
    m_error.Format("Can't write MIDI data: %s", m_reason.GetText());
    return false;
}
