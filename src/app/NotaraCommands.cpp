#include "app/NotaraCommands.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/AudioSettingsKeeper.h"
#include "app/Catalogue.h"
#include "app/Center.h"
#include "app/CommandTable.h"
#include "app/DialogKeeper.h"
#include "app/LessonController.h"
#include "app/MainWnd.h"
#include "app/Menus.h"
#include "app/PictureKeeper.h"
#include "app/PracticeKeeper.h"
#include "app/SongKeeper.h"
#include "editors/SongEditorDlg.h"
#include "foundation/Version.h"
#include "history/HistoryExport.h"
#include "platform/Window.h"
#include "platform/WindowSystem.h"

namespace {

constexpr const char* kExportName = "Practice History.csv";

// The window of typeId shown, brought back beside the main window.
CCommandTable::Handler Show(CCenter& center, int typeId) {
    return [&center, typeId](CCharString& error) {
        CDialogKeeper& dialogs = *center.GetDialogs();
        const bool shown = dialogs.ShowWindowOfType(typeId);
        if (!shown) {
            error = dialogs.GetError();
        }
        return shown;
    };
}

CCommandTable::Handler Hint(CCenter& center, bool HINTS::*hint) {
    return [&center, hint](CCharString&) {
        center.GetLessons()->ToggleHint(hint);
        return true;
    };
}

void ShowAbout(CCenter& center) {
    CCharString text;
    // The window's title, then the product and its version.
    const char* product = APP_SETTINGS::GetProductWord(center.GetKind());
    text.Format("%s\n%s %s", center.GetTitle(), product != nullptr ? product : "Notara",
                GetVersionText());
    center.GetPlatform().windowSystem->MessageBox(center.GetMainWindow()->GetWindow(), text,
                                                  "About", BoxIcon::kInformation, BoxButtons::kOk);
}

// File > Open song as lesson...: a MIDI file or song document, from the tunes.
void ChooseTuneLesson(CCenter& center) {
    const CCharString folder = center.GetLessons()->GetLessonFilePath("Tunes/");
    std::string path;
    if (center.GetPlatform().windowSystem->ChooseFileToOpen(center.GetMainWindow()->GetWindow(),
                                                            "Open song as lesson", folder,
                                                            "Songs (*.mid *.Song)", path)) {
        center.OpenTuneLesson(path.c_str());
    }
}

// File > Export practice history...: every answer as a CSV file, saved
// safely; told in the status line, or in a box when it can't be saved.
bool ExportHistory(CCenter& center, CCharString& error) {
    CPracticeKeeper* practice = center.GetPractice();
    if (practice == nullptr || !practice->IsOpen()) {
        error = "Can't export the practice history: there is none";
        return false;
    }
    CPracticeHistory& history = practice->GetHistory();
    std::vector<PRACTICE_ROW> rows;
    history.Flush();  // this session's answers too, as far as they can be written
    if (!history.GetRowsSince(0.0, rows)) {
        error.Format("Can't export the practice history: %s", history.GetError());
        return false;
    }
    // The learner's home folder: the program's own may not take files.
    const char* home = std::getenv("HOME");
    const std::string suggested =
        (home != nullptr && *home != '\0' ? std::string(home) + "/"
                                          : center.GetSettings()->dataFolder.Str()) +
        kExportName;
    std::string path;
    IWindow* main = center.GetMainWindow()->GetWindow();
    IWindowSystem& windows = *center.GetPlatform().windowSystem;
    if (!windows.ChooseFileToSave(main, "Export practice history", suggested.c_str(),
                                  "CSV files (*.csv)", path)) {
        return true;  // cancelled
    }
    std::string reason;
    if (!CHistoryExport::Save(rows, path, reason)) {
        windows.MessageBox(main, reason.c_str(), "Error", BoxIcon::kError, BoxButtons::kOk);
        return true;  // told
    }
    CCharString status;
    status.Format("The practice history was exported: %zu answers in %s", rows.size(),
                  path.c_str());
    main->SetStatusText(status);
    return true;
}

}  // namespace

