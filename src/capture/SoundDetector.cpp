#include "capture/SoundDetector.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "foundation/ErrorReport.h"
#include "foundation/LogFile.h"
#include "platform/Clock.h"

namespace {

constexpr double kLowestNormal = 82.0;  // periods that size the steps
constexpr double kLowestLow = 41.0;
constexpr double kStepPeriods = 1.3;
constexpr double kBlockLengthNormal = 1.0 / 659;
constexpr double kBlockLengthLow = 1.0 / 196;
// A step this much louder than the one before is a new attack. At 1.2 the
// beating of a held piano note and a singer's vibrato were told as new notes
// (each a wrong answer); 1.5 still hears a re-struck note.
constexpr double kAttackJump = 1.5;
constexpr double kFullScale = 32767.0;
// A pitch change is only heard in a step at least this share of the note's
// loudest: the fading tail of a struck note often measures an octave off,
// while a note played legato comes in about as loud as the one before.
constexpr float kChangeLevel = 0.25f;
// ... and only this far from the told note's own pitch, in cents: a pitch
// that wanders about the edge of the note's band (a low piano string's
// partials, a flat singer) stays the note; a semitone is 100.
constexpr double kChangeCents = 70.0;
constexpr double kCentsPerOctave = 1200.0;

}  // namespace

CSoundDetector::CSoundDetector(const CNoteList& noteTable, const WAVE_FORMAT& format,
                               float triggerLevel, ISoundDetectorSink* sink, CLogFile* log)
    : m_noteTable(noteTable),
      m_format(format),
      m_sink(sink),
      m_log(log),
      m_pitchData(static_cast<size_t>(kPitchSeconds) * format.averageBytesPerSecond),
      m_triggerFraction(triggerLevel) {}

void CSoundDetector::Trace(const char* format, ...) const {
    if (!m_debug || m_log == nullptr) {
        return;
    }
    CCharString text;
    va_list args;
    va_start(args, format);
    text.FormatV(format, args);
    va_end(args);
    m_log->WriteLine(text, true);
}

bool CSoundDetector::Start(double timeOffset, int method, bool lowRange) {
    Trace("=============== CSoundDetector::Start =========================");
    if (m_format.blockAlign == 0 || m_format.samplesPerSecond == 0 ||
        m_format.bitsPerSample != 16) {
        m_error = "Can't start the note detector: the capture format is not 16-bit PCM";
        return false;
    }
    m_timeOffset = timeOffset;
    m_lowRange = lowRange;
    m_method = method;
    if (method != 0 && !m_pitch.SetUp(m_format, method, lowRange)) {
        m_error.Format("Can't start the note detector: %s", m_pitch.GetError());
        return false;
    }
    const double rate = m_format.samplesPerSecond;
    m_period = 1.0 / (lowRange ? kLowestLow : kLowestNormal);
    m_stepLength = static_cast<int>(rate * m_period * kStepPeriods);
    m_minimumPitchBytes = method != 0 ? m_pitch.GetMinimumFrames() * m_format.blockAlign : 0;
    m_pitch.SetBlockLength(
        static_cast<int>(rate * (lowRange ? kBlockLengthLow : kBlockLengthNormal)));
    if (method == kNoteTracker) {
        if (!m_tracker) {
            INoteTrackerListener& listener = *this;
            m_tracker = std::make_unique<CNoteTracker>(listener);
        }
        m_tracker->Start(m_format, lowRange);
        m_trackedOpen = false;
        m_tracker->SetTrigger(m_automaticTrigger, m_triggerFraction);
    }
    m_trigger = static_cast<int>(std::clamp(m_triggerFraction, 0.0f, 1.0f) * kFullScale);
    m_blockOffset = 0.0;
    m_instrument = lowRange ? THING_BASS_GUITAR : THING_LEAD_GUITAR;
    m_current = CNote();
    m_current.mode = MODE_START;
    m_current.thing = m_instrument;
    m_reported = CNote();
    m_reported.thing = m_instrument;
    m_onset = m_release = kNoFrame;
    m_previousLevel = 0;
    m_framesInStep = 0;
    m_stepPeak = m_previousStepPeak = 0;
    m_pending = false;
    m_pitchCount = 0;
    m_saveOffset = -1;
    m_running = true;
    m_startTime = Platform::GetClock().GetSeconds();
    return true;
}

