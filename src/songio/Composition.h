#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "songs/Song.h"
#include "songs/SongPart.h"

class CMix;
class CNoteManager;
class CSound;

// The song's name, info, parts and play list at one moment, kept for undo.
struct SONG_STATE {
    CCharString name;
    SONG_INFO info;
    std::vector<std::unique_ptr<CSongPart>> parts;
    std::vector<int> playList;  // indexes into parts
};

// The song document: a library of song parts, a play list that orders them
// (a part may play several times) and the song info. It renders itself into
// a song for playing and export. Songs are saved as MIDI files whose markers
// carry the info, the parts and the chords; opening also reads the older
// line-based ".Song" text format. A MIDI file without song parts (one
// written by another program) opens as a plain song whose rendering is its
// notes. Failures return false with a "Can't ..." text for GetError.
class CComposition {
public:
    static constexpr int kListGrowStep = 50;
    // Bounds that keep a garbled or hostile document from rendering for ever.
    static constexpr int kMaxChordRepeat = 256;
    static constexpr int kMaxPartChords = 4096;
    static constexpr int kMaxSongRepeat = 100;
    static constexpr int kMaxRenderedMeasures = 20000;
    // A song that plays longer than this is no song to practise.
    static constexpr double kMaxSongSeconds = 4 * 60 * 60.0;
    static constexpr int kMaxParts = 256;
    static constexpr int kMaxPlayListEntries = 1024;
    // The longest error text and the longest piece of the file it quotes.
    static constexpr size_t kMaxErrorChars = 300;
    static constexpr size_t kMaxQuotedChars = 60;
    static constexpr double kMinTempo = 10.0;
    static constexpr double kMaxTempo = 1000.0;
    static constexpr double kDefaultTempo = 120.0;
    static constexpr double kSecondsPerMinute = 60.0;
    static constexpr size_t kMaxTextSongBytes = 64u << 20;

    // sound (may be null) renders "Save as WAVE"; both must outlive this.
    CComposition(CNoteManager& manager, CSound* sound);
    CComposition(const CComposition&) = delete;
    CComposition& operator=(const CComposition&) = delete;
    virtual ~CComposition() = default;

    // Resets the info, the name and the file name and empties the library
    // and the play list.
    void New();
    // ".mid" opens a MIDI song, ".Song" a text song (the extension compared
    // exactly). On success the path becomes the file name and the document
    // is unmodified; a failure leaves it reset or partly filled.
    bool Open(const char* path);
    // The sound engine that renders "Save as WAVE" from now on (may be
    // null); it must outlive this.
    void SetSound(CSound* sound) { m_sound = sound; }
    // Where the grooves of text songs are found: "<folder>/<style>/<name>.mid".
    void SetGroovesFolder(const char* folder) { m_groovesFolder = folder; }

    // Clears song and renders the play list into it, the whole list once per
    // repeat of the song.
    bool Render(CSong& song, bool withMarkers);
    // Writes the rendered song with its markers, parts and the mix applied.
    bool SaveMidi(const char* path, const CMix& mix);
    // Renders the enabled tracks, mixed, through the sound engine.
    bool SaveWave(const char* path, const CMix& mix, bool reduce);

    // The library. AddPart adds a copy and TakePart the part itself; both
    // are refused for a name in use.
    bool AddPart(const CSongPart& part);
    bool TakePart(std::unique_ptr<CSongPart> part);
    CSongPart* FindPart(const char* name);
    int GetPartCount() const { return static_cast<int>(m_parts.size()); }
    CSongPart* GetPart(int index);
    // The play list: entries point into the library.
    bool AppendToPlayList(int partIndex);
    bool AppendToPlayList(CSongPart* part);
    int GetPlayListCount() const { return static_cast<int>(m_playList.size()); }
    CSongPart* GetPlayListEntry(int index);
    // Takes an entry off the play list; its part leaves the library too
    // when no other entry plays it.
    bool RemovePlayListEntry(int index);
    // Moves an entry to another place of the play list.
    bool MovePlayListEntry(int index, int newIndex);
    // The editor changed a part, its chords or the info; the change
    // listener hears of it.
    void SetModified();
    // Called after every change of the parts, the play list or the info
    // (none: nobody listens).
    void SetChangeListener(std::function<void()> listener) { m_changed = std::move(listener); }
    // Keeps the song's parts, play list, name and info in state; puts a kept
    // state back (the file name stays, the song is modified). False with
    // the reason.
    bool SaveState(SONG_STATE& state) const;
    bool RestoreState(const SONG_STATE& state);
    // The file the document belongs to from now on: the one it was saved
    // to (unmodified), or the one a recovered copy came from (modified).
    void SetFileName(const char* path, bool modified) {
        m_fileName = path;
        m_modified = modified;
    }

    // True for a MIDI file without song parts, opened as its notes alone.
    bool IsPlainSong() const { return m_plain; }
    bool IsModified() const { return m_modified; }
    const char* GetFileName() const { return m_fileName; }
    const char* GetError() const { return m_error; }

    CCharString m_name;
    SONG_INFO m_info;

private:
    bool SetError(const char* format, ...) NOTARA_PRINTF(2, 3);
    bool OpenText(const char* path);
    bool OpenMidi(const char* path);
    bool Rebuild(CSong& song);
    bool ClosePart(CSongPart* part, double start, const CSong& song);
    bool AddChordFromMarker(CSongPart& part, const CNote& marker);
    bool CheckRenderedLength(int repeats);
    bool RenderPart(CSongPart& part, int position, bool withMarkers, CSong& song, double& offset);

    CCharString m_error;
    CNoteManager& m_manager;
    CSound* m_sound;
    CCharString m_fileName;
    CCharString m_groovesFolder;
    std::vector<std::unique_ptr<CSongPart>> m_parts;
    std::vector<CSongPart*> m_playList;
    CSong m_plainSong;  // the notes of a MIDI file without song parts
    bool m_plain = false;
    bool m_modified = false;
    std::function<void()> m_changed;
};
