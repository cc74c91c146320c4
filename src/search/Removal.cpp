#include "Search.h"

#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"

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

    // Every article but the first equal one goes to the scratch file. Nothing
    // is replaced before the whole article file has been read without error.
    RecordFileCodec articles(articlePath, RecordFileCodec::OpenMode::Read);
    FileOps::ReplacementFile scratch(scratchPath);
    bool found = false;
    while (!articles.AtEnd()) {
        const ArticleRecord record = ArticleRecord::read(articles);
        if (!found && candidate.matches(record)) {
            found = true;
            continue;
        }
        scratch.write(record.encode());
    }
    articles.close();
    if (!found)
        return RemovalOutcome::NotFound;
    scratch.commit();

    // The scratch file now holds the new collection; it replaces the article
    // file in one rename, so the article file is always old or new, never half.
    FileOps::copyFileReplacing(scratchPath, articlePath);
    return RemovalOutcome::Removed;
}

}  // namespace pagelore
