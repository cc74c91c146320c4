#include "Cp932Canonical.h"

#include "Cp932.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

namespace pagelore::Cp932 {

namespace {

// One pair at a time: slow, but needs nothing of the converter's behaviour on
// rejected input.
CanonicalTables buildSlowly(CanonicalTables t)
{
    t.pair.fill(CanonicalTables::PairInvalid);
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(static_cast<unsigned char>(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!isTrailByte(static_cast<unsigned char>(trail)))
                continue;
            const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const DecodeResult one = decode(QByteArrayView(bytes, 2));
            if (!one.ok || one.text.isEmpty())
                continue;
            const EncodeResult e = encode(one.text);
            const bool same = e.ok && e.bytes.size() == 2 && e.bytes[0] == bytes[0] && e.bytes[1] == bytes[1];
            t.pair[lead << 8 | trail] = same ? CanonicalTables::PairCanonical : CanonicalTables::PairOtherSpelling;
        }
    }
    return t;
}

CanonicalTables build()
{
    CanonicalTables t;
    for (int b = 0; b < 0x80; ++b)
        t.first[b] = CanonicalTables::Single;
    for (int b = 0x80; b < 0x100; ++b) {
        const auto byte = static_cast<unsigned char>(b);
        if (isLeadByte(byte)) {
            t.first[b] = CanonicalTables::Lead;
            continue;
        }
        const char c = static_cast<char>(b);
        const DecodeResult d = decode(QByteArrayView(&c, 1));
        if (d.ok && !d.text.isEmpty()) {
            const EncodeResult e = encode(d.text);
            if (e.ok && e.bytes.size() == 1 && e.bytes[0] == c)
                t.first[b] = CanonicalTables::Single;
        }
    }
    // Every pair in one conversion, each followed by a line feed so the
    // output splits back into pairs whatever the converter substitutes for
    // a pair it rejects (a rejected pair is never taken as canonical).
    QByteArray all;
    QList<int> codes;
    all.reserve(3 * 60 * 188);
    codes.reserve(60 * 188);
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(static_cast<unsigned char>(lead)))
            continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (!isTrailByte(static_cast<unsigned char>(trail)))
                continue;
            all += static_cast<char>(lead);
            all += static_cast<char>(trail);
            all += '\n';
            codes << (lead << 8 | trail);
        }
    }
    QStringDecoder decoder("windows-31j", QStringConverter::Flag::Stateless);
    const QString decoded = decoder.decode(all);
    QString candidates;
    QList<int> candidateCodes;
    candidates.reserve(decoded.size());
    candidateCodes.reserve(codes.size());
    qsizetype from = 0;
    for (qsizetype k = 0; k < codes.size(); ++k) {
        const qsizetype to = decoded.indexOf(QLatin1Char('\n'), from);
        if (to < 0)
            return buildSlowly(t);
        const QStringView piece = QStringView(decoded).sliced(from, to - from);
        from = to + 1;
        if (piece.size() != 1 || piece[0].unicode() < 0x80 || piece[0].unicode() == 0xFFFD)
            continue;
        candidates += piece[0];
        candidates += QLatin1Char('\n');
        candidateCodes << codes[k];
    }
    if (from != decoded.size())
        return buildSlowly(t);
    // The same converter that encode() hands its non-ASCII runs to, in one
    // call; a character it cannot write comes out as a substitute, which the
    // final check below would catch if it ever looked like the pair itself.
    QStringEncoder encoder("windows-31j", QStringConverter::Flag::Stateless);
    const QByteArray encoded = encoder.encode(candidates);
    QByteArray canonical;
    QString canonicalText;
    canonical.reserve(encoded.size());
    canonicalText.reserve(candidates.size());
    from = 0;
    for (qsizetype k = 0; k < candidateCodes.size(); ++k) {
        const qsizetype to = encoded.indexOf('\n', from);
        if (to < 0)
            return buildSlowly(t);
        const QByteArrayView b = QByteArrayView(encoded).sliced(from, to - from);
        from = to + 1;
        const int code = candidateCodes[k];
        const bool same = b.size() == 2 && static_cast<unsigned char>(b[0]) == (code >> 8)
                          && static_cast<unsigned char>(b[1]) == (code & 0xFF);
        t.pair[code] = same ? CanonicalTables::PairCanonical : CanonicalTables::PairOtherSpelling;
        if (same) {
            canonical += b;
            canonicalText += candidates[2 * k];
        }
    }
    if (from != encoded.size())
        return buildSlowly(t);
    // The project's own converters must read and write the canonical pairs
    // the same way.
    const DecodeResult check = decode(canonical);
    const EncodeResult back = encode(canonicalText);
    if (!check.ok || check.text != canonicalText || !back.ok || back.bytes != canonical)
        return buildSlowly(t);
    return t;
}

}  // namespace

const CanonicalTables &canonicalTables()
{
    static const CanonicalTables tables = build();
    return tables;
}

}  // namespace pagelore::Cp932
