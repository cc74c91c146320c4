// The line format of every data file: what the writer makes, what the reader
// takes, and where it reports a malformed file. The readers built on it need
// only one row each for a malformed file, in their screens' tests.

#include "storage/ArticleRecord.h"
#include "storage/CandidateList.h"
#include "storage/RecordFileCodec.h"
#include "support/TestCore.h"

#include <QHash>

using namespace pagelore;
using namespace pagelore::test;

using Kinds = QList<FieldKind>;
using K = StorageError::Kind;
Q_DECLARE_METATYPE(pagelore::Record)
Q_DECLARE_METATYPE(Kinds)
Q_DECLARE_METATYPE(K)

namespace {

constexpr FieldKind S = FieldKind::String, I16 = FieldKind::Int16, U8 = FieldKind::UInt8, D = FieldKind::Date;
const Kinds kLayout = {S, I16, U8, D, S};
// One record of kLayout in the writer's form, 30 bytes; the offsets of the
// malformed rows count from it.
const QByteArray kGood = "\"ab\",12,34,#1990-01-02#,\"cd\"\r\n";

DateValue day(int y, int m, int d, QTime time = QTime(0, 0))
{
    return DateValue::fromDate(QDate(y, m, d), time);
}

// A record of kLayout whose first text (亜 repeated) is `size` bytes long.
QByteArray bigRecord(qsizetype size)
{
    return '"' + QByteArray("\x88\x9F").repeated(size / 2) + "\",1,2,#1990-01-02#,\"\"\r\n";
}

QList<Record> readAll(const QString &path, const Kinds &kinds)
{
    RecordFileCodec file(path, RecordFileCodec::OpenMode::Read);
    QList<Record> records;
    while (!file.AtEnd())
        records.append(file.ReadRecord(kinds));
    return records;
}

const QHash<K, QString> kReasons = {
    {K::UnterminatedQuote, u"文字列または日付の終わりの記号がありません。"_qs},
    {K::UnexpectedEnd, u"記録の途中でファイルが終わっています。"_qs},
    {K::NotANumber, u"数値が入るべき所に数値以外の文字があります。"_qs},
    {K::NumberOutOfRange, u"数値が範囲外です。"_qs},
    {K::BadDate, u"日付の書き方が正しくありません。"_qs},
    {K::BadEncoding, u"シフトJIS(コードページ932)として読めないバイトがあります。"_qs},
    {K::RecordTooLarge, u"記録が大きすぎます。"_qs},
    {K::StrayQuote, u"引用符で囲まれていない文字列の中に二重引用符があります。"_qs},
};

} // namespace

class TestRecordCodec : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

