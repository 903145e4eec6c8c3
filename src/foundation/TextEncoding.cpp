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

// How a lead byte starts a sequence: the byte masked with mask is bits.
struct LEAD {
    unsigned char mask = 0;
    unsigned char bits = 0;
    int continuations = -1;  // -1: not a lead byte
    unsigned minimum = 0;    // the smallest code point of that length
};

// The lead bytes of sequences of two, three and four bytes.
constexpr LEAD kLeads[] = {
    {0xE0, 0xC0, 1, 0x80},
    {0xF0, 0xE0, 2, 0x800},
    {0xF8, 0xF0, 3, 0x10000},
};

LEAD ReadLead(unsigned char byte) {
    for (const LEAD& lead : kLeads) {
        if ((byte & lead.mask) == lead.bits) {
            return lead;
        }
    }
    return {};
}

// The length of the well-formed sequence at data[at], or 0.
size_t SequenceLength(const unsigned char* data, size_t size, size_t at) {
    const LEAD lead = ReadLead(data[at]);
    if (lead.continuations < 0 || at + static_cast<size_t>(lead.continuations) >= size) {
        return 0;
    }
    unsigned code = data[at] & static_cast<unsigned char>(~lead.mask);
    for (int i = 1; i <= lead.continuations; ++i) {
        const unsigned char byte = data[at + static_cast<size_t>(i)];
        if (!IsUtf8Continuation(static_cast<char>(byte))) {
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

bool IsUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & kContinuationMask) == kContinuationBits;
}

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
