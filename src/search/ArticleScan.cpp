#include "ArticleScan.h"

#include "platform/Cp932.h"
#include "platform/Cp932Canonical.h"

#include <QtEndian>

#include <cstring>


namespace pagelore::scan {

namespace {
// What the scan needs of the code page, small enough to stay in the
// processor's first-level cache: a class per byte and one bit per pair.
enum : std::uint8_t { kSingle = 1, kLead = 2, kPattern = 4 };
}  // namespace

struct ScanTables {
    std::array<std::uint8_t, 256> classes{};
    std::array<std::uint64_t, 1024> canonicalPairs{};  // bit (lead << 8 | trail)
    // The same by byte, for the walk: a load and a test, and it waits for
    // nothing the next character needs.
    std::array<bool, 65536> canonicalPair{};
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
            if (t.pair[code] == Cp932::CanonicalTables::PairCanonical) {
                s.canonicalPairs[code >> 6] |= std::uint64_t(1) << (code & 63);
                s.canonicalPair[code] = true;
            }
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

// A number exactly as the writer spells it: no sign but a minus, no leading
// zero, within the field's range.
bool canonicalNumber(QByteArrayView s, bool allowMinus, int high, qint16 &value)
{
    qsizetype i = 0;
    const bool negative = !s.isEmpty() && s[0] == '-';
    if (negative) {
        if (!allowMinus)
            return false;
        i = 1;
    }
    const qsizetype digits = s.size() - i;
    if (digits < 1 || digits > 5 || (s[i] == '0' && (digits > 1 || negative)))
        return false;
    int v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    if (negative)
        v = -v;
    if (v > high || v < (allowMinus ? -32768 : 0))
        return false;
    value = static_cast<qint16>(v);
    return true;
}

int twoDigits(const char *p)
{
    return (p[0] - '0') * 10 + (p[1] - '0');
}

// yyyy-mm-dd of a real day: the writer's form for a date without a time.
bool canonicalDate(QByteArrayView s)
{
    if (s.size() != 10 || s[4] != '-' || s[7] != '-')
        return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (s[i] < '0' || s[i] > '9')
            return false;
    // The Gregorian calendar's days, as QDate counts them for these years.
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = twoDigits(s.data()) * 100 + twoDigits(s.data() + 2);
    const int month = twoDigits(s.data() + 5), day = twoDigits(s.data() + 8);
    if (year < 100 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// A record in the writer's own form, read in one walk over the bytes read
// ahead: each text is checked character by character as it is crossed,
// which finds its closing quote on the way (a double quote is never the
// second byte of a character). Each step reads one field or delimiter and
// says whether it was there in that form; a record that fails a step, or is
// not wholly read yet, is left to the general reader.
class CanonicalWalk {
public:
    CanonicalWalk(const ScanTables &t, QByteArrayView bytes, qint64 offset)
        : m_t(t), m_begin(bytes.data()), m_p(bytes.data()), m_end(bytes.data() + bytes.size()), m_offset(offset)
    {
    }

    qsizetype length() const { return m_p - m_begin; }

    bool next(char delimiter)
    {
        if (m_p >= m_end || *m_p != delimiter)
            return false;
        ++m_p;
        return true;
    }

    bool text(RawField &f, int field, quint16 &patterns)
    {
        if (m_p >= m_end || *m_p != '"')
            return false;
        f.offset = m_offset + (m_p - m_begin);
        const auto *const from = reinterpret_cast<const unsigned char *>(m_p + 1);
        const auto *const last = reinterpret_cast<const unsigned char *>(m_end - 1);  // so q[1] is readable
        unsigned seen = 0;
        // Two-byte characters first: they are most of a Japanese text.
        for (const unsigned char *q = from; q < last;) {
            const unsigned c = *q;
            const unsigned kind = m_t.classes[c];
            if (kind & kLead) {
                std::uint16_t pair;
                std::memcpy(&pair, q, 2);
                if (!m_t.canonicalPair[qFromBigEndian(pair)])
                    return false;
                q += 2;
            } else if (c == '"') {
                f.form = RawField::Form::Quoted;
                f.data = reinterpret_cast<const char *>(from);
                f.size = q - from;
                if (seen & kPattern)
                    patterns |= 1u << field;
                m_p = reinterpret_cast<const char *>(q + 1);
                return true;
            } else if (kind & kSingle) {
                seen |= kind;
                ++q;
            } else {
                return false;
            }
        }
        return false;
    }

    // No sign but a minus, no leading zero, within the field's range.
    bool number(RawField &f, bool allowMinus, int high, qint16 &value)
    {
        const char *const from = m_p;
        const bool negative = m_p < m_end && *m_p == '-';
        if (negative) {
            if (!allowMinus)
                return false;
            ++m_p;
        }
        const char *const digits = m_p;
        int v = 0;
        for (; m_p < m_end && static_cast<unsigned>(*m_p - '0') < 10; ++m_p) {
            if (m_p - digits == 5)
                return false;
            v = v * 10 + (*m_p - '0');
        }
        const qsizetype n = m_p - digits;
        if (n == 0 || (*digits == '0' && (n > 1 || negative)))
            return false;
        if (negative)
            v = -v;
        if (v > high || v < -32768)
            return false;
        value = static_cast<qint16>(v);
        f.form = RawField::Form::Unquoted;
        f.data = from;
        f.size = m_p - from;
        f.offset = m_offset + (from - m_begin);
        return true;
    }

    bool date(RawField &f)
    {
        if (m_end - m_p < 12 || m_p[0] != '#' || m_p[11] != '#' || !canonicalDate(QByteArrayView(m_p + 1, 10)))
            return false;
        f.form = RawField::Form::DateLiteral;
        f.data = m_p + 1;
        f.size = 10;
        f.offset = m_offset + (m_p - m_begin);
        m_p += 12;
        return true;
    }

private:
    const ScanTables &m_t;
    const char *const m_begin;
    const char *m_p;
    const char *const m_end;
    const qint64 m_offset;  // of m_begin in the file
};

// The layout the walk reads, in the order of the file.
constexpr std::array<FieldKind, ArticleRecord::kFieldCount> kWriterLayout = {
    FieldKind::String, FieldKind::String, FieldKind::String, FieldKind::Int16, FieldKind::Int16,
    FieldKind::String, FieldKind::String, FieldKind::Date,   FieldKind::String, FieldKind::String,
    FieldKind::String, FieldKind::String, FieldKind::String, FieldKind::UInt8, FieldKind::UInt8,
};

}  // namespace

ArticleScanner::ArticleScanner(RecordFileCodec &file)
    : m_file(file), m_tables(&scanTables()), m_writerLayout(ArticleRecord::kKinds == kWriterLayout)
{
}

void ArticleScanner::next(ScannedArticle &a)
{
    a.converted.reset();
    if (takeCanonical(a))
        return;
    m_file.readRawRecord(ArticleRecord::kFieldCount, a.fields.data(), &a.whole);
    a.recordNumber = m_file.recordsRead();
    a.canonical = quickCheck(a);
    if (!a.canonical)
        a.converted = convert(a);
}

bool ArticleScanner::takeCanonical(ScannedArticle &a)
{
    if (!m_writerLayout)
        return false;
    const QByteArrayView unread = m_file.unread();
    if (unread.isEmpty())
        return false;
    CanonicalWalk w(*m_tables, unread, m_file.position());
    quint16 patterns = 0;
    qint16 image = 0;
    RawField *f = a.fields.data();
    const bool whole = w.text(f[0], 0, patterns) && w.next(',') && w.text(f[1], 1, patterns) && w.next(',')
                       && w.text(f[2], 2, patterns) && w.next(',') && w.number(f[3], true, 32767, a.firstPage)
                       && w.next(',') && w.number(f[4], true, 32767, a.lastPage) && w.next(',')
                       && w.text(f[5], 5, patterns) && w.next(',') && w.text(f[6], 6, patterns) && w.next(',')
                       && w.date(f[7]) && w.next(',') && w.text(f[8], 8, patterns) && w.next(',')
                       && w.text(f[9], 9, patterns) && w.next(',') && w.text(f[10], 10, patterns) && w.next(',')
                       && w.text(f[11], 11, patterns) && w.next(',') && w.text(f[12], 12, patterns)
                       && w.next(',') && w.number(f[13], false, 255, image) && w.next(',')
                       && w.number(f[14], false, 255, image) && w.next('\r') && w.next('\n');
    if (!whole)
        return false;
    a.whole = QByteArrayView(unread.data(), w.length());
    a.patternFields = patterns;
    a.canonical = true;
    m_file.takeRecord(w.length());
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
