#include "songio/MidiMarkers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

#include "songs/SongPart.h"
#include "theory/NoteManager.h"

namespace {

// Indexed by CMidiMarkers::TAG.
const char* const kTags[] = {"",        "<SongInfo>", "<SongPartInfo>", "<Mix>",
                             "<Chord>", "<SongPart>", "<Measure>",      "<NoteInfo>"};
constexpr int kTagCount = sizeof(kTags) / sizeof(kTags[0]);
// The tags' lengths, counted once.
const std::array<size_t, kTagCount> kTagLengths = [] {
    std::array<size_t, kTagCount> lengths{};
    for (int tag = 0; tag < kTagCount; ++tag) {
        lengths[tag] = std::strlen(kTags[tag]);
    }
    return lengths;
}();
constexpr char kPairEnd = '|';
constexpr char kPairEndStandIn = '/';  // written in place of a bar inside a value
constexpr char kKeyEnd = '=';

constexpr int kIntChars = 16;  // room for any int and its sign
constexpr int kKeyChars = 16;  // room for any key of an integer pair
constexpr int kPairChars = kKeyChars + kIntChars + 1;
// A "<NoteInfo>" text: the tag, five integer pairs and the terminating zero.
constexpr int kNoteInfoChars = 16 + 5 * kPairChars + 1;

void AddInt(CCharString& text, const char* key, int value) {
    char digits[kIntChars];
    const std::to_chars_result end = std::to_chars(digits, digits + kIntChars - 1, value);
    *end.ptr = '\0';
    text.Append(key);
    text.Append(digits);
    text.AppendChar(kPairEnd);
}

// Puts key, value and the pair's end at at, returning the end of the pair.
// The caller leaves room for kPairChars.
char* PutInt(char* at, const char* key, int value) {
    const size_t keyLength = std::strlen(key);
    std::memcpy(at, key, keyLength);
    at = std::to_chars(at + keyLength, at + keyLength + kIntChars, value).ptr;
    *at++ = kPairEnd;
    return at;
}

void AddDecimal3(CCharString& text, const char* key, double value) {
    CCharString pair;
    pair.Format("%s%0.3f|", key, value);
    text.Append(pair);
}

void AddDecimal2(CCharString& text, const char* key, double value) {
    CCharString pair;
    pair.Format("%s%0.2f|", key, value);
    text.Append(pair);
}

// A "|" inside a value would end its pair early and leave the whole marker
// unreadable, so it is written as "/".
void AddText(CCharString& text, const char* key, const char* value) {
    std::string safe = value != nullptr ? value : "";
    std::replace(safe.begin(), safe.end(), kPairEnd, kPairEndStandIn);
    CCharString pair;
    pair.Format("%s%s|", key, safe.c_str());
    text.Append(pair);
}

int ToInt(const std::string& value) {
    return static_cast<int>(std::strtol(value.c_str(), nullptr, 10));
}

// As ToInt. Up to nine digits, as the program writes them, are added up
// directly; any other value is copied to the stack, not the heap.
int ToInt(std::string_view value) {
    constexpr size_t kPlainDigits = 9;  // never more than an int holds
    const bool negative = !value.empty() && value[0] == '-';
    const std::string_view number = value.substr(negative ? 1 : 0);
    if (!number.empty() && number.size() <= kPlainDigits &&
        std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        int result = 0;
        for (const char c : number) {
            result = result * 10 + (c - '0');
        }
        return negative ? -result : result;
    }
    char digits[kIntChars];
    if (value.size() >= sizeof(digits)) {
        return ToInt(std::string(value));
    }
    std::memcpy(digits, value.data(), value.size());
    digits[value.size()] = '\0';
    return static_cast<int>(std::strtol(digits, nullptr, 10));
}

double ToDouble(const std::string& value) {
    return std::strtod(value.c_str(), nullptr);
}

bool NoName(const char* what, int id, CCharString& error) {
    error.Format("Can't find the name of %s %d", what, id);
    return false;
}

bool BadName(const char* what, const std::string& name, CCharString& error) {
    error.Format("Can't find %s '%s'", what, name.c_str());
    return false;
}

}  // namespace

