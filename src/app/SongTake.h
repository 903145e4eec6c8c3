#pragma once

#include <functional>
#include <map>
#include <string>

#include "editors/SongEditorHost.h"
#include "foundation/CharString.h"
#include "theory/NoteSubscriber.h"

class CNote;
class CNoteList;
class CNoteRouter;
class CSongPlayer;
class CSoundCapture;

// A take of the Song Editor, over a playback: into the groove, the notes the
// microphone hears after the count-in go to the record target row, their
// times folded into the groove; over a part or the song, the microphone's
// sound is recorded beside the playback's and the two are mixed at the end.
// The capture goes back to live detection when the take ends. Everything
// runs on the user-interface thread.
class CSongTake : public INoteSubscriber {
public:
    // Where a heard note goes: into the row of thing; false with the reason.
    using NoteSink = std::function<bool(int thing, const CNote& note, CCharString& reason)>;

    struct SERVICES {
        CSoundCapture* capture = nullptr;
        CSongPlayer* player = nullptr;
        CNoteRouter* router = nullptr;
        int liveMethod = 0;      // the capture's pitch method outside takes
        std::string tempFolder;  // ends with a slash
        NoteSink sink;
    };

    CSongTake() = default;
    ~CSongTake() override;
    CSongTake(const CSongTake&) = delete;
    CSongTake& operator=(const CSongTake&) = delete;

    // Readies the capture and starts the playback of notes; false with the
    // reason, the capture back as it was.
    bool Start(const CNoteList& notes, const RECORD_REQUEST& request, const SERVICES& services,
               CCharString& error);
    bool IsRunning() const { return m_running; }
    // The capture's file of an audio take.
    const CCharString& GetRecordName() const { return m_request.recordFile; }
    // Ends the take (the playback is stopped by the caller first). An audio
    // take leaves the mixed sound in mixedPath (empty when nothing was long
    // enough to mix); false with the reason.
    bool Finish(std::string& mixedPath, CCharString& error);
    // Notes put into the row, and the ones no row could hold.
    int GetNotesTaken() const { return m_taken; }
    int GetNotesRefused() const { return m_refused; }

    // INoteSubscriber: the detected notes during a note take.
    bool OnNote(ROUTED_NOTE& note) override;

private:
    void Put(int midiNote, double start, double end);
    void RestoreCapture();

    SERVICES m_services;
    RECORD_REQUEST m_request;
    std::string m_streamFile;
    std::map<int, double> m_held;  // notes heard and not yet ended: their starts
    double m_start = 0.0;          // the playback's start on the clock
    bool m_running = false;
    bool m_subscribed = false;
    int m_taken = 0;
    int m_refused = 0;
};
