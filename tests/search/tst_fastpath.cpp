// The search pass takes most records at byte level. Whatever a file holds,
// its result file must be what the plain road gives: every record converted,
// tested with RecordMatches and written by the record writer.

#include "search/Search.h"
#include "storage/DataFiles.h"
#include "storage/TypedInput.h"
#include "support/TestSupport.h"

#include <QObject>

using namespace pagelore;
using namespace pagelore::test;

namespace {

// One record of fifteen fields in the writer's own form; the title, second
// keyword and date literal vary, the rest can hit no condition of the tests.
QByteArray line(const QByteArray &title, const QByteArray &keyword2 = "k2", const QByteArray &date = "2001-02-03")
{
    return "\"" + title + "\",\"w\",\"m\",1,2,\"c\",\"" + sjis(u"特集"_qs) + "\",#" + date + "#,\""
           + sjis(u"一行目\r\n二行目"_qs) + "\",\"k1\",\"" + keyword2 + "\",\"k3\",\"img\",0,255\r\n";
}

SearchConditions conditions(const QString &title, const QString &keyword2, const QString &date)
{
    // "☆" stands in no stored field, so only the tested conditions can hit.
    const QString none = u"☆"_qs;
    SearchConditions c{none, none, none, 100, none, none, {}, none, keyword2};
    c.title = title;
    c.date = *TypedInput::toDate(date);
    return c;
}

QByteArray plainRoad(const QString &articlePath, const SearchConditions &c)
{
    RecordFileCodec in(articlePath, RecordFileCodec::OpenMode::Read);
    QByteArray out;
    while (!in.AtEnd()) {
        const ArticleRecord a = ArticleRecord::read(in);
        if (RecordMatches(a, c))
            out += a.encode();
    }
    return out;
}

}  // namespace

class TestFastPath : public QObject {
    Q_OBJECT

private slots:
    void sameResultFile_data();
    void sameResultFile();
    void sameError_data();
    void sameError();
    void removalSameAsPlain_data();
    void removalSameAsPlain();
};

