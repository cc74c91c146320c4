// The conversion rules for text typed into page, image number and date
// fields. Screens need only one row each, proving the field is named.

#include "storage/TypedInput.h"
#include "support/TestCore.h"

using namespace pagelore;

class TestTypedInput : public QObject {
    Q_OBJECT

private slots:
    // expected: the value (a date as yyyy-MM-dd, then HH:mm:ss when it has a
    // time), or nothing when the text is refused.
    void convert_data()
    {
        QTest::addColumn<char>("kind"); // p: page (Int16), i: image number (UInt8), d: date
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](char kind, const QString &text, const QString &expected) {
            QTest::addRow("%c \"%s\"", kind, qPrintable(text)) << kind << text << expected;
        };
        const QString refused;
        row('p', u"12"_qs, u"12"_qs);
        row('p', u"-5"_qs, u"-5"_qs);
        row('p', u"+7"_qs, u"7"_qs);
        row('p', u"-32768"_qs, u"-32768"_qs);
        row('p', u"32767"_qs, u"32767"_qs);
        row('p', u" 100 "_qs, u"100"_qs);
        row('p', u"　１２　"_qs, u"12"_qs);
        row('p', u"－５"_qs, u"-5"_qs);
        row('p', u"＋７"_qs, u"7"_qs);
        for (const QString &bad : {u"32768"_qs, u"-32769"_qs, u""_qs, u"   "_qs, u"-"_qs, u"12.5"_qs, u"1,000"_qs,
                                   u"1 2"_qs, u"12a"_qs, u"十二"_qs, u"99999999999999999999"_qs})
            row('p', bad, refused);
        row('i', u"0"_qs, u"0"_qs);
        row('i', u"２５５"_qs, u"255"_qs);
        for (const QString &bad : {u"256"_qs, u"-1"_qs, u""_qs})
            row('i', bad, refused);
        row('d', u"1990/1/1"_qs, u"1990-01-01"_qs);
        row('d', u"1900/1/1"_qs, u"1900-01-01"_qs);
        row('d', u" 2024/12/31 "_qs, u"2024-12-31"_qs);
        row('d', u"2024/2/29"_qs, u"2024-02-29"_qs);
        row('d', u"1990/1/1 10:30"_qs, u"1990-01-01 10:30:00"_qs);
        row('d', u"1990/1/1 9:05:15"_qs, u"1990-01-01 09:05:15"_qs);
        row('d', u"1990/1/1 0:00"_qs, u"1990-01-01"_qs);
        row('d', u"１９９０／１／１　１０：３０"_qs, u"1990-01-01 10:30:00"_qs);
        for (const QString &bad :
             {u""_qs, u"2024/2/30"_qs, u"2023/2/29"_qs, u"0/0/0"_qs, u"90/1/1"_qs, u"990/1/1"_qs, u"0090/1/1"_qs,
              u"1990-1-1"_qs, u"1990/13/1"_qs, u"1990/1/1 24:00"_qs, u"1990/1/1 10:60"_qs, u"1990/1/1x"_qs,
              u"1990/1/1/1"_qs, u"平成2年1月1日"_qs})
            row('d', bad, refused);
    }
    void convert()
    {
        QFETCH(char, kind);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QString got;
        if (kind == 'p') {
            if (const auto v = TypedInput::toInt16(text))
                got = QString::number(*v);
        } else if (kind == 'i') {
            if (const auto v = TypedInput::toUInt8(text))
                got = QString::number(*v);
        } else if (const auto v = TypedInput::toDate(text)) {
            got =
                v->date().toString(u"yyyy-MM-dd") + (v->hasTime() ? v->time().toString(u" HH:mm:ss") : QString());
        }
        QCOMPARE(got, expected);
    }
};

PAGELORE_CORE_TEST_MAIN(TestTypedInput)
#include "tst_typedinput.moc"
