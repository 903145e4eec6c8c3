#include "songio/Melody.h"

#include <algorithm>
#include <cctype>

#include "songs/Song.h"

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string TrackName(const SMF_TRACK& track) {
    for (const SMF_EVENT& event : track.events) {
        if (event.IsMeta() && event.metaType == Smf::kMetaTrackName) {
            return std::string(event.data.begin(), event.data.end());
        }
    }
    return std::string();
}

}  // namespace

bool CMelody::IsLeadName(const std::string& name) {
    const std::string lower = Lower(name);
    return lower.find("lead") != std::string::npos || lower.find("melody") != std::string::npos;
}

std::vector<CMelody::VOICE> CMelody::FindVoices(const SMF_FILE& file) {
    std::vector<VOICE> voices;
    for (size_t t = 0; t < file.tracks.size(); ++t) {
        const SMF_TRACK& track = file.tracks[t];
        const std::string name = TrackName(track);
        for (const SMF_EVENT& event : track.events) {
            if (!event.IsNoteStart() || event.GetChannel() == Smf::kDrumChannel) {
                continue;
            }
            auto voice = std::find_if(voices.begin(), voices.end(), [&](const VOICE& v) {
                return v.track == t && v.channel == event.GetChannel();
            });
            if (voice == voices.end()) {
                voices.push_back(VOICE{t, event.GetChannel(), name, {}});
                voice = voices.end() - 1;
            }
            voice->starts.push_back(&event);
        }
    }
    return voices;
}

void CMelody::FindKey(const SMF_FILE& file) {
    constexpr int kMostAccidentals = 7;
    m_hasKey = false;
    uint32_t first = 0;
    for (const SMF_TRACK& track : file.tracks) {
        for (const SMF_EVENT& event : track.events) {
            if (!event.IsMeta() || event.metaType != Smf::kMetaKeySignature ||
                event.data.size() < 2 || (m_hasKey && event.tick >= first)) {
                continue;
            }
            const int accidentals = static_cast<int8_t>(event.data[0]);
            if (accidentals < -kMostAccidentals || accidentals > kMostAccidentals) {
                continue;  // no key: the notes choose one
            }
            m_hasKey = true;
            first = event.tick;
            m_keyAccidentals = accidentals;
            m_keyMinor = event.data[1] != 0;
        }
    }
}

bool CMelody::Take(const SMF_FILE& file) {
    m_notes.clear();
    FindKey(file);
    m_name = file.tracks.empty() ? std::string() : TrackName(file.tracks.front());
    std::vector<VOICE> voices = FindVoices(file);
    if (voices.empty()) {
        const bool anyNote =
            std::any_of(file.tracks.begin(), file.tracks.end(), [](const SMF_TRACK& t) {
                return std::any_of(t.events.begin(), t.events.end(),
                                   [](const SMF_EVENT& event) { return event.IsNoteStart(); });
            });
        m_error = anyNote ? "it has no notes outside the drums" : "it has no notes";
        return false;
    }
    const auto lead = std::find_if(voices.begin(), voices.end(),
                                   [](const VOICE& v) { return IsLeadName(v.trackName); });
    VOICE& voice = lead != voices.end() ? *lead : voices.front();
    std::stable_sort(voice.starts.begin(), voice.starts.end(),
                     [](const SMF_EVENT* a, const SMF_EVENT* b) { return a->tick < b->tick; });
    const auto together = static_cast<uint32_t>(
        std::max(1.0, kTogetherQuarters * static_cast<double>(std::max(1, file.division))));
    uint32_t chordTick = 0;
    for (const SMF_EVENT* start : voice.starts) {
        if (!m_notes.empty() && start->tick - chordTick < together) {
            m_notes.back() = std::max(m_notes.back(), static_cast<int>(start->data1));
            continue;
        }
        chordTick = start->tick;
        m_notes.push_back(start->data1);
    }
    return true;
}

namespace {

bool HasPitchedNotes(const CTrack& track) {
    for (int i = 0; i < track.m_notes.GetCount(); ++i) {
        const CNote& note = *track.m_notes.GetAt(i);
        if (!note.IsMarker() && !note.IsDrum() && note.time != UNSET_TIME &&
            note.midiNote < NOTE_COUNT) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool CMelody::TakeSong(const CSong& song) {
    m_hasKey = false;
    m_notes.clear();
    m_name = song.m_info.name.Str();
    const CTrack* lead = nullptr;
    const CTrack* named = nullptr;
    const CTrack* first = nullptr;
    for (int t = 0; t < song.GetTrackCount(); ++t) {
        const CTrack& track = *song.GetTrack(t);
        if (track.m_thing == THING_DRUM_SET || !HasPitchedNotes(track)) {
            continue;
        }
        if (lead == nullptr && track.m_thing == THING_LEAD_GUITAR) {
            lead = &track;
        }
        if (named == nullptr && IsLeadName(track.GetName())) {
            named = &track;
        }
        if (first == nullptr) {
            first = &track;
        }
    }
    const CTrack* voice = lead != nullptr ? lead : named != nullptr ? named : first;
    if (voice == nullptr) {
        m_error = "the song has no notes to read";
        return false;
    }
    const double beat =
        song.m_info.secondsPerBeat > 0.0 ? song.m_info.secondsPerBeat : kDefaultSecondsPerBeat;
    const double together = kTogetherQuarters * beat;
    double chordStart = 0.0;
    for (int i = 0; i < voice->m_notes.GetCount(); ++i) {
        const CNote& note = *voice->m_notes.GetAt(i);
        if (note.IsMarker() || note.IsDrum() || note.time == UNSET_TIME ||
            note.midiNote >= NOTE_COUNT) {
            continue;
        }
        if (!m_notes.empty() && note.time - chordStart < together) {
            m_notes.back() = std::max<int>(m_notes.back(), note.midiNote);  // a chord's top note
            continue;
        }
        chordStart = note.time;
        m_notes.push_back(note.midiNote);
    }
    return true;
}
