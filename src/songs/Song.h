#pragma once

#include <memory>
#include <vector>

#include "songs/Mix.h"
#include "songs/SongInfo.h"
#include "songs/Track.h"

class CSongPart;

// A song: instrument tracks of time-ordered notes, the song info, the song
// parts and the mix. Times are in seconds; beats and measures follow from
// the seconds per beat. Operations return false and leave a text for
// GetError.
class CSong {
public:
    // A remainder of a measure longer than this counts as one more measure.
    static constexpr double kMeasureRemainder = 0.01;

    CSong();
    CSong(const CSong&) = delete;
    CSong& operator=(const CSong&) = delete;
    virtual ~CSong();

    // Copies the tracks, the info, the song parts and the mix.
    bool CopyFrom(const CSong& other);
    // Removes the tracks and the song parts, and with withInfo resets the info.
    void Clear(bool withInfo = false);
    // Replaces the tracks by the four of a new song or groove: lead guitar,
    // rhythm guitar, bass guitar and drum set, each named after its Thing.
    bool AddNewSongTracks();

    // Tracks.
    int GetTrackCount() const { return static_cast<int>(m_tracks.size()); }
    CTrack* GetTrack(int index);
    const CTrack* GetTrack(int index) const;
    // The first track of the Thing, or null.
    CTrack* FindTrack(int thing);
    const CTrack* FindTrack(int thing) const;
    bool AddTrack(const CTrack& track);
    // Takes the track over without copying its notes.
    bool AddTrack(CTrack&& track);
    void EnableTracks(int thing, bool enabled);
    // Clear removes every note of the Thing's track, Strip keeps its markers.
    void ClearNotes(int thing);
    void StripNotes(int thing);

    // The latest end over the tracks; drum hits count by their start.
    double GetLength() const;
    // Whole measures in the length, one more for a remainder above
    // kMeasureRemainder; 0 without a length or a beat.
    int CountMeasures() const;
    // Copies the info into every track, keeping each track's name.
    void CopyInfoToTracks();
    // Stretches every note's time and duration to a new beat duration.
    void Rescale(double secondsPerBeat);
    // Appends other's notes after this song's whole measures, matching the
    // tracks by index; the shorter track list wins.
    bool Append(const CSong& other);
    // The same at a given time offset.
    bool AppendAt(const CSong& other, double offset);
    // Copies the notes starting in start .. end (end excluded) of other's
    // tracks into the tracks of the same Thing, moved to start at 0; a Thing
    // this song lacks gets an empty copy of other's track first. Takes
    // other's mix and recounts the measures.
    bool CopySegment(const CSong& other, double start, double end);

    // Mix: volumes are multiplied by the track's and the mix's volume and pans
    // become mix pan + track pan; RemoveMix divides the volumes back.
    void ApplyMix(const CMix& mix);
    void RemoveMix(const CMix& mix);
    CMix& GetMix() { return m_mix; }
    const CMix& GetMix() const { return m_mix; }

    // Song parts, owned by the song.
    int GetPartCount() const { return static_cast<int>(m_parts.size()); }
    CSongPart* GetPart(int index);
    const CSongPart* GetPart(int index) const;
    CSongPart* FindPart(const char* name);
    // Adds a copy; refused when a song part of that name exists.
    bool AddPart(const CSongPart& part);
    bool CopyParts(const CSong& other);

    // Gives every chord marker of the lead-guitar track its chord name.
    void SetChordNames();
    void Dump() const;

    const char* GetError() const { return m_error; }

    SONG_INFO m_info;

private:
    bool SetError(const char* format, ...) const NOTARA_PRINTF(2, 3);

    mutable CCharString m_error;
    std::vector<std::unique_ptr<CTrack>> m_tracks;
    std::vector<std::unique_ptr<CSongPart>> m_parts;
    CMix m_mix;
};
