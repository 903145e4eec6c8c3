#pragma once

#include <vector>

#include "exercise/Hints.h"
#include "platform/Window.h"

// Command ids of the menus and of the keys that send menu commands.
enum MenuCommand : int {
    kCommandNewSong = 1377,
    kCommandOpenSong = 1365,
    kCommandSaveSong = 1369,
    kCommandSaveSongAs = 1509,
    kCommandSaveSongToMidi = 1484,
    kCommandSaveSongToWave = 1485,
    kCommandNewGroove = 1401,
    kCommandOpenGroove = 1419,
    kCommandSaveGroove = 1435,
    kCommandSaveGrooveAs = 1491,
    kCommandShowSong = 1288,
    kCommandShowMixer = 1372,
    kCommandShowPicture = 1481,
    kCommandShowColors = 1499,
    kCommandArrangeAll = 1501,
    kCommandAudioSettings = 1223,
    kCommandAbout = 1161,
    kCommandShowText = 1628,
    kCommandQuit = 1700,
    kCommandResetView = 1701,
    kCommandHintNoteNames = 1702,
    kCommandHintExpectedKey = 1703,
    kCommandHintKeyLetters = 1704,
    kCommandMicrophone = 1705,
    kCommandOpenTune = 1706,
    kCommandDrill = 1707,
    kCommandShowProgress = 1708,
    kCommandKeyAccuracy = 1709,
    kCommandExportHistory = 1710,
    kCommandBand = 1596,
    kCommandLookAtBand = 1716,
    kCommandLookAtLead = 1717,
    kCommandLookAtRhythm = 1718,
    kCommandLookAtBass = 1719,
    kCommandLookAtDrums = 1720,
    kCommandLoadMesh = 1869,
    kCommandLoadSkinnedMesh = 1874,
    kCommandSkinnedFigures = 1711,
};

// The menus of the kinds this build runs: the note-reading trainer's and
// the groove kind's.
constexpr int kNotaraDemoMenu = 1447;
constexpr int kGrooveMenu = 1241;

// The band's camera targets: the Picture menu's first items, and the menu
// a right click on the band opens.
std::vector<MENU_ITEM> GetBandViewMenu();

// The menu bar of a menu id, its Hints and Microphone input ticked as
// given; empty for menus of kinds this build lacks.
std::vector<MENU_ITEM> GetMenuBar(int menuId, const HINTS& hints = HINTS(), bool microphone = true,
                                  bool keyAccuracy = false, bool skinnedFigures = false);
