// The central object's periodic work and what other threads and programs
// post to it: notes, levels, pitches, songs handed over, device problems.
#include "app/Center.h"

#include <string>

#include "app/AppSettings.h"
#include "app/AudioSettingsKeeper.h"
#include "app/CommandKeys.h"
#include "app/ContentFile.h"
#include "app/DeviceKeeper.h"
#include "app/DialogKeeper.h"
#include "app/GrooveShelf.h"
#include "app/KeyInput.h"
#include "app/LessonController.h"
#include "app/LessonWindows.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "app/NotaraCommands.h"
#include "app/NoteSounder.h"
#include "app/PictureKeeper.h"
#include "app/PracticeKeeper.h"
#include "app/SettingsKeeper.h"
#include "app/SongKeeper.h"
#include "app/SongPlayer.h"
#include "app/WindowRegistry.h"
#include "capture/DetectorPoster.h"
#include "capture/SoundCapture.h"
#include "capture/TunerReading.h"
#include "editors/SongEditorDlg.h"
#include "exercise/HeldKeys.h"
#include "exercise/Teacher.h"
#include "foundation/CrashReport.h"
#include "foundation/CritLock.h"
#include "foundation/ErrorReport.h"
#include "foundation/LogFile.h"
#include "midi/MidiKeyboard.h"
#include "midi/MidiMapper.h"
#include "platform/Clock.h"
#include "platform/GlDevice.h"
#include "scene/SpacePainter.h"
#include "songio/Composition.h"
#include "songs/Mix.h"
#include "theory/NoteManager.h"
#include "theory/NoteRouter.h"
#include "ui/LessonSettings.h"
#include "ui/TextDlg.h"

void CCenter::OnTimer(int timerId) {
    CCritLock lock(m_lock, "CCenter::OnTimer");
    if (timerId == CMainWnd::kSceneTimer) {
        if (m_picture) {
            m_picture->GetPainter().Step();
        }
        return;
    }
    if (timerId == CMainWnd::kFrameTimer) {
        m_fade.Step();
        if (m_lessons) {
            m_lessons->TakeTune();  // a song read on its own thread
        }
        if (m_audioSettings) {
            m_audioSettings->OnFrame();
        }
        if (CSoundCapture* capture = GetCapture()) {
            capture->OnTimer();
        }
        if (m_songPlayer) {
            m_songPlayer->OnTimer();  // the played notes along the road
        }
        if (m_songs) {
            m_songs->OnFrame();
        }
    } else if (timerId == CMainWnd::kSecondTimer) {
        if (m_devices) {
            m_devices->OnSecond();  // late answers, and devices given up
        }
        TellHistoryProblem();
        if (m_logFile) {
            m_logFile->Flush();
        }
    }
    if (m_windows) {
        m_windows->ForEach([timerId](CBaseWindow& window) { window.OnTimer(timerId); });
    }
}

void CCenter::OnNote(std::unique_ptr<IPayload> payload) {
    if (m_noteRouter) {
        m_noteRouter->Route(std::move(payload));
    }
}

void CCenter::OnLevel(std::unique_ptr<IPayload> payload) {
    const std::unique_ptr<SOUND_LEVEL> level = TakePayload<SOUND_LEVEL>(payload);
    if (!level || !m_devices || !m_devices->GetCapture()) {
        return;
    }
    m_devices->ShowInputLevel(level->volume);
    if (m_audioSettings) {
        m_audioSettings->ShowInputLevel(level->volume);
    }
}

void CCenter::OnPitch(std::unique_ptr<IPayload> payload) {
    const std::unique_ptr<SOUND_PITCH> pitch = TakePayload<SOUND_PITCH>(payload);
    if (!pitch || !m_devices || !m_devices->GetCapture()) {
        return;
    }
    TUNER_READING reading;
    const bool steady = pitch->frequency > 0.0 && CTunerReading::Read(pitch->frequency, reading);
    const char* text = steady ? reading.text.GetText() : "";
    m_devices->ShowTuner(text);
    if (m_audioSettings) {
        m_audioSettings->ShowTuner(text);
    }
}

void CCenter::OnHandedOver(const std::string& message) {
    const std::string prefix = kOpenSongMessage;
    if (message.compare(0, prefix.size(), prefix) != 0 || m_mainWindow == nullptr) {
        ReportError(kSource, __LINE__, "A message of another start was not understood");
        return;
    }
    const std::string path = message.substr(prefix.size());
    if (path.empty() || path.front() != '/' || path.find('\0') != std::string::npos) {
        ReportError(kSource, __LINE__, "A message of another start was not understood");
        return;
    }
    if (IWindow* main = GetMainIWindow()) {
        main->Show(true);
        main->BringToFront();
    }
    // As a song named on the command line: taken at once when it reads in a
    // moment, else when it is read; the groove kind's Song Editor opens it.
    if (m_songs) {
        OpenInSongEditor(path.c_str());
    } else if (OpenTuneLesson(path.c_str())) {
        WaitForTuneLesson(kStartTuneSeconds);
    }
}

bool CCenter::OpenInSongEditor(const char* path) {
    CSongEditorDlg* editor = m_songs ? m_songs->GetEditor() : nullptr;
    if (editor == nullptr) {
        m_error = "Can't open the song: there is no Song Editor";
        return false;
    }
    CComposition& song = m_songs->GetSong();
    if (!song.Open(path)) {
        m_error = song.GetError();
        song.New();  // a song half read is no song to edit
        ReportError(kSource, __LINE__, "%s", m_error.GetText());
        m_platform.windowSystem->MessageBox(GetMainIWindow(), m_error, m_appKind.title,
                                            BoxIcon::kExclamation, BoxButtons::kOk);
        return false;
    }
    editor->SongChanged();
    editor->Show(true);
    if (editor->GetWindow() != nullptr) {
        editor->GetWindow()->BringToFront();
    }
    return true;
}

void CCenter::OnDeviceProblems() {
    if (m_devices) {
        m_devices->OnProblemsMessage();
    }
}

void CCenter::OnMidiDeviceLost(std::unique_ptr<IPayload> payload) {
    const std::unique_ptr<CCharString> reason = TakePayload<CCharString>(payload);
    CCharString text;
    text.Format("The MIDI input device is gone: %s", reason ? reason->GetText() : "");
    ReportError(kSource, __LINE__, "%s", text.GetText());
    if (m_mainWindow) {
        m_platform.windowSystem->MessageBox(GetMainIWindow(), text, "Audio Device Error",
                                            BoxIcon::kExclamation, BoxButtons::kOk);
    }
}