CMidiMarkers::TAG CMidiMarkers::FindTag(const char* text) {
    return FindTag(text, std::strlen(text));
}

// No tag starts another, so at most one matches. Most marker texts are
// "<NoteInfo>"; the second character rules out the other tags cheaply.
CMidiMarkers::TAG CMidiMarkers::FindTag(const char* text, size_t length) {
    constexpr size_t kMinTagLength = 3;
    if (length < kMinTagLength || text[0] != kTags[TAG_SONG_INFO][0]) {
        return TAG_NONE;  // every tag opens with the same bracket
    }
    for (int tag = TAG_NONE + 1; tag < kTagCount; ++tag) {
        const size_t tagLength = kTagLengths[tag];
        if (text[1] == kTags[tag][1] && length >= tagLength &&
            std::memcmp(text, kTags[tag], tagLength) == 0) {
            return static_cast<TAG>(tag);
        }
    }
    return TAG_NONE;
}

bool CMidiMarkers::NextPair(const char* text, const char*& at, std::string_view& key,
                            std::string_view& value, CCharString& error) {
    const char* end = std::strchr(at, kPairEnd);
    const char* equals = std::strchr(at, kKeyEnd);
    if (end == nullptr || equals == nullptr || equals > end) {
        error.Format("Can't read the pair at '%s' in marker '%s'", at, text);
        return false;
    }
    key = std::string_view(at, static_cast<size_t>(equals + 1 - at));
    value = std::string_view(equals + 1, static_cast<size_t>(end - equals - 1));
    at = end + 1;
    return true;
}

bool CMidiMarkers::Split(const char* text, TAG tag, PAIRS& pairs, CCharString& error) {
    pairs.clear();
    if (FindTag(text) != tag) {
        error.Format("Can't find the tag %s in marker '%s'", kTags[tag], text);
        return false;
    }
    std::string_view key, value;
    for (const char* at = text + std::strlen(kTags[tag]); *at != '\0';) {
        if (!NextPair(text, at, key, value, error)) {
            return false;
        }
        pairs.emplace_back(key, value);
    }
    return true;
}

bool CMidiMarkers::UnknownKey(TAG tag, const std::string& key, CCharString& error) {
    error.Format("Can't read key '%s' of a %s marker", key.c_str(), kTags[tag]);
    return false;
}

void CMidiMarkers::MakeSongInfo(const SONG_INFO& info, CCharString& text) {
    text = kTags[TAG_SONG_INFO];
    AddText(text, "Description=", info.description);
    AddInt(text, "Repeat=", info.repeat);
    if (info.length != UNSET_TIME) {
        AddDecimal3(text, "SongLength=", info.length);
    }
}

bool CMidiMarkers::ReadSongInfo(const char* text, SONG_INFO& info, CCharString& error) {
    PAIRS pairs;
    if (!Split(text, TAG_SONG_INFO, pairs, error)) {
        return false;
    }
    for (const auto& [key, value] : pairs) {
        if (key == "Description=") {
            info.description = value.c_str();
        } else if (key == "Repeat=") {
            info.repeat = ToInt(value);
        } else if (key == "SongLength=") {
            info.length = ToDouble(value);
        } else {
            return UnknownKey(TAG_SONG_INFO, key, error);
        }
    }
    return true;
}

