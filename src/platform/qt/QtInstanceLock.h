#pragma once

#include <QLockFile>
#include <QStringList>

#include <memory>
#include <string>

#include "platform/InstanceLock.h"

// The single-instance lock as a lock file of the running user, named after
// the user, beside the user's settings (or in the runtime or temporary folder
// when no file can be made there). A lock left by a process that died is
// recognised by its process id and taken over.
class CQtInstanceLock : public IInstanceLock {
public:
    bool TryAcquire(const char* name) override;
    // The folders tried for the lock, first choice first.
    static QStringList GetLockFolders();
    // Where the lock of name lives in folder.
    static QString GetLockPath(const QString& folder, const char* name);

private:
    std::unique_ptr<QLockFile> m_lock;
    std::string m_name;
};
