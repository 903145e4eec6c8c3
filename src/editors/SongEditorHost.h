#pragma once

#include "foundation/CharString.h"

class CComposition;
class CMix;
class CNoteList;
class CNoteManager;

// A take the Song Editor asks for: the notes played under it (with their
// count-in) and where the capture starts to listen.
struct RECORD_REQUEST {
    int countInMeasures = 1;
    double measureLength = 0.0;
    double mixOffset = 0.0;       // where the take's audio joins the playback
    double detectorOffset = 0.0;  // where detected notes begin
    double foldLength = 0.0;      // the groove's length: notes fold into it
    int targetThing = 0;          // the row the detected notes go to
    bool clearRow = false;        // empty the row before the take
    bool audio = false;           // record sound into recordFile, detect nothing
    CCharString recordFile;
};

// What the Song Editor needs of the program around it: the song it edits,
// the theory and the mix, playing notes through the sound engine, taking
// notes or sound from the capture, and the commands it hands on. The
// central object implements it; every call comes on the user-interface
// thread.
class ISongEditorHost {
public:
    virtual ~ISongEditorHost() = default;

    // The song document being edited and the services it is built with.
    virtual CComposition& GetSong() = 0;
    virtual CNoteManager& GetNoteManager() = 0;
    virtual CMix& GetMix() = 0;

    // Plays notes (times from 0) through the sound engine: the whole of
    // loopLength seconds repeatCount times, measureLength telling the beat
    // to the players. False with the reason in error.
    virtual bool Play(const CNoteList& notes, double measureLength, double loopLength,
                      int repeatCount, CCharString& error) = 0;
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;
    // Plays notes as Play does and takes what the capture hears; the take
    // ends with Stop. False with the reason in error.
    virtual bool Record(const CNoteList& notes, const RECORD_REQUEST& request,
                        CCharString& error) = 0;

    // Renders the song, played repeatCount times, into a WAVE file at path
    // through the sound engine's export. False with the reason in error.
    virtual bool SaveWave(const char* path, int repeatCount, CCharString& error) = 0;

    // Runs a command of the menu that belongs to the central object (new,
    // open and save song, open and save-as groove, the mixer).
    virtual void RunCommand(int commandId) = 0;

    // Where grooves are kept ("<folder>/<style>/<name>.mid") and the
    // temporary files of takes go.
    virtual CCharString GetGroovesFolder() const = 0;
    virtual CCharString GetTempFolder() const = 0;

    // The master volume of the sound engine, 0.0 .. 1.0.
    virtual float GetMasterVolume() const = 0;
    virtual void SetMasterVolume(float volume) = 0;
};
