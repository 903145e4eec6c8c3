#include "editors/SongEditorLayout.h"

#include <algorithm>

#include "theory/Note.h"

namespace {

// The dialog's layout, in pixels.
constexpr int kWidth = 984;
constexpr int kHeight = 636;
constexpr int kMargin = 8;
constexpr int kPanelWidth = 330;  // the lists and buttons at the left
constexpr int kButton = 26;       // the square image buttons
constexpr int kGap = 4;
constexpr int kRow = 24;
constexpr int kLabelWidth = 70;
constexpr int kGrooveTop = 8;
constexpr int kGrooveHeight = 210;
constexpr int kSongTop = kGrooveTop + kGrooveHeight + kGap;
constexpr int kSongHeight = 250;
constexpr int kInstrumentTop = kSongTop + kSongHeight + kGap;
constexpr int kInstrumentHeight = 150;
constexpr int kGridLeft = kMargin + kPanelWidth + kMargin;
constexpr int kSettingsHeight = 32;  // the row above the grids
// The grids: rows of the note display of each grid (top row, lead, rhythm,
// bass, drums), the height of a row, the room around and between them.
constexpr int kGridRows[] = {2, 22, 1, 17, 13};
constexpr int kGridRowHeight = 10;
constexpr int kGridInset = 6;
constexpr int kGridGap = 3;

CONTROL_ITEM Item(ControlKind kind, int id, const char* text, int x, int y, int width, int height,
                  const char* toolTip = "", int group = 0) {
    return CONTROL_ITEM{kind, id, text, WINDOW_RECT{x, y, width, height}, toolTip, group};
}

// A row of three image buttons: a command, a play and a record button.
void AddButtons(std::vector<CONTROL_ITEM>& items, int x, int y,
                const std::vector<std::pair<int, const char*>>& buttons) {
    for (const auto& [id, text] : buttons) {
        items.push_back(Item(ControlKind::kImageButton, id, text, x, y, kButton, kButton, text));
        x += kButton + kGap;
    }
}

void AddGrooves(std::vector<CONTROL_ITEM>& items) {
    const int x = kMargin;
    items.push_back(
        Item(ControlKind::kGroup, 0, "Grooves", x, kGrooveTop, kPanelWidth, kGrooveHeight));
    const int y = kGrooveTop + 18;
    AddButtons(items, x + kMargin, y,
               {{CSongEditorLayout::kGrooveCommands, "Groove commands"},
                {CSongEditorLayout::kPlayGroove, "Play groove"},
                {CSongEditorLayout::kRecordGroove, "Record part"}});
    const int styleX = x + kMargin + 3 * (kButton + kGap) + kMargin;
    items.push_back(Item(ControlKind::kLabel, 0, "Style", styleX, y + 4, 40, kRow - 4));
    items.push_back(Item(ControlKind::kComboBox, CSongEditorLayout::kStyles, "", styleX + 44, y,
                         kPanelWidth - (styleX + 44) - kMargin + x, kRow, "Groove style"));
    const int listTop = y + kButton + kGap;
    items.push_back(Item(ControlKind::kListBox, CSongEditorLayout::kGrooves, "", x + kMargin,
                         listTop, kPanelWidth - 2 * kMargin,
                         kGrooveTop + kGrooveHeight - listTop - kMargin, "Grooves of the style"));
}

void AddSong(std::vector<CONTROL_ITEM>& items) {
    const int x = kMargin;
    items.push_back(Item(ControlKind::kGroup, 0, "Song", x, kSongTop, kPanelWidth, kSongHeight));
    int y = kSongTop + 18;
    AddButtons(items, x + kMargin, y,
               {{CSongEditorLayout::kSongCommands, "Song commands"},
                {CSongEditorLayout::kPlaySong, "Play song"},
                {CSongEditorLayout::kRecordSong, "Record song"}});
    const int repeatX = x + kMargin + 3 * (kButton + kGap) + kMargin;
    items.push_back(Item(ControlKind::kLabel, 0, "Repeat song", repeatX, y + 4, 80, kRow - 4));
    items.push_back(Item(ControlKind::kEditBox, CSongEditorLayout::kRepeatSong, "1", repeatX + 84,
                         y, 50, kRow, "How many times the song plays"));
    y += kButton + kGap;
    const int half = (kPanelWidth - 3 * kMargin) / 2;
    const int chordsX = x + 2 * kMargin + half;
    AddButtons(items, x + kMargin, y,
               {{CSongEditorLayout::kPartCommands, "Song part commands"},
                {CSongEditorLayout::kPlayPart, "Play song part"},
                {CSongEditorLayout::kRecordPart, "Record part"}});
    AddButtons(items, chordsX, y, {{CSongEditorLayout::kChordCommands, "Part chords commands"}});
    y += kButton + kGap;
    items.push_back(Item(ControlKind::kLabel, 0, "Parts", x + kMargin, y, half, kRow - 6));
    items.push_back(Item(ControlKind::kLabel, 0, "Chords", chordsX, y, half / 2, kRow - 6));
    items.push_back(
        Item(ControlKind::kLabel, 0, "Repeat", chordsX + half / 2, y, half / 2, kRow - 6));
    y += kRow - 4;
    const int listHeight = kSongTop + kSongHeight - y - kMargin;
    items.push_back(Item(ControlKind::kListBox, CSongEditorLayout::kParts, "", x + kMargin, y, half,
                         listHeight, "Parts"));
    items.push_back(Item(ControlKind::kListBox, CSongEditorLayout::kChords, "", chordsX, y, half,
                         listHeight, "Chords"));
}

void AddInstruments(std::vector<CONTROL_ITEM>& items) {
    static const char* const kNames[CSongEditorLayout::kInstrumentCount] = {"Lead", "Rhythm",
                                                                            "Bass", "Drums"};
    const int x = kMargin;
    items.push_back(Item(ControlKind::kGroup, 0, "Instruments", x, kInstrumentTop, kPanelWidth,
                         kInstrumentHeight));
    const int playX = x + kMargin;
    const int recX = playX + 100;
    const int clearX = recX + 50;
    int y = kInstrumentTop + 18;
    items.push_back(Item(ControlKind::kLabel, 0, "Play", playX, y, 60, kRow - 6));
    items.push_back(Item(ControlKind::kLabel, 0, "Rec.", recX, y, 40, kRow - 6));
    items.push_back(Item(ControlKind::kLabel, 0, "Clear", clearX, y, 40, kRow - 6));
    y += kRow - 4;
    for (int i = 0; i < CSongEditorLayout::kInstrumentCount; ++i) {
        items.push_back(Item(ControlKind::kCheckBox, CSongEditorLayout::kPlayBoxes[i], kNames[i],
                             playX, y, 90, kRow));
        items.push_back(Item(ControlKind::kRadioButton, CSongEditorLayout::kRecordRadios[i], "",
                             recX, y, 30, kRow, "Record into this row", 1));
        items.push_back(Item(ControlKind::kCheckBox, CSongEditorLayout::kClearBoxes[i], "", clearX,
                             y, 30, kRow, "Clear the row before recording"));
        y += kRow + 2;
    }
    const int meterX = clearX + 50;
    const int meterY = kInstrumentTop + 18;
    items.push_back(Item(ControlKind::kLabel, 0, "Vol.", meterX, meterY, 40, kRow - 6));
    items.push_back(Item(ControlKind::kTrackBar, CSongEditorLayout::kVolume, "", meterX,
                         meterY + kRow, kPanelWidth - meterX - kMargin + x, kRow, "Master volume"));
    items.push_back(
        Item(ControlKind::kLabel, 0, "Input", meterX, meterY + 2 * kRow + 8, 40, kRow - 6));
    items.push_back(Item(ControlKind::kProgressBar, CSongEditorLayout::kInput, "", meterX,
                         meterY + 3 * kRow + 8, kPanelWidth - meterX - kMargin + x, 14,
                         "Input level"));
}

// The frame of the five grids and the grids in it, each as high as its rows
// of the note display.
void AddGridViews(std::vector<CONTROL_ITEM>& items) {
    const int top = kMargin + kSettingsHeight;
    const int width = kWidth - kGridLeft - kMargin;
    items.push_back(Item(ControlKind::kGroup, CSongEditorLayout::kGridArea, "", kGridLeft, top,
                         width, kHeight - kMargin - top));
    const char* const tips[CSongEditorLayout::kGridCount] = {
        "Measures and chords", "Lead guitar", "Rhythm guitar", "Bass guitar", "Drums"};
    int y = top + kGridInset;
    for (int i = 0; i < CSongEditorLayout::kGridCount; ++i) {
        const int height = kGridRows[i] * kGridRowHeight;
        items.push_back(Item(ControlKind::kImageButton, CSongEditorLayout::kGridViews[i], "",
                             kGridLeft + kGridInset, y, width - 2 * kGridInset, height, tips[i]));
        y += height + kGridGap;
    }
}

void AddSettings(std::vector<CONTROL_ITEM>& items) {
    int x = kGridLeft;
    const int y = kMargin;
    items.push_back(Item(ControlKind::kCheckBox, CSongEditorLayout::kShowNotes, "Show notes", x, y,
                         110, kRow, "Note names in the grids"));
    x += 120;
    items.push_back(Item(ControlKind::kLabel, 0, "Tempo", x, y + 4, 50, kRow - 4));
    items.push_back(Item(ControlKind::kEditBox, CSongEditorLayout::kTempo, "", x + 54, y, 60, kRow,
                         "Beats per minute"));
    x += 130;
    items.push_back(Item(ControlKind::kLabel, 0, "Human.", x, y + 4, 56, kRow - 4));
    items.push_back(Item(ControlKind::kComboBox, CSongEditorLayout::kHumanization, "", x + 60, y,
                         120, kRow, "How freely the band plays"));
    AddGridViews(items);
}

MENU_ITEM Command(const char* text, int id) {
    MENU_ITEM item;
    item.text = text;
    item.commandId = id;
    return item;
}

}  // namespace