void TestFastPath::sameResultFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("keyword2");
    QTest::addColumn<QString>("date");
    QTest::addColumn<int>("hits");

    const QByteArray kDots = "\x87\x9a";       // ∵ in NEC row 13
    const QByteArray kDotsCanonical = "\x81\xe6";
    const QByteArray kDotsIbm = "\xfa\x5b";
    const QByteArray kKouNec = "\xed\x40";      // 纊 in the NEC-selected IBM rows
    const QByteArray kKouIbm = "\xfa\x5c";
    const QString none = u"☆"_qs;
    const QString noDate = u"1999/9/9"_qs;
    auto row = [](const char *name, const QByteArray &file, const QString &title, const QString &keyword2,
                  const QString &date, int hits) { QTest::newRow(name) << file << title << keyword2 << date << hits; };

    row("plain equal", line(sjis(u"CPU入門"_qs)), u"CPU入門"_qs, none, noDate, 1);
    row("plain differs", line(sjis(u"CPU入門"_qs)), u"CPU入門編"_qs, none, noDate, 0);
    row("case counts", line("CPU"), u"cpu"_qs, none, noDate, 0);
    row("full-width differs", line("CPU"), u"ＣＰＵ"_qs, none, noDate, 0);
    row("half-width katakana equal", line(sjis(u"ﾊﾟｿｺﾝ"_qs)), u"ﾊﾟｿｺﾝ"_qs, none, noDate, 1);
    row("half-width is not full-width", line(sjis(u"ﾊﾟｿｺﾝ"_qs)), u"パソコン"_qs, none, noDate, 0);
    row("empty condition, empty stored", line(""), QString(), none, noDate, 1);
    row("trail byte 0x5B is no list", line(sjis(u"ゼーター"_qs)), u"ゼーター"_qs, none, noDate, 1);
    row("trail byte 0x5B, other text", line(sjis(u"ゼーター"_qs)), u"ゼータ"_qs, none, noDate, 0);

    row("NEC row 13 spelling", line(kDots), u"∵"_qs, none, noDate, 1);
    row("canonical spelling", line(kDotsCanonical), u"∵"_qs, none, noDate, 1);
    row("IBM spelling", line(kDotsIbm), u"∵"_qs, none, noDate, 1);
    row("NEC-selected IBM spelling", line(kKouNec + "A"), u"纊A"_qs, none, noDate, 1);
    row("IBM row spelling", line(kKouIbm + "A"), u"纊A"_qs, none, noDate, 1);
    row("duplicate spelling, other text", line(kKouNec), u"纊纊"_qs, none, noDate, 0);
    row("all spellings in one file", line(kDots) + line(kDotsCanonical) + line(kDotsIbm) + line("x"), u"∵"_qs,
        none, noDate, 3);

    row("stored * fits all", line("CPU*"), u"CPU入門"_qs, none, noDate, 1);
    row("condition * is literal", line(sjis(u"CPU入門"_qs)), u"CPU*"_qs, none, noDate, 0);
    row("stored ? one character", line(sjis(u"Z80?"_qs)), u"Z80A"_qs, none, noDate, 1);
    row("stored # digit", line(sjis(u"第#回"_qs)), u"第3回"_qs, none, noDate, 1);
    row("stored # not itself", line(sjis(u"第#回"_qs)), u"第#回"_qs, none, noDate, 0);
    row("stored list", line(sjis(u"[ゼソ]ーン"_qs)), u"ゼーン"_qs, none, noDate, 1);
    row("stored unclosed list", line("[ab"), u"[ab"_qs, none, noDate, 0);
    row("pattern in second keyword", line("t", "*"), none, u"何でも"_qs, noDate, 1);
    row("pattern with duplicate spelling", line(kKouNec + "*"), u"纊です"_qs, none, noDate, 1);

    row("condition not in the code page", line("x"), u"😀"_qs, none, noDate, 0);
    row("condition not in the code page, stored *", line("*"), u"😀"_qs, none, noDate, 1);
    row("yen sign against backslash", line("\\"), u"¥"_qs, none, noDate, 0);
    row("overline against tilde", line("~"), u"‾"_qs, none, noDate, 0);

    row("date equal", line("t"), none, none, u"2001/2/3"_qs, 1);
    row("date one-digit month", line("t", "k2", "2001-2-3"), none, none, u"2001/2/3"_qs, 1);
    row("date with midnight time", line("t", "k2", "2001-02-03 00:00:00"), none, none, u"2001/2/3"_qs, 1);
    row("date with a time differs", line("t", "k2", "2001-02-03 10:30:00"), none, none, u"2001/2/3"_qs, 0);
    row("date with a time equal", line("t", "k2", "2001-02-03 10:30:00"), none, none, u"2001/2/3 10:30"_qs, 1);
    row("bare time", line("t", "k2", "10:30:00"), none, none, u"2001/2/3"_qs, 0);
    row("zero day date", line("t", "k2", "1899-12-30"), none, none, u"2001/2/3"_qs, 0);

    const QByteArray kRest = ",\"w\",\"m\",1,2,\"c\",\"f\",#2001-02-03#,\"\",\"k1\",\"k2\",\"k3\",\"\",0,255";
    row("spaces before fields", "  \"t\", \"w\",\"m\", 1 , 2,\"c\",\"f\", #2001-02-03#,\"\",\"k1\",\"k2\",\"k3\",\"\",0, 255\r\n",
        u"t"_qs, none, noDate, 1);
    row("unquoted title", "t" + kRest + "\r\n", u"t"_qs, none, noDate, 1);
    row("junk after quote", "\"t\"x" + kRest + "\r\n", u"t"_qs, none, noDate, 1);
    row("plus sign and leading zero", "\"t\",\"w\",\"m\",+01,002,\"c\",\"f\",#2001-02-03#,\"\",\"k1\",\"k2\",\"k3\",\"\",00,255\r\n",
        u"t"_qs, none, noDate, 1);
    row("line feed alone", "\"t\"" + kRest + "\n" + line("t"), u"t"_qs, none, noDate, 2);
    row("last line end missing", line("a") + "\"t\"" + kRest, u"t"_qs, none, noDate, 1);
    row("empty unquoted writer", "\"t\",,\"m\",1,2,\"c\",\"f\",#2001-02-03#,\"\",\"k1\",\"k2\",\"k3\",\"\",0,255\r\n",
        u"t"_qs, none, noDate, 1);
    row("empty file", QByteArray(), u"t"_qs, none, noDate, 0);
}

void TestFastPath::sameResultFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, title);
    QFETCH(QString, keyword2);
    QFETCH(QString, date);
    QFETCH(int, hits);

    TempDataFolder folder;
    folder.write(DataFiles::ArticleFile, file);
    const SearchConditions c = conditions(title, keyword2, date);
    QByteArray expected;
    try {
        expected = plainRoad(folder.file(DataFiles::ArticleFile), c);
    } catch (const StorageError &e) {
        QFAIL(qPrintable(u"the plain road fails: "_qs + e.message()));
    }
    const SearchOutcome outcome = RunSearchPass(folder.path(), c);
    QCOMPARE(folder.read(DataFiles::ResultFile), expected);
    QCOMPARE(outcome.hits, hits);
}

void TestFastPath::sameError_data()
{
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("byte 0x80 in the content of record 2") << line("a") + line("\x80");
    QTest::newRow("lead byte without trail") << line("a") + line("b") + line("\x81");
    QTest::newRow("unassigned pair") << line("\x85\x40");
    QTest::newRow("page not a number") << line("a").replace(",1,2,", ",x,2,");
    QTest::newRow("page out of range") << line("a").replace(",1,2,", ",1,32768,");
    QTest::newRow("image number out of range") << line("a").replace(",0,255", ",0,256");
    QTest::newRow("negative image number") << line("a").replace(",0,255", ",-1,255");
    QTest::newRow("month 13") << line("a", "k2", "2001-13-01");
    QTest::newRow("year of two digits") << line("a", "k2", "0099-01-01");
    QTest::newRow("record cut short") << line("a") + "\"b\",\"w\"";
}

