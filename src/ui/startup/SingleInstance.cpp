#include "ui/startup/SingleInstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString defaultLockFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

// One key per installed copy, for the lock and the socket alike.
QString instanceKey() {
    QString program = QCoreApplication::applicationFilePath();
    const QString canonical = QFileInfo(program).canonicalFilePath();
    if (!canonical.isEmpty())
        program = canonical;  // a copy started through a link is the same copy
    const QByteArray hash =
        QCryptographicHash::hash(program.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStringLiteral("Tolvane-%1").arg(QString::fromLatin1(hash));
}

// The lock's path without its ending; the socket shares it.
QString instancePath(const QString& lockFolder) {
    const QString folder = lockFolder.isEmpty() ? defaultLockFolder() : lockFolder;
    QDir().mkpath(folder);
    return folder + u'/' + instanceKey();
}

}  // namespace

SingleInstance::SingleInstance(const QString& lockFolder)
    : path_(instancePath(lockFolder) + QStringLiteral(".lock")),
      socketPath_(instancePath(lockFolder) + QStringLiteral(".socket")),
      lock_(path_) {
    // A lock held by a live copy never goes stale, however long it runs; one
    // whose process is gone is recognised by its process id.
    lock_.setStaleLockTime(0);
}

bool SingleInstance::acquire() {
    if (lock_.isLocked() || lock_.tryLock(0))
        return true;
    return lock_.error() != QLockFile::LockFailedError;
}
