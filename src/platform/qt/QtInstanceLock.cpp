#include "platform/qt/QtInstanceLock.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString SafeName(const char* name) {
    QString safe = QString::fromUtf8(name != nullptr ? name : "");
    for (QChar& c : safe) {
        if (!c.isLetterOrNumber() && c != '-' && c != '{' && c != '}') {
            c = '_';
        }
    }
    return safe;
}

// A folder of the running user's own that exists or can be made.
bool IsUsable(const QString& folder) {
    return !folder.isEmpty() && QDir().mkpath(folder) && QFileInfo(folder).isDir();
}

}  // namespace

QStringList CQtInstanceLock::GetLockFolders() {
    // Beside the settings the instance guards, so that two sessions of one
    // user (each with a runtime folder of its own) never share them; the
    // runtime folder and the temporary folder when the settings folder can't
    // take a file.
    QStringList folders;
    folders << QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        folders << runtime;
    }
    folders << QDir::tempPath();
    return folders;
}

QString CQtInstanceLock::GetLockPath(const QString& folder, const char* name) {
    // Keyed by the user: in a shared folder another user's lock is another file.
    return folder + "/notara-" + QString::number(getuid()) + "-" + SafeName(name) + ".lock";
}

bool CQtInstanceLock::TryAcquire(const char* name) {
    if (m_lock && m_lock->isLocked()) {
        return m_name == name;
    }
    for (const QString& folder : GetLockFolders()) {
        if (!IsUsable(folder)) {
            continue;
        }
        auto lock = std::make_unique<QLockFile>(GetLockPath(folder, name));
        lock->setStaleLockTime(0);  // held as long as the process lives
        if (lock->tryLock(0)) {
            m_lock = std::move(lock);
            m_name = name != nullptr ? name : "";
            return true;
        }
        if (lock->error() == QLockFile::LockFailedError) {
            return false;  // another instance holds it
        }
        // The folder takes no file: the next one is tried.
    }
    return false;
}
