#pragma once

#include <cstdint>

// The numbers CMidiFile and CMidiSongWriter share: controllers with a
// meaning to the program, meta types beside those of SmfFile.h and value
// ranges.
namespace MidiCodes {

constexpr int kMaxVelocity = 127;
constexpr int kMaxDataValue = 127;
constexpr double kPanCentre = 63.5;
constexpr double kMicrosPerSecond = 1000000.0;

constexpr int kControlVolume = 7;
constexpr int kControlPan = 10;
constexpr int kControlString = 16;
constexpr int kControlFret = 17;
constexpr int kControlFinger = 18;
constexpr int kControlMode = 19;
constexpr int kControlChordType = 80;
constexpr int kControlChordRoot = 81;
constexpr int kControlResetAll = 121;

constexpr uint8_t kMetaCopyright = 0x02;
constexpr uint8_t kMetaInstrument = 0x04;
constexpr uint8_t kMetaKeySignature = 0x59;

}  // namespace MidiCodes
