// The search and the removal take most records at byte level, from a block
// index that one of several kernels builds (chosen at start, forced here one
// after the other). Whatever a file holds, and wherever its records and
// characters fall against the blocks and the reader's buffer, every kernel
// must give what the plain road gives: every record converted, tested with
// RecordMatches and written by the record writer.

#include "search/BlockScan.h"
#include "search/Search.h"
#include "storage/DataFiles.h"
#include "storage/TypedInput.h"
#include "support/TestSupport.h"

#include <QObject>
#include <QFileInfo>
#include <QRandomGenerator>

#include <unistd.h>

using namespace pagelore;
using namespace pagelore::test;

namespace {

// One record in the writer's own form; the title, second keyword and date
// vary, the rest can hit no condition of the tests.
QByteArray line(const QByteArray &title, const QByteArray &keyword2 = "k2", const QByteArray &date = "2001-02-03")
{
    return "\"" + title + "\",\"w\",\"m\",1,2,\"c\",\"" + sjis(u"特集"_qs) + "\",#" + date + "#,\""
           + sjis(u"一行目\r\n二行目"_qs) + "\",\"k1\",\"" + keyword2 + "\",\"k3\",\"img\",0,255\r\n";
}

// "☆" stands in no stored field, so only the tested conditions can hit.
SearchConditions conditions(const QString &title, const QString &keyword2 = u"☆"_qs,
                            const QString &date = u"1999/9/9"_qs)
{
    const QString none = u"☆"_qs;
    return {title, none, none, 100, none, none, *TypedInput::toDate(date), none, keyword2};
}

QList<scan::ScanKernel> kernels()
{
    QList<scan::ScanKernel> all;
    const scan::ScanKernel initial = scan::scanKernel();
    for (scan::ScanKernel k : {scan::ScanKernel::Portable, scan::ScanKernel::Sse2, scan::ScanKernel::Avx2})
        if (scan::setScanKernel(k))
            all << k;
    scan::setScanKernel(initial);
    return all;
}

// The plain road: every record converted, with the very bytes it had.
struct Plain {
    QList<ArticleRecord> articles;
    QByteArrayList bytes;

    explicit Plain(const QString &path)
    {
        RecordFileCodec in(path, RecordFileCodec::OpenMode::Read);
        RawField raw[ArticleRecord::kFieldCount];
        while (!in.AtEnd()) {
            QByteArrayView whole;
            in.readRawRecord(ArticleRecord::kFieldCount, raw, &whole);
            Record values;
            for (int i = 0; i < ArticleRecord::kFieldCount; ++i)
                values.append(RecordFileCodec::convertField(raw[i], ArticleRecord::kKinds[i], path,
                                                            in.recordsRead(), i + 1));
            articles << ArticleRecord::fromRecord(values);
            bytes << whole.toByteArray();
        }
    }
    QByteArray search(const SearchConditions &c) const
    {
        QByteArray out;
        for (const ArticleRecord &a : articles)
            if (RecordMatches(a, c))
                out += a.encode();
        return out;
    }
    // All but the first article equal to the candidate; `removed` is its index, or -1.
    QByteArray keep(const ShownCandidate &candidate, int &removed) const
    {
        removed = -1;
        QByteArray kept;
        for (int i = 0; i < articles.size(); ++i)
            if (removed < 0 && candidate.matches(articles[i]))
                removed = i;
            else
                kept += bytes[i];
        return kept;
    }
};

// Filler records of exactly `size` bytes (two lines at least), which no
// condition of the tests fits.
QByteArray filler(qsizetype size)
{
    const auto one = [](qsizetype title, char c) { return line(QByteArray(title, c), "k2", "1977-07-07"); };
    static const qsizetype shortest = one(1, 'y').size();
    static const QByteArray unit = one(shortest, 'x');
    const qsizetype units = std::max<qsizetype>(0, size / unit.size() - 1);
    const qsizetype rest = size - units * unit.size();
    return unit.repeated(units) + one(rest / 2 - shortest + 1, 'y') + one(rest - rest / 2 - shortest + 1, 'z');
}

// The records under test are followed by others, so that they are read from
// the block index (which needs bytes after a record) as well as from the
// reader alone; a file cut short stays as it is.
QByteArray padded(const QByteArray &file)
{
    return file.endsWith('\n') ? file + filler(300) : file;
}

}  // namespace

class TestScanDiff : public QObject {
    Q_OBJECT

private slots:
    void sameAsPlain_data();
    void sameAsPlain();
    void blockAndBufferEdges_data();
    void blockAndBufferEdges();
    void kernelsAgree();
    void resultFileReplaced_data();
    void resultFileReplaced();
};

