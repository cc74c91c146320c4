#include "storage/CsvExport.h"
#include "storage/StorageError.h"
#include "support/TestSupport.h"

#include <QDir>

using namespace pagelore;
using namespace pagelore::test;

namespace {

QList<ArticleRecord> articles()
{
    ArticleRecord a;
    a.Title = u"寝台特急, 北へ"_qs;
    a.Magazine = u"月刊\"誌\""_qs;
    a.FirstPage = -5;
    a.LastPage = 12;
    a.Category = u"鉄道"_qs;
    a.PublicationForm = u"特集"_qs;
    a.PublicationDate = DateValue::fromDate(QDate(1990, 1, 1));
    a.Content = u"一行目\r\n二行目"_qs;
    a.Keyword1 = u"ﾃﾞｼﾞﾀﾙ"_qs;
    a.ImageBase = u"PC"_qs;
    a.LastImageNo = 255;
    ArticleRecord b;
    b.PublicationDate = DateValue::fromDate(QDate(1995, 4, 1), QTime(10, 30));
    b.FirstImageNo = 3;
    b.LastImageNo = 2;
    return {a, b};
}

const QByteArray kExpected =
    QStringLiteral(
        "\uFEFF記事名,記者名,掲載雑誌名,掲載先頭ページ,掲載末尾ページ,分野,掲載形態,掲載年月日,内容,"
        "第一キーワード,第二キーワード,第三キーワード,記事画像ﾌｧｲﾙ名,開始番号,末尾番号\r\n"
        "\"寝台特急, "
        "北へ\",,\"月刊\"\"誌\"\"\",-5,12,鉄道,特集,1990-01-01,\"一行目\r\n二行目\",ﾃﾞｼﾞﾀﾙ,,,PC,0,255\r\n"
        ",,,0,0,,,1995-04-01 10:30:00,,,,,,3,2\r\n")
        .toUtf8();

} // namespace

class TestCsvExport : public QObject {
    Q_OBJECT

private slots:
    void bytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"一覧.csv"_qs);
        writeFile(path, "an older file");
        const QList<ArticleRecord> list = articles();
        CsvExport::write(path, list.size(), [&](qint64 i) { return list[i]; });
        QCOMPARE(readFile(path), kExpected);
    }

    // A failure on the way leaves the file that was there.
    void failureKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"一覧.csv"_qs);
        writeFile(path, "an older file");
        bool thrown = false;
        try {
            CsvExport::write(path, 2, [](qint64 i) -> ArticleRecord {
                if (i == 1)
                    throw StorageError(StorageError::Kind::UnexpectedEnd, u"Touroku.PLR"_qs);
                return {};
            });
        } catch (const StorageError &) {
            thrown = true;
        }
        QVERIFY(thrown);
        QCOMPARE(readFile(path), QByteArray("an older file"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"一覧.csv"_qs});
    }
};

PAGELORE_TEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
