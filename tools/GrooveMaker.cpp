// Writes the shipped grooves as MIDI files from their text. A groove file
// holds "Tempo:" (beats per minute), "Time:" (such as 4/4) and "Strum:"
// (the notes a rhythm-guitar hit sounds, such as "C3 E3 G3 C4"), then one
// line per instrument: a drum piece by its name ("Snare drum:"), "Bass:" or
// "Rhythm:". Each token is one grid step (an eighth note): "x" a hit, "X" an
// accented hit, "." a rest, "-" holds the note before, and on the bass line
// a note such as "C2" or "G2". "|" separates the measures; a word that
// starts with "#" starts a comment. Grooves are in C major; the lead-guitar track stays empty.
// Usage: groove_maker GROOVE_FILE... OUTPUT_FOLDER; a file below a folder
// <Style> is written as OUTPUT_FOLDER/<Style>/<Name>.mid.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/NumberFormat.h"
#include "songio/MidiFile.h"
#include "songs/Song.h"

namespace {

constexpr int kEighthsPerWhole = 8;
constexpr double kSecondsPerMinute = 60.0;
constexpr float kHitVolume = 0.8f;
constexpr float kAccentVolume = 1.0f;
constexpr double kPlayedShare = 0.9;  // of its steps a note sounds
constexpr int kNotesPerOctave = 12;
constexpr int kOctaveZeroC = 12;  // MIDI note of C0
// Numbers of a groove line, read as the C library read them, blanks around.
constexpr unsigned kNumberExtras = NumberFormat::kLikeStrtod | NumberFormat::kSurroundingSpace;

// One instrument line: its track, its drum piece and its tokens.
struct GROOVE_LINE {
    int thing = THING_NONE;  // the track's Thing
    int piece = THING_NONE;  // drum piece of a drum line
    std::vector<std::string> steps;
    int measures = 0;
};

struct GROOVE {
    double tempo = 0.0;
    int measureBeats = 0;
    int beatNote = 0;
    std::vector<int> strum;
    std::vector<GROOVE_LINE> lines;
};

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    const size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// A comment starts at a "#" that begins a word; the "#" of a sharp note
// such as "F#2" is no comment.
std::string StripComment(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '#' && (i == 0 || text[i - 1] == ' ' || text[i - 1] == '\t')) {
            return text.substr(0, i);
        }
    }
    return text;
}

bool ParseNote(const std::string& token, int& midiNote) {
    static const int kLetterSemitones[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (token.size() < 2 || token[0] < 'A' || token[0] > 'G') {
        return false;
    }
    int semitone = kLetterSemitones[token[0] - 'A'];
    size_t at = 1;
    if (token[at] == '#' || token[at] == 'b') {
        semitone += token[at] == '#' ? 1 : -1;
        ++at;
    }
    int octave = 0;
    if (!NumberFormat::ParseInt(token.substr(at), octave, NumberFormat::kLikeStrtol)) {
        return false;
    }
    midiNote = kOctaveZeroC + octave * kNotesPerOctave + semitone;
    return midiNote >= 0 && midiNote <= 127;
}

bool ParseLine(const std::string& key, const std::string& value, GROOVE_LINE& line) {
    if (key == "Bass") {
        line.thing = THING_BASS_GUITAR;
    } else if (key == "Rhythm") {
        line.thing = THING_RHYTHM_GUITAR;
    } else if (FindThing(key.c_str(), line.piece) && CNote::IsDrumThing(line.piece)) {
        line.thing = THING_DRUM_SET;
    } else {
        return false;
    }
    std::istringstream words(value);
    std::string token;
    line.measures = 1;
    while (words >> token) {
        if (token == "|") {
            ++line.measures;
        } else {
            line.steps.push_back(token);
        }
    }
    return true;
}

bool ReadGroove(const std::string& path, GROOVE& groove, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "Can't read groove '" + path + "'";
        return false;
    }
    std::string text;
    int lineNumber = 0;
    while (std::getline(in, text)) {
        ++lineNumber;
        text = Trim(StripComment(text));
        if (text.empty()) {
            continue;
        }
        const size_t colon = text.find(':');
        const std::string key = Trim(text.substr(0, colon));
        const std::string value = colon == std::string::npos ? "" : text.substr(colon + 1);
        const std::string where =
            "Can't read groove '" + path + "': line " + std::to_string(lineNumber) + ": ";
        bool ok = colon != std::string::npos;
        if (ok && key == "Tempo") {
            ok = NumberFormat::ParseDouble(value, groove.tempo, kNumberExtras);
        } else if (ok && key == "Time") {
            const size_t slash = value.find('/');
            ok = slash != std::string::npos &&
                 NumberFormat::ParseInt(value.substr(0, slash), groove.measureBeats,
                                        kNumberExtras) &&
                 NumberFormat::ParseInt(value.substr(slash + 1), groove.beatNote, kNumberExtras);
        } else if (ok && key == "Strum") {
            std::istringstream words(value);
            std::string token;
            int note = 0;
            while (ok && words >> token) {
                ok = ParseNote(token, note);
                groove.strum.push_back(note);
            }
        } else if (ok) {
            GROOVE_LINE line;
            ok = ParseLine(key, value, line);
            groove.lines.push_back(line);
        }
        if (!ok) {
            error = where + "\"" + text + "\" is no groove line";
            return false;
        }
    }
    if (!(groove.tempo > 0.0) || groove.measureBeats <= 0 || groove.beatNote <= 0 ||
        groove.beatNote > kEighthsPerWhole || groove.lines.empty()) {
        error = "Can't read groove '" + path + "': it needs a tempo, a time and instruments";
        return false;
    }
    return true;
}

