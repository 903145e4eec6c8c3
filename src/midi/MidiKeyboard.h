#pragma once

#include "foundation/CharString.h"
#include "theory/Note.h"

class CMix;

// The computer keyboard played as a music keyboard. A key's character picks
// a note for the current instrument: two guitar-like rows and a piano-like
// layout for melodic instruments, drum pieces for the drum set, the current
// chord for the rhythm guitar. Notes carry source 1 and the instrument.
class CMidiKeyboard {
public:
    static constexpr float kKeyVolume = 0.7f;
    static constexpr double kDrumDuration = 10.0;

    CMidiKeyboard() = default;
    CMidiKeyboard(const CMidiKeyboard&) = delete;
    CMidiKeyboard& operator=(const CMidiKeyboard&) = delete;
    virtual ~CMidiKeyboard() = default;

    // The instrument played and the mix whose entry for it gives the volume
    // and pan of its notes (none: volume 0.7, centred). The mix must outlive
    // its use here.
    void SetInstrument(int thing) { m_instrument = thing; }
    int GetInstrument() const { return m_instrument; }
    void SetMix(const CMix* mix) { m_mix = mix; }

    // key is the character on the key ('A'..'Z' in either case, digits,
    // punctuation, ' ' for the space bar). A repeat of a held key gives no
    // note. The note's event kind is a start (EVENT_KEEP for a drum). False
    // when the key gives no note for the instrument.
    bool KeyDown(char key, bool repeat, CNote& note) const;
    // The end of the key's note: the same note with volume 0 and event kind
    // end (a drum's stays EVENT_KEEP: it rings on).
    bool KeyUp(char key, CNote& note) const;

    // The note the instrument sounds for a computer key's midiNote: its
    // volume and pan from the mix, a start (volume above 0) or an end.
    void MakeSoundingNote(int midiNote, bool on, CNote& note) const;

    // The MIDI note of key for an instrument; 0 for none.
    static int MapKey(char key, int instrument);
    // The character of the first key of the four rows that plays midiNote
    // on an instrument, upper case; '\0' when none does.
    static char FindKey(int midiNote, int instrument);

private:
    bool MakeNote(char key, float volume, CNote& note) const;

    int m_instrument = THING_LEAD_GUITAR;
    const CMix* m_mix = nullptr;
};
