#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "audio/SoundInfo.h"
#include "foundation/CharString.h"

// Every loaded sample, grouped by instrument number (the Thing code; 65 the
// piano), in the order they were added; found again by the note they play.
class CInstrumentMap {
public:
    using SOUNDS = std::vector<CSoundInfo>;

    bool Add(const CSoundInfo& sound, CCharString& error);
    // The first sample of the note's instrument that matches: any sample for
    // MIDI note 255, the same MIDI note, or the same string and fret.
    bool Find(const CNote& note, const CSoundInfo*& sound, CCharString& error) const;
    const SOUNDS* GetSounds(int instrument) const;
    void Clear() { m_map.clear(); }
    bool IsEmpty() const { return m_map.empty(); }
    size_t GetSoundCount() const;
    // Every sample, for releasing their buffers.
    template <typename F>
    void ForEach(F&& visit) {
        for (auto& entry : m_map) {
            for (CSoundInfo& sound : entry.second) {
                visit(sound);
            }
        }
    }

private:
    std::map<int32_t, SOUNDS> m_map;
};
