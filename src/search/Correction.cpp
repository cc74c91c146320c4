#include "Correction.h"

#include "ArticleScan.h"

#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"

#include <QFile>
#include <QFileInfo>

#include <system_error>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

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

// Copies the file from `from` to its end.
void copyRest(const QString &path, qint64 from, FileOps::ReplacementFile &out)
{
    constexpr qint64 kBlock = 1 << 20;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly) || !in.seek(from))
        throw StorageError(StorageError::Kind::ReadFailed, path, in.errorString());
    QByteArray block(kBlock, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(block.data(), kBlock);
        if (n < 0)
            throw StorageError(StorageError::Kind::ReadFailed, path, in.errorString());
        if (n == 0)
            break;
        out.write(QByteArrayView(block.constData(), n));
    }
}

// The old article file, held open across the rename and let go on a helper
// thread: the last reference to a replaced file gives its pages back to the
// system, which takes milliseconds for a large collection (the removal does
// the same).
class OldFile {
public:
    explicit OldFile(const QString &path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
    {
    }
    ~OldFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OldFile(const OldFile &) = delete;
    OldFile &operator=(const OldFile &) = delete;

    void releaseLater()
    {
        try {
            std::thread([fd = m_fd] {
                if (fd >= 0)
                    ::close(fd);
            }).detach();
            m_fd = -1;
        } catch (const std::system_error &) {
            // No thread to be had: the destructor closes it here.
        }
    }

private:
    int m_fd;
};

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
    // malformed one before it stops the correction, and go to the new file
    // as the bytes they are; the rest of the file is copied as it stands.
    Replacement r;
    RecordFileCodec articles(path, RecordFileCodec::OpenMode::Read);
    FileOps::ReplacementFile out(path);
    out.expect(QFileInfo(path).size());  // about as long as before
    scan::ArticleScanner scanner(articles);
    scan::ScannedArticle article;
    constexpr qsizetype kBlock = 1 << 20;
    QByteArray kept;
    kept.reserve(kBlock + 4096);
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
        kept.append(article.whole);
        if (kept.size() >= kBlock) {
            out.write(kept);
            kept.resize(0);
        }
    }
    // Nothing equal: the new file is dropped unwritten.
    if (r.outcome == Replacement::Outcome::NotFound)
        return r;
    kept.append(newBytes);
    kept.append(articles.unread());
    out.write(kept);
    const qint64 rest = articles.position() + articles.unread().size();
    articles.close();
    copyRest(path, rest, out);
    OldFile old(path);
    out.commit();
    old.releaseLater();
    return r;
}

} // namespace pagelore
