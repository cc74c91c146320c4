// The conversion rules for text typed into page, image number and date
// fields, and the marks input methods type. Screens need only one row each.

#include "storage/TypedInput.h"
#include "support/TestCore.h"

using namespace pagelore;

class TestTypedInput : public QObject {
    Q_OBJECT

private slots:
    // kind p: page (Int16), i: image number (UInt8), d: date, t: typed text.
    // Each row "typed>expected": the value (a date as yyyy-MM-dd, then HH:mm:ss
    // when it has a time) or why it is refused.
    void convert_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto rows = [](char kind, const QStringList &pairs) {
            for (const QString &pair : pairs)
                QTest::addRow("%c %s", kind, qPrintable(pair))
                    << kind << pair.section(u'>', 0, 0) << pair.section(u'>', 1);
        };
        rows('p', {u"12>12"_qs,         u"-5>-5"_qs,         u"+7>7"_qs,
                   u"-32768>-32768"_qs, u"32767>32767"_qs,   u" 100 >100"_qs,
                   u"　１２　>12"_qs,   u"－５>-5"_qs,       u"\u22125>-5"_qs,
                   u"＋７>7"_qs,        u"32768>refused"_qs, u"-32769>refused"_qs,
                   u">refused"_qs,      u"   >refused"_qs,   u"->refused"_qs,
                   u"12.5>refused"_qs,  u"1,000>refused"_qs, u"1 2>refused"_qs,
                   u"12a>refused"_qs,   u"十二>refused"_qs,  u"99999999999999999999>refused"_qs});
        rows('i', {u"0>0"_qs, u"２５５>255"_qs, u"256>refused"_qs, u"-1>refused"_qs, u">refused"_qs});
        rows('d', {u"1990/1/1>1990-01-01"_qs, u"1900/1/1>1900-01-01"_qs, u" 2024/12/31 >2024-12-31"_qs,
                   u"2024/2/29>2024-02-29"_qs, u"1990/1/1 10:30>1990-01-01 10:30:00"_qs,
                   u"1990/1/1 9:05:15>1990-01-01 09:05:15"_qs, u"1990/1/1 0:00>1990-01-01"_qs,
                   u"１９９０／１／１　１０：３０>1990-01-01 10:30:00"_qs});
        rows('d',
             {u"2024/2/30>no such date"_qs, u"2023/2/29>no such date"_qs, u"1990/13/1>no such date"_qs,
              u"1990/1/1 24:00>no such date"_qs, u"1990/1/1 10:60>no such date"_qs, u"0090/1/1>no such date"_qs});
        rows('d', {u">wrong form"_qs, u"1990-1-1>wrong form"_qs, u"90/1/1>wrong form"_qs, u"990/1/1>wrong form"_qs,
                   u"1990/1>wrong form"_qs, u"1990/1/1/1>wrong form"_qs, u"1990/1/1x>wrong form"_qs,
                   u"平成2年1月1日>wrong form"_qs});
        rows('t', {u"1\u301C3月号>1\uFF5E3月号"_qs, u"\u2212>\uFF0D"_qs, u"\u2016>\u2225"_qs, u"\u00A2>\uFFE0"_qs,
                   u"\u00A3>\uFFE1"_qs, u"\u00AC>\uFFE2"_qs, u"\u2014>\u2015"_qs, u"～－∥￠￡￢―>～－∥￠￡￢―"_qs,
                   u"CPU入門 ﾃﾞｰﾀ ~-|‐ー¥>CPU入門 ﾃﾞｰﾀ ~-|‐ー¥"_qs});
    }
    void convert()
    {
        QFETCH(char, kind);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QString got = u"refused"_qs;
        auto error = TypedInput::DateError(-1); // neither reason
        if (kind == 't') {
            got = TypedInput::mapTypedText(text);
        } else if (kind == 'p' && TypedInput::toInt16(text)) {
            got = QString::number(*TypedInput::toInt16(text));
        } else if (kind == 'i' && TypedInput::toUInt8(text)) {
            got = QString::number(*TypedInput::toUInt8(text));
        } else if (const auto v = kind == 'd' ? TypedInput::toDate(text, &error) : std::nullopt) {
            got =
                v->date().toString(u"yyyy-MM-dd") + (v->hasTime() ? v->time().toString(u" HH:mm:ss") : QString());
        } else if (kind == 'd') {
            got = error == TypedInput::DateError::NoSuchDate  ? u"no such date"_qs
                  : error == TypedInput::DateError::WrongForm ? u"wrong form"_qs
                                                              : u"no reason"_qs;
        }
        QCOMPARE(got, expected);
    }
};

PAGELORE_CORE_TEST_MAIN(TestTypedInput)
#include "tst_typedinput.moc"
