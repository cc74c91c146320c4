#include "search/Search.h"
#include "storage/DataFiles.h"
#include "storage/TypedInput.h"
#include "support/TestCore.h"

#include <functional>

using namespace pagelore;
using namespace pagelore::test;

Q_DECLARE_METATYPE(pagelore::ArticleRecord)
Q_DECLARE_METATYPE(pagelore::SearchConditions)

class TestSearchPass : public QObject {
    Q_OBJECT

private slots:
    void thirteenTests_data();
    void thirteenTests();
    void hitsInFileOrderOfTheLatestPass();
};

// Each row changes article(1) and conditions that nothing of it fits.
void TestSearchPass::thirteenTests_data()
{
    QTest::addColumn<ArticleRecord>("stored");
    QTest::addColumn<SearchConditions>("conditions");
    QTest::addColumn<bool>("hit");
    using Change = std::function<void(ArticleRecord &, SearchConditions &)>;
    const auto row = [](const char *name, bool hit, const Change &change) {
        ArticleRecord a = article(1);
        SearchConditions c;
        c.title = c.writer = c.magazine = c.category = c.publicationForm = c.keyword1 = c.keyword2 =
            u"該当なし"_qs;
        c.page = 5000;
        c.date = *TypedInput::toDate(u"1800/1/1"_qs);
        change(a, c);
        QTest::newRow(name) << a << c << hit;
    };
    row("nothing fits", false, [](auto &, auto &) {});
    row("every condition fits: one hit", true, [](ArticleRecord &a, SearchConditions &c) {
        c.title = a.Title, c.writer = a.Writer, c.magazine = a.Magazine, c.page = a.FirstPage,
        c.category = a.Category;
        c.publicationForm = a.PublicationForm, c.date = a.PublicationDate, c.keyword1 = a.Keyword1,
        c.keyword2 = a.Keyword2;
    });
    row("1 title", true, [](auto &a, auto &c) { c.title = a.Title; });
    row("1 title, case differs", false,
        [](auto &a, auto &c) { a.Title = u"CPU入門"_qs, c.title = u"cpu入門"_qs; });
    row("1 title, width differs", false, [](auto &a, auto &c) { a.Title = u"CPU"_qs, c.title = u"ＣＰＵ"_qs; });
    row("1 stored pattern fits", true, [](auto &a, auto &c) { a.Title = u"CPU*"_qs, c.title = u"CPU入門"_qs; });
    row("1 condition * is a character", false,
        [](auto &a, auto &c) { a.Title = u"CPU入門"_qs, c.title = u"CPU*"_qs; });
    row("1 stored [ never closed", false, [](auto &a, auto &c) { a.Title = c.title = u"[CPU"_qs; });
    row("1 same characters in other bytes", true, [](auto &a, auto &c) { a.Title = c.title = u"纊≒Ⅰ"_qs; });
    row("2 writer", true, [](auto &a, auto &c) { c.writer = a.Writer; });
    row("3 magazine", true, [](auto &a, auto &c) { c.magazine = a.Magazine; });
    row("3 stored 月刊* fits 月刊アスキー", true,
        [](auto &a, auto &c) { a.Magazine = u"月刊*"_qs, c.magazine = u"月刊アスキー"_qs; });
    row("3 condition 月刊* misses stored 月刊誌", false,
        [](auto &a, auto &c) { a.Magazine = u"月刊誌"_qs, c.magazine = u"月刊*"_qs; });
    row("3 condition 月刊* fits stored 月刊?", true,
        [](auto &a, auto &c) { a.Magazine = u"月刊?"_qs, c.magazine = u"月刊*"_qs; });
    const auto pages = [](int first, int last, int page) {
        return
            [=](ArticleRecord &a, SearchConditions &c) { a.FirstPage = first, a.LastPage = last, c.page = page; };
    };
    row("4 page inside 98-102", true, pages(98, 102, 100));
    row("4 page 100-100", true, pages(100, 100, 100));
    row("4 page 90-100", true, pages(90, 100, 100));
    row("4 page 100-110", true, pages(100, 110, 100));
    row("4 page 101-110", false, pages(101, 110, 100));
    row("4 page 90-99", false, pages(90, 99, 100));
    row("4 negative range", true, pages(-10, -1, -5));
    row("4 reversed range", false, pages(110, 90, 100));
    row("5 category", true, [](auto &a, auto &c) { c.category = a.Category; });
    row("6 publication form", true, [](auto &a, auto &c) { c.publicationForm = a.PublicationForm; });
    row("7 typed date", true, [](auto &, auto &c) { c.date = *TypedInput::toDate(u"1990/2/3"_qs); });
    row("7 date with a time", false, [](auto &, auto &c) { c.date = *TypedInput::toDate(u"1990/2/3 10:00"_qs); });
    row("8 keyword1 in Keyword1", true, [](auto &a, auto &c) { c.keyword1 = a.Keyword1; });
    row("9 keyword1 in Keyword3", true, [](auto &a, auto &c) { c.keyword1 = a.Keyword3; });
    row("10 keyword1 in Keyword2", true, [](auto &a, auto &c) { c.keyword1 = a.Keyword2; });
    row("11 keyword2 in Keyword3", true, [](auto &a, auto &c) { c.keyword2 = a.Keyword3; });
    row("12 keyword2 in Keyword1", true, [](auto &a, auto &c) { c.keyword2 = a.Keyword1; });
    row("13 keyword2 in Keyword2", true, [](auto &a, auto &c) { c.keyword2 = a.Keyword2; });
    row("empty condition, empty keyword", true, [](auto &a, auto &c) { a.Keyword3.clear(), c.keyword2.clear(); });
    row("empty conditions, filled fields", false, [](auto &, auto &c) { c.title.clear(), c.keyword1.clear(); });
    row("content and image base never compared", false,
        [](auto &a, auto &) { a.Content = a.ImageBase = u"*"_qs; });
    row("condition with a double quote", true, [](auto &a, auto &c) { a.Title = u"*"_qs, c.title = u"a\"b"_qs; });
    row("condition code page 932 lacks", true,
        [](auto &a, auto &c) { a.Keyword2 = u"?"_qs, c.keyword1 = u"😀"_qs; });
    row("condition code page 932 lacks, no pattern", false, [](auto &, auto &c) { c.writer = u"한글"_qs; });
}

