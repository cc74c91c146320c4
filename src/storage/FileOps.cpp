#include "FileOps.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

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

}  // namespace

void ensureFileExists(const QString &path)
{
    const QFileInfo info(path);
    if (info.isFile())
        return;
    refuseFolder(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw StorageError(K::WriteFailed, path, file.errorString());
    file.close();
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
    struct stat sa {}, sb {};
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

ReplacementFile::ReplacementFile(const QString &path) : m_path(path), m_file(std::make_unique<QSaveFile>(path))
{
    refuseFolder(path);
    m_file->setDirectWriteFallback(false);
    // Unbuffered, so a short write (a full disk) shows in write()'s count:
    // a buffered QSaveFile loses that error in its final flush and commits
    // the cut-off file.
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw StorageError(K::WriteFailed, path, m_file->errorString());
    m_buffer.reserve(kChunk);
}

ReplacementFile::~ReplacementFile()
{
    if (m_file->isOpen())
        m_file->cancelWriting();
}

void ReplacementFile::writeThrough(QByteArrayView bytes)
{
    if (m_file->write(bytes.data(), bytes.size()) != bytes.size()) {
        const QString reason = m_file->errorString();
        m_file->cancelWriting();
        throw StorageError(K::WriteFailed, m_path, reason);
    }
}

void ReplacementFile::flush()
{
    if (m_buffer.isEmpty())
        return;
    writeThrough(m_buffer);
    m_buffer.resize(0);  // keeps its room for the next records
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

void ReplacementFile::commit()
{
    flush();
    if (!m_file->commit())
        throw StorageError(K::WriteFailed, m_path, m_file->errorString());
}

}  // namespace pagelore::FileOps
