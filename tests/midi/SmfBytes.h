#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// Hand-made MIDI file bytes for the reader tests: a header chunk and track
// chunks whose length is counted from their content or given outright.
namespace SmfBytes {

inline void Append32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<uint8_t>(value >> shift));
    }
}

inline std::vector<uint8_t> Header(int format, int trackCount, int division) {
    std::vector<uint8_t> bytes = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    for (int value : {format, trackCount, division}) {
        bytes.push_back(static_cast<uint8_t>(value >> 8));
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

inline void AppendChunk(std::vector<uint8_t>& bytes, const char* id,
                        const std::vector<uint8_t>& content, uint32_t length) {
    bytes.insert(bytes.end(), id, id + 4);
    Append32(bytes, length);
    bytes.insert(bytes.end(), content.begin(), content.end());
}

inline void AppendTrack(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& events) {
    AppendChunk(bytes, "MTrk", events, static_cast<uint32_t>(events.size()));
}

// A format 0 file of one track holding events.
inline std::vector<uint8_t> OneTrack(const std::vector<uint8_t>& events, int division = 96) {
    std::vector<uint8_t> bytes = Header(0, 1, division);
    AppendTrack(bytes, events);
    return bytes;
}

}  // namespace SmfBytes
