#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "editors/GrooveGrids.h"
#include "editors/ModalDlg.h"
#include "editors/NoteGridView.h"
#include "editors/SongEditorSettings.h"
#include "editors/SongHistory.h"
#include "editors/SongPartsEditor.h"
#include "ui/BaseWindow.h"
#include "ui/CheckBox.h"
#include "ui/CmdButton.h"
#include "ui/ComboBox.h"
#include "ui/EditBox.h"
#include "ui/PlayButton.h"
#include "ui/ProgressBar.h"
#include "ui/RadioButton.h"
#include "ui/RecordButton.h"
#include "ui/TrackBar.h"

class CNoteList;
class ISongEditorHost;

// The Song Editor: the grooves of a style shown in five note grids, the
// song's parts and their chords, playing a groove, a part or the whole song
// and recording, through the host. A modeless dialog; closing it asks to
// save what changed and hides it.
class CSongEditorDlg : public CBaseWindow, private IControlDialogHandler {
public:
    static constexpr int kTypeId = 13;
    static constexpr int kGrooveRepeats = 1000;
    static constexpr int kMaxSongRepeats = 10000;
    static constexpr int kInputPositions = 20;
    static constexpr int kVolumePositions = 100;
    static constexpr const char* kNoPartToPlay = "Please select the part to play";
    static constexpr const char* kNoPartTitle = "No part is selected";
    static constexpr const char* kNoChords = "Song part must have at least one chord";
    static constexpr const char* kNoChordsTitle = "No chords";
    static constexpr const char* kSongChanged = "The song has been changed.\rSave the changes?";
    static constexpr const char* kGrooveChanged =
        "The groove was changed.\nDo you want to save the changes?";
    static constexpr const char* kDeleteGroove =
        "This groove will be permanently deleted.\nDo you want to delete it?";
    static constexpr const char* kOnlyMeasure = "Can't delete the only measure";
    static constexpr const char* kDeleteMeasure =
        "The last measure will be deleted.\nDo you want to delete it?";
    static constexpr const char* kDeleteMeasureTitle = "Delete Last Measure";
    static constexpr const char* kTimeStampFormat = "%b-%d-%y %H-%M-%S";

    CSongEditorDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop, ISongEditorHost& host);
    ~CSongEditorDlg() override;

    // Makes and shows the dialog owned by owner (may be null), with the
    // settings of the last run; false with the reason in GetError.
    bool Open(IWindow* owner, const SONG_EDITOR_SETTINGS& settings);
    // What the editor keeps for the next run.
    SONG_EDITOR_SETTINGS GetSettings() const;

    // The host replaced or changed the song (new, opened).
    void SongChanged();
    // The host's playback (or take) ended by itself.
    void PlaybackEnded();
    // Seconds since the playback began, each frame, negative when nothing
    // plays: the play-head over the grids follows a playing groove.
    void ShowPlayTime(double elapsed);
    // The input meter, 0..1.
    void SetInputLevel(float level);
    // Shows or hides the note names in the grids, as "Show notes" does.
    void ShowNoteNames(bool show);
    // Plays the groove on the grids at tempo from now on, shown in the
    // Tempo box; false (told) outside the song's tempo range.
    bool SetTempo(double tempo);
    // A note heard in a take into the groove goes into the row of thing,
    // its time folded into the groove; false with the reason in GetError.
    bool AddTakeNote(int thing, const CNote& note);
    // Shows a groove of the grooves folder; false with the reason.
    bool SelectGroove(const char* style, const char* name);
    // Shows the groove kept at path as the changed groove style/name, as a
    // recovered one is shown; false with the reason (told).
    bool RestoreGroove(const char* path, const char* style, const char* name);
    // Shows a groove as a user's choice does: the changed groove on the
    // grids is offered for saving first; play starts it when shown.
    void OpenGroove(const char* style, const char* name, bool play);
    // Runs a command of a menu, a button or a key.
    void RunCommand(int commandId);
    // Asks to save the changed groove and song, then runs next; Cancel of a
    // name question drops next.
    void QuerySaveChanges(std::function<void()> next);
    // The grid menu's "Delete last measure" for the whole groove.
    void DeleteLastMeasure();
    // The MIDI and WAVE exports of the song.
    bool ExportMidi();
    bool ExportWave();
    // "%s.mid", or "%s (%s).mid" with the local time when stamped.
    static CCharString MakeFileName(const char* songName, const char* extension, bool stamped);

    CGrooveGrids& GetGrids() { return m_grids; }
    // The view of grid i (CGrooveGrids::GRID).
    CNoteGridView& GetGridView(int grid) { return *m_views.at(static_cast<size_t>(grid)); }
    // Paints the five grids again.
    void RefreshGridViews();
    CSongPartsEditor& GetParts() { return m_parts; }
    IControlDialog* GetDialog() const { return m_dialog; }
    // The question dialog opened last, or null.
    CModalDlg* GetLastQuestion() const;
    bool IsPlaying() const { return m_playing != kIdle; }

