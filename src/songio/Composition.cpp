#include "songio/Composition.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "audio/Sound.h"
#include "common/NumberFormat.h"
#include "foundation/DiskFile.h"
#include "foundation/QuotedText.h"
#include "foundation/TextLines.h"
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
constexpr int kDrumThings = THING_CHINESE_CYMBAL_2 + 1;
constexpr int kOctave = 12;
constexpr double kSecondsPerHour = 3600.0;
constexpr double kSecondsPerMinute = 60.0;

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

// Appends other's tracks after offset into the song's tracks of the same
// Thing; a Thing the song lacks gets an empty copy of the track first. The
// notes are appended as they come: the song sorts its tracks once, when
// every part is in (see SortTracks).
bool AppendByThing(CSong& song, const CSong& other, double offset, CCharString& error) {
    for (int t = 0; t < other.GetTrackCount(); ++t) {
        const CTrack& source = *other.GetTrack(t);
        CTrack* target = song.FindTrack(source.m_thing);
        if (target == nullptr) {
            CTrack empty = source;
            empty.m_notes.RemoveAll();
            empty.m_number = song.GetTrackCount();
            if (!song.AddTrack(empty)) {
                error = song.GetError();
                return false;
            }
            target = song.FindTrack(source.m_thing);
        }
        // The list grows by half when full: appending stays linear.
        CNoteList& notes = target->m_notes;
        for (int n = 0; n < source.m_notes.GetCount(); ++n) {
            CNote note = *source.m_notes.GetAt(n);
            if (note.time != UNSET_TIME) {
                note.time += offset;
            }
            if (!notes.Add(note)) {
                error.Format("Can't add a note to the track %s", target->GetName());
                return false;
            }
        }
    }
    return true;
}

// One stable sort per track: notes of equal time keep the order they were
// appended in (a part's marker before its measure's notes).
void SortTracks(CSong& song) {
    for (int t = 0; t < song.GetTrackCount(); ++t) {
        song.GetTrack(t)->m_notes.Sort();
    }
}

// "5 hours 12 minutes" for a length in seconds.
CCharString DescribeLength(double seconds) {
    const double hours = std::floor(seconds / kSecondsPerHour);
    const double minutes = std::floor((seconds - hours * kSecondsPerHour) / kSecondsPerMinute);
    CCharString text;
    text.Format("%s hours %s minutes", NumberFormat::FormatDouble(hours).c_str(),
                NumberFormat::FormatDouble(minutes).c_str());
    return text;
}

// Text from the file as a message quotes it.
CCharString Quote(const char* text) {
    return QuoteForMessage(text, CComposition::kMaxQuotedChars);
}

// Every drum hit lasts until the next hit of the same piece; the last hit
// of each piece until the end of the song.
void SetDrumDurations(CTrack& drums, double songLength) {
    std::vector<CNote*> previous(kDrumThings, nullptr);
    for (int i = 0; i < drums.m_notes.GetCount(); ++i) {
        CNote& note = *drums.m_notes.GetAt(i);
        if (note.IsMarker() || note.time == UNSET_TIME || !CNote::IsDrumThing(note.thing)) {
            continue;
        }
        CNote*& last = previous[note.thing];
        if (last != nullptr) {
            last->duration = note.time - last->time;
        }
        last = &note;
    }
    for (CNote* last : previous) {
        if (last != nullptr) {
            last->duration = std::max(0.0, songLength - last->time);
        }
    }
}

}  // namespace

bool CComposition::TEXT_LINES::NextPair(std::string& key, std::string& value) {
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

CComposition::CComposition(CNoteManager& manager, CSound* sound)
    : m_manager(manager), m_sound(sound) {
    New();
}

// Every message is cut to a readable length, whatever the file quoted.
bool CComposition::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    CCharString text;
    text.FormatV(format, args);
    va_end(args);
    m_error = QuoteForMessage(text, kMaxErrorChars);
    return false;
}

void CComposition::New() {
    m_info.Reset();
    m_info.tempo = kDefaultTempo;
    m_info.secondsPerBeat = kSecondsPerMinute / kDefaultTempo;
    m_name.Empty();
    m_fileName.Empty();
    m_playList.clear();
    m_parts.clear();
    m_plainSong.Clear(true);
    m_plain = false;
    m_modified = false;
}