// The record in the writer's form (tested at byte level) and in another
// spelling (converted and matched as text): both hits or neither, and a hit
// is written in the writer's form.
void TestSearchPass::thirteenTests()
{
    QFETCH(ArticleRecord, stored);
    QFETCH(SearchConditions, conditions);
    QFETCH(bool, hit);
    TempDataFolder data;
    data.write(DataFiles::ArticleFile, line(stored) + line(stored, false));
    QCOMPARE(RunSearchPass(data.path(), conditions).hits, hit ? 2 : 0);
    QCOMPARE(data.read(DataFiles::ResultFile), hit ? line(stored) + line(stored) : QByteArray());
}

void TestSearchPass::hitsInFileOrderOfTheLatestPass()
{
    TempDataFolder data;
    data.write(DataFiles::ResultFile, "stale");
    data.write(DataFiles::ArticleFile, line(article(1)) + line(article(2)) + line(article(3)));
    SearchConditions c;
    c.title = article(3).Title;
    c.keyword2 = article(1).Keyword2;
    const SearchOutcome first = RunSearchPass(data.path(), c);
    QCOMPARE(data.read(DataFiles::ResultFile), line(article(1)) + line(article(3)));
    QCOMPARE(first.articlesRead, 3);
    c.title = article(2).Title;
    RunSearchPass(data.path(), c);
    QCOMPARE(data.read(DataFiles::ResultFile), line(article(1)) + line(article(2)));
    c.keyword2 = u"☆"_qs;
    RunSearchPass(data.path(), c);
    QCOMPARE(data.read(DataFiles::ResultFile), line(article(2)));
    data.write(DataFiles::ArticleFile, {});
    QCOMPARE(RunSearchPass(data.path(), c).hits, 0);
    QCOMPARE(data.read(DataFiles::ResultFile), QByteArray());
}

PAGELORE_CORE_TEST_MAIN(TestSearchPass)
#include "tst_searchpass.moc"
