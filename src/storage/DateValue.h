#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

namespace pagelore {

// A publication date as the files keep it: a day counted from the zero day
// 1899-12-30 and a time of day in seconds. Day 0 with a time is a bare time;
// a time of 0 is a bare date.
class DateValue {
public:
    DateValue() = default;
    DateValue(qint32 day, qint32 seconds) : m_day(day), m_seconds(seconds) {}

    static DateValue fromDate(QDate date, QTime time = QTime(0, 0));
    static QDate zeroDay() { return QDate(1899, 12, 30); }

    qint32 day() const { return m_day; }
    qint32 secondsOfDay() const { return m_seconds; }
    QDate date() const;
    QTime time() const;
    bool hasTime() const { return m_seconds != 0; }

    // The literal between the two number signs, in one of the writer's forms.
    QByteArray toLiteral() const;
    // Reads a literal (without the number signs). Accepts the writer's three
    // forms; month, day and hour may have one digit and seconds may be left out.
    static std::optional<DateValue> fromLiteral(QByteArrayView literal);

    // Text for the browsers: yyyy/MM/dd, followed by H:mm:ss when there is a time.
    QString toDisplayText() const;

    friend bool operator==(const DateValue &, const DateValue &) = default;

private:
    qint32 m_day = 0;
    qint32 m_seconds = 0;
};

}  // namespace pagelore
