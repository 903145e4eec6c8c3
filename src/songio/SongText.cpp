#include "songio/SongText.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <memory>

#include "common/NumberFormat.h"
#include "foundation/QuotedText.h"
#include "foundation/TextLines.h"
#include "songio/Composition.h"
#include "songio/MidiFile.h"
#include "theory/NoteManager.h"

namespace {

// The keys of a text song.
constexpr const char* kInfoStart = "Start of Song Info";
constexpr const char* kInfoEnd = "End of Song Info";
constexpr const char* kPartStart = "Start of Song Part";
constexpr const char* kPartEnd = "End of Song Part";

constexpr char kPlayListSeparator = '^';
constexpr char kRepeatSeparator = '~';
constexpr char kChordSeparator = ',';
constexpr char kChordFieldSeparator = '/';
constexpr int kChordFields = 6;
constexpr int kRequiredChordFields = 3;

// A whole decimal number in range, read as strtol reads it in the C locale.
bool ParseInt(const std::string& text, long low, long high, int& value) {
    int64_t parsed = 0;
    if (!NumberFormat::ParseInt(text, parsed, NumberFormat::kLikeStrtol) || parsed < low ||
        parsed > high) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

// A decimal number in range, read as strtod reads it in the C locale; a
// value with a decimal comma sets commaFound rather than reading as another.
bool ParseDecimal(const std::string& text, double low, double high, double& value,
                  bool& commaFound) {
    std::string reason;
    double parsed = 0.0;
    commaFound = false;
    if (!NumberFormat::ParseDouble(text, parsed, NumberFormat::kLikeStrtod, &reason)) {
        commaFound = reason.find(NumberFormat::kDecimalComma) != std::string::npos;
        return false;
    }
    if (!(parsed >= low && parsed <= high)) {
        return false;
    }
    value = parsed;
    return true;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) {
            return pieces;
        }
        start = end + 1;
    }
}

bool IsRegularFile(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

constexpr int kOctave = 12;

// Text from the file as a message quotes it.
CCharString Quote(const char* text) {
    return QuoteForMessage(text, CComposition::kMaxQuotedChars);
}

}  // namespace

CSongText::CSongText(CNoteManager& manager, CComposition& song, const char* groovesFolder)
    : m_manager(manager), m_song(song), m_groovesFolder(groovesFolder) {}

// Every message is cut to a readable length, whatever the file quoted.
bool CSongText::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    CCharString text;
    text.FormatV(format, args);
    va_end(args);
    m_error = QuoteForMessage(text, CComposition::kMaxErrorChars);
    return false;
}

bool CSongText::Read(const std::vector<char>& data) {
    TEXT_LINES text;
    text.lines = SplitLines(data.data(), data.size());
    CCharString playList;
    if (!ReadInfoSection(text, playList)) {
        return false;
    }
    while (text.next < text.lines.size()) {
        if (!ReadPartSection(text)) {
            return false;
        }
    }
    for (int i = 0; i < m_song.GetPartCount(); ++i) {
        CCharString reason;
        if (!LoadGroove(*m_song.GetPart(i), m_groovesFolder, m_song.m_info, reason)) {
            return SetError("Can't load part: %s", reason.GetText());
        }
    }
    return ResolvePlayList(playList);
}

bool CSongText::TEXT_LINES::NextPair(std::string& key, std::string& value) {
    while (next < lines.size()) {
        const std::string& line = lines[next++];
        const size_t equals = line.find('=');
        // A line without "=" or with nothing after it says nothing.
        if (equals == std::string::npos || equals + 1 == line.size()) {
            continue;
        }
        key.assign(line, 0, equals);
        value.assign(line, equals + 1, std::string::npos);
        return true;
    }
    return false;
}

bool CSongText::ReadInfoSection(TEXT_LINES& text, CCharString& playList) {
    std::string key;
    std::string value;
    while (text.NextPair(key, value)) {
        if (key == kInfoEnd) {
            break;
        }
        if (key == "Name") {
            m_song.m_info.name = value.c_str();
            m_song.m_name = value.c_str();
        } else if (key == "Description") {
            m_song.m_info.description = value.c_str();
        } else if (key == "Tempo") {
            bool commaFound = false;
            if (!ParseDecimal(value, CComposition::kMinTempo, CComposition::kMaxTempo,
                              m_song.m_info.tempo, commaFound)) {
                return SetError(
                    "Can't read the song's tempo (%s): it must be %s to %s beats per minute%s",
                    value.c_str(), NumberFormat::FormatDouble(CComposition::kMinTempo).c_str(),
                    NumberFormat::FormatDouble(CComposition::kMaxTempo).c_str(),
                    commaFound ? ", written with a decimal point" : "");
            }
            m_song.m_info.secondsPerBeat = CComposition::kSecondsPerMinute / m_song.m_info.tempo;
        } else if (key == "Repeat") {
            if (!ParseInt(value, 0, CComposition::kMaxSongRepeat, m_song.m_info.repeat)) {
                return SetError("Can't read the song's repeat count (%s): it must be 0 to %d",
                                value.c_str(), CComposition::kMaxSongRepeat);
            }
        } else if (key == "Parts") {
            playList = value.c_str();
        }
    }
    return true;
}

