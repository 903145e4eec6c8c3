#include "capture/FileNoteDetector.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "audio/SoundFile.h"
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

// Hands converted values to the detector in the capture's blocks, each
// timed by where it ends in the sound.
class CBlockFeeder {
public:
    CBlockFeeder(CSoundDetector& detector, CCollector& collector, const WAVE_FORMAT& format)
        : m_detector(detector),
          m_collector(collector),
          m_format(format),
          m_blockValues(static_cast<size_t>(CFileNoteDetector::kBlockFrames) * format.channels) {
        m_pending.reserve(m_blockValues);
    }

    void Add(const std::vector<int16_t>& values) {
        size_t used = 0;
        while (used < values.size()) {
            const size_t take = std::min(m_blockValues - m_pending.size(), values.size() - used);
            m_pending.insert(m_pending.end(), values.begin() + used, values.begin() + used + take);
            used += take;
            if (m_pending.size() == m_blockValues) {
                Send(m_pending.data(), m_pending.size());
                m_pending.clear();
            }
        }
    }
    // The last, shorter block.
    void Flush() {
        if (!m_pending.empty()) {
            Send(m_pending.data(), m_pending.size());
            m_pending.clear();
        }
    }
    void AddSilence(double seconds) {
        const std::vector<int16_t> silence(m_blockValues, 0);
        const double blockSeconds =
            static_cast<double>(CFileNoteDetector::kBlockFrames) / m_format.samplesPerSecond;
        for (double sent = 0.0; sent < seconds; sent += blockSeconds) {
            Send(silence.data(), silence.size());
        }
    }

private:
    void Send(const int16_t* values, size_t count) {
        m_frames += count / m_format.channels;
        const double end = static_cast<double>(m_frames) / m_format.samplesPerSecond;
        m_collector.SetNow(end);
        m_detector.AddDataAt(reinterpret_cast<const uint8_t*>(values),
                             static_cast<uint32_t>(count * sizeof(int16_t)), end);
    }

    CSoundDetector& m_detector;
    CCollector& m_collector;
    const WAVE_FORMAT m_format;
    const size_t m_blockValues;
    std::vector<int16_t> m_pending;
    uint64_t m_frames = 0;  // sent so far
};

}  // namespace

CFileNoteDetector::CFileNoteDetector(int method, bool lowRange, double trigger,
                                     bool automaticTrigger)
    : m_method(method),
      m_lowRange(lowRange),
      m_trigger(trigger),
      m_automaticTrigger(automaticTrigger) {}

bool CFileNoteDetector::DetectFile(const char* path, std::vector<DETECTED_NOTE>& notes) {
    notes.clear();
    CSoundFile file;
    WAVE_FORMAT format;
    if (!file.Open(path, format, CSoundFile::kRead)) {
        m_error = file.GetError();
        return false;
    }
    const auto read = [&](uint8_t* bytes, uint32_t count, uint32_t& got) {
        if (!file.Read(count, bytes, got)) {
            m_error = file.GetError();
            return false;
        }
        return true;
    };
    return Run(format, read, notes);
}

bool CFileNoteDetector::Detect(const CSoundInfo& sound, std::vector<DETECTED_NOTE>& notes) {
    uint32_t offset = 0;
    const auto read = [&](uint8_t* bytes, uint32_t count, uint32_t& got) {
        got = std::min(count, sound.GetSize() - offset);
        if (got > 0) {
            std::memcpy(bytes, sound.GetData() + offset, got);
        }
        offset += got;
        return true;
    };
    return Run(sound.format, read, notes);
}

bool CFileNoteDetector::Run(const WAVE_FORMAT& format, const READ& read,
                            std::vector<DETECTED_NOTE>& notes) {
    notes.clear();
    try {
        return RunBlocks(format, read, notes);
    } catch (const std::bad_alloc&) {
        m_error = "Can't detect the notes: out of memory";
        return false;
    }
}

bool CFileNoteDetector::RunBlocks(const WAVE_FORMAT& format, const READ& read,
                                  std::vector<DETECTED_NOTE>& notes) {
    const WAVE_FORMAT capture = WAVE_FORMAT::Stream();
    CSoundConverter converter;
    if (!converter.Start(format, capture)) {
        m_error = converter.GetError();
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
    detector.SetAutomaticTrigger(m_automaticTrigger);
    if (!detector.Start(0.0, m_method, m_lowRange)) {
        m_error = detector.GetError();
        return false;
    }
    CBlockFeeder feeder(detector, collector, capture);
    // Whole source frames at a time; a frame is never larger than a read.
    const uint32_t chunk =
        std::max<uint32_t>(format.blockAlign, kReadBytes - kReadBytes % format.blockAlign);
    std::vector<uint8_t> bytes(chunk);
    std::vector<int16_t> values;
    for (;;) {
        uint32_t got = 0;
        if (!read(bytes.data(), chunk, got)) {
            return false;
        }
        if (got == 0) {
            break;
        }
        converter.Add(bytes.data(), got, values);
        feeder.Add(values);
    }
    converter.Finish(values);
    feeder.Add(values);
    feeder.Flush();
    feeder.AddSilence(kTailSeconds);
    return true;
}
