#pragma once

#include "foundation/CharString.h"

// What a tuner shows for a steady pitch: the nearest note of the table and
// how far off it the pitch is, as "A4 +20 cents" (the note's sharp name
// and octave, then the signed cents rounded to a whole number).
struct TUNER_READING {
    int midiNote = 0;
    double cents = 0.0;  // -50..+50 from the note's nominal frequency
    CCharString text;
};

// Reads frequencies for a tuner readout: feed it what the note detector's
// sink hears in ISoundDetectorSink::OnPitch.
class CTunerReading {
public:
    // False (reading untouched) for a frequency outside the note table.
    static bool Read(double frequency, TUNER_READING& reading);
};
