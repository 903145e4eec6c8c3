#pragma once

#include "platform/GlDevice.h"

// What a command key of the 3D view does.
enum class VIEW_COMMAND {
    kNone,
    kToggleFullScreen,  // Alt+Enter
    kLeaveFullScreen,   // Esc, only while full screen
    kShowLessons,       // F1
    kRedraw,            // Ctrl+A
    kNewPicture,        // Ctrl+N
    // The band's camera, in the kinds whose picture is the band.
    kLookAtBand,    // Ctrl+0
    kLookAtBass,    // Ctrl+B, walking round the bass player
    kLookAtDrums,   // Ctrl+D
    kLookAtLead,    // Ctrl+L
    kLookAtRhythm,  // Ctrl+R
};

// The window's command keys of the 3D view, as a table. Keys that are not
// in it (Ctrl with C, T, W, + and -, and the plain letters) go on to the
// scene's own keys.
class CCommandKeys {
public:
    // The command of a key press; kNone for a release, a repeat or a key that
    // is no command. fullScreen tells whether Esc has something to leave;
    // band adds the band's camera keys, which otherwise stay the scene's.
    static VIEW_COMMAND Find(const KEY_EVENT& key, bool fullScreen, bool band = false);
};
