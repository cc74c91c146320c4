// Whatever an article file holds, and wherever its records fall against the
// blocks and the reader's buffer, every kernel must do as the plain road does.

#include "fuzz/ScanRoads.h"
#include "search/BlockScan.h"
#include "storage/TypedInput.h"
#include "support/TestSupport.h"

#include <QFileInfo>

#include <unistd.h>

using namespace pagelore;
using namespace pagelore::test;

namespace {

// One record in the writer's own form; the rest can hit no condition of the tests.
QByteArray line(const QByteArray &title, const QByteArray &keyword2 = "k2", const QByteArray &date = "2001-02-04")
{
    return "\"" + title + "\",\"w\",\"m\",1,2,\"c\",\"" + sjis(u"特集"_qs) + "\",#" + date + "#,\""
           + sjis(u"一行目\r\n二行目"_qs) + "\",\"k1\",\"" + keyword2 + "\",\"k3\",\"img\",0,255\r\n";
}

// Records of exactly `size` bytes (1000 at least) that fit no condition.
QByteArray filler(qsizetype size)
{
    const QByteArray empty = line("", "k2", "1977-07-07");
    const auto one = [&empty](qsizetype bytes) {
        return QByteArray(empty).insert(1, QByteArray(bytes - empty.size(), 'x'));
    };
    return one(1000).repeated(size / 1000 - 1) + one(size % 1000 + 1000);
}

} // namespace

class TestScanDiff : public QObject {
    Q_OBJECT

private slots:
    void sameAsPlain_data();
    void sameAsPlain();
    void resultFileReplaced_data();
    void resultFileReplaced();
    void largeRemoval_data();
    void largeRemoval();
};

