#include "MidiTrackWriter.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kNoteOff = 0x80;
constexpr int kNoteOn = 0x90;
constexpr int kProgram = 0xC0;

void PutVariable(std::vector<uint8_t>& out, uint32_t value) {
    uint8_t bytes[4];
    int count = 0;
    do {
        bytes[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && count < 4);
    while (count > 0) {
        --count;
        out.push_back(static_cast<uint8_t>(bytes[count] | (count > 0 ? 0x80 : 0)));
    }
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

uint32_t Ticks(double seconds) {
    return static_cast<uint32_t>(std::max(0.0, seconds) * CMidiTrackWriter::kTicksPerSecond);
}

}  // namespace

void CMidiTrackWriter::ProgramChange(double seconds, int channel, int program) {
    Add(seconds, kProgram | channel, program, 0);
}

void CMidiTrackWriter::NoteOn(double seconds, int channel, int note, int velocity) {
    Add(seconds, kNoteOn | channel, note, velocity);
}

void CMidiTrackWriter::NoteOff(double seconds, int channel, int note) {
    Add(seconds, kNoteOff | channel, note, 0);
}

void CMidiTrackWriter::Add(double seconds, int status, int data1, int data2) {
    m_events.push_back({Ticks(seconds), static_cast<uint8_t>(status), static_cast<uint8_t>(data1),
                        static_cast<uint8_t>(data2)});
}

bool CMidiTrackWriter::Write(const std::string& path, double tailSeconds) const {
    std::vector<EVENT> events = m_events;
    std::stable_sort(events.begin(), events.end(),
                     [](const EVENT& a, const EVENT& b) { return a.tick < b.tick; });
    std::vector<uint8_t> track;
    track.insert(track.end(), {0x00, 0xFF, 0x51, 0x03});
    PutBigEndian(track, kMicrosecondsPerQuarter, 3);
    uint32_t last = 0;
    for (const EVENT& event : events) {
        PutVariable(track, event.tick - last);
        last = event.tick;
        track.push_back(event.status);
        track.push_back(event.data1);
        if ((event.status & 0xF0) != kProgram) {
            track.push_back(event.data2);
        }
    }
    PutVariable(track, Ticks(tailSeconds));
    track.insert(track.end(), {0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
    PutBigEndian(file, kTicksPerQuarter, 2);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    PutBigEndian(file, static_cast<uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}
