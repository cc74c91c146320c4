#include "TypedInput.h"

namespace pagelore::TypedInput {

namespace {

// Maps full-width digits and the few punctuation marks a date or number may
// contain to ASCII, and trims spaces of either width.
QByteArray normalise(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            out += static_cast<char>('0' + (u - 0xFF10));
        else if (u == 0xFF0F)
            out += '/';
        else if (u == 0xFF1A)
            out += ':';
        else if (u == 0xFF0D || u == 0x2212)
            out += '-';
        else if (u == 0xFF0B)
            out += '+';
        else if (u == 0x3000 || u == '\t')
            out += ' ';
        else if (u < 0x80)
            out += static_cast<char>(u);
        else
            out += '\x01'; // never part of a valid number or date
    }
    return out.trimmed();
}

std::optional<long> toInteger(const QByteArray &s, bool allowMinus)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        if (negative && !allowMinus)
            return std::nullopt;
        ++i;
    }
    if (i >= s.size())
        return std::nullopt;
    long value = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
        value = value * 10 + (s[i] - '0');
        if (value > 100000)
            return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace

std::optional<qint16> toInt16(const QString &text)
{
    const auto v = toInteger(normalise(text), true);
    if (!v || *v < -32768 || *v > 32767)
        return std::nullopt;
    return static_cast<qint16>(*v);
}

std::optional<quint8> toUInt8(const QString &text)
{
    const auto v = toInteger(normalise(text), false);
    if (!v || *v < 0 || *v > 255)
        return std::nullopt;
    return static_cast<quint8>(*v);
}

std::optional<DateValue> toDate(const QString &text, DateError *error)
{
    const auto refuse = [error](DateError why) -> std::optional<DateValue> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QByteArray s = normalise(text);
    const qsizetype space = s.indexOf(' ');
    const QByteArray datePart = space < 0 ? s : s.left(space);
    const QByteArray timePart = space < 0 ? QByteArray() : s.mid(space + 1).trimmed();

    const QList<QByteArray> ymd = datePart.split('/');
    if (ymd.size() != 3 || ymd[0].size() != 4 || ymd[1].isEmpty() || ymd[1].size() > 2 || ymd[2].isEmpty()
        || ymd[2].size() > 2)
        return refuse(DateError::WrongForm);
    int parts[3];
    for (int k = 0; k < 3; ++k) {
        const auto v = toInteger(ymd[k], false);
        if (!v || ymd[k][0] == '+')
            return refuse(DateError::WrongForm);
        parts[k] = static_cast<int>(*v);
    }

    int t[3] = {0, 0, 0};
    if (space >= 0) {
        const QList<QByteArray> hms = timePart.split(':');
        if (hms.size() < 2 || hms.size() > 3)
            return refuse(DateError::WrongForm);
        for (qsizetype k = 0; k < hms.size(); ++k) {
            const auto v = toInteger(hms[k], false);
            if (!v || hms[k].isEmpty() || hms[k].size() > 2 || hms[k][0] == '+')
                return refuse(DateError::WrongForm);
            t[k] = static_cast<int>(*v);
        }
    }
    // Written as a date; from here on only the value can be wrong.
    const QDate date(parts[0], parts[1], parts[2]);
    if (!date.isValid() || parts[0] < 100 || t[0] > 23 || t[1] > 59 || t[2] > 59)
        return refuse(DateError::NoSuchDate);
    return DateValue::fromDate(date, QTime(t[0], t[1], t[2]));
}

QString mapTypedText(QString text)
{
    // What input methods here type, and the code point the code page has.
    static constexpr char16_t kMarks[][2] = {
        {0x301C, 0xFF5E}, // WAVE DASH -> FULLWIDTH TILDE
        {0x2212, 0xFF0D}, // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS
        {0x2016, 0x2225}, // DOUBLE VERTICAL LINE -> PARALLEL TO
        {0x00A2, 0xFFE0}, // CENT SIGN -> FULLWIDTH CENT SIGN
        {0x00A3, 0xFFE1}, // POUND SIGN -> FULLWIDTH POUND SIGN
        {0x00AC, 0xFFE2}, // NOT SIGN -> FULLWIDTH NOT SIGN
        {0x2014, 0x2015}, // EM DASH -> HORIZONTAL BAR
    };
    for (QChar &c : text) {
        for (const auto &mark : kMarks) {
            if (c.unicode() == mark[0])
                c = QChar(mark[1]);
        }
    }
    return text;
}

} // namespace pagelore::TypedInput
