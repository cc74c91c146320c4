#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace pagelore {

// Text conversion between Unicode and code page 932 (Shift-JIS with the
// Windows extensions), the encoding of every data file.
//
// Bytes 0x00-0x7F map to U+0000-U+007F unchanged and are handled here; only
// runs of other bytes go to ICU's "windows-31j" converter, which would swap a
// few control codes and is slower for the delimiters and digits that make up
// most of a record.
namespace Cp932 {

// True for a byte that starts a two-byte character.
constexpr bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

constexpr bool isTrailByte(unsigned char b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Lead bytes of the rows whose characters have a second byte sequence
// elsewhere in the code page (NEC row 13, NEC-selected and IBM extensions).
// Texts using them can only be compared after decoding.
constexpr bool isDuplicateRowLead(unsigned char b)
{
    return b == 0x87 || b == 0xED || b == 0xEE || b >= 0xFA;
}

struct DecodeResult {
    QString text;
    bool ok = true;
    qsizetype errorOffset = -1;  // offset of the first byte that is not code page 932
};

struct EncodeResult {
    QByteArray bytes;
    bool ok = true;
    qsizetype errorIndex = -1;  // index in the text of the first character that cannot be encoded
    char32_t badCharacter = 0;
};

DecodeResult decode(QByteArrayView bytes);
EncodeResult encode(QStringView text);

// Shorthand for callers that have already validated their input.
QString decodeOrEmpty(QByteArrayView bytes);

// Describes a character for a message: the character itself and its code point,
// for example 「😀」(U+1F600).
QString describeCharacter(char32_t c);

}  // namespace Cp932
}  // namespace pagelore
