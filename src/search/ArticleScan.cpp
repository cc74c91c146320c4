#include "ArticleScan.h"

#include "BlockScan.h"

#include "platform/Cp932.h"
#include "platform/Cp932Canonical.h"

#include <algorithm>
#include <cstring>

namespace pagelore::scan {

namespace {
enum : std::uint8_t { kSingle = 1, kLead = 2, kPattern = 4 };
}  // namespace

// What the check of a record read by the general reader needs of the code
// page, small enough to stay in the processor's first-level cache: a class
// per byte and one bit per pair.
struct ScanTables {
    std::array<std::uint8_t, 256> classes{};
    std::array<std::uint64_t, 1024> canonicalPairs{};  // bit (lead << 8 | trail)
};

namespace {

const ScanTables &scanTables()
{
    static const ScanTables tables = [] {
        ScanTables s;
        const auto &t = Cp932::canonicalTables();
        for (int b = 0; b < 256; ++b) {
            if (t.first[b] == Cp932::CanonicalTables::Single)
                s.classes[b] = kSingle;
            else if (t.first[b] == Cp932::CanonicalTables::Lead)
                s.classes[b] = kLead;
        }
        for (char c : {'?', '*', '#', '['})
            s.classes[static_cast<unsigned char>(c)] |= kPattern;
        for (int code = 0; code < 65536; ++code)
            if (t.pair[code] == Cp932::CanonicalTables::PairCanonical)
                s.canonicalPairs[code >> 6] |= std::uint64_t(1) << (code & 63);
        return s;
    }();
    return tables;
}

enum class TextScan { NotCanonical, Plain, WithPattern };

// The length of each character comes from a branch on its first byte, which
// the processor predicts well (Japanese text is mostly two-byte characters),
// so finding the next character never waits for a table; the checks only
// accumulate. `end[0]` must be readable (it is the closing quote), so a lead
// byte at the end fails as a pair.
TextScan scanText(const ScanTables &t, const unsigned char *p, const unsigned char *end)
{
    unsigned ok = 1, seen = 0;
    while (p < end) {
        const unsigned c = p[0];
        if (c < 0x80) {
            seen |= t.classes[c];
            ++p;
        } else if (Cp932::isLeadByte(static_cast<unsigned char>(c))) {
            const unsigned code = c << 8 | p[1];
            ok &= unsigned(t.canonicalPairs[code >> 6] >> (code & 63));
            p += 2;
        } else {
            ok &= t.classes[c];
            ++p;
        }
    }
    if (!(ok & 1))
        return TextScan::NotCanonical;
    return seen & kPattern ? TextScan::WithPattern : TextScan::Plain;
}

// The number at the start of `s` exactly as the writer spells it (no sign
// but a minus, no leading zero, five digits at most) and within the field's
// range; the length it takes, or 0.
qsizetype writerNumber(QByteArrayView s, bool allowMinus, int high, qint16 &value)
{
    const bool negative = !s.isEmpty() && s[0] == '-';
    if (negative && !allowMinus)
        return 0;
    qsizetype i = negative ? 1 : 0;
    const qsizetype first = i;
    int v = 0;
    for (; i < s.size() && static_cast<unsigned>(s[i] - '0') < 10; ++i) {
        if (i - first == 5)
            return 0;
        v = v * 10 + (s[i] - '0');
    }
    const qsizetype digits = i - first;
    if (digits == 0 || (s[first] == '0' && (digits > 1 || negative)))
        return 0;
    if (negative)
        v = -v;
    if (v > high || v < -32768)
        return 0;
    value = static_cast<qint16>(v);
    return i;
}

bool canonicalNumber(QByteArrayView s, bool allowMinus, int high, qint16 &value)
{
    const qsizetype n = writerNumber(s, allowMinus, high, value);
    return n > 0 && n == s.size();
}

// The same for the eight bytes at `p` (all readable): the digits end at the
// first byte that is no digit, found for all eight at once, and are summed in
// pairs, fours and eights.
[[gnu::always_inline]] inline qsizetype writerNumber8(const char *p, int high, qint16 &value)
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    // A byte below '0' borrows from the bytes after it, which come after the
    // first byte that is no digit and do not count.
    const std::uint64_t d = w - 0x3030303030303030;
    const std::uint64_t other = (d | (d + 0x7676767676767676)) & 0x8080808080808080;
    const int n = __builtin_ctzll(other | (std::uint64_t(1) << 63)) >> 3;
    if (n == 0 || n > 5 || (n > 1 && (d & 0xFF) == 0))
        return 0;
    std::uint64_t x = d << (64 - 8 * n);
    x = (x * 2561) >> 8;
    x = ((x & 0x00FF00FF00FF00FF) * 6553601) >> 16;
    x = ((x & 0x0000FFFF0000FFFF) * 42949672960001) >> 32;
    if (x > std::uint64_t(high))
        return 0;
    value = static_cast<qint16>(x);
    return n;
}

// The Gregorian calendar's days, as QDate counts them for these years.
[[gnu::always_inline]] inline bool realDay(int year, int month, int day)
{
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || month < 1 || month > 12 || day < 1)
        return false;
    // Without branches on the year, which the processor could not foresee.
    const bool leap = (year % 4 == 0) & ((year % 100 != 0) | (year % 400 == 0));
    return day <= kDays[month - 1] + int((month == 2) & leap);
}

