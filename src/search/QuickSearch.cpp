#include "QuickSearch.h"

#include "ArticleScan.h"
#include "QuickFold.h"
#include "SecondHalf.h"

#include "platform/Cp932.h"
#include "storage/DataFiles.h"
#include "storage/RecordFileCodec.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
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
                // Below 0x40 a byte fills every record's numbers and
                // delimiters; above, letters and half-width kana are
                // common in any text.
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

    // Calls `found(i)` for each place i in `p` where a character starts
    // and a spelling's bytes stand, in order, until it returns true; returns
    // whether one did. `p` must start at a character and hold only whole
    // characters, as a canonical record does.
    template <typename Found> bool scan(const unsigned char *p, qsizetype size, Found found) const
    {
        qsizetype i = 0;
#if defined(__SSE2__)
        // Spellings' bytes are rare, so where characters start is worked out
        // only in a block that holds some. Bytes that may lead a pair stand
        // in runs; a run starts at a character (the byte before it ends
        // one), so it pairs off from its start and every byte after a lead
        // is a trail. `known` is the end of the last block so worked out,
        // `spill` whether its last pair spills over that end.
        qsizetype known = 0;
        std::uint64_t spill = 0;
        // Whether p[at] is the trail byte of a pair, for at >= known.
        const auto trailAt = [&](qsizetype at) -> std::uint64_t {
            if (at == known)
                return spill;
            qsizetype run = 0;
            while (at - run > known + qsizetype(spill) && Cp932::isLeadByte(p[at - run - 1]))
                ++run;
            return std::uint64_t(run) & 1;
        };
        // The block at i, whose bytes stand at `block`.
        const auto search = [&](const unsigned char *block, std::uint64_t hit, int width, auto leadRange) {
            if (hit == 0)
                return false;
            constexpr std::uint64_t kEven = 0x5555555555555555;
            const std::uint64_t carry = trailAt(i);
            const std::uint64_t range = leadRange(block) & ~carry;
            const std::uint64_t starts = range & ~(range << 1);
            const std::uint64_t evenRuns = range & ~(range + (starts & kEven));
            const std::uint64_t leads = (evenRuns & kEven) | (range & ~evenRuns & ~kEven);
            known = i + width;
            spill = (leads >> (width - 1)) & 1;
            for (hit &= ~((leads << 1) | carry); hit; hit &= hit - 1)
                if (found(i + qsizetype(std::countr_zero(hit))))
                    return true;
            return false;
        };
        for (; i + 65 <= size; i += 64)
            if (search(p + i, hits<4>(p + i), 64, leadRange<4>))
                return true;
        for (; i + 17 <= size; i += 16)
            if (search(p + i, hits<1>(p + i), 16, leadRange<1>))
                return true;
        // The last few bytes, one block after all: zeros after them complete
        // no pair, and the places past the end are cut from the mask.
        if (i < size) {
            alignas(16) unsigned char last[32] = {};
            std::memcpy(last, p + i, std::size_t(size - i));
            return search(last, hits<1>(last) & ((std::uint64_t(1) << (size - i)) - 1), 16, leadRange<1>);
        }
        return false;
#else
        for (; i < size; i += Cp932::isLeadByte(p[i]) ? 2 : 1)
            if (spellingAt(p, size, i) && found(i))
                return true;
        return false;
#endif
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

    // Where a spelling's bytes stand among 16 * kChunks places from p;
    // reads one byte further, for a pair's trail byte.
    template <int kChunks> std::uint64_t hits(const unsigned char *p) const
    {
        // Each spelling over all chunks in turn: the loops over the
        // spellings, whose lengths vary, end once a block, not once a chunk.
        __m128i here[kChunks], next[kChunks], hit[kChunks];
        for (int c = 0; c < kChunks; ++c) {
            here[c] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * c));
            next[c] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * c + 1));
            hit[c] = _mm_setzero_si128();
        }
        for (const Lanes &b : single16)
            for (int c = 0; c < kChunks; ++c)
                hit[c] = _mm_or_si128(hit[c], _mm_cmpeq_epi8(here[c], b.bytes));
        for (std::size_t k = 0; k < lead16.size(); ++k)
            for (int c = 0; c < kChunks; ++c)
                hit[c] = _mm_or_si128(hit[c], _mm_and_si128(_mm_cmpeq_epi8(here[c], lead16[k].bytes),
                                                            _mm_cmpeq_epi8(next[c], trail16[k].bytes)));
        std::uint64_t mask = 0;
        for (int c = 0; c < kChunks; ++c)
            mask |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(hit[c]))) << (16 * c);
        return mask;
    }

    // The bytes that may lead a pair (0x81-0x9F, 0xE0-0xFC) among 16 *
    // kChunks places from p.
    template <int kChunks> static std::uint64_t leadRange(const unsigned char *p)
    {
        // Signed comparisons after flipping the top bit.
        const __m128i flip = _mm_set1_epi8(char(0x80));
        const auto above = [](__m128i v, int b) { return _mm_cmpgt_epi8(v, _mm_set1_epi8(char(b ^ 0x80))); };
        const auto below = [](__m128i v, int b) { return _mm_cmpgt_epi8(_mm_set1_epi8(char(b ^ 0x80)), v); };
        std::uint64_t mask = 0;
        for (int c = 0; c < kChunks; ++c) {
            const __m128i v = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 16 * c)), flip);
            const __m128i range = _mm_or_si128(_mm_and_si128(above(v, 0x80), below(v, 0xA0)),
                                               _mm_and_si128(above(v, 0xDF), below(v, 0xFD)));
            mask |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(range))) << (16 * c);
        }
        return mask;
    }
