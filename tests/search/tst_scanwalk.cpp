// The search and the removal read records in the writer's own form in one
// walk over the reader's buffer and hand everything else, and every record
// the buffer cuts, to the general reader. Over files larger than that buffer,
// with every kind of spelling mixed in, both must give what the plain road
// gives: every record converted, tested and written by the record writer.

#include "search/Search.h"
#include "storage/DataFiles.h"
#include "storage/TypedInput.h"
#include "support/TestSupport.h"

#include <QObject>
#include <QRandomGenerator>

using namespace pagelore;
using namespace pagelore::test;

namespace {

QByteArray pick(QRandomGenerator &g, const QByteArrayList &choices)
{
    return choices[g.bounded(static_cast<int>(choices.size()))];
}

// Mostly the writer's form; now and then a second spelling of a character,
// a pattern, a number or date the writer would spell otherwise, a space or a
// bare line feed. Contents run from a few bytes to several hundred, so
// records fall across the reader's buffer at every kind of byte.
QByteArray collection(quint32 seed, int records)
{
    QRandomGenerator g(seed);
    const QByteArrayList texts = {sjis(u"データベース入門"_qs), sjis(u"ﾊﾟｿｺﾝ通信"_qs), "CPU", "",
                                  sjis(u"月刊アスキー"_qs), "\x87\x9a", "\xed\x40\x82\xa0", "\xfa\x5c",
                                  "CPU*", sjis(u"Z80?"_qs), sjis(u"第#回"_qs), sjis(u"[ゼソ]ーン"_qs)};
    const QByteArrayList pages = {"1", "120", "100", "-5", "32767", "+01", "007", " 3"};
    const QByteArrayList dates = {"2001-02-03", "2000-02-29", "1990-01-01", "2001-2-3", "1999-12-31"};
    QByteArray out;
    for (int n = 0; n < records; ++n) {
        const bool odd = g.bounded(8) == 0;  // one record in eight may leave the writer's form
        auto text = [&] { return "\"" + (odd ? pick(g, texts) : pick(g, texts.mid(0, 5))) + "\""; };
        QByteArray content;
        for (int lines = g.bounded(1, 7); lines > 0; --lines)
            content += sjis(u"長い内容の一行、ﾃｽﾄ。"_qs).repeated(g.bounded(1, 5)) + (lines > 1 ? "\r\n" : "");
        out += text() + "," + text() + "," + text() + "," + (odd ? pick(g, pages) : "100") + ","
               + pick(g, pages.mid(0, 5)) + "," + text() + "," + text() + ",#"
               + (odd ? pick(g, dates) : pick(g, dates.mid(0, 3))) + "#,\"" + content + "\"," + text() + ","
               + (odd && g.bounded(2) ? " " : "") + text() + "," + text() + ",\"PC\",0,255"
               + (odd && g.bounded(4) == 0 ? "\n" : "\r\n");
    }
    return out;
}

QList<ArticleRecord> plainRead(const QString &path)
{
    RecordFileCodec in(path, RecordFileCodec::OpenMode::Read);
    QList<ArticleRecord> all;
    while (!in.AtEnd())
        all << ArticleRecord::read(in);
    return all;
}

}  // namespace

class TestScanWalk : public QObject {
    Q_OBJECT

private slots:
    void sameAsPlain_data();
    void sameAsPlain();
    void leapDays_data();
    void leapDays();
};

void TestScanWalk::sameAsPlain_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("records");
    QTest::newRow("small") << 1u << 40;
    QTest::newRow("beyond one buffer") << 2u << 6000;
    QTest::newRow("beyond three buffers") << 3u << 16000;
}

