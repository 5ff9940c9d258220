#include "ui/startup/FolderHandOff.h"

#include "core/text/NativeName.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <memory>

namespace {

constexpr qsizetype kMagicSize = sizeof kFolderMessageMagic - 1;
static_assert(kMagicSize + 4 == kFolderMessageHeaderSize);
constexpr qsizetype kMaxMessageSize = kFolderMessageHeaderSize + kMaxFolderBytes;
constexpr int kMinimumExchangeMs = 1000;

}  // namespace

QByteArray folderMessage(const QString& folder) {
    const QByteArray path = toNative(folder);
    QByteArray message(kFolderMessageMagic, kMagicSize);
    char length[4];
    qToBigEndian(quint32(path.size()), length);
    message.append(length, 4);
    return message + path;
}

FolderMessageState readFolderMessage(const QByteArray& bytes, QString* folder) {
    const QByteArray magic(kFolderMessageMagic, kMagicSize);
    if (!magic.startsWith(bytes.left(kMagicSize)))
        return FolderMessageState::Malformed;
    if (bytes.size() < kFolderMessageHeaderSize)
        return FolderMessageState::Incomplete;
    const quint32 length = qFromBigEndian<quint32>(bytes.constData() + kMagicSize);
    if (length == 0 || length > quint32(kMaxFolderBytes))
        return FolderMessageState::Malformed;
    const QByteArray path = bytes.mid(kFolderMessageHeaderSize);
    if (path.size() > qsizetype(length))
        return FolderMessageState::Malformed;
    // Wrong from its first byte on: only an absolute path is sent, and no
    // path holds a NUL.
    if (!path.isEmpty() && path.front() != '/')
        return FolderMessageState::Malformed;
    if (path.contains('\0'))
        return FolderMessageState::Malformed;
    if (path.size() < qsizetype(length))
        return FolderMessageState::Incomplete;
    if (folder)
        *folder = fromNative(path);
    return FolderMessageState::Complete;
}

FolderReceiver::FolderReceiver(const QString& socketPath, QObject* parent)
    : QObject(parent), server_(new QLocalServer(this)) {
    // Only this user's programs may hand a folder over, also where the lock
    // had to go to the shared temporary folder.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(socketPath);
    connect(server_, &QLocalServer::newConnection, this, &FolderReceiver::acceptClients);
    server_->listen(socketPath);
}

FolderReceiver::~FolderReceiver() = default;

bool FolderReceiver::isListening() const {
    return server_->isListening();
}

void FolderReceiver::acceptClients() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        if (clients_ >= kMaxFolderClients) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        serve(socket);
    }
}

void FolderReceiver::serve(QLocalSocket* socket) {
    ++clients_;
    connect(socket, &QObject::destroyed, this, [this] { --clients_; });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto* deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    deadline->start(clientTimeoutMs_);

    auto received = std::make_shared<QByteArray>();
    const auto read = [this, socket, received, deadline] {
        if (!deadline->isActive())
            return;  // answered, or given up on
        // Never more than a message and one byte: anything longer is refused
        // without reading the rest.
        received->append(socket->read(kMaxMessageSize + 1 - received->size()));
        QString folder;
        switch (readFolderMessage(*received, &folder)) {
            case FolderMessageState::Incomplete:
                return;
            case FolderMessageState::Malformed:
                deadline->stop();
                socket->abort();
                socket->deleteLater();
                return;
            case FolderMessageState::Complete: {
                deadline->stop();
                // Opening the folder may show a box, whose event loop may
                // see the client go and delete its socket.
                const QPointer<QLocalSocket> alive(socket);
                emit folderReceived(folder);
                if (!alive)
                    return;
                socket->write(&kFolderTaken, 1);
                socket->disconnectFromServer();
                return;
            }
        }
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    // A client may have sent its message and gone before it was accepted.
    if (socket->bytesAvailable() > 0)
        read();
    if (socket->state() == QLocalSocket::UnconnectedState)
        socket->deleteLater();
}

bool sendFolder(const QString& socketPath, const QString& folder, int patienceMs) {
    const QDeadlineTimer deadline(patienceMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    // Connected at the last moment still leaves the message time to go out.
    const int rest = std::max(int(deadline.remainingTime()), kMinimumExchangeMs);
    socket.write(folderMessage(folder));
    if (!socket.waitForBytesWritten(rest))
        return false;
    // The bytes are with the running copy now, even if it is too busy to
    // answer in time; the answer only tells that it has read them.
    char answer = 0;
    const bool taken = (socket.bytesAvailable() > 0 || socket.waitForReadyRead(rest)) &&
                       socket.read(&answer, 1) == 1 && answer == kFolderTaken;
    socket.abort();
    return taken;
}
