#include "Search.h"

#include "ArticleScan.h"
#include "SecondHalf.h"

#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"

#include <atomic>
#include <cstring>
#include <optional>
#include <vector>

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

namespace {

// The thirteen tests on an article taken at byte level. A stored text without
// pattern characters matches exactly the identical text, so it is compared
// with the condition's spelling in the file; one with them is decoded and
// matched as a pattern.
class ByteLevelTests {
public:
    ByteLevelTests(const SearchConditions &c, const scan::ArticleScanner &scanner)
        : m_c(c), m_scanner(scanner), m_title(scan::StoredSpelling::of(c.title)),
          m_writer(scan::StoredSpelling::of(c.writer)), m_magazine(scan::StoredSpelling::of(c.magazine)),
          m_category(scan::StoredSpelling::of(c.category)),
          m_form(scan::StoredSpelling::of(c.publicationForm)), m_keyword1(scan::StoredSpelling::of(c.keyword1)),
          m_keyword2(scan::StoredSpelling::of(c.keyword2)), m_date(c.date.toLiteral())
    {
    }

    bool matches(const scan::ScannedArticle &a) const
    {
        return text(a, 0, m_title, m_c.title)                                    // 1
               || text(a, 1, m_writer, m_c.writer)                               // 2
               || text(a, 2, m_magazine, m_c.magazine)                           // 3
               || (a.firstPage <= m_c.page && m_c.page <= a.lastPage)            // 4
               || text(a, 5, m_category, m_c.category)                           // 5
               || text(a, 6, m_form, m_c.publicationForm)                        // 6
               || a.bytes(7) == m_date                                           // 7
               || text(a, 9, m_keyword1, m_c.keyword1)                           // 8
               || text(a, 11, m_keyword1, m_c.keyword1)                          // 9
               || text(a, 10, m_keyword1, m_c.keyword1)                          // 10
               || text(a, 11, m_keyword2, m_c.keyword2)                          // 11
               || text(a, 9, m_keyword2, m_c.keyword2)                           // 12
               || text(a, 10, m_keyword2, m_c.keyword2);                         // 13
    }

private:
    // The lengths first: most stored texts differ from the condition in length.
    bool text(const scan::ScannedArticle &a, int field, const scan::StoredSpelling &spelling,
              const QString &condition) const
    {
        if (a.hasPattern(field))
            return WildcardMatch(condition, m_scanner.text(a, field));
        const RawField &f = a.fields[field];
        return f.size == spelling.bytes.size() && spelling.representable
               && (f.size == 0 || std::memcmp(f.data, spelling.bytes.constData(), f.size) == 0);
    }

    const SearchConditions &m_c;
    const scan::ArticleScanner &m_scanner;
    scan::StoredSpelling m_title, m_writer, m_magazine, m_category, m_form, m_keyword1, m_keyword2;
    QByteArray m_date;  // both sides in the writer's form, so equal values are equal bytes
};

// Reads records from where `articles` stands, up to `limit` (a record's
// start, or -1 for the end) or until `stop` is set, and hands each hit's
// bytes to `write`.
template <class Write>
void scanRecords(RecordFileCodec &articles, const SearchConditions &conditions, qint64 limit,
                 const std::atomic<bool> *stop, SearchOutcome &outcome, Write &&write)
{
    scan::ArticleScanner scanner(articles);
    const ByteLevelTests tests(conditions, scanner);
    scan::ScannedArticle article;
    for (;;) {
        if ((limit >= 0 && articles.position() >= limit) || (stop && stop->load(std::memory_order_relaxed)))
            return;
        if (!scanner.nextInBuffer(article)) {
            if (articles.AtEnd())
                return;
            scanner.next(article);
        }
        ++outcome.articlesRead;
        // A canonical record's bytes are what re-encoding it would write.
        if (article.canonical ? tests.matches(article) : RecordMatches(*article.converted, conditions)) {
            if (article.canonical)
                write(article.whole);
            else
                write(article.converted->encode());
            ++outcome.hits;
        }
    }
}

// The second half of a large collection, searched on a thread of its own.
// Its hits wait in memory, in blocks that are never moved, and beyond a few
// megabytes in a file without a name in the data folder, so memory stays
// flat however many there are.
struct SecondHalf {
    static constexpr qsizetype kBlock = 1 << 20;
    const qint64 held = scan::heldInMemory();
    qint64 start = -1;
    std::vector<QByteArray> kept;
    qint64 keptBytes = 0;
    FileOps::UnnamedFile aside;
    bool spilling = false;
    SearchOutcome outcome;
    bool whole = false;  // searched to the end, every hit kept

    bool keep(QByteArrayView bytes, const QString &folder)
    {
        spilling = spilling || keptBytes + bytes.size() > held;
        if (spilling)
            return aside.open(folder) && aside.write(bytes);
        if (kept.empty() || kept.back().size() + bytes.size() > kept.back().capacity())
            kept.emplace_back().reserve(std::max(kBlock, bytes.size()));
        kept.back().append(bytes);
        keptBytes += bytes.size();
        return true;
    }
};

}  // namespace

SearchOutcome RunSearchPass(const QString &dataFolder, const SearchConditions &conditions)
{
    const QString articlePath = DataFiles::path(dataFolder, DataFiles::ArticleFile);
    RecordFileCodec articles(articlePath, RecordFileCodec::OpenMode::Read);
    const QString resultPath = DataFiles::path(dataFolder, DataFiles::ResultFile);
    // Written over the last pass's hits: giving their room back and asking for
    // it anew would cost a fifth of a pass when they are many.
    RecordFileCodec result(resultPath, RecordFileCodec::OpenMode::Write);
    SearchOutcome outcome;
    SecondHalf second;
    try {
        second.start = scan::secondHalfStart(articles.handle());
        std::optional<scan::SideThread> reader;
        if (second.start > 0)
            reader.emplace([&, first = articles.handle()](const std::atomic<bool> &stop) {
                try {
                    RecordFileCodec rest(articlePath, RecordFileCodec::OpenMode::Read);
                    if (!scan::sameOpenFile(rest.handle(), first))
                        return;
                    rest.seek(second.start, 1);
                    bool kept = true;
                    scanRecords(rest, conditions, -1, &stop, second.outcome, [&](QByteArrayView bytes) {
                        kept = second.keep(bytes, dataFolder) && kept;
                    });
                    second.whole = !stop.load() && kept && (!second.spilling || second.aside.flush());
                } catch (...) {
                    // Met again by the first reader, which tells it.
                }
            });
        const auto write = [&result](QByteArrayView bytes) { result.writeEncoded(bytes); };
        const bool shared = reader && reader->started();
        scanRecords(articles, conditions, shared ? second.start : -1, nullptr, outcome, write);
        if (shared) {
            reader->finish();
            if (articles.position() == second.start && second.whole) {
                for (const QByteArray &block : second.kept)
                    result.writeEncoded(block);
                if (second.spilling)
                    result.writeFileContents(second.aside.handle(), second.aside.size());
                outcome.articlesRead += second.outcome.articlesRead;
                outcome.hits += second.outcome.hits;
            } else {
                scanRecords(articles, conditions, -1, nullptr, outcome, write);
            }
        }
        articles.close();
        result.close();
    } catch (const StorageError &) {
        // Never leave the hits of half a pass for the browser to show.
        try {
            result.close();
        } catch (const StorageError &) {
            // Told already; the file is emptied below all the same.
        }
        FileOps::emptyFile(resultPath);
        throw;
    }
    return outcome;
}

}  // namespace pagelore
