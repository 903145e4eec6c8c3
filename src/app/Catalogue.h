#pragma once

#include "foundation/CharString.h"

// Window types of the application's windows.
enum WINDOW_TYPE {
    kWindowColors = 5,
    kWindowText = 9,
    kWindowMixer = 11,
    kWindowSongEditor = 13,
    kWindowPicture = 16,
};

// Picture kinds of the 3D scene that the catalogue names.
enum PICTURE_KIND {
    kPictureNone = 0,
    kPictureGrooves = 17,
    kPictureEmpty = 18,       // the empty scene, with its statistics
    kPictureBandSecond = 21,  // the band, second arrangement
    kPictureNotes = 32,       // the keyboard under the grand staff
};

constexpr int kMaxContentFiles = 2;

// One application kind of the catalogue: what the kind is called, which
// icon and menu it carries, and what it runs: its settings key, log, 3D
// scene and picture, the instrument the computer keyboard plays and the
// content files its Text dialog lists.
struct APP_KIND {
    int kind = 0;
    const char* title = "";
    int iconId = 0;
    int menuId = 0;
    bool startInTray = false;
    const char* productWord = "";  // the settings key shared by a product's kinds
    bool keepsLog = false;
    bool hasScene = false;
    int pictureKind = kPictureNone;
    int instrument = 0;  // THING code
    const char* contentFiles[kMaxContentFiles] = {nullptr, nullptr};
};

constexpr int kNotaraDemoKind = 11;

// Looks kind up; false with "Unknown application %d" in error otherwise.
bool FindApplicationKind(int kind, APP_KIND& info, CCharString& error);
