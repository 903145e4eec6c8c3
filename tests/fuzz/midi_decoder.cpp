// The live MIDI byte-stream decoder on arbitrary bytes: every message it
// gives must be a channel message with data bytes below 0x80.

#include <cstddef>
#include <cstdint>

#include "midi/MidiDecoder.h"

namespace {
constexpr uint8_t kFirstChannelStatus = 0x80;
constexpr uint8_t kFirstSystemStatus = 0xF0;
constexpr uint8_t kDataLimit = 0x80;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMidiDecoder decoder;
    for (size_t i = 0; i < size; ++i) {
        MIDI_MESSAGE message;
        if (!decoder.Feed(data[i], message)) {
            continue;
        }
        if (message.status < kFirstChannelStatus || message.status >= kFirstSystemStatus ||
            message.data1 >= kDataLimit || message.data2 >= kDataLimit) {
            __builtin_trap();
        }
    }
    decoder.Reset();
    return 0;
}