void FillNotaraCommands(CCenter& center, CCommandTable& table) {
    // Every song and groove command goes to the Song Editor, which asks
    // before it drops changes; kinds without one have none to run.
    for (const int id : {kCommandNewSong, kCommandOpenSong, kCommandSaveSong, kCommandSaveSongAs,
                         kCommandSaveSongToMidi, kCommandSaveSongToWave, kCommandNewGroove,
                         kCommandOpenGroove, kCommandSaveGroove, kCommandSaveGrooveAs}) {
        table.Add(id, [&center, id](CCharString&) {
            CSongEditorDlg* editor =
                center.GetSongs() != nullptr ? center.GetSongs()->GetEditor() : nullptr;
            if (editor == nullptr) {
                CBaseWindow* none = nullptr;
                return center.FindWindow(kWindowSongEditor, none);  // says it is missing
            }
            editor->RunCommand(id);
            return true;
        });
    }
    table.Add(kCommandShowSong, Show(center, kWindowSongEditor));
    table.Add(kCommandShowMixer, Show(center, kWindowMixer));
    table.Add(kCommandShowPicture, Show(center, kWindowPicture));
    table.Add(kCommandShowColors, Show(center, kWindowColors));
    table.Add(kCommandShowText, Show(center, kWindowText));
    table.Add(kCommandArrangeAll, [&center](CCharString&) {
        center.GetDialogs()->Arrange(center.GetSongEditorWindow());
        return true;
    });
    table.Add(kCommandQuit, [&center](CCharString&) {
        center.GetMainWindow()->OnCloseRequest();  // the close box's way: settings saved
        return true;
    });
    table.Add(kCommandHintNoteNames, Hint(center, &HINTS::noteNames));
    table.Add(kCommandHintExpectedKey, Hint(center, &HINTS::expectedKey));
    table.Add(kCommandHintKeyLetters, Hint(center, &HINTS::keyLetters));
    table.Add(kCommandMicrophone, [&center](CCharString&) {
        center.ToggleMicrophone();
        return true;
    });
    // Undoes a drag or a zoom that left the staff hard to read.
    table.Add(kCommandResetView, [&center](CCharString&) {
        return center.GetPicture() == nullptr || center.GetPicture()->ResetView();
    });
    table.Add(kCommandAudioSettings, [&center](CCharString& error) {
        CAudioSettingsKeeper* audio = center.GetAudioSettingsKeeper();
        const bool shown = audio != nullptr && audio->Show();
        if (!shown && audio != nullptr) {
            error = audio->GetError();
        }
        return shown;
    });
    table.Add(kCommandAbout, [&center](CCharString&) {
        ShowAbout(center);
        return true;
    });
    table.Add(kCommandOpenTune, [&center](CCharString&) {
        ChooseTuneLesson(center);
        return true;
    });
    table.Add(kCommandExportHistory,
              [&center](CCharString& error) { return ExportHistory(center, error); });
    table.Add(kCommandDrill, [&center](CCharString&) {
        center.GetLessons()->StartDrill();
        return true;
    });
    table.Add(kCommandShowProgress, [&center](CCharString& error) {
        CPracticeKeeper* practice = center.GetPractice();
        CDialogKeeper& dialogs = *center.GetDialogs();
        const bool shown = dialogs.ShowProgress(
            practice != nullptr && practice->IsOpen() ? &practice->GetHistory() : nullptr);
        if (!shown) {
            error = dialogs.GetError();
        }
        return shown;
    });
    table.Add(kCommandKeyAccuracy, [&center](CCharString&) {
        if (CPictureKeeper* picture = center.GetPicture()) {
            picture->ToggleKeyAccuracy();
        }
        center.ShowMenu();  // the menu's tick
        return true;
    });
}
