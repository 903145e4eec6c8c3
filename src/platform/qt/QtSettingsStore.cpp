#include "platform/qt/QtSettingsStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "common/NumberFormat.h"
#include "common/SafeFiles.h"
#include "common/SafeSave.h"

namespace {

constexpr const char* kDamagedSuffix = ".damaged";

std::string Local(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// Makes an empty file for its owner only, failing when one is there; the
// temporary file of a save is made this way, so the settings never pass
// through a file that others may read.
bool CreateOwnerOnlyFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    return fd >= 0 && ::close(fd) == 0;
}

// Settings are a few kilobytes; a file far larger is not settings.
constexpr size_t kMaxSettingsSize = 4u << 20;

// True when every line of text is blank, a comment, a "[section]" or a
// "key=value" line, and no byte is a control character: the INI reader takes
// almost anything, so garbage would otherwise read as keys and be written
// back, larger, at every save.
bool LooksLikeSettings(const std::string& text) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        for (const char c : line) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
                return false;
            }
        }
        const size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos) {
            const char lead = line[first];
            const bool section = lead == '[' && line.find(']', first) != std::string::npos;
            if (lead != ';' && lead != '#' && !section && line.find('=') == std::string::npos) {
                return false;
            }
        }
        start = end + 1;
    }
    return true;
}

// Reads what fd holds, up to limit + 1 bytes; false on a read error.
bool ReadAll(int fd, size_t limit, std::string& text) {
    text.clear();
    char buffer[65536];
    while (text.size() <= limit) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return count == 0;
        }
        text.append(buffer, static_cast<size_t>(count));
    }
    return true;
}

// Reads the whole file at path; false when it can't.
bool ReadWhole(const std::string& path, std::string& text) {
    std::string reason;
    const int fd = SafeFiles::OpenForReading(path.c_str(), reason);
    if (fd < 0) {
        return false;
    }
    const bool read = ReadAll(fd, SIZE_MAX - 1, text);
    return ::close(fd) == 0 && read;
}

}  // namespace

CQtSettingsStore::CQtSettingsStore() = default;
CQtSettingsStore::~CQtSettingsStore() = default;

QString CQtSettingsStore::GetSettingsPath(const char* maker, const char* product) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/" +
           QString::fromUtf8(maker) + "/" + QString::fromUtf8(product) + ".ini";
}

bool CQtSettingsStore::Open(const char* maker, const char* product) {
    m_pending.clear();
    m_settings.reset();
    m_open = false;
    m_existed = false;
    m_garbled = false;
    m_readProblem.clear();
    if (maker == nullptr || product == nullptr || !IsValidSettingsName(maker) ||
        !IsValidSettingsName(product)) {
        m_error = "Can't open settings: the maker or product name is not allowed";
        return false;
    }
    m_path = GetSettingsPath(maker, product);
    m_open = true;
    // Only a regular file is handed to the INI reader, which would wait for
    // ever on a FIFO; anything else is kept as it is and read as empty.
    std::string reason;
    bool missing = false;
    const int fd = SafeFiles::OpenForReading(Local(m_path).c_str(), reason, &missing);
    if (fd < 0) {
        if (!missing) {
            m_readProblem = "Can't read settings (" + Local(m_path) + "): " + reason;
            m_error = m_readProblem;
        }
        return true;
    }
    std::string text;
    ReadAll(fd, kMaxSettingsSize, text);
    ::close(fd);
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    // A garbled file opens with what could be read of it, so the caller
    // keeps its defaults for the rest; the next save keeps a copy of it.
    if (m_settings->status() == QSettings::FormatError || text.size() > kMaxSettingsSize ||
        !LooksLikeSettings(text)) {
        m_garbled = true;
        m_readProblem = "Can't read all settings (" + Local(m_path) +
                        "): the file is garbled; the next save keeps it as \"" +
                        QFileInfo(m_path).fileName().toStdString() + kDamagedSuffix +
                        "\" and writes a clean one";
        m_error = m_readProblem;
    }
    m_existed = !m_settings->allKeys().isEmpty();
    return true;
}

QString CQtSettingsStore::MakeKey(const char* key, const char* name) const {
    if (!IsValidSettingsPath(key, name)) {
        return QString();
    }
    const QString path = QString::fromUtf8(key);
    return path.isEmpty() ? QString::fromUtf8(name) : path + "/" + QString::fromUtf8(name);
}

QVariant CQtSettingsStore::Find(const char* key, const char* name) const {
    const QString path = MakeKey(key, name);
    if (!m_open || path.isEmpty()) {
        return QVariant();
    }
    const auto pending = m_pending.find(path);
    if (pending != m_pending.end()) {
        return pending->second;
    }
    return m_settings ? m_settings->value(path) : QVariant();
}

bool CQtSettingsStore::GetString(const char* key, const char* name, std::string& value) const {
    const QVariant found = Find(key, name);
    if (found.typeId() == QMetaType::QString) {
        value = found.toString().toStdString();
        return true;
    }
    if (found.typeId() == QMetaType::LongLong) {
        value = NumberFormat::FormatInt(found.toLongLong());
        return true;
    }
    return false;
}

