#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// A later start of the program hands its folder to the copy that is already
// running, over a local socket beside the single-copy lock (SingleInstance).
//
// The message is the folder's native bytes (toNative), so that a name that
// is not UTF-8 arrives unchanged: the 8 bytes "TOLVANE1", the length as 4
// bytes big-endian, then the path itself, absolute, without NUL. The running
// copy answers one byte, kFolderTaken, once it has the folder.

inline constexpr char kFolderMessageMagic[] = "TOLVANE1";
inline constexpr int kFolderMessageHeaderSize = 12;
// PATH_MAX: the kernel takes no longer path, so none is worth reading.
inline constexpr int kMaxFolderBytes = 4096;
inline constexpr char kFolderTaken = '\x06';
// Enough for a start and the hand-off racing each other; more clients at once
// than this are not later starts of the program, and the one past it is
// refused at once.
inline constexpr int kMaxFolderClients = 8;

QByteArray folderMessage(const QString& folder);

enum class FolderMessageState {
    Incomplete,  // so far, the start of a well-formed message
    Complete,    // a whole message, and no byte more
    Malformed,   // never a message, however many bytes follow
};

// Reads bytes received so far; folder gets the path of a complete message.
FolderMessageState readFolderMessage(const QByteArray& bytes, QString* folder = nullptr);

// The running copy's side: listens at socketPath and announces every folder
// that arrives in a well-formed message. It reads as the bytes come, never
// waiting for them, so a slow or silent client cannot hold up the windows: a
// client has clientTimeoutMs for its message, more bytes than a message or
// anything malformed end its connection, and nothing is announced then.
class FolderReceiver : public QObject {
    Q_OBJECT
public:
    // The caller holds the single-copy lock, so a socket already at
    // socketPath was left by a copy that is gone, and is replaced.
    explicit FolderReceiver(const QString& socketPath, QObject* parent = nullptr);
    ~FolderReceiver() override;

    bool isListening() const;
    void setClientTimeout(int ms) { clientTimeoutMs_ = ms; }
    // Clients served at the moment.
    int clientCount() const { return clients_; }

signals:
    void folderReceived(const QString& folder);

private:
    void acceptClients();
    void serve(QLocalSocket* socket);

    QLocalServer* server_ = nullptr;
    int clientTimeoutMs_ = 2000;
    int clients_ = 0;
};

// The later start's side: sends folder to the copy listening at socketPath.
// That copy may hold the lock a moment before it listens, so a refused
// connection is tried again until patienceMs have passed. True when the
// running copy answered that it has the folder.
bool sendFolder(const QString& socketPath, const QString& folder, int patienceMs);
