#pragma once

// The messages posted to the application's windows, in one place: the
// threads that post them (MIDI input, sound detector, dialogs) and the
// windows that take them agree on these numbers. The payload of each is
// owned by the receiver.
enum MESSAGE_ID : int {
    kNotifyIconMessage = 1025,      // the notification-area icon was used
    kStartMessage = 1027,           // the main window runs start-up
    kShutdownMessage = 1028,        // the main window closes the application
    kActionMessage = 1030,          // a lesson button's parameter text
    kPlaybackMessage = 1041,        // a record for the song playback
    kNoteMessage = 1046,            // a NOTE_EVENT: a played or detected note
    kLevelMessage = 1047,           // a SOUND_LEVEL of the sound detector
    kMidiDeviceLostMessage = 1048,  // a CCharString: why the MIDI input went away
    kDeviceProblemsMessage = 1049,  // the devices' problems wait to be shown
    kPitchMessage = 1050,           // a SOUND_PITCH: the steady pitch the detector hears
    kSongEditedMessage = 1051,      // the Song Editor's song edit of one action is over
};
