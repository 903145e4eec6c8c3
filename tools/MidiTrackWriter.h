#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes a standard MIDI file of one track (format 0, 480 ticks a quarter,
// 120 beats a minute) from events given in seconds, for the tools that
// render notes with a soundfont.
class CMidiTrackWriter {
public:
    static constexpr int kTicksPerQuarter = 480;
    static constexpr int kMicrosecondsPerQuarter = 500000;
    static constexpr double kTicksPerSecond = kTicksPerQuarter * 1e6 / kMicrosecondsPerQuarter;

    void ProgramChange(double seconds, int channel, int program);
    void NoteOn(double seconds, int channel, int note, int velocity);
    void NoteOff(double seconds, int channel, int note);
    // Events are written in time order; the track ends tailSeconds after the
    // last one. False when the file could not be written.
    bool Write(const std::string& path, double tailSeconds) const;

private:
    struct EVENT {
        uint32_t tick;
        uint8_t status, data1, data2;
    };
    void Add(double seconds, int status, int data1, int data2);

    std::vector<EVENT> m_events;
};
