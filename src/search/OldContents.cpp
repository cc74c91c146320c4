#include "OldContents.h"

#include <QFile>

#include <system_error>
#include <thread>

#include <fcntl.h>
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
