#pragma once

#include <vector>

#include "platform/ControlDialog.h"
#include "platform/Window.h"

// The Song Editor's dialog: the ids of its items and commands, the dialog
// template and its popup menus.
class CSongEditorLayout {
public:
    static constexpr int kDialogId = 1284;
    static constexpr const char* kTitle = "Song Editor";

    // Command, play and record buttons.
    static constexpr int kGrooveCommands = 1681;
    static constexpr int kPlayGroove = 1368;
    static constexpr int kRecordGroove = 1371;
    static constexpr int kSongCommands = 1692;
    static constexpr int kPlaySong = 1196;
    static constexpr int kRecordSong = 1199;
    static constexpr int kPartCommands = 1687;
    static constexpr int kPlayPart = 1200;
    static constexpr int kRecordPart = 1690;
    static constexpr int kChordCommands = 1684;

    // Lists and edits.
    static constexpr int kStyles = 1358;
    static constexpr int kGrooves = 1308;
    static constexpr int kRepeatSong = 1236;
    static constexpr int kParts = 1297;
    static constexpr int kChords = 1300;
    static constexpr int kVolume = 1207;
    static constexpr int kInput = 1204;
    static constexpr int kShowNotes = 1464;
    static constexpr int kTempo = 1234;
    static constexpr int kHumanization = 1347;
    static constexpr int kGridArea = 1319;
    // The five grids inside the area, as image buttons: top row, lead,
    // rhythm, bass and drums.
    static constexpr int kGridCount = 5;
    static const int kGridViews[kGridCount];

    // The instruments: play, record target and clear, in the order lead,
    // rhythm, bass, drums.
    static constexpr int kInstrumentCount = 4;
    static const int kPlayBoxes[kInstrumentCount];
    static const int kRecordRadios[kInstrumentCount];
    static const int kClearBoxes[kInstrumentCount];
    static const int kInstrumentThings[kInstrumentCount];

    // Hidden items of the resource, kept (hidden) for the commands they
    // carry.
    static constexpr int kHiddenTempo = 1231;
    static constexpr int kHiddenTime = 1448;
    static constexpr int kPlaySelectedBox = 1442;

    // Menu commands.
    static constexpr int kNewGroove = 1401;
    static constexpr int kOpenGroove = 1419;
    static constexpr int kSaveGroove = 1435;
    static constexpr int kSaveGrooveAs = 1491;
    static constexpr int kDeleteGroove = 1493;
    static constexpr int kRefreshGrooves = 1867;
    static constexpr int kSetGrooveToPart = 1510;
    static constexpr int kPlayWhenSelected = 1715;
    static constexpr int kNewPart = 1444;
    static constexpr int kCopyPart = 1839;
    static constexpr int kMovePartUp = 1496;
    static constexpr int kMovePartDown = 1497;
    static constexpr int kDeletePart = 1473;
    static constexpr int kPartInfo = 1573;
    static constexpr int kAddChord = 1461;
    static constexpr int kInsertChord = 1466;
    static constexpr int kChangeChord = 1477;
    static constexpr int kMoveChordUp = 1478;
    static constexpr int kMoveChordDown = 1479;
    static constexpr int kDeleteChord = 1468;
    static constexpr int kNewSong = 1377;
    static constexpr int kOpenSong = 1365;
    static constexpr int kSaveSong = 1369;
    static constexpr int kSaveSongAs = 1509;
    static constexpr int kSaveMidi = 1484;
    static constexpr int kSaveWave = 1485;
    static constexpr int kMixer = 1372;
    static constexpr int kDeleteSongGroove = 1470;
    // The editor's own keys: Ctrl+Z and Ctrl+Y on the grids.
    static constexpr int kUndo = 57643;
    static constexpr int kRedo = 57644;

    // The popup menus.
    static constexpr int kGrooveMenu = 1327;
    static constexpr int kPartMenu = 1375;
    static constexpr int kChordMenu = 1336;
    static constexpr int kSongMenu = 1460;
    static constexpr int kSongGroovesMenu = 1331;

    // A popup menu: its resource id, its name and items.
    struct POPUP {
        int id;
        const char* name;
        std::vector<MENU_ITEM> items;
    };

    static DIALOG_TEMPLATE MakeTemplate();
    // Where an item of the template lies; an empty rectangle for none.
    static WINDOW_RECT GetItemRect(int id);
    // The menu with resource id, empty for an unknown id.
    static POPUP GetPopup(int menuId);
    // The menu a command button pops up, 0 for none.
    static int PopupOf(int buttonId);
    // The Edit menu of the editor's window: undo and redo of the grids.
    static std::vector<MENU_ITEM> MakeEditMenu();
    // The file commands (song, groove, export, mixer): while something
    // plays a click on them only stops the playback.
    static bool IsFileCommand(int commandId);
};
