#include "search/Correction.h"
#include "storage/DataFiles.h"
#include "support/TestSupport.h"

#include <csignal>

#include <sys/resource.h>

Q_DECLARE_METATYPE(pagelore::ArticleRecord)

using namespace pagelore;
using namespace pagelore::test;

namespace {

ArticleRecord corrected(const QString &title = u"記事2、改め"_qs)
{
    ArticleRecord a = article(2);
    a.Title = title;
    a.LastPage = 99;
    return a;
}

const QByteArray kA = line(article(1)), kB = line(article(2)), kFixed = line(corrected());

} // namespace

class TestCorrection : public QObject {
    Q_OBJECT

private slots:
    // The first article equal in all fields to the one opened is replaced;
    // every other byte stays. A failure leaves the file as it was.
    void replace_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<ArticleRecord>("original");
        QTest::addColumn<QString>("title");   // of the correction
        QTest::addColumn<bool>("writeFails"); // files may grow to 16 bytes only
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<qint64>("record"); // 0 not found, -1 the file's error, -2 no writable correction
        const ArticleRecord b = article(2);
        ArticleRecord otherImage = b;
        otherImage.LastImageNo = 3;
        const auto row = [](const char *tag, const QByteArray &before, const ArticleRecord &original,
                            const QByteArray &after, qint64 record, const QString &title = u"記事2、改め"_qs,
                            bool writeFails = false) {
            QTest::newRow(tag) << before << original << title << writeFails << after << record;
        };
        row("identical twin: the first only", kA + kB + kB, b, kA + kFixed + kB, 2);
        row("equal values in other spellings", kA + line(b, false) + kB, b, kA + kFixed + kB, 2);
        row("last record without its line end", kA + kB.chopped(2), b, kA + kFixed, 2);
        // More than the reader holds at once: the rest is copied from the file.
        row("file larger than the reader's block", kB + kA.repeated(12000), b, kFixed + kA.repeated(12000), 1);
        row("after more than the reader's block", kA.repeated(12000) + kB, b, kA.repeated(12000) + kFixed, 12001);
        row("not found", kA + kA, b, kA + kA, 0);
        row("differs in the image numbers only", kA + kB, otherImage, kA + kB, 0);
        row("empty file", {}, b, {}, 0);
        row("write fails", kA + kB, b, kA + kB, -1, u"記事2、改め"_qs, true);
        row("malformed record before it", kA.left(20) + "\r\n" + kB, b, kA.left(20) + "\r\n" + kB, -1);
        row("double quote in the correction", kA + kB, b, kA + kB, -2, u"記事\"2\""_qs);
    }

    void replace()
    {
        QFETCH(QByteArray, before);
        QFETCH(ArticleRecord, original);
        QFETCH(QString, title);
        QFETCH(bool, writeFails);
        QFETCH(QByteArray, after);
        QFETCH(qint64, record);
        TempDataFolder folder;
        folder.write(DataFiles::ArticleFile, before);
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        if (writeFails) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit low = saved;
            low.rlim_cur = 16;
            ::setrlimit(RLIMIT_FSIZE, &low);
        }
        qint64 outcome = 0;
        try {
            const Replacement r = ReplaceArticle(folder.path(), original, corrected(title));
            if (r.outcome == Replacement::Outcome::Replaced)
                outcome = r.place.recordNumber;
        } catch (const StorageError &e) {
            outcome = e.path() == folder.file(DataFiles::ArticleFile) ? -1 : -3;
        } catch (const FieldEncodeError &) {
            outcome = -2;
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(outcome, record);
        QCOMPARE(folder.read(DataFiles::ArticleFile), after);
    }
};

PAGELORE_TEST_MAIN(TestCorrection)
#include "tst_correction.moc"
