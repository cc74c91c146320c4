#include "fuzz/ScanRoads.h"
#include "search/QuickSearch.h"
#include "storage/DataFiles.h"
#include "support/TestSupport.h"

using namespace pagelore;
using namespace pagelore::test;

namespace {

// The nine searched texts in file order, then the image base.
QString ArticleRecord::*const kTexts[] = {
    &ArticleRecord::Title,           &ArticleRecord::Writer,   &ArticleRecord::Magazine, &ArticleRecord::Category,
    &ArticleRecord::PublicationForm, &ArticleRecord::Content,  &ArticleRecord::Keyword1, &ArticleRecord::Keyword2,
    &ArticleRecord::Keyword3,        &ArticleRecord::ImageBase};

} // namespace

class TestQuickSearch : public QObject {
    Q_OBJECT

private slots:
    void folding_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("field"); // 0-8 the nine texts, 9 the image base
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("canonical");
        QTest::addColumn<bool>("hit");
        auto row = [](const char *name, const QString &query, int field, const QString &stored, bool hit,
                      bool canonical = true) {
            QTest::newRow(name) << query << field << stored << canonical << hit;
        };
        row("half-width kana finds full-width", u"ﾃﾞｼﾞﾀﾙ"_qs, 0, u"デジタルカメラ入門"_qs, true);
        row("full-width finds half-width", u"デジタル"_qs, 0, u"ﾃﾞｼﾞﾀﾙｶﾒﾗ"_qs, true);
        row("full-width letters", u"ＣＰＵ"_qs, 5, u"新しいcpuの話"_qs, true);
        row("letter case", u"Cpu"_qs, 6, u"CPU"_qs, true);
        row("keyword 2", u"ｌａｎ"_qs, 7, u"LAN"_qs, true);
        row("hiragana finds katakana", u"すきゃな"_qs, 8, u"スキャナ"_qs, true);
        row("katakana finds hiragana", u"スキャナ"_qs, 3, u"すきゃな"_qs, true);
        row("voiced hiragana finds half-width", u"が"_qs, 4, u"ｶﾞｲﾄﾞ"_qs, true);
        row("semi-voiced half-width", u"パソ"_qs, 0, u"ﾊﾟｿｺﾝ"_qs, true);
        row("voiced iteration mark", u"ゞ"_qs, 0, u"ヾ"_qs, true);
        row("plain kana misses voiced", u"テ"_qs, 0, u"デジタル"_qs, false);
        row("plain kana misses half-width voiced", u"テ"_qs, 0, u"ﾃﾞｼﾞﾀﾙ"_qs, false);
        row("half-width plain kana", u"ﾃ"_qs, 0, u"テスト"_qs, true);
        row("voiced mark taken by its kana", u"ﾞ"_qs, 0, u"ﾃﾞ"_qs, false);
        row("trail byte is no character", u"の"_qs, 0, u"伊藤"_qs, false);
        row("after a pair ending in a lead-like byte", u"の"_qs, 0, u"＝ﾉ"_qs, true);
        // 何 ends in the byte of ｽ; 亜 and ＝ are all bytes that may lead a pair.
        row("trail byte is no half-width kana", u"すきゃな"_qs, 0, u"何キャナ"_qs, false);
        row("half-width kana after a kanji", u"すきゃな"_qs, 0, u"何ｽｷｬﾅ"_qs, true);
        row("half-width kana after lead-like bytes", u"ﾃﾞｼﾞﾀﾙ"_qs, 0, u"亜＝ﾃﾞｼﾞﾀﾙ"_qs, true);
        row("half-width kana at a field's start", u"すきゃな"_qs, 6, u"ｽｷｬﾅ"_qs, true);
        row("circled digit", u"1"_qs, 0, u"①基本編"_qs, true);
        row("parenthesised kanji", u"(株)"_qs, 2, u"㈱技術評論社"_qs, true);
        row("every word", u"寝台 北へ"_qs, 0, u"寝台特急の旅 北へ"_qs, true);
        row("full-width space", u"寝台　北へ"_qs, 0, u"寝台特急の旅 北へ"_qs, true);
        row("one word missing", u"寝台 南へ"_qs, 0, u"寝台特急の旅 北へ"_qs, false);
        row("words in two fields", u"寝台 佐藤"_qs, 0, u"寝台特急"_qs, true);
        row("no word across two fields", u"一郎月刊"_qs, 0, u"寝台"_qs, false);
        row("line in the content", u"北へ"_qs, 5, u"一行目\r\n北へ"_qs, true);
        row("no pattern characters", u"[C]?U*#"_qs, 0, u"CPU1"_qs, false);
        row("pattern characters are characters", u"[C]?U*#"_qs, 0, u"x[C]?U*#y"_qs, true);
        row("empty query", QString(), 0, u"寝台"_qs, true);
        row("image base is not searched", u"SCAN"_qs, 9, u"SCAN01_"_qs, false);
        row("image base is not searched, one character", u"寝"_qs, 9, u"寝"_qs, false);
        row("date is not searched", u"1899"_qs, 0, u"寝台"_qs, false);
        row("converted: width", u"ﾃﾞｼﾞﾀﾙ"_qs, 0, u"デジタル"_qs, true, false);
        row("converted: voiced", u"テ"_qs, 0, u"ﾃﾞｼﾞﾀﾙ"_qs, false, false);
        row("converted: kana", u"すきゃな"_qs, 8, u"スキャナ"_qs, true, false);
        row("converted: no word across two fields", u"一郎月刊"_qs, 0, u"寝台"_qs, false, false);
        row("converted: image base is not searched", u"SCAN"_qs, 9, u"SCAN01_"_qs, false, false);
    }

    void folding()
    {
        QFETCH(QString, query);
        QFETCH(int, field);
        QFETCH(QString, stored);
        QFETCH(bool, canonical);
        QFETCH(bool, hit);
        ArticleRecord a;
        a.Writer = u"佐藤一郎"_qs;
        a.Magazine = u"月刊アスキー"_qs;
        a.*kTexts[field] = stored;
        // Spellings no writer makes: the record is converted instead of read at byte level.
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, line(a, canonical));
        QCOMPARE(RunQuickSearch(folder.path(), QuickQuery(query)).size(), std::size_t(hit));
    }

    // A word is found wherever the record's bytes put it: every place within
    // a block of sixteen or sixty-four, at the record's end and across
    // blocks; and a trail byte is never taken for a character, whether runs
    // of bytes that may lead a pair cross a block's edge or not.
    void everyPlaceInTheRecord()
    {
        QByteArray bytes;
        ArticleRecord a;
        a.Keyword3 = u"寝台席"_qs; // 席 ends in the byte of ﾈ, near the record's end
        // 89BD 889F 88C3 8181 C3DEBCDEC0 889F D9: a trail ｽ, a trail ﾃ after a
        // run of three, a real ﾃ after a run of two, a real ﾙ after a kanji.
        for (QString shift; shift.size() < 64; shift += u'x') {
            a.Title = shift + u"何亜暗＝ﾃﾞｼﾞﾀ亜ﾙ"_qs;
            bytes += line(a);
        }
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, bytes);
        const auto hits = [&](const QString &query) {
            return RunQuickSearch(folder.path(), QuickQuery(query)).size();
        };
        QCOMPARE((std::vector{hits(u"寝台"_qs), hits(u"寝"_qs), hits(u"ﾈ"_qs), hits(u"ス"_qs), hits(u"テ"_qs),
                              hits(u"ﾃﾞｼﾞﾀ"_qs), hits(u"ル"_qs)}),
                 (std::vector<std::size_t>{64, 64, 0, 0, 0, 64, 64}));
    }

    // Read one after the other and in two halves at once, the hits keep
    // their places and record numbers, wherever the middle falls.
    void halves_data()
    {
        QTest::addColumn<QList<QByteArray>>("records");
        QTest::addColumn<QList<int>>("hits"); // record numbers; one below zero: a fault in that record
        ArticleRecord plain, found, big;
        found.Title = u"寝台特急"_qs;
        big.ImageBase = QString(3000, u'x') + u"\r\n"_qs;
        const QByteArray o = line(plain), f = line(found);
        QTest::newRow("hits before and past the middle") << QList{f, o, o, f, o, o, o, f, o} << QList{1, 4, 8};
        QTest::newRow("a text ending in a line end across the middle") << QList{f, line(big), f} << QList{1, 3};
        QTest::newRow("odd spelling past the middle") << QList{o, o, o, f, o, o, line(found, false)} << QList{4, 7};
        QTest::newRow("a fault past the middle") << QList{f, o, o, o, o, o, QByteArray("\"a\",1\r\n")} << QList{-7};
    }
    void halves()
    {
        QFETCH(QList<QByteArray>, records);
        QFETCH(QList<int>, hits);
        std::vector<ArticlePlace> expected;
        qint64 offset = 0;
        for (int i = 0; i < records.size(); ++i) {
            if (hits.contains(i + 1))
                expected.push_back({offset, quint32(i + 1)});
            offset += records[i].size();
        }
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, records.join());
        for (const bool shared : {false, true}) {
            std::optional<roads::TwoHalves> halves;
            if (shared)
                halves.emplace();
            try {
                const std::vector<ArticlePlace> got = RunQuickSearch(folder.path(), QuickQuery(u"寝台"_qs));
                QVERIFY2(got == expected, shared ? "two halves" : "one reader");
                QCOMPARE_GT(hits.first(), 0);
            } catch (const StorageError &e) {
                QCOMPARE(e.recordNumber(), -hits.first());
            }
        }
    }
};

PAGELORE_TEST_MAIN(TestQuickSearch)
#include "tst_quicksearch.moc"
