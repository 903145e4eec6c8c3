#include "editors/SongEditorDlg.h"

#include <algorithm>
#include <filesystem>

#include "editors/EditDlg.h"
#include "editors/Humanization.h"
#include "editors/SongEditorHost.h"
#include "editors/SongEditorLayout.h"
#include "foundation/MessageIds.h"
#include "songio/Composition.h"

namespace {

using L = CSongEditorLayout;

constexpr const char* kGrooveExtension = ".mid";

// The names of the entries of folder, sorted: its sub-folders, or its files
// ending in extension (without it).
std::vector<CCharString> ListFolder(const char* folder, bool folders, const char* extension) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path& path = entry.path();
        if (folders && entry.is_directory(error)) {
            names.push_back(path.filename().string());
        } else if (!folders && entry.is_regular_file(error) && path.extension() == extension) {
            names.push_back(path.stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    std::vector<CCharString> result;
    for (const std::string& name : names) {
        result.emplace_back(name.c_str());
    }
    return result;
}

}  // namespace

CSongEditorDlg::CSongEditorDlg(IWindowSystem& windowSystem, IEventLoop& eventLoop,
                               ISongEditorHost& host)
    : CBaseWindow(kTypeId, windowSystem, eventLoop),
      m_host(host),
      m_grids(host.GetNoteManager()),
      m_parts(windowSystem, eventLoop, host) {}

CSongEditorDlg::~CSongEditorDlg() {
    m_host.GetSong().SetChangeListener(nullptr);
    m_questions.clear();
    Destroy(2);
}

bool CSongEditorDlg::Open(IWindow* owner, const SONG_EDITOR_SETTINGS& settings) {
    m_settings = settings;
    if (m_dialog == nullptr) {
        const DIALOG_TEMPLATE dialog = L::MakeTemplate();
        m_dialog = AdoptControlDialog(dialog, this, owner);
        if (m_dialog == nullptr) {
            return false;
        }
        m_dialog->SetMenu(0, L::MakeEditMenu());
        WINDOW_RECT rect = m_dialog->GetRect();
        rect.width = dialog.width;
        rect.height = dialog.height;
        if (settings.placement.placed) {
            rect.left = settings.placement.rect.left;
            rect.top = settings.placement.rect.top;
        }
        m_dialog->SetRect(rect);
        AttachControls();
        AttachGridViews();
        if (!CreateButtons()) {
            Destroy(2);
            return false;
        }
    }
    FillHumanization();
    FillStyles();
    m_parts.FillParts();
    m_host.GetSong().SetChangeListener([this]() { SongEdited(); });
    m_grids.SetEditListener([this]() { GridStepRecorded(); });
    m_songHistory.Reset(m_host.GetSong());
    m_showNotes.SetCheck(m_settings.showNotes);
    m_grids.ShowNoteNames(m_settings.showNotes);
    m_volume.SetValue(1.0 - m_host.GetMasterVolume());
    m_input.SetValue(0.0);
    if (!m_settings.style.IsEmpty() && !m_settings.groove.IsEmpty()) {
        m_styles.SelectByData(m_settings.style);
        FillGrooves();
        m_grooves.SelectByData(m_settings.groove);
        if (!SelectGroove(m_settings.style, m_settings.groove)) {
            m_grooves.Select(-1);
        }
    }
    RefreshGridViews();
    return Show(true);
}

void CSongEditorDlg::AttachControls() {
    m_styles.Attach(m_dialog, L::kStyles);
    m_grooves.Attach(m_dialog, L::kGrooves);
    m_humanization.Attach(m_dialog, L::kHumanization);
    m_tempo.Attach(m_dialog, L::kTempo);
    m_repeat.Attach(m_dialog, L::kRepeatSong);
    m_repeat.SetInt(1);
    for (int i = 0; i < L::kInstrumentCount; ++i) {
        m_play[i].Attach(m_dialog, L::kPlayBoxes[i]);
        m_play[i].SetCheck(true);
        m_record[i].Attach(m_dialog, L::kRecordRadios[i]);
        m_clear[i].Attach(m_dialog, L::kClearBoxes[i]);
    }
    m_record[0].SetCheck(true);
    m_showNotes.Attach(m_dialog, L::kShowNotes);
    m_volume.Attach(m_dialog, L::kVolume);
    m_volume.SetRange(0, kVolumePositions, kVolumePositions / 10, 0.0, 1.0);
    m_input.Attach(m_dialog, L::kInput);
    m_input.SetRange(0, kInputPositions, 1, 0.0, 1.0);
    m_input.SetColors(CProgressBar::kLevelColor, CProgressBar::kLevelAlarmColor,
                      CProgressBar::kLevelThreshold);
    m_parts.Attach(
        m_dialog, GetWindow(),
        [this](CCharString& style, CCharString& name) {
            return m_styles.GetSelectionData(style) && m_grooves.GetSelectionData(name);
        },
        [this](std::unique_ptr<CModalDlg> dialog) { Keep(std::move(dialog)); });
}

bool CSongEditorDlg::CreateButtons() {
    const DIALOG_TEMPLATE dialog = L::MakeTemplate();
    const int commandIds[] = {L::kGrooveCommands, L::kSongCommands, L::kPartCommands,
                              L::kChordCommands};
    std::vector<std::pair<CCustomButton*, int>> buttons = {
        {&m_playGroove, L::kPlayGroove}, {&m_playSong, L::kPlaySong},
        {&m_playPart, L::kPlayPart},     {&m_recordGroove, L::kRecordGroove},
        {&m_recordSong, L::kRecordSong}, {&m_recordPart, L::kRecordPart}};
    for (size_t i = 0; i < std::size(commandIds); ++i) {
        buttons.emplace_back(&m_commandButtons[i], commandIds[i]);
    }
    for (const auto& [button, id] : buttons) {
        const auto item = std::find_if(dialog.items.begin(), dialog.items.end(),
                                       [id = id](const CONTROL_ITEM& c) { return c.id == id; });
        button->Attach(m_dialog, id);
        std::string reason;
        if (!button->Create(m_windowSystem, item->rect.width, item->rect.height, item->text.c_str(),
                            reason)) {
            m_error.Format("Can't create window '%s': %s", item->text.c_str(), reason.c_str());
            return false;
        }
    }
    return true;
}

void CSongEditorDlg::FillHumanization() {
    m_humanization.Clear();
    for (const CHumanization::LEVEL& level : CHumanization::GetLevels()) {
        CCharString value;
        value.Format("%d", level.value);
        m_humanization.AddItem(level.name, value);
    }
    m_humanization.Select(CHumanization::PickLevel(m_settings.humanization));
}

void CSongEditorDlg::FillStyles() {
    CCharString selected;
    m_styles.GetSelectionData(selected);
    m_styles.Clear();
    for (const CCharString& style : ListFolder(m_host.GetGroovesFolder(), true, nullptr)) {
        m_styles.AddItem(style, style);
    }
    if (selected.IsEmpty() || !m_styles.SelectByData(selected)) {
        m_styles.Select(m_styles.GetCount() > 0 ? 0 : -1);
    }
    FillGrooves();
}

void CSongEditorDlg::FillGrooves() {
    CCharString selected;
    m_grooves.GetSelectionData(selected);
    m_grooves.Clear();
    CCharString style;
    if (!m_styles.GetSelectionData(style)) {
        return;
    }
    CCharString folder;
    folder.Format("%s/%s", m_host.GetGroovesFolder().GetText(), style.GetText());
    for (const CCharString& groove : ListFolder(folder, false, kGrooveExtension)) {
        m_grooves.AddItem(groove, groove);
    }
    if (!selected.IsEmpty()) {
        m_grooves.SelectByData(selected);
    }
}

bool CSongEditorDlg::SelectGroove(const char* style, const char* name) {
    CCharString path;
    path.Format("%s/%s/%s.mid", m_host.GetGroovesFolder().GetText(), style, name);
    return ShowGrooveFile(path, style, name);
}

bool CSongEditorDlg::RestoreGroove(const char* path, const char* style, const char* name) {
    if (!ShowGrooveFile(path, style, name)) {
        return false;
    }
    m_grids.MarkChanged();
    return true;
}

bool CSongEditorDlg::ShowGrooveFile(const char* path, const char* style, const char* name) {
    if (!m_grids.Load(path, style, name)) {
        m_error = m_grids.GetError();
        Box(m_error, L::kTitle);
        return false;
    }
    m_settings.style = style;
    m_settings.groove = name;
    // The lists show the groove on the grids.
    if (m_styles.SelectByData(style)) {
        FillGrooves();
        m_grooves.SelectByData(name);
    }
    m_tempo.SetReal(m_grids.GetGroove().m_info.tempo, 0);
    RefreshGridViews();
    return true;
}

void CSongEditorDlg::OpenGroove(const char* style, const char* name, bool play) {
    const CCharString styleText = style;
    const CCharString nameText = name;
    QuerySaveGroove([this, styleText, nameText, play]() {
        if (SelectGroove(styleText, nameText) && play) {
            StopPlaying();
            Play(kGroove);
        }
    });
}

void CSongEditorDlg::GrooveChosen() {
    CCharString style;
    CCharString name;
    if (!m_styles.GetSelectionData(style) || !m_grooves.GetSelectionData(name)) {
        return;
    }
    QuerySaveGroove([this, style, name]() {
        if (SelectGroove(style, name) && m_settings.playWhenSelected) {
            StopPlaying();
            Play(kGroove);
        }
    });
}

void CSongEditorDlg::SongChanged() {
    m_parts.FillParts();
    // Another song: the old one's steps go, the grids' stay.
    m_songHistory.Reset(m_host.GetSong());
    const auto dropSongSteps = [](std::vector<bool>& order) {
        order.erase(std::remove(order.begin(), order.end(), true), order.end());
    };
    dropSongSteps(m_undoOrder);
    dropSongSteps(m_redoOrder);
}

// The song tells of each change; the changes of one user action make one
// step, settled once the action is over.
void CSongEditorDlg::SongEdited() {
    if (m_songHistory.Changed()) {
        m_undoOrder.push_back(true);
        m_redoOrder.clear();
        m_grids.DropRedo();
        PostMessage(kSongEditedMessage);
    }
}

void CSongEditorDlg::GridStepRecorded() {
    m_undoOrder.push_back(false);
    m_redoOrder.clear();
    m_songHistory.DropRedo();
}

void CSongEditorDlg::OnPosted(int message, std::unique_ptr<IPayload> /*payload*/) {
    if (message == kSongEditedMessage) {
        m_songHistory.Settle(m_host.GetSong());
    }
}

// Ctrl+Z and Ctrl+Y: the latest step of the grids or the song. A grid step
// of a groove shown since has gone with it and is passed over.
void CSongEditorDlg::UndoOrRedo(bool undo) {
    std::vector<bool>& from = undo ? m_undoOrder : m_redoOrder;
    std::vector<bool>& to = undo ? m_redoOrder : m_undoOrder;
    while (!from.empty()) {
        const bool song = from.back();
        from.pop_back();
        bool done = false;
        if (song) {
            CComposition& composition = m_host.GetSong();
            done = undo ? m_songHistory.Undo(composition) : m_songHistory.Redo(composition);
            m_parts.FillParts();
        } else if (m_grids.HasGroove()) {
            done = undo ? m_grids.Undo() : m_grids.Redo();
            RefreshGridViews();
        }
        if (done) {
            to.push_back(song);
            return;
        }
    }
}

void CSongEditorDlg::SetInputLevel(float level) {
    m_input.SetValue(level < 0.0f ? 0.0 : level);
}

SONG_EDITOR_SETTINGS CSongEditorDlg::GetSettings() const {
    SONG_EDITOR_SETTINGS settings = m_settings;
    settings.placement = PlacementOf(GetWindow(), m_settings.placement);
    return settings;
}

BoxResult CSongEditorDlg::Box(const char* text, const char* caption, BoxButtons buttons) {
    BoxIcon icon = BoxIcon::kExclamation;
    if (buttons != BoxButtons::kOk) {
        icon = BoxIcon::kQuestion;
    }
    return m_windowSystem.MessageBox(GetWindow(), text, caption, icon, buttons);
}

void CSongEditorDlg::Keep(std::unique_ptr<CModalDlg> dialog) {
    m_questions.push_back(std::move(dialog));
}

// Finished questions go when the user acts on the editor again: none of
// them is calling back then.
void CSongEditorDlg::DropFinishedQuestions() {
    m_questions.erase(std::remove_if(m_questions.begin(), m_questions.end(),
                                     [](const auto& dialog) { return dialog->IsFinished(); }),
                      m_questions.end());
}

CModalDlg* CSongEditorDlg::GetLastQuestion() const {
    return m_questions.empty() ? nullptr : m_questions.back().get();
}

bool CSongEditorDlg::AskText(const char* title, const char* text,
                             std::function<bool(const CCharString&)> done) {
    auto dialog = std::make_unique<CEditDlg>(m_windowSystem, m_eventLoop);
    if (!dialog->Ask(GetWindow(), title, text, std::move(done))) {
        Box(dialog->GetError(), L::kTitle);
        return false;
    }
    Keep(std::move(dialog));
    return true;
}

void CSongEditorDlg::OnControl(int id, ControlEvent event) {
    DropFinishedQuestions();
    const bool buttonEvent = event == ControlEvent::kPressed || event == ControlEvent::kReleased ||
                             event == ControlEvent::kLeft;
    if (buttonEvent) {
        CCustomButton* buttons[] = {
            &m_commandButtons[0], &m_commandButtons[1], &m_commandButtons[2], &m_commandButtons[3],
            &m_playGroove,        &m_playSong,          &m_playPart,          &m_recordGroove,
            &m_recordSong,        &m_recordPart};
        for (CCustomButton* button : buttons) {
            if (button->GetId() == id && button->OnEvent(event)) {
                RunCommand(id);
            }
        }
        return;
    }
    if (id == L::kStyles && event == ControlEvent::kSelectionChanged) {
        FillGrooves();
    } else if (id == L::kGrooves && event == ControlEvent::kSelectionChanged) {
        GrooveChosen();
    } else if (id == L::kGrooves && event == ControlEvent::kContextMenu) {
        PopupMenuUnder(L::kSongGroovesMenu, id);
    } else if (id == L::kParts && event == ControlEvent::kSelectionChanged) {
        m_parts.PartChosen();
    } else if (id == L::kHumanization && event == ControlEvent::kSelectionChanged) {
        CHumanization::Apply(m_humanization.GetSelection(), m_settings);
    } else if (id == L::kShowNotes) {
        ShowNoteNames(m_showNotes.GetCheck());
    } else if (id == L::kVolume && event == ControlEvent::kMoved) {
        m_host.SetMasterVolume(static_cast<float>(1.0 - m_volume.GetValue()));
    } else if (id == L::kTempo && event == ControlEvent::kEdited) {
        // A tempo being typed takes effect once it is one.
        double tempo = 0.0;
        if (m_tempo.GetReal(tempo) && tempo >= CComposition::kMinTempo &&
            tempo <= CComposition::kMaxTempo && m_grids.HasGroove() &&
            tempo != m_grids.GetGroove().m_info.tempo && m_grids.SetTempo(tempo)) {
            RefreshGridViews();
        }
    }
}

void CSongEditorDlg::ShowNoteNames(bool show) {
    m_settings.showNotes = show;
    m_showNotes.SetCheck(show);
    m_grids.ShowNoteNames(show);
    RefreshGridViews();
}

bool CSongEditorDlg::SetTempo(double tempo) {
    if (!(tempo >= CComposition::kMinTempo && tempo <= CComposition::kMaxTempo)) {
        m_error.Format("Can't set the tempo %g: it must lie between %g and %g", tempo,
                       CComposition::kMinTempo, CComposition::kMaxTempo);
        return false;
    }
    if (!m_grids.SetTempo(tempo)) {
        m_error = m_grids.GetError();
        return false;
    }
    m_tempo.SetReal(tempo, 0);
    RefreshGridViews();
    return true;
}

void CSongEditorDlg::PopupCommands(int buttonId) {
    PopupMenuUnder(L::PopupOf(buttonId), buttonId);
}

// Pops menu up under the control controlId and runs what is chosen.
void CSongEditorDlg::PopupMenuUnder(int menuId, int controlId) {
    const CSongEditorLayout::POPUP popup = L::GetPopup(menuId);
    std::vector<MENU_ITEM> items = popup.items;
    for (MENU_ITEM& item : items) {
        if (item.commandId == L::kPlayWhenSelected) {
            item.checked = m_settings.playWhenSelected;
        }
    }
    const DIALOG_TEMPLATE dialog = L::MakeTemplate();
    const auto button =
        std::find_if(dialog.items.begin(), dialog.items.end(),
                     [controlId](const CONTROL_ITEM& c) { return c.id == controlId; });
    if (button == dialog.items.end()) {
        return;
    }
    const int x = button->rect.left;
    const int y = button->rect.top + button->rect.height;
    const int chosen = m_windowSystem.PopupMenu(GetWindow(), items, x, y);
    if (chosen != 0) {
        RunCommand(chosen);
    }
}

void CSongEditorDlg::RunCommand(int commandId) {
    if (L::PopupOf(commandId) != 0) {
        PopupCommands(commandId);
        return;
    }
    if (L::IsFileCommand(commandId)) {
        RunFileCommand(commandId);
        return;
    }
    if (m_parts.RunCommand(commandId)) {
        return;
    }
    switch (commandId) {
        case L::kPlayGroove:
            m_playing == kGroove ? StopPlaying() : Play(kGroove);
            break;
        case L::kPlayPart:
            m_playing == kPart ? StopPlaying() : Play(kPart);
            break;
        case L::kPlaySong:
            m_playing == kSong ? StopPlaying() : Play(kSong);
            break;
        case L::kRecordGroove:
        case L::kRecordPart:
        case L::kRecordSong:
            m_playing == kRecording ? StopPlaying() : Record(commandId);
            break;
        case L::kSaveGroove:
            SaveGroove(nullptr);
            break;
        case L::kDeleteGroove:
        case L::kDeleteSongGroove:
            DeleteGroove();
            break;
        case L::kRefreshGrooves:
            FillStyles();
            break;
        case L::kPlayWhenSelected:
            m_settings.playWhenSelected = !m_settings.playWhenSelected;
            break;
        case L::kUndo:
        case L::kRedo:
            UndoOrRedo(commandId == L::kUndo);
            break;
        default:
            break;
    }
}

void CSongEditorDlg::RunFileCommand(int commandId) {
    if (m_playing != kIdle) {
        StopPlaying();
        return;
    }
    switch (commandId) {
        case L::kSaveMidi:
            ExportMidi();
            break;
        case L::kSaveWave:
            ExportWave();
            break;
        case L::kNewGroove:
            QuerySaveGroove([this]() { NewGroove(); });
            break;
        case L::kNewSong:
        case L::kOpenSong:
            QuerySaveSong([this, commandId]() {
                m_host.RunCommand(commandId);
                SongChanged();
            });
            break;
        default:
            // Saving keeps the song and its undo steps.
            m_host.RunCommand(commandId);
            m_parts.FillParts();
            break;
    }
}

void CSongEditorDlg::OnClose() {
    QuerySaveChanges([this]() {
        StopPlaying();
        m_settings.placement = PlacementOf(GetWindow(), m_settings.placement);
        Show(false);
    });
}

void CSongEditorDlg::OnDestroy(int) {
    m_dialog = nullptr;
}
