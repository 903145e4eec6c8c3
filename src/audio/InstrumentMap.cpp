#include "audio/InstrumentMap.h"

bool CInstrumentMap::Add(const CSoundInfo& sound, CCharString& error) {
    if (sound.note.thing == THING_NONE) {
        error = "Can't add sound: the instrument is not set";
        return false;
    }
    m_map[sound.note.thing].push_back(sound);
    return true;
}

bool CInstrumentMap::Find(const CNote& note, const CSoundInfo*& sound, CCharString& error) const {
    sound = nullptr;
    const auto entry = m_map.find(note.thing);
    if (entry == m_map.end()) {
        error = "Can't find the instrument";
        return false;
    }
    for (const CSoundInfo& candidate : entry->second) {
        const CNote& played = candidate.note;
        const bool byString = note.guitarString != UNSET &&
                              note.guitarString == played.guitarString && note.fret == played.fret;
        if (note.midiNote == NOTE_NONE || played.midiNote == note.midiNote || byString) {
            sound = &candidate;
            return true;
        }
    }
    error = "Can't find the note";
    return false;
}

const CInstrumentMap::SOUNDS* CInstrumentMap::GetSounds(int instrument) const {
    const auto entry = m_map.find(instrument);
    return entry == m_map.end() ? nullptr : &entry->second;
}

size_t CInstrumentMap::GetSoundCount() const {
    size_t count = 0;
    for (const auto& entry : m_map) {
        count += entry.second.size();
    }
    return count;
}
