#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace pagelore {

// The single-copy rule: a lock file in the per-user runtime folder, held for
// as long as the program runs. The lock of a copy that crashed names a
// process that no longer exists and is taken over.
class SingleInstance {
public:
    enum class Result {
        Acquired,        // this is the only running copy
        HeldByAnother,   // another copy runs: this one must end
        Unavailable,     // the lock cannot be made (folder not writable); run unguarded
    };

    explicit SingleInstance(const QString &name);
    ~SingleInstance();

    Result acquire();
    QString lockPath() const { return m_path; }

    static QString defaultLockPath(const QString &name);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

}  // namespace pagelore