private slots:
    // Writer rows are written (opened for writing, then again for appending)
    // and must give the bytes twice, which read back as the record twice.
    // Reader rows are spellings the writer never makes.
    void format_data()
    {
        QTest::addColumn<Kinds>("kinds");
        QTest::addColumn<Record>("record");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("writerForm");
        const auto row = [](const char *name, const Kinds &k, const Record &r, const QByteArray &b, bool writer) {
            QTest::newRow(name) << k << r << b << writer;
        };
        const Kinds article(ArticleRecord::kKinds.begin(), ArticleRecord::kKinds.end());
        row("an article", article, test::article(1).toRecord(), line(test::article(1)), true);
        row("an article in other spellings", article, test::article(2).toRecord(), line(test::article(2), false),
            false);
        row("texts with a comma, a line break, nothing", {S, S, S}, {u"a,b"_qs, QString(), u"1行目\r\n2行目"_qs},
            "\"a,b\",\"\",\"1\x8D\x73\x96\xDA\r\n2\x8D\x73\x96\xDA\"\r\n", true);
        row("number limits", {I16, I16, I16, I16, U8, U8},
            {qint16(-32768), qint16(-1), qint16(0), qint16(32767), quint8(0), quint8(255)},
            "-32768,-1,0,32767,0,255\r\n", true);
        row("dates", {D, D, D, D},
            {day(1990, 1, 1), day(1990, 1, 1, QTime(10, 30)), DateValue(0, 37800), DateValue()},
            "#1990-01-01#,#1990-01-01 10:30:00#,#10:30:00#,#1899-12-30#\r\n", true);
        const Record good = {u"ab"_qs, qint16(12), quint8(34), day(1990, 1, 2), u"cd"_qs};
        row("no line end after the last record", kLayout, good, kGood.chopped(2), false);
        row("bare line feed", kLayout, good, kGood.chopped(2) + '\n', false);
        row("spaces around fields", kLayout, good, "  \"ab\" , 12 ,  34, #1990-01-02# , \"cd\"\r\n", false);
        row("unquoted texts keep their trailing spaces", {S, S, I16}, {u"a"_qs, u"b  "_qs, qint16(12)},
            "\"a\",b  , 12 \r\n", false);
        row("unquoted texts, quoted numbers", kLayout,
            {u"ab"_qs, qint16(12), quint8(34), day(1990, 1, 2), u"cd "_qs},
            "ab,\"12\",\"34\",#1990-01-02#,cd \r\n", false);
        row("empty fields", kLayout, {QString(), qint16(0), quint8(0), day(1990, 1, 2), QString()},
            ",,,#1990-01-02#,\r\n", false);
        row("other date spellings", {D, D, D, D},
            {day(1990, 1, 2), day(1990, 1, 2, QTime(9, 5)), DateValue(), day(1990, 1, 2)},
            "#1990-1-2#,#1990-01-02 9:05#,#00:00:00#,#1990-01-02 00:00:00#\r\n", false);
        row("another byte sequence for the same character", {S}, {u"纊≒"_qs}, "\"\xED\x40\x87\x90\"\r\n", false);
        const qsizetype near = RecordFileCodec::kMaxRecordBytes - 4096;
        row("a text near the size limit, beyond the reader's buffer", kLayout,
            {QString(near / 2, QChar(0x4E9C)), qint16(1), quint8(2), day(1990, 1, 2), QString()}, bigRecord(near),
            false);
    }
    void format()
    {
        QFETCH(Kinds, kinds);
        QFETCH(Record, record);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, writerForm);
        const QString p = path("format.PLR");
        QList<Record> expected{record};
        if (writerForm) {
            for (auto mode : {RecordFileCodec::OpenMode::Write, RecordFileCodec::OpenMode::Append}) {
                RecordFileCodec file(p, mode);
                file.WriteRecord(record);
                file.close();
            }
            QCOMPARE(readFile(p), bytes + bytes);
            expected << record;
        } else {
            writeFile(p, bytes);
        }
        QVERIFY(readAll(p, kinds) == expected);
    }

    // Each kind of fault at the start, in the middle and at the end of a
    // record, and in the first, a middle and the last record of the file.
    void malformed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<K>("kind");
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("offset");
        const QByteArray g = kGood;
        const auto row = [](const char *name, const QByteArray &b, K k, int record, int field, int offset) {
            QTest::newRow(name) << b << k << record << field << offset;
        };
        row("text never closed", "\"ab,12,34,#1990-01-02#,cd\r\n", K::UnterminatedQuote, 1, 1, 0);
        row("date never closed", g + "\"ab\",12,34,#1990-01-02,\"cd\"\r\n", K::UnterminatedQuote, 2, 4, 41);
        row("file ends after two fields", g + "\"ab\",12\r\n", K::UnexpectedEnd, 2, 3, 39);
        row("file ends before the last field", g + "\"ab\",12,34,#1990-01-02#,", K::UnexpectedEnd, 2, 5, 54);
        row("blank line at the end", g + "\r\n", K::UnexpectedEnd, 2, 2, 32);
        row("letter in a number", "\"ab\",1x,34,#1990-01-02#,\"cd\"\r\n" + g, K::NotANumber, 1, 2, 5);
        row("date where a number stands", "\"ab\",12,#1990-01-02#,#1990-01-02#,\"cd\"\r\n", K::NotANumber, 1, 3,
            8);
        row("page 32768", g + "\"ab\",32768,34,#1990-01-02#,\"cd\"\r\n" + g, K::NumberOutOfRange, 2, 2, 35);
        row("page -32769", g + "\"ab\",-32769,34,#1990-01-02#,\"cd\"\r\n" + g, K::NumberOutOfRange, 2, 2, 35);
        row("image number 256", g + "\"ab\",12,256,#1990-01-02#,\"cd\"\r\n", K::NumberOutOfRange, 2, 3, 38);
        row("image number -1", g + "\"ab\",12,-1,#1990-01-02#,\"cd\"\r\n" + g, K::NumberOutOfRange, 2, 3, 38);
        row("February 30", g + "\"ab\",12,34,#1990-02-30#,\"cd\"\r\n", K::BadDate, 2, 4, 41);
        row("date without its marks", "\"ab\",12,34,1990-01-02,\"cd\"\r\n" + g, K::BadDate, 1, 4, 11);
        row("minute 61", "\"ab\",12,34,#10:61:00#,\"cd\"\r\n", K::BadDate, 1, 4, 11);
        row("hour 24", "\"ab\",12,34,#1990-01-02 24:00:00#,\"cd\"\r\n", K::BadDate, 1, 4, 11);
        row("date with slashes", g + "\"ab\",12,34,#1990/01/02#,\"cd\"\r\n", K::BadDate, 2, 4, 41);
        row("byte 0x80 in the last text", g + "\"ab\",12,34,#1990-01-02#,\"c\x80\"\r\n" + g, K::BadEncoding, 2, 5,
            56);
        row("lead byte before the closing quote", g + "\"ab\",12,34,#1990-01-02#,\"c\x82\"", K::BadEncoding, 2, 5,
            56);
        row("quote inside an unquoted text", "a\"b,12,34,#1990-01-02#,\"cd\"\r\n", K::StrayQuote, 1, 1, 1);
        row("a record past the size limit", g + bigRecord(RecordFileCodec::kMaxRecordBytes + 4096) + g,
            K::RecordTooLarge, 2, 0, 30);
    }
    void malformed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(K, kind);
        QFETCH(int, record);
        QFETCH(int, field);
        QFETCH(int, offset);
        const QString p = path("bad.PLR");
        writeFile(p, bytes);
        try {
            readAll(p, kLayout);
            QFAIL("no error");
        } catch (const StorageError &e) {
            QCOMPARE(e.kind(), kind);
            const QString item = field > 0 ? u"の%1番目の項目"_qs.arg(field) : QString();
            QCOMPARE(e.message(),
                     u"ファイル「%1」の%2件目の記録%3(ファイルの先頭から%4バイト目)が正しくありません。%5"_qs.arg(
                         p, QString::number(record), item, QString::number(offset), kReasons[kind]));
        }
    }

    // A double quote or a character outside code page 932: the record is
    // refused, naming the field and the character, and nothing is written.
    void refusesWhatTheFormatCannotCarry()
    {
        const QString p = path("refuse.PLR");
        writeFile(p, "\"before\"\r\n");
        const std::tuple<Record, int, QString> cases[] = {
            {{u"ok"_qs, u"say \"hi\""_qs},
             1,
             u"半角の二重引用符「\"」は記録できません。別の文字に置き換えてください。"_qs},
            {{u"😀"_qs},
             0,
             u"文字「😀」(U+1F600)は記録できません(シフトJISで表せない文字です)。別の文字に置き換えてください。"_qs}};
        for (const auto &[record, field, reason] : cases) {
            try {
                RecordFileCodec(p, RecordFileCodec::OpenMode::Append).WriteRecord(record);
                QFAIL("no error");
            } catch (const FieldEncodeError &e) {
                QCOMPARE(e.fieldIndex(), field);
                QCOMPARE(e.reasonText(), reason);
            }
        }
        QCOMPARE(readFile(p), QByteArray("\"before\"\r\n"));
    }

    void candidateListsKeepOrderDuplicatesAndEmptyNames()
    {
        const QString p = path("Zassi.PLR");
        writeFile(p, {});
        QCOMPARE(CandidateList::ReadCandidateList(p), QStringList());
        const QStringList names = {u"月刊誌"_qs, u"Q"_qs, QString(), u"月刊誌"_qs};
        for (const QString &name : names)
            CandidateList::AppendCandidate(p, name);
        QCOMPARE(readFile(p), "\"\x8C\x8E\x8A\xA7\x8E\x8F\"\r\n\"Q\"\r\n\"\"\r\n\"\x8C\x8E\x8A\xA7\x8E\x8F\"\r\n");
        QCOMPARE(CandidateList::ReadCandidateList(p), names);
    }
};

PAGELORE_CORE_TEST_MAIN(TestRecordCodec)
#include "tst_recordcodec.moc"
