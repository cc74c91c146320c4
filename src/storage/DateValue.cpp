#include "DateValue.h"

#include <cstdio>

namespace pagelore {

namespace {

const qint64 kZeroJulian = QDate(1899, 12, 30).toJulianDay();

// Parses an unsigned decimal of 1..maxDigits digits at text[pos]; advances pos.
bool takeNumber(QByteArrayView text, qsizetype &pos, int minDigits, int maxDigits, int &value)
{
    int digits = 0;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < maxDigits) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        return false; // too many digits
    return digits >= minDigits;
}

bool takeChar(QByteArrayView text, qsizetype &pos, char c)
{
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// hh:mm[:ss]
bool takeTime(QByteArrayView text, qsizetype &pos, int &seconds)
{
    int h = 0, m = 0, s = 0;
    if (!takeNumber(text, pos, 1, 2, h) || !takeChar(text, pos, ':') || !takeNumber(text, pos, 2, 2, m))
        return false;
    if (takeChar(text, pos, ':') && !takeNumber(text, pos, 2, 2, s))
        return false;
    if (h > 23 || m > 59 || s > 59)
        return false;
    seconds = h * 3600 + m * 60 + s;
    return true;
}

} // namespace

DateValue DateValue::fromDate(QDate date, QTime time)
{
    const qint32 day = static_cast<qint32>(date.toJulianDay() - kZeroJulian);
    const qint32 seconds = time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0;
    return DateValue(day, seconds);
}

QDate DateValue::date() const
{
    return QDate::fromJulianDay(kZeroJulian + m_day);
}

QTime DateValue::time() const
{
    return QTime(0, 0).addSecs(m_seconds);
}

QByteArray DateValue::toLiteral() const
{
    char buffer[32];
    const int h = m_seconds / 3600, mi = (m_seconds / 60) % 60, s = m_seconds % 60;
    if (m_day == 0 && m_seconds != 0) {
        std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", h, mi, s);
        return QByteArray(buffer);
    }
    const QDate d = date();
    if (m_seconds == 0)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year(), d.month(), d.day());
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(), h, mi,
                      s);
    return QByteArray(buffer);
}

std::optional<DateValue> DateValue::fromLiteral(QByteArrayView literal)
{
    qsizetype pos = 0;
    int seconds = 0;
    // A bare time: digits followed by a colon.
    qsizetype probe = 0;
    while (probe < literal.size() && literal[probe] >= '0' && literal[probe] <= '9')
        ++probe;
    if (probe < literal.size() && literal[probe] == ':') {
        if (!takeTime(literal, pos, seconds) || pos != literal.size())
            return std::nullopt;
        return DateValue(0, seconds);
    }
    int y = 0, m = 0, d = 0;
    if (!takeNumber(literal, pos, 4, 4, y) || !takeChar(literal, pos, '-') || !takeNumber(literal, pos, 1, 2, m)
        || !takeChar(literal, pos, '-') || !takeNumber(literal, pos, 1, 2, d))
        return std::nullopt;
    const QDate date(y, m, d);
    if (!date.isValid() || y < 100)
        return std::nullopt;
    if (pos < literal.size()) {
        if (!takeChar(literal, pos, ' ') || !takeTime(literal, pos, seconds) || pos != literal.size())
            return std::nullopt;
    }
    return fromDate(date, QTime(0, 0).addSecs(seconds));
}

QString DateValue::toDisplayText() const
{
    QString text;
    if (m_day != 0 || m_seconds == 0)
        text = date().toString(QStringLiteral("yyyy/MM/dd"));
    if (m_seconds != 0) {
        if (!text.isEmpty())
            text += QLatin1Char(' ');
        text += time().toString(QStringLiteral("H:mm:ss"));
    }
    return text;
}

} // namespace pagelore
