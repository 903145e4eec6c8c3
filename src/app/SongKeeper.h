#pragma once

#include <functional>
#include <memory>
#include <string>

#include "editors/SongEditorHost.h"
#include "foundation/CharString.h"

class CComposition;
class CSongEditorDlg;
class CNoteRouter;
class CSongPlayer;
class CSongTake;
class CSoundCapture;
class CSound;
class CWindowRegistry;
class IEventLoop;
class IWindow;
class IWindowSystem;
struct APP_SETTINGS;
struct DISPLAY_SETTINGS;
struct LESSON_SETTINGS;

// The song document of the kinds with a Song Editor, and the editor's host:
// it plays what the editor asks through the song player, renders and saves
// the song, opens songs and grooves from their folders and hands the mixer
// command on.
class CSongKeeper : public ISongEditorHost {
public:
    static constexpr const char* kSource = "Songs";

    struct SERVICES {
        IWindowSystem* windowSystem = nullptr;
        IEventLoop* eventLoop = nullptr;
        CWindowRegistry* windows = nullptr;
        CNoteManager* notes = nullptr;
        std::function<CMix*()> mix;
        std::function<CSound*()> sound;
        std::function<CSoundCapture*()> capture;  // the microphone's, when on
        CNoteRouter* router = nullptr;
        std::function<int()> pitchMethod;  // the microphone's, outside takes
        CSongPlayer* player = nullptr;
        APP_SETTINGS* settings = nullptr;
        std::function<void()> showMixer;
        // Where changes left unsaved at an unasked end are kept: the
        // settings' folder.
        std::string keepFolder;
        const char* title = "";  // the program's, for its questions
    };

    explicit CSongKeeper(const SERVICES& services);
    ~CSongKeeper() override;

    // Makes the song and the Song Editor, owned by the window registry;
    // false with the reason.
    bool Create(IWindow* owner);
    CSongEditorDlg* GetEditor() const;
    // Tells the editor of a playback that ended by itself; each frame.
    void OnFrame();
    // A lesson button of this kind: "File" opens that song, "Style" and
    // "Groove" show that groove in the editor, "Play" plays the groove or
    // the song. False with the reason.
    bool OnLesson(const LESSON_SETTINGS& lesson, const DISPLAY_SETTINGS& display,
                  const char* lessonsFolder, CCharString& reason);
    const char* GetError() const { return m_error; }

    // The user closes the program: the changed groove and song are offered
    // for saving, then proceed runs (not when a name question is
    // cancelled).
    void QueryClose(std::function<void()> proceed);
    // The program ends: what changed and was not offered for saving is kept
    // for the next start.
    void KeepUnsaved();
    // At the start: changes kept at the last end are offered, once.
    void OfferRecovery();

    // ISongEditorHost
    CComposition& GetSong() override { return *m_song; }
    CNoteManager& GetNoteManager() override { return *m_services.notes; }
    CMix& GetMix() override { return *m_services.mix(); }
    bool Play(const CNoteList& notes, double measureLength, double loopLength, int repeatCount,
              CCharString& error) override;
    void Stop() override;
    bool IsPlaying() const override;
    bool Record(const CNoteList& notes, const RECORD_REQUEST& request, CCharString& error) override;
    bool SaveWave(const char* path, int repeatCount, CCharString& error) override;
    void RunCommand(int commandId) override;
    CCharString GetGroovesFolder() const override;
    CCharString GetTempFolder() const override;
    float GetMasterVolume() const override;
    void SetMasterVolume(float volume) override;

private:
    void OpenSong();
    void SaveSong(bool askName);
    void RememberSongFolder(const std::string& path);
    void OpenGroove();
    void Tell(const char* message, const char* title);
    // Ends a take that runs; an audio take's mixed sound is offered.
    void FinishTake();
    // Moves the file at source where the user chooses in the WAVE folder,
    // suggested under suggestedName; the folder is remembered. False when
    // cancelled (source is then deleted).
    bool SaveFileAs(const std::string& source, const std::string& suggestedName);

    SERVICES m_services;
    std::unique_ptr<CComposition> m_song;
    std::unique_ptr<CSongTake> m_take;
    IWindow* m_owner = nullptr;
    bool m_wasPlaying = false;
    bool m_closeAnswered = false;  // the user was asked about the changes
    CCharString m_error;
};
