#include "UnfinishedRecord.h"

#include "ArticleRecord.h"
#include "FileOps.h"
#include "RecordFileCodec.h"
#include "StorageError.h"

#include <QFile>

#include <unistd.h>

namespace pagelore::UnfinishedRecord {

namespace {

using K = StorageError::Kind;

QByteArray readRange(QFile &file, qint64 from, qint64 size)
{
    if (!file.seek(from))
        throw StorageError(K::ReadFailed, file.fileName(), file.errorString());
    QByteArray bytes = file.read(size);
    if (bytes.size() != size)
        throw StorageError(K::ReadFailed, file.fileName(), file.errorString());
    return bytes;
}

} // namespace

bool mayBe(const StorageError &error)
{
    return error.kind() == K::UnexpectedEnd || error.kind() == K::UnterminatedQuote;
}

std::optional<qint64> find(const QString &articlePath)
{
    RecordFileCodec file(articlePath, RecordFileCodec::OpenMode::Read);
    while (!file.AtEnd()) {
        const qint64 start = file.position();
        try {
            ArticleRecord::read(file);
        } catch (const StorageError &error) {
            if (error.isFormatError() && mayBe(error))
                return start;
            if (error.isFormatError())
                return std::nullopt;
            throw;
        }
    }
    return std::nullopt;
}

QString asidePath(const QString &articlePath)
{
    return articlePath + QStringLiteral(".unfinished");
}

void setAside(const QString &articlePath, qint64 offset)
{
    QFile article(articlePath);
    if (!article.open(QIODevice::ReadOnly))
        throw StorageError(K::OpenFailed, articlePath, article.errorString());
    const qint64 size = article.size();
    if (offset < 0 || offset > size)
        throw StorageError(K::ReadFailed, articlePath);

    // The unfinished bytes first, so that they are safe on disk before the
    // article file lets go of them.
    const QString aside = asidePath(articlePath);
    QFile out(aside);
    const QByteArray tail = readRange(article, offset, size - offset);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        throw StorageError(K::WriteFailed, aside, out.errorString());
    const qint64 before = out.size();
    if (out.write(tail) != tail.size() || ::fsync(out.handle()) != 0) {
        out.resize(before);
        throw StorageError(K::WriteFailed, aside, out.errorString());
    }
    out.close();
    FileOps::syncFolderOf(aside);

    FileOps::ReplacementFile whole(articlePath);
    constexpr qint64 kChunk = 1 << 20;
    for (qint64 at = 0; at < offset; at += kChunk)
        whole.write(readRange(article, at, std::min(kChunk, offset - at)));
    article.close();
    whole.commit();
}

} // namespace pagelore::UnfinishedRecord
