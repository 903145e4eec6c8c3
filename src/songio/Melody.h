#pragma once

#include <string>
#include <vector>

#include "foundation/CharString.h"
#include "midi/SmfFile.h"

class CSong;

// The melody of a MIDI file, as a tune to read note by note: the notes of
// its lead track in the order they start. The lead track is the track named
// as the lead guitar or as a melody, else the first track with notes on a
// channel that is not the drums'; in a one-track file each channel counts
// as a track. Notes that start together (a chord) give their top note.
class CMelody {
public:
    // Two notes this close (in quarter notes) start together.
    static constexpr double kTogetherQuarters = 1.0 / 32.0;
    static constexpr double kDefaultSecondsPerBeat = 0.5;

    // False with the reason when the file holds no melody.
    bool Take(const SMF_FILE& file);
    // The same for a rendered song: its lead-guitar track, a track named as
    // a lead or a melody, else its first track of pitched notes.
    bool TakeSong(const CSong& song);
    const std::vector<int>& GetNotes() const { return m_notes; }
    // The name of the first track, empty when it has none.
    const std::string& GetName() const { return m_name; }
    // The file's first key signature, when it has one: its sharps (positive)
    // or flats (negative) and whether the key is minor.
    bool HasKey() const { return m_hasKey; }
    int GetKeyAccidentals() const { return m_keyAccidentals; }
    bool IsKeyMinor() const { return m_keyMinor; }
    const char* GetError() const { return m_error; }

private:
    struct VOICE {
        size_t track = 0;
        int channel = 0;
        std::string trackName;
        std::vector<const SMF_EVENT*> starts;
    };
    static std::vector<VOICE> FindVoices(const SMF_FILE& file);
    static bool IsLeadName(const std::string& name);
    void FindKey(const SMF_FILE& file);

    std::vector<int> m_notes;
    std::string m_name;
    bool m_hasKey = false;
    int m_keyAccidentals = 0;
    bool m_keyMinor = false;
    CCharString m_error;
};