// Each file is searched (the title, second keyword and date as conditions)
// and the article of line("t") with the title is removed from it; a file the
// plain road refuses must be refused with the same error, the result file
// emptied and the article file left alone.
void TestScanDiff::sameAsPlain_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("hits");  // -1: an error
    QTest::addColumn<QString>("keyword2");
    QTest::addColumn<QString>("date");
    const auto row = [](const char *name, const QByteArray &file, const QString &title, int hits,
                        const QString &keyword2 = u"☆"_qs, const QString &date = u"1999/9/9"_qs) {
        QTest::newRow(name) << file << title << hits << keyword2 << date;
    };
    const QByteArray rest = line("").mid(2);  // all but the title
    row("plain equal", line(sjis(u"CPU入門"_qs)) + line(sjis(u"CPU入門編"_qs)), u"CPU入門"_qs, 1);
    row("trail byte 0x5B is no list", line(sjis(u"ゼーター"_qs)), u"ゼーター"_qs, 1);
    row("all spellings of one character", line("\x87\x9a") + line("\x81\xe6") + line("\xfa\x5b") + line("x"),
        u"∵"_qs, 3);
    row("NEC-selected and IBM rows", line("\xed\x40" "A") + line("\xfa\x5c" "A"), u"纊A"_qs, 2);
    row("same bytes, other text", line("\x81\xe6"), u"纊"_qs, 0);
    row("stored * fits all, is not the text", line("*") + line("b"), u"b"_qs, 2);
    row("stored # one digit, not itself", line(sjis(u"第#回"_qs)) + line(sjis(u"第#回"_qs)), u"第3回"_qs, 2);
    row("stored list", line(sjis(u"[ゼソ]ーン"_qs)), u"ゼーン"_qs, 1);
    row("pattern in second keyword", line("t", "*"), u"☆"_qs, 1, u"何でも"_qs);
    row("pattern with a duplicate spelling", line("\xed\x40*"), u"纊です"_qs, 1);
    row("condition not in the code page", line("") + line("*"), u"😀"_qs, 1);
    row("yen sign and overline are not backslash and tilde", line("\\") + line("~"), u"¥"_qs, 0);
    row("date one-digit month", line("t", "k2", "2001-2-3"), u"☆"_qs, 1, u"☆"_qs, u"2001/2/3"_qs);
    row("date with a time", line("t", "k2", "2001-02-03 10:30:00"), u"☆"_qs, 1, u"☆"_qs, u"2001/2/3 10:30"_qs);
    row("zero day is no date", line("t", "k2", "1899-12-30"), u"☆"_qs, 0, u"☆"_qs, u"2001/2/3"_qs);
    row("leap day of a leap year", line("t", "k2", "2000-02-29"), u"☆"_qs, 1, u"☆"_qs, u"2000/2/29"_qs);
    row("spaces before fields", "  \"t\", \"w\",\"m\", 1 , 2,\"c\",\"f\", #2001-02-03#,\"\",\"k1\",\"k2\",\"k3\",\"\",0, 255\r\n",
        u"t"_qs, 1);
    row("unquoted title after spaces", line("x") + " t" + rest, u"t"_qs, 1);
    row("junk after quote", "\"t\"x" + rest, u"t"_qs, 1);
    row("space before the second keyword", line("t").replace(",\"k2\"", ", \"k2\""), u"t"_qs, 1);
    row("leading zero in a page", line("t").replace(",1,2,", ",01,2,"), u"t"_qs, 1);
    row("leading zero in an image number", line("t").replace(",0,255", ",00,255"), u"t"_qs, 1);
    row("plus sign", line("t").replace(",1,2,", ",+1,2,"), u"t"_qs, 1);
    row("line feed alone", line("t").chopped(2) + "\n" + line("t"), u"t"_qs, 2);
    row("last line end missing", line("a") + line("t").chopped(2), u"t"_qs, 1);
    row("empty unquoted writer", line("t").replace("\"w\"", ""), u"t"_qs, 1);
    row("empty file", QByteArray(), u"t"_qs, 0);
    row("byte 0x80 in record 2", line("a") + line("\x80"), u"a"_qs, -1);
    row("lead byte before the closing quote", line("a") + line("b") + line("\x81"), u"a"_qs, -1);
    row("unassigned pair", line("\x85\x40"), u"a"_qs, -1);
    row("page not a number", line("a").replace(",1,2,", ",x,2,"), u"a"_qs, -1);
    row("page out of range", line("a").replace(",1,2,", ",1,32768,"), u"a"_qs, -1);
    row("image number out of range", line("a").replace(",0,255", ",0,256"), u"a"_qs, -1);
    row("negative image number", line("a").replace(",0,255", ",-1,255"), u"a"_qs, -1);
    row("month 13", line("a", "k2", "2001-13-01"), u"a"_qs, -1);
    row("year of two digits", line("a", "k2", "0099-01-01"), u"a"_qs, -1);
    row("a high byte for a digit of the year", line("a", "k2", "\xce" "001-02-03"), u"a"_qs, -1);
    row("no leap day in 1900", line("a", "k2", "1900-02-29"), u"a"_qs, -1);
    row("thirty-first of April", line("a", "k2", "2001-04-31"), u"a"_qs, -1);
    row("date without its closing sign", line("a").replace("#2001-02-03#", "#2001-02-03x"), u"a"_qs, -1);
    row("record cut short", line("a") + "\"b\",\"w\"", u"a"_qs, -1);
}

