#include "songs/Mix.h"

#include <cmath>
#include <cstdarg>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <sys/stat.h>

#include <cerrno>

#include "common/NumberFormat.h"
#include "foundation/DiskFile.h"
#include "theory/Note.h"

namespace {

struct DEFAULT_ENTRY {
    int thing;
    float volume;
    float pan;
};

// Lead guitar, rhythm guitar, bass and the drum pieces of the kit.
const DEFAULT_ENTRY kDefaultMix[] = {
    {39, 1.0f, -0.2f}, {38, 1.0f, 0.2f}, {36, 1.0f, 0.0f},  {1, 1.0f, 0.0f},  {5, 0.6f, -0.8f},
    {10, 1.0f, -0.2f}, {2, 1.0f, 0.2f},  {11, 1.0f, 0.0f},  {12, 1.0f, 0.2f}, {13, 1.0f, 0.4f},
    {9, 0.7f, -0.2f},  {14, 1.0f, 0.6f}, {4, 0.6f, -0.8f},  {24, 0.6f, 0.5f}, {26, 0.6f, -0.6f},
    {27, 0.6f, 0.0f},  {32, 0.6f, 0.6f}, {30, 0.6f, -0.3f},
};

const char kMixStart[] = "Mix start";
const char kInstrument[] = "Instrument";
const char kVolume[] = "Volume";
const char kPan[] = "Pan";
const char kSoundFile[] = "Sound file";
const char kMixEnd[] = "Mix end";
const char kInsertFailed[] = "Can't insert into mix map";

// The name a Thing is written under, null for a code that has none.
const char* ThingNameOf(int thing, CCharString& name) {
    if (thing == THING_BAND) {
        name = "Band";
        return name;
    }
    // The computer keyboard's piano, whose level the learner sets too.
    if (thing == THING_KEYBOARD) {
        name = "Keyboard";
        return name;
    }
    return GetThingName(thing, name) ? name.GetText() : nullptr;
}

bool HasControlCharacter(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            return true;
        }
    }
    return false;
}