void TestFastPath::sameError()
{
    QFETCH(QByteArray, file);
    TempDataFolder folder;
    folder.write(DataFiles::ArticleFile, file);
    const SearchConditions c = conditions(u"a"_qs, u"☆"_qs, u"2001/2/3"_qs);
    std::optional<StorageError> plain, fast;
    try {
        plainRoad(folder.file(DataFiles::ArticleFile), c);
    } catch (const StorageError &e) {
        plain = e;
    }
    folder.write(DataFiles::ResultFile, "old");
    try {
        RunSearchPass(folder.path(), c);
    } catch (const StorageError &e) {
        fast = e;
    }
    QVERIFY(plain.has_value());
    QVERIFY(fast.has_value());
    QCOMPARE(fast->kind(), plain->kind());
    QCOMPARE(fast->recordNumber(), plain->recordNumber());
    QCOMPARE(fast->byteOffset(), plain->byteOffset());
    QCOMPARE(fast->fieldNumber(), plain->fieldNumber());
    QCOMPARE(folder.read(DataFiles::ResultFile), QByteArray());
}

// The removal takes the same byte-level road: the article removed must be the
// first one whose converted fields equal the candidate's.
void TestFastPath::removalSameAsPlain_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("title");  // of the candidate; its other fields are those of line()
    QTest::addColumn<int>("removed");     // 0-based record, -1 for none

    const QByteArray kRest = ",\"w\",\"m\",1,2,\"c\",\"" + sjis(u"特集"_qs) + "\",#2001-02-03#,\""
                             + sjis(u"一行目\r\n二行目"_qs) + "\",\"k1\",\"k2\",\"k3\",\"img\",0,255\r\n";
    QTest::newRow("plain") << line("a") + line("b") + line("b") << u"b"_qs << 1;
    QTest::newRow("NEC row 13 spelling") << line("x") + line("\x87\x9a") << u"∵"_qs << 1;
    QTest::newRow("NEC-selected IBM spelling") << line("\xed\x40") << u"纊"_qs << 0;
    QTest::newRow("other text") << line("\x81\xe6") << u"纊"_qs << -1;
    QTest::newRow("spaces and unquoted title") << line("x") + " b" + kRest << u"b"_qs << 1;
    QTest::newRow("one-digit month") << line("b", "k2", "2001-2-3") << u"b"_qs << 0;
    QTest::newRow("image fields differ") << line("b").replace("\"img\",0,255", "\"\",3,4") << u"b"_qs << 0;
    QTest::newRow("pattern title is a different text") << line("*") + line("b") << u"b"_qs << 1;
    QTest::newRow("half-width katakana") << line(sjis(u"ﾃｽﾄ"_qs)) + line(sjis(u"テスト"_qs)) << u"テスト"_qs << 1;
}

void TestFastPath::removalSameAsPlain()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, title);
    QFETCH(int, removed);

    TempDataFolder folder;
    folder.write(DataFiles::ArticleFile, file);
    // The fields of line() with the wanted title, as the browser would show them.
    TempDataFolder model;
    model.write(DataFiles::ArticleFile, line("t"));
    RecordFileCodec modelFile(model.file(DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
    ArticleRecord shown = ArticleRecord::read(modelFile);
    shown.Title = title;
    const ShownCandidate candidate = ShownCandidate::fromArticle(shown);

    // The plain road: convert every record, keep every one but the first equal.
    QByteArray kept;
    int first = -1;
    {
        RecordFileCodec in(folder.file(DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
        RawField raw[ArticleRecord::kFieldCount];
        for (int n = 0; !in.AtEnd(); ++n) {
            QByteArrayView whole;
            in.readRawRecord(ArticleRecord::kFieldCount, raw, &whole);
            Record values;
            for (int i = 0; i < ArticleRecord::kFieldCount; ++i)
                values.append(RecordFileCodec::convertField(raw[i], ArticleRecord::kKinds[i], in.path(), n + 1, i + 1));
            if (first < 0 && candidate.matches(ArticleRecord::fromRecord(values)))
                first = n;
            else
                kept += whole.toByteArray();
        }
    }
    QCOMPARE(first, removed);

    folder.write(DataFiles::ScratchFile, "stale");
    const RemovalOutcome outcome = RemoveArticle(folder.path(), candidate);
    QCOMPARE(outcome == RemovalOutcome::Removed, removed >= 0);
    QCOMPARE(folder.read(DataFiles::ArticleFile), removed >= 0 ? kept : file);
    QCOMPARE(folder.read(DataFiles::ScratchFile), removed >= 0 ? kept : QByteArray("stale"));
}

PAGELORE_TEST_MAIN(TestFastPath)
#include "tst_fastpath.moc"
