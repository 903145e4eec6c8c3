#include "capture/TunerReading.h"

#include <cmath>

#include "theory/PitchTable.h"

namespace {

constexpr int kA4Midi = 69;
constexpr double kSemitones = 12.0;
constexpr double kCentsPerSemitone = 100.0;
constexpr int kLastNote = 131;

}  // namespace

bool CTunerReading::Read(double frequency, TUNER_READING& reading) {
    if (!(frequency > 0.0) || !std::isfinite(frequency)) {
        return false;
    }
    const CPitchTable::ENTRY* a4 = CPitchTable::Get(kA4Midi);
    const double semitones = kSemitones * std::log2(frequency / a4->frequency);
    const long nearest = kA4Midi + std::lround(semitones);
    if (nearest < 0 || nearest > kLastNote) {
        return false;
    }
    const CPitchTable::ENTRY* entry = CPitchTable::Get(static_cast<int>(nearest));
    reading.midiNote = static_cast<int>(nearest);
    reading.cents = kCentsPerSemitone * kSemitones * std::log2(frequency / entry->frequency);
    reading.text.Format("%s%d %+ld cents", entry->name.GetText(), entry->octave,
                        std::lround(reading.cents));
    return true;
}
