#pragma once

#include "exercise/Hints.h"

#include "app/AudioInfo.h"
#include "app/FileLayout.h"
#include "app/WindowInfo.h"
#include "foundation/CharString.h"
#include "platform/SettingsStore.h"

// All persistent user settings: window placements, dialog options, audio
// devices and the data folders. Kept per user under the maker "Cadenzor" and
// the product word of the application kind ("Notara" for kinds 10 and 11),
// with one sub-key per dialog and "Audio". The folders are derived from the
// executable's folder (see FILE_LAYOUT): all below it in the build tree; for
// an install the shipped content below its prefix and the user's files in
// the user's folders. Five of them may be moved by saved values.
struct APP_SETTINGS {
    static constexpr const char* kMaker = "Cadenzor";

    // The product word of kind, or null for a kind without settings.
    static const char* GetProductWord(int kind);

    // Sets the folders below root (the executable's folder, no trailing
    // separator): "<root>/Data/" and so on.
    void SetDefaultFolders(const char* root);
    // The folders of an install: the shipped content below contentRoot, the
    // grooves and data below userRoot, songs and exports below documentRoot,
    // and the mix and recovery files in "<settingsFolder>/<product>/"
    // (below userRoot when settingsFolder is empty).
    void SetInstalledFolders(const FILE_LAYOUT& layout, const char* product,
                             const char* settingsFolder);
    // The folders of the executable's layout for the kind's product word;
    // when the executable's folder can't be found, below the current
    // folder, and false.
    bool SetProgramFolders(const char* product = nullptr, const char* settingsFolder = nullptr);
    // Where the mix is kept: "<mixFolder>Default.mix", or in the sound
    // folder when no mix folder is set (the build tree).
    CCharString GetMixPath() const;

    // Fills the record from the store for the application kind; title names
    // the application and does not choose the key (kinds share product
    // words). Every value that is missing or malformed keeps its default.
    // True only when the folders could be derived and every value was found.
    bool Load(ISettingsStore& store, const char* title, int kind);
    // Writes every folder, window record and "Audio" and saves the store in
    // one replacement. True only when every value was written and saved.
    bool Save(ISettingsStore& store, const char* title, int kind) const;

    WINDOW_INFO mainWindow{false};
    WINDOW_INFO colors;
    WINDOW_INFO showChord;
    WINDOW_INFO showScale;
    COMPOSITION_INFO composition;
    WINDOW_INFO human;
    WINDOW_INFO grooveMaker;
    TEXT_INFO text;
    WINDOW_INFO lesson;
    WINDOW_INFO tuner;
    WINDOW_INFO mixer;
    WEB_LOGIN_INFO webLogin;
    WINDOW_INFO generator;
    WINDOW_INFO colorPicker;
    WINDOW_INFO webFiles;
    WINDOW_INFO colorLists;
    WINDOW_INFO colorgram;
    MUSIC_EDITOR_INFO musicEditor;
    WINDOW_INFO spacePainter;
    AUDIO_INFO audio;
    HINTS hints;  // "Hints": what the picture shows beside the note to read
    // "Tune": the tune that ran at the close, resumed at its note; empty
    // when a lesson ran. Optional: older settings have none.
    CCharString tuneFile;
    int32_t tuneNote = 0;

    CCharString dataFolder;
    CCharString midiFolder;
    CCharString waveFolder;
    CCharString tempFolder;
    CCharString soundFolder;
    CCharString songPath;
    CCharString songRoot;
    CCharString groovePath;
    CCharString grooveRoot;
    CCharString tutorialsFolder;
    CCharString modelFolder;  // the shipped 3D models: the band's figure
    CCharString lessonsPath;
    CCharString lessonsRoot;
    // Set for an install only, and never saved: where the mix is kept, and
    // the shipped grooves that the user's groove folder offers beside the
    // user's own (see CGrooveShelf).
    CCharString mixFolder;
    CCharString shippedGrooveRoot;

private:
    struct FOLDER_VALUE {
        const char* name;
        CCharString APP_SETTINGS::*folder;
        bool loaded;  // a saved value replaces the default on load
    };
    static const FOLDER_VALUE kFolderValues[];
};