bool CMidiMarkers::MakePartInfo(const CSongPart& part, CCharString& text, CCharString& error) {
    const SONG_INFO& info = part.m_arrangement.m_info;
    CCharString scale;
    if (!CNoteManager::GetScaleName(info.scale, scale)) {
        return NoName("scale", info.scale, error);
    }
    text = kTags[TAG_PART_INFO];
    AddText(text, "Name=", part.m_name);
    AddText(text, "Description=", part.m_description);
    AddInt(text, "Repeat=", part.m_repeat);
    AddText(text, "Style=", part.m_grooveStyle);
    AddText(text, "GrooveName=", part.m_grooveName);
    AddText(text, "GrooveFile=", part.m_grooveFile);
    AddDecimal3(text, "GrooveLength=", part.m_grooveLength);
    AddDecimal3(text, "PartLength=", info.length == UNSET_TIME ? 0.0 : info.length);
    AddText(text, "Scale=", scale);
    AddInt(text, "ScaleRoot=", info.scaleRoot);
    AddDecimal2(text, "Tempo=", info.tempo);
    AddDecimal3(text, "BeatTime=", info.secondsPerBeat);
    AddInt(text, "Measures=", info.measures);
    AddInt(text, "BeatNotes=", info.beatNote);
    AddInt(text, "MeasureBeats=", info.measureBeats);
    return true;
}

bool CMidiMarkers::ReadPartInfo(const char* text, CSongPart& part, CCharString& error) {
    PAIRS pairs;
    if (!Split(text, TAG_PART_INFO, pairs, error)) {
        return false;
    }
    for (const auto& [key, value] : pairs) {
        if (!ReadPartPair(key, value, part, error)) {
            return false;
        }
    }
    return true;
}

bool CMidiMarkers::ReadPartPair(const std::string& key, const std::string& value, CSongPart& part,
                                CCharString& error) {
    SONG_INFO& info = part.m_arrangement.m_info;
    if (key == "Name=") {
        part.m_name = value.c_str();
    } else if (key == "Description=") {
        part.m_description = value.c_str();
    } else if (key == "Repeat=") {
        part.m_repeat = ToInt(value);
    } else if (key == "Style=") {
        part.m_grooveStyle = value.c_str();
    } else if (key == "GrooveName=") {
        part.m_grooveName = value.c_str();
    } else if (key == "GrooveFile=") {
        part.m_grooveFile = value.c_str();
    } else if (key == "GrooveLength=") {
        part.m_grooveLength = ToDouble(value);
    } else if (key == "PartLength=") {
        info.length = ToDouble(value);
    } else if (key == "Scale=") {
        if (!CNoteManager::FindScale(value.c_str(), info.scale)) {
            return BadName("scale", value, error);
        }
    } else if (key == "ScaleRoot=") {
        info.scaleRoot = ToInt(value);
    } else if (key == "Tempo=") {
        info.tempo = ToDouble(value);
    } else if (key == "BeatTime=") {
        info.secondsPerBeat = ToDouble(value);
    } else if (key == "Measures=") {
        info.measures = ToInt(value);
    } else if (key == "BeatNotes=") {
        info.beatNote = ToInt(value);
    } else if (key == "MeasureBeats=") {
        info.measureBeats = ToInt(value);
    } else {
        return UnknownKey(TAG_PART_INFO, key, error);
    }
    return true;
}

bool CMidiMarkers::MakeMix(const CMix& mix, CCharString& text, CCharString& error) {
    text = kTags[TAG_MIX];
    for (const auto& [thing, entry] : mix.GetEntries()) {
        CCharString name;
        if (!GetThingName(thing, name)) {
            return NoName("instrument", thing, error);
        }
        AddText(text, "Instrument=", name);
        AddDecimal2(text, "Volume=", entry.volume);
        AddDecimal2(text, "Pan=", entry.pan);
    }
    return true;
}

