#include "platform/Cp932.h"
#include "platform/Cp932Canonical.h"
#include "search/QuickFold.h"
#include "search/QuickSearch.h"
#include "storage/DataFiles.h"
#include "support/TestSupport.h"

using namespace pagelore;
using namespace pagelore::test;

namespace {

// One article line in the writer's form. `nine` are the searched texts in
// file order: title, writer, magazine, category, form, content, keywords.
QByteArray record(const QStringList &nine, const QString &pages = u"12,15"_qs,
                  const QString &date = u"1990-01-01"_qs, const QString &imageBase = {})
{
    auto q = [](const QString &s) { return u'"' + s + u'"'; };
    const QStringList fields = {q(nine[0]), q(nine[1]),         q(nine[2]), pages,      q(nine[3]),
                                q(nine[4]), u'#' + date + u'#', q(nine[5]), q(nine[6]), q(nine[7]),
                                q(nine[8]), q(imageBase),       u"0"_qs,    u"255"_qs};
    return sjis(fields.join(u',') + u"\r\n"_qs);
}

QList<qint64> recordsOf(const std::vector<ArticlePlace> &places)
{
    QList<qint64> numbers;
    for (const ArticlePlace &p : places)
        numbers << p.recordNumber;
    return numbers;
}

// What the quick search means by folding, from Qt's normalisation alone.
QString referenceFold(const QString &text)
{
    QString s = text.normalized(QString::NormalizationForm_KC);
    for (QChar &c : s)
        if ((c.unicode() >= 0x3041 && c.unicode() <= 0x3096) || c.unicode() == 0x309D || c.unicode() == 0x309E)
            c = QChar(char16_t(c.unicode() + 0x60));
    return s.toCaseFolded();
}

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
        row("plain kana misses voiced", u"テ"_qs, 0, u"デジタル"_qs, false);
        row("plain kana misses half-width voiced", u"テ"_qs, 0, u"ﾃﾞｼﾞﾀﾙ"_qs, false);
        row("half-width plain kana", u"ﾃ"_qs, 0, u"テスト"_qs, true);
        row("voiced mark taken by its kana", u"ﾞ"_qs, 0, u"ﾃﾞ"_qs, false);
        row("trail byte is no character", u"の"_qs, 0, u"伊藤"_qs, false);
        row("after a pair ending in a lead-like byte", u"の"_qs, 0, u"＝ﾉ"_qs, true);
        row("circled digit", u"1"_qs, 0, u"①基本編"_qs, true);
        row("parenthesised kanji", u"(株)"_qs, 2, u"㈱技術評論社"_qs, true);
        row("word inside a text", u"寝台"_qs, 0, u"寝台特急の旅 北へ"_qs, true);
        row("every word", u"寝台 北へ"_qs, 0, u"寝台特急の旅 北へ"_qs, true);
        row("full-width space", u"寝台　北へ"_qs, 0, u"寝台特急の旅 北へ"_qs, true);
        row("one word missing", u"寝台 南へ"_qs, 0, u"寝台特急の旅 北へ"_qs, false);
        row("words in two fields", u"寝台 佐藤"_qs, 0, u"寝台特急"_qs, true);
        row("no word across two fields", u"一郎月刊"_qs, 0, u"寝台"_qs, false);
        row("line in the content", u"北へ"_qs, 5, u"一行目\r\n北へ"_qs, true);
        row("star is a character", u"*"_qs, 0, u"CPU*"_qs, true);
        row("star is no pattern", u"*"_qs, 0, u"CPU"_qs, false);
        row("question mark is no pattern", u"C?U"_qs, 0, u"CPU"_qs, false);
        row("number sign is no pattern", u"#"_qs, 0, u"第1回"_qs, false);
        row("number sign is a character", u"#1"_qs, 0, u"第#1回"_qs, true);
        row("bracket is no pattern", u"[ab]"_qs, 0, u"a"_qs, false);
        row("bracket is a character", u"[ab]"_qs, 0, u"x[ab]y"_qs, true);
        row("empty query", QString(), 0, u"寝台"_qs, true);
        row("spaces only", u" 　"_qs, 0, u"寝台"_qs, true);
        row("image base is not searched", u"SCAN"_qs, 9, u"SCAN01_"_qs, false);
        row("image base is not searched, one character", u"寝"_qs, 9, u"寝"_qs, false);
        row("date is not searched", u"1990"_qs, 0, u"寝台"_qs, false);
        row("converted: width", u"ﾃﾞｼﾞﾀﾙ"_qs, 0, u"デジタル"_qs, true, false);
        row("converted: voiced", u"テ"_qs, 0, u"ﾃﾞｼﾞﾀﾙ"_qs, false, false);
        row("converted: kana", u"すきゃな"_qs, 8, u"スキャナ"_qs, true, false);
    }

    void folding()
    {
        QFETCH(QString, query);
        QFETCH(int, field);
        QFETCH(QString, stored);
        QFETCH(bool, canonical);
        QFETCH(bool, hit);
        QStringList nine = {{}, u"佐藤一郎"_qs, u"月刊アスキー"_qs, {}, {}, {}, {}, {}, {}};
        QString base;
        (field < 9 ? nine[field] : base) = stored;
        // A page number with a leading zero is no writer's form: the record
        // is converted instead of read at byte level.
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile,
                     record(nine, canonical ? u"12,15"_qs : u"012,15"_qs, u"1990-01-01"_qs, base));
        QCOMPARE(recordsOf(RunQuickSearch(folder.path(), QuickQuery(query))),
                 hit ? QList<qint64>{1} : QList<qint64>{});
    }

    // A word is found wherever the record's bytes put it: every place within
    // a block of sixteen, at the record's end and across blocks.
    void everyPlaceInTheRecord()
    {
        QByteArray bytes;
        for (int shift = 0; shift < 32; ++shift)
            bytes += record({QString(shift, u'x'), {}, {}, {}, {}, {}, {}, {}, u"寝台"_qs});
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, bytes);
        QCOMPARE(RunQuickSearch(folder.path(), QuickQuery(u"寝台"_qs)).size(), std::size_t(32));
        QCOMPARE(RunQuickSearch(folder.path(), QuickQuery(u"寝"_qs)).size(), std::size_t(32));
        QCOMPARE(RunQuickSearch(folder.path(), QuickQuery(u"ﾈ"_qs)).size(), std::size_t(0));
    }

    // The tables agree with normalising each character by itself, and each
    // half-width kana with either mark after it.
    void everyCharacterFoldsAsNormalisation()
    {
        const quick::FoldTables &tables = quick::FoldTables::instance();
        const Cp932::CanonicalTables &canonical = Cp932::canonicalTables();
        QList<QByteArray> samples;
        for (int b = 0; b < 256; ++b)
            if (canonical.first[b] == Cp932::CanonicalTables::Single)
                samples << QByteArray(1, char(b));
        for (int code = 0x8100; code < 0x10000; ++code)
            if (canonical.pair[code] == Cp932::CanonicalTables::PairCanonical)
                samples << QByteArray{char(code >> 8), char(code & 0xFF)};
        QCOMPARE_GT(samples.size(), 7000);
        for (int b = 0xA6; b <= 0xDD; ++b)
            samples << QByteArray{char(b), '\xDE'} << QByteArray{char(b), '\xDF'} << QByteArray{'\xDE', char(b)};
        samples << sjis(u"かﾞうﾞゝﾞヽﾞワﾞｶﾞﾞﾊﾟﾞ"_qs);
        QStringList wrong;
        std::vector<char16_t> out(64);
        for (const QByteArray &bytes : samples) {
            const QString text = Cp932::decodeOrEmpty(bytes);
            const QString folded = QString::fromUtf16(out.data(), tables.fold(bytes, out.data()) - out.data());
            if (folded != referenceFold(text))
                wrong << text;
        }
        QCOMPARE(wrong, QStringList());
    }

    void sortOrder_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QList<int>>("expected"); // record numbers, top row first
        QTest::newRow("date") << int(ListColumn::PublicationDate) << false << QList<int>{5, 2, 4, 1, 3};
        QTest::newRow("date, descending") << int(ListColumn::PublicationDate) << true << QList<int>{1, 3, 4, 2, 5};
        QTest::newRow("pages") << int(ListColumn::Pages) << false << QList<int>{4, 5, 2, 3, 1};
        QTest::newRow("pages, descending") << int(ListColumn::Pages) << true << QList<int>{1, 3, 2, 5, 4};
        QTest::newRow("title by code point") << int(ListColumn::Title) << false << QList<int>{3, 1, 5, 2, 4};
        QTest::newRow("magazine, ties in file order")
            << int(ListColumn::Magazine) << true << QList<int>{2, 4, 1, 3, 5};
        QTest::newRow("writer, texts that begin alike")
            << int(ListColumn::Writer) << false << QList<int>{4, 1, 5, 3, 2};
        QTest::newRow("writer, descending") << int(ListColumn::Writer) << true << QList<int>{2, 3, 1, 5, 4};
    }

    void sortOrder()
    {
        QFETCH(int, column);
        QFETCH(bool, descending);
        QFETCH(QList<int>, expected);
        const QString kinds[] = {u"A"_qs, u"b"_qs};
        QByteArray bytes;
        // title, magazine, pages, date, writer
        const QStringList rows[] = {
            {u"b"_qs, kinds[0], u"10,12"_qs, u"2001-05-01"_qs, u"パソコン入門"_qs},
            {u"ア"_qs, kinds[1], u"9,30"_qs, u"1999-12-31"_qs, u"パソサン"_qs},
            {u"A"_qs, kinds[0], u"10,11"_qs, u"2001-05-01"_qs, u"パソコン入門編"_qs},
            {u"ｱ"_qs, kinds[1], u"-5,3"_qs, u"1999-12-31 10:30:00"_qs, u"パソ"_qs},
            {u"あ"_qs, kinds[0], u"9,9"_qs, u"1899-12-30 23:00:00"_qs, u"パソコン入門"_qs},
        };
        for (const QStringList &r : rows)
            // A content of two lines: the places after it are still right.
            bytes += record({r[0], r[4], r[1], {}, {}, u"一行目\r\n二行目"_qs, {}, {}, {}}, r[2], r[3]);
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, bytes);
        const std::vector<ArticlePlace> places = RunQuickSearch(folder.path(), QuickQuery());
        QList<int> order;
        for (std::uint32_t i :
             SortPlaces(folder.file(DataFiles::ArticleFile), places, ListColumn(column), descending))
            order << int(places[i].recordNumber);
        QCOMPARE(order, expected);
    }
};

PAGELORE_TEST_MAIN(TestQuickSearch)
#include "tst_quicksearch.moc"