bool CComposition::Open(const char* path) {
    const char* dot = path != nullptr ? std::strrchr(path, '.') : nullptr;
    const char* slash = path != nullptr ? std::strrchr(path, '/') : nullptr;
    if (dot == nullptr || (slash != nullptr && slash > dot)) {
        return SetError("Can't open song file (%s): the name has no extension",
                        path != nullptr ? path : "");
    }
    bool opened = false;
    if (std::strcmp(dot, ".mid") == 0) {
        opened = OpenMidi(path);
    } else if (std::strcmp(dot, ".Song") == 0) {
        opened = OpenText(path);
    } else {
        return SetError("Can't open song file (%s): only \".mid\" and \".Song\" files are songs",
                        path);
    }
    if (!opened) {
        return false;
    }
    m_fileName = path;
    m_modified = false;
    return true;
}

// ---------------------------------------------------------------- text songs

bool CComposition::OpenText(const char* path) {
    CDiskFile disk;
    std::vector<char> data;
    if (!disk.Read(path, data, kMaxTextSongBytes)) {
        return SetError("Can't open song file (%s): %s", path, disk.GetError());
    }
    New();
    TEXT_LINES text;
    text.lines = SplitLines(data.data(), data.size());
    data = std::vector<char>();
    CCharString playList;
    if (!ReadInfoSection(text, playList)) {
        return false;
    }
    while (text.next < text.lines.size()) {
        if (!ReadPartSection(text)) {
            return false;
        }
    }
    for (const auto& part : m_parts) {
        CCharString reason;
        if (!LoadGroove(*part, reason)) {
            return SetError("Can't load part: %s", reason.GetText());
        }
    }
    return ResolvePlayList(playList);
}

bool CComposition::ReadInfoSection(TEXT_LINES& text, CCharString& playList) {
    std::string key;
    std::string value;
    while (text.NextPair(key, value)) {
        if (key == kInfoEnd) {
            break;
        }
        if (key == "Name") {
            m_info.name = value.c_str();
            m_name = value.c_str();
        } else if (key == "Description") {
            m_info.description = value.c_str();
        } else if (key == "Tempo") {
            bool commaFound = false;
            if (!ParseDecimal(value, kMinTempo, kMaxTempo, m_info.tempo, commaFound)) {
                return SetError(
                    "Can't read the song's tempo (%s): it must be %s to %s beats per minute%s",
                    value.c_str(), NumberFormat::FormatDouble(kMinTempo).c_str(),
                    NumberFormat::FormatDouble(kMaxTempo).c_str(),
                    commaFound ? ", written with a decimal point" : "");
            }
            m_info.secondsPerBeat = kSecondsPerMinute / m_info.tempo;
        } else if (key == "Repeat") {
            if (!ParseInt(value, 0, kMaxSongRepeat, m_info.repeat)) {
                return SetError("Can't read the song's repeat count (%s): it must be 0 to %d",
                                value.c_str(), kMaxSongRepeat);
            }
        } else if (key == "Parts") {
            playList = value.c_str();
        }
    }
    return true;
}

bool CComposition::ReadPartSection(TEXT_LINES& text) {
    auto part = std::make_unique<CSongPart>();
    SONG_INFO& info = part->m_arrangement.m_info;
    info.tempo = m_info.tempo;
    info.secondsPerBeat = m_info.secondsPerBeat;
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
    if (FindPart(part->m_name) != nullptr) {
        return SetError("Can't load part: the song has two parts named %s", part->m_name.GetText());
    }
    if (GetPartCount() >= kMaxParts) {
        return SetError("Can't load part %s: a song has at most %d parts",
                        Quote(part->m_name).GetText(), kMaxParts);
    }
    m_parts.push_back(std::move(part));
    return true;
}

