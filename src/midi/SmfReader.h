#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "foundation/CharString.h"
#include "midi/SmfFile.h"

// Reads the bytes of a Standard MIDI File into SMF_FILE. Every read checks
// the bytes that remain, so a cut, garbled or hostile file ends in false and
// one error text ("Can't read MIDI file '<name>': offset <n>: <reason>"),
// never in a read past the end or a huge allocation.
//
// The header's track count is not trusted: the track chunks present are
// read, however many the header claims, and a file that ends at a chunk
// boundary before the claimed count reads as the shorter file it is. Chunks
// of other kinds are skipped. Formats 0, 1 and 2 are read alike.
class CSmfReader {
public:
    // Largest file that ReadFile takes unless told otherwise.
    static constexpr size_t kMaxFileSize = 64u << 20;

    // Reads bytes into file; name only goes into the error text.
    bool Read(const std::vector<uint8_t>& bytes, SMF_FILE& file, const char* name = "");
    // Reads the file at path whole, refusing one above maxSize bytes.
    bool ReadFile(const char* path, SMF_FILE& file, size_t maxSize = kMaxFileSize);

    // The last failure's text.
    const char* GetError() const { return m_error; }

private:
    bool ReadChunks(SMF_FILE& file);
    bool ReadHeader(uint32_t length, SMF_FILE& file);
    bool ReadTrack(SMF_TRACK& track);
    bool ReadEvent(uint32_t& tick, SMF_TRACK& track, bool& ended);
    bool ReadMeta(SMF_EVENT& event);
    bool ReadSysex(SMF_EVENT& event);
    bool ReadChannelData(uint8_t first, SMF_EVENT& event);

    // Bounded reads: false, with the position unchanged, when the bytes
    // up to the current limit do not hold what is asked for.
    bool TryRead8(uint8_t& value);
    bool TryRead16(uint16_t& value);
    bool TryRead32(uint32_t& value);
    bool TryReadVlq(uint32_t& value, bool& tooLong);
    bool TryReadBytes(uint32_t count, std::vector<uint8_t>& data);
    size_t Left() const { return m_limit - m_pos; }

    // The one way a read fails: the error text gets the file name and the
    // offset of the byte that could not be read.
    bool Fail(size_t offset, const char* format, ...) NOTARA_PRINTF(3, 4);

    const uint8_t* m_bytes = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    size_t m_limit = 0;  // end of the current chunk, or of the file
    uint8_t m_runningStatus = 0;
    CCharString m_name;
    CCharString m_error;
};
