#include "capture/FileNoteDetector.h"

#include <algorithm>

#include "capture/SoundConverter.h"
#include "capture/SoundDetector.h"
#include "theory/NoteManager.h"

namespace {

constexpr double kTailSeconds = 1.0;

// Pairs each note's start with its end, and keeps when the start was told.
class CCollector : public ISoundDetectorSink {
public:
    explicit CCollector(std::vector<DETECTED_NOTE>& notes) : m_notes(notes) {}
    void SetNow(double seconds) { m_now = seconds; }

    void OnNote(const CNote& note, double) override {
        if (note.eventKind == EVENT_NOTE_START) {
            m_notes.push_back({note.time, -1.0, note.midiNote, note.measuredFrequency, m_now});
            return;
        }
        for (auto it = m_notes.rbegin(); it != m_notes.rend(); ++it) {
            if (it->midiNote == note.midiNote && it->release < 0.0) {
                it->release = note.time + note.duration;
                break;
            }
        }
    }
    void OnLevel(const CNote&) override {}

private:
    std::vector<DETECTED_NOTE>& m_notes;
    double m_now = 0.0;
};

}  // namespace

CFileNoteDetector::CFileNoteDetector(int method, bool lowRange, double trigger)
    : m_method(method), m_lowRange(lowRange), m_trigger(trigger) {}

bool CFileNoteDetector::Detect(const CSoundInfo& sound, std::vector<DETECTED_NOTE>& notes) {
    notes.clear();
    const WAVE_FORMAT capture = WAVE_FORMAT::Stream();
    CSoundInfo converted;
    if (!CSoundConverter::Convert(sound, capture, converted, m_error)) {
        return false;
    }
    CNoteManager manager;
    if (!manager.Init()) {
        m_error = "Can't make the note table";
        return false;
    }
    CCollector collector(notes);
    CSoundDetector detector(manager.GetNoteTable(), capture, static_cast<float>(m_trigger),
                            &collector);
    if (!detector.Start(0.0, m_method, m_lowRange)) {
        m_error = detector.GetError();
        return false;
    }
    const uint32_t block = kBlockFrames * capture.blockAlign;
    const double bytesPerSecond = capture.averageBytesPerSecond;
    const uint32_t size = converted.GetSize();
    for (uint32_t offset = 0; offset < size; offset += block) {
        const uint32_t count = std::min(block, size - offset);
        const double end = (offset + count) / bytesPerSecond;
        collector.SetNow(end);
        detector.AddDataAt(converted.GetData() + offset, count, end);
    }
    const std::vector<uint8_t> silence(block, 0);
    const double soundEnd = size / bytesPerSecond;
    for (double sent = 0.0; sent < kTailSeconds; sent += block / bytesPerSecond) {
        const double end = soundEnd + sent + block / bytesPerSecond;
        collector.SetNow(end);
        detector.AddDataAt(silence.data(), block, end);
    }
    return true;
}
