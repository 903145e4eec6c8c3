#pragma once

#include <vector>

#include "foundation/CharString.h"
#include "ui/BaseWindow.h"

// What the Song Editor keeps between runs.
struct SONG_EDITOR_SETTINGS {
    DIALOG_PLACEMENT placement;
    bool showNotes = true;
    // How freely the band plays, 0 (exactly) .. 1, and the two amounts of
    // it the playback applies to the notes' times and volumes.
    double humanization = 0.0;
    double timeSpread = 0.0;
    double volumeSpread = 0.0;
    bool playWhenSelected = false;
    CCharString midiFolder;  // where MIDI and WAVE files were last saved
    CCharString waveFolder;
    CCharString style;  // the groove shown last
    CCharString groove;
};
