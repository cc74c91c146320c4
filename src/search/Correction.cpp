#include "Correction.h"

#include "ArticleScan.h"

#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"

#include <QFile>

namespace pagelore {

namespace {

// Whether a canonical record's bytes may stand for the article's values:
// they may unless a text is one the code page writes by a one-way mapping,
// whose bytes read back as another text.
bool sameWhenBytesAre(const ArticleRecord &a)
{
    for (const QString *text : {&a.Title, &a.Writer, &a.Magazine, &a.Category, &a.PublicationForm, &a.Content,
                                &a.Keyword1, &a.Keyword2, &a.Keyword3, &a.ImageBase})
        if (!scan::StoredSpelling::of(*text).representable)
            return false;
    return true;
}

void copyRange(QFile &in, qint64 from, qint64 to, FileOps::ReplacementFile &out)
{
    constexpr qint64 kBlock = 1 << 20;
    if (!in.seek(from))
        throw StorageError(StorageError::Kind::ReadFailed, in.fileName(), in.errorString());
    QByteArray block(kBlock, Qt::Uninitialized);
    for (qint64 at = from; at < to;) {
        const qint64 n = in.read(block.data(), std::min(kBlock, to - at));
        if (n <= 0)
            throw StorageError(StorageError::Kind::ReadFailed, in.fileName(), in.errorString());
        out.write(QByteArrayView(block.constData(), n));
        at += n;
    }
}

} // namespace

Replacement ReplaceArticle(const QString &dataFolder, const ArticleRecord &original,
                           const ArticleRecord &corrected)
{
    const QByteArray newBytes = corrected.encode();
    QByteArray wanted;
    try {
        wanted = original.encode();
    } catch (const FieldEncodeError &) {
        return {}; // no stored article can hold what the file cannot carry
    }
    const bool byBytes = sameWhenBytesAre(original);
    const QString path = DataFiles::path(dataFolder, DataFiles::ArticleFile);

    // Records up to the one replaced are read as a search reads them, so a
    // malformed one before it stops the correction; those after it are
    // copied as they stand, unread.
    Replacement r;
    RecordFileCodec articles(path, RecordFileCodec::OpenMode::Read);
    scan::ArticleScanner scanner(articles);
    scan::ScannedArticle article;
    while (!articles.AtEnd()) {
        const qint64 offset = articles.position();
        scanner.next(article);
        const bool equal = article.canonical ? byBytes && article.whole == wanted : *article.converted == original;
        if (equal) {
            r = {Replacement::Outcome::Replaced,
                 {offset, quint32(article.recordNumber)},
                 article.whole.size(),
                 newBytes.size()};
            break;
        }
    }
    articles.close();
    if (r.outcome == Replacement::Outcome::NotFound)
        return r;

    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw StorageError(StorageError::Kind::OpenFailed, path, in.errorString());
    FileOps::ReplacementFile out(path);
    copyRange(in, 0, r.place.offset, out);
    out.write(newBytes);
    copyRange(in, r.place.offset + r.oldSize, in.size(), out);
    in.close();
    out.commit();
    return r;
}

} // namespace pagelore
