#include "search/Search.h"
#include "support/TestCore.h"

using namespace pagelore;

class TestWildcard : public QObject {
    Q_OBJECT

private slots:
    void match_data();
    void match();
    void manyStarsFinish();
};

void TestWildcard::match_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");

    auto row = [](const char *name, const QString &text, const QString &pattern, bool expected) {
        QTest::newRow(name) << text << pattern << expected;
    };
    row("plain equal", u"CPU入門"_qs, u"CPU入門"_qs, true);
    row("plain is whole text", u"CPU入門編"_qs, u"CPU入門"_qs, false);
    row("plain prefix of text", u"CPU"_qs, u"CPU入門"_qs, false);
    row("empty both", {}, {}, true);
    row("empty text, plain pattern", {}, u"a"_qs, false);
    row("text, empty pattern", u"a"_qs, {}, false);

    row("? one char", u"月刊誌"_qs, u"月刊?"_qs, true);
    row("? not zero chars", u"月刊"_qs, u"月刊?"_qs, false);
    row("? not two chars", u"月刊誌x"_qs, u"月刊?"_qs, false);
    row("? surrogate pair is one char", u"𠀋"_qs, u"?"_qs, true);

    row("* empty run", u"月刊"_qs, u"月刊*"_qs, true);
    row("* long run", u"月刊アスキー"_qs, u"月刊*"_qs, true);
    row("* middle", u"CPU入門"_qs, u"C*門"_qs, true);
    row("* middle fails", u"CPU入門"_qs, u"C*編"_qs, false);
    row("* alone, empty text", {}, u"*"_qs, true);
    row("stars only", u"abc"_qs, u"***"_qs, true);
    row("* backtracks", u"abcabd"_qs, u"*abd"_qs, true);
    row("* then ?", u"ab"_qs, u"*??"_qs, true);
    row("* then ? too many", u"a"_qs, u"*??"_qs, false);
    row("condition with * is literal text", u"月刊*"_qs, u"月刊誌"_qs, false);
    row("stored 月刊* fits text 月刊*", u"月刊*"_qs, u"月刊*"_qs, true);
    row("stored 月刊? fits text 月刊*", u"月刊*"_qs, u"月刊?"_qs, true);

    for (char d = '0'; d <= '9'; ++d)
        QTest::addRow("# digit %c", d) << u"PC"_qs + QLatin1Char(d) << u"PC#"_qs << true;
    row("# Arabic-Indic digit", u"PC\u0665"_qs, u"PC#"_qs, false);
    row("# letter", u"PCx"_qs, u"PC#"_qs, false);
    row("# full-width digit", u"PC５"_qs, u"PC#"_qs, false);
    row("# two digits", u"PC12"_qs, u"PC#"_qs, false);

    row("list hit", u"b"_qs, u"[abc]"_qs, true);
    row("list miss", u"d"_qs, u"[abc]"_qs, false);
    row("list takes one char", u"ab"_qs, u"[ab]"_qs, false);
    row("range inside", u"m"_qs, u"[a-z]"_qs, true);
    row("range lower bound", u"a"_qs, u"[a-z]"_qs, true);
    row("range upper bound", u"z"_qs, u"[a-z]"_qs, true);
    row("range outside", u"A"_qs, u"[a-z]"_qs, false);
    row("two ranges", u"5"_qs, u"[a-z0-9]"_qs, true);
    row("range and chars", u"_"_qs, u"[a-c_]"_qs, true);
    row("kanji range", u"二"_qs, u"[一-龠]"_qs, true);
    row("negated miss", u"b"_qs, u"[!abc]"_qs, false);
    row("negated hit", u"d"_qs, u"[!abc]"_qs, true);
    row("negated range", u"Q"_qs, u"[!a-z]"_qs, true);
    row("negated needs a char", {}, u"[!a]"_qs, false);
    row("dash first is literal", u"-"_qs, u"[-a]"_qs, true);
    row("dash first, other char", u"a"_qs, u"[-a]"_qs, true);
    row("dash first no range", u"0"_qs, u"[-a]"_qs, false);
    row("dash after ! is literal", u"-"_qs, u"[!-a]"_qs, false);
    row("dash after ! other", u"x"_qs, u"[!-a]"_qs, true);
    row("dash last is literal", u"-"_qs, u"[a-]"_qs, true);
    row("dash last, no range", u"b"_qs, u"[a-]"_qs, false);
    row("specials literal in list", u"*"_qs, u"[*?#[]"_qs, true);
    row("? literal in list", u"?"_qs, u"[*?#[]"_qs, true);
    row("list ? is not any", u"x"_qs, u"[*?#[]"_qs, false);
    row("! not first is literal", u"!"_qs, u"[a!]"_qs, true);
    row("lone ! in list", u"!"_qs, u"[!]"_qs, true);
    row("empty list is empty run", u"ab"_qs, u"a[]b"_qs, true);
    row("empty list alone", {}, u"[]"_qs, true);
    row("empty list takes no char", u"x"_qs, u"[]"_qs, false);
    row("empty list with stars", {}, u"*[]*"_qs, true);

    row("] outside list", u"a]"_qs, u"a]"_qs, true);
    row("] outside list differs", u"a"_qs, u"a]"_qs, false);
    row("! outside list", u"!x"_qs, u"!x"_qs, true);
    row("! outside list not negation", u"y"_qs, u"!x"_qs, false);
    row("- outside list", u"a-b"_qs, u"a-b"_qs, true);

    row("case counts", u"cpu"_qs, u"CPU"_qs, false);
    row("width counts", u"ＣＰＵ"_qs, u"CPU"_qs, false);
    row("half-width katakana differs", u"ﾃﾞｰﾀ"_qs, u"データ"_qs, false);
    row("range compares by code", u"B"_qs, u"[a-z]"_qs, false);

    row("unclosed list", u"a"_qs, u"[a"_qs, false);
    row("unclosed list, star", u"[a"_qs, u"*[a"_qs, false);
    row("unclosed negated list", u"b"_qs, u"[!a"_qs, false);
    row("bare [ at end", u"a["_qs, u"a["_qs, false);
    row("descending range", u"b"_qs, u"[z-a]"_qs, false);
    row("descending range never matches", u"z"_qs, u"[!z-a]"_qs, false);
}

void TestWildcard::match()
{
    QFETCH(QString, text);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QCOMPARE(WildcardMatch(text, pattern), expected);
}

void TestWildcard::manyStarsFinish()
{
    // A backtracking matcher needs ages for this; a linear one finishes at once.
    const QString text = QString(4000, QLatin1Char('a'));
    const QString pattern = QStringLiteral("*a").repeated(60) + QStringLiteral("b");
    QVERIFY(!WildcardMatch(text, pattern));
    QVERIFY(WildcardMatch(text + QLatin1Char('b'), pattern));
}

PAGELORE_CORE_TEST_MAIN(TestWildcard)
#include "tst_wildcard.moc"
