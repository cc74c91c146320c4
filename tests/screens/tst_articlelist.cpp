#include "screens/ArticleListModel.h"
#include "screens/ArticleListScreen.h"
#include "storage/DataFiles.h"
#include "support/TestSupport.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace pagelore;
using namespace pagelore::test;

namespace {

QByteArray listed(const QString &title, const QString &magazine, const QString &pages, const QString &date)
{
    return sjis(
        QStringLiteral("\"%1\",\"記者\",\"%2\",%3,\"分野\",\"特集\",#%4#,\"内容\",\"\",\"\",\"\",\"PC\",0,2\r\n")
            .arg(title, magazine, pages, date));
}

const QByteArray kArticles = listed(u"寝台特急の旅"_qs, u"鉄道誌～旅"_qs, u"10,12"_qs, u"2001-05-01"_qs)
                             + listed(u"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門"_qs, u"月刊アスキー"_qs, u"3,4"_qs, u"1999-12-31"_qs)
                             + listed(u"CPU入門"_qs, u"月刊アスキー"_qs, u"100,104"_qs, u"1985-01-01"_qs);

QStringList column(ArticleListScreen &s, int c)
{
    QStringList texts;
    for (int row = 0; row < s.model()->rowCount(); ++row)
        texts << s.model()->index(row, c).data().toString();
    return texts;
}

void clickHeader(ArticleListScreen &s, int section)
{
    QHeaderView *header = child<QTableView>(&s, u"HitTable"_qs)->horizontalHeader();
    const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

} // namespace

class TestArticleList : public QObject {
    Q_OBJECT

private slots:
    void searchSortAndOpen()
    {
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, kArticles);
        ArticleListScreen screen;
        QVERIFY(screen.Form_Load());
        screen.show();
        auto *count = child<QLabel>(&screen, u"HitCount"_qs);
        QCOMPARE(count->text(), u"3件"_qs);
        QCOMPARE(column(screen, 0), (QStringList{u"寝台特急の旅"_qs, u"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門"_qs, u"CPU入門"_qs}));
        QCOMPARE(column(screen, 4), (QStringList{u"10–12"_qs, u"3–4"_qs, u"100–104"_qs}));

        // Typing searches after a pause; Enter at once.
        auto *query = child<QLineEdit>(&screen, u"QueryBox"_qs);
        typeInto(&screen, u"QueryBox"_qs, u"でじたる"_qs);
        QCOMPARE(count->text(), u"3件"_qs);
        QTRY_COMPARE(count->text(), u"1件"_qs);
        typeInto(&screen, u"QueryBox"_qs, u"入門　ｱｽｷｰ"_qs);
        QTest::keyClick(query, Qt::Key_Return);
        QCOMPARE(column(screen, 0), (QStringList{u"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門"_qs, u"CPU入門"_qs}));
        // The wave dash an input method types is the code page's tilde.
        typeInto(&screen, u"QueryBox"_qs, u"誌\u301C旅"_qs);
        QTest::keyClick(query, Qt::Key_Return);
        QCOMPARE(column(screen, 0), QStringList{u"寝台特急の旅"_qs});
        query->clear();
        QTest::keyClick(query, Qt::Key_Return);

        clickHeader(screen, 3); // 掲載年月日
        QCOMPARE(column(screen, 3), (QStringList{u"1985/01/01"_qs, u"1999/12/31"_qs, u"2001/05/01"_qs}));
        clickHeader(screen, 3);
        QCOMPARE(column(screen, 3), (QStringList{u"2001/05/01"_qs, u"1999/12/31"_qs, u"1985/01/01"_qs}));
        clickHeader(screen, 4); // ページ
        QCOMPARE(column(screen, 4), (QStringList{u"3–4"_qs, u"10–12"_qs, u"100–104"_qs}));
        // A new search keeps the order chosen.
        typeInto(&screen, u"QueryBox"_qs, u"記者"_qs);
        QTest::keyClick(query, Qt::Key_Return);
        QCOMPARE(column(screen, 4), (QStringList{u"3–4"_qs, u"10–12"_qs, u"100–104"_qs}));

        // Enter on a row opens it; the detail view pages through the list.
        auto *table = child<QTableView>(&screen, u"HitTable"_qs);
        table->setFocus();
        table->setCurrentIndex(screen.model()->index(1, 0));
        QStringList seen;
        const ModalGuard guard = whenModalOpens(
            [&](QWidget *detail) {
                auto title = [&] { return child<QLineEdit>(detail, u"Text1"_qs)->text(); };
                seen << title() << child<QLabel>(detail, u"Position"_qs)->text();
                QTest::mouseClick(child<QPushButton>(detail, u"NextButton"_qs), Qt::LeftButton);
                seen << title() << QString::number(child<QPushButton>(detail, u"NextButton"_qs)->isEnabled());
                // The pages of the article shown: PC0.jpg in no image folder.
                const ModalGuard viewer = whenModalOpens(
                    [&](QWidget *pages) {
                        seen << pages->metaObject()->className();
                        pages->close();
                    },
                    detail);
                QTest::mouseClick(child<QPushButton>(detail, u"ImageButton"_qs), Qt::LeftButton);
                QTest::mouseClick(child<QPushButton>(detail, u"CloseButton"_qs), Qt::LeftButton);
            },
            &screen);
        DialogAnswerer answers;
        answers.ok();
        QTest::keyClick(table, Qt::Key_Return);
        QCOMPARE(seen,
                 (QStringList{u"寝台特急の旅"_qs, u"2 / 3件"_qs, u"CPU入門"_qs, u"0"_qs, u"pagelore::Form7"_qs}));
        QVERIFY(answers.texts().value(0).contains(u"PC0.jpg"_qs));
        QCOMPARE(table->currentIndex().row(), 2);
    }

