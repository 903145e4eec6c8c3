#include "app/Menus.h"

namespace {

MENU_ITEM Item(const char* text, int commandId) {
    return MENU_ITEM{text, commandId, {}};
}

std::vector<MENU_ITEM> NotaraDemoMenu() {
    MENU_ITEM file{"&File", 0, {}};
    file.items = {Item("New song", kCommandNewSong),
                  Item("Open song", kCommandOpenSong),
                  Item("Save song", kCommandSaveSong),
                  Item("Save song as...", kCommandSaveSongAs),
                  Item("Save song to MIDI", kCommandSaveSongToMidi),
                  Item("Save song to WAVE", kCommandSaveSongToWave),
                  MENU_ITEM{},
                  Item("New groove", kCommandNewGroove),
                  Item("Open groove", kCommandOpenGroove),
                  Item("Save groove", kCommandSaveGroove),
                  Item("Save groove as...", kCommandSaveGrooveAs)};
    MENU_ITEM show{"&Show", 0, {}};
    show.items = {Item("Song", kCommandShowSong),
                  Item("Mixer", kCommandShowMixer),
                  Item("Picture", kCommandShowPicture),
                  Item("Colors", kCommandShowColors),
                  MENU_ITEM{},
                  Item("Arrange all windows", kCommandArrangeAll)};
    MENU_ITEM settings{"Settings", 0, {}};
    settings.items = {Item("Audio", kCommandAudioSettings), MENU_ITEM{},
                      Item("About...", kCommandAbout)};
    return {file, show, settings};
}

}  // namespace

std::vector<MENU_ITEM> GetMenuBar(int menuId) {
    if (menuId == 1447) {
        return NotaraDemoMenu();
    }
    return {};
}
