// notara-detect FILE.wav [--method N] [--low] [--trigger LEVEL]
// Runs the live note detector over a WAVE file, as if it came from the
// microphone, and prints one line per detected note:
//   onset_s release_s midi_note frequency_hz
// with -1 for a release it did not see. Bad input gets a "Can't ..." line on
// standard error and a non-zero exit.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"
#include "capture/PitchDetector.h"
#include "capture/SoundConverter.h"
#include "capture/SoundDetector.h"
#include "theory/NoteManager.h"

namespace {

constexpr int kBlockFrames = 256;  // as the capture hands them over
constexpr double kDefaultTrigger = 0.05;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

struct FOUND {
    double onset = 0.0;
    double release = -1.0;
    int midiNote = 0;
    double frequency = 0.0;
};

// Pairs each note's start with its end.
class CCollector : public ISoundDetectorSink {
public:
    void OnNote(const CNote& note) override {
        if (note.eventKind == EVENT_NOTE_START) {
            m_found.push_back({note.time, -1.0, note.midiNote, note.measuredFrequency});
            return;
        }
        for (auto it = m_found.rbegin(); it != m_found.rend(); ++it) {
            if (it->midiNote == note.midiNote && it->release < 0.0) {
                it->release = note.time + note.duration;
                break;
            }
        }
    }
    void OnLevel(const CNote&) override {}
    const std::vector<FOUND>& GetFound() const { return m_found; }

private:
    std::vector<FOUND> m_found;
};

int Usage() {
    std::fprintf(stderr,
                 "usage: notara-detect FILE.wav [--method N] [--low] [--trigger LEVEL]\n"
                 "  --method N       pitch method 1..6 (4, the live method, by default)\n"
                 "  --low            the bass range, 35..200 Hz\n"
                 "  --trigger LEVEL  the level a note rises through, 0..1 (%.2f)\n",
                 kDefaultTrigger);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = nullptr;
    int method = CPitchDetector::kFastAutoCorr;
    bool low = false;
    double trigger = kDefaultTrigger;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--method") == 0 && i + 1 < argc) {
            method = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--low") == 0) {
            low = true;
        } else if (std::strcmp(argv[i], "--trigger") == 0 && i + 1 < argc) {
            trigger = std::atof(argv[++i]);
        } else if (argv[i][0] == '-' || path != nullptr) {
            return Usage();
        } else {
            path = argv[i];
        }
    }
    if (path == nullptr || method < 1 || method > 6 || !(trigger > 0.0 && trigger < 1.0)) {
        return Usage();
    }
    CSoundFile file;
    CSoundInfo sound;
    if (!file.ReadInfo(path, sound)) {
        std::fprintf(stderr, "Can't read %s: %s\n", path, file.GetError());
        return kExitBadInput;
    }
    const WAVE_FORMAT capture = WAVE_FORMAT::Stream();
    CSoundInfo converted;
    CCharString error;
    if (!CSoundConverter::Convert(sound, capture, converted, error)) {
        std::fprintf(stderr, "Can't read %s: %s\n", path, error.GetText());
        return kExitBadInput;
    }
    CNoteManager notes;
    if (!notes.Init()) {
        std::fprintf(stderr, "Can't make the note table\n");
        return kExitBadInput;
    }
    CCollector collector;
    CSoundDetector detector(notes.GetNoteTable(), capture, static_cast<float>(trigger), &collector);
    if (!detector.Start(0.0, method, low)) {
        std::fprintf(stderr, "%s\n", detector.GetError());
        return kExitBadInput;
    }
    const uint32_t block = kBlockFrames * capture.blockAlign;
    const uint32_t size = converted.GetSize();
    for (uint32_t offset = 0; offset < size; offset += block) {
        const uint32_t count = std::min(block, size - offset);
        const double end = static_cast<double>(offset + count) / capture.averageBytesPerSecond;
        detector.AddDataAt(converted.GetData() + offset, count, end);
    }
    // A second of silence lets the last note end.
    std::vector<uint8_t> silence(capture.averageBytesPerSecond, 0);
    const double end = static_cast<double>(size) / capture.averageBytesPerSecond;
    for (uint32_t offset = 0; offset < silence.size(); offset += block) {
        detector.AddDataAt(silence.data() + offset, block,
                           end + static_cast<double>(offset + block) / capture.averageBytesPerSecond);
    }
    for (const FOUND& found : collector.GetFound()) {
        std::printf("%.3f %.3f %d %.2f\n", found.onset, found.release, found.midiNote,
                    found.frequency);
    }
    return 0;
}
