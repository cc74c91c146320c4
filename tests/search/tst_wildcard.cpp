#include "search/Search.h"
#include "support/TestCore.h"

using namespace pagelore;

class TestWildcard : public QObject {
    Q_OBJECT

private slots:
    // Each row "text|pattern", the stored value first; rows apart by spaces.
    void match_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("expected");
        const auto rows = [](bool expected, const QString &pairs) {
            for (const QString &pair : pairs.split(u' ', Qt::SkipEmptyParts)) {
                QTest::addRow("%s %s", expected ? "fits" : "misses", qPrintable(pair))
                    << pair.section(u'|', 0, 0) << pair.section(u'|', 1) << expected;
            }
        };
        // ? * # and lists, each taking exactly what it stands for.
        rows(true,
             u"CPU入門|CPU入門 | 月刊誌|月刊? 𠀋|? 月刊|月刊* 月刊アスキー|月刊* CPU入門|C*門 |* abc|*** "
             u"abcabd|*abd ab|*?? 月刊*|月刊* 月刊*|月刊? PC0|PC# PC1|PC# PC2|PC# PC3|PC# PC4|PC# PC5|PC# "
             u"PC6|PC# PC7|PC# PC8|PC# PC9|PC# b|[abc] m|[a-z] a|[a-z] z|[a-z] 5|[a-z0-9] _|[a-c_] 二|[一-龠] "
             u"d|[!abc] Q|[!a-z] -|[-a] a|[-a] x|[!-a] -|[a-] *|[*?#[] ?|[*?#[] !|[a!] !|[!] ab|a[]b |[] "
             u"|*[]* a]|a] !x|!x a-b|a-b"_qs);
        rows(false,
             u"CPU入門編|CPU入門 CPU|CPU入門 |a a| 月刊|月刊? 月刊誌x|月刊? CPU入門|C*編 a|*?? 月刊*|月刊誌 "
             u"PC\u0665|PC# PCx|PC# PC５|PC# PC12|PC# d|[abc] ab|[ab] A|[a-z] b|[!abc] |[!a] 0|[-a] -|[!-a] "
             u"b|[a-] x|[*?#[] x|[] a|a] y|!x"_qs);
        // Case, width and kana are compared by character code.
        rows(false, u"cpu|CPU ＣＰＵ|CPU ﾃﾞｰﾀ|データ B|[a-z]"_qs);
        // A pattern that is not well formed matches nothing, not even itself.
        rows(false, u"a|[a [a|*[a b|[!a a[|a[ b|[z-a] z|[!z-a]"_qs);
    }
    void match()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, expected);
        QCOMPARE(WildcardMatch(text, pattern), expected);
    }

    void manyStarsFinish()
    {
        // A backtracking matcher needs ages for this; a linear one finishes at once.
        const QString text(4000, u'a');
        const QString pattern = u"*a"_qs.repeated(60) + u'b';
        QVERIFY(!WildcardMatch(text, pattern));
        QVERIFY(WildcardMatch(text + u'b', pattern));
    }
};

PAGELORE_CORE_TEST_MAIN(TestWildcard)
#include "tst_wildcard.moc"