// yyyy-mm-dd of a real day at `p`: the writer's form for a date without a
// time. The digits of the first eight bytes are tested at once.
[[gnu::always_inline]] inline bool canonicalDate(const char *p)
{
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const std::uint64_t d = w ^ 0x3030303030303030;  // a digit's value; other bytes above 9
    // A high half that is not zero, or a low one above 9 (which adding 6
    // carries into the high half).
    const std::uint64_t other = (d | (d + 0x0606060606060606)) & 0xF0F0F0F0F0F0F0F0;
    const unsigned day0 = static_cast<unsigned char>(p[8]) - '0', day1 = static_cast<unsigned char>(p[9]) - '0';
    if ((other & 0x00FFFF00FFFFFFFF) || (w >> 32 & 0xFF) != '-' || (w >> 56) != '-' || day0 > 9 || day1 > 9)
        return false;
    std::uint32_t year = std::uint32_t(d);
    year = ((year * 10) + (year >> 8)) & 0x00FF00FF;
    year = ((year * 100) + (year >> 16)) & 0xFFFF;
    return realDay(int(year), int((d >> 40 & 0xFF) * 10 + (d >> 48 & 0xFF)), int(day0 * 10 + day1));
}

bool canonicalDate(QByteArrayView s)
{
    return s.size() == 10 && canonicalDate(s.data());
}

// The layout the block walk reads, in the order of the file.
constexpr std::array<FieldKind, ArticleRecord::kFieldCount> kWriterLayout = {
    FieldKind::String, FieldKind::String, FieldKind::String, FieldKind::Int16,  FieldKind::Int16,
    FieldKind::String, FieldKind::String, FieldKind::Date,   FieldKind::String, FieldKind::String,
    FieldKind::String, FieldKind::String, FieldKind::String, FieldKind::UInt8,  FieldKind::UInt8,
};

// The ten texts of an article, by their quotes: text j lies between quotes
// 2j and 2j + 1.
constexpr std::array<int, 10> kTextFields = {0, 1, 2, 5, 6, 8, 9, 10, 11, 12};

}  // namespace

// The structure of the bytes ahead of the reader's position, indexed in
// batches from the start of a record on. It holds as long as the reader's
// bytes stand where they were when indexed.
struct Lookahead {
    static constexpr int kBatch = 16;
    static constexpr qint64 kDropAfter = 128 * 64;  // so a record of 8 KB always fits

    const unsigned char *base = nullptr;
    qint64 baseOffset = 0;  // of base in the file
    int available = 0;      // blocks that lie in the reader's bytes, with the byte after them
    StructureIndex index;
    int nextQuote = 0, nextWrong = 0, nextPattern = 0;  // the first places not yet passed

    void restart(const unsigned char *at, qint64 offset)
    {
        base = at;
        baseOffset = offset;
        index.clear();
        nextQuote = nextWrong = nextPattern = 0;
    }

    // Forgets the blocks before `blocks`, all passed; what is indexed after
    // them stays.
    void drop(int blocks)
    {
        const std::uint32_t bytes = std::uint32_t(blocks) * 64;
        const auto shift = [bytes](std::uint32_t *places, int &count, int &next) {
            for (int i = next; i < count; ++i)
                places[i - next] = places[i] - bytes;
            count -= next;
            next = 0;
        };
        shift(index.quotes.get(), index.quoteCount, nextQuote);
        shift(index.wrong.get(), index.wrongCount, nextWrong);
        shift(index.patterns.get(), index.patternCount, nextPattern);
        index.blocks -= blocks;
        base += bytes;
        baseOffset += bytes;
    }

    // Indexes more blocks; false when the bytes end first.
    bool more()
    {
        const int n = std::min(kBatch, available - index.blocks);
        if (n <= 0)
            return false;
        indexBlocks(base, n, index);
        return true;
    }
};

