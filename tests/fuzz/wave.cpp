// The WAVE file reader on arbitrary bytes, whole and streamed, then the
// file through the note detector as notara-detect runs it: read, converted
// and detected a block at a time. Each input becomes the process's one WAVE
// file. The detector's work is bounded by the input: a rate below 4000 Hz is
// refused, so a source frame makes at most a dozen capture frames.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzFile.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"
#include "capture/FileNoteDetector.h"
#include "capture/PitchDetector.h"
#include "capture/SoundConverter.h"

namespace {

constexpr uint32_t kStreamBlock = 4096;
constexpr double kTailSeconds = 1.0;  // of silence after the sound
constexpr double kSlackSeconds = 0.1;

// Reads the data chunk a block at a time; false when it can't be opened.
bool Stream(const char* path, WAVE_FORMAT& format, uint32_t& dataSize) {
    CSoundFile stream;
    if (!stream.Open(path, format, CSoundFile::kRead)) {
        return false;
    }
    std::vector<uint8_t> block(kStreamBlock);
    uint32_t total = 0;
    uint32_t got = 0;
    while (stream.Read(kStreamBlock, block.data(), got) && got > 0) {
        total += got;
    }
    if (total > stream.GetDataSize()) {
        __builtin_trap();  // never more than the data chunk holds
    }
    dataSize = stream.GetDataSize();
    stream.Close();
    return true;
}

// The notes lie inside the sound and its tail, each ending after it starts;
// a rate outside the converter's range is never detected.
void Detect(const char* path, const WAVE_FORMAT& format, uint32_t dataSize) {
    CFileNoteDetector detector(CPitchDetector::kFastAutoCorr, false);
    std::vector<DETECTED_NOTE> notes;
    const bool detected = detector.DetectFile(path, notes);
    const bool rateTaken = format.samplesPerSecond >= CSoundConverter::kLowestRate &&
                           format.samplesPerSecond <= CSoundConverter::kHighestRate;
    if (!detected) {
        return;
    }
    if (!rateTaken || format.blockAlign == 0) {
        __builtin_trap();
    }
    const double seconds =
        static_cast<double>(dataSize / format.blockAlign) / format.samplesPerSecond;
    const double end = seconds + kTailSeconds + kSlackSeconds;
    for (const DETECTED_NOTE& note : notes) {
        if (note.onset < 0.0 || note.onset > end || note.release > end ||
            (note.release >= 0.0 && note.release < note.onset)) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const CFuzzFile file("Fuzz.wav");
    if (!file.Write(data, size)) {
        return 0;
    }
    {
        CSoundFile reader;
        CSoundInfo sound;
        reader.ReadInfo(file.GetPath(), sound);
    }
    WAVE_FORMAT format;
    uint32_t dataSize = 0;
    if (!Stream(file.GetPath(), format, dataSize)) {
        return 0;
    }
    Detect(file.GetPath(), format, dataSize);
    return 0;
}