void TestScanWalk::sameAsPlain()
{
    QFETCH(quint32, seed);
    QFETCH(int, records);
    TempDataFolder folder;
    const QByteArray file = collection(seed, records);
    folder.write(DataFiles::ArticleFile, file);
    const QList<ArticleRecord> all = plainRead(folder.file(DataFiles::ArticleFile));
    QCOMPARE(all.size(), records);

    SearchConditions c{u"データベース入門"_qs, u"☆"_qs, u"☆"_qs, -5, u"☆"_qs, u"☆"_qs,
                       *TypedInput::toDate(u"2000/2/29"_qs), u"ﾊﾟｿｺﾝ通信"_qs, u"Z80A"_qs};
    QByteArray expected;
    qint64 hits = 0;
    for (const ArticleRecord &a : all)
        if (RecordMatches(a, c)) {
            expected += a.encode();
            ++hits;
        }
    const SearchOutcome outcome = RunSearchPass(folder.path(), c);
    QCOMPARE(outcome.hits, hits);
    QVERIFY(hits > 0 && hits < records);
    QVERIFY(folder.read(DataFiles::ResultFile) == expected);

    // The last record is taken away: every earlier one goes to both files
    // as the very bytes it had.
    const ShownCandidate last = ShownCandidate::fromArticle(all.last());
    qsizetype first = 0;
    while (!last.matches(all[first]))
        ++first;
    QByteArray kept;
    {
        RecordFileCodec in(folder.file(DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
        RawField raw[ArticleRecord::kFieldCount];
        for (qsizetype n = 0; !in.AtEnd(); ++n) {
            QByteArrayView whole;
            in.readRawRecord(ArticleRecord::kFieldCount, raw, &whole);
            if (n != first)
                kept += whole.toByteArray();
        }
    }
    QCOMPARE(RemoveArticle(folder.path(), last), RemovalOutcome::Removed);
    QVERIFY(folder.read(DataFiles::ArticleFile) == kept);
    QVERIFY(folder.read(DataFiles::ScratchFile) == kept);
}

// A date the calendar does not have is no date of the writer's; the reader
// of converted records decides about it.
void TestScanWalk::leapDays_data()
{
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<int>("hits");  // -1: both roads refuse the file
    QTest::newRow("leap day of a leap year") << QByteArray("2000-02-29") << u"2000/2/29"_qs << 1;
    QTest::newRow("leap day every fourth year") << QByteArray("1996-02-29") << u"1996/2/29"_qs << 1;
    QTest::newRow("no leap day in 1900") << QByteArray("1900-02-29") << u"1900/2/28"_qs << -1;
    QTest::newRow("no leap day in 2001") << QByteArray("2001-02-29") << u"2001/2/28"_qs << -1;
    QTest::newRow("thirty-first of April") << QByteArray("2001-04-31") << u"2001/4/30"_qs << -1;
    QTest::newRow("end of December") << QByteArray("1999-12-31") << u"1999/12/31"_qs << 1;
}

void TestScanWalk::leapDays()
{
    QFETCH(QByteArray, date);
    QFETCH(QString, condition);
    QFETCH(int, hits);
    TempDataFolder folder;
    folder.write(DataFiles::ArticleFile, "\"t\",\"w\",\"m\",1,2,\"c\",\"f\",#" + date
                                             + "#,\"\",\"k1\",\"k2\",\"k3\",\"\",0,255\r\n");
    SearchConditions c{u"☆"_qs, u"☆"_qs, u"☆"_qs, 100, u"☆"_qs, u"☆"_qs, *TypedInput::toDate(condition),
                       u"☆"_qs, u"☆"_qs};
    std::optional<StorageError> plain, walked;
    try {
        plainRead(folder.file(DataFiles::ArticleFile));
    } catch (const StorageError &e) {
        plain = e;
    }
    SearchOutcome outcome;
    try {
        outcome = RunSearchPass(folder.path(), c);
    } catch (const StorageError &e) {
        walked = e;
    }
    QCOMPARE(plain.has_value(), hits < 0);
    QCOMPARE(walked.has_value(), hits < 0);
    if (hits < 0) {
        QCOMPARE(walked->kind(), plain->kind());
        QCOMPARE(walked->byteOffset(), plain->byteOffset());
    } else {
        QCOMPARE(outcome.hits, hits);
    }
}

PAGELORE_TEST_MAIN(TestScanWalk)
#include "tst_scanwalk.moc"
