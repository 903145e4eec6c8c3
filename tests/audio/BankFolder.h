#pragma once

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"

// A sound folder of short synthetic recordings laid out as the sample banks
// expect: every file a sine at its note's pitch, so a test can tell which
// recording a sound came from by its length and pitch.
class CBankFolder {
public:
    static constexpr double kSeconds = 0.25;
    static constexpr int kRate = 44100;

    explicit CBankFolder(const std::string& root) : m_root(root + "/") {}

    const std::string& GetRoot() const { return m_root; }

    bool WriteTone(const std::string& file, double frequency, double seconds = kSeconds) {
        const int frames = static_cast<int>(seconds * kRate);
        std::vector<int16_t> values(frames);
        for (int i = 0; i < frames; ++i) {
            values[i] =
                static_cast<int16_t>(20000.0 * std::sin(2.0 * M_PI * frequency * i / kRate));
        }
        CSoundInfo sound;
        sound.format = WAVE_FORMAT::Pcm(1, kRate, 16);
        const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
        sound.SetData(std::vector<uint8_t>(bytes, bytes + values.size() * sizeof(int16_t)));
        std::filesystem::create_directories(std::filesystem::path(m_root + file).parent_path());
        CSoundFile writer;
        return writer.Save((m_root + file).c_str(), sound);
    }

    static double Frequency(int midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0); }

    // The three piano notes, fret 0 of every string, every drum piece.
    bool WriteAll() {
        bool ok = WritePiano();
        ok = ok && WriteStrings("Clean Guitar", {64, 59, 55, 50, 45, 40}, {0});
        ok = ok && WriteStrings("Finger Bass", {43, 38, 33, 28}, {0});
        return ok && WriteDrums();
    }
    bool WritePiano() {
        return WriteTone("Piano/Piano-C1.wav", Frequency(24)) &&
               WriteTone("Piano/Piano-C3.wav", Frequency(48)) &&
               WriteTone("Piano/Piano-C6.wav", Frequency(84));
    }
    bool WriteStrings(const std::string& name, const std::vector<int>& open,
                      const std::vector<int>& frets, int skipString = 0) {
        for (size_t s = 1; s <= open.size(); ++s) {
            for (int fret : frets) {
                char file[128];
                std::snprintf(file, sizeof file, "%s/%s_%zu-%2d.wav", name.c_str(), name.c_str(), s,
                              fret);
                if (static_cast<int>(s) != skipString &&
                    !WriteTone(file, Frequency(open[s - 1] + fret))) {
                    return false;
                }
            }
        }
        return true;
    }
    bool WriteDrums() {
        const char* const pieces[] = {
            "Snare",           "Bass",         "HiHat Open",     "HiHat Closed",
            "HiHat Foot",      "Ride",         "Ride Bell",      "Crash High",
            "Crash Medium",    "Splash",       "Chinese",        "Rack Tom High",
            "Rack Tom Medium", "Rack Tom Low", "Floor Tom High", "Floor Tom Medium",
            "Floor Tom Low"};
        double frequency = 100.0;
        for (const char* piece : pieces) {
            if (!WriteTone(std::string("Drums/") + piece + ".wav", frequency += 20.0)) {
                return false;
            }
        }
        return true;
    }

private:
    std::string m_root;
};
