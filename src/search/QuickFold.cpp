#include "QuickFold.h"

#include "platform/Cp932.h"
#include "platform/Cp932Canonical.h"

#include <QList>

#include <algorithm>

namespace pagelore::quick {

namespace {

constexpr std::uint32_t kMark = 1u << 24;
constexpr std::uint32_t kExpansion = 1u << 25;
constexpr char16_t kVoiced = 0x3099, kSemiVoiced = 0x309A;
constexpr char16_t kNotCanonical = 0xFFFF; // no character of the code page

void katakanaForHiragana(QString &s)
{
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if ((u >= 0x3041 && u <= 0x3096) || u == 0x309D || u == 0x309E)
            c = QChar(char16_t(u + 0x60));
    }
}

} // namespace

QString fold(QStringView text)
{
    QString s = text.toString().normalized(QString::NormalizationForm_KC);
    katakanaForHiragana(s);
    return s.toCaseFolded();
}

const FoldTables &FoldTables::instance()
{
    static const FoldTables tables;
    return tables;
}

FoldTables::FoldTables()
{
    // A character outside the tables never occurs in a canonical record;
    // U+FFFD keeps it apart from the separator the matcher puts between fields.
    m_single.fill(0xFFFD);
    m_pair.fill(0xFFFD);
    m_singleUnit.fill(kNotCanonical);
    m_pairUnit.fill(kNotCanonical);
    for (int b = 0; b < 0x80; ++b) {
        m_codes.push_back(std::uint16_t(b));
        m_singleUnit[b] = char16_t(b);
        m_single[b] = b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b;
    }

    // Every other canonical character, decoded in one conversion with a line
    // feed after each, then folded in one go: a line feed takes no part in
    // normalisation, so each piece folds as the character alone would.
    const Cp932::CanonicalTables &canonical = Cp932::canonicalTables();
    QList<int> codes;
    QByteArray bytes;
    for (int b = 0x80; b < 0x100; ++b) {
        if (canonical.first[b] != Cp932::CanonicalTables::Single)
            continue;
        codes << b;
        bytes += static_cast<char>(b);
        bytes += '\n';
    }
    for (int code = 0x8100; code < 0x10000; ++code) {
        if (canonical.pair[code] != Cp932::CanonicalTables::PairCanonical)
            continue;
        codes << code;
        bytes += static_cast<char>(code >> 8);
        bytes += static_cast<char>(code & 0xFF);
        bytes += '\n';
    }
    const QString decoded = Cp932::decodeOrEmpty(bytes);
    const QString folded = quick::fold(decoded);
    const QList<QStringView> characters = QStringView(decoded).split(QLatin1Char('\n'));
    const QList<QStringView> folds = QStringView(folded).split(QLatin1Char('\n'));
    if (characters.size() != codes.size() + 1 || folds.size() != codes.size() + 1)
        qFatal("quick search: the code page tables do not line up");

    for (qsizetype k = 0; k < codes.size(); ++k) {
        const int code = codes[k];
        const QStringView character = characters[k];
        const QStringView f = folds[k];
        if (character.size() != 1)
            continue;
        m_codes.push_back(std::uint16_t(code));
        std::uint32_t entry;
        if (f.size() == 1 && (f[0] == QChar(kVoiced) || f[0] == QChar(kSemiVoiced))) {
            entry = kMark | f[0].unicode();
        } else if (f.size() == 1) {
            entry = f[0].unicode();
        } else {
            if (f.size() > (code < 0x100 ? 1 : 2) * kMaxUnitsPerByte)
                qFatal("quick search: a character folds to too long a text");
            entry = kExpansion | std::uint32_t(f.size()) << 16 | std::uint32_t(m_expansions.size());
            for (QChar c : f)
                m_expansions.push_back(c.unicode());
        }
        if (code < 0x100) {
            m_single[code] = entry;
            m_singleUnit[code] = character[0].unicode();
        } else {
            m_pair[code] = entry;
            m_pairUnit[code] = character[0].unicode();
        }
    }

    for (int i = 0; i < 96; ++i) {
        for (int m = 0; m < 2; ++m) {
            const QString pair = QString(QChar(char16_t(0x30A0 + i))) + QChar(m == 0 ? kVoiced : kSemiVoiced);
            const QString joined = pair.normalized(QString::NormalizationForm_C);
            m_composed[m][i] = joined.size() == 1 ? joined[0].unicode() : 0;
        }
    }
    // spellingsOf() looks one composition back only.
    for (const auto &row : m_composed)
        for (const char16_t made : row)
            if (made >= 0x30A0 && made <= 0x30FF && (m_composed[0][made - 0x30A0] || m_composed[1][made - 0x30A0]))
                qFatal("quick search: a kana made with a mark takes another mark");
}

