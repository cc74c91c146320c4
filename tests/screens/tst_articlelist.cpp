#include "screens/ArticleListModel.h"
#include "screens/ArticleListScreen.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"
#include "support/TestSupport.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace pagelore;
using namespace pagelore::test;

namespace {

// A content of two lines with a comma: the places after it are still right.
QByteArray listed(const QString &title, const QString &magazine, const QString &pages, const QString &date,
                  const QString &writer = u"記者"_qs)
{
    return sjis(
        QStringLiteral("\"%1\",\"%5\",\"%2\",%3,\"分野\",\"特集\",#%4#,\"一行目\r\n二行目, 読点\",\"\",\"\","
                       "\"\",\"PC\",0,2\r\n")
            .arg(title, magazine, pages, date, writer));
}

const QByteArray kArticles = listed(u"寝台特急の旅"_qs, u"鉄道誌～旅"_qs, u"10,12"_qs, u"2001-05-01"_qs)
                             + listed(u"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門"_qs, u"月刊アスキー"_qs, u"3,4"_qs, u"1999-12-31"_qs)
                             + listed(u"CPU入門"_qs, u"月刊アスキー"_qs, u"100,104"_qs, u"1985-01-01"_qs);

// Records 1 to 5 by their titles b, ア, A, ｱ, あ.
const QByteArray kSorted = listed(u"b"_qs, u"A"_qs, u"10,12"_qs, u"2001-05-01"_qs, u"パソコン入門"_qs)
                           + listed(u"ア"_qs, u"b, 2"_qs, u"9,30"_qs, u"1999-12-31"_qs, u"パソサン"_qs)
                           + listed(u"A"_qs, u"A"_qs, u"10,11"_qs, u"2001-05-01"_qs, u"パソコン入門編"_qs)
                           + listed(u"ｱ"_qs, u"b, 2"_qs, u"-5,3"_qs, u"1999-12-31 10:30:00"_qs, u"パソ"_qs)
                           + listed(u"あ"_qs, u"A"_qs, u"9,9"_qs, u"1899-12-30 23:00:00"_qs, u"パソコン入門"_qs);

QStringList column(ArticleListScreen &s, int c)
{
    QStringList texts;
    for (int row = 0; row < s.model()->rowCount(); ++row)
        texts << s.model()->index(row, c).data().toString();
    return texts;
}

void clickHeader(ArticleListScreen &s, int section, int times = 1)
{
    QHeaderView *header = child<QTableView>(&s, u"HitTable"_qs)->horizontalHeader();
    const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
    for (int i = 0; i < times; ++i)
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

void search(ArticleListScreen &s, const QString &typed)
{
    typeInto(&s, u"QueryBox"_qs, typed);
    QTest::keyClick(child<QLineEdit>(&s, u"QueryBox"_qs), Qt::Key_Return);
}

void click(QWidget *parent, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton);
}

} // namespace

class TestArticleList : public QObject {
    Q_OBJECT

private slots:
    void searchAndOpen()
    {
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, kArticles);
        ArticleListScreen screen;
        QVERIFY(screen.Form_Load());
        screen.show();
        auto *count = child<QLabel>(&screen, u"HitCount"_qs);
        QCOMPARE(count->text(), u"3件"_qs);
        QStringList shown;
        for (int c = 0; c < 7; ++c)
            shown << screen.model()->index(2, c).data().toString();
        QCOMPARE(shown, (QStringList{"CPU入門", "記者", "月刊アスキー", "1985/01/01", "100–104", "分野", "特集"}));

        // Typing searches after a pause; Enter at once.
        typeInto(&screen, u"QueryBox"_qs, u"でじたる"_qs);
        QCOMPARE(count->text(), u"3件"_qs);
        QTRY_COMPARE(count->text(), u"1件"_qs);
        search(screen, u"入門　ｱｽｷｰ"_qs);
        QCOMPARE(column(screen, 0), (QStringList{"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門", "CPU入門"}));
        // The wave dash an input method types is the code page's tilde.
        search(screen, u"誌\u301C旅"_qs);
        QCOMPARE(column(screen, 0), QStringList{"寝台特急の旅"});
        search(screen, QString());

