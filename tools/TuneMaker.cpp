// Writes the course's tunes as MIDI files from their text: a "Name:" line,
// a "Tempo:" line (beats per minute) and notes such as "E4:1" or "Bb3:0.5"
// (letter, optional # or b, octave, ":" and the length in beats); "#" starts
// a comment. Usage: tune_maker TUNE_FILE... OUTPUT_FOLDER
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/NumberFormat.h"
#include "midi/SmfFile.h"
#include "midi/SmfWriter.h"

namespace {

constexpr int kDivision = 480;
constexpr int kVelocity = 90;
constexpr int kMelodyChannel = 0;
constexpr double kMicrosPerMinute = 60e6;
constexpr double kPlayedShare = 0.9;  // of its length a note sounds
constexpr int kNotesPerOctave = 12;
constexpr int kOctaveZeroC = 12;  // MIDI note of C0

struct TUNE {
    std::string name;
    double tempo = 100.0;
    std::vector<std::pair<int, double>> notes;  // MIDI note, beats
};

bool ParseNote(const std::string& token, int& midiNote, double& beats) {
    static const int kLetterSemitones[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    const size_t colon = token.find(':');
    if (token.size() < 4 || colon == std::string::npos || token[0] < 'A' || token[0] > 'G') {
        return false;
    }
    int semitone = kLetterSemitones[token[0] - 'A'];
    size_t at = 1;
    if (token[at] == '#' || token[at] == 'b') {
        semitone += token[at] == '#' ? 1 : -1;
        ++at;
    }
    int octave = 0;
    if (!NumberFormat::ParseInt(token.substr(at, colon - at), octave, NumberFormat::kLikeStrtol) ||
        !NumberFormat::ParseDouble(token.substr(colon + 1), beats, NumberFormat::kLikeStrtod)) {
        return false;
    }
    midiNote = kOctaveZeroC + octave * kNotesPerOctave + semitone;
    return beats > 0.0 && midiNote >= 0 && midiNote <= 127;
}

bool ReadTune(const std::string& path, TUNE& tune, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "Can't read tune '" + path + "'";
        return false;
    }
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        line = line.substr(0, line.find('#'));
        if (line.rfind("Name:", 0) == 0) {
            tune.name = line.substr(line.find_first_not_of(' ', 5));
            continue;
        }
        if (line.rfind("Tempo:", 0) == 0) {
            constexpr unsigned kExtras =
                NumberFormat::kLikeStrtod | NumberFormat::kSurroundingSpace;
            if (!NumberFormat::ParseDouble(line.substr(6), tune.tempo, kExtras)) {
                error = "Can't read tune '" + path + "': line " + std::to_string(lineNumber) +
                        ": \"" + line + "\" is no tempo";
                return false;
            }
            continue;
        }
        std::istringstream words(line);
        std::string token;
        while (words >> token) {
            int note = 0;
            double beats = 0.0;
            if (!ParseNote(token, note, beats)) {
                error = "Can't read tune '" + path + "': line " + std::to_string(lineNumber) +
                        ": \"" + token + "\" is no note";
                return false;
            }
            tune.notes.emplace_back(note, beats);
        }
    }
    if (tune.name.empty() || tune.notes.empty() || !(tune.tempo > 0.0)) {
        error = "Can't read tune '" + path + "': it needs a name, a tempo and notes";
        return false;
    }
    return true;
}

SMF_FILE MakeFile(const TUNE& tune) {
    SMF_FILE file;
    file.format = 1;
    file.division = kDivision;
    SMF_TRACK conductor;
    conductor.events.push_back(MakeSmfMeta(
        0, Smf::kMetaTrackName, std::vector<uint8_t>(tune.name.begin(), tune.name.end())));
    conductor.events.push_back(
        MakeSmfTempo(0, static_cast<uint32_t>(std::lround(kMicrosPerMinute / tune.tempo))));
    SMF_TRACK melody;
    const std::string trackName = "Melody";
    melody.events.push_back(MakeSmfMeta(0, Smf::kMetaTrackName,
                                        std::vector<uint8_t>(trackName.begin(), trackName.end())));
    double beat = 0.0;
    for (const auto& [note, beats] : tune.notes) {
        const auto start = static_cast<uint32_t>(std::lround(beat * kDivision));
        const auto end =
            static_cast<uint32_t>(std::lround((beat + beats * kPlayedShare) * kDivision));
        melody.events.push_back(
            MakeSmfNote(start, kMelodyChannel, static_cast<uint8_t>(note), kVelocity));
        melody.events.push_back(MakeSmfNote(end, kMelodyChannel, static_cast<uint8_t>(note), 0));
        beat += beats;
    }
    file.tracks = {conductor, melody};
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: tune_maker TUNE_FILE... OUTPUT_FOLDER\n", stderr);
        return 2;
    }
    const std::string folder = argv[argc - 1];
    for (int i = 1; i < argc - 1; ++i) {
        TUNE tune;
        std::string error;
        if (!ReadTune(argv[i], tune, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        std::string stem = argv[i];
        stem.erase(0, stem.find_last_of('/') + 1);
        stem.erase(stem.find_last_of('.'));
        const std::string out = folder + "/" + stem + ".mid";
        CSmfWriter writer;
        if (!writer.WriteFile(MakeFile(tune), out.c_str())) {
            std::fprintf(stderr, "%s\n", writer.GetError());
            return 1;
        }
    }
    return 0;
}
