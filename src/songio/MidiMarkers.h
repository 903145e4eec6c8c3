#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/CharString.h"
#include "songs/Mix.h"
#include "songs/SongInfo.h"
#include "theory/Note.h"

class CSongPart;

// The guitar values a "<NoteInfo>" marker or controllers 16-19 give the next
// note that starts.
struct NOTE_INFO {
    int interval = 0;
    int guitarString = UNSET;
    int fret = UNSET;
    int finger = UNSET;
    int mode = 0;

    void Reset() { *this = NOTE_INFO(); }
};

// The texts of the program's own marker meta events in a MIDI file: a tag
// such as "<Chord>" followed by key=value pairs, each closed by "|"
// ("<Measure>PartMeasure=2|SongMeasure=5|"). Make* build a text, Read*
// parse one; a pair with an unknown key or a name no table holds makes the
// read fail with a "Can't ..." text.
class CMidiMarkers {
public:
    enum TAG {
        TAG_NONE = 0,
        TAG_SONG_INFO,
        TAG_PART_INFO,
        TAG_MIX,
        TAG_CHORD,
        TAG_SONG_PART,
        TAG_MEASURE,
        TAG_NOTE_INFO,
    };

    // The tag a marker text starts with; TAG_NONE for any other text. The
    // second form reads length bytes, which need no terminating zero.
    static TAG FindTag(const char* text);
    static TAG FindTag(const char* text, size_t length);

    static void MakeSongInfo(const SONG_INFO& info, CCharString& text);
    static bool MakePartInfo(const CSongPart& part, CCharString& text, CCharString& error);
    static bool MakeMix(const CMix& mix, CCharString& text, CCharString& error);
    static bool MakeChord(const CNote& marker, CCharString& text, CCharString& error);
    static void MakeSongPart(const CNote& marker, CCharString& text);
    static void MakeMeasure(const CNote& marker, CCharString& text);
    static void MakeNoteInfo(const CNote& note, CCharString& text);
    // The same text as the bytes of a meta event.
    static void MakeNoteInfo(const CNote& note, std::vector<uint8_t>& bytes);

    static bool ReadSongInfo(const char* text, SONG_INFO& info, CCharString& error);
    static bool ReadPartInfo(const char* text, CSongPart& part, CCharString& error);
    static bool ReadMix(const char* text, CMix& mix, CCharString& error);
    static bool ReadChord(const char* text, CNote& marker, CCharString& error);
    static bool ReadSongPart(const char* text, CNote& marker, CCharString& error);
    static bool ReadMeasure(const char* text, CNote& marker, CCharString& error);
    // Starts from unset values, so a note without info gets none.
    static bool ReadNoteInfo(const char* text, NOTE_INFO& info, CCharString& error);

private:
    using PAIRS = std::vector<std::pair<std::string, std::string>>;

    // The pairs after the tag; the key keeps its "=".
    static bool Split(const char* text, TAG tag, PAIRS& pairs, CCharString& error);
    // The pair at at (in text, after its tag) as views into the text; at
    // moves past it. False with the error text on a malformed pair.
    static bool NextPair(const char* text, const char*& at, std::string_view& key,
                         std::string_view& value, CCharString& error);
    static bool UnknownKey(TAG tag, const std::string& key, CCharString& error);
    static bool ReadPartPair(const std::string& key, const std::string& value, CSongPart& part,
                             CCharString& error);
    static bool ReadChordPair(const std::string& key, const std::string& value, CHORD_INFO& chord,
                              CCharString& error);
};
