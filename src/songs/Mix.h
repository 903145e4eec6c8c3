#pragma once

#include <cstddef>
#include <map>

#include "foundation/CharString.h"

// One instrument's mixer setting.
struct MIX_ENTRY {
    int thing = 0;
    CCharString soundFile;
    float volume = 1.0f;  // 0.0 .. 1.0
    float pan = 0.0f;     // -1.0 left .. 1.0 right
};

// The mixer settings: per instrument (Thing) a volume, a pan and an optional
// sound file, at most one entry per Thing, ordered by Thing. Mix files are
// text, one block of lines per entry; they are written whole to a temporary
// file and renamed over the old one, so a mix file is never left half
// written.
class CMix {
public:
    // Largest mix file read; a real one holds a few kilobytes.
    static constexpr size_t kMaxFileSize = 1u << 20;

    CMix() = default;
    CMix(const CMix&) = delete;
    CMix& operator=(const CMix&) = delete;
    virtual ~CMix() = default;

    // Volume and pan of the Thing, or 1.0 and 0.0 when it has no entry.
    void Get(int thing, float& volume, float& pan) const;
    // Updates the Thing's entry or adds one with no sound file. Values are
    // clamped into their ranges; NaN or an unknown Thing is refused.
    bool Set(int thing, float volume, float pan);
    // The sound file of an existing entry; a name holding a line break or
    // another control character is refused, as it could not be read back.
    bool SetSoundFile(int thing, const char* soundFile);
    bool GetSoundFile(int thing, CCharString& soundFile) const;
    void RemoveAll() {
        m_changed = m_changed || !m_map.empty();
        m_map.clear();
    }

    // Replaces the map with a copy of other's.
    bool CopyFrom(const CMix& other);
    // Replaces the map with the built-in default mix.
    bool SetDefaults();

    // Reads a mix file. All or nothing: when the file cannot be read or is
    // damaged, the mix is left as it was, false is returned with the reason
    // (and the line) in the error text, and the path is remembered as damaged
    // (see SaveUnlessDamaged). Only a file that does not exist is missing
    // rather than damaged; a file without any entry is damaged. Section
    // lines are read with or without their blank and a block that lost its
    // end line ends at the next block or the end of the file.
    bool Load(const char* path);
    // Load, falling back to the defaults when the file cannot be read; the
    // return and the error text still tell of the failed load. The defaults
    // do not count as a change.
    bool LoadOrDefaults(const char* path);
    // Writes the mix to path, replacing the old file only once the new one
    // is complete. Always writes, damaged or not: this is the user's save.
    bool Save(const char* path);
    // Save for automatic saves (at shutdown): writes only a mix that changed
    // since it was loaded or saved, and keeps a file that Load found damaged
    // as it is, for its owner to mend or replace, until an explicit Save
    // writes over it. Skipping is a success.
    bool SaveUnlessDamaged(const char* path);
    bool IsDamaged(const char* path) const;
    // True when the entries changed since the last load or save.
    bool IsChanged() const { return m_changed; }

    const std::map<int, MIX_ENTRY>& GetEntries() const { return m_map; }
    size_t GetCount() const { return m_map.size(); }
    const char* GetError() const { return m_error; }
    // The path of the last successful load or save.
    const char* GetFileName() const { return m_fileName; }
    const char* GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name; }
    // A free description of the mix, kept in memory only.
    const char* GetComment() const { return m_comment; }
    void SetComment(const char* comment) { m_comment = comment; }

private:
    bool Insert(const MIX_ENTRY& entry);
    bool SetError(const char* format, ...) NOTARA_PRINTF(2, 3);

    CCharString m_error;
    CCharString m_name;
    CCharString m_fileName;
    CCharString m_comment;
    std::map<int, MIX_ENTRY> m_map;
    CCharString m_damagedPath;
    bool m_changed = false;
};
