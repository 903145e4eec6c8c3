#include "audio/SampleBanks.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdarg>
#include <vector>

#include "audio/SampleOps.h"
#include "audio/Sound.h"
#include "audio/SoundFile.h"

namespace {

struct DRUM_FILE {
    const char* file;
    int instrument;
    int midiNote;
};

// Bass.wav serves both bass drums, each with its own percussion key.
constexpr DRUM_FILE kDrumFiles[] = {
    {"Snare.wav", THING_SNARE_DRUM, 38},
    {"Bass.wav", THING_BASS_DRUM_1, 36},
    {"Bass.wav", THING_BASS_DRUM_2, 35},
    {"HiHat Open.wav", THING_HI_HAT_OPEN, 46},
    {"HiHat Closed.wav", THING_HI_HAT_CLOSED, 42},
    {"HiHat Foot.wav", THING_HI_HAT_FOOT, 44},
    {"Ride.wav", THING_RIDE_CYMBAL, 51},
    {"Ride Bell.wav", THING_RIDE_BELL, 53},
    {"Crash High.wav", THING_CRASH_CYMBAL_1, 49},
    {"Crash Medium.wav", 27, 57},
    {"Splash.wav", THING_SPLASH_CYMBAL_1, 55},
    {"Chinese.wav", THING_CHINESE_CYMBAL_1, 52},
    {"Rack Tom High.wav", 15, 50},
    {"Rack Tom Medium.wav", 14, 48},
    {"Rack Tom Low.wav", 13, 47},
    {"Floor Tom High.wav", 12, 45},
    {"Floor Tom Medium.wav", 11, 43},
    {"Floor Tom Low.wav", THING_TOM_1, 41},
};

constexpr int kGuitarOpenNotes[] = {64, 59, 55, 50, 45, 40};
constexpr int kBassOpenNotes[] = {43, 38, 33, 28};
constexpr int kRecordedPianoNotes[] = {24, 48, 84};
constexpr int kFirstDrum = 1;
constexpr int kLastDrum = 34;
constexpr int kSemitones = 12;
constexpr const char* kSharpNames[kSemitones] = {"C",  "C#", "D",  "D#", "E",  "F",
                                                 "F#", "G",  "G#", "A",  "A#", "B"};

bool IsFile(const char* path) {
    struct stat info {};
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

CSampleBanks::CSampleBanks(CSound& sound, const CNoteList& noteTable, const char* folder)
    : m_sound(sound), m_noteTable(noteTable), m_folder(folder ? folder : "") {}

bool CSampleBanks::Fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

int CSampleBanks::GetDrumNote(int instrument) {
    for (const DRUM_FILE& drum : kDrumFiles) {
        if (drum.instrument == instrument) {
            return drum.midiNote;
        }
    }
    return NOTE_NONE;
}

int CSampleBanks::GetStringCount(int instrument) {
    return instrument == THING_BASS_GUITAR ? 4 : 6;
}

int CSampleBanks::GetOpenNote(int instrument, int string) {
    if (string < 1 || string > GetStringCount(instrument)) {
        return NOTE_NONE;
    }
    return instrument == THING_BASS_GUITAR ? kBassOpenNotes[string - 1]
                                           : kGuitarOpenNotes[string - 1];
}

bool CSampleBanks::LoadAll() {
    return LoadPiano() && LoadStrings("Clean Guitar", THING_LEAD_GUITAR) &&
           ShareStrings(THING_LEAD_GUITAR, THING_RHYTHM_GUITAR) &&
           LoadStrings("Finger Bass", THING_BASS_GUITAR) && LoadDrums();
}

bool CSampleBanks::LoadSample(CSoundInfo& record, const char* path, int instrument, int midiNote) {
    if (midiNote != NOTE_NONE) {
        const CNote* table = m_noteTable.GetAt(midiNote);
        if (table == nullptr) {
            return Fail("Can't find MIDI note %d", midiNote);
        }
        record.note.CopyPitch(*table);
    }
    if (instrument >= kFirstDrum && instrument <= kLastDrum) {
        const int drumNote = GetDrumNote(instrument);
        if (drumNote == NOTE_NONE) {
            return Fail("Can't get MIDI note for instrument %d", instrument);
        }
        record.note.midiNote = static_cast<uint8_t>(drumNote);
    }
    record.note.thing = instrument;
    CSoundFile file;
    if (!file.ReadInfo(path, record)) {
        return Fail("Can't read file '%s': %s", path, file.GetError());
    }
    if (record.format.bitsPerSample != WAVE_FORMAT::kStreamBits) {
        return Fail("Can't read file '%s': the samples are %u-bit, not 16-bit", path,
                    record.format.bitsPerSample);
    }
    CSampleOps::Normalise(record, kLevel);
    ++m_loadedFiles;
    return true;
}

bool CSampleBanks::Derive(const CSoundInfo& recorded, int last) {
    if (!m_sound.AddSound(recorded)) {
        return Fail("%s", m_sound.GetError());
    }
    const int first = recorded.note.midiNote;
    for (int n = first + 1, k = 1; n <= last; ++n, ++k) {
        const CNote* table = m_noteTable.GetAt(n);
        if (table == nullptr) {
            return Fail("Can't get info for note %d", n);
        }
        CSoundInfo derived;
        derived.format = recorded.format;
        derived.note.CopyPitch(*table);
        derived.note.thing = recorded.note.thing;
        derived.note.volume = recorded.note.volume;
        derived.note.pan = recorded.note.pan;
        derived.note.guitarString = recorded.note.guitarString;
        derived.note.fret = recorded.note.fret == UNSET ? UNSET : recorded.note.fret + k;
        derived.fileName = recorded.fileName;
        if (!CSampleOps::ResampleUp(recorded, derived, m_error) || !m_sound.AddSound(derived)) {
            return m_error.IsEmpty() ? Fail("%s", m_sound.GetError()) : false;
        }
    }
    return true;
}

bool CSampleBanks::LoadPiano() {
    // The described recordings, and any further ones, in ascending order.
    std::vector<int> notes;
    for (int n = kRecordedPianoNotes[0]; n <= kLastPianoNote; ++n) {
        CCharString path;
        path.Format("%sPiano/Piano-%s%d.wav", m_folder.GetText(), kSharpNames[n % kSemitones],
                    n / kSemitones - 1);
        const bool described =
            std::find(std::begin(kRecordedPianoNotes), std::end(kRecordedPianoNotes), n) !=
            std::end(kRecordedPianoNotes);
        if (described || IsFile(path)) {
            notes.push_back(n);
        }
    }
    CSoundInfo previous;
    bool havePrevious = false;
    for (const int n : notes) {
        if (havePrevious && !Derive(previous, n - 1)) {
            return false;
        }
        CSoundInfo record;
        CCharString path;
        path.Format("%sPiano/Piano-%s%d.wav", m_folder.GetText(), kSharpNames[n % kSemitones],
                    n / kSemitones - 1);
        if (!LoadSample(record, path, kPiano, n)) {
            return false;
        }
        previous = record;
        havePrevious = true;
    }
    return Derive(previous, kLastPianoNote);
}

bool CSampleBanks::LoadStrings(const char* name, int instrument) {
    for (int string = GetStringCount(instrument); string >= 1; --string) {
        CSoundInfo previous;
        bool havePrevious = false;
        for (int fret = 0; fret <= kLastFret; ++fret) {
            CCharString path;
            path.Format("%s%s/%s_%d-%2d.wav", m_folder.GetText(), name, name, string, fret);
            if (!IsFile(path)) {
                continue;
            }
            CSoundInfo record;
            if (!LoadSample(record, path, instrument, GetOpenNote(instrument, string) + fret)) {
                return false;
            }
            record.note.guitarString = string;
            record.note.fret = fret;
            if (havePrevious && !Derive(previous, record.note.midiNote - 1)) {
                return false;
            }
            previous = record;
            havePrevious = true;
        }
        if (!havePrevious) {
            return Fail("No samples found for '%s', string %d", name, string);
        }
        if (!Derive(previous, previous.note.midiNote + kFretsAboveLast)) {
            return false;
        }
    }
    return true;
}

bool CSampleBanks::ShareStrings(int from, int instrument) {
    // The rhythm guitar plays the lead guitar's samples: the same data, its
    // own buffers.
    const CInstrumentMap::SOUNDS* sounds = m_sound.GetInstruments().GetSounds(from);
    if (sounds == nullptr) {
        return Fail("Can't share the sounds of instrument %d: none are loaded", from);
    }
    const CInstrumentMap::SOUNDS copies = *sounds;
    for (CSoundInfo sound : copies) {
        sound.note.thing = instrument;
        sound.buffer = CSoundInfo::kNoBuffer;
        if (!m_sound.AddSound(sound)) {
            return Fail("%s", m_sound.GetError());
        }
    }
    return true;
}

bool CSampleBanks::LoadDrums() {
    for (const DRUM_FILE& drum : kDrumFiles) {
        CCharString path;
        path.Format("%sDrums/%s", m_folder.GetText(), drum.file);
        CSoundInfo record;
        if (!LoadSample(record, path, drum.instrument, NOTE_NONE) || !m_sound.AddSound(record)) {
            return m_error.IsEmpty() ? Fail("%s", m_sound.GetError()) : false;
        }
    }
    return true;
}
