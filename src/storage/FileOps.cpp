#include "FileOps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pagelore::FileOps {

namespace {

using K = StorageError::Kind;
constexpr qsizetype kChunk = 1 << 20;
constexpr qsizetype kWriteThrough = 64 << 10;

void refuseFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw StorageError(K::NotAFile, path);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

bool ensureFileExists(const QString &path)
{
    const QFileInfo info(path);
    if (info.isFile())
        return false;
    refuseFolder(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw StorageError(K::WriteFailed, path, file.errorString());
    if (::fsync(file.handle()) != 0)
        throw StorageError(K::WriteFailed, path, systemReason(errno));
    file.close();
    return true;
}

void syncFolderOf(const QString &path)
{
    const QString folder = QFileInfo(path).absolutePath();
    const int fd = ::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

void emptyFile(const QString &path)
{
    refuseFolder(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw StorageError(K::WriteFailed, path, file.errorString());
    file.close();
}

void appendRecord(const QString &path, const Record &record)
{
    const QByteArray bytes = RecordFileCodec::encodeRecord(record);
    RecordFileCodec file(path, RecordFileCodec::OpenMode::Append);
    file.writeEncoded(bytes);
    file.close();
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void checkReadableFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw StorageError(K::FileMissing, path);
    if (!info.isFile())
        throw StorageError(K::NotAFile, path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw StorageError(K::OpenFailed, path, file.errorString());
}

void copyFileReplacing(const QString &source, const QString &target)
{
    checkReadableFile(source);
    if (sameFile(source, target))
        throw StorageError(K::SameFile, target);
    refuseFolder(target);
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw StorageError(K::OpenFailed, source, in.errorString());
    ReplacementFile out(target);
    QByteArray chunk(kChunk, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(chunk.data(), chunk.size());
        if (n < 0)
            throw StorageError(K::ReadFailed, source, in.errorString());
        if (n == 0)
            break;
        out.write(QByteArrayView(chunk.constData(), n));
    }
    out.commit();
}

QString ReplacementFile::temporaryPath(const QString &target)
{
    return target + QStringLiteral(".pagelore-new");
}

ReplacementFile::ReplacementFile(const QString &path) : m_path(path), m_target(path)
{
    refuseFolder(path);
    const QFileInfo info(path);
    if (info.isSymLink())
        m_target = info.symLinkTarget();
    m_temp = temporaryPath(m_target);
    // A rename needs only the folder's permission; a file the user made
    // read-only is refused as every other writer refuses it.
    if (::access(nativePath(m_target).constData(), W_OK) != 0 && errno != ENOENT)
        throw StorageError(K::WriteFailed, path, systemReason(errno));
    // Left by a replacement that a crash or power cut interrupted.
    ::unlink(nativePath(m_temp).constData());
    struct stat old {};
    const mode_t mode = ::stat(nativePath(m_target).constData(), &old) == 0 ? (old.st_mode & 07777) : 0666;
    m_fd = ::open(nativePath(m_temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (m_fd < 0)
        throw StorageError(K::WriteFailed, path, systemReason(errno));
    m_buffer.reserve(kChunk);
}

ReplacementFile::~ReplacementFile()
{
    discard();
}

void ReplacementFile::discard()
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    ::unlink(nativePath(m_temp).constData());
}

void ReplacementFile::fail(const QString &reason)
{
    discard();
    throw StorageError(K::WriteFailed, m_path, reason);
}

void ReplacementFile::writeThrough(QByteArrayView bytes)
{
    if (m_fd < 0)
        throw StorageError(K::WriteFailed, m_path);
    const char *p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(systemReason(n < 0 ? errno : ENOSPC));
        p += n;
        left -= n;
        m_written += n;
    }
}

void ReplacementFile::flush()
{
    if (m_buffer.isEmpty())
        return;
    writeThrough(m_buffer);
    m_buffer.resize(0); // keeps its room for the next records
}

void ReplacementFile::expect(qint64 bytes)
{
    if (m_fd >= 0 && bytes > m_expected && ::fallocate(m_fd, FALLOC_FL_KEEP_SIZE, 0, bytes) == 0)
        m_expected = bytes;
}

void ReplacementFile::write(QByteArrayView bytes)
{
    // A large block would only be copied into the buffer and out again (and
    // the buffer's fresh pages be faulted in for it).
    if (bytes.size() >= kWriteThrough) {
        flush();
        writeThrough(bytes);
        return;
    }
    m_buffer.append(bytes);
    if (m_buffer.size() >= kChunk)
        flush();
}

bool ReplacementFile::copyAt(int fd, qint64 offset, qint64 length, qint64 at) const
{
    if (m_fd < 0) {
        errno = EBADF;
        return false;
    }
    return length <= 0 || copyRange(fd, offset, length, m_fd, at);
}

void ReplacementFile::finishCopies(qint64 length, int error)
{
    flush();
    if (m_fd < 0)
        throw StorageError(K::WriteFailed, m_path);
    if (error != 0)
        fail(systemReason(error));
    if (::ftruncate(m_fd, length) != 0 || ::lseek(m_fd, length, SEEK_SET) < 0)
        fail(systemReason(errno));
    m_written = length;
}

void ReplacementFile::commit()
{
    flush();
    if (m_fd < 0)
        throw StorageError(K::WriteFailed, m_path);
    // Cutting the file at its own length gives back the room taken beyond it.
    if (m_expected > m_written && ::ftruncate(m_fd, m_written) != 0)
        fail(systemReason(errno));
    if (::fdatasync(m_fd) != 0)
        fail(systemReason(errno));
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0 || ::rename(nativePath(m_temp).constData(), nativePath(m_target).constData()) != 0) {
        const int error = errno;
        ::unlink(nativePath(m_temp).constData());
        throw StorageError(K::WriteFailed, m_path, systemReason(error));
    }
    syncFolderOf(m_target);
}

UnnamedFile::~UnnamedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool UnnamedFile::open(const QString &folder)
{
    if (m_fd < 0)
        m_fd = ::open(nativePath(folder).constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    return m_fd >= 0;
}

bool UnnamedFile::write(QByteArrayView bytes)
{
    m_buffer.append(bytes);
    return m_buffer.size() < kChunk || flush();
}

bool UnnamedFile::flush()
{
    const char *p = m_buffer.constData();
    qsizetype left = m_failed || m_fd < 0 ? 0 : m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_failed = true;
            break;
        }
        p += n;
        left -= n;
        m_written += n;
    }
    m_buffer.resize(0);
    m_failed = m_failed || m_fd < 0;
    return !m_failed;
}

bool copyRange(int from, qint64 offset, qint64 length, int to, qint64 toAt)
{
    off_t at = offset;
    off_t place = toAt;
    off_t *const placed = toAt >= 0 ? &place : nullptr;
    bool inKernel = true;
    QByteArray buffer;
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<qint64>(length, kChunk * 64));
        ssize_t n = -1;
        if (inKernel) {
            n = ::copy_file_range(from, &at, to, placed, want, 0);
            // Not between these file systems, or not on this kernel: by hand.
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                inKernel = false;
                continue;
            }
        } else {
            buffer.resize(kChunk);
            n = ::pread(from, buffer.data(), std::min<size_t>(want, kChunk), at);
            for (ssize_t done = 0; done < n;) {
                const auto left = static_cast<size_t>(n - done);
                const ssize_t w = placed ? ::pwrite(to, buffer.constData() + done, left, place)
                                         : ::write(to, buffer.constData() + done, left);
                if (w < 0 && errno == EINTR)
                    continue;
                if (w <= 0) {
                    errno = w < 0 ? errno : ENOSPC;
                    return false;
                }
                done += w;
                place += w;
            }
            at += std::max<ssize_t>(n, 0);
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno = n < 0 ? errno : ENODATA;
            return false;
        }
        length -= n;
    }
    return true;
}

} // namespace pagelore::FileOps