bool CSoundDetector::Stop() {
    m_running = false;
    return true;
}

bool CSoundDetector::AddData(const uint8_t* bytes, uint32_t count) {
    return AddDataAt(bytes, count, Platform::GetClock().GetSeconds() - m_startTime);
}

bool CSoundDetector::AddDataAt(const uint8_t* bytes, uint32_t count, double endSeconds) {
    if (m_method == 0 || !m_running) {
        return true;
    }
    if (bytes == nullptr && count > 0) {
        m_error = "Can't detect notes: no data";
        return false;
    }
    const int channels = m_format.channels;
    const int frames = static_cast<int>(count / m_format.blockAlign);
    m_blockOffset = endSeconds - static_cast<double>(frames) / m_format.samplesPerSecond;
    if (m_method == kNoteTracker) {
        m_tracker->Add(bytes, frames, m_blockOffset);
        return true;
    }
    m_block = bytes;
    m_saveOffset = m_onset != kNoFrame ? 0 : -1;
    for (int i = 0; i < frames; ++i) {
        int sum = 0;
        for (int c = 0; c < channels; ++c) {
            int16_t value = 0;
            std::memcpy(&value, bytes + (static_cast<size_t>(i) * channels + c) * 2, sizeof value);
            sum += std::abs(static_cast<int>(value));
        }
        const int level = sum / channels;
        m_stepPeak = std::max(m_stepPeak, level);
        if (m_framesInStep >= m_stepLength) {
            Step(i);
        }
        if (level > m_trigger && m_previousLevel <= m_trigger && m_onset == kNoFrame) {
            NoteStart(i);
        }
        if (level <= m_trigger) {
            if (m_previousLevel > m_trigger && m_onset != kNoFrame) {
                m_release = i;
            }
            if (m_release != kNoFrame && i - m_release > m_stepLength) {
                NoteStop(m_release);
            }
        }
        ++m_framesInStep;
        m_previousLevel = level;
    }
    SavePitchData(static_cast<int64_t>(frames) * m_format.blockAlign);
    m_block = nullptr;
    if (m_onset != kNoFrame) {
        m_onset -= frames;
    }
    if (m_release != kNoFrame) {
        m_release -= frames;
    }
    return true;
}

double CSoundDetector::FrameTime(int frame) const {
    return static_cast<double>(frame) / m_format.samplesPerSecond + m_blockOffset;
}

double CSoundDetector::ClockTimeOf(const CNote& note) const {
    double t = note.time;
    if (note.eventKind == EVENT_NOTE_END && note.duration != UNSET_TIME) {
        t += note.duration;
    }
    return m_startTime + m_timeOffset + t;
}

void CSoundDetector::ClearPitch(CNote& note) const {
    note.midiNote = NOTE_NONE;
    note.SetNames(NOTE_NONE);
    note.frequency = 0.0;
    note.measuredFrequency = 0.0;
}

void CSoundDetector::NoteStart(int frame) {
    m_onset = frame;
    const double t = FrameTime(frame);
    Trace("%s", "");
    Trace(" Start: ==> %6.3f", t);
    m_current = CNote();
    m_current.thing = m_instrument;
    m_current.time = t - m_timeOffset;
    m_current.mode = MODE_START;
    m_current.volume = 0.0f;
    ClearPitch(m_current);
    m_reported = m_current;
    m_reported.volume = 0.0f;
    m_reported.eventKind = EVENT_NOTE_START;
    m_pending = true;
    m_release = kNoFrame;
    ForgetChange();
    Evaluate();
    m_pitchCount = 0;
    m_saveOffset = std::max<int64_t>(0, static_cast<int64_t>(frame) * m_format.blockAlign);
}

void CSoundDetector::NoteStop(int frame) {
    const double t = FrameTime(frame);
    Trace("  Stop: <== %6.3f", t);
    m_current.volume = 0.0f;
    m_current.time = t - m_timeOffset;
    m_current.mode = MODE_END;
    ClearPitch(m_current);
    // Only a note whose start was told has an end to tell.
    if (!m_pending) {
        m_reported.volume = 0.0f;
        m_reported.mode = m_current.mode;
        m_reported.thing = m_instrument;
        m_reported.eventKind = EVENT_NOTE_END;
        m_reported.duration = (t - m_timeOffset) - m_reported.time;
        PostNote();
    }
    ClearPitch(m_reported);
    ForgetChange();
    Evaluate();
    m_onset = m_release = kNoFrame;
    m_pending = false;
    m_pitchCount = 0;
    m_saveOffset = -1;
}

