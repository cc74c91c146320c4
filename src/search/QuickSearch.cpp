#include "QuickSearch.h"

#include "ArticleScan.h"
#include "QuickFold.h"

#include "storage/DataFiles.h"
#include "storage/RecordFileCodec.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pagelore {

namespace {

constexpr std::array<int, 9> kTextFields = {0, 1, 2, 5, 6, 8, 9, 10, 11};
// Stands between two fields in the folded text, so no word spans two: no
// character of the code page folds to it, and typed text is split at it.
constexpr char16_t kFieldSeparator = 0xFFFF;

bool holdsEvery(QStringView folded, const QStringList &words)
{
    for (const QString &word : words)
        if (!folded.contains(word))
            return false;
    return true;
}

// A first look at a record's bytes that rules out most records cheaply: a
// record whose bytes hold none of the spellings of some character of a word
// cannot hold the word once folded. A few characters of each word are
// looked for, those with the fewest and rarest spellings first. Bytes that
// only look like a spelling (a trail byte that equals a half-width kana, a
// digit of a date) let a record through to the full test, never the other
// way round; that is why several characters are looked for, not one.
class Probe {
public:
    explicit Probe(const QStringList &words)
    {
        const quick::FoldTables &tables = quick::FoldTables::instance();
        for (const QString &word : words) {
            std::vector<std::pair<int, Spellings>> candidates;
            QString seen;
            for (const QChar c : word) {
                if (seen.contains(c))
                    continue;
                seen += c;
                Spellings s;
                int cost = 0;
                for (const std::uint16_t code : tables.spellingsOf(c.unicode())) {
                    if (code >= 0x100) {
                        s.pairs.push_back(code);
                        cost += 1;
                    } else {
                        s.singles.push_back(std::uint8_t(code));
                        // Below 0x40 a byte is never part of a pair, but it
                        // fills every record's numbers and delimiters.
                        cost += code < 0x40 ? 40 : 12;
                    }
                }
                if (cost < kTooMany)
                    candidates.emplace_back(cost, std::move(s));
            }
            std::stable_sort(candidates.begin(), candidates.end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            for (std::size_t k = 0; k < candidates.size() && k < kPerWord; ++k) {
                candidates[k].second.spread();
                m_checks.push_back(std::move(candidates[k].second));
            }
        }
    }

    bool mayMatch(QByteArrayView bytes) const
    {
        for (const Spellings &s : m_checks)
            if (!holds(s, reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()))
                return false;
        return true;
    }

private:
    static constexpr int kTooMany = 200;
    static constexpr std::size_t kPerWord = 3;
    struct Spellings {
        std::vector<std::uint8_t> singles;
        std::vector<std::uint16_t> pairs;
#if defined(__SSE2__)
        // The same, each byte in all sixteen lanes, made once.
        struct Lanes {
            __m128i bytes;
        };
        std::vector<Lanes> single16, lead16, trail16;
        void spread()
        {
            for (const std::uint8_t b : singles)
                single16.push_back({_mm_set1_epi8(char(b))});
            for (const std::uint16_t code : pairs) {
                lead16.push_back({_mm_set1_epi8(char(code >> 8))});
                trail16.push_back({_mm_set1_epi8(char(code & 0xFF))});
            }
        }
#else
        void spread()
        {
        }
#endif
    };

    static bool holdsFrom(const Spellings &s, const unsigned char *p, qsizetype size, qsizetype from)
    {
        for (qsizetype i = from; i < size; ++i) {
            for (const std::uint8_t b : s.singles)
                if (p[i] == b)
                    return true;
            if (i + 1 < size)
                for (const std::uint16_t code : s.pairs)
                    if (p[i] == (code >> 8) && p[i + 1] == (code & 0xFF))
                        return true;
        }
        return false;
    }

    static bool holds(const Spellings &s, const unsigned char *p, qsizetype size)
    {
        qsizetype i = 0;
#if defined(__SSE2__)
        // Sixteen places at a time: a pair is its lead byte here and its
        // trail byte one further on.
        for (; i + 17 <= size; i += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i + 1));
            __m128i found = _mm_setzero_si128();
            for (const Spellings::Lanes &b : s.single16)
                found = _mm_or_si128(found, _mm_cmpeq_epi8(here, b.bytes));
            for (std::size_t k = 0; k < s.lead16.size(); ++k)
                found = _mm_or_si128(found, _mm_and_si128(_mm_cmpeq_epi8(here, s.lead16[k].bytes),
                                                          _mm_cmpeq_epi8(next, s.trail16[k].bytes)));
            if (_mm_movemask_epi8(found))
                return true;
        }
#endif
        return holdsFrom(s, p, size, i);
    }

    std::vector<Spellings> m_checks;
};

// The nine texts of a canonical record folded into one buffer, searched
// for each word in turn.
class ByteMatcher {
public:
    explicit ByteMatcher(const QuickQuery &query)
        : m_query(query), m_probe(query.words()), m_tables(quick::FoldTables::instance())
    {
    }

    bool matches(const scan::ScannedArticle &a)
    {
        if (!m_probe.mayMatch(a.whole))
            return false;
        std::size_t need = 0;
        for (int field : kTextFields)
            need += std::size_t(a.bytes(field).size()) * quick::FoldTables::kMaxUnitsPerByte + 1;
        if (need > m_buffer.size())
            m_buffer.resize(need * 2);
        char16_t *out = m_buffer.data();
        for (int field : kTextFields) {
            out = m_tables.fold(a.bytes(field), out);
            *out++ = kFieldSeparator;
        }
        return holdsEvery(QStringView(m_buffer.data(), out - m_buffer.data()), m_query.words());
    }

private:
    const QuickQuery &m_query;
    const Probe m_probe;
    const quick::FoldTables &m_tables;
    std::vector<char16_t> m_buffer = std::vector<char16_t>(4096);
};

} // namespace

QuickQuery::QuickQuery(const QString &typed)
{
    static const QRegularExpression spaces(QStringLiteral("[ \\x{3000}\\x{FFFF}]+"));
    const QStringList parts = typed.split(spaces, Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const QString word = quick::fold(part);
        if (!word.isEmpty() && !m_words.contains(word))
            m_words << word;
    }
}

bool QuickQuery::matches(const ArticleRecord &a) const
{
    QString folded;
    for (const QString *text : {&a.Title, &a.Writer, &a.Magazine, &a.Category, &a.PublicationForm, &a.Content,
                                &a.Keyword1, &a.Keyword2, &a.Keyword3}) {
        folded += quick::fold(*text);
        folded += QChar(kFieldSeparator);
    }
    return holdsEvery(folded, m_words);
}

std::vector<ArticlePlace> RunQuickSearch(const QString &dataFolder, const QuickQuery &query)
{
    RecordFileCodec articles(DataFiles::path(dataFolder, DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
    scan::ArticleScanner scanner(articles);
    scan::ScannedArticle article;
    ByteMatcher bytes(query);
    std::vector<ArticlePlace> hits;
    while (!articles.AtEnd()) {
        const qint64 offset = articles.position();
        scanner.next(article);
        if (query.isEmpty() || (article.canonical ? bytes.matches(article) : query.matches(*article.converted)))
            hits.push_back({offset, quint32(article.recordNumber)});
    }
    return hits;
}

} // namespace pagelore