std::u16string FoldTables::foldOf(std::uint32_t e) const
{
    if (e < 0x10000 || (e & kMark))
        return std::u16string(1, char16_t(e));
    return std::u16string(m_expansions.data() + (e & 0xFFFF), (e >> 16) & 0xFF);
}

std::vector<std::uint16_t> FoldTables::spellingsOf(char16_t unit) const
{
    // The kana that a mark turns into `unit`; none of them is itself made by
    // a mark from another, so one step back is all there is.
    std::u16string bases;
    for (int m = 0; m < 2; ++m)
        for (int i = 0; i < 96; ++i)
            if (m_composed[m][i] == unit)
                bases += char16_t(0x30A0 + i);
    std::vector<std::uint16_t> codes;
    for (const std::uint16_t code : m_codes) {
        const std::u16string f = foldOf(code < 0x100 ? m_single[code] : m_pair[code]);
        if (f.find(unit) != std::u16string::npos || (!f.empty() && bases.find(f.back()) != std::u16string::npos))
            codes.push_back(code);
    }
    return codes;
}

std::optional<std::vector<std::uint16_t>> FoldTables::exactSpellingsOf(char16_t unit) const
{
    for (const auto &row : m_composed)
        if (std::find(row.begin(), row.end(), unit) != row.end())
            return std::nullopt;
    std::vector<std::uint16_t> codes = spellingsOf(unit);
    for (const std::uint16_t code : codes)
        if (foldOf(code < 0x100 ? m_single[code] : m_pair[code]) != std::u16string(1, unit))
            return std::nullopt;
    return codes;
}

std::pair<bool, bool> FoldTables::joinsMarks(char16_t unit) const
{
    if (unit < 0x30A0 || unit > 0x30FF)
        return {false, false};
    return {m_composed[0][unit - 0x30A0] != 0, m_composed[1][unit - 0x30A0] != 0};
}

char16_t *FoldTables::fold(QByteArrayView bytes, char16_t *out) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    char16_t *const start = out;
    while (p < end) {
        std::uint32_t e;
        if (Cp932::isLeadByte(*p) && p + 1 < end) {
            e = m_pair[p[0] << 8 | p[1]];
            p += 2;
        } else {
            e = m_single[*p];
            ++p;
        }
        if (e < 0x10000) {
            *out++ = char16_t(e);
        } else if (e & kMark) {
            const char16_t mark = char16_t(e);
            const char16_t before = out > start ? out[-1] : 0;
            const char16_t joined =
                before >= 0x30A0 && before <= 0x30FF ? m_composed[mark == kSemiVoiced][before - 0x30A0] : 0;
            if (joined)
                out[-1] = joined;
            else
                *out++ = mark;
        } else {
            const char16_t *from = m_expansions.data() + (e & 0xFFFF);
            for (std::uint32_t n = (e >> 16) & 0xFF; n > 0; --n)
                *out++ = *from++;
        }
    }
    return out;
}

bool FoldTables::decode(QByteArrayView bytes, std::vector<char16_t> &out) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *const end = p + bytes.size();
    while (p < end) {
        char16_t u;
        if (Cp932::isLeadByte(*p)) {
            if (p + 1 >= end)
                return false;
            u = m_pairUnit[p[0] << 8 | p[1]];
            p += 2;
        } else {
            u = m_singleUnit[*p];
            ++p;
        }
        if (u == kNotCanonical)
            return false;
        out.push_back(u);
    }
    return true;
}

} // namespace pagelore::quick