protected:
    void OnClose() override;
    void OnDestroy(int code) override;
    void OnMenuCommand(int commandId) override { RunCommand(commandId); }
    void OnPosted(int message, std::unique_ptr<IPayload> payload) override;

private:
    enum PLAYING { kIdle, kGroove, kPart, kSong, kRecording };

    void OnControl(int id, ControlEvent event) override;
    void OnPointer(int id, const POINTER_EVENT& event) override;
    // The grids' views in their image buttons, and what their menus ask of
    // the whole groove.
    void AttachGridViews();
    void RunGrooveCommand(int commandId);
    bool CreateButtons();
    void AttachControls();
    void FillHumanization();
    void FillStyles();
    void FillGrooves();
    void GrooveChosen();
    bool ShowGrooveFile(const char* path, const char* style, const char* name);
    // Undo and redo of the grids' and the song's edits, in one order.
    void SongEdited();
    void GridStepRecorded();
    void UndoOrRedo(bool undo);
    void PopupCommands(int buttonId);
    void PopupMenuUnder(int menuId, int controlId);
    void RunFileCommand(int commandId);
    BoxResult Box(const char* text, const char* caption, BoxButtons buttons = BoxButtons::kOk);
    void Keep(std::unique_ptr<CModalDlg> dialog);
    void DropFinishedQuestions();
    bool AskText(const char* title, const char* text, std::function<bool(const CCharString&)> done);

    // Playing.
    std::vector<int> GetPlayedThings() const;
    void Humanize(CNoteList& notes) const;
    // What a play or a take spans.
    struct PLAY_SPAN {
        double measureLength = 0.0;
        double loopLength = 0.0;
        int repeats = 1;
    };
    // The notes of the groove, the selected part or the song with the
    // played instruments, humanized; false when there are none (told).
    bool GetGrooveNotes(CNoteList& notes, PLAY_SPAN& span);
    bool GetPartNotes(CNoteList& notes, PLAY_SPAN& span);
    bool GetSongNotes(CNoteList& notes, PLAY_SPAN& span);
    void Play(PLAYING what);
    void Record(int buttonId);
    bool MakeTakeNotes(const CNoteList& played, const PLAY_SPAN& span, double countIn, bool repeat,
                       CNoteList& notes);
    void ClearTargetRow(int thing);
    bool StartPlaying(PLAYING what, const CNoteList& notes, double measureLength, double loopLength,
                      int repeats);
    void StopPlaying();
    void ShowPlayState();
    int GetRepeatCount() const;

    // Files.
    void QuerySaveGroove(std::function<void()> next);
    void QuerySaveSong(std::function<void()> next);
    void SaveGroove(std::function<void()> next);
    void NewGroove();
    void DeleteGroove();
    bool ChooseExportPath(const char* extension, const char* filter, CCharString& folder,
                          CCharString& path);
    void WithSongName(std::function<void()> next);

    ISongEditorHost& m_host;
    SONG_EDITOR_SETTINGS m_settings;
    IControlDialog* m_dialog = nullptr;  // the window the base owns
    CCmdButton m_commandButtons[4];
    CPlayButton m_playGroove;
    CPlayButton m_playSong;
    CPlayButton m_playPart;
    CRecordButton m_recordGroove;
    CRecordButton m_recordSong;
    CRecordButton m_recordPart;
    CComboBox m_styles;
    CListBox m_grooves;
    CComboBox m_humanization;
    CEditBox m_tempo;
    CEditBox m_repeat;
    CCheckBox m_play[4];
    CRadioButton m_record[4];
    CCheckBox m_clear[4];
    CCheckBox m_showNotes;
    CTrackBar m_volume;
    CProgressBar m_input;
    CGrooveGrids m_grids;
    std::vector<std::unique_ptr<CNoteGridView>> m_views;
    CSongPartsEditor m_parts;
    std::vector<std::unique_ptr<CModalDlg>> m_questions;
    PLAYING m_playing = kIdle;
    CSongHistory m_songHistory;
    // The undo and redo steps in their order: true for a song step, false
    // for a grid step.
    std::vector<bool> m_undoOrder;
    std::vector<bool> m_redoOrder;
    bool m_takeIntoGroove = false;  // the take that runs fills a row of the groove
    double m_playLead = 0.0;        // seconds before the groove's first beat (a count-in)
    int m_playColumn = -1;          // the cell the play-head is in, -1 for none
};
