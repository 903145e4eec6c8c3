#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CharString.h"
#include "midi/SmfFile.h"
#include "midi/SmfTempoMap.h"
#include "songio/MidiMarkers.h"
#include "songs/Song.h"

// Reads a Standard MIDI File into a song and writes a song as one. The bytes
// are parsed and written by CSmfReader and CSmfWriter; this class converts
// SMF_FILE <-> CSong (writing through CMidiSongWriter): notes, programs, the volume and pan
// controllers, the guitar values of controllers 16-19 and the program's own marker meta events
// (CMidiMarkers). A file written here reads back into the same song; a file from elsewhere reads as
// plain notes. Failures return false with a "Can't ..." text for GetError.
class CMidiFile {
public:
    static constexpr int kWriteDivision = 1000;            // ticks per quarter note when writing
    static constexpr double kLengthSlack = 0.01;           // seconds read past the song length
    static constexpr double kTailSeconds = 0.5;            // silence written after each track
    static constexpr double kDefaultSecondsPerBeat = 0.5;  // 120 beats per minute
    static constexpr int kPendingNotes = 256;
    static constexpr int kNoSlot = -1;
    static constexpr int kMaxMidiNote = 200;
    static constexpr int kChannelCount = 16;

    // Clears song and reads the file at path into it; the song's measure
    // count follows from its length, every track gets the song info and the
    // path becomes the song's file name.
    bool Read(const char* path, CSong& song);
    // Writes song to path as a format-1 file, replacing any old file whole.
    bool Write(const char* path, const CSong& song);

    // The conversions alone. Read keeps what was added before a failure.
    bool ReadSmf(const SMF_FILE& file, CSong& song);
    bool MakeSmf(const CSong& song, SMF_FILE& file);

    // Volume 0.0..1.0 <-> note-on velocity 0..127; halving the volume lowers
    // the velocity by about a tenth of its range.
    static int VolumeToVelocity(float volume);
    static float VelocityToVolume(int velocity);

    const char* GetError() const { return m_error; }

private:
    // Reading.
    void FindTempo(const SMF_FILE& file, CSong& song);
    bool ReadTrack(const SMF_TRACK& smfTrack, bool conductor, CSong& song, CTrack& track);
    void ReserveNotes(const SMF_TRACK& smfTrack, CTrack& track);
    bool ReadEvent(const SMF_EVENT& event, double time, CSong& song, CTrack& track);
    bool ReadMeta(const SMF_EVENT& event, double time, CSong& song, CTrack& track);
    bool ReadMarker(const char* text, double time, CSong& song, CTrack& track);
    bool ReadEntryMarker(CMidiMarkers::TAG tag, const char* text, double time, CTrack& track);
    bool ReadChannelEvent(const SMF_EVENT& event, double time, CTrack& track);
    bool ReadNote(const SMF_EVENT& event, double time, CTrack& track);
    bool AddEntry(const CNote& entry, CTrack& track, int& slot);
    void ReadController(int controller, int value, CTrack& track);
    bool ReadProgram(const SMF_EVENT& event, CTrack& track);
    bool StartNote(int midiNote, int velocity, double time, CTrack& track);
    void CloseNote(int midiNote, double time, bool drum, CTrack& track);
    void MoveBeforeOpenNotes(int slot, CNoteList& notes);
    void RemoveOpenNotes(CNoteList& notes);
    void FinishTrack(double lastTime, const CSong& song, CTrack& track);

    bool SetError(const char* format, ...) NOTARA_PRINTF(2, 3);

    // Reading state: the file's tempo map, whether the file is format 1,
    // the list slot of each MIDI note begun and not yet ended (kNoSlot for
    // none), whether an event came before the time of the one read before it,
    // and the pending guitar and chord values for the next note.
    std::unique_ptr<CSmfTempoMap> m_tempoMap;
    int m_format = 1;
    bool m_drumTrack = false;
    bool m_channelSeen = false;
    std::array<int, kPendingNotes> m_slots{};
    bool m_outOfOrder = false;
    NOTE_INFO m_noteInfo;
    int m_chordType = 0;
    int m_chordRoot = NOTE_NONE;
    std::string m_text;  // the text of the meta event being read

    CCharString m_error;
};
