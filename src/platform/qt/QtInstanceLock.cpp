#include "platform/qt/QtInstanceLock.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
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

CQtInstanceLock::~CQtInstanceLock() {
    if (m_server) {
        m_server->close();  // removes the socket file
    }
}

QString CQtInstanceLock::GetSocketPath(const QString& folder, const char* name) {
    // Short, so that the path stays within a socket address's length: the
    // name goes in as a hash (FNV-1a, the same in every process).
    constexpr uint32_t kOffset = 2166136261u;
    constexpr uint32_t kPrime = 16777619u;
    uint32_t hash = kOffset;
    for (const char* c = name != nullptr ? name : ""; *c != '\0'; ++c) {
        hash = (hash ^ static_cast<unsigned char>(*c)) * kPrime;
    }
    return folder + "/notara-" + QString::number(getuid()) + "-" + QString::number(hash, 16) +
           ".sock";
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
        m_socketPath = GetSocketPath(folder, name);
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

bool CQtInstanceLock::ListenForMessages(MessageReceiver receiver) {
    if (!m_lock || !m_lock->isLocked()) {
        return false;
    }
    m_receiver = std::move(receiver);
    if (m_server) {
        return true;
    }
    // A socket left by a holder that died is in the way: the lock is ours.
    QLocalServer::removeServer(m_socketPath);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_socketPath)) {
        return false;
    }
    QObject::connect(server.get(), &QLocalServer::newConnection, [this] { TakeConnection(); });
    m_server = std::move(server);
    return true;
}

void CQtInstanceLock::TakeConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto bytes = std::make_shared<QByteArray>();
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, bytes] {
            bytes->append(socket->readAll());
            if (static_cast<size_t>(bytes->size()) > kMaxMessage) {
                socket->abort();  // more than a message: not one of ours
            }
        });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, [this, socket, bytes] {
            bytes->append(socket->readAll());
            socket->deleteLater();
            if (m_receiver && !bytes->isEmpty() &&
                static_cast<size_t>(bytes->size()) <= kMaxMessage) {
                m_receiver(bytes->toStdString());
            }
        });
    }
}

bool CQtInstanceLock::SendToHolder(const std::string& message) {
    if (m_socketPath.isEmpty() || (m_lock && m_lock->isLocked()) || message.empty() ||
        message.size() > kMaxMessage) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kSendWaitMs)) {
        return false;
    }
    const qint64 written = socket.write(message.data(), static_cast<qint64>(message.size()));
    const bool sent = written == static_cast<qint64>(message.size()) &&
                      (socket.bytesToWrite() == 0 || socket.waitForBytesWritten(kSendWaitMs));
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState) {
        socket.waitForDisconnected(kSendWaitMs);
    }
    return sent;
}