void CSoundDetector::Step(int frame) {
    if (m_stepPeak > kAttackJump * m_previousStepPeak && m_onset != kNoFrame &&
        m_onset < frame - 2 * m_stepLength) {
        Trace(" Step %6.3f: %5d --> %5d", m_current.time, m_previousStepPeak, m_stepPeak);
        NoteStop(frame - m_stepLength);
        NoteStart(frame - m_stepLength);
    } else {
        m_current.volume = static_cast<float>(m_stepPeak / kFullScale);
        m_current.time = FrameTime(frame - m_stepLength) - m_timeOffset;
    }
    m_reported.volume = std::max(m_reported.volume, m_current.volume);
    SavePitchData(static_cast<int64_t>(frame) * m_format.blockAlign);
    if (DetectPitch()) {
        m_current.mode &= ~(MODE_START | MODE_END);
        m_current.time = FrameTime(frame) - m_timeOffset;
        Evaluate();
    }
    // The input meter follows every step.
    PostLevel();
    m_previousStepPeak = m_stepPeak;
    m_framesInStep = 0;
    m_stepPeak = 0;
}

void CSoundDetector::SavePitchData(int64_t offset) {
    if (m_saveOffset < 0 || m_block == nullptr || offset <= m_saveOffset) {
        return;
    }
    const auto capacity = static_cast<uint32_t>(m_pitchData.size());
    uint32_t k = static_cast<uint32_t>(offset - m_saveOffset);
    const uint8_t* from = m_block + m_saveOffset;
    if (k > capacity) {
        Trace("##### Can't save data: buffer is %u, adding %u", capacity, k);
        m_pitchCount = 0;
        from += k - capacity;  // the newest capacity's worth
        k = capacity;
    } else if (m_pitchCount + k > capacity) {
        Trace("##### Can't save data: buffer is %u, saved %u, adding %u", capacity, m_pitchCount,
              k);
        k = capacity - m_pitchCount;
    }
    std::memcpy(m_pitchData.data() + m_pitchCount, from, k);
    m_pitchCount += k;
    m_saveOffset = offset;
}

bool CSoundDetector::DetectPitch() {
    if (m_pitchCount < m_minimumPitchBytes) {
        return false;
    }
    // Once the note's pitch is known only the newest window counts: what
    // sounds now, to hear a change. Before, everything since the note began.
    const bool known = m_current.measuredFrequency > 0.0;
    const uint32_t count = known ? m_minimumPitchBytes : m_pitchCount;
    double frequency = 0.0;
    const bool detected =
        m_pitch.Detect(m_pitchData.data() + (m_pitchCount - count), count, frequency);
    if (known || (detected && frequency > 0.0)) {
        KeepNewest(m_minimumPitchBytes);  // the next step measures a window again
    } else {
        m_pitchCount = 0;
    }
    if (!detected) {
        return false;
    }
    if (!(frequency > 0.0)) {
        m_error.Format("Can't delect frequency: %s", m_pitch.GetError());
        return false;
    }
    m_current.measuredFrequency = frequency;
    return true;
}

void CSoundDetector::KeepNewest(uint32_t count) {
    if (m_pitchCount > count) {
        std::memmove(m_pitchData.data(), m_pitchData.data() + (m_pitchCount - count), count);
        m_pitchCount = count;
    }
}

bool CSoundDetector::FindNote(double frequency, CNote& note) const {
    for (int i = 0; i < m_noteTable.GetCount(); ++i) {
        const CNote& entry = *m_noteTable.GetAt(i);
        if (entry.GetBandLow() <= frequency && frequency <= entry.GetBandHigh()) {
            note = entry;
            return true;
        }
    }
    return false;
}