const int CSongEditorLayout::kPlayBoxes[kInstrumentCount] = {1575, 1571, 1568, 1572};
const int CSongEditorLayout::kRecordRadios[kInstrumentCount] = {1788, 1658, 1662, 1666};
const int CSongEditorLayout::kClearBoxes[kInstrumentCount] = {1791, 1697, 1699, 1701};
const int CSongEditorLayout::kInstrumentThings[kInstrumentCount] = {
    THING_LEAD_GUITAR, THING_RHYTHM_GUITAR, THING_BASS_GUITAR, THING_DRUM_SET};

const int CSongEditorLayout::kGridViews[kGridCount] = {1320, 1321, 1322, 1323, 1324};

WINDOW_RECT CSongEditorLayout::GetItemRect(int id) {
    const DIALOG_TEMPLATE dialog = MakeTemplate();
    const auto item = std::find_if(dialog.items.begin(), dialog.items.end(),
                                   [id](const CONTROL_ITEM& c) { return c.id == id; });
    return item != dialog.items.end() ? item->rect : WINDOW_RECT{};
}

DIALOG_TEMPLATE CSongEditorLayout::MakeTemplate() {
    DIALOG_TEMPLATE dialog;
    dialog.title = kTitle;
    dialog.width = kWidth;
    dialog.height = kHeight;
    AddGrooves(dialog.items);
    AddSong(dialog.items);
    AddInstruments(dialog.items);
    AddSettings(dialog.items);
    return dialog;
}

