#include "search/Search.h"
#include "storage/DataFiles.h"
#include "storage/StorageError.h"
#include "storage/TypedInput.h"
#include "support/TestSupport.h"

#include <QObject>

#include <functional>

using namespace pagelore;
using namespace pagelore::test;

namespace {

// One article line as the files hold it, in code page 932.
QByteArray line(const QString &title, const QString &magazine, int first, int last, const QString &date,
                const QString &k1 = u"k1"_qs, const QString &k2 = u"k2"_qs, const QString &k3 = u"k3"_qs,
                const QString &content = u"内容"_qs)
{
    return sjis(QStringLiteral("\"%1\",\"記者\",\"%2\",%3,%4,\"分野\",\"特集\",#%5#,\"%6\",\"%7\",\"%8\",\"%9\",\"PC\",0,2\r\n")
                    .arg(title, magazine)
                    .arg(first)
                    .arg(last)
                    .arg(date, content, k1, k2, k3));
}

// Conditions that no stored field of line() fits.
SearchConditions noMatch()
{
    SearchConditions c;
    c.title = c.writer = c.magazine = c.category = c.publicationForm = c.keyword1 = c.keyword2 = u"該当なし"_qs;
    c.page = 5000;
    c.date = *TypedInput::toDate(u"1800/1/1"_qs);
    return c;
}

ArticleRecord article()
{
    ArticleRecord a;
    a.Title = u"CPU入門"_qs;
    a.Writer = u"山田"_qs;
    a.Magazine = u"月刊アスキー"_qs;
    a.FirstPage = 98;
    a.LastPage = 102;
    a.Category = u"ハード"_qs;
    a.PublicationForm = u"特集"_qs;
    a.PublicationDate = *TypedInput::toDate(u"1995/4/1"_qs);
    a.Keyword1 = u"k1"_qs;
    a.Keyword2 = u"k2"_qs;
    a.Keyword3 = u"k3"_qs;
    return a;
}

using Tweak = std::function<void(ArticleRecord &, SearchConditions &)>;
struct MatchCase {
    const char *name;
    Tweak tweak;
    bool expected;
};

const QList<MatchCase> &matchCases()
{
    static const QList<MatchCase> cases = {
        {"nothing fits", [](ArticleRecord &a, SearchConditions &) { a.FirstPage = 1, a.LastPage = 2; }, false},
        {"title equal", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.title = u"CPU入門"_qs; }, true},
        {"title case differs", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.title = u"cpu入門"_qs; }, false},
        {"stored title pattern", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, a.Title = u"CPU*"_qs, c.title = u"CPU入門"_qs; }, true},
        {"condition * is literal", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.title = u"CPU*"_qs; }, false},
        {"writer", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.writer = u"山田"_qs; }, true},
        {"stored 月刊* fits 月刊…", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, a.Magazine = u"月刊*"_qs, c.magazine = u"月刊アスキー"_qs; }, true},
        {"condition 月刊* vs stored 月刊誌", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, a.Magazine = u"月刊誌"_qs, c.magazine = u"月刊*"_qs; }, false},
        {"condition 月刊* vs stored 月刊?", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, a.Magazine = u"月刊?"_qs, c.magazine = u"月刊*"_qs; }, true},
        {"page inside 98-102", [](ArticleRecord &, SearchConditions &c) { c.page = 100; }, true},
        {"page 100-100", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 100, a.LastPage = 100, c.page = 100; }, true},
        {"page 90-100", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 90, a.LastPage = 100, c.page = 100; }, true},
        {"page 100-110", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 100, a.LastPage = 110, c.page = 100; }, true},
        {"page 101-110", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 101, a.LastPage = 110, c.page = 100; }, false},
        {"page negative range", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = -10, a.LastPage = -1, c.page = -5; }, true},
        {"page reversed range", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 110, a.LastPage = 90, c.page = 100; }, false},
        {"category", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.category = u"ハード"_qs; }, true},
        {"form", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.publicationForm = u"特集"_qs; }, true},
        {"date equal", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.date = *TypedInput::toDate(u"1995/4/1"_qs); }, true},
        {"date with time differs", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.date = *TypedInput::toDate(u"1995/4/1 10:00"_qs); }, false},
        {"keyword1 vs Keyword1", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.keyword1 = u"k1"_qs; }, true},
        {"keyword1 vs Keyword2", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.keyword1 = u"k2"_qs; }, true},
        {"keyword1 vs Keyword3", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.keyword1 = u"k3"_qs; }, true},
        {"keyword2 vs Keyword1", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.keyword2 = u"k1"_qs; }, true},
        {"keyword2 vs Keyword2", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.keyword2 = u"k2"_qs; }, true},
        {"keyword2 vs Keyword3", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.keyword2 = u"k3"_qs; }, true},
        {"empty condition vs empty keyword", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, a.Keyword3.clear(), c.keyword2.clear(); }, true},
        {"empty condition vs filled fields", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, c.title.clear(), c.keyword1.clear(); }, false},
        {"invalid stored pattern", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, a.Title = u"[CPU"_qs, c.title = u"[CPU"_qs; }, false},
        {"content never compared", [](ArticleRecord &a, SearchConditions &c) { a.FirstPage = 1, a.LastPage = 2, a.Content = u"*"_qs, c.title = u"x"_qs; }, false},
    };
    return cases;
}

}  // namespace

