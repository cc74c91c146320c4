#include "ArticleScan.h"

#include "platform/Cp932.h"
#include "platform/Cp932Canonical.h"

#include <QDate>

namespace pagelore::scan {

namespace {

// What the scan needs of the code page, small enough to stay in the
// processor's first-level cache: a class per byte and one bit per pair.
enum : std::uint8_t { kSingle = 1, kLead = 2, kPattern = 4 };

struct ScanTables {
    std::array<std::uint8_t, 256> classes{};
    std::array<std::uint64_t, 1024> canonicalPairs{};  // bit (lead << 8 | trail)
};

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
TextScan scanText(const unsigned char *p, const unsigned char *end)
{
    const ScanTables &t = scanTables();
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
    const int year = twoDigits(s.data()) * 100 + twoDigits(s.data() + 2);
    return year >= 100 && QDate::isValid(year, twoDigits(s.data() + 5), twoDigits(s.data() + 8));
}

}  // namespace

ArticleScanner::ArticleScanner(RecordFileCodec &file) : m_file(file)
{
    scanTables();
}

void ArticleScanner::next(ScannedArticle &a)
{
    a.converted.reset();
    m_file.readRawRecord(ArticleRecord::kFieldCount, a.fields.data(), &a.whole);
    a.recordNumber = m_file.recordsRead();
    a.canonical = quickCheck(a);
    if (!a.canonical)
        a.converted = convert(a);
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
            const TextScan scan = scanText(p, p + f.size);
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