bool CSongText::ReadPartSection(TEXT_LINES& text) {
    auto part = std::make_unique<CSongPart>();
    SONG_INFO& info = part->m_arrangement.m_info;
    info.tempo = m_song.m_info.tempo;
    info.secondsPerBeat = m_song.m_info.secondsPerBeat;
    CCharString chords;
    std::string key;
    std::string value;
    bool any = false;
    while (text.NextPair(key, value)) {
        any = true;
        if (key == kPartEnd) {
            break;
        }
        if (!ReadPartKey(key.c_str(), value.c_str(), *part, chords)) {
            return false;
        }
    }
    // Only key lines count; the lines after the last section say nothing.
    if (!any || part->m_name.IsEmpty()) {
        return true;  // a part without a name is discarded
    }
    if (!ReadChords(chords, *part)) {
        return false;
    }
    if (m_song.FindPart(part->m_name) != nullptr) {
        return SetError("Can't load part: the song has two parts named %s", part->m_name.GetText());
    }
    if (m_song.GetPartCount() >= CComposition::kMaxParts) {
        return SetError("Can't load part %s: a song has at most %d parts",
                        Quote(part->m_name).GetText(), CComposition::kMaxParts);
    }
    return m_song.TakePart(std::move(part)) || SetError("%s", m_song.GetError());
}

bool CSongText::ReadPartKey(const char* key, const char* value, CSongPart& part,
                            CCharString& chords) {
    SONG_INFO& info = part.m_arrangement.m_info;
    const std::string text = value;
    if (std::strcmp(key, "Name") == 0) {
        part.m_name = value;
    } else if (std::strcmp(key, "Description") == 0) {
        part.m_description = value;
    } else if (std::strcmp(key, "Repeat") == 0) {
        if (!ParseInt(text, 0, CComposition::kMaxChordRepeat, part.m_repeat)) {
            return SetError("Can't load part: the repeat count (%s) must be 0 to %d", value,
                            CComposition::kMaxChordRepeat);
        }
    } else if (std::strcmp(key, "Groove style") == 0) {
        part.m_grooveStyle = value;
    } else if (std::strcmp(key, "Groove name") == 0) {
        part.m_grooveName = value;
    } else if (std::strcmp(key, "Groove file") == 0) {
        part.m_grooveFile = value;
    } else if (std::strcmp(key, "Scale") == 0) {
        if (!CNoteManager::FindScale(value, info.scale)) {
            return SetError("Can't load part: there is no key or scale named (%s)", value);
        }
    } else if (std::strcmp(key, "Scale root") == 0) {
        if (!ParseInt(text, 0, NOTE_COUNT - 1, info.scaleRoot)) {
            return SetError("Can't load part: the scale root (%s) is no MIDI note", value);
        }
    } else if (std::strcmp(key, "Chords") == 0) {
        chords = value;
    }
    return true;
}

bool CSongText::ReadChords(const char* value, CSongPart& part) {
    if (*value == '\0') {
        return true;
    }
    const std::vector<std::string> chords = Split(value, kChordSeparator);
    if (chords.size() > static_cast<size_t>(CComposition::kMaxPartChords)) {
        return SetError("Can't load part: %s has more than %d chords", part.m_name.GetText(),
                        CComposition::kMaxPartChords);
    }
    CNoteList scale(NOTE_COUNT, true);
    const SONG_INFO& info = part.m_arrangement.m_info;
    if (!m_manager.GetScaleOverRange(info.scale, info.scaleRoot, scale)) {
        return SetError("Can't load part: %s", m_manager.GetError());
    }
    for (const std::string& chord : chords) {
        CCharString reason;
        if (!ReadChord(chord.c_str(), scale, part, reason)) {
            return SetError("Can't load part: %s", reason.GetText());
        }
    }
    return true;
}

