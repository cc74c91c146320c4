#include "Search.h"

#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"

#include <array>

namespace pagelore {

ShownCandidate ShownCandidate::fromArticle(const ArticleRecord &a)
{
    return ShownCandidate{a.Title,    a.Writer,          a.Magazine,        a.FirstPage, a.LastPage,
                          a.Category, a.PublicationForm, a.PublicationDate, a.Content,   a.Keyword1,
                          a.Keyword2, a.Keyword3};
}

bool ShownCandidate::matches(const ArticleRecord &a) const
{
    return Title == a.Title && Writer == a.Writer && Magazine == a.Magazine && FirstPage == a.FirstPage
           && LastPage == a.LastPage && Category == a.Category && PublicationForm == a.PublicationForm
           && PublicationDate == a.PublicationDate && Content == a.Content && Keyword1 == a.Keyword1
           && Keyword2 == a.Keyword2 && Keyword3 == a.Keyword3;
}

RemovalOutcome RemoveArticle(const QString &dataFolder, const ShownCandidate &candidate)
{
    const QString articlePath = DataFiles::path(dataFolder, DataFiles::ArticleFile);
    const QString scratchPath = DataFiles::path(dataFolder, DataFiles::ScratchFile);

    // A scratch file that is a link to the article file would be replaced by
    // the kept articles under the article file's name before the final step.
    if (FileOps::sameFile(articlePath, scratchPath))
        throw StorageError(StorageError::Kind::SameFile, scratchPath);

    // Every article but the first equal one goes to the scratch file as the
    // very bytes it had, so kept articles stay byte for byte what they were.
    // Every field of every record is converted, so a malformed record anywhere
    // stops the removal before anything is replaced.
    RecordFileCodec articles(articlePath, RecordFileCodec::OpenMode::Read);
    FileOps::ReplacementFile scratch(scratchPath);
    std::array<RawField, ArticleRecord::kFieldCount> raw;
    Record values;
    values.resize(ArticleRecord::kFieldCount);
    bool found = false;
    while (!articles.AtEnd()) {
        QByteArrayView whole;
        articles.readRawRecord(ArticleRecord::kFieldCount, raw.data(), &whole);
        const qint64 recordNumber = articles.recordsRead();
        for (int i = 0; i < ArticleRecord::kFieldCount; ++i)
            values[i] = RecordFileCodec::convertField(raw[i], ArticleRecord::kKinds[i], articlePath, recordNumber,
                                                      i + 1);
        if (!found && candidate.matches(ArticleRecord::fromRecord(values))) {
            found = true;
            continue;
        }
        scratch.write(whole);
    }
    articles.close();
    // Nothing to remove: neither file is touched (the uncommitted scratch
    // content is discarded with its writer).
    if (!found)
        return RemovalOutcome::NotFound;
    scratch.commit();

    // The scratch file now holds the new collection. It is copied beside the
    // article file, flushed and renamed over it, so the article file is always
    // the old or the new one, never a mixture.
    FileOps::copyFileReplacing(scratchPath, articlePath);
    return RemovalOutcome::Removed;
}

}  // namespace pagelore
