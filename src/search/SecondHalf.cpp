#include "SecondHalf.h"

#include <QByteArray>

#include <algorithm>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace pagelore::scan {

namespace {
// Below this a pass takes a few milliseconds; a thread would not pay.
std::atomic<qint64> g_sharedFrom{qint64(4) << 20};
std::atomic<qint64> g_heldInMemory{qint64(8) << 20};
constexpr qint64 kLookFor = 64 << 10;  // bytes searched for a record's start
}  // namespace

qint64 sharedFrom()
{
    return g_sharedFrom.load();
}

void setSharedFrom(qint64 bytes)
{
    g_sharedFrom = bytes;
}

qint64 heldInMemory()
{
    return g_heldInMemory.load();
}

void setHeldInMemory(qint64 bytes)
{
    g_heldInMemory = bytes;
}

bool sameOpenFile(int a, int b)
{
    struct stat x {}, y {};
    return ::fstat(a, &x) == 0 && ::fstat(b, &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

qint64 secondHalfStart(int fd, double share)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 2 || st.st_size < sharedFrom())
        return -1;
    // A record starts with a quote after the line end of the one before.
    const qint64 middle = std::clamp(qint64(double(st.st_size) * (1 - share)), qint64(1), qint64(st.st_size) - 1);
    QByteArray near(static_cast<qsizetype>(std::min<qint64>(kLookFor, st.st_size - middle)), Qt::Uninitialized);
    const ssize_t n = ::pread(fd, near.data(), static_cast<size_t>(near.size()), middle);
    if (n <= 0)
        return -1;
    const qsizetype at = QByteArrayView(near.constData(), n).indexOf("\n\"");
    return at < 0 ? -1 : middle + at + 1;
}

SideThread::SideThread(Job job)
{
    try {
        m_thread = std::thread([this, job = std::move(job)] { job(m_stop); });
    } catch (const std::system_error &) {
        // No thread: the first reader does it all.
    }
}

SideThread::~SideThread()
{
    m_stop = true;
    finish();
}

void SideThread::finish()
{
    if (m_thread.joinable()) {
        m_thread.join();
        m_finished = true;
    }
}

}  // namespace pagelore::scan
