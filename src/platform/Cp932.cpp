#include "Cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace pagelore::Cp932 {

namespace {

constexpr const char *kIcuName = "windows-31j";

// Opening an ICU converter is costly, so one of each is kept. Qt 6.4's
// resetState() does not clear the error flag of an ICU-backed converter, so
// after an error the converter is replaced by a fresh one.
thread_local std::optional<QStringDecoder> t_decoder;
thread_local std::optional<QStringEncoder> t_encoder;

QStringDecoder &icuDecoder()
{
    if (!t_decoder || t_decoder->hasError())
        t_decoder.emplace(kIcuName, QStringConverter::Flag::Stateless);
    else
        t_decoder->resetState();
    return *t_decoder;
}

QStringEncoder &icuEncoder()
{
    if (!t_encoder || t_encoder->hasError())
        t_encoder.emplace(kIcuName, QStringConverter::Flag::Stateless);
    else
        t_encoder->resetState();
    return *t_encoder;
}

// Length of the character starting at bytes[i], or 0 when the bytes there are
// not a well-formed sequence of the code page.
qsizetype sequenceLength(QByteArrayView bytes, qsizetype i)
{
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF))
        return 1;
    if (isLeadByte(b) && i + 1 < bytes.size() && isTrailByte(static_cast<unsigned char>(bytes[i + 1])))
        return 2;
    return 0;
}

// Decodes one run of non-ASCII bytes. On failure reports the offset of the
// first bad sequence within the run.
bool decodeRun(QByteArrayView run, QString &out, qsizetype &badOffset)
{
    QString piece = icuDecoder().decode(run);
    if (!t_decoder->hasError()) {
        out += piece;
        return true;
    }
    // Find the culprit character by character.
    qsizetype i = 0;
    while (i < run.size()) {
        const qsizetype len = sequenceLength(run, i);
        if (len == 0) {
            badOffset = i;
            return false;
        }
        QString one = icuDecoder().decode(run.sliced(i, len));
        if (t_decoder->hasError() || one.isEmpty()) {
            badOffset = i;
            return false;
        }
        out += one;
        i += len;
    }
    // ICU reported an error that the character walk did not find; be strict.
    badOffset = 0;
    return false;
}

}  // namespace

DecodeResult decode(QByteArrayView bytes)
{
    DecodeResult result;
    result.text.reserve(bytes.size());
    const char *data = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype start = i;
        while (i < n && static_cast<unsigned char>(data[i]) < 0x80)
            ++i;
        if (i > start)
            result.text += QLatin1StringView(data + start, i - start);
        if (i >= n)
            break;
        start = i;
        // A run of non-ASCII characters; a trail byte may itself be ASCII, so
        // walk by character to find where the run ends.
        while (i < n && static_cast<unsigned char>(data[i]) >= 0x80) {
            const auto b = static_cast<unsigned char>(data[i]);
            i += (isLeadByte(b) && i + 1 < n) ? 2 : 1;
        }
        if (i > n)
            i = n;
        qsizetype bad = -1;
        if (!decodeRun(bytes.sliced(start, i - start), result.text, bad)) {
            result.ok = false;
            result.errorOffset = start + bad;
            result.text.clear();
            return result;
        }
    }
    return result;
}

EncodeResult encode(QStringView text)
{
    EncodeResult result;
    result.bytes.reserve(text.size() * 2);
    const QChar *data = text.data();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype start = i;
        while (i < n && data[i].unicode() < 0x80)
            ++i;
        for (qsizetype k = start; k < i; ++k)
            result.bytes += static_cast<char>(data[k].unicode());
        if (i >= n)
            break;
        start = i;
        while (i < n && data[i].unicode() >= 0x80)
            ++i;
        const QStringView run = text.sliced(start, i - start);
        QByteArray piece = icuEncoder().encode(run);
        if (!t_encoder->hasError()) {
            result.bytes += piece;
            continue;
        }
        // Find the first character that cannot be encoded.
        qsizetype k = 0;
        while (k < run.size()) {
            qsizetype len = 1;
            char32_t cp = run[k].unicode();
            if (run[k].isHighSurrogate() && k + 1 < run.size() && run[k + 1].isLowSurrogate()) {
                len = 2;
                cp = QChar::surrogateToUcs4(run[k], run[k + 1]);
            }
            const QByteArray probe = icuEncoder().encode(run.sliced(k, len));
            Q_UNUSED(probe);
            if (t_encoder->hasError() || QChar::isSurrogate(cp)) {
                result.ok = false;
                result.errorIndex = start + k;
                result.badCharacter = cp;
                result.bytes.clear();
                return result;
            }
            k += len;
        }
        result.ok = false;
        result.errorIndex = start;
        result.badCharacter = run[0].unicode();
        result.bytes.clear();
        return result;
    }
    return result;
}

QString decodeOrEmpty(QByteArrayView bytes)
{
    DecodeResult r = decode(bytes);
    return r.ok ? r.text : QString();
}

QString describeCharacter(char32_t c)
{
    const QString code = QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0')).toUpper();
    const bool printable = c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0) && !QChar::isSurrogate(c);
    if (!printable)
        return QStringLiteral("(%1)").arg(code);
    return QStringLiteral("「%1」(%2)").arg(QString::fromUcs4(&c, 1), code);
}

}  // namespace pagelore::Cp932