class TestSearchPass : public QObject {
    Q_OBJECT

private slots:
    void recordMatches_data();
    void recordMatches();
    void allEmptyConditions();
    void hitWrittenOnceInFileOrder();
    void secondSearchReplacesFirst();
    void emptyArticleFile();
    void missingArticleFileLeavesResult();
    void malformedArticleFile();
    void otherByteSequenceStillMatches();
};

void TestSearchPass::recordMatches_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < matchCases().size(); ++i)
        QTest::newRow(matchCases()[i].name) << i;
}

void TestSearchPass::recordMatches()
{
    QFETCH(int, index);
    const MatchCase &mc = matchCases()[index];
    ArticleRecord a = article();
    SearchConditions c = noMatch();
    mc.tweak(a, c);
    QCOMPARE(RecordMatches(a, c), mc.expected);
}

void TestSearchPass::allEmptyConditions()
{
    TempDataFolder data;
    const QByteArray emptyTitle = line({}, u"雑誌"_qs, 1, 2, u"1995-04-01"_qs);
    const QByteArray pages98 = line(u"A"_qs, u"雑誌"_qs, 98, 102, u"1995-04-01"_qs);
    const QByteArray pages101 = line(u"B"_qs, u"雑誌"_qs, 101, 110, u"1995-04-01"_qs);
    const QByteArray dated = line(u"C"_qs, u"雑誌"_qs, 1, 2, u"1990-01-01"_qs);
    const QByteArray datedWithTime = line(u"D"_qs, u"雑誌"_qs, 1, 2, u"1990-01-01 12:00:00"_qs);
    const QByteArray emptyKeyword = line(u"E"_qs, u"雑誌"_qs, 1, 2, u"1995-04-01"_qs, u"k1"_qs, {}, u"k3"_qs);
    const QByteArray starMagazine = line(u"F"_qs, u"**"_qs, 1, 2, u"1995-04-01"_qs);
    // The reader takes one-digit months and days too; the value is what counts.
    const QByteArray shortDate = line(u"G"_qs, u"雑誌"_qs, 1, 2, u"1990-1-1"_qs);
    const QByteArray patternKeyword = line(u"H"_qs, u"雑誌"_qs, 1, 2, u"1995-04-01"_qs, u"k1"_qs, u"[]"_qs, u"k3"_qs);
    data.write(DataFiles::ArticleFile, emptyTitle + pages98 + pages101 + dated + datedWithTime + emptyKeyword
                                           + starMagazine + shortDate + patternKeyword);

    SearchConditions c;  // as the screen opens: empty texts, page 100
    c.date = *TypedInput::toDate(u"1990/1/1"_qs);
    RunSearchPass(data.path(), c);

    QCOMPARE(data.read(DataFiles::ResultFile), emptyTitle + pages98 + dated + emptyKeyword + starMagazine
                                                   + line(u"G"_qs, u"雑誌"_qs, 1, 2, u"1990-01-01"_qs)
                                                   + patternKeyword);
}

void TestSearchPass::hitWrittenOnceInFileOrder()
{
    TempDataFolder data;
    const QByteArray multi = line(u"T"_qs, u"M"_qs, 90, 110, u"1990-01-01"_qs, u"q"_qs, u"q"_qs, u"q"_qs,
                                  u"一行目\r\n二行目"_qs);
    const QByteArray miss = line(u"X"_qs, u"M"_qs, 1, 2, u"1995-01-01"_qs);
    const QByteArray kw3 = line(u"Y"_qs, u"M"_qs, 1, 2, u"1995-01-01"_qs, u"a"_qs, u"b"_qs, u"q"_qs);
    data.write(DataFiles::ArticleFile, miss + multi + miss + kw3);

    SearchConditions c = noMatch();
    c.title = u"T"_qs;
    c.page = 100;
    c.date = *TypedInput::toDate(u"1990/1/1"_qs);
    c.keyword2 = u"q"_qs;
    const SearchOutcome outcome = RunSearchPass(data.path(), c);
    QCOMPARE(data.read(DataFiles::ResultFile), multi + kw3);
    QCOMPARE(outcome.articlesRead, 4);
    QCOMPARE(outcome.hits, 2);
}

