// The WAVE file reader on arbitrary bytes, whole and streamed: each input
// becomes the process's one WAVE file.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzFile.h"
#include "audio/SoundFile.h"
#include "audio/SoundInfo.h"

namespace {
constexpr uint32_t kStreamBlock = 4096;
}

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
    CSoundFile stream;
    WAVE_FORMAT format;
    if (!stream.Open(file.GetPath(), format, CSoundFile::kRead)) {
        return 0;
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
    stream.Close();
    return 0;
}
