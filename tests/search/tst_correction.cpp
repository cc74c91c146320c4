#include "search/Correction.h"
#include "storage/DataFiles.h"
#include "support/TestSupport.h"

#include <QDir>

#include <csignal>

#include <sys/resource.h>

Q_DECLARE_METATYPE(pagelore::ArticleRecord)

using namespace pagelore;
using namespace pagelore::test;

namespace {

// The article as the detail view read it: title 乙 unless said otherwise.
ArticleRecord opened(const QString &title = u"乙"_qs, quint8 lastImage = 2)
{
    ArticleRecord a;
    a.Title = title;
    a.Writer = u"記者"_qs;
    a.Magazine = u"誌"_qs;
    a.FirstPage = 1;
    a.LastPage = 2;
    a.Category = u"分野"_qs;
    a.PublicationForm = u"特集"_qs;
    a.PublicationDate = DateValue::fromDate(QDate(1990, 1, 1));
    a.Content = u"内容"_qs;
    a.Keyword1 = u"k1"_qs;
    a.Keyword2 = u"k2"_qs;
    a.Keyword3 = u"k3"_qs;
    a.ImageBase = u"PC"_qs;
    a.LastImageNo = lastImage;
    return a;
}

ArticleRecord corrected()
{
    ArticleRecord a = opened(u"乙、改め"_qs);
    a.Content = u"一行目\r\n二行目"_qs;
    a.LastPage = 12;
    return a;
}

const QByteArray kA = sjis(
    u"\"甲\",\"記者\",\"誌\",1,2,\"分野\",\"特集\",#1990-01-01#,\"内容\",\"k1\",\"k2\",\"k3\",\"PC\",0,2\r\n"_qs);
const QByteArray kB = sjis(
    u"\"乙\",\"記者\",\"誌\",1,2,\"分野\",\"特集\",#1990-01-01#,\"内容\",\"k1\",\"k2\",\"k3\",\"PC\",0,2\r\n"_qs);
const QByteArray kFixed =
    sjis(u"\"乙、改め\",\"記者\",\"誌\",1,12,\"分野\",\"特集\",#1990-01-01#,\"一行目\r\n二行目\",\"k1\","
         u"\"k2\",\"k3\",\"PC\",0,2\r\n"_qs);
// 乙 again, in spellings no writer makes: the same values.
const QByteArray kBLoose = sjis(
    u"\"乙\", \"記者\",\"誌\",01,2,\"分野\",\"特集\",#1990-1-1#,\"内容\",\"k1\",\"k2\",\"k3\",\"PC\",0,2\n"_qs);

} // namespace

class TestCorrection : public QObject {
    Q_OBJECT

private slots:
    void replacesFirstEqual_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<ArticleRecord>("original");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<qint64>("record"); // 0: not found
        QTest::newRow("middle record") << kA + kB + kA << opened() << kA + kFixed + kA << qint64(2);
        QTest::newRow("identical twin: the first only")
            << kA + kB + kB << opened() << kA + kFixed + kB << qint64(2);
        QTest::newRow("first record") << kB + kA << opened() << kFixed + kA << qint64(1);
        QTest::newRow("equal values in other spellings")
            << kA + kBLoose + kB << opened() << kA + kFixed + kB << qint64(2);
        QTest::newRow("last record without its line end")
            << kA + kB.chopped(2) << opened() << kA + kFixed << qint64(2);
        // More than the reader holds at once: the rest is copied from the file.
        QTest::newRow("file larger than the reader's block")
            << kB + kA.repeated(16000) << opened() << kFixed + kA.repeated(16000) << qint64(1);
        QTest::newRow("after more than the reader's block")
            << kA.repeated(16000) + kB << opened() << kA.repeated(16000) + kFixed << qint64(16001);
        QTest::newRow("not found") << kA + kA << opened() << kA + kA << qint64(0);
        QTest::newRow("differs in the image numbers only")
            << kA + kB << opened(u"乙"_qs, 3) << kA + kB << qint64(0);
        QTest::newRow("empty file") << QByteArray() << opened() << QByteArray() << qint64(0);
    }

    void replacesFirstEqual()
    {
        QFETCH(QByteArray, before);
        QFETCH(ArticleRecord, original);
        QFETCH(QByteArray, after);
        QFETCH(qint64, record);
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, before);
        const Replacement r = ReplaceArticle(folder.path(), original, corrected());
        QCOMPARE(folder.read(DataFiles::ArticleFile), after);
        QCOMPARE(r.outcome == Replacement::Outcome::Replaced, record > 0);
        if (record > 0) {
            QCOMPARE(r.place.recordNumber, record);
            QCOMPARE(r.place.offset, (record - 1) * kA.size());
            QCOMPARE(r.newSize, kFixed.size());
            QCOMPARE(r.oldSize, r.newSize - (after.size() - before.size()));
        }
        // Nothing is left beside the file.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), DataFiles::all().size());
    }

    void failureLeavesFileAsItWas_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("sizeLimit");
        QTest::newRow("write fails") << kA + kB << u"乙、改め"_qs << true;
        QTest::newRow("malformed record before it") << kA.left(20) + "\r\n" + kB << u"乙、改め"_qs << false;
        QTest::newRow("double quote in the correction") << kA + kB << u"乙\"改め\""_qs << false;
    }

    void failureLeavesFileAsItWas()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, title);
        QFETCH(bool, sizeLimit);
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, before);
        ArticleRecord fixed = corrected();
        fixed.Title = title;
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        if (sizeLimit) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit low = saved;
            low.rlim_cur = 16;
            ::setrlimit(RLIMIT_FSIZE, &low);
        }
        QString failure;
        try {
            ReplaceArticle(folder.path(), opened(), fixed);
        } catch (const StorageError &e) {
            failure = e.path();
        } catch (const FieldEncodeError &) {
            failure = u"encode"_qs;
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(failure, title.contains(u'"') ? u"encode"_qs : folder.file(DataFiles::ArticleFile));
        QCOMPARE(folder.read(DataFiles::ArticleFile), before);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), DataFiles::all().size());
    }
};

PAGELORE_TEST_MAIN(TestCorrection)
#include "tst_correction.moc"
