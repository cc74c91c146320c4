// The demo tool writes a collection that the program reads, with settings of its own that choose it, and never
// touches the user's settings.

#include "support/TestSupport.h"

#include "DemoCollection.h"

#include "storage/CandidateList.h"

#include <QImageReader>
#include <QProcess>
#include <QSettings>

using namespace pagelore;
using namespace pagelore::test;

class TestDemoCollection : public QObject {
    Q_OBJECT

private slots:
    void toolWritesACollectionTheProgramReads()
    {
        QTemporaryDir base; // the tool runs with this test's own config folder as the user's
        const QString folder = base.path() + "/デモ", data = folder + "/記事データ/",
                      images = folder + "/紙面画像/";
        const auto run = [](const QStringList &args) { return QProcess::execute(PAGELORE_DEMO_TOOL, args) == 0; };
        QVERIFY(run({folder}));
        QSettings ini(folder + "/config/Pagelore/Pagelore.ini", QSettings::IniFormat);
        QCOMPARE(ini.value("filesave/address").toString() + u'|' + ini.value("gazousave/address").toString(),
                 data + u'|' + images);

        std::vector<ArticleRecord> articles;
        for (ArticleReader reader(data + "Touroku.PLR"); !reader.atEnd();)
            articles.push_back(reader.next());
        QCOMPARE(articles.size(), std::size_t(40));
        QVERIFY(articles == demo::demoArticles());
        QCOMPARE(CandidateList::ReadCandidateList(data + "Zassi.PLR"), demo::demoMagazines());
        QCOMPARE(CandidateList::ReadCandidateList(data + "Bunnya.PLR"), demo::demoCategories());
        QCOMPARE(CandidateList::ReadCandidateList(data + "Keitai.PLR"), PublicationFormChoices());
        QCOMPARE(readFile(data + "Rireki.PLR") + readFile(data + "Sakujyo.PLR"), QByteArray());

        // A page image for every page an article names, and nothing else.
        QStringList pages;
        for (const ArticleRecord &a : articles)
            for (int n = a.FirstImageNo; !a.ImageBase.isEmpty() && n <= a.LastImageNo; ++n)
                pages << a.ImageBase + QString::number(n) + ".jpg";
        QCOMPARE(QDir(images).entryList(QDir::Files, QDir::Name), (pages.sort(), pages));
        for (const QString &page : pages)
            QVERIFY2(!QImageReader(images + page).read().isNull(), qPrintable(page));

        // A demo that was tried stays as it is unless it is replaced.
        const QByteArray written = readFile(data + "Touroku.PLR");
        writeFile(data + "Touroku.PLR", written.left(200));
        QVERIFY(run({folder}));
        QCOMPARE(readFile(data + "Touroku.PLR"), written.left(200));
        QVERIFY(run({folder, "--replace"}));
        QCOMPARE(readFile(data + "Touroku.PLR"), written);
        QVERIFY(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).isEmpty());
    }
};

PAGELORE_TEST_MAIN(TestDemoCollection)
#include "tst_collection.moc"