        // Enter on a row opens it: the detail view pages through the list,
        // shows the pages and corrects the article, with the registration's
        // checks; then the file, the detail view and the list show the correction.
        auto *table = child<QTableView>(&screen, u"HitTable"_qs);
        table->setFocus();
        table->setCurrentIndex(screen.model()->index(1, 0));
        QStringList seen;
        const ModalGuard guard = whenModalOpens(
            [&](QWidget *detail) {
                auto title = [&] { return child<QLineEdit>(detail, u"Text1"_qs)->text(); };
                seen << title() << child<QLabel>(detail, u"Position"_qs)->text();
                click(detail, u"NextButton"_qs);
                seen << title() << QString::number(child<QPushButton>(detail, u"NextButton"_qs)->isEnabled());
                // The pages of the article shown: PC0.jpg in no image folder.
                const ModalGuard viewer = whenModalOpens(
                    [&](QWidget *pages) {
                        seen << pages->metaObject()->className();
                        pages->close();
                    },
                    detail);
                click(detail, u"ImageButton"_qs);
                click(detail, u"PreviousButton"_qs);
                const ModalGuard entry = whenModalOpens(
                    [&](QWidget *entry) {
                        auto *firstPage = child<QLineEdit>(entry, u"Text3"_qs);
                        seen << entry->windowTitle() << child<QLineEdit>(entry, u"Text1"_qs)->text()
                             << firstPage->text();
                        child<QLineEdit>(entry, u"Text1"_qs)->setText(u"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門 改訂"_qs);
                        firstPage->setText(u"abc"_qs);
                        click(entry, u"Command2"_qs);
                        firstPage->setText(u"4"_qs);
                        click(entry, u"Command2"_qs);
                    },
                    detail);
                click(detail, u"CorrectButton"_qs);
                seen << title() << child<QLineEdit>(detail, u"Text4"_qs)->text();
                click(detail, u"CloseButton"_qs);
            },
            &screen);
        DialogAnswerer answers;
        answers.ok().yes().ok().yes().ok();
        QTest::keyClick(table, Qt::Key_Return);
        QCOMPARE(seen, (QStringList{"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門", "2 / 3件", "CPU入門", "0", "pagelore::Form7", "記事の修正",
                                    "ﾃﾞｼﾞﾀﾙｶﾒﾗ入門", "3", "ﾃﾞｼﾞﾀﾙｶﾒﾗ入門 改訂", "4"}));
        QVERIFY(answers.texts().value(0).contains(u"PC0.jpg"_qs));
        QCOMPARE(answers.titles().mid(1), (QStringList{"修正意思確認", "入力エラー", "修正意思確認", "修正完了"}));
        QVERIFY(answers.texts().value(2).contains(u"掲載先頭ページ"_qs));
        QCOMPARE(folder.read(DataFiles::ArticleFile),
                 QByteArray(kArticles).replace(
                     listed(u"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門"_qs, u"月刊アスキー"_qs, u"3,4"_qs, u"1999-12-31"_qs),
                     listed(u"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門 改訂"_qs, u"月刊アスキー"_qs, u"4,4"_qs, u"1999-12-31"_qs)));
        QCOMPARE(column(screen, 0), (QStringList{"寝台特急の旅", "ﾃﾞｼﾞﾀﾙｶﾒﾗ入門 改訂", "CPU入門"}));
        QCOMPARE(table->currentIndex().row(), 1);
        QCOMPARE(answers.unexpected(), 0);
    }

    // Dates by date, pages by number, texts by code point; ties in file
    // order either way.
    void sorting_data()
    {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("clicks"); // one ascending, two descending
        QTest::addColumn<QString>("titles");
        QTest::newRow("date") << 3 << 1 << u"あアｱbA"_qs;
        QTest::newRow("date, descending") << 3 << 2 << u"bAｱアあ"_qs;
        QTest::newRow("pages") << 4 << 1 << u"ｱあアAb"_qs;
        QTest::newRow("title") << 0 << 1 << u"Abあアｱ"_qs;
        QTest::newRow("magazine, descending") << 2 << 2 << u"アｱbAあ"_qs;
        QTest::newRow("writer, texts that begin alike") << 1 << 1 << u"ｱbあAア"_qs;
        QTest::newRow("writer, descending") << 1 << 2 << u"アAbあｱ"_qs;
    }

    void sorting()
    {
        QFETCH(int, section);
        QFETCH(int, clicks);
        QFETCH(QString, titles);
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, kSorted);
        ArticleListScreen screen;
        QVERIFY(screen.Form_Load());
        clickHeader(screen, section, clicks);
        QCOMPARE(column(screen, 0).join(QString()), titles);
    }

    // The hits listed, in list order; a failure on the way keeps the file
    // that was there; the article file is refused.
    void csv()
    {
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, kSorted);
        ArticleListScreen screen;
        QVERIFY(screen.Form_Load());
        clickHeader(screen, 3, 2);
        search(screen, u"b, 2"_qs); // keeps the order chosen
        QString target = folder.file(u"一覧.csv"_qs);
        screen.setCsvFileChooser([&](QWidget *) { return target; });
        DialogAnswerer answers;
        answers.ok().ok().ok();
        writeFile(target, "an older file");
        folder.write(DataFiles::ArticleFile, kSorted.left(40)); // changed under the list
        click(&screen, u"CsvButton"_qs);
        QCOMPARE(readFile(target), QByteArray("an older file"));
        folder.write(DataFiles::ArticleFile, kSorted);
        click(&screen, u"CsvButton"_qs);
        QCOMPARE(readFile(target),
                 QStringLiteral(
                     "\uFEFF記事名,記者名,掲載雑誌名,掲載先頭ページ,掲載末尾ページ,分野,掲載形態,掲載年月日,内容,"
                     "第一キーワード,第二キーワード,第三キーワード,記事画像ﾌｧｲﾙ名,開始番号,末尾番号\r\n"
                     "ｱ,パソ,\"b, 2\",-5,3,分野,特集,1999-12-31 10:30:00,\"一行目\r\n二行目, 読点\",,,,PC,0,2\r\n"
                     "ア,パソサン,\"b, 2\",9,30,分野,特集,1999-12-31,\"一行目\r\n二行目, 読点\",,,,PC,0,2\r\n")
                     .toUtf8());
        target = folder.file(DataFiles::ArticleFile);
        click(&screen, u"CsvButton"_qs);
        QCOMPARE(folder.read(DataFiles::ArticleFile), kSorted);
        QCOMPARE(answers.titles(), (QStringList{"ファイルエラー", "CSVに書き出す", "CSVに書き出す"}));
        QVERIFY(answers.texts()[0].endsWith(u"\nCSVファイルは書き出されていません。"_qs));
    }

    // The screen opens on the whole records, or says why not and changes nothing.
    void openingFaults_data()
    {
        QTest::addColumn<bool>("chosen");
        QTest::addColumn<QByteArray>("articles");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("told"); // in the first message
        QTest::addColumn<int>("rows");     // -1: the screen does not open
        QTest::newRow("no data folder") << false << kArticles << QStringList{"ファイルエラー"}
                                        << u"記事データの保管場所がまだ指定されていない"_qs << -1;
        QTest::newRow("unfinished end set aside")
            << true << kArticles + "\"Gamma\",\"W\",\"M\",7,"
            << QStringList{"記事ファイルの修復", "記事ファイルの修復"} << u"書きかけ"_qs << 3;
        QTest::newRow("malformed record")
            << true << listed(u"壊"_qs, u"誌"_qs, u"x,4"_qs, u"1990-01-01"_qs) + kArticles
            << QStringList{"ファイルエラー"} << u"1件目"_qs << -1;
    }

    void openingFaults()
    {
        QFETCH(bool, chosen);
        QFETCH(QByteArray, articles);
        QFETCH(QStringList, titles);
        QFETCH(QString, told);
        QFETCH(int, rows);
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, articles);
        if (!chosen)
            SaveDataFolder(QString());
        DialogAnswerer answers;
        answers.yes().ok();
        ArticleListScreen screen;
        QCOMPARE(screen.Form_Load() ? screen.model()->rowCount() : -1, rows);
        QCOMPARE(answers.titles(), titles);
        QVERIFY2(answers.texts().value(0).contains(told), qPrintable(answers.texts().value(0)));
        QCOMPARE(folder.read(DataFiles::ArticleFile), rows == 3 ? kArticles : articles);
    }
};

PAGELORE_TEST_MAIN(TestArticleList)
#include "tst_articlelist.moc"