CSongEditorLayout::POPUP CSongEditorLayout::GetPopup(int menuId) {
    switch (menuId) {
        case kGrooveMenu: {
            MENU_ITEM playWhenSelected = Command("Play when selected", kPlayWhenSelected);
            playWhenSelected.checkable = true;
            return {
                kGrooveMenu,
                "All Grooves",
                {Command("New groove", kNewGroove), Command("Open groove...", kOpenGroove),
                 Command("Save groove", kSaveGroove), Command("Save groove as...", kSaveGrooveAs),
                 Command("Delete groove", kDeleteGroove),
                 Command("Refresh groove lists", kRefreshGrooves),
                 Command("Set groove to song part", kSetGrooveToPart), playWhenSelected}};
        }
        case kPartMenu:
            return {kPartMenu,
                    "Song",
                    {Command("New part", kNewPart), Command("Copy part", kCopyPart),
                     Command("Move part up", kMovePartUp), Command("Move part down", kMovePartDown),
                     Command("Delete part", kDeletePart), Command("Part info...", kPartInfo)}};
        case kChordMenu:
            return {kChordMenu,
                    "Song part chords",
                    {Command("Add chord to the end", kAddChord),
                     Command("Insert chord before this", kInsertChord),
                     Command("Change chord", kChangeChord), Command("Move chord up", kMoveChordUp),
                     Command("Move chord down", kMoveChordDown),
                     Command("Delete chord", kDeleteChord)}};
        case kSongMenu:
            return {kSongMenu,
                    "Song",
                    {Command("New song", kNewSong), Command("Open song...", kOpenSong),
                     Command("Save song", kSaveSong), Command("Save song as...", kSaveSongAs),
                     Command("Save song as WAVE", kSaveWave)}};
        case kSongGroovesMenu:
            return {kSongGroovesMenu,
                    "Song Grooves",
                    {Command("Make a song part", kNewPart), Command("Delete", kDeleteSongGroove)}};
        default:
            return {0, "", {}};
    }
}

int CSongEditorLayout::PopupOf(int buttonId) {
    switch (buttonId) {
        case kGrooveCommands:
            return kGrooveMenu;
        case kChordCommands:
            return kChordMenu;
        case kPartCommands:
            return kPartMenu;
        case kSongCommands:
            return kSongMenu;
        default:
            return 0;
    }
}

std::vector<MENU_ITEM> CSongEditorLayout::MakeEditMenu() {
    MENU_ITEM undo = Command("&Undo", kUndo);
    undo.shortcut = "Ctrl+Z";
    MENU_ITEM redo = Command("&Redo", kRedo);
    redo.shortcut = "Ctrl+Y";
    MENU_ITEM edit;
    edit.text = "&Edit";
    edit.items = {undo, redo};
    return {edit};
}

bool CSongEditorLayout::IsFileCommand(int commandId) {
    static const int kHostCommands[] = {kNewSong,      kOpenSong, kSaveSong,  kSaveSongAs,
                                        kSaveMidi,     kSaveWave, kNewGroove, kOpenGroove,
                                        kSaveGrooveAs, kMixer};
    return std::find(std::begin(kHostCommands), std::end(kHostCommands), commandId) !=
           std::end(kHostCommands);
}