void TestScanDiff::sameAsPlain()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, title);
    QFETCH(int, hits);
    QFETCH(QString, keyword2);
    QFETCH(QString, date);
    TempDataFolder folder;
    folder.write(DataFiles::ArticleFile, line("t"));
    ArticleRecord shown = Plain(folder.file(DataFiles::ArticleFile)).articles.first();
    shown.Title = title;
    const ShownCandidate candidate = ShownCandidate::fromArticle(shown);
    file = padded(file);
    folder.write(DataFiles::ArticleFile, file);
    const SearchConditions c = conditions(title, keyword2, date);
    std::optional<StorageError> plain;
    QByteArray expected, kept;
    int removed = -1;
    try {
        const Plain road(folder.file(DataFiles::ArticleFile));
        expected = road.search(c);
        kept = road.keep(candidate, removed);
    } catch (const StorageError &e) {
        plain = e;
    }
    QCOMPARE(plain.has_value(), hits < 0);
    for (scan::ScanKernel k : kernels()) {
        QVERIFY(scan::setScanKernel(k));
        folder.write(DataFiles::ResultFile, "old");
        folder.write(DataFiles::ScratchFile, "stale");
        std::optional<StorageError> searched, removing;
        try {
            QCOMPARE(RunSearchPass(folder.path(), c).hits, hits);
        } catch (const StorageError &e) {
            searched = e;
        }
        try {
            QCOMPARE(RemoveArticle(folder.path(), candidate) == RemovalOutcome::Removed, removed >= 0);
        } catch (const StorageError &e) {
            removing = e;
        }
        const char *where = scan::scanKernelName(k);
        QVERIFY2(searched.has_value() == plain.has_value() && removing.has_value() == plain.has_value(), where);
        if (plain) {
            for (const StorageError &e : {*searched, *removing}) {
                QCOMPARE(e.kind(), plain->kind());
                QCOMPARE(e.recordNumber(), plain->recordNumber());
                QCOMPARE(e.byteOffset(), plain->byteOffset());
                QCOMPARE(e.fieldNumber(), plain->fieldNumber());
            }
            QCOMPARE(folder.read(DataFiles::ResultFile), QByteArray());
            QVERIFY2(folder.read(DataFiles::ArticleFile) == file, where);
            continue;
        }
        QVERIFY2(folder.read(DataFiles::ResultFile) == expected, where);
        QVERIFY2(folder.read(DataFiles::ArticleFile) == (removed >= 0 ? kept : file), where);
        QCOMPARE(folder.read(DataFiles::ScratchFile), removed >= 0 ? kept : QByteArray("stale"));
        folder.write(DataFiles::ArticleFile, file);
    }
}

// A record with something to trip over is moved byte by byte past every
// place in a block of 64 bytes (so past those of 16 and 32 too), and across
// the end of the reader's first megabyte; filler records around it fit no
// condition. Expected: the record as the writer spells it, or the error at
// the given offset within the record.
void TestScanDiff::blockAndBufferEdges_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("hit");
    QTest::addColumn<int>("errorAt");  // -1: no error
    QTest::addColumn<bool>("buffer");  // moved across the buffer's end too
    const QByteArray kanji = line(sjis(u"漢字とカナのﾃｷｽﾄ"_qs));
    QTest::newRow("kanji, kana, half-width") << kanji << u"漢字とカナのﾃｷｽﾄ"_qs << kanji << -1 << true;
    QTest::newRow("NEC row 13 spelling") << line("\x87\x9a\x87\x9a") << u"∵∵"_qs << line("\x81\xe6\x81\xe6") << -1
                                         << false;
    QTest::newRow("list after a trail 0x5B") << line(sjis(u"ゼ[ゼソ]ーン"_qs)) << u"ゼソーン"_qs
                                            << line(sjis(u"ゼ[ゼソ]ーン"_qs)) << -1 << false;
    QTest::newRow("byte 0x80") << line(sjis(u"漢字"_qs) + "\x80") << u"漢字"_qs << QByteArray() << 5 << true;
}

