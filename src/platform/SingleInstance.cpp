#include "SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace pagelore {

QString SingleInstance::defaultLockPath(const QString &name)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QLatin1Char('/') + name + QStringLiteral(".lock");
}

SingleInstance::SingleInstance(const QString &name)
    : m_path(defaultLockPath(name)), m_lock(std::make_unique<QLockFile>(m_path))
{
    // A lock is never stale by age alone: a running copy may sit idle for
    // days. QLockFile still takes over a lock whose process has gone.
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Result SingleInstance::acquire()
{
    if (m_lock->isLocked() || m_lock->tryLock(0))
        return Result::Acquired;
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        return Result::HeldByAnother;
    case QLockFile::NoError:
    case QLockFile::PermissionError:
    case QLockFile::UnknownError:
        break;
    }
    return Result::Unavailable;
}

}  // namespace pagelore
