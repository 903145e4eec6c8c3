#pragma once

#include <string>

#include "foundation/CharString.h"

class CComposition;
class CGrooveGrids;
class CMix;

// What a run that ended without asking (logout, a signal, an unattended
// close) had changed and not saved: the song and the groove on the grids,
// each as a MIDI file, and an index of where each belongs. They are kept
// in a folder of their own beside the settings and offered at the next
// start, once: offered, they are removed whatever the answer.
class CSongRecovery {
public:
    static constexpr const char* kFolderName = "Recovery";
    static constexpr const char* kIndexName = "Recovery.txt";
    static constexpr const char* kSongName = "Song.mid";
    static constexpr const char* kGrooveName = "Groove.mid";

    struct KEPT {
        bool song = false;
        std::string songFile;  // where the song belongs; empty: never saved
        std::string songName;
        bool groove = false;
        std::string grooveStyle;
        std::string grooveName;
    };

    // folder: where the settings are kept; the copies go below it.
    explicit CSongRecovery(const std::string& folder);

    // Keeps the song when it was modified and the groove when the grids
    // changed; true when nothing needed keeping. The index is written last,
    // so that a copy is offered only once it is whole.
    bool Keep(CComposition& song, const CMix& mix, CGrooveGrids& grids);
    // True when copies were kept; kept says of what.
    bool Find(KEPT& kept) const;
    // The question that offers kept, naming the program.
    static CCharString Describe(const KEPT& kept, const char* program);
    // Reads the kept song into song, modified, under the file it belongs
    // to; false with the reason.
    bool RestoreSong(const KEPT& kept, CComposition& song);
    std::string GetGroovePath() const;
    // Removes the copies and the index.
    void Discard();

    const char* GetError() const { return m_error; }

private:
    std::string Path(const char* name) const;
    bool SaveIndex(const KEPT& kept);

    std::string m_folder;
    CCharString m_error;
};