// root MIDI note / accidental / chord type [/ repeat [/ group [/ degree]]]
bool CSongText::ReadChord(const char* text, const CNoteList& scale, CSongPart& part,
                          CCharString& reason) {
    const std::vector<std::string> fields = Split(text, kChordFieldSeparator);
    int values[kChordFields] = {0, 0, 0, 1, 0, 0};
    const long lows[kChordFields] = {0, 0, 1, 1, 0, 0};
    const long highs[kChordFields] = {
        NOTE_COUNT - 1, 255, 255, CComposition::kMaxChordRepeat, 255, 255};
    const size_t count = std::min<size_t>(fields.size(), kChordFields);
    bool ok = fields.size() >= kRequiredChordFields && fields.size() <= kChordFields;
    for (size_t i = 0; ok && i < count; ++i) {
        ok = ParseInt(fields[i], lows[i], highs[i], values[i]);
    }
    CChord chord;
    if (ok) {
        ok = m_manager.GetChordFromType(values[2], chord);
    }
    if (!ok) {
        reason.Format(
            "Can't read chord (%s) of %s: it needs a root note, an accidental and a "
            "known chord type, then up to a repeat count, a chord group and a degree",
            text, part.m_name.GetText());
        return false;
    }
    CHORD_INFO info = chord.m_root.GetChord();
    info.root = static_cast<uint8_t>(values[0]);
    info.pitch = values[1];
    info.chordType = values[2];
    info.chordGroup = values[4];
    info.number = values[5];
    info.scale = part.m_arrangement.m_info.scale;
    info.scaleRoot = part.m_arrangement.m_info.scaleRoot;
    chord.m_root.midiNote = info.root;
    chord.m_root.accidental = static_cast<uint8_t>(values[1]);
    chord.m_repeat = values[3];
    if (info.number == 0 && !FindDegree(scale, info)) {
        reason.Format(
            "Can't read chord (%s) of %s: its root is not in the part's scale and it "
            "gives no degree",
            text, part.m_name.GetText());
        return false;
    }
    CNoteManager::GetChordName(info.chordType, info.root, info.name);
    chord.m_root.SetChord(info);
    part.m_chords.push_back(chord);
    return true;
}

// A chord without a degree takes the degree of its root in the part's
// scale, which the bass line needs to follow it.
bool CSongText::FindDegree(const CNoteList& scale, CHORD_INFO& chord) {
    for (int i = 0; i < scale.GetCount(); ++i) {
        const CNote& note = *scale.GetAt(i);
        if (note.midiNote % kOctave == chord.root % kOctave && note.intervalFrets == 0 &&
            note.interval > 0) {
            chord.number = note.interval;
            return true;
        }
    }
    return false;
}

bool CSongText::LoadGroove(CSongPart& part, const char* groovesFolder, const SONG_INFO& song,
                           CCharString& reason) {
    CCharString path;
    if (!part.m_grooveFile.IsEmpty() && IsRegularFile(part.m_grooveFile)) {
        path = part.m_grooveFile;
    } else {
        path.Format("%s/%s/%s.mid", groovesFolder, part.m_grooveStyle.GetText(),
                    part.m_grooveName.GetText());
    }
    CMidiFile reader;
    if (!reader.Read(path, part.m_groove)) {
        reason.Format("Can't load groove from (%s): %s", path.GetText(), reader.GetError());
        return false;
    }
    // The part plays the groove's time signature at the song's tempo.
    SONG_INFO& info = part.m_arrangement.m_info;
    const SONG_INFO& groove = part.m_groove.m_info;
    info.measureBeats = groove.measureBeats;
    info.beatNote = groove.beatNote;
    info.tempo = song.tempo;
    info.secondsPerBeat = song.secondsPerBeat;
    const int measures = groove.measures > 0 ? groove.measures : part.m_groove.CountMeasures();
    part.m_grooveLength = measures * groove.GetMeasureLength();
    return true;
}

bool CSongText::ResolvePlayList(const char* value) {
    if (*value == '\0') {
        return true;
    }
    const std::vector<std::string> entries = Split(value, kPlayListSeparator);
    if (entries.size() > static_cast<size_t>(CComposition::kMaxPlayListEntries)) {
        return SetError("Can't read the song's play list: it has %zu entries, at most %d are read",
                        entries.size(), CComposition::kMaxPlayListEntries);
    }
    for (const std::string& entry : entries) {
        const size_t tilde = entry.find(kRepeatSeparator);
        if (tilde == std::string::npos) {
            return SetError("Can't get part's name from (%s)", Quote(entry.c_str()).GetText());
        }
        int count = 0;
        if (!ParseInt(entry.substr(tilde + 1), 0, CComposition::kMaxChordRepeat, count)) {
            return SetError("Can't get part's repeat count from (%s)",
                            Quote(entry.c_str()).GetText());
        }
        const std::string name = entry.substr(0, tilde);
        CSongPart* part = m_song.FindPart(name.c_str());
        if (part == nullptr) {
            return SetError("Can't find song part (%s)", Quote(name.c_str()).GetText());
        }
        // The count is kept by the entry's text only: each entry plays once.
        if (!m_song.AppendToPlayList(part)) {
            return SetError("%s", m_song.GetError());
        }
    }
    return true;
}
