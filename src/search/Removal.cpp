#include "Search.h"

#include "ArticleScan.h"
#include "OldContents.h"
#include "SecondHalf.h"

#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

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

namespace {

// The candidate as the file would spell it. A canonical record whose nine
// texts hold no pattern character is compared byte for byte; for such a
// record that is the same as comparing the texts, whether a text is matched
// as a pattern or for equality. Any other record is converted and tested.
class CandidateBytes {
public:
    explicit CandidateBytes(const ShownCandidate &c)
        : m_candidate(c), m_date(c.PublicationDate.toLiteral()),
          m_texts{scan::StoredSpelling::of(c.Title),    scan::StoredSpelling::of(c.Writer),
                  scan::StoredSpelling::of(c.Magazine), scan::StoredSpelling::of(c.Category),
                  scan::StoredSpelling::of(c.PublicationForm), scan::StoredSpelling::of(c.Content),
                  scan::StoredSpelling::of(c.Keyword1), scan::StoredSpelling::of(c.Keyword2),
                  scan::StoredSpelling::of(c.Keyword3)}
    {
    }

    bool matches(const scan::ScannedArticle &a, const scan::ArticleScanner &scanner) const
    {
        if (!a.canonical)
            return m_candidate.matches(*a.converted);
        for (int field : kTextFields)
            if (a.hasPattern(field))
                return m_candidate.matches(scanner.convert(a));
        for (std::size_t k = 0; k < kTextFields.size(); ++k)
            if (!m_texts[k].equals(a.bytes(kTextFields[k])))
                return false;
        return a.firstPage == m_candidate.FirstPage && a.lastPage == m_candidate.LastPage && a.bytes(7) == m_date;
    }

private:
    static constexpr std::array<int, 9> kTextFields = {0, 1, 2, 5, 6, 8, 9, 10, 11};
    const ShownCandidate &m_candidate;
    QByteArray m_date;  // in the writer's form, as a canonical record's is
    std::array<scan::StoredSpelling, 9> m_texts;
};

// What reading and checking a stretch of records found.
struct Checked {
    qint64 equalAt = -1, equalEnd = -1;  // the first record equal to the candidate
    qint64 end = -1;                     // where the reading stopped
    bool whole = false;                  // read to its end without a fault
};

// Reads and checks the records from where `in` stands, up to `limit` (a
// record's start, or -1 for the end of the file) or until `stop` is set.
void checkRecords(RecordFileCodec &in, const ShownCandidate &candidate, qint64 limit,
                  const std::atomic<bool> *stop, Checked &out)
{
    scan::ArticleScanner scanner(in);
    scan::ScannedArticle article;
    const CandidateBytes wanted(candidate);
    for (;;) {
        const qint64 at = in.position();
        if ((limit >= 0 && at >= limit) || (stop && stop->load(std::memory_order_relaxed)))
            break;
        if (!scanner.nextInBuffer(article)) {
            if (in.AtEnd())
                break;
            scanner.next(article);
        }
        if (out.equalAt < 0 && wanted.matches(article, scanner)) {
            out.equalAt = at;
            out.equalEnd = in.position();
        }
    }
    out.end = in.position();
    out.whole = !(stop && stop->load());
}

// Copies of parts of the article file into the two new files, cut into
// pieces that both threads take in turn, each from where it stands, so both
// keep working until the last piece. Pieces of the two files alternate: a
// file takes one write at a time.
class CopyPieces {
public:
    explicit CopyPieces(int from) : m_from(from) {}

    // Bytes `offset` to `end` of the article file go to both files from `at` on.
    void add(FileOps::ReplacementFile &scratch, FileOps::ReplacementFile &articles, qint64 offset, qint64 end,
             qint64 at)
    {
        const std::lock_guard lock(m_mutex);
        for (; offset < end; offset += kPiece, at += kPiece)
            for (int file = 0; file < 2; ++file)
                m_pieces.push_back({file ? &articles : &scratch, file, offset, std::min(kPiece, end - offset), at});
        m_changed.notify_all();
    }
    // The second half has been checked: what to copy of it can be told.
    void secondChecked()
    {
        const std::lock_guard lock(m_mutex);
        m_secondChecked = true;
        m_changed.notify_all();
    }
    // No more pieces will come.
    void close()
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }
    // Copies pieces until all are taken and no more will come, or, with
    // `untilChecked`, until the second half has been checked.
    void work(bool untilChecked)
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            if (untilChecked && m_secondChecked)
                return;
            if (m_next < m_pieces.size()) {
                const Piece p = m_pieces[m_next++];
                if (m_errors[p.file])
                    continue;
                lock.unlock();
                const bool copied = p.to->copyAt(m_from, p.offset, p.length, p.at);
                const int error = errno;
                lock.lock();
                if (!copied && !m_errors[p.file])
                    m_errors[p.file] = error ? error : EIO;
                continue;
            }
            if (m_closed)
                return;
            m_changed.wait(lock);
        }
    }
    // The first failure of a copy into the scratch file (0) or the new
    // article file (1), an errno; 0 when none failed. Once the threads are done.
    int error(int file) const { return m_errors[file]; }