// A short, printable quote of a value for an error text.
CCharString Quote(const std::string& value) {
    constexpr size_t kMaxQuoted = 40;
    CCharString quoted = "'";
    for (size_t i = 0; i < value.size() && i < kMaxQuoted; ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        quoted.AppendChar(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    quoted.Append(value.size() > kMaxQuoted ? "...'" : "'");
    return quoted;
}

// A decimal in the C notation whatever the process locale; blanks around it
// and a '+' are allowed. False for anything else, infinities and NaN
// included, with the reason when the value has a decimal comma.
bool ParseNumber(const std::string& text, double& value, std::string& reason) {
    constexpr unsigned kExtras = NumberFormat::kSurroundingBlanks | NumberFormat::kPlusSign;
    return NumberFormat::ParseDouble(text, value, kExtras, &reason) && std::isfinite(value);
}

float Clamp(double value, float low, float high) {
    return value < low ? low : (value > high ? high : static_cast<float>(value));
}

// Two decimals in the C notation whatever the process locale.
std::string FormatValue(float value) {
    constexpr int kDecimals = 2;
    return NumberFormat::FormatDouble(value, kDecimals);
}

// Reads the blocks of a mix file's text into map. On failure problem holds
// the reason and line its 1-based number.
class CMixParser {
public:
    explicit CMixParser(std::map<int, MIX_ENTRY>& map) : m_map(map) {}

    bool Parse(const std::vector<char>& data, CCharString& problem, int& line) {
        size_t position = 0;
        line = 0;
        while (position < data.size()) {
            // A line ends at LF, CR LF or a lone CR; the last may have no end.
            size_t end = position;
            while (end < data.size() && data[end] != '\n' && data[end] != '\r') {
                ++end;
            }
            ++line;
            if (!ParseLine(data.data() + position, end - position, problem)) {
                return false;
            }
            position = end + 1;
            if (end + 1 < data.size() && data[end] == '\r' && data[end + 1] == '\n') {
                ++position;
            }
        }
        // A last block that lost its end line still counts.
        return EndBlock(problem);
    }

private:
    bool ParseLine(const char* text, size_t length, CCharString& problem) {
        if (HasControlCharacter(text, length)) {
            problem = "the line holds binary data, not text";
            return false;
        }
        const char* equals = static_cast<const char*>(std::memchr(text, '=', length));
        const std::string key(text, equals != nullptr ? equals : text + length);
        // The section lines are written "Mix start= "; editors that trim
        // blanks leave "Mix start=" and a bare "Mix start" is as clear.
        const std::string section = Trimmed(key);
        if (section == kMixStart) {
            if (!EndBlock(problem)) {
                return false;
            }
            m_current = MIX_ENTRY();
            return true;
        }
        if (section == kMixEnd) {
            return EndBlock(problem);
        }
        if (equals == nullptr || equals + 1 == text + length) {
            return true;  // no value: skipped
        }
        const std::string value(equals + 1, text + length);
        if (key == kInstrument) {
            if (!FindThing(value.c_str(), m_current.thing)) {
                problem.Format("unknown instrument %s", Quote(value).GetText());
                return false;
            }
            m_haveInstrument = true;
        } else if (key == kVolume || key == kPan) {
            double number = 0.0;
            std::string reason;
            if (!ParseNumber(value, number, reason)) {
                problem.Format("bad %s value %s", key.c_str(), Quote(value).GetText());
                if (reason == NumberFormat::kDecimalComma) {
                    problem.Append((std::string(": ") + reason).c_str());
                }
                return false;
            }
            if (key == kVolume) {
                m_current.volume = Clamp(number, 0.0f, 1.0f);
            } else {
                m_current.pan = Clamp(number, -1.0f, 1.0f);
            }
        } else if (key == kSoundFile) {
            m_current.soundFile = value.c_str();
        }
        return true;  // unknown keys are ignored
    }

    static std::string Trimmed(const std::string& text) {
        const size_t first = text.find_first_not_of(" \t");
        const size_t last = text.find_last_not_of(" \t");
        return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    }

    // Inserts the block read so far, if it names its instrument. A block
    // ends at its end line, at the next start line or at the end of the file.
    bool EndBlock(CCharString& problem) {
        const bool complete = m_haveInstrument;
        m_haveInstrument = false;
        if (complete && !m_map.emplace(m_current.thing, m_current).second) {
            problem = kInsertFailed;
            return false;
        }
        m_current = MIX_ENTRY();
        return true;
    }

    std::map<int, MIX_ENTRY>& m_map;
    MIX_ENTRY m_current;
    bool m_haveInstrument = false;
};

}  // namespace

bool CMix::SetError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    m_error.FormatV(format, args);
    va_end(args);
    return false;
}

bool CMix::Insert(const MIX_ENTRY& entry) {
    try {
        if (m_map.emplace(entry.thing, entry).second) {
            m_changed = true;
            return true;
        }
    } catch (const std::bad_alloc&) {
    }
    return SetError("%s", kInsertFailed);
}

void CMix::Get(int thing, float& volume, float& pan) const {
    const auto found = m_map.find(thing);
    volume = found != m_map.end() ? found->second.volume : 1.0f;
    pan = found != m_map.end() ? found->second.pan : 0.0f;
}

bool CMix::Set(int thing, float volume, float pan) {
    CCharString name;
    if (ThingNameOf(thing, name) == nullptr) {
        return SetError("Can't set the mix of unknown instrument %d", thing);
    }
    if (std::isnan(volume) || std::isnan(pan)) {
        return SetError("Can't set the mix of instrument %d: not a number", thing);
    }
    const float newVolume = Clamp(volume, 0.0f, 1.0f);
    const float newPan = Clamp(pan, -1.0f, 1.0f);
    const auto found = m_map.find(thing);
    if (found != m_map.end()) {
        if (found->second.volume != newVolume || found->second.pan != newPan) {
            found->second.volume = newVolume;
            found->second.pan = newPan;
            m_changed = true;
        }
        return true;
    }
    MIX_ENTRY entry;
    entry.thing = thing;
    entry.volume = newVolume;
    entry.pan = newPan;
    return Insert(entry);
}

