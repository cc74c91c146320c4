#include "storage/DateValue.h"
#include "storage/TypedInput.h"
#include "support/TestSupport.h"

using namespace pagelore;

class TestTypedInput : public QObject {
    Q_OBJECT

private slots:
    void pages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "12" << true << 12;
        QTest::newRow("negative") << "-5" << true << -5;
        QTest::newRow("plus sign") << "+7" << true << 7;
        QTest::newRow("lowest") << "-32768" << true << -32768;
        QTest::newRow("highest") << "32767" << true << 32767;
        QTest::newRow("surrounding spaces") << " 100 " << true << 100;
        QTest::newRow("full-width digits") << QString::fromUtf8("１２") << true << 12;
        QTest::newRow("too high") << "32768" << false << 0;
        QTest::newRow("too low") << "-32769" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("spaces only") << "   " << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("fraction") << "12.5" << false << 0;
        QTest::newRow("thousands separator") << "1,000" << false << 0;
        QTest::newRow("letters") << "12a" << false << 0;
        QTest::newRow("kanji numerals") << QString::fromUtf8("十二") << false << 0;
        QTest::newRow("huge") << "99999999999999999999" << false << 0;
    }
    void pages()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const auto v = TypedInput::toInt16(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(int(*v), value);
    }

    void imageNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << "0" << true << 0;
        QTest::newRow("255") << "255" << true << 255;
        QTest::newRow("256") << "256" << false << 0;
        QTest::newRow("negative") << "-1" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
    }
    void imageNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const auto v = TypedInput::toUInt8(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(int(*v), value);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("literal");
        QTest::newRow("default") << "1990/1/1" << true << QByteArray("1990-01-01");
        QTest::newRow("unknown date") << "1900/1/1" << true << QByteArray("1900-01-01");
        QTest::newRow("two-digit parts") << "2024/12/31" << true << QByteArray("2024-12-31");
        QTest::newRow("leap day") << "2024/2/29" << true << QByteArray("2024-02-29");
        QTest::newRow("with hours and minutes") << "1990/1/1 10:30" << true << QByteArray("1990-01-01 10:30:00");
        QTest::newRow("with seconds") << "1990/1/1 10:30:15" << true << QByteArray("1990-01-01 10:30:15");
        QTest::newRow("full-width") << QString::fromUtf8("１９９０／１／１") << true << QByteArray("1990-01-01");
        QTest::newRow("empty") << "" << false << QByteArray();
        QTest::newRow("not a day") << "2024/2/30" << false << QByteArray();
        QTest::newRow("zeros") << "0/0/0" << false << QByteArray();
        QTest::newRow("two-digit year") << "90/1/1" << false << QByteArray();
        QTest::newRow("hyphens") << "1990-1-1" << false << QByteArray();
        QTest::newRow("month 13") << "1990/13/1" << false << QByteArray();
        QTest::newRow("hour 24") << "1990/1/1 24:00" << false << QByteArray();
        QTest::newRow("trailing text") << "1990/1/1x" << false << QByteArray();
        QTest::newRow("japanese era") << QString::fromUtf8("平成2年1月1日") << false << QByteArray();
    }
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QByteArray, literal);
        const auto v = TypedInput::toDate(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(v->toLiteral(), literal);
    }

    void literals_data()
    {
        QTest::addColumn<QByteArray>("literal");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("canonical");
        QTest::newRow("date") << QByteArray("1990-01-01") << true << QByteArray("1990-01-01");
        QTest::newRow("date and time") << QByteArray("1990-01-01 10:30:00") << true
                                       << QByteArray("1990-01-01 10:30:00");
        QTest::newRow("time") << QByteArray("10:30:00") << true << QByteArray("10:30:00");
        QTest::newRow("zero day as date") << QByteArray("1899-12-30") << true << QByteArray("1899-12-30");
        QTest::newRow("midnight as time") << QByteArray("00:00:00") << true << QByteArray("1899-12-30");
        QTest::newRow("no seconds") << QByteArray("1990-01-01 10:30") << true << QByteArray("1990-01-01 10:30:00");
        QTest::newRow("garbage") << QByteArray("yesterday") << false << QByteArray();
        QTest::newRow("empty") << QByteArray("") << false << QByteArray();
        QTest::newRow("bad minute") << QByteArray("10:61:00") << false << QByteArray();
        QTest::newRow("slash form") << QByteArray("1990/01/01") << false << QByteArray();
    }
    void literals()
    {
        QFETCH(QByteArray, literal);
        QFETCH(bool, ok);
        QFETCH(QByteArray, canonical);
        const auto v = DateValue::fromLiteral(literal);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(v->toLiteral(), canonical);
    }

    void typedAndStoredDatesCompareEqual()
    {
        QCOMPARE(*TypedInput::toDate(QStringLiteral("1990/1/1")), *DateValue::fromLiteral("1990-01-01"));
        QVERIFY(!(*TypedInput::toDate(QStringLiteral("1990/1/1 10:30")) == *DateValue::fromLiteral("1990-01-01")));
        QCOMPARE(TypedInput::toDate(QStringLiteral("1990/1/1 10:30"))->toDisplayText(),
                 QStringLiteral("1990/01/01 10:30:00"));
        QCOMPARE(TypedInput::toDate(QStringLiteral("2001/2/3"))->toDisplayText(), QStringLiteral("2001/02/03"));
    }
};

PAGELORE_TEST_MAIN(TestTypedInput)
#include "tst_typedinput.moc"
