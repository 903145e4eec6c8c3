#include "app/SongPlayer.h"

#include <algorithm>
#include <memory>

#include "audio/Sound.h"
#include "theory/NoteEvent.h"
#include "theory/NoteRouter.h"

namespace {

constexpr float kPlaybackVolume = 0.8f;

}  // namespace

CSongPlayer::CSongPlayer(SoundGetter sound, CNoteRouter& router, Clock clock)
    : m_sound(std::move(sound)), m_router(router), m_clock(std::move(clock)) {}

bool CSongPlayer::Play(const CNoteList& notes, double loopLength, int repeatCount,
                       const char* recordName) {
    Stop();
    CSound* sound = m_sound ? m_sound() : nullptr;
    if (sound == nullptr) {
        m_error = "Can't play: no sound device is open";
        return false;
    }
    const int repeats = loopLength > 0.0 && repeatCount > 1 ? repeatCount : 1;
    if (!sound->Start(notes, loopLength, repeats, recordName)) {
        m_error.Format("Can't play: %s", sound->GetError());
        return false;
    }
    Schedule(notes);
    m_loopLength = loopLength;
    m_repeats = repeats;
    m_start = m_clock();
    m_next = 0;
    m_pass = 0;
    m_playing = true;
    m_error.Empty();
    return true;
}

void CSongPlayer::Schedule(const CNoteList& notes) {
    m_loop.clear();
    for (int i = 0; i < notes.GetCount(); ++i) {
        const CNote& note = *notes.GetAt(i);
        const bool sounding =
            note.eventKind == EVENT_NOTE_START && note.midiNote <= NOTE_EVENT::kMaxNote;
        if (!sounding || note.time < 0.0) {
            continue;  // markers and notes without a time are not heard
        }
        m_loop.push_back({note.time, note.midiNote, true, note.thing});
        m_loop.push_back(
            {note.time + std::max(note.duration, 0.0), note.midiNote, false, note.thing});
    }
    // Ends before starts at one time: a repeated note is released first.
    std::stable_sort(m_loop.begin(), m_loop.end(), [](const EVENT& a, const EVENT& b) {
        return a.time < b.time || (a.time == b.time && !a.on && b.on);
    });
}

bool CSongPlayer::Stop() {
    bool stopped = true;
    if (m_playing) {
        CSound* sound = m_sound ? m_sound() : nullptr;
        stopped = sound == nullptr || sound->Stop();
    }
    const std::vector<EVENT> sounding = m_sounding;
    for (const EVENT& event : sounding) {
        Route(event.note, false, event.thing);
    }
    m_playing = false;
    m_loop.clear();
    return stopped;
}

void CSongPlayer::OnTimer() {
    if (!m_playing) {
        return;
    }
    const double elapsed = m_clock() - m_start;
    while (m_pass < m_repeats) {
        const double offset = m_pass * m_loopLength;
        while (m_next < m_loop.size() && offset + m_loop[m_next].time <= elapsed) {
            Route(m_loop[m_next].note, m_loop[m_next].on, m_loop[m_next].thing);
            ++m_next;
        }
        if (m_next < m_loop.size()) {
            return;  // the rest of this pass is still to come
        }
        if (m_pass + 1 < m_repeats && offset + m_loopLength > elapsed) {
            return;  // the next pass has not begun
        }
        ++m_pass;
        m_next = 0;
    }
    Stop();  // the last note of the last pass is over
}

void CSongPlayer::Route(int note, bool on, int thing) {
    const auto held = std::find_if(m_sounding.begin(), m_sounding.end(), [&](const EVENT& e) {
        return e.note == note && e.thing == thing;
    });
    if (on) {
        m_sounding.push_back({0.0, note, true, thing});
    } else if (held != m_sounding.end()) {
        m_sounding.erase(held);
    } else {
        return;  // never sent, or released already
    }
    NOTE_EVENT event =
        NOTE_EVENT::Make(note, on, on ? kPlaybackVolume : 0.0f, SOURCE_MIDI_FILE, m_clock());
    event.thing = thing;
    m_router.Route(event);
}
