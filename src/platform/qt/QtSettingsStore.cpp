#include "platform/qt/QtSettingsStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace {

// Makes the settings file, empty and for its owner only, when it is missing;
// the temporary file of a save takes the permissions of the file it replaces.
void CreateOwnerOnlyFile(const QString& path) {
    const QByteArray local = QFile::encodeName(path);
    const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::close(fd);
    }
}

// QSettings guards its writes with "<file>.lock" and treats a lock file that
// names no living process as stale only after 30 seconds, so a process
// killed while saving would stall the next save that long. A save takes
// milliseconds and one process at a time runs the application, so a lock
// older than a second is left over: taking and dropping it removes it.
void RemoveStaleLock(const QString& path) {
    QLockFile lock(path + ".lock");
    lock.setStaleLockTime(1000);
    if (lock.tryLock(2000)) {
        lock.unlock();
    }
}

// A save killed midway leaves its temporary file ("<file>.XXXXXX") beside
// the settings; the next save removes such files.
void RemoveLeftOverTemporaryFiles(const QString& path) {
    const QFileInfo info(path);
    QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList({info.fileName() + ".??????"}, QDir::Files)) {
        folder.remove(name);
    }
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
    m_existed = false;
    if (maker == nullptr || product == nullptr || !IsValidSettingsName(maker) ||
        !IsValidSettingsName(product)) {
        m_error = "Can't open settings: the maker or product name is not allowed";
        return false;
    }
    m_path = GetSettingsPath(maker, product);
    m_settings = std::make_unique<QSettings>(m_path, QSettings::IniFormat);
    m_settings->setAtomicSyncRequired(true);
    // A garbled file opens with what could be read of it, so the caller
    // keeps its defaults for the rest.
    if (m_settings->status() == QSettings::FormatError) {
        m_error = "Can't read all settings in '" + m_path.toStdString() + "': the file is garbled";
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
    if (!m_settings || path.isEmpty()) {
        return QVariant();
    }
    const auto pending = m_pending.find(path);
    return pending != m_pending.end() ? pending->second : m_settings->value(path);
}

bool CQtSettingsStore::GetString(const char* key, const char* name, std::string& value) const {
    const QVariant found = Find(key, name);
    if (found.typeId() == QMetaType::QString) {
        value = found.toString().toStdString();
        return true;
    }
    if (found.typeId() == QMetaType::LongLong) {
        value = std::to_string(found.toLongLong());
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
    bool ok = false;
    const qlonglong number = found.toString().toLongLong(&ok, 10);
    if (ok) {
        value = number;
    }
    return ok;
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
    if (!m_settings) {
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

bool CQtSettingsStore::Save() {
    if (!m_settings) {
        m_error = "Can't save settings: the settings are not open";
        return false;
    }
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        m_error = "Can't save settings: can't make the folder of '" + m_path.toStdString() + "'";
        return false;
    }
    CreateOwnerOnlyFile(m_path);
    RemoveStaleLock(m_path);
    RemoveLeftOverTemporaryFiles(m_path);
    for (const auto& [path, value] : m_pending) {
        m_settings->setValue(path, value);
    }
    m_pending.clear();
    m_settings->sync();
    if (m_settings->status() == QSettings::AccessError) {
        m_error = "Can't save settings to '" + m_path.toStdString() + "': access denied";
        return false;
    }
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}
