#include "audio/NoteRenderer.h"

#include <algorithm>
#include <cstring>

#include "audio/InstrumentMap.h"
#include "audio/SampleOps.h"
#include "audio/SoundInfo.h"

namespace {

constexpr int kValueBytes = 2;  // one 16-bit value

int16_t ToValue(double value) {
    return static_cast<int16_t>(std::clamp(value, -32768.0, 32767.0));
}

}  // namespace

CNoteRenderer::CNoteRenderer(const CInstrumentMap& instruments, const WAVE_FORMAT& format)
    : m_instruments(instruments), m_format(format) {}

void CNoteRenderer::SetNotes(const CNoteList& notes, double loopLength, int repeatCount) {
    m_notes = notes;
    m_cursor = -1;
    m_time = 0.0;
    m_loopLength = loopLength;
    m_repeatCount = repeatCount;
    m_repetition = 0;
}

bool CNoteRenderer::FillSegment(uint8_t* buffer, uint32_t size, uint32_t tail, bool& mixed,
                                bool& finished) {
    const double duration = CSampleOps::BytesToSeconds(m_format, size);
    std::memset(buffer, 0, static_cast<size_t>(size) + tail);
    mixed = false;
    finished = true;
    for (;;) {
        const CNote* note = m_notes.GetAt(m_cursor + 1);
        if (note == nullptr) {
            // The end of the list: the next repetition, when one starts in
            // this segment.
            const bool repeats = m_loopLength > 0.0 && m_repeatCount >= 2 &&
                                 (m_repetition + 1) * m_loopLength < m_time + duration;
            if (!repeats) {
                break;
            }
            ++m_repetition;
            // repeatCount plays in all (repetitions 0 .. repeatCount - 1);
            // what this segment already holds still sounds.
            if (m_repetition >= m_repeatCount || m_notes.GetCount() == 0) {
                break;
            }
            m_cursor = -1;
            continue;
        }
        ++m_cursor;
        // Markers and notes without a time never sound.
        const bool marker = note->eventKind == EVENT_CHORD_MARKER ||
                            note->eventKind == EVENT_PART_MARKER ||
                            note->eventKind == EVENT_MEASURE_MARKER || note->midiNote == NOTE_CHORD;
        if (marker || note->time == UNSET_TIME) {
            continue;
        }
        const double time = m_repetition * m_loopLength + note->time;
        if (time < m_time - kEarlyWindow) {
            continue;  // past
        }
        if (time >= m_time + duration - kEarlyWindow) {
            --m_cursor;  // a later segment's
            finished = false;
            break;
        }
        const CSoundInfo* sample = nullptr;
        if (!m_instruments.Find(*note, sample, m_error)) {
            m_error.Format("Can't get instrument %d", note->thing);
            return false;
        }
        const uint32_t offset = CSampleOps::SecondsToBytes(m_format, time - m_time);
        if (offset > size) {
            m_error.Format("Offset is too high: Offset=%u, Size=%u", offset, size);
            return false;
        }
        MixNote(m_format, buffer + offset, size - offset + tail, *sample, *note);
        mixed = true;
    }
    m_time += duration;
    return true;
}

void CNoteRenderer::MixNote(const WAVE_FORMAT& format, uint8_t* buffer, uint32_t room,
                            const CSoundInfo& sample, const CNote& note) {
    const int16_t* source = sample.GetValues();
    if (source == nullptr || sample.format.blockAlign == 0) {
        return;
    }
    uint32_t length = sample.GetSize();
    if (note.duration != UNSET_TIME) {
        length = std::min(length, CSampleOps::SecondsToBytes(sample.format, note.duration));
    }
    // End at the last zero crossing, so the cut makes no click.
    size_t end = length / kValueBytes;
    for (size_t i = end > 0 ? end - 1 : 0; i > 0; --i) {
        const int16_t value = source[i];
        const int16_t before = source[i - 1];
        if ((value > 0 && before <= 0) || (value < 0 && before >= 0)) {
            end = i;
            break;
        }
    }
    const size_t step = std::max<size_t>(sample.format.channels, 1);
    int16_t* target = reinterpret_cast<int16_t*>(buffer);
    const size_t frames = room / format.blockAlign;
    for (size_t frame = 0, value = 0; frame < frames && value < end; ++frame, value += step) {
        int16_t left = 0;
        int16_t right = 0;
        CSampleOps::SplitByPan(ToValue(source[value] * static_cast<double>(note.volume)), note.pan,
                               left, right);
        target[2 * frame] = CSampleOps::Mix(target[2 * frame], left);
        target[2 * frame + 1] = CSampleOps::Mix(target[2 * frame + 1], right);
    }
}