void TestSearchPass::secondSearchReplacesFirst()
{
    TempDataFolder data;
    const QByteArray a = line(u"A"_qs, u"M"_qs, 1, 2, u"1995-01-01"_qs);
    const QByteArray b = line(u"B"_qs, u"M"_qs, 1, 2, u"1995-01-01"_qs);
    data.write(DataFiles::ArticleFile, a + b);
    SearchConditions c = noMatch();
    c.title = u"A"_qs;
    RunSearchPass(data.path(), c);
    QCOMPARE(data.read(DataFiles::ResultFile), a);
    c.title = u"B"_qs;
    RunSearchPass(data.path(), c);
    QCOMPARE(data.read(DataFiles::ResultFile), b);
}

void TestSearchPass::emptyArticleFile()
{
    TempDataFolder data;
    data.write(DataFiles::ResultFile, line(u"old"_qs, u"M"_qs, 1, 2, u"1995-01-01"_qs));
    RunSearchPass(data.path(), SearchConditions{});
    QCOMPARE(data.read(DataFiles::ResultFile), QByteArray());
}

void TestSearchPass::missingArticleFileLeavesResult()
{
    TempDataFolder data;
    const QByteArray old = line(u"old"_qs, u"M"_qs, 1, 2, u"1995-01-01"_qs);
    data.write(DataFiles::ResultFile, old);
    QVERIFY(QFile::remove(data.file(DataFiles::ArticleFile)));
    try {
        RunSearchPass(data.path(), SearchConditions{});
        QFAIL("a missing article file must fail");
    } catch (const StorageError &e) {
        QCOMPARE(e.kind(), StorageError::Kind::FileMissing);
        QCOMPARE(e.path(), data.file(DataFiles::ArticleFile));
        QVERIFY(e.message().contains(u"Touroku.PLR"_qs));
    }
    QCOMPARE(data.read(DataFiles::ResultFile), old);
}

void TestSearchPass::malformedArticleFile()
{
    TempDataFolder data;
    const QByteArray good = line({}, u"M"_qs, 1, 2, u"1995-01-01"_qs);
    data.write(DataFiles::ArticleFile, good + sjis(u"\"壊れた\",\"記者\",\"M\",abc,2\r\n"_qs));
    try {
        RunSearchPass(data.path(), SearchConditions{});
        QFAIL("a malformed article file must fail");
    } catch (const StorageError &e) {
        QCOMPARE(e.path(), data.file(DataFiles::ArticleFile));
        QCOMPARE(e.recordNumber(), 2);
        QVERIFY(e.message().contains(u"Touroku.PLR"_qs));
    }
    // The browser must not show the hits of half a pass.
    QCOMPARE(data.read(DataFiles::ResultFile), QByteArray());
    QCOMPARE(data.read(DataFiles::ArticleFile).left(good.size()), good);
}

void TestSearchPass::otherByteSequenceStillMatches()
{
    TempDataFolder data;
    // ≒ as NEC row 13 (87 90) and 纊 as NEC-selected IBM extension (ED 40);
    // the condition's characters encode as 81 E0 and FA 5C.
    QByteArray stored = sjis(u"\"A"_qs) + QByteArray("\x87\x90\xed\x40", 4) +
                        sjis(u"\",\"記者\",\"M\",1,2,\"分野\",\"特集\",#1995-01-01#,\"\",\"k1\",\"k2\",\"k3\",\"\",0,0\r\n"_qs);
    data.write(DataFiles::ArticleFile, stored);
    SearchConditions c = noMatch();
    c.title = u"A≒纊"_qs;
    QCOMPARE(RunSearchPass(data.path(), c).hits, 1);
    QByteArray expected = stored;
    expected.replace(QByteArray("\x87\x90\xed\x40", 4), sjis(u"≒纊"_qs));
    QCOMPARE(data.read(DataFiles::ResultFile), expected);
}

PAGELORE_TEST_MAIN(TestSearchPass)
#include "tst_searchpass.moc"
