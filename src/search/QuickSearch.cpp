#include "QuickSearch.h"

#include "ArticleScan.h"
#include "QuickFold.h"

#include "platform/Cp932.h"
#include "storage/DataFiles.h"
#include "storage/RecordFileCodec.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <bit>
#include <optional>

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

// The spellings of one folded character in the code page: the bytes of
// each character that folds to it (or to a text holding it).
struct Spellings {
    std::vector<std::uint8_t> singles;
    std::vector<std::uint16_t> pairs;
    int cost = 0; // how often such bytes turn up in any record, roughly

    explicit Spellings(const std::vector<std::uint16_t> &codes)
    {
        for (const std::uint16_t code : codes) {
            if (code >= 0x100) {
                pairs.push_back(code);
                cost += 1;
            } else {
                singles.push_back(std::uint8_t(code));
                // Below 0x40 a byte is never part of a pair, but it fills
                // every record's numbers and delimiters; above, it may be
                // the trail byte of a pair.
                cost += code < 0x40 ? 40 : 12;
            }
        }
#if defined(__SSE2__)
        for (const std::uint8_t b : singles)
            single16.push_back({_mm_set1_epi8(char(b))});
        for (const std::uint16_t code : pairs) {
            lead16.push_back({_mm_set1_epi8(char(code >> 8))});
            trail16.push_back({_mm_set1_epi8(char(code & 0xFF))});
        }
#endif
    }

    // Calls `found(i)` for each place i in `p` where a spelling's bytes
    // stand (whether or not a character starts there), in order, until it
    // returns true; returns whether one did.
    template <typename Found> bool scan(const unsigned char *p, qsizetype size, Found found) const
    {
        qsizetype i = 0;
#if defined(__SSE2__)
        // Sixteen places at a time: a pair is its lead byte here and its
        // trail byte one further on.
        for (; i + 17 <= size; i += 16) {
            const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i));
            const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + i + 1));
            __m128i hit = _mm_setzero_si128();
            for (const Lanes &b : single16)
                hit = _mm_or_si128(hit, _mm_cmpeq_epi8(here, b.bytes));
            for (std::size_t k = 0; k < lead16.size(); ++k)
                hit = _mm_or_si128(hit, _mm_and_si128(_mm_cmpeq_epi8(here, lead16[k].bytes),
                                                      _mm_cmpeq_epi8(next, trail16[k].bytes)));
            for (unsigned mask = unsigned(_mm_movemask_epi8(hit)); mask; mask &= mask - 1)
                if (found(i + qsizetype(std::countr_zero(mask))))
                    return true;
        }
#endif
        for (; i < size; ++i)
            if (spellingAt(p, size, i) && found(i))
                return true;
        return false;
    }

    // The length of the spelling whose bytes stand at p[i], or 0.
    int spellingAt(const unsigned char *p, qsizetype size, qsizetype i) const
    {
        for (const std::uint8_t b : singles)
            if (p[i] == b)
                return 1;
        if (i + 1 < size)
            for (const std::uint16_t code : pairs)
                if (p[i] == (code >> 8) && p[i + 1] == (code & 0xFF))
                    return 2;
        return 0;
    }

#if defined(__SSE2__)
    // Each byte in all sixteen lanes, made once.
    struct Lanes {
        __m128i bytes;
    };
    std::vector<Lanes> single16, lead16, trail16;
#endif
};

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
            std::vector<Spellings> candidates;
            QString seen;
            for (const QChar c : word) {
                if (seen.contains(c))
                    continue;
                seen += c;
                Spellings s(tables.spellingsOf(c.unicode()));
                if (s.cost < kTooMany)
                    candidates.push_back(std::move(s));
            }
            std::stable_sort(candidates.begin(), candidates.end(),
                             [](const Spellings &a, const Spellings &b) { return a.cost < b.cost; });
            for (std::size_t k = 0; k < candidates.size() && k < kPerWord; ++k)
                m_checks.push_back(std::move(candidates[k]));
        }
    }

    bool mayMatch(QByteArrayView bytes) const
    {
        const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
        for (const Spellings &s : m_checks)
            if (!s.scan(p, bytes.size(), [](qsizetype) { return true; }))
                return false;
        return true;
    }

private:
    static constexpr int kTooMany = 200;
    static constexpr std::size_t kPerWord = 3;
    std::vector<Spellings> m_checks;
};

// A word of one character that folds from nothing longer and is made by no
// mark is found without folding: some spelling of it at a character
// boundary of a text field is the word, unless a voiced mark after it joins
// it into another kana.
class SingleCharacter {
public:
    static std::optional<SingleCharacter> of(const QString &word)
    {
        if (word.size() != 1)
            return std::nullopt;
        const quick::FoldTables &tables = quick::FoldTables::instance();
        const auto codes = tables.exactSpellingsOf(word[0].unicode());
        if (!codes)
            return std::nullopt;
        return SingleCharacter(Spellings(*codes), tables.joinsMarks(word[0].unicode()));
    }

    // One look over the whole record; each place found is checked against
    // the text field it lies in.
    bool foundIn(const scan::ScannedArticle &a) const
    {
        const auto *whole = reinterpret_cast<const unsigned char *>(a.whole.data());
        return m_spellings.scan(whole, a.whole.size(), [&](qsizetype at) {
            for (const int field : kTextFields) {
                const auto *p = reinterpret_cast<const unsigned char *>(a.bytes(field).data());
                const qsizetype size = a.bytes(field).size();
                if (whole + at >= p && whole + at < p + size)
                    return characterAt(p, size, whole + at - p);
            }
            return false;
        });
    }

private:
    // Whether the spelling's bytes at p[i] are the character, in a field of
    // `size` bytes.
    bool characterAt(const unsigned char *p, qsizetype size, qsizetype i) const
    {
        const int length = m_spellings.spellingAt(p, size, i);
        if (length == 0)
            return false; // a pair cut by the field's end
        // A character starts at i when an even number of bytes that can lead
        // a pair stand right before it: they pair off from the last byte
        // that cannot (or from the field's start).
        qsizetype leads = 0;
        while (i - leads > 0 && Cp932::isLeadByte(p[i - leads - 1]))
            ++leads;
        if (leads % 2 != 0)
            return false;
        const qsizetype after = i + length;
        return after >= size || !((p[after] == 0xDE && m_joins.first) || (p[after] == 0xDF && m_joins.second));
    }

    SingleCharacter(Spellings spellings, std::pair<bool, bool> joins)
        : m_spellings(std::move(spellings)), m_joins(joins)
    {
    }
    Spellings m_spellings;
    std::pair<bool, bool> m_joins; // a following voiced, semi-voiced mark joins it
};

// The nine texts of a canonical record folded into one buffer, searched
// for each word in turn; or, when every word is a single character, found
// in the bytes as they stand.
class ByteMatcher {
public:
    explicit ByteMatcher(const QuickQuery &query)
        : m_query(query), m_probe(query.words()), m_tables(quick::FoldTables::instance())
    {
        for (const QString &word : query.words()) {
            auto single = SingleCharacter::of(word);
            if (!single) {
                m_singles.clear();
                break;
            }
            m_singles.push_back(std::move(*single));
        }
    }

    bool matches(const scan::ScannedArticle &a)
    {
        if (!m_singles.empty())
            return std::all_of(m_singles.begin(), m_singles.end(),
                               [&](const SingleCharacter &c) { return c.foundIn(a); });
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
    std::vector<SingleCharacter> m_singles;
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