bool CComposition::ReadPartKey(const char* key, const char* value, CSongPart& part,
                               CCharString& chords) {
    SONG_INFO& info = part.m_arrangement.m_info;
    const std::string text = value;
    if (std::strcmp(key, "Name") == 0) {
        part.m_name = value;
    } else if (std::strcmp(key, "Description") == 0) {
        part.m_description = value;
    } else if (std::strcmp(key, "Repeat") == 0) {
        if (!ParseInt(text, 0, kMaxChordRepeat, part.m_repeat)) {
            return SetError("Can't load part: the repeat count (%s) must be 0 to %d", value,
                            kMaxChordRepeat);
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

bool CComposition::ReadChords(const char* value, CSongPart& part) {
    if (*value == '\0') {
        return true;
    }
    const std::vector<std::string> chords = Split(value, kChordSeparator);
    if (chords.size() > static_cast<size_t>(kMaxPartChords)) {
        return SetError("Can't load part: %s has more than %d chords", part.m_name.GetText(),
                        kMaxPartChords);
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
bool CComposition::ReadChord(const char* text, const CNoteList& scale, CSongPart& part,
                             CCharString& reason) {
    const std::vector<std::string> fields = Split(text, kChordFieldSeparator);
    int values[kChordFields] = {0, 0, 0, 1, 0, 0};
    const long lows[kChordFields] = {0, 0, 1, 1, 0, 0};
    const long highs[kChordFields] = {NOTE_COUNT - 1, 255, 255, kMaxChordRepeat, 255, 255};
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
bool CComposition::FindDegree(const CNoteList& scale, CHORD_INFO& chord) {
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

bool CComposition::LoadGroove(CSongPart& part, CCharString& reason) {
    CCharString path;
    if (!part.m_grooveFile.IsEmpty() && IsRegularFile(part.m_grooveFile)) {
        path = part.m_grooveFile;
    } else {
        path.Format("%s/%s/%s.mid", m_groovesFolder.GetText(), part.m_grooveStyle.GetText(),
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
    info.tempo = m_info.tempo;
    info.secondsPerBeat = m_info.secondsPerBeat;
    const int measures = groove.measures > 0 ? groove.measures : part.m_groove.CountMeasures();
    part.m_grooveLength = measures * groove.GetMeasureLength();
    return true;
}

bool CComposition::ResolvePlayList(const char* value) {
    if (*value == '\0') {
        return true;
    }
    const std::vector<std::string> entries = Split(value, kPlayListSeparator);
    if (entries.size() > static_cast<size_t>(kMaxPlayListEntries)) {
        return SetError("Can't read the song's play list: it has %zu entries, at most %d are read",
                        entries.size(), kMaxPlayListEntries);
    }
    for (const std::string& entry : entries) {
        const size_t tilde = entry.find(kRepeatSeparator);
        if (tilde == std::string::npos) {
            return SetError("Can't get part's name from (%s)", Quote(entry.c_str()).GetText());
        }
        int count = 0;
        if (!ParseInt(entry.substr(tilde + 1), 0, kMaxChordRepeat, count)) {
            return SetError("Can't get part's repeat count from (%s)",
                            Quote(entry.c_str()).GetText());
        }
        const std::string name = entry.substr(0, tilde);
        CSongPart* part = FindPart(name.c_str());
        if (part == nullptr) {
            return SetError("Can't find song part (%s)", Quote(name.c_str()).GetText());
        }
        // The count is kept by the entry's text only: each entry plays once.
        if (!AppendToPlayList(part)) {
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------- MIDI songs

bool CComposition::OpenMidi(const char* path) {
    CSong song;
    CMidiFile reader;
    if (!reader.Read(path, song)) {
        return SetError("Can't open song file (%s): %s", path, reader.GetError());
    }
    song.RemoveMix(song.GetMix());
    New();
    return Rebuild(song);
}

bool CComposition::Rebuild(CSong& song) {
    m_info = song.m_info;
    m_name = song.m_info.name;
    if (song.GetPartCount() == 0) {
        // A file from another program: its notes are the song.
        m_plain = true;
        return m_plainSong.CopyFrom(song) || SetError("%s", m_plainSong.GetError());
    }
    for (int i = 0; i < song.GetPartCount(); ++i) {
        if (!AddPart(*song.GetPart(i))) {
            return false;
        }
    }
    const CTrack* lead = song.FindTrack(THING_LEAD_GUITAR);
    std::vector<const CSongPart*> closed;
    auto isClosed = [&closed](const CSongPart* part) {
        return std::find(closed.begin(), closed.end(), part) != closed.end();
    };
    CSongPart* current = nullptr;
    double start = 0.0;
    auto close = [&]() {
        if (current == nullptr || isClosed(current)) {
            return true;
        }
        closed.push_back(current);
        return ClosePart(current, start, song);
    };
    for (int i = 0; lead != nullptr && i < lead->m_notes.GetCount(); ++i) {
        const CNote& marker = *lead->m_notes.GetAt(i);
        if (marker.eventKind == EVENT_PART_MARKER) {
            if (!close()) {
                return false;
            }
            current = FindPart(marker.GetText());
            if (current == nullptr) {
                return SetError("Can't find song part (%s)", marker.GetText().GetText());
            }
            start = marker.time == UNSET_TIME ? 0.0 : marker.time;
            if (!AppendToPlayList(current)) {
                return false;
            }
        } else if (marker.eventKind == EVENT_CHORD_MARKER && current != nullptr &&
                   !isClosed(current) && !AddChordFromMarker(*current, marker)) {
            return false;
        }
    }
    return close();
}

// The part's groove comes back from its groove file when that can still be
// read; the song's own measures hold the bass already fitted to the part's
// first chords, so they serve only when the file is gone.
bool CComposition::ClosePart(CSongPart* part, double start, const CSong& song) {
    CCharString ignored;
    const bool known = !part->m_grooveFile.IsEmpty() || !part->m_grooveName.IsEmpty();
    if (known && LoadGroove(*part, ignored)) {
        return true;
    }
    part->m_groove.Clear(true);
    if (part->m_grooveLength > 0.0 &&
        !part->m_groove.CopySegment(song, start, start + part->m_grooveLength)) {
        return SetError("Can't load part: %s", part->m_groove.GetError());
    }
    SONG_INFO& groove = part->m_groove.m_info;
    const SONG_INFO& info = part->m_arrangement.m_info;
    groove.secondsPerBeat = info.secondsPerBeat;
    groove.tempo = info.tempo;
    groove.measureBeats = info.measureBeats;
    groove.beatNote = info.beatNote;
    groove.measures = part->m_groove.CountMeasures();
    groove.length = part->m_grooveLength;
    part->m_groove.ClearNotes(THING_LEAD_GUITAR);
    return true;
}

bool CComposition::AddChordFromMarker(CSongPart& part, const CNote& marker) {
    CChord chord;
    const CHORD_INFO& markerChord = marker.GetChord();
    if (!m_manager.GetChordFromType(markerChord.chordType, chord)) {
        return SetError("Can't load part: %s", m_manager.GetError());
    }
    CHORD_INFO info = markerChord;
    chord.m_root.midiNote = markerChord.root;
    chord.m_root.accidental = static_cast<uint8_t>(markerChord.pitch);
    CNoteManager::GetChordName(markerChord.chordType, markerChord.root, info.name);
    chord.m_root.SetChord(info);
    try {
        part.m_chords.push_back(chord);
    } catch (const std::bad_alloc&) {
        return SetError("Can't add a chord to the song part %s", part.m_name.GetText());
    }
    return true;
}

// ---------------------------------------------------------------- rendering

bool CComposition::Render(CSong& song, bool withMarkers) {
    song.Clear(true);
    if (m_plain) {
        return song.CopyFrom(m_plainSong) || SetError("%s", song.GetError());
    }
    const int repeats = std::max(1, m_info.repeat);
    if (!CheckRenderedLength(repeats)) {
        return false;
    }
    double offset = 0.0;
    int rendered = 0;
    for (int r = 0; r < repeats; ++r) {
        for (size_t i = 0; i < m_playList.size(); ++i) {
            CSongPart& part = *m_playList[i];
            if (!RenderPart(part, static_cast<int>(i) + 1, withMarkers, song, offset)) {
                return false;
            }
            rendered += part.m_arrangement.m_info.measures;
        }
    }
    SortTracks(song);
    song.m_info = m_info;
    song.m_info.length = offset;
    song.m_info.measures = rendered;
    song.CopyInfoToTracks();
    return true;
}

// Refuses, before any note is made, a song of more measures than a song
// can mean or one that would play for longer than a practice session.
bool CComposition::CheckRenderedLength(int repeats) {
    long measures = 0;
    double seconds = 0.0;
    for (const CSongPart* part : m_playList) {
        long partMeasures = 0;
        for (const CChord& chord : part->m_chords) {
            partMeasures += std::max(1, chord.m_repeat);
        }
        measures += partMeasures;
        seconds += partMeasures * part->m_arrangement.m_info.GetMeasureLength();
    }
    measures *= repeats;
    seconds *= repeats;
    if (measures > kMaxRenderedMeasures) {
        return SetError("Can't render song %s: it would last %ld measures, more than %d",
                        Quote(m_name).GetText(), measures, kMaxRenderedMeasures);
    }
    if (seconds > kMaxSongSeconds) {
        return SetError("Can't render song %s: it would play for %s, longer than %s hours",
                        Quote(m_name).GetText(), DescribeLength(seconds).GetText(),
                        NumberFormat::FormatDouble(kMaxSongSeconds / kSecondsPerHour).c_str());
    }
    return true;
}

bool CComposition::RenderPart(CSongPart& part, int position, bool withMarkers, CSong& song,
                              double& offset) {
    part.m_playPosition = position;
    if (part.m_chords.empty()) {
        return true;  // nothing to play yet
    }
    if (!part.Build(m_manager, withMarkers)) {
        return SetError("Can't render song part %s: %s", part.m_name.GetText(), part.GetError());
    }
    CCharString reason;
    if (!AppendByThing(song, part.m_arrangement, offset, reason)) {
        return SetError("Can't render song part %s: %s", part.m_name.GetText(), reason.GetText());
    }
    const double length = part.m_arrangement.m_info.length;
    offset += length == UNSET_TIME ? 0.0 : length;
    return true;
}

bool CComposition::SaveMidi(const char* path, const CMix& mix) {
    CSong work;
    if (!Render(work, true)) {
        return false;
    }
    if (!m_plain) {
        for (const auto& part : m_parts) {
            if (!work.AddPart(*part)) {
                return SetError("Can't save song as MIDI (%s): %s", path, work.GetError());
            }
        }
    }
    const double length = work.GetLength();
    for (int t = 0; t < work.GetTrackCount(); ++t) {
        CTrack& track = *work.GetTrack(t);
        if (track.m_thing == THING_DRUM_SET) {
            SetDrumDurations(track, length);
        }
    }
    work.ApplyMix(mix);
    if (!work.GetMix().CopyFrom(mix)) {
        return SetError("Can't save song as MIDI (%s): can't copy the mix", path);
    }
    CMidiFile writer;
    if (!writer.Write(path, work)) {
        return SetError("Can't save song as MIDI (%s): %s", path, writer.GetError());
    }
    return true;
}

bool CComposition::SaveWave(const char* path, const CMix& mix, bool reduce) {
    if (m_sound == nullptr) {
        return SetError("Can't save song as WAVE (%s): there is no sound engine", path);
    }
    CSong work;
    if (!Render(work, false)) {
        return false;
    }
    work.ApplyMix(mix);
    CNoteList notes(CTrack::kNoteGrowStep, false);
    for (int t = 0; t < work.GetTrackCount(); ++t) {
        const CTrack& track = *work.GetTrack(t);
        for (int n = 0; track.m_enabled && n < track.m_notes.GetCount(); ++n) {
            const CNote& note = *track.m_notes.GetAt(n);
            if (!note.IsMarker() && note.time != UNSET_TIME && !notes.Add(note)) {
                return SetError("Can't save song as WAVE (%s): out of memory", path);
            }
        }
    }
    notes.Sort();
    if (!m_sound->ExportWave(notes, path, reduce)) {
        return SetError("Can't save song as WAVE (%s): %s", path, m_sound->GetError());
    }
    return true;
}

// ---------------------------------------------------------------- library

bool CComposition::AddPart(const CSongPart& part) {
    if (FindPart(part.m_name) != nullptr) {
        return SetError("Can't add song part %s: the song has a part of that name",
                        part.m_name.GetText());
    }
    auto copy = std::make_unique<CSongPart>();
    if (!copy->CopyFrom(part)) {
        return SetError("Can't add song part %s: %s", part.m_name.GetText(), copy->GetError());
    }
    m_parts.push_back(std::move(copy));
    m_modified = true;
    return true;
}

CSongPart* CComposition::FindPart(const char* name) {
    for (const auto& part : m_parts) {
        if (part->m_name == name) {
            return part.get();
        }
    }
    return nullptr;
}

CSongPart* CComposition::GetPart(int index) {
    return index >= 0 && index < GetPartCount() ? m_parts[index].get() : nullptr;
}

bool CComposition::AppendToPlayList(int partIndex) {
    CSongPart* part = GetPart(partIndex);
    if (part == nullptr) {
        return SetError("Can't get song part %d, %d parts in the song", partIndex, GetPartCount());
    }
    return AppendToPlayList(part);
}

bool CComposition::AppendToPlayList(CSongPart* part) {
    const bool known = std::any_of(m_parts.begin(), m_parts.end(),
                                   [part](const auto& owned) { return owned.get() == part; });
    if (!known) {
        return SetError("Can't add a song part to the play list: it is not in the song");
    }
    m_playList.push_back(part);
    m_modified = true;
    return true;
}

CSongPart* CComposition::GetPlayListEntry(int index) {
    return index >= 0 && index < GetPlayListCount() ? m_playList[index] : nullptr;
}
