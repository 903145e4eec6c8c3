#pragma once

#include <array>
#include <vector>

// The key a lesson is written in: the sharps or flats of its signature,
// the naturals they are written on, and how every pitch is spelled in it.
// Notes of the lesson's scale take the letter of their degree; other
// pitches keep a white key's letter, and a black key is written as a sharp
// in a sharp key (and in C) and as a flat in a flat key.
class CKeySignature {
public:
    static constexpr int kLetterCount = 7;     // C D E F G A B
    static constexpr int kMaxAccidentals = 7;  // of a signature

    // The key of a lesson's scale from its root: a key (ids 1..30) is its
    // own; the major, the minor and the pentatonic scales take the key of
    // their root with the fewest accidentals. False, and no key, for the
    // other scales (the chromatic scale, the modes, blues ...).
    bool SetScale(int scaleId, int root);
    // The key whose signature has accidentals (sharps positive, flats
    // negative, as a MIDI file's key signature gives them), major or minor;
    // a minor key spells its raised leading note with a sharp or natural.
    // False, and no key, outside -7..7.
    bool SetSignature(int accidentals, bool minor);
    // The signature (-6..6) of the major key whose scale holds the most of
    // midiNotes; of two that hold as many, the one with fewer accidentals.
    static int FitSignature(const std::vector<int>& midiNotes);
    void Reset();

    bool IsSet() const { return m_keyId != 0; }
    int GetKeyId() const { return m_keyId; }
    // Sharps (positive) or flats (negative) of the signature.
    int GetAccidentals() const { return m_accidentals; }

    // Spells midiNote: the natural it is written on and its alteration
    // (+1 sharp, -1 flat, 0 natural). False when no key is set.
    bool Spell(int midiNote, int& writtenNote, int& alteration) const;

    // The alteration a signature of accidentals gives the letter (0 C ..
    // 6 B) of a written natural.
    static int GetLetterAlteration(int accidentals, int letter);
    // The letter of a natural note, -1 for a black key.
    static int GetLetter(int midiNote);
    // The naturals a signature's accidentals are written on, in their
    // order, on the treble staff or on the bass staff.
    static std::vector<int> GetSignatureNotes(int accidentals, bool treble);

private:
    struct SPELLING {
        int letter = 0;
        int alteration = 0;
    };

    bool SetKey(int keyId);
    void SpellDegrees(int scaleId, int root, int rootLetter);

    int m_keyId = 0;
    int m_accidentals = 0;
    std::array<SPELLING, 12> m_spelling{};  // per pitch class
};