bool CMix::SetSoundFile(int thing, const char* soundFile) {
    const auto found = m_map.find(thing);
    if (found == m_map.end()) {
        return SetError("Can't set the sound file of instrument %d: it is not in the mix", thing);
    }
    const char* text = soundFile != nullptr ? soundFile : "";
    if (HasControlCharacter(text, std::strlen(text))) {
        return SetError(
            "Can't set the sound file of instrument %d: the name holds a control "
            "character",
            thing);
    }
    if (found->second.soundFile != text) {
        found->second.soundFile = text;
        m_changed = true;
    }
    return true;
}

bool CMix::GetSoundFile(int thing, CCharString& soundFile) const {
    const auto found = m_map.find(thing);
    if (found == m_map.end()) {
        soundFile.Empty();
        return false;
    }
    soundFile = found->second.soundFile;
    return true;
}

bool CMix::CopyFrom(const CMix& other) {
    if (&other == this) {
        return true;
    }
    m_map.clear();
    m_changed = true;
    bool copied = true;
    for (const auto& item : other.m_map) {
        copied = Insert(item.second) && copied;  // a failure does not stop the copy
    }
    return copied;
}

bool CMix::SetDefaults() {
    m_map.clear();
    m_changed = true;
    bool set = true;
    for (const DEFAULT_ENTRY& value : kDefaultMix) {
        MIX_ENTRY entry;
        entry.thing = value.thing;
        entry.volume = value.volume;
        entry.pan = value.pan;
        set = Insert(entry) && set;
    }
    return set;
}

bool CMix::Load(const char* path) {
    if (path == nullptr) {
        return SetError("Can't open mix: no path");
    }
    // Only a file that is not there is missing; one that is there but can't
    // be read is damaged and kept, so that the defaults never replace it.
    struct stat status {};
    if (stat(path, &status) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
        m_damagedPath.Empty();
        return SetError("Can't open mix (%s): the file does not exist", path);
    }
    m_damagedPath = path;
    std::vector<char> data;
    CDiskFile file;
    if (!file.Read(path, data, kMaxFileSize)) {
        return SetError("Can't read mix (%s): %s", path, file.GetError());
    }
    std::map<int, MIX_ENTRY> loaded;
    CMixParser parser(loaded);
    CCharString problem;
    int line = 0;
    if (!parser.Parse(data, problem, line)) {
        return SetError("Can't read mix (%s) at line %d: %s", path, line, problem.GetText());
    }
    if (loaded.empty()) {
        return SetError("Can't read mix (%s): the file holds no mix entry", path);
    }
    m_damagedPath.Empty();
    m_map.swap(loaded);
    m_name.Empty();
    m_fileName = path;
    m_changed = false;
    return true;
}

bool CMix::LoadOrDefaults(const char* path) {
    if (Load(path)) {
        return true;
    }
    const CCharString failure = m_error;
    SetDefaults();
    m_changed = false;  // the defaults come back by themselves next time
    m_error = failure;
    return false;
}

bool CMix::Save(const char* path) {
    std::string text;
    CCharString name;
    for (const auto& item : m_map) {
        const MIX_ENTRY& entry = item.second;
        if (ThingNameOf(entry.thing, name) == nullptr) {
            return SetError("Can't create mix file (%s): unknown instrument %d",
                            path != nullptr ? path : "", entry.thing);
        }
        text += std::string(kMixStart) + "= \r\n";
        text += std::string(kInstrument) + "=" + name.GetText() + "\r\n";
        text += std::string(kVolume) + "=" + FormatValue(entry.volume) + "\r\n";
        text += std::string(kPan) + "=" + FormatValue(entry.pan) + "\r\n";
        text += std::string(kSoundFile) + "=" + entry.soundFile.GetText() + "\r\n";
        text += std::string(kMixEnd) + "= \r\n\r\n";
    }
    CCharString error;
    if (!CDiskFile::SaveFile(path, text.data(), text.size(), error)) {
        return SetError("%s", error.GetText());  // "Can't save <path>: <reason>"
    }
    if (m_damagedPath == path) {
        m_damagedPath.Empty();
    }
    m_fileName = path;
    m_changed = false;
    return true;
}

bool CMix::SaveUnlessDamaged(const char* path) {
    return IsDamaged(path) || !m_changed ? true : Save(path);
}

bool CMix::IsDamaged(const char* path) const {
    return path != nullptr && !m_damagedPath.IsEmpty() && m_damagedPath == path;
}