// Each file is searched (the title for title and second keyword, 2001/2/3 for the
// date) and line(title)'s article removed: alone (its last record read by the general
// reader, as the block index needs bytes after a record), amid others, and if sliding
// at every place in a block of 64 (1) and across the reader's first megabyte's end (2);
// each also in two halves at once, with the middle before, among and after its records.
void TestScanDiff::sameAsPlain_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("hits"); // -1: an error
    QTest::addColumn<bool>("removes");
    QTest::addColumn<int>("slide");
    const auto row = [](const char *name, const QByteArray &file, const QString &title, int hits, bool removes,
                        int slide = 0) { QTest::newRow(name) << file << title << hits << removes << slide; };
    const QByteArray rest = line("").mid(2); // all but the title
    row("kanji, kana, half-width", line(sjis(u"漢字とカナのﾃｷｽﾄ"_qs)), u"漢字とカナのﾃｷｽﾄ"_qs, 1, true, 2);
    row("NEC row 13 and IBM spellings", line("\x87\x9a") + line("\xfa\x5b"), u"∵"_qs, 2, true, 1);
    row("list after a lead-range trail", line(sjis(u"字[ゼソ]ーン"_qs)), u"字ソーン"_qs, 1, false, 1);
    row("byte 0x80", line(sjis(u"漢字"_qs) + "\x80"), u"漢字"_qs, -1, false, 2);
    row("plain equal, one with another date",
        line(sjis(u"CPU入門"_qs), "k2", "2001-02-05") + line(sjis(u"CPU入門編"_qs)) + line(sjis(u"CPU入門"_qs)),
        u"CPU入門"_qs, 2, true);
    row("NEC-selected and IBM rows", line("\xed@A") + line("\xfa\\A"), u"纊A"_qs, 2, true);
    row("same bytes, other text", line("\x81\xe6"), u"纊"_qs, 0, false);
    row("stored * fits all, is not the text", line("*") + line("b"), u"b"_qs, 2, true);
    row("stored # one digit, not itself", line(sjis(u"第#回"_qs)) + line(sjis(u"第#回"_qs)), u"第3回"_qs, 2,
        false);
    row("pattern in second keyword", line("t", "*"), u"何でも"_qs, 1, false, 1);
    row("pattern with a duplicate spelling", line("\xed@*"), u"纊です"_qs, 1, false);
    row("condition not in the code page", line("") + line("*"), u"😀"_qs, 1, false);
    row("yen sign and overline are not backslash and tilde", line("\\") + line("~"), u"¥"_qs, 0, false);
    row("date with a time", line("t", "k2", "2001-02-03 10:30:00"), u"☆"_qs, 0, false);
    row("spaces before fields",
        "  \"t\", \"w\",\"m\", 1 , 2,\"c\",\"f\", #2001-02-03#,\"\",\"k1\",\"k2\",\"k3\",\"\",0, 255\r\n", u"t"_qs,
        1, false);
    row("unquoted title after spaces", line("x") + " t" + rest, u"t"_qs, 1, true);
    row("junk after quote", "\"t\"x" + rest, u"t"_qs, 1, true);
    row("space before the second keyword", line("t").replace(",\"k2\"", ", \"k2\""), u"t"_qs, 1, true);
    row("leading zero in a page", line("t").replace(",1,2,", ",01,2,"), u"t"_qs, 1, true);
    row("plus sign", line("t").replace(",1,2,", ",+1,2,"), u"t"_qs, 1, true);
    row("line feed alone", line("t").chopped(2) + "\n" + line("t"), u"t"_qs, 2, true);
    row("last line end missing", line("a") + line("t").chopped(2), u"t"_qs, 1, true);
    row("empty unquoted writer", line("t").replace("\"w\"", ""), u"t"_qs, 1, false);
    row("lead byte before the closing quote", line("a") + line("b") + line("\x81"), u"a"_qs, -1, false);
    row("unassigned pair in the last text", line("a").replace("img", "\x98\x80"), u"a"_qs, -1, false);
    row("page not a number", line("a").replace(",1,2,", ",x,2,"), u"a"_qs, -1, false);
    row("page out of range", line("a").replace(",1,2,", ",1,32768,"), u"a"_qs, -1, false);
    row("image number out of range", line("a").replace(",0,255", ",0,256"), u"a"_qs, -1, false);
    row("negative image number", line("a").replace(",0,255", ",-1,255"), u"a"_qs, -1, false);
    row("month 13", line("a", "k2", "2001-13-01"), u"a"_qs, -1, false);
    row("year of two digits", line("a", "k2", "0099-01-01"), u"a"_qs, -1, false);
    row("a high byte for a digit of the year", line("a", "k2", "\316001-02-03"), u"a"_qs, -1, false);
    row("a colon for the last digit of the day", line("a", "k2", "2001-02-0:"), u"a"_qs, -1, false);
    row("no leap day in 1900", line("a", "k2", "1900-02-29"), u"a"_qs, -1, false);
    row("thirty-first of April", line("a", "k2", "2001-04-31"), u"a"_qs, -1, false);
    row("date without its closing sign", line("a").replace("#2001-02-04#", "#2001-02-04x"), u"a"_qs, -1, false);
    row("record cut short", line("a") + "\"b\",\"w\"", u"a"_qs, -1, false);
    const QByteArray note = sjis(u"一行目\r\n二行目"_qs);
    row("a text ending in a line end across the middle",
        line("a") + line("t").replace(note, QByteArray(3000, 'x') + "\r\n") + line("t"), u"t"_qs, 2, true);
    // A reader starting at the quote after the line end would take it and the
    // next record as one record (the bytes after a closing quote are skipped).
    row("the last text ending in a line end across the middle",
        line("a") + line("b").replace("img", QByteArray(3000, 'x') + "\r\n") + line("t"), u"t"_qs, 1, true);
    row("equal records before and past the middle", line("t") + filler(3000) + line("t"), u"t"_qs, 2, true);
    row("faults before and past the middle",
        line(sjis(u"漢字"_qs) + "\x80") + filler(3000) + line("a").replace(",0,255", ",0,256"), u"a"_qs, -1, false);
    row("a fault past the middle only", line("a") + filler(3000) + line("a").replace(",0,255", ",0,256"), u"a"_qs,
        -1, false);
}

