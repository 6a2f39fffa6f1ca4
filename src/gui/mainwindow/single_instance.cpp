#include "gui/mainwindow/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

QString runtimeFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}

}  // namespace

CSingleInstance::CSingleInstance(const QString& name)
    : m_socket(runtimeFolder() + "/" + name + "-" + QString::number(getuid()) + ".socket"),
      m_lock(std::make_unique<QLockFile>(runtimeFolder() + "/" + name + "-" +
                                         QString::number(getuid()) + ".lock")) {
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
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    Listen();
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    // A socket file removed behind our back (a cleaner of the folder) is made again, so that a
    // later start still reaches this one.
    connect(&m_watch, &QTimer::timeout, this, [this] {
        if (!QFileInfo::exists(m_socket)) {
            Listen();
        }
    });
    m_watch.start(kSocketCheckMs);
    return true;
}

void CSingleInstance::Listen() {
    m_server.close();
    // A socket left behind by a crashed start is in the way of listening.
    QLocalServer::removeServer(m_socket);
    m_server.listen(m_socket);
}

bool CSingleInstance::HandOver() {
    QLocalSocket socket;
    socket.connectToServer(m_socket);
    if (!socket.waitForConnected(3000)) {
        return false;
    }
    socket.write("show\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
    return true;
}