ArticleScanner::ArticleScanner(RecordFileCodec &file)
    : m_file(file), m_tables(&scanTables()), m_writerLayout(ArticleRecord::kKinds == kWriterLayout),
      m_ahead(std::make_unique<Lookahead>())
{
}

ArticleScanner::~ArticleScanner() = default;

void ArticleScanner::next(ScannedArticle &a)
{
    if (nextInBuffer(a))
        return;
    // The general reader may move the bytes; index afresh after it.
    m_ahead->base = nullptr;
    m_file.readRawRecord(ArticleRecord::kFieldCount, a.fields.data(), &a.whole);
    a.recordNumber = m_file.recordsRead();
    a.canonical = quickCheck(a);
    if (!a.canonical)
        a.converted = convert(a);
}

namespace {

// A number field between `from` and the delimiter after it.
[[gnu::always_inline]] inline const char *takeNumber(const char *from, const char *end, bool allowMinus, int high,
                                                     qint16 &value, RawField &f, qint64 offset)
{
    f.offset = offset;
    const qsizetype n = end - from >= 8 && *from != '-'
                            ? writerNumber8(from, high, value)
                            : writerNumber(QByteArrayView(from, end - from), allowMinus, high, value);
    f.form = RawField::Form::Unquoted;
    f.data = from;
    f.size = n;
    return n ? from + n : nullptr;
}

}  // namespace

// A record in the writer's own form, found from the structure index: its
// twenty quotes delimit the ten texts (a quote is never part of a
// character); the bytes between them are checked as the writer spells them;
// every character of the texts is canonical unless the index says otherwise.
bool ArticleScanner::takeCanonical(ScannedArticle &a)
{
    if (!m_writerLayout)
        return false;
    const QByteArrayView unread = m_file.unread();
    if (unread.isEmpty() || *unread.data() != '"')
        return false;
    const auto *const start = reinterpret_cast<const unsigned char *>(unread.data());
    const qint64 position = m_file.position();
    Lookahead &ahead = *m_ahead;
    qint64 s = position - ahead.baseOffset;
    if (!ahead.base || s < 0 || ahead.base + s != start) {
        ahead.restart(start, position);
        s = 0;
    } else if (s >= Lookahead::kDropAfter) {
        ahead.drop(static_cast<int>(s >> 6));
        s &= 63;
    }
    ahead.available = static_cast<int>(std::min<qint64>(StructureIndex::kMaxBlocks, (s + unread.size() - 1) / 64));
    const StructureIndex &ix = ahead.index;

    // The record's twenty quotes, its first at its first byte.
    while (ix.quoteCount - ahead.nextQuote < 20)
        if (!ahead.more())
            return false;
    const std::uint32_t *const q = ix.quotes.get() + ahead.nextQuote;

    // Between the texts: one comma, the pages, the date, and after the last
    // text the image numbers and the line end.
    const char *const c = reinterpret_cast<const char *>(ahead.base);
    const char *const end = unread.data() + unread.size();
    const qint64 date = q[9] + 2;  // its first number sign
    const auto comma = [ q, c ](int i) __attribute__((always_inline))
    {
        return (q[i + 1] == q[i] + 2) & (c[q[i] + 1] == ',');
    };
    bool ok = (q[0] == s) & comma(1) & comma(3) & comma(7) & comma(11) & comma(13) & comma(15) & comma(17);
    ok &= (q[10] == q[9] + 15) & (c[q[9] + 1] == ',') & (c[date] == '#') & (c[date + 11] == '#')
          & (c[date + 12] == ',');
    if (!ok || !canonicalDate(c + date + 1))
        return false;
    RawField *const f = a.fields.data();
    const char *p = c + q[5] + 1;
    const qint64 baseOffset = ahead.baseOffset;
    const auto at = [c, baseOffset](const char *x) { return baseOffset + (x - c); };
    if (*p != ',' || !(p = takeNumber(p + 1, end, true, 32767, a.firstPage, f[3], at(p + 1))) || *p != ','
        || !(p = takeNumber(p + 1, end, true, 32767, a.lastPage, f[4], at(p + 1))) || *p != ','
        || p + 1 != c + q[6])
        return false;
    qint16 image = 0;
    p = c + q[19] + 1;
    if (end - p < 6 || *p != ',' || !(p = takeNumber(p + 1, end, false, 255, image, f[13], at(p + 1))) || p >= end
        || *p != ',' || !(p = takeNumber(p + 1, end, false, 255, image, f[14], at(p + 1))) || end - p < 2
        || p[0] != '\r' || p[1] != '\n')
        return false;

    // The characters of the texts: none not canonical, and which texts hold
    // pattern characters.
    const qint64 last = q[19];
    if (ahead.nextWrong < ix.wrongCount && ix.wrong[ahead.nextWrong] <= last)
        return false;
    quint16 patternFields = 0;
    for (; ahead.nextPattern < ix.patternCount && ix.patterns[ahead.nextPattern] <= last; ++ahead.nextPattern) {
        const qint64 x = ix.patterns[ahead.nextPattern];
        int j = 0;
        while (j < 10 && !(q[2 * j] < x && x < q[2 * j + 1]))
            ++j;
        if (j == 10)
            return false;
        patternFields |= 1u << kTextFields[j];
    }
    ahead.nextQuote += 20;

    const auto text = [&](int field, int j) __attribute__((always_inline))
    {
        RawField &t = f[field];
        t.form = RawField::Form::Quoted;
        t.data = c + q[2 * j] + 1;
        t.size = q[2 * j + 1] - q[2 * j] - 1;
        t.offset = baseOffset + q[2 * j];
    };
    text(0, 0), text(1, 1), text(2, 2), text(5, 3), text(6, 4);
    text(8, 5), text(9, 6), text(10, 7), text(11, 8), text(12, 9);
    f[7].form = RawField::Form::DateLiteral;
    f[7].data = c + date + 1;
    f[7].size = 10;
    f[7].offset = baseOffset + date;
    const qsizetype length = p + 2 - (c + s);
    a.whole = QByteArrayView(c + s, length);
    a.patternFields = patternFields;
    a.canonical = true;
    m_file.takeRecord(length);
    a.recordNumber = m_file.recordsRead();
    return true;
}

