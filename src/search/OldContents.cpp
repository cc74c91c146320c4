#include "OldContents.h"

#include <QFile>

#include <system_error>
#include <thread>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pagelore {

OldContents::OldContents(std::initializer_list<QString> paths)
{
    for (const QString &path : paths)
        if (const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC); fd >= 0)
            m_fds.push_back(fd);
}

OldContents::~OldContents()
{
    release();
}

void OldContents::release()
{
    for (const int fd : m_fds)
        ::close(fd);
    m_fds.clear();
}

bool OldContents::replaceWithEmpty(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    if (::lstat(name.constData(), &before) != 0 || !S_ISREG(before.st_mode) || before.st_nlink != 1
        || before.st_uid != ::geteuid() || before.st_size == 0 || ::access(name.constData(), W_OK) != 0)
        return false;
    const int old = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (old < 0)
        return false;
    // The very file looked at, and an empty one made beside it and renamed
    // over it: the name never stands for no file.
    struct stat held {};
    QByteArray temporary = name + ".XXXXXX";
    int fresh = -1;
    bool done = ::fstat(old, &held) == 0 && held.st_ino == before.st_ino && held.st_dev == before.st_dev
                && (fresh = ::mkostemp(temporary.data(), O_CLOEXEC)) >= 0;
    const bool made = fresh >= 0;
    if (made) {
        done = ::fchmod(fresh, before.st_mode & 07777) == 0;
        done = ::close(fresh) == 0 && done;
        done = done && ::rename(temporary.constData(), name.constData()) == 0;
    }
    if (!done) {
        if (made)
            ::unlink(temporary.constData());
        ::close(old);
        return false;
    }
    m_fds.push_back(old);
    return true;
}

void OldContents::releaseLater()
{
    try {
        std::thread([fds = m_fds] {
            for (const int fd : fds)
                ::close(fd);
        }).detach();
        m_fds.clear();
    } catch (const std::system_error &) {
        // No thread to be had: the destructor closes them here.
    }
}

}  // namespace pagelore
