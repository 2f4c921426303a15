#include "ui/qt/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>

#include <unistd.h>

namespace ui {

namespace {

constexpr char kRequest[] = "show\n";
constexpr char kAnswer[] = "shown\n";
// A request is one short line; more from a connection is not a request.
constexpr qint64 kLongestRequest = 64;
// How long a start waits for another one that claims the same folder at the same moment.
constexpr std::chrono::milliseconds kClaimLockLimit{1000};

QString serverNameFor(const std::string& dataFolder) {
    const QFileInfo folder(QString::fromStdString(dataFolder));
    QString canonical = folder.canonicalFilePath();
    if (canonical.isEmpty()) {
        canonical = QDir::cleanPath(folder.absoluteFilePath());
    }
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(canonical), QCryptographicHash::Sha256).toHex().left(16);
    // The runtime folder is the user's alone; the temporary folder is shared,
    // which is why the user's id is in the name and the socket's owner is checked.
    QString folderOfSockets = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!QDir::isAbsolutePath(folderOfSockets) || !QFileInfo(folderOfSockets).isDir()) {
        folderOfSockets = QDir::tempPath();
    }
    return folderOfSockets + QStringLiteral("/sentrel-") + QString::number(::getuid()) + QLatin1Char('-') +
           QString::fromLatin1(hash);
}

int remainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
}

} // namespace

SingleInstance::SingleInstance(const std::string& dataFolder) : m_name(serverNameFor(dataFolder)) {}

SingleInstance::Claim SingleInstance::claim() {
    const QDeadlineTimer deadline(kClaimLimit);
    // Two starts at the same moment would both find no server and both listen:
    // they claim one after the other. A lock not had in time (its holder hangs,
    // or the file cannot be made) does not keep this start from running.
    QLockFile claiming(m_name + QStringLiteral(".lock"));
    claiming.tryLock(kClaimLockLimit);
    // A program that is ending lets the folder go when asked: then once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        switch (ask(deadline)) {
        case Asked::Forwarded:
            return Claim::Forwarded;
        case Asked::Unanswered:
            return Claim::Unanswered;
        case Asked::Foreign:
            return Claim::Alone;
        case Asked::NoServer:
            return listen() ? Claim::First : Claim::Alone;
        case Asked::Gone:
            break;
        }
    }
    return listen() ? Claim::First : Claim::Alone;
}

SingleInstance::Asked SingleInstance::ask(const QDeadlineTimer& deadline) const {
    const QFileInfo socketFile(m_name);
    if (!socketFile.exists()) {
        return Asked::NoServer;
    }
    if (socketFile.ownerId() != ::getuid()) {
        return Asked::Foreign; // not this user's: neither asked nor replaced
    }
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(remainingMs(deadline))) {
        // Refused: nobody listens there any more, the socket is a killed program's.
        const auto error = socket.error();
        return error == QLocalSocket::ServerNotFoundError || error == QLocalSocket::ConnectionRefusedError
                   ? Asked::NoServer
                   : Asked::Unanswered;
    }
    socket.write(kRequest);
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(remainingMs(deadline))) {
            return socket.state() == QLocalSocket::UnconnectedState ? Asked::Gone : Asked::Unanswered;
        }
    }
    return socket.readLine() == kAnswer ? Asked::Forwarded : Asked::Gone;
}

bool SingleInstance::listen() {
    // Only a socket that answered no connection is left under the name.
    QLocalServer::removeServer(m_name);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_name)) {
        return false;
    }
    QObject::connect(&m_server, &QLocalServer::newConnection, &m_server, [this] {
        while (QLocalSocket* connection = m_server.nextPendingConnection()) {
            QObject::connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
            QObject::connect(connection, &QLocalSocket::readyRead, connection,
                             [this, connection] { answer(*connection); });
        }
    });
    return true;
}

void SingleInstance::answer(QLocalSocket& connection) {
    if (!connection.canReadLine()) {
        if (connection.bytesAvailable() > kLongestRequest) {
            connection.abort();
            connection.deleteLater();
        }
        return;
    }
    if (connection.readLine(kLongestRequest) != kRequest) {
        connection.abort();
        connection.deleteLater();
        return;
    }
    // Before the window has a handler for it, the window is about to be shown anyway.
    if (onRequest && !onRequest()) {
        m_server.close(); // removes the socket: the asking start takes the folder
        connection.abort();
        connection.deleteLater();
        return;
    }
    connection.write(kAnswer);
    connection.disconnectFromServer(); // after what was written has gone
}

} // namespace ui