bool CQtSettingsStore::GetInteger(const char* key, const char* name, int64_t& value) const {
    const QVariant found = Find(key, name);
    if (found.typeId() == QMetaType::LongLong) {
        value = found.toLongLong();
        return true;
    }
    if (found.typeId() != QMetaType::QString) {
        return false;
    }
    // A number in a hand-edited file may stand between blanks or carry a '+'.
    return NumberFormat::ParseInt(found.toString().toStdString(), value,
                                  NumberFormat::kSurroundingSpace | NumberFormat::kPlusSign);
}

bool CQtSettingsStore::GetBinary(const char* key, const char* name,
                                 std::vector<uint8_t>& value) const {
    const QVariant found = Find(key, name);
    if (found.typeId() != QMetaType::QByteArray) {
        return false;
    }
    const QByteArray bytes = found.toByteArray();
    value.assign(bytes.begin(), bytes.end());
    return true;
}

bool CQtSettingsStore::Set(const char* key, const char* name, const QVariant& value) {
    if (!m_open) {
        m_error = "Can't write setting: the settings are not open";
        return false;
    }
    const QString path = MakeKey(key, name);
    if (path.isEmpty()) {
        m_error = "Can't write setting: the key or value name is not allowed";
        return false;
    }
    m_pending[path] = value;
    return true;
}

bool CQtSettingsStore::SetString(const char* key, const char* name, const std::string& value) {
    return Set(key, name, QString::fromStdString(value));
}

bool CQtSettingsStore::SetInteger(const char* key, const char* name, int64_t value) {
    return Set(key, name, QVariant::fromValue(static_cast<qlonglong>(value)));
}

bool CQtSettingsStore::SetBinary(const char* key, const char* name,
                                 const std::vector<uint8_t>& value) {
    const QByteArray bytes(reinterpret_cast<const char*>(value.data()),
                           static_cast<qsizetype>(value.size()));
    return Set(key, name, bytes);
}

bool CQtSettingsStore::Fail(const std::string& target, const std::string& reason) {
    m_error = "Can't save settings (" + target + "): " + reason;
    return false;
}

bool CQtSettingsStore::Save() {
    if (!m_open) {
        m_error = "Can't save settings: the settings are not open";
        return false;
    }
    const std::string target = SafeFiles::FollowLinks(Local(m_path));
    std::string reason;
    if (!SafeFiles::MayReplace(target, reason)) {
        return Fail(target, reason);
    }
    // A file that could not be read is kept rather than replaced by what
    // this run knows.
    if (!m_readProblem.empty() && !m_garbled) {
        return Fail(target, "the file could not be read, so it is kept as it is");
    }
    const QString targetPath = QFile::decodeName(target.c_str());
    if (!QDir().mkpath(QFileInfo(targetPath).absolutePath())) {
        return Fail(target, "can't make its folder");
    }
    SafeFiles::RemoveLeftOvers(target);
    // The INI writer writes only to a file of its own: it writes a scratch
    // file beside the target, whose bytes the safe save then puts in place.
    const std::string scratch = SafeFiles::MakeTemporaryName(target);
    if (!CreateOwnerOnlyFile(scratch)) {
        return Fail(target, std::strerror(errno));
    }
    std::string text;
    const bool written = WriteTo(QFile::decodeName(scratch.c_str())) && ReadWhole(scratch, text);
    ::unlink(scratch.c_str());
    if (!written) {
        return Fail(target, "can't write its temporary file (is the disk full?)");
    }
    if (m_garbled) {
        // The garbled file stays beside the clean one for its owner to see.
        const QString damaged = targetPath + kDamagedSuffix;
        QFile::remove(damaged);
        QFile::copy(targetPath, damaged);
    }
    CSafeSave save;
    if (!save.Begin(target, CSafeSave::kOwnerOnlyMode) || !save.Write(text.data(), text.size()) ||
        !save.Commit()) {
        return Fail(target, save.GetReason());
    }
    // What was saved is what the store now holds.
    m_pending.clear();
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    m_garbled = false;
    m_readProblem.clear();
    return true;
}

bool CQtSettingsStore::WriteTo(const QString& temporary) const {
    QSettings out(temporary, QSettings::IniFormat);
    // The temporary file is renamed into place by the store itself.
    out.setAtomicSyncRequired(false);
    // A garbled file gives only what this run writes: its garbage must not
    // be carried on from save to save.
    if (m_settings && !m_garbled) {
        for (const QString& key : m_settings->allKeys()) {
            out.setValue(key, m_settings->value(key));
        }
    }
    for (const auto& [path, value] : m_pending) {
        out.setValue(path, value);
    }
    const QStringList keys = out.allKeys();
    out.sync();
    const bool written = out.status() == QSettings::NoError;
    ::unlink((Local(temporary) + ".lock").c_str());
    // The INI writer does not see a short write (a full disk leaves its file
    // empty or cut off): what it wrote is read back, and every key must be
    // there.
    const QSettings back(temporary, QSettings::IniFormat);
    for (const QString& key : keys) {
        if (!back.contains(key)) {
            return false;
        }
    }
    return written;
}

std::string CQtSettingsStore::GetFolder() const {
    return m_path.isEmpty() ? std::string() : Local(QFileInfo(m_path).absolutePath());
}
