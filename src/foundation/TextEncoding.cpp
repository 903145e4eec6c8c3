#include "foundation/TextEncoding.h"

namespace {

constexpr unsigned char kFirstNonAscii = 0x80;
constexpr unsigned char kContinuationMask = 0xC0;
constexpr unsigned char kContinuationBits = 0x80;
constexpr unsigned char kPayloadMask = 0x3F;
constexpr int kPayloadBits = 6;
constexpr unsigned kMaxCodePoint = 0x10FFFF;
constexpr unsigned kFirstSurrogate = 0xD800;
constexpr unsigned kLastSurrogate = 0xDFFF;

// How a lead byte starts a sequence.
struct LEAD {
    int continuations = -1;  // -1: not a lead byte
    unsigned bits = 0;       // the code point bits it carries
    unsigned minimum = 0;    // the smallest code point of that length
};

LEAD ReadLead(unsigned char byte) {
    if ((byte & 0xE0) == 0xC0) {
        return {1, byte & 0x1Fu, 0x80};
    }
    if ((byte & 0xF0) == 0xE0) {
        return {2, byte & 0x0Fu, 0x800};
    }
    if ((byte & 0xF8) == 0xF0) {
        return {3, byte & 0x07u, 0x10000};
    }
    return {};
}

// The length of the well-formed sequence at data[at], or 0.
size_t SequenceLength(const unsigned char* data, size_t size, size_t at) {
    const LEAD lead = ReadLead(data[at]);
    if (lead.continuations < 0 || at + static_cast<size_t>(lead.continuations) >= size) {
        return 0;
    }
    unsigned code = lead.bits;
    for (int i = 1; i <= lead.continuations; ++i) {
        const unsigned char byte = data[at + static_cast<size_t>(i)];
        if ((byte & kContinuationMask) != kContinuationBits) {
            return 0;
        }
        code = (code << kPayloadBits) | (byte & kPayloadMask);
    }
    const bool surrogate = code >= kFirstSurrogate && code <= kLastSurrogate;
    if (code < lead.minimum || code > kMaxCodePoint || surrogate) {
        return 0;
    }
    return static_cast<size_t>(lead.continuations) + 1;
}

}  // namespace

bool IsValidUtf8(const char* data, size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    size_t at = 0;
    while (at < size) {
        if (bytes[at] < kFirstNonAscii) {
            ++at;
            continue;
        }
        const size_t length = SequenceLength(bytes, size, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

std::string Latin1ToUtf8(const char* data, size_t size) {
    constexpr unsigned char kTwoByteLead = 0xC0;
    constexpr int kLeadShift = 6;
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte < kFirstNonAscii) {
            text += static_cast<char>(byte);
        } else {
            text += static_cast<char>(kTwoByteLead | (byte >> kLeadShift));
            text += static_cast<char>(kContinuationBits | (byte & kPayloadMask));
        }
    }
    return text;
}