private:
    static constexpr qint64 kPiece = 2 << 20;
    struct Piece {
        FileOps::ReplacementFile *to;
        int file;
        qint64 offset, length, at;
    };
    const int m_from;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Piece> m_pieces;
    std::size_t m_next = 0;
    bool m_secondChecked = false, m_closed = false;
    std::array<int, 2> m_errors{};
};

}  // namespace

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
    // Every field of every record is checked as a conversion would check it,
    // so a malformed record anywhere stops the removal before anything is
    // replaced. The new article file is written beside the old one, from the
    // same bytes as the scratch file rather than copied back from it
    // afterwards: one read of the collection instead of two.
    RecordFileCodec articles(articlePath, RecordFileCodec::OpenMode::Read);
    FileOps::ReplacementFile scratch(scratchPath);
    FileOps::ReplacementFile newArticles(articlePath);
    // Both new files hold all but one record of the article file.
    const qint64 size = QFileInfo(articlePath).size();
    scratch.expect(size);
    newArticles.expect(size);
    const CandidateBytes wanted(candidate);
    bool found = false;
    // Kept records go to both files straight from the reader's buffer, a run
    // of consecutive records at a time; a run is written before the reader
    // reads on and moves its buffer.
    const auto keepRecords = [&] {
        scan::ArticleScanner scanner(articles);
        scan::ScannedArticle article;
        QByteArrayView run;
        const auto writeRun = [&] {
            if (!run.isEmpty()) {
                scratch.write(run);
                newArticles.write(run);
                run = {};
            }
        };
        for (;;) {
            if (!scanner.nextInBuffer(article)) {
                writeRun();
                if (articles.AtEnd())
                    break;
                scanner.next(article);
            }
            if (!found && wanted.matches(article, scanner)) {
                found = true;
                writeRun();
                continue;
            }
            if (run.data() + run.size() == article.whole.data())
                run = QByteArrayView(run.data(), run.size() + article.whole.size());
            else {
                writeRun();
                run = article.whole;
            }
        }
    };

    // A large collection is read and checked in two halves at once, the
    // second on a thread of its own; then both new files are copied from the
    // article file inside the kernel, by both threads. A record found equal in
    // the first half comes before any in the second, so once the first half is
    // checked, its part of the new files is known and copied while the second
    // half is still being checked; should the second half fail, everything is
    // done again the plain way, whose writes, from the start, cover all that.
    Checked first, second;
    const qint64 secondStart = scan::secondHalfStart(articles.handle());
    CopyPieces pieces(articles.handle());
    std::optional<scan::SideThread> reader;
    if (secondStart > 0)
        reader.emplace([&second, &pieces, secondStart, first = articles.handle(), &articlePath,
                        &candidate](const std::atomic<bool> &stop) {
            try {
                RecordFileCodec rest(articlePath, RecordFileCodec::OpenMode::Read);
                if (scan::sameOpenFile(rest.handle(), first)) {
                    rest.seek(secondStart, 1);
                    checkRecords(rest, candidate, -1, &stop, second);
                }
            } catch (...) {
                second.whole = false;  // met again by the first reader, which tells it
            }
            pieces.secondChecked();
            pieces.work(false);
        });
    // However this ends, the second thread stops waiting for pieces first.
    const auto noMorePieces = qScopeGuard([&pieces] { pieces.close(); });
    if (!reader || !reader->started()) {
        keepRecords();
    } else {
        checkRecords(articles, candidate, secondStart, nullptr, first);
        const bool arrived = first.end == secondStart;
        // Bytes of the first half before the equal record, if it has one, go
        // to the same place in the new files; those after it move up.
        const qint64 firstCut = first.equalAt >= 0 ? first.equalEnd - first.equalAt : 0;
        if (arrived) {
            pieces.add(scratch, newArticles, 0, first.equalAt >= 0 ? first.equalAt : secondStart, 0);
            if (first.equalAt >= 0)
                pieces.add(scratch, newArticles, first.equalEnd, secondStart, first.equalAt);
            pieces.work(true);
        }
        if (!arrived || !second.whole) {
            // The guess of the second half's start was wrong, or the second
            // half holds a fault: everything again, the plain way.
            pieces.close();
            reader.reset();
            articles.seek(0, 1);
            keepRecords();
        } else if (first.equalAt >= 0 || second.equalAt >= 0) {
            found = true;
            const qint64 at = secondStart - firstCut;
            if (first.equalAt >= 0 || second.equalAt < 0) {
                pieces.add(scratch, newArticles, secondStart, second.end, at);
            } else {
                pieces.add(scratch, newArticles, secondStart, second.equalAt, at);
                pieces.add(scratch, newArticles, second.equalEnd, second.end, second.equalAt);
            }
            pieces.close();
            pieces.work(false);
            reader->finish();
            const qint64 length = second.end - (firstCut ? firstCut : second.equalEnd - second.equalAt);
            // The scratch file's fault first, as one reader, writing the
            // scratch file first, would meet it.
            scratch.finishCopies(length, pieces.error(0));
            newArticles.finishCopies(length, pieces.error(1));
        } else {
            pieces.close();
            reader->finish();  // it may be copying from the article file still
        }
    }
    articles.close();
    // Nothing to remove: neither file is touched (the uncommitted contents
    // are discarded with their writers).
    if (!found)
        return RemovalOutcome::NotFound;
    OldContents old({scratchPath, articlePath});
    scratch.commit();

    // Flushed and renamed over the article file, so the article file is
    // always the old or the new one, never a mixture.
    newArticles.commit();
    old.releaseLater();
    return RemovalOutcome::Removed;
}

}  // namespace pagelore