// Each "Instrument=" opens a group; the group enters the map when the next
// one opens or the text ends, keeping the previous group's volume and pan
// for a key it lacks.
bool CMidiMarkers::ReadMix(const char* text, CMix& mix, CCharString& error) {
    PAIRS pairs;
    if (!Split(text, TAG_MIX, pairs, error)) {
        return false;
    }
    int thing = THING_NONE;
    float volume = 1.0f;
    float pan = 0.0f;
    auto enter = [&]() {
        if (thing != THING_NONE && !mix.Set(thing, volume, pan)) {
            error = "Can't insert into mix map";
            return false;
        }
        return true;
    };
    for (const auto& [key, value] : pairs) {
        if (key == "Instrument=") {
            if (!enter()) {
                return false;
            }
            if (!FindThing(value.c_str(), thing)) {
                return BadName("instrument", value, error);
            }
        } else if (key == "Volume=") {
            volume = static_cast<float>(ToDouble(value));
        } else if (key == "Pan=") {
            pan = static_cast<float>(ToDouble(value));
        } else {
            return UnknownKey(TAG_MIX, key, error);
        }
    }
    return enter();
}

bool CMidiMarkers::MakeChord(const CNote& marker, CCharString& text, CCharString& error) {
    const CHORD_INFO& chord = marker.GetChord();
    CCharString pitch, type, group, scale;
    if (!GetAccidentalName(chord.pitch, pitch)) {
        return NoName("accidental", chord.pitch, error);
    }
    if (!CNoteManager::GetChordTypeName(chord.chordType, type)) {
        return NoName("chord type", chord.chordType, error);
    }
    // Group 0 is none: the pair is left out and reads back as none.
    if (chord.chordGroup != 0 && !CNoteManager::GetChordGroupName(chord.chordGroup, group)) {
        return NoName("chord group", chord.chordGroup, error);
    }
    if (!CNoteManager::GetScaleName(chord.scale, scale)) {
        return NoName("scale", chord.scale, error);
    }
    text = kTags[TAG_CHORD];
    AddInt(text, "MidiNote=", chord.root);
    AddText(text, "Pitch=", pitch);
    AddText(text, "ChordType=", type);
    if (chord.chordGroup != 0) {
        AddText(text, "ChordGroup=", group);
    }
    AddInt(text, "Number=", chord.number);
    AddText(text, "Scale=", scale);
    AddInt(text, "ScaleRoot=", chord.scaleRoot);
    return true;
}

bool CMidiMarkers::ReadChord(const char* text, CNote& marker, CCharString& error) {
    PAIRS pairs;
    if (!Split(text, TAG_CHORD, pairs, error)) {
        return false;
    }
    marker.eventKind = EVENT_CHORD_MARKER;
    bool ok = true;
    marker.EditChord([&](CHORD_INFO& chord) {
        for (const auto& [key, value] : pairs) {
            if (!ReadChordPair(key, value, chord, error)) {
                ok = false;
                return;
            }
        }
    });
    return ok;
}

bool CMidiMarkers::ReadChordPair(const std::string& key, const std::string& value,
                                 CHORD_INFO& chord, CCharString& error) {
    if (key == "MidiNote=") {
        chord.root = static_cast<uint8_t>(ToInt(value));
    } else if (key == "Pitch=") {
        if (!FindAccidental(value.c_str(), chord.pitch)) {
            return BadName("accidental", value, error);
        }
    } else if (key == "ChordType=") {
        if (!CNoteManager::FindChordType(value.c_str(), chord.chordType)) {
            return BadName("chord type", value, error);
        }
    } else if (key == "ChordGroup=") {
        if (!CNoteManager::FindChordGroup(value.c_str(), chord.chordGroup)) {
            return BadName("chord group", value, error);
        }
    } else if (key == "Number=") {
        chord.number = ToInt(value);
    } else if (key == "Scale=") {
        if (!CNoteManager::FindScale(value.c_str(), chord.scale)) {
            return BadName("scale", value, error);
        }
    } else if (key == "ScaleRoot=") {
        chord.scaleRoot = ToInt(value);
    } else if (key != "Repeat=") {  // accepted, the marker has no field for it
        return UnknownKey(TAG_CHORD, key, error);
    }
    return true;
}

void CMidiMarkers::MakeSongPart(const CNote& marker, CCharString& text) {
    text = kTags[TAG_SONG_PART];
    AddText(text, "Name=", marker.GetText());
}

