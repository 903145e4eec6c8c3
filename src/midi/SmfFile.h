#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// The bytes of a Standard MIDI File as plain data: the header's format and
// division and every track's events with absolute ticks. The song conversion
// reads and fills these; CSmfReader and CSmfWriter turn them into bytes.

namespace Smf {

constexpr uint8_t kMetaStatus = 0xFF;
constexpr uint8_t kSysexStatus = 0xF0;
constexpr uint8_t kSysexEscape = 0xF7;  // sysex continuation or raw bytes
constexpr uint8_t kStatusBit = 0x80;    // set on status bytes, clear on data bytes
constexpr uint8_t kKindMask = 0xF0;
constexpr uint8_t kChannelMask = 0x0F;
constexpr uint8_t kLastChannelStatus = 0xEF;

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kKeyPressure = 0xA0;
constexpr uint8_t kController = 0xB0;
constexpr uint8_t kProgram = 0xC0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kPitchBend = 0xE0;

constexpr uint8_t kMetaText = 0x01;
constexpr uint8_t kMetaTrackName = 0x03;
constexpr uint8_t kMetaMarker = 0x06;
constexpr uint8_t kMetaEndOfTrack = 0x2F;
constexpr uint8_t kMetaTempo = 0x51;
constexpr uint8_t kMetaTimeSignature = 0x58;
constexpr uint8_t kMetaKeySignature = 0x59;

constexpr int kDrumChannel = 9;                        // the tenth channel, 0-based
constexpr int kTempoBytes = 3;                         // microseconds per quarter note, 24 bits
constexpr uint32_t kDefaultMicrosPerQuarter = 500000;  // 120 beats per minute
constexpr int kDefaultDivision = 480;

}  // namespace Smf

// One event of a track. status is 0xFF for a meta event (metaType tells
// which, data holds its bytes), 0xF0 or 0xF7 for a sysex event (data holds
// its bytes), otherwise a channel status 0x80..0xEF with data1 and data2
// (data2 is 0 for program change and channel pressure). Data bytes are kept
// as they were read; the song conversion checks their ranges.
struct SMF_EVENT {
    uint32_t tick = 0;  // absolute, from the start of the track
    uint8_t status = 0;
    uint8_t metaType = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
    std::vector<uint8_t> data;

    bool IsMeta() const { return status == Smf::kMetaStatus; }
    bool IsSysex() const { return status == Smf::kSysexStatus || status == Smf::kSysexEscape; }
    bool IsChannel() const {
        return status >= Smf::kStatusBit && status <= Smf::kLastChannelStatus;
    }
    int GetKind() const { return status & Smf::kKindMask; }
    int GetChannel() const { return status & Smf::kChannelMask; }
    bool IsNoteStart() const { return IsChannel() && GetKind() == Smf::kNoteOn && data2 > 0; }
    // A note-off, or a note-on with velocity 0 as most files end notes.
    bool IsNoteEnd() const {
        return IsChannel() &&
               (GetKind() == Smf::kNoteOff || (GetKind() == Smf::kNoteOn && data2 == 0));
    }
    bool IsEndOfTrack() const { return IsMeta() && metaType == Smf::kMetaEndOfTrack; }

    bool operator==(const SMF_EVENT& other) const {
        return tick == other.tick && status == other.status && metaType == other.metaType &&
               data1 == other.data1 && data2 == other.data2 && data == other.data;
    }
    bool operator!=(const SMF_EVENT& other) const { return !(*this == other); }
};

struct SMF_TRACK {
    std::vector<SMF_EVENT> events;
};

struct SMF_FILE {
    int format = 1;                        // 0 one track, 1 parallel tracks, 2 separate ones
    int division = Smf::kDefaultDivision;  // ticks per quarter note
    std::vector<SMF_TRACK> tracks;
};

// A channel message at tick.
inline SMF_EVENT MakeSmfChannelEvent(uint32_t tick, uint8_t status, uint8_t data1,
                                     uint8_t data2 = 0) {
    SMF_EVENT event;
    event.tick = tick;
    event.status = status;
    event.data1 = data1;
    event.data2 = data2;
    return event;
}

// A note-on (velocity above 0) or note end (velocity 0) on a 0-based channel.
inline SMF_EVENT MakeSmfNote(uint32_t tick, int channel, uint8_t note, uint8_t velocity) {
    const auto status = static_cast<uint8_t>(Smf::kNoteOn | (channel & Smf::kChannelMask));
    return MakeSmfChannelEvent(tick, status, note, velocity);
}

inline SMF_EVENT MakeSmfMeta(uint32_t tick, uint8_t type, std::vector<uint8_t> data = {}) {
    SMF_EVENT event;
    event.tick = tick;
    event.status = Smf::kMetaStatus;
    event.metaType = type;
    event.data = std::move(data);
    return event;
}

inline SMF_EVENT MakeSmfTempo(uint32_t tick, uint32_t microsPerQuarter) {
    constexpr int kByteBits = 8;
    std::vector<uint8_t> data(Smf::kTempoBytes);
    for (int i = 0; i < Smf::kTempoBytes; ++i) {
        data[i] =
            static_cast<uint8_t>(microsPerQuarter >> (kByteBits * (Smf::kTempoBytes - 1 - i)));
    }
    return MakeSmfMeta(tick, Smf::kMetaTempo, std::move(data));
}
