#include "Cp932Canonical.h"

#include "Cp932.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>
#include <QStringList>

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
    const QStringList pieces = decoded.split(QLatin1Char('\n'));
    if (pieces.size() != codes.size() + 1)
        return buildSlowly(t);
    QString candidates;
    QList<int> candidateCodes;
    for (qsizetype k = 0; k < codes.size(); ++k) {
        const QString &piece = pieces[k];
        if (piece.size() != 1 || piece[0].unicode() < 0x80 || piece[0].unicode() == 0xFFFD)
            continue;
        candidates += piece;
        candidates += QLatin1Char('\n');
        candidateCodes << codes[k];
    }
    const EncodeResult encoded = encode(candidates);
    const QList<QByteArray> spellings = encoded.bytes.split('\n');
    if (!encoded.ok || spellings.size() != candidateCodes.size() + 1)
        return buildSlowly(t);
    QByteArray canonical;
    QString canonicalText;
    for (qsizetype k = 0; k < candidateCodes.size(); ++k) {
        const int code = candidateCodes[k];
        const QByteArray &b = spellings[k];
        const bool same = b.size() == 2 && static_cast<unsigned char>(b[0]) == (code >> 8)
                          && static_cast<unsigned char>(b[1]) == (code & 0xFF);
        t.pair[code] = same ? CanonicalTables::PairCanonical : CanonicalTables::PairOtherSpelling;
        if (same) {
            canonical += b;
            canonicalText += candidates[2 * k];
        }
    }
    // The project's own decoder must read the canonical pairs the same way.
    const DecodeResult check = decode(canonical);
    if (!check.ok || check.text != canonicalText)
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
