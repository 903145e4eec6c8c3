#include "app/Menus.h"

namespace {

MENU_ITEM Popup(const char* text) {
    return MENU_ITEM{text, 0, {}, true, "", false, false};
}

MENU_ITEM Item(const char* text, int commandId, const char* shortcut = "") {
    return MENU_ITEM{text, commandId, {}, true, shortcut, false, false};
}

// A command whose window or file type this build does not have yet: shown,
// greyed, so that the menu tells what is coming and nothing pretends to work.
MENU_ITEM Greyed(const char* text, int commandId) {
    MENU_ITEM item = Item(text, commandId);
    item.enabled = false;
    return item;
}

MENU_ITEM Toggle(const char* text, int commandId, bool checked) {
    MENU_ITEM item = Item(text, commandId);
    item.checkable = true;
    item.checked = checked;
    return item;
}

std::vector<MENU_ITEM> NotaraDemoMenu(const HINTS& hints, bool microphone, bool keyAccuracy) {
    MENU_ITEM file = Popup("&File");
    file.items = {Greyed("New song", kCommandNewSong),
                  Greyed("Open song", kCommandOpenSong),
                  Greyed("Save song", kCommandSaveSong),
                  Greyed("Save song as...", kCommandSaveSongAs),
                  Greyed("Save song to MIDI", kCommandSaveSongToMidi),
                  Greyed("Save song to WAVE", kCommandSaveSongToWave),
                  MENU_ITEM{},
                  Greyed("New groove", kCommandNewGroove),
                  Greyed("Open groove", kCommandOpenGroove),
                  Greyed("Save groove", kCommandSaveGroove),
                  Greyed("Save groove as...", kCommandSaveGrooveAs),
                  MENU_ITEM{},
                  Item("Open song as &lesson...", kCommandOpenTune, "Ctrl+O"),
                  Item("Practise my &weakest notes", kCommandDrill, "Ctrl+D"),
                  Item("&Export practice history...", kCommandExportHistory),
                  MENU_ITEM{},
                  Item("&Quit", kCommandQuit, "Ctrl+Q")};
    MENU_ITEM show = Popup("&Show");
    show.items = {Item("&Lessons", kCommandShowText, "F1"),
                  Greyed("Song", kCommandShowSong),
                  Item("&Mixer", kCommandShowMixer),
                  Item("&Progress", kCommandShowProgress, "Ctrl+P"),
                  Greyed("Picture", kCommandShowPicture),
                  Greyed("Colors", kCommandShowColors),
                  MENU_ITEM{},
                  Item("Arrange all windows", kCommandArrangeAll)};
    MENU_ITEM view = Popup("&View");
    view.items = {Item("&Reset view", kCommandResetView, "Ctrl+0"),
                  Toggle("Colour keys by &accuracy", kCommandKeyAccuracy, keyAccuracy)};
    MENU_ITEM hintMenu = Popup("&Hints");
    hintMenu.items = {Toggle("Note &names on the staff", kCommandHintNoteNames, hints.noteNames),
                      Toggle("&Mark the expected key", kCommandHintExpectedKey, hints.expectedKey),
                      Toggle("&Letters on the keys", kCommandHintKeyLetters, hints.keyLetters)};
    MENU_ITEM settings = Popup("Settings");
    settings.items = {Item("&Audio...", kCommandAudioSettings),
                      Toggle("&Microphone input", kCommandMicrophone, microphone), MENU_ITEM{},
                      Item("About...", kCommandAbout)};
    return {file, show, view, hintMenu, settings};
}

// The groove kind's menu: the Song Editor's song and groove commands, its
// windows and its settings.
std::vector<MENU_ITEM> GrooveMenu(bool microphone, bool skinnedFigures) {
    MENU_ITEM file = Popup("&File");
    file.items = {Item("&New song", kCommandNewSong),
                  Item("&Open song...", kCommandOpenSong, "Ctrl+O"),
                  Item("&Save song", kCommandSaveSong, "Ctrl+S"),
                  Item("Save song &as...", kCommandSaveSongAs),
                  Item("Save song to &MIDI...", kCommandSaveSongToMidi),
                  Item("Save song to &WAVE...", kCommandSaveSongToWave),
                  MENU_ITEM{},
                  Item("New &groove", kCommandNewGroove),
                  Item("Open g&roove...", kCommandOpenGroove),
                  Item("Sa&ve groove", kCommandSaveGroove),
                  Item("Save groove as...", kCommandSaveGrooveAs),
                  MENU_ITEM{},
                  Item("&Quit", kCommandQuit, "Ctrl+Q")};
    MENU_ITEM show = Popup("&Show");
    show.items = {Item("&Song", kCommandShowSong, "F2"), Item("&Mixer", kCommandShowMixer),
                  Item("&Lessons", kCommandShowText, "F1"), MENU_ITEM{},
                  Item("Arrange all windows", kCommandArrangeAll)};
    MENU_ITEM picture = Popup("&Picture");
    picture.items = GetBandViewMenu();
    picture.items.push_back(MENU_ITEM{});
    picture.items.push_back(Item("Band", kCommandBand));
    picture.items.push_back(Toggle("&Skinned figures", kCommandSkinnedFigures, skinnedFigures));
    picture.items.push_back(Item("Load mesh...", kCommandLoadMesh));
    picture.items.push_back(Item("Load skinned mesh...", kCommandLoadSkinnedMesh));
    MENU_ITEM settings = Popup("Settings");
    settings.items = {Item("&Audio...", kCommandAudioSettings),
                      Toggle("&Microphone input", kCommandMicrophone, microphone), MENU_ITEM{},
                      Item("About...", kCommandAbout)};
    return {file, show, picture, settings};
}

}  // namespace

std::vector<MENU_ITEM> GetBandViewMenu() {
    return {Item("Look at whole &band", kCommandLookAtBand, "Ctrl+0"),
            Item("Look at &lead guitar", kCommandLookAtLead, "Ctrl+L"),
            Item("Look at &rhythm guitar", kCommandLookAtRhythm, "Ctrl+R"),
            Item("Look at b&ass guitar", kCommandLookAtBass, "Ctrl+B"),
            Item("Look at &drums", kCommandLookAtDrums, "Ctrl+D")};
}

std::vector<MENU_ITEM> GetMenuBar(int menuId, const HINTS& hints, bool microphone, bool keyAccuracy,
                                  bool skinnedFigures) {
    if (menuId == kNotaraDemoMenu) {
        return NotaraDemoMenu(hints, microphone, keyAccuracy);
    }
    if (menuId == kGrooveMenu) {
        return GrooveMenu(microphone, skinnedFigures);
    }
    return {};
}
