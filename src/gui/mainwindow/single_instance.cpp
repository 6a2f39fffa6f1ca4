#include "gui/mainwindow/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

QString runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}

}  // namespace

CSingleInstance::CSingleInstance(const QString& name)
    : m_name(name + "-" + QString::number(getuid())),
      m_lock(std::make_unique<QLockFile>(runtimeFolder() + "/" + m_name + ".lock")) {
    // A lock left by a crashed start is taken over at once.
    m_lock->setStaleLockTime(0);
}

CSingleInstance::~CSingleInstance() {
    m_server.close();
}

bool CSingleInstance::Claim() {
    if (!m_lock->tryLock(0)) {
        return false;
    }
    // A socket left behind by a crashed start is in the way of listening.
    QLocalServer::removeServer(m_name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_name);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}

bool CSingleInstance::HandOver() {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(3000)) {
        return false;
    }
    socket.write("show\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}