#endif
};

// A first look at a record's bytes that rules out most records cheaply: a
// record whose bytes hold none of the spellings of some character of a word
// cannot hold the word once folded. A few characters of each word are
// looked for, those with the fewest and rarest spellings first. Only places
// where a character starts count, so the trail byte of a kanji is never
// taken for a half-width kana or a letter. Spellings outside the nine texts
// (a digit of a date, a letter of the image base) let a record through to
// the full test, never the other way round; that is why several characters
// are looked for, not one.
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
        // The scan found a character's start.
        const int length = m_spellings.spellingAt(p, size, i);
        if (length == 0)
            return false; // a pair cut by the field's end
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

namespace {

// The places of the hits from where `articles` stands, up to `limit` (a
// record's start, or -1 for the end) or until `stop` is set.
void collectHits(RecordFileCodec &articles, const QuickQuery &query, qint64 limit, const std::atomic<bool> *stop,
                 std::vector<ArticlePlace> &hits)
{
    scan::ArticleScanner scanner(articles);
    scan::ScannedArticle article;
    ByteMatcher bytes(query);
    while ((limit < 0 || articles.position() < limit) && !(stop && stop->load(std::memory_order_relaxed))
           && !articles.AtEnd()) {
        const qint64 offset = articles.position();
        scanner.next(article);
        if (query.isEmpty() || (article.canonical ? bytes.matches(article) : query.matches(*article.converted)))
            hits.push_back({offset, quint32(article.recordNumber)});
    }
}

}  // namespace

std::vector<ArticlePlace> RunQuickSearch(const QString &dataFolder, const QuickQuery &query)
{
    const QString path = DataFiles::path(dataFolder, DataFiles::ArticleFile);
    RecordFileCodec articles(path, RecordFileCodec::OpenMode::Read);
    std::vector<ArticlePlace> hits, secondHits;
    // The second half of a large collection is read on a thread of its own;
    // its records are counted from its start until the first half's count is known.
    const qint64 secondStart = scan::secondHalfStart(articles.handle());
    bool secondWhole = false;
    std::optional<scan::SideThread> reader;
    if (secondStart > 0)
        reader.emplace([&, first = articles.handle()](const std::atomic<bool> &stop) {
            try {
                RecordFileCodec rest(path, RecordFileCodec::OpenMode::Read);
                if (!scan::sameOpenFile(rest.handle(), first))
                    return;
                rest.seek(secondStart, 1);
                collectHits(rest, query, -1, &stop, secondHits);
                secondWhole = !stop.load();
            } catch (...) {
                // Met again by the first reader, which tells it.
            }
        });
    const bool shared = reader && reader->started();
    collectHits(articles, query, shared ? secondStart : -1, nullptr, hits);
    if (shared) {
        reader->finish();
        if (articles.position() == secondStart && secondWhole) {
            const auto before = quint32(articles.recordsRead());
            for (ArticlePlace &p : secondHits)
                p.recordNumber += before;
            hits.insert(hits.end(), secondHits.begin(), secondHits.end());
        } else {
            collectHits(articles, query, -1, nullptr, hits);
        }
    }
    return hits;
}

} // namespace pagelore