bool ArticleScanner::quickCheck(ScannedArticle &a) const
{
    const char *expected = a.whole.data();
    const char *const end = a.whole.data() + a.whole.size();
    a.patternFields = 0;
    for (int i = 0; i < ArticleRecord::kFieldCount; ++i) {
        const RawField &f = a.fields[i];
        const char *after = nullptr;
        switch (ArticleRecord::kKinds[i]) {
        case FieldKind::String: {
            if (f.form != RawField::Form::Quoted || f.data != expected + 1)
                return false;
            const auto *p = reinterpret_cast<const unsigned char *>(f.data);
            const TextScan scan = scanText(*m_tables, p, p + f.size);
            if (scan == TextScan::NotCanonical)
                return false;
            if (scan == TextScan::WithPattern)
                a.patternFields |= 1u << i;
            after = f.data + f.size + 1;
            break;
        }
        case FieldKind::Int16:
        case FieldKind::UInt8: {
            const bool wide = ArticleRecord::kKinds[i] == FieldKind::Int16;
            qint16 value = 0;
            if (f.form != RawField::Form::Unquoted || f.data != expected
                || !canonicalNumber(f.bytes(), wide, wide ? 32767 : 255, value))
                return false;
            if (i == 3)
                a.firstPage = value;
            else if (i == 4)
                a.lastPage = value;
            after = f.data + f.size;
            break;
        }
        case FieldKind::Date:
            if (f.form != RawField::Form::DateLiteral || f.data != expected + 1 || !canonicalDate(f.bytes()))
                return false;
            after = f.data + f.size + 1;
            break;
        }
        if (i + 1 < ArticleRecord::kFieldCount) {
            if (after >= end || *after != ',')
                return false;
            expected = after + 1;
        } else if (end - after != 2 || after[0] != '\r' || after[1] != '\n') {
            return false;
        }
    }
    return true;
}

QString ArticleScanner::text(const ScannedArticle &a, int field) const
{
    return std::get<QString>(RecordFileCodec::convertField(a.fields[field], FieldKind::String, m_file.path(),
                                                           a.recordNumber, field + 1));
}

ArticleRecord ArticleScanner::convert(const ScannedArticle &a) const
{
    Record values;
    values.reserve(ArticleRecord::kFieldCount);
    for (int i = 0; i < ArticleRecord::kFieldCount; ++i)
        values.append(RecordFileCodec::convertField(a.fields[i], ArticleRecord::kKinds[i], m_file.path(),
                                                    a.recordNumber, i + 1));
    return ArticleRecord::fromRecord(values);
}

StoredSpelling StoredSpelling::of(const QString &text)
{
    StoredSpelling s;
    Cp932::EncodeResult e = Cp932::encode(text);
    if (!e.ok)
        return s;
    // A character that the converter writes by a one-way mapping would look
    // equal at byte level to a different stored character.
    const Cp932::DecodeResult back = Cp932::decode(e.bytes);
    s.representable = back.ok && back.text == text;
    if (s.representable)
        s.bytes = std::move(e.bytes);
    return s;
}

}  // namespace pagelore::scan
