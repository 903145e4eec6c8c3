#pragma once

#include <functional>
#include <memory>

#include "editors/SongEditorHost.h"
#include "foundation/CharString.h"

class CComposition;
class CSongEditorDlg;
class CSongPlayer;
class CSound;
class CWindowRegistry;
class IEventLoop;
class IWindow;
class IWindowSystem;
struct APP_SETTINGS;
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
        CSongPlayer* player = nullptr;
        APP_SETTINGS* settings = nullptr;
        std::function<void()> showMixer;
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
    bool OnLesson(const LESSON_SETTINGS& lesson, const char* lessonsFolder, CCharString& reason);
    const char* GetError() const { return m_error; }

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
    void OpenGroove();
    void Tell(const char* message, const char* title);

    SERVICES m_services;
    std::unique_ptr<CComposition> m_song;
    IWindow* m_owner = nullptr;
    bool m_wasPlaying = false;
    CCharString m_error;
};