bool CMidiMarkers::ReadSongPart(const char* text, CNote& marker, CCharString& error) {
    PAIRS pairs;
    if (!Split(text, TAG_SONG_PART, pairs, error)) {
        return false;
    }
    marker.eventKind = EVENT_PART_MARKER;
    for (const auto& [key, value] : pairs) {
        if (key != "Name=") {
            return UnknownKey(TAG_SONG_PART, key, error);
        }
        marker.SetText(value.c_str());
    }
    return true;
}

void CMidiMarkers::MakeMeasure(const CNote& marker, CCharString& text) {
    text = kTags[TAG_MEASURE];
    AddInt(text, "PartMeasure=", marker.partMeasure);
    AddInt(text, "SongMeasure=", marker.songMeasure);
}

bool CMidiMarkers::ReadMeasure(const char* text, CNote& marker, CCharString& error) {
    PAIRS pairs;
    if (!Split(text, TAG_MEASURE, pairs, error)) {
        return false;
    }
    marker.eventKind = EVENT_MEASURE_MARKER;
    for (const auto& [key, value] : pairs) {
        if (key == "PartMeasure=") {
            marker.partMeasure = ToInt(value);
        } else if (key == "SongMeasure=") {
            marker.songMeasure = ToInt(value);
        } else {
            return UnknownKey(TAG_MEASURE, key, error);
        }
    }
    return true;
}

// Written for every sounding note, so the text is put together on the stack
// and copied out once.
void CMidiMarkers::MakeNoteInfo(const CNote& note, std::vector<uint8_t>& bytes) {
    char buffer[kNoteInfoChars];
    char* at = buffer + kTagLengths[TAG_NOTE_INFO];
    std::memcpy(buffer, kTags[TAG_NOTE_INFO], kTagLengths[TAG_NOTE_INFO]);
    if (note.interval != 0) {
        at = PutInt(at, "Interval=", note.interval);
    }
    if (note.guitarString != UNSET && note.guitarString != 0) {
        at = PutInt(at, "String=", note.guitarString);
    }
    if (note.fret != UNSET) {
        at = PutInt(at, "Fret=", note.fret);
    }
    if (note.finger != UNSET) {
        at = PutInt(at, "Finger=", note.finger);
    }
    if (note.mode != 0) {
        at = PutInt(at, "Mode=", note.mode);
    }
    bytes.assign(buffer, at);
}

void CMidiMarkers::MakeNoteInfo(const CNote& note, CCharString& text) {
    std::vector<uint8_t> bytes;
    MakeNoteInfo(note, bytes);
    text = std::string(bytes.begin(), bytes.end()).c_str();
}

// Read for every note a file of the program holds, so its pairs are taken
// as views into the text, without copies.
bool CMidiMarkers::ReadNoteInfo(const char* text, NOTE_INFO& info, CCharString& error) {
    // No tag starts another: starting with this one is being of this tag.
    const size_t tagLength = kTagLengths[TAG_NOTE_INFO];
    if (std::strncmp(text, kTags[TAG_NOTE_INFO], tagLength) != 0) {
        error.Format("Can't find the tag %s in marker '%s'", kTags[TAG_NOTE_INFO], text);
        return false;
    }
    info.Reset();
    std::string_view key, value;
    for (const char* at = text + tagLength; *at != '\0';) {
        if (!NextPair(text, at, key, value, error)) {
            return false;
        }
        if (key == "Interval=") {
            info.interval = ToInt(value);
        } else if (key == "String=") {
            info.guitarString = ToInt(value);
        } else if (key == "Fret=") {
            info.fret = ToInt(value);
        } else if (key == "Finger=") {
            info.finger = ToInt(value);
        } else if (key == "Mode=") {
            info.mode = ToInt(value);
        } else {
            return UnknownKey(TAG_NOTE_INFO, std::string(key), error);
        }
    }
    return true;
}
