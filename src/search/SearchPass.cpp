#include "Search.h"

#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"

namespace pagelore {

bool RecordMatches(const ArticleRecord &r, const SearchConditions &c)
{
    return WildcardMatch(c.title, r.Title)                                 // 1
           || WildcardMatch(c.writer, r.Writer)                            // 2
           || WildcardMatch(c.magazine, r.Magazine)                        // 3
           || (r.FirstPage <= c.page && c.page <= r.LastPage)              // 4
           || WildcardMatch(c.category, r.Category)                        // 5
           || WildcardMatch(c.publicationForm, r.PublicationForm)          // 6
           || r.PublicationDate == c.date                                  // 7
           || WildcardMatch(c.keyword1, r.Keyword1)                        // 8
           || WildcardMatch(c.keyword1, r.Keyword3)                        // 9
           || WildcardMatch(c.keyword1, r.Keyword2)                        // 10
           || WildcardMatch(c.keyword2, r.Keyword3)                        // 11
           || WildcardMatch(c.keyword2, r.Keyword1)                        // 12
           || WildcardMatch(c.keyword2, r.Keyword2);                       // 13
}

SearchOutcome RunSearchPass(const QString &dataFolder, const SearchConditions &conditions)
{
    RecordFileCodec articles(DataFiles::path(dataFolder, DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
    const QString resultPath = DataFiles::path(dataFolder, DataFiles::ResultFile);
    RecordFileCodec result(resultPath, RecordFileCodec::OpenMode::Write);
    SearchOutcome outcome;
    try {
        while (!articles.AtEnd()) {
            const ArticleRecord record = ArticleRecord::read(articles);
            ++outcome.articlesRead;
            if (RecordMatches(record, conditions)) {
                result.writeEncoded(record.encode());
                ++outcome.hits;
            }
        }
        articles.close();
        result.close();
    } catch (const StorageError &) {
        // Never leave the hits of half a pass for the browser to show.
        result.close();
        FileOps::emptyFile(resultPath);
        throw;
    }
    return outcome;
}

}  // namespace pagelore