// The notes of one line: a token starts a note, "-" holds it one more step.
bool AddLine(const GROOVE& groove, const GROOVE_LINE& line, double step, CTrack& track,
             std::string& error) {
    for (size_t i = 0; i < line.steps.size(); ++i) {
        const std::string& token = line.steps[i];
        if (token == "." || token == "-") {
            continue;
        }
        size_t held = 1;
        while (i + held < line.steps.size() && line.steps[i + held] == "-") {
            ++held;
        }
        std::vector<int> pitches;
        float volume = token == "X" ? kAccentVolume : kHitVolume;
        if (line.thing == THING_DRUM_SET && (token == "x" || token == "X")) {
            pitches.push_back(NOTE_NONE);  // the writer takes the piece's note
        } else if (line.thing == THING_RHYTHM_GUITAR && (token == "x" || token == "X")) {
            pitches = groove.strum;
        } else if (int note = 0; line.thing == THING_BASS_GUITAR && ParseNote(token, note)) {
            pitches.push_back(note);
            volume = kHitVolume;
        } else {
            error = "\"" + token + "\" is no step of this line";
            return false;
        }
        for (const int pitch : pitches) {
            CNote note;
            note.thing = line.thing == THING_DRUM_SET ? line.piece : line.thing;
            note.midiNote = static_cast<uint8_t>(pitch);
            note.time = i * step;
            note.duration = held * step * kPlayedShare;
            note.volume = volume;
            if (!track.AddNote(note)) {
                error = "Can't add a note";
                return false;
            }
        }
    }
    return true;
}

bool MakeSong(const GROOVE& groove, const std::string& name, const std::string& style, CSong& song,
              std::string& error) {
    if (!song.AddNewSongTracks()) {
        error = song.GetError();
        return false;
    }
    SONG_INFO& info = song.m_info;
    info.name = name.c_str();
    info.style = style.c_str();
    info.tempo = groove.tempo;
    info.secondsPerBeat = kSecondsPerMinute / groove.tempo;
    info.measureBeats = groove.measureBeats;
    info.beatNote = groove.beatNote;
    info.scale = SCALE_MAJOR;
    info.scaleRoot = DEFAULT_SCALE_ROOT;
    const int steps = (kEighthsPerWhole / groove.beatNote) * groove.measureBeats;
    const double step = info.secondsPerBeat / 2;
    info.measures = groove.lines.front().measures;
    for (const GROOVE_LINE& line : groove.lines) {
        if (line.measures != info.measures ||
            line.steps.size() != static_cast<size_t>(steps * line.measures)) {
            error = "every line needs " + std::to_string(info.measures) + " measures of " +
                    std::to_string(steps) + " steps";
            return false;
        }
        if (!AddLine(groove, line, step, *song.FindTrack(line.thing), error)) {
            return false;
        }
    }
    info.length = info.measures * steps * step;
    song.CopyInfoToTracks();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: groove_maker GROOVE_FILE... OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const std::filesystem::path folder = argv[argc - 1];
    for (int i = 1; i < argc - 1; ++i) {
        const std::filesystem::path source = argv[i];
        const std::string style = source.parent_path().filename().string();
        const std::string name = source.stem().string();
        GROOVE groove;
        CSong song;
        std::string error;
        if (!ReadGroove(source.string(), groove, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        if (!MakeSong(groove, name, style, song, error)) {
            std::fprintf(stderr, "Can't make groove '%s': %s\n", source.c_str(), error.c_str());
            return 1;
        }
        std::error_code code;
        std::filesystem::create_directories(folder / style, code);
        const std::string out = (folder / style / (name + ".mid")).string();
        CMidiFile file;
        if (!file.Write(out.c_str(), song)) {
            std::fprintf(stderr, "%s\n", file.GetError());
            return 1;
        }
    }
    return 0;
}
