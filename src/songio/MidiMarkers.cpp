#include "songio/MidiMarkers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/NumberFormat.h"
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

void AddDecimal(CCharString& text, const char* key, double value, int decimals) {
    text.Append((key + NumberFormat::FormatDouble(value, decimals) + kPairEnd).c_str());
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

bool BadNumber(std::string_view key, std::string_view value, const std::string& reason,
               CCharString& error) {
    error.Format("Can't read %s'%s' of a marker: %s", std::string(key).c_str(),
                 std::string(value).c_str(), reason.c_str());
    return false;
}

// A number as strtol and strtod read it in the C locale; a value an older
// build wrote with a decimal comma is refused rather than read as another.
// Plain digits, as the program writes them, are added up directly: the
// pairs of every note of a file are read here.
bool ToInt(std::string_view key, std::string_view value, int& number, CCharString& error) {
    constexpr size_t kPlainDigits = 9;  // never more than an int holds
    const bool negative = !value.empty() && value[0] == '-';
    const std::string_view digits = value.substr(negative ? 1 : 0);
    if (!digits.empty() && digits.size() <= kPlainDigits &&
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        int result = 0;
        for (const char c : digits) {
            result = result * 10 + (c - '0');
        }
        number = negative ? -result : result;
        return true;
    }
    std::string reason;
    return NumberFormat::ParseInt(value, number, NumberFormat::kLikeStrtol, &reason) ||
           BadNumber(key, value, reason, error);
}

bool ToDouble(std::string_view key, std::string_view value, double& number, CCharString& error) {
    std::string reason;
    return NumberFormat::ParseDouble(value, number, NumberFormat::kLikeStrtod, &reason) ||
           BadNumber(key, value, reason, error);
}

bool ToFloat(std::string_view key, std::string_view value, float& number, CCharString& error) {
    double parsed = 0.0;
    if (!ToDouble(key, value, parsed, error)) {
        return false;
    }
    number = static_cast<float>(parsed);
    return true;
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
        AddDecimal(text, "SongLength=", info.length, 3);
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
            if (!ToInt(key, value, info.repeat, error)) {
                return false;
            }
        } else if (key == "SongLength=") {
            if (!ToDouble(key, value, info.length, error)) {
                return false;
            }
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
    AddDecimal(text, "GrooveLength=", part.m_grooveLength, 3);
    AddDecimal(text, "PartLength=", info.length == UNSET_TIME ? 0.0 : info.length, 3);
    AddText(text, "Scale=", scale);
    AddInt(text, "ScaleRoot=", info.scaleRoot);
    AddDecimal(text, "Tempo=", info.tempo, 2);
    AddDecimal(text, "BeatTime=", info.secondsPerBeat, 3);
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
        if (!ToInt(key, value, part.m_repeat, error)) {
            return false;
        }
    } else if (key == "Style=") {
        part.m_grooveStyle = value.c_str();
    } else if (key == "GrooveName=") {
        part.m_grooveName = value.c_str();
    } else if (key == "GrooveFile=") {
        part.m_grooveFile = value.c_str();
    } else if (key == "GrooveLength=") {
        if (!ToDouble(key, value, part.m_grooveLength, error)) {
            return false;
        }
    } else if (key == "PartLength=") {
        if (!ToDouble(key, value, info.length, error)) {
            return false;
        }
    } else if (key == "Scale=") {
        if (!CNoteManager::FindScale(value.c_str(), info.scale)) {
            return BadName("scale", value, error);
        }
    } else if (key == "ScaleRoot=") {
        if (!ToInt(key, value, info.scaleRoot, error)) {
            return false;
        }
    } else if (key == "Tempo=") {
        if (!ToDouble(key, value, info.tempo, error)) {
            return false;
        }
    } else if (key == "BeatTime=") {
        if (!ToDouble(key, value, info.secondsPerBeat, error)) {
            return false;
        }
    } else if (key == "Measures=") {
        if (!ToInt(key, value, info.measures, error)) {
            return false;
        }
    } else if (key == "BeatNotes=") {
        if (!ToInt(key, value, info.beatNote, error)) {
            return false;
        }
    } else if (key == "MeasureBeats=") {
        if (!ToInt(key, value, info.measureBeats, error)) {
            return false;
        }
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
        AddDecimal(text, "Volume=", entry.volume, 2);
        AddDecimal(text, "Pan=", entry.pan, 2);
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
            if (!ToFloat(key, value, volume, error)) {
                return false;
            }
        } else if (key == "Pan=") {
            if (!ToFloat(key, value, pan, error)) {
                return false;
            }
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
        int root = 0;
        if (!ToInt(key, value, root, error)) {
            return false;
        }
        chord.root = static_cast<uint8_t>(root);
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
        if (!ToInt(key, value, chord.number, error)) {
            return false;
        }
    } else if (key == "Scale=") {
        if (!CNoteManager::FindScale(value.c_str(), chord.scale)) {
            return BadName("scale", value, error);
        }
    } else if (key == "ScaleRoot=") {
        if (!ToInt(key, value, chord.scaleRoot, error)) {
            return false;
        }
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
            if (!ToInt(key, value, marker.partMeasure, error)) {
                return false;
            }
        } else if (key == "SongMeasure=") {
            if (!ToInt(key, value, marker.songMeasure, error)) {
                return false;
            }
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
            if (!ToInt(key, value, info.interval, error)) {
                return false;
            }
        } else if (key == "String=") {
            if (!ToInt(key, value, info.guitarString, error)) {
                return false;
            }
        } else if (key == "Fret=") {
            if (!ToInt(key, value, info.fret, error)) {
                return false;
            }
        } else if (key == "Finger=") {
            if (!ToInt(key, value, info.finger, error)) {
                return false;
            }
        } else if (key == "Mode=") {
            if (!ToInt(key, value, info.mode, error)) {
                return false;
            }
        } else {
            return UnknownKey(TAG_NOTE_INFO, std::string(key), error);
        }
    }
    return true;
}