void TestScanDiff::blockAndBufferEdges()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, title);
    QFETCH(QByteArray, hit);
    QFETCH(int, errorAt);
    QFETCH(bool, buffer);
    TempDataFolder folder;
    const SearchConditions c = conditions(title);
    constexpr qsizetype kBuffer = 1 << 20;
    QList<qsizetype> starts;
    for (qsizetype shift = 0; shift <= 64; ++shift)
        starts << 1000 + shift;
    // Across the buffer's end, and ending just before it, where the bytes
    // after a block run out.
    for (qsizetype shift = 0; buffer && shift <= record.size() + 66; shift += shift < record.size() ? 3 : 7)
        starts << kBuffer - shift;
    for (scan::ScanKernel k : kernels()) {
        QVERIFY(scan::setScanKernel(k));
        for (const qsizetype start : starts) {
            folder.write(DataFiles::ArticleFile, filler(start) + record + filler(300));
            std::optional<StorageError> e;
            try {
                RunSearchPass(folder.path(), c);
            } catch (const StorageError &error) {
                e = error;
            }
            const QString where = u"%1 at %2"_qs.arg(QLatin1String(scan::scanKernelName(k))).arg(start);
            QVERIFY2(e.has_value() == (errorAt >= 0), qPrintable(where));
            if (e)
                QVERIFY2(e->byteOffset() == start + errorAt, qPrintable(where));
            else
                QVERIFY2(folder.read(DataFiles::ResultFile) == hit, qPrintable(where));
        }
    }
}

// Every kernel finds the same quotes, odd characters and pattern characters
// in random bytes as the portable one, which looks every pair up; a byte from
// an interesting few most of the time, so that every pair and every run of
// lead bytes turns up.
void TestScanDiff::kernelsAgree()
{
    QRandomGenerator g(7);
    const QByteArray some = "\"?*#[;_\r\x40\x5b\x7f\x80\x81\x82\x83\x87\x88\x98\xa0\xea\xed\xfa\xfc\xfd\xff";
    QByteArray bytes(64 * scan::StructureIndex::kMaxBlocks + 1, '\0');
    for (int round = 0; round < 40; ++round) {
        for (char &b : bytes)
            b = g.bounded(3) ? some[g.bounded(static_cast<int>(some.size()))] : char(g.bounded(256));
        const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
        QList<QList<std::uint32_t>> expected;
        for (scan::ScanKernel k : kernels()) {
            QVERIFY(scan::setScanKernel(k));
            scan::StructureIndex ix;
            for (int done = 0; done < scan::StructureIndex::kMaxBlocks; done += 16)
                scan::indexBlocks(p, 16, ix);
            const QList<QList<std::uint32_t>> lists = {{ix.quotes.get(), ix.quotes.get() + ix.quoteCount},
                                                       {ix.wrong.get(), ix.wrong.get() + ix.wrongCount},
                                                       {ix.patterns.get(), ix.patterns.get() + ix.patternCount}};
            if (expected.isEmpty())
                expected = lists;
            QVERIFY2(lists == expected, scan::scanKernelName(k));
        }
    }
}

// The last pass's result file is set aside, not cut off in place, when that
// changes nothing else: the name keeps its permissions, and a file with a
// second name, or one the name only links to, is emptied in place.
void TestScanDiff::resultFileReplaced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("own file, permissions kept") << u"file"_qs;
    QTest::newRow("second name") << u"hard link"_qs;
    QTest::newRow("symbolic link") << u"symbolic link"_qs;
}

void TestScanDiff::resultFileReplaced()
{
    QFETCH(QString, kind);
    TempDataFolder folder;
    folder.write(DataFiles::ArticleFile, line("t") + filler(300));
    const QString result = folder.file(DataFiles::ResultFile), other = folder.file(u"other.PLR"_qs);
    writeFile(kind == u"file"_qs ? result : other, "old hits\r\n");
    QFile::remove(kind == u"file"_qs ? other : result);
    if (kind == u"hard link"_qs)
        QCOMPARE(::link(QFile::encodeName(other).constData(), QFile::encodeName(result).constData()), 0);
    if (kind == u"symbolic link"_qs)
        QVERIFY(QFile::link(other, result));
    const QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(kind == u"file"_qs ? result : other, mode));
    QCOMPARE(RunSearchPass(folder.path(), conditions(u"t"_qs)).hits, 1);
    QCOMPARE(readFile(result), line("t"));
    if (kind != u"file"_qs)
        QCOMPARE(readFile(other), line("t"));
    QCOMPARE(QFileInfo(result).isSymLink(), kind == u"symbolic link"_qs);
    QCOMPARE(QFile::permissions(kind == u"file"_qs ? result : other) & 0x7077, mode);  // owner, group, others
}

PAGELORE_TEST_MAIN(TestScanDiff)
#include "tst_scandiff.moc"
