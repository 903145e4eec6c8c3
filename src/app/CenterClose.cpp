// The central object's close: what the user is asked, what is kept and
// saved, and the order in which the parts go.
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

void CCenter::QueryClose(std::function<void()> proceed) {
    if (m_songs) {
        m_songs->QueryClose(std::move(proceed));
    } else {
        proceed();
    }
}

void CCenter::Close() {
    if (!m_windows) {
        return;
    }
    // Changes nobody was asked about wait for the next start.
    if (m_songs) {
        m_songs->KeepUnsaved();
    }
    if (m_dialogs) {
        m_dialogs->StorePlacements();
    }
    m_audioSettings.reset();
    RememberExportFolders();
    m_windows->CloseAll();
    if (m_lessons && m_settings != nullptr) {
        // A tune that runs is resumed at its note next time.
        CCharString tune;
        int note = 0;
        const bool tuneRuns = m_lessons->GetRunningTune(tune, note);
        m_settings->tuneFile = tuneRuns ? tune : CCharString();
        m_settings->tuneNote = tuneRuns ? note : 0;
        m_lessons->Attach(nullptr, nullptr);
    }
    // A playback ends with its notes released, before the road and the
    // sound engine it uses go.
    if (m_songPlayer) {
        m_songPlayer->Stop();
    }
    m_songs.reset();
    m_songPlayer.reset();
    m_devices.reset();  // a device that never answered is left to its thread
    if (m_picture && m_noteRouter) {
        m_noteRouter->Unsubscribe(*m_picture);
    }
    m_picture.reset();
    m_keyInput.reset();
    m_noteRouter.reset();
    m_sounder.reset();
    m_midiMapper.reset();
    m_heldKeys.reset();
    CCharString historyProblem;
    if (m_practice) {
        m_practice->CloseHistory(historyProblem);
    }
    m_practice.reset();
    m_teacher.reset();
    m_noteManager.reset();
    SaveAtClose(historyProblem);
    if (m_logFile) {
        m_logFile->WriteLine("===== Closing", true);
        SetErrorLog(nullptr);
        m_logFile->Close();
        m_logFile.reset();
    }
    m_lessons.reset();
    m_lessonWindows.reset();
    m_dialogs.reset();
    m_settings = nullptr;
    m_settingsKeeper.reset();
    m_windows.reset();
}

// The folders the Song Editor exported to last are the kind's next time.
void CCenter::RememberExportFolders() {
    CSongEditorDlg* editor = m_songs ? m_songs->GetEditor() : nullptr;
    if (editor == nullptr || m_settings == nullptr) {
        return;
    }
    const SONG_EDITOR_SETTINGS editorSettings = editor->GetSettings();
    if (!editorSettings.midiFolder.IsEmpty()) {
        m_settings->midiFolder = editorSettings.midiFolder;
    }
    if (!editorSettings.waveFolder.IsEmpty()) {
        m_settings->waveFolder = editorSettings.waveFolder;
    }
}

void CCenter::TellHistoryProblem() {
    CCharString text;
    if (m_practice && m_practice->GetHistory().TakeWriteProblem(text)) {
        ReportError(kSource, __LINE__, "%s", text.GetText());
        m_platform.windowSystem->MessageBox(GetMainIWindow(), text, "Practice history",
                                            BoxIcon::kExclamation, BoxButtons::kOk);
    }
}

void CCenter::SaveAtClose(const CCharString& historyProblem) {
    CCharString failures = historyProblem;
    if (m_mix && !m_mix->SaveUnlessDamaged(GetDefaultMixPath())) {
        failures.Append(failures.IsEmpty() ? "" : "\n");
        failures.Append(m_mix->GetError());
    }
    CCharString reason;
    if (m_settingsKeeper && !m_settingsKeeper->Save(reason)) {
        failures.Append(failures.IsEmpty() ? "" : "\n");
        failures.Append(reason);
    }
    if (failures.IsEmpty()) {
        return;
    }
    // What could not be saved is lost when the process ends: told once, and
    // the exit status says so too.
    ReportError(kSource, __LINE__, "%s", failures.GetText());
    m_platform.windowSystem->MessageBox(GetMainIWindow(), failures, m_appKind.title,
                                        BoxIcon::kError, BoxButtons::kOk);
    SetExitFailure();
}
