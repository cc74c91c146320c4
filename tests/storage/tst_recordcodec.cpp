#include "storage/ArticleRecord.h"
#include "storage/CandidateList.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

using namespace pagelore;
using namespace pagelore::test;

Q_DECLARE_METATYPE(pagelore::Record)
Q_DECLARE_METATYPE(QList<pagelore::FieldKind>)
Q_DECLARE_METATYPE(pagelore::StorageError::Kind)

namespace {

ArticleRecord registrationExample()
{
    ArticleRecord a;
    a.FirstPage = 12;
    a.LastPage = 15;
    a.PublicationDate = DateValue::fromDate(QDate(1990, 1, 1));
    a.FirstImageNo = 0;
    a.LastImageNo = 255;
    return a;
}

const QList<FieldKind> kS = {FieldKind::String};

}  // namespace

class TestRecordCodec : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void writesExactBytes_data()
    {
        QTest::addColumn<Record>("record");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("registration with pages only")
            << registrationExample().toRecord()
            << QByteArray("\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n");
        QTest::newRow("comma and line break kept inside quotes")
            << Record{QStringLiteral("a,b"), QStringLiteral("line1\r\nline2")}
            << QByteArray("\"a,b\",\"line1\r\nline2\"\r\n");
        QTest::newRow("numbers") << Record{qint16(-32768), qint16(-1), qint16(0), qint16(32767), quint8(0), quint8(255)}
                                 << QByteArray("-32768,-1,0,32767,0,255\r\n");
        QTest::newRow("date and time") << Record{DateValue::fromDate(QDate(1990, 1, 1), QTime(10, 30))}
                                       << QByteArray("#1990-01-01 10:30:00#\r\n");
        QTest::newRow("bare time") << Record{DateValue(0, 10 * 3600 + 30 * 60)} << QByteArray("#10:30:00#\r\n");
        QTest::newRow("zero date written as a date") << Record{DateValue()} << QByteArray("#1899-12-30#\r\n");
        QTest::newRow("half-width katakana single bytes")
            << Record{QString::fromUtf8("ﾃﾞｰﾀ")} << QByteArray("\"\xC3\xDE\xB0\xC0\"\r\n");
        QTest::newRow("kanji") << Record{QString::fromUtf8("月刊")} << QByteArray("\"\x8C\x8E\x8A\xA7\"\r\n");
    }
    void writesExactBytes()
    {
        QFETCH(Record, record);
        QFETCH(QByteArray, bytes);
        QCOMPARE(RecordFileCodec::encodeRecord(record), bytes);
        const QString p = path(QStringLiteral("exact.PLR"));
        {
            RecordFileCodec f(p, RecordFileCodec::OpenMode::Write);
            f.WriteRecord(record);
            f.close();
        }
        QCOMPARE(readFile(p), bytes);
    }

    void roundTrips_data()
    {
        QTest::addColumn<Record>("record");
        QTest::addColumn<QList<FieldKind>>("kinds");
        const QList<FieldKind> s3 = {FieldKind::String, FieldKind::String, FieldKind::String};
        QTest::newRow("texts with commas, breaks and empties")
            << Record{QStringLiteral("x,y"), QStringLiteral("a\r\nb\r\nc"), QString()} << s3;
        QTest::newRow("japanese") << Record{QString::fromUtf8("漢字"), QString::fromUtf8("ひらがなカタカナ"),
                                            QString::fromUtf8("ﾊﾝｶｸ")}
                                  << s3;
        QTest::newRow("numbers") << Record{qint16(-32768), qint16(32767), quint8(0), quint8(255)}
                                 << QList<FieldKind>{FieldKind::Int16, FieldKind::Int16, FieldKind::UInt8,
                                                     FieldKind::UInt8};
        QTest::newRow("dates") << Record{DateValue::fromDate(QDate(1990, 1, 1)),
                                         DateValue::fromDate(QDate(1990, 1, 1), QTime(10, 30)),
                                         DateValue(0, 37800), DateValue()}
                               << QList<FieldKind>(4, FieldKind::Date);
        QTest::newRow("whole article") << [] {
            ArticleRecord a = registrationExample();
            a.Title = QString::fromUtf8("ＣＰＵの話, その1");
            a.Content = QString::fromUtf8("一行目\r\n二行目");
            a.ImageBase = QStringLiteral("PC");
            a.FirstPage = -1;
            a.LastPage = 32767;
            a.FirstImageNo = 255;
            a.LastImageNo = 0;
            return a.toRecord();
        }() << QList<FieldKind>(ArticleRecord::kKinds.begin(), ArticleRecord::kKinds.end());
    }
    void roundTrips()
    {
        QFETCH(Record, record);
        QFETCH(QList<FieldKind>, kinds);
        const QString p = path(QStringLiteral("round.PLR"));
        {
            RecordFileCodec f(p, RecordFileCodec::OpenMode::Write);
            f.WriteRecord(record);
            f.WriteRecord(record);  // the next record still reads correctly
            f.close();
        }
        RecordFileCodec f(p, RecordFileCodec::OpenMode::Read);
        for (int i = 0; i < 2; ++i) {
            QVERIFY(!f.AtEnd());
            QCOMPARE(f.ReadRecord(kinds), record);
        }
        QVERIFY(f.AtEnd());
    }

    void readsTolerantSpellings_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Record>("expected");
        const Record sample{QStringLiteral("a"), qint16(5), DateValue::fromDate(QDate(1990, 1, 2))};
        QTest::newRow("canonical") << QByteArray("\"a\",5,#1990-01-02#\r\n") << sample;
        QTest::newRow("no final line end") << QByteArray("\"a\",5,#1990-01-02#") << sample;
        QTest::newRow("spaces before fields") << QByteArray("  \"a\", 5 ,  #1990-01-02#\r\n") << sample;
        QTest::newRow("bare LF") << QByteArray("\"a\",5,#1990-01-02#\n") << sample;
        QTest::newRow("one-digit month and day") << QByteArray("\"a\",5,#1990-1-2#\r\n") << sample;
        QTest::newRow("unquoted text") << QByteArray("a,5,#1990-01-02#\r\n") << sample;
        QTest::newRow("quoted number") << QByteArray("\"a\",\"5\",#1990-01-02#\r\n") << sample;
        QTest::newRow("empty number is zero")
            << QByteArray("\"a\",,#1990-01-02#\r\n")
            << Record{QStringLiteral("a"), qint16(0), DateValue::fromDate(QDate(1990, 1, 2))};
        QTest::newRow("record over several lines")
            << QByteArray("\"a\r\nb\",5,#1990-01-02#\r\n")
            << Record{QStringLiteral("a\r\nb"), qint16(5), DateValue::fromDate(QDate(1990, 1, 2))};
        QTest::newRow("another byte sequence for the same character")
            << QByteArray("\"\xED\x40\",5,#1990-01-02#\r\n")
            << Record{QString(QChar(0x7E8A)), qint16(5), DateValue::fromDate(QDate(1990, 1, 2))};
    }
    void readsTolerantSpellings()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Record, expected);
        const QString p = path(QStringLiteral("tolerant.PLR"));
        writeFile(p, bytes);
        RecordFileCodec f(p, RecordFileCodec::OpenMode::Read);
        QCOMPARE(f.ReadRecord(QList<FieldKind>{FieldKind::String, FieldKind::Int16, FieldKind::Date}), expected);
        QVERIFY(f.AtEnd());
    }

    void emptyFileHasNoRecords()
    {
        const QString p = path(QStringLiteral("empty.PLR"));
        writeFile(p, {});
        RecordFileCodec f(p, RecordFileCodec::OpenMode::Read);
        QVERIFY(f.AtEnd());
        QCOMPARE(CandidateList::ReadCandidateList(p), QStringList());
    }

    void malformedInputIsReportedWithItsPlace_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<StorageError::Kind>("kind");
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("field");
        using K = StorageError::Kind;
        const QByteArray good = "\"ok\",1,#1990-01-01#\r\n";  // 21 bytes
        QTest::newRow("unterminated quote") << good + "\"never closed,1,#1990-01-01#\r\n" << K::UnterminatedQuote << 2
                                            << 21 << 1;
        QTest::newRow("file ends inside a record") << good + "\"cut\",1" << K::UnexpectedEnd << 2 << 28 << 3;
        QTest::newRow("text where a number stands") << good + "\"t\",abc,#1990-01-01#\r\n" << K::NotANumber << 2
                                                    << 25 << 2;
        QTest::newRow("number out of range") << good + "\"t\",40000,#1990-01-01#\r\n" << K::NumberOutOfRange << 2
                                             << 25 << 2;
        QTest::newRow("impossible date") << good + "\"t\",1,#1990-02-30#\r\n" << K::BadDate << 2 << 27 << 3;
        QTest::newRow("date without marks") << good + "\"t\",1,1990-01-01\r\n" << K::BadDate << 2 << 27 << 3;
        QTest::newRow("unterminated date") << good + "\"t\",1,#1990-01-01\r\n" << K::UnterminatedQuote << 2 << 27
                                           << 3;
        QTest::newRow("bytes that are not code page 932") << good + "\"ab\x80\",1,#1990-01-01#\r\n"
                                                          << K::BadEncoding << 2 << 24 << 1;
        QTest::newRow("quote inside an unquoted text") << good + "a\"b,1,#1990-01-01#\r\n" << K::StrayQuote << 2
                                                       << 22 << 1;
        QTest::newRow("trailing blank line") << good + "\r\n" << K::UnexpectedEnd << 2 << 23 << 2;
    }
    void malformedInputIsReportedWithItsPlace()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(StorageError::Kind, kind);
        QFETCH(int, record);
        QFETCH(int, offset);
        QFETCH(int, field);
        const QString p = path(QStringLiteral("bad.PLR"));
        writeFile(p, bytes);
        const QList<FieldKind> kinds{FieldKind::String, FieldKind::Int16, FieldKind::Date};
        RecordFileCodec f(p, RecordFileCodec::OpenMode::Read);
        try {
            while (!f.AtEnd())
                f.ReadRecord(kinds);
            QFAIL("no error");
        } catch (const StorageError &e) {
            QCOMPARE(e.kind(), kind);
            QCOMPARE(e.path(), p);
            QCOMPARE(e.recordNumber(), qint64(record));
            QCOMPARE(e.byteOffset(), qint64(offset));
            QCOMPARE(e.fieldNumber(), field);
            QVERIFY(e.message().contains(p));
            QVERIFY(e.message().contains(QStringLiteral("%1件目").arg(record)));
        }
    }

    void recordsLargerThanTheBufferStillRead()
    {
        // A content field of several buffer lengths, then a normal record.
        const QString big(3 * 1024 * 1024, QLatin1Char('x'));
        const QString p = path(QStringLiteral("big.PLR"));
        {
            RecordFileCodec f(p, RecordFileCodec::OpenMode::Write);
            f.WriteRecord({big});
            f.WriteRecord({QStringLiteral("after")});
            f.close();
        }
        RecordFileCodec f(p, RecordFileCodec::OpenMode::Read);
        QCOMPARE(std::get<QString>(f.ReadRecord(kS).front()).size(), big.size());
        QCOMPARE(std::get<QString>(f.ReadRecord(kS).front()), QStringLiteral("after"));
        QVERIFY(f.AtEnd());
    }

    void refusesWhatTheFormatCannotCarry_data()
    {
        QTest::addColumn<Record>("record");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("reason");
        QTest::newRow("double quote") << Record{QStringLiteral("ok"), QStringLiteral("say \"hi\"")} << 1
                                      << int(FieldEncodeError::Reason::DoubleQuote);
        QTest::newRow("emoji") << Record{QString::fromUtf8("😀")} << 0
                               << int(FieldEncodeError::Reason::Unrepresentable);
    }
    void refusesWhatTheFormatCannotCarry()
    {
        QFETCH(Record, record);
        QFETCH(int, field);
        QFETCH(int, reason);
        const QString p = path(QStringLiteral("refuse.PLR"));
        writeFile(p, "\"before\"\r\n");
        try {
            FileOps::appendRecord(p, record);
            QFAIL("no error");
        } catch (const FieldEncodeError &e) {
            QCOMPARE(e.fieldIndex(), field);
            QCOMPARE(int(e.reason()), reason);
        }
        QCOMPARE(readFile(p), QByteArray("\"before\"\r\n"));
    }

    void candidateListsKeepOrderDuplicatesAndEmptyNames()
    {
        const QString p = path(QStringLiteral("Zassi.PLR"));
        writeFile(p, {});
        for (const QString &name : {QStringLiteral("P"), QStringLiteral("Q"), QString(), QStringLiteral("P")})
            CandidateList::AppendCandidate(p, name);
        QCOMPARE(readFile(p), QByteArray("\"P\"\r\n\"Q\"\r\n\"\"\r\n\"P\"\r\n"));
        QCOMPARE(CandidateList::ReadCandidateList(p),
                 (QStringList{QStringLiteral("P"), QStringLiteral("Q"), QString(), QStringLiteral("P")}));
    }

    void missingFileIsNamed()
    {
        const QString p = path(QStringLiteral("nothing-here.PLR"));
        try {
            CandidateList::ReadCandidateList(p);
            QFAIL("no error");
        } catch (const StorageError &e) {
            QCOMPARE(e.kind(), StorageError::Kind::FileMissing);
            QVERIFY(e.message().contains(p));
        }
    }
};

PAGELORE_TEST_MAIN(TestRecordCodec)
#include "tst_recordcodec.moc"