void TestScanDiff::sameAsPlain()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, title);
    QFETCH(int, hits);
    QFETCH(bool, removes);
    QFETCH(int, slide);
    const QString none = u"☆"_qs; // in no stored field
    const SearchConditions c{title, none, none, 100, none, none, *TypedInput::toDate(u"2001/2/3"_qs), none, title};
    TempDataFolder folder;
    folder.write(DataFiles::ArticleFile, line("t"));
    RecordFileCodec in(folder.file(DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
    ShownCandidate candidate = ShownCandidate::fromArticle(ArticleRecord::read(in));
    candidate.Title = title;
    // Across the buffer's end, and ending just before it, where the bytes
    // after a block run out.
    QList<qsizetype> starts = {0, 1000};
    for (qsizetype shift = 0; slide && shift <= 64; ++shift)
        starts << 2000 + shift;
    for (qsizetype shift = 0; slide == 2 && shift <= file.size() + 66; shift += shift < file.size() ? 3 : 7)
        starts << (1 << 20) - shift;
    for (const qsizetype start : starts) {
        const bool alone = start == 0 || !file.endsWith('\n'); // a file cut short stays so
        const QByteArray bytes = (start ? filler(start) : "") + file + (alone ? "" : filler(1000));
        const roads::Outcome plain = roads::take(folder.path(), bytes, c, candidate, true);
        QCOMPARE(plain.hits, hits);
        QCOMPARE(plain.articles != bytes, removes);
        for (scan::ScanKernel k : {scan::ScanKernel::Portable, scan::ScanKernel::Sse2, scan::ScanKernel::Avx2}) {
            if (!scan::setScanKernel(k))
                continue;
            const roads::Outcome got = roads::take(folder.path(), bytes, c, candidate, false);
            QVERIFY2(got == plain,
                     qPrintable(QString::asprintf("%s at %lld", scan::scanKernelName(k), qint64(start))));
        }
        const roads::TwoHalves halves;
        QVERIFY2(roads::take(folder.path(), bytes, c, candidate, false) == plain,
                 qPrintable(QString::asprintf("two halves at %lld", qint64(start))));
    }
    // The middle after the row's records.
    const roads::TwoHalves halves;
    const QByteArray before = file + (file.endsWith('\n') ? filler(4000) : "");
    const roads::Outcome plain = roads::take(folder.path(), before, c, candidate, true);
    QVERIFY(roads::take(folder.path(), before, c, candidate, false) == plain);
}

// The result file is written over where it stands: its permissions, a second
// name and a link to it stay.
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
    folder.write(DataFiles::ArticleFile, line("t") + filler(1000));
    const QString result = folder.file(DataFiles::ResultFile);
    const QString target = kind == u"file"_qs ? result : folder.file(u"other.PLR"_qs);
    QFile::remove(result);
    writeFile(target, "old hits\r\n");
    if (kind == u"hard link"_qs)
        QCOMPARE(::link(QFile::encodeName(target).constData(), QFile::encodeName(result).constData()), 0);
    if (kind == u"symbolic link"_qs)
        QVERIFY(QFile::link(target, result));
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(target, mode));
    const QString none = u"☆"_qs;
    QCOMPARE(RunSearchPass(folder.path(), {u"t"_qs, none, none, 100, none, none, {}, none, none}).hits, 1);
    QCOMPARE(readFile(target), line("t"));
    QCOMPARE(QFileInfo(result).isSymLink(), kind == u"symbolic link"_qs);
    QCOMPARE(QFile::permissions(target) & 0x7077, mode); // owner, group, others
}

// A collection large enough to be read in two halves as it is, whose parts
// are copied in several pieces: the new files are the old one without the
// first equal record, wherever it lies.
void TestScanDiff::largeRemoval_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qsizetype>("cutAt"); // -1: nothing to remove
    const QByteArray t = line("t");
    QTest::newRow("in the first half") << filler(3'000'000) + t + filler(6'000'000) << qsizetype(3'000'000);
    QTest::newRow("in the second half") << filler(6'000'000) + t + filler(3'000'000) << qsizetype(6'000'000);
    QTest::newRow("in both halves") << filler(2'500'000) + t + filler(4'000'000) + t + filler(2'500'000)
                                    << qsizetype(2'500'000);
    QTest::newRow("nowhere") << filler(9'000'000) << qsizetype(-1);
}

void TestScanDiff::largeRemoval()
{
    QFETCH(QByteArray, file);
    QFETCH(qsizetype, cutAt);
    TempDataFolder folder;
    folder.write(DataFiles::ArticleFile, line("t"));
    RecordFileCodec in(folder.file(DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
    const ShownCandidate candidate = ShownCandidate::fromArticle(ArticleRecord::read(in));
    in.close();
    folder.write(DataFiles::ArticleFile, file);
    folder.write(DataFiles::ScratchFile, "stale");
    QVERIFY(file.size() >= scan::sharedFrom());
    QCOMPARE(RemoveArticle(folder.path(), candidate),
             cutAt < 0 ? RemovalOutcome::NotFound : RemovalOutcome::Removed);
    const QByteArray kept = cutAt < 0 ? file : QByteArray(file).remove(cutAt, line("t").size());
    QVERIFY(folder.read(DataFiles::ArticleFile) == kept);
    QVERIFY(folder.read(DataFiles::ScratchFile) == (cutAt < 0 ? QByteArray("stale") : kept));
}

PAGELORE_TEST_MAIN(TestScanDiff)
#include "tst_scandiff.moc"