void CSoundDetector::Evaluate() {
    if (!(m_current.measuredFrequency > 0.0)) {
        ClearPitch(m_current);
        PostLevel();
        return;
    }
    CNote found;
    if (!FindNote(m_current.measuredFrequency, found)) {
        m_error.Format("Can't find note: no note sounds at %.2f Hz", m_current.measuredFrequency);
        ReportError("SoundDetector", __LINE__, "%s", m_error.GetText());
        return;
    }
    const double measured = m_current.measuredFrequency;
    m_current.CopyPitch(found);
    m_current.measuredFrequency = measured;
    if (m_pending) {
        m_reported.CopyPitch(found);
        m_reported.measuredFrequency = measured;
        m_reported.duration = 0.0;
        m_reported.eventKind = EVENT_NOTE_START;
        PostNote();
        m_pending = false;
        ForgetChange();
    } else if (m_current.midiNote != m_reported.midiNote) {
        WatchChange(found, measured);
    } else {
        ForgetChange();
    }
}

void CSoundDetector::WatchChange(const CNote& found, double measured) {
    const double cents = kCentsPerOctave * std::log2(measured / m_reported.frequency);
    if (m_current.volume < kChangeLevel * m_reported.volume || std::abs(cents) < kChangeCents) {
        ForgetChange();
        return;
    }
    if (found.midiNote != m_candidate) {
        // The first window to hear the new pitch holds it in about its newer
        // half: the pitch began about half a window before the window's end.
        const double window =
            static_cast<double>(m_minimumPitchBytes) / m_format.averageBytesPerSecond;
        m_candidate = found.midiNote;
        m_candidateSteps = 0;
        m_candidateTime = std::max(m_reported.time, m_current.time - window / 2);
    }
    if (++m_candidateSteps < kChangeSteps) {
        return;
    }
    // The pitch changed while the note sounds: the old one ends, the new
    // one starts.
    Trace("Change: <=> %6.3f", m_candidateTime);
    m_reported.duration = m_candidateTime - m_reported.time;
    m_reported.eventKind = EVENT_NOTE_END;
    PostNote();
    m_reported.time = m_candidateTime;
    m_reported.volume = m_current.volume;
    m_reported.CopyPitch(found);
    m_reported.measuredFrequency = measured;
    m_reported.duration = 0.0;
    m_reported.eventKind = EVENT_NOTE_START;
    PostNote();
    ForgetChange();
}

void CSoundDetector::ForgetChange() {
    m_candidate = NOTE_NONE;
    m_candidateSteps = 0;
}

void CSoundDetector::PostNote() {
    CNote note = m_reported;
    note.thing = m_instrument;
    note.source = SOURCE_SOUND_DETECTOR;
    Trace("MIDI: %s, %d at %.3f", note.GetName().GetText(), note.midiNote, note.time);
    if (m_sink != nullptr) {
        m_sink->OnNote(note, ClockTimeOf(note));
    }
}

void CSoundDetector::PostLevel() {
    CNote level = m_current;
    ClearPitch(level);
    level.thing = m_instrument;
    level.source = SOURCE_DETECTOR_LEVEL;
    if (m_sink != nullptr) {
        m_sink->OnLevel(level);
    }
}

void CSoundDetector::OnTrackerStart(double time, double frequency, float volume) {
    CNote found;
    if (!FindNote(frequency, found)) {
        return;  // outside the table: no note to tell
    }
    m_reported = CNote();
    m_reported.time = time - m_timeOffset;
    m_reported.mode = MODE_START;
    m_reported.CopyPitch(found);
    m_reported.measuredFrequency = frequency;
    m_reported.volume = volume;
    m_reported.duration = 0.0;
    m_reported.eventKind = EVENT_NOTE_START;
    m_current = m_reported;
    m_trackedOpen = true;
    PostNote();
}

void CSoundDetector::OnTrackerEnd(double time) {
    if (!m_trackedOpen) {
        return;
    }
    m_reported.volume = 0.0f;
    m_reported.mode = MODE_END;
    m_reported.eventKind = EVENT_NOTE_END;
    m_reported.duration = (time - m_timeOffset) - m_reported.time;
    PostNote();
    m_trackedOpen = false;
}

void CSoundDetector::OnTrackerPitch(double time, double frequency) {
    if (m_sink != nullptr) {
        m_sink->OnPitch(frequency, m_startTime + time);
    }
}

void CSoundDetector::OnTrackerLevel(double time, float volume) {
    m_current.volume = volume;
    m_current.time = time - m_timeOffset;
    PostLevel();
}