    // From the detail view: the registration's fields and checks, then the
    // file, the detail view and the list show the corrected article.
    void correction()
    {
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, kArticles);
        ArticleListScreen screen;
        QVERIFY(screen.Form_Load());
        DialogAnswerer answers;
        answers.yes().ok().yes().ok();
        QStringList seen;
        const ModalGuard guard = whenModalOpens(
            [&](QWidget *detail) {
                const ModalGuard inner = whenModalOpens(
                    [&](QWidget *entry) {
                        auto *title = child<QLineEdit>(entry, u"Text1"_qs);
                        auto *firstPage = child<QLineEdit>(entry, u"Text3"_qs);
                        seen << entry->windowTitle() << title->text() << firstPage->text();
                        title->setText(u"寝台特急の旅 改訂"_qs);
                        firstPage->setText(u"abc"_qs);
                        QTest::mouseClick(child<QPushButton>(entry, u"Command2"_qs), Qt::LeftButton);
                        firstPage->setText(u"11"_qs);
                        QTest::mouseClick(child<QPushButton>(entry, u"Command2"_qs), Qt::LeftButton);
                    },
                    detail);
                QTest::mouseClick(child<QPushButton>(detail, u"CorrectButton"_qs), Qt::LeftButton);
                seen << child<QLineEdit>(detail, u"Text1"_qs)->text()
                     << child<QLineEdit>(detail, u"Text4"_qs)->text();
                QTest::mouseClick(child<QPushButton>(detail, u"CloseButton"_qs), Qt::LeftButton);
            },
            &screen);
        screen.openRow(0);
        QCOMPARE(seen,
                 (QStringList{u"記事の修正"_qs, u"寝台特急の旅"_qs, u"10"_qs, u"寝台特急の旅 改訂"_qs, u"11"_qs}));
        QCOMPARE(answers.titles(),
                 (QStringList{u"修正意思確認"_qs, u"入力エラー"_qs, u"修正意思確認"_qs, u"修正完了"_qs}));
        QVERIFY(answers.texts()[1].contains(u"掲載先頭ページ"_qs));
        QCOMPARE(folder.read(DataFiles::ArticleFile),
                 listed(u"寝台特急の旅 改訂"_qs, u"鉄道誌～旅"_qs, u"11,12"_qs, u"2001-05-01"_qs)
                     + kArticles.mid(
                         listed(u"寝台特急の旅"_qs, u"鉄道誌～旅"_qs, u"10,12"_qs, u"2001-05-01"_qs).size()));
        QCOMPARE(column(screen, 0), (QStringList{u"寝台特急の旅 改訂"_qs, u"ﾃﾞｼﾞﾀﾙｶﾒﾗ入門"_qs, u"CPU入門"_qs}));
        QCOMPARE(answers.unexpected(), 0);
    }

    void csv()
    {
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, kArticles);
        ArticleListScreen screen;
        QVERIFY(screen.Form_Load());
        clickHeader(screen, 0);
        QString target = folder.file(u"一覧.csv"_qs);
        screen.setCsvFileChooser([&](QWidget *) { return target; });
        DialogAnswerer answers;
        answers.ok().ok();
        QTest::mouseClick(child<QPushButton>(&screen, u"CsvButton"_qs), Qt::LeftButton);
        const QList<QByteArray> lines = readFile(target).split('\n');
        QCOMPARE(lines.size(), 5); // header, three articles, nothing after the last line end
        QVERIFY(lines[1].startsWith("CPU入門,"));
        QVERIFY(lines[3].startsWith("ﾃﾞｼﾞﾀﾙｶﾒﾗ入門,"));

        // The article file is no place for it.
        target = folder.file(DataFiles::ArticleFile);
        QTest::mouseClick(child<QPushButton>(&screen, u"CsvButton"_qs), Qt::LeftButton);
        QCOMPARE(folder.read(DataFiles::ArticleFile), kArticles);
        QCOMPARE(answers.titles(), (QStringList{u"CSVに書き出す"_qs, u"CSVに書き出す"_qs}));
        QVERIFY(answers.texts().last().contains(u"記事データのファイル"_qs));
        QCOMPARE(answers.unexpected(), 0);
    }
};

PAGELORE_TEST_MAIN(TestArticleList)
#include "tst_articlelist.moc"
