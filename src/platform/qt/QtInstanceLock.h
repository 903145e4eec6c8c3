#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QStringList>

#include <memory>
#include <string>

#include "platform/InstanceLock.h"

// The single-instance lock as a lock file of the running user, named after
// the user, beside the user's settings (or in the runtime or temporary folder
// when no file can be made there). A lock left by a process that died is
// recognised by its process id and taken over. The holder listens on a local
// socket beside the lock file (readable by the user alone) for messages.
class CQtInstanceLock : public IInstanceLock {
public:
    static constexpr int kSendWaitMs = 1000;

    ~CQtInstanceLock() override;
    bool TryAcquire(const char* name) override;
    bool ListenForMessages(MessageReceiver receiver) override;
    bool SendToHolder(const std::string& message) override;
    // The folders tried for the lock, first choice first.
    static QStringList GetLockFolders();
    // Where the lock of name lives in folder.
    static QString GetLockPath(const QString& folder, const char* name);
    // Where the holder of the lock of name in folder listens.
    static QString GetSocketPath(const QString& folder, const char* name);

private:
    void TakeConnection();

    std::unique_ptr<QLockFile> m_lock;
    std::string m_name;
    QString m_socketPath;  // the holder's socket: beside the lock held or found held
    std::unique_ptr<QLocalServer> m_server;
    MessageReceiver m_receiver;
};
