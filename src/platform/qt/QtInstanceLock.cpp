#include "platform/qt/QtInstanceLock.h"

#include <QDir>
#include <QFileInfo>

QString CQtInstanceLock::GetLockPath(const char* name) {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QDir::tempPath();
    }
    QString safe = QString::fromUtf8(name != nullptr ? name : "");
    for (QChar& c : safe) {
        if (!c.isLetterOrNumber() && c != '-' && c != '{' && c != '}') {
            c = '_';
        }
    }
    return folder + "/notara-" + safe + ".lock";
}

bool CQtInstanceLock::TryAcquire(const char* name) {
    if (m_lock && m_lock->isLocked()) {
        return m_lock->fileName() == GetLockPath(name);
    }
    m_lock = std::make_unique<QLockFile>(GetLockPath(name));
    m_lock->setStaleLockTime(0);  // held as long as the process lives
    return m_lock->tryLock(0);
}
