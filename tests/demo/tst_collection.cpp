#include "support/TestSupport.h"

#include "DemoCollection.h"

#include "storage/ArticleRecord.h"
#include "storage/CandidateList.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <set>

using namespace pagelore;

namespace {

std::vector<ArticleRecord> readArticles(const QString &dataFolder)
{
    std::vector<ArticleRecord> list;
    RecordFileCodec file(DataFiles::path(dataFolder, DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
    while (!file.AtEnd())
        list.push_back(ArticleRecord::read(file));
    return list;
}

QStringList pageFiles(const std::vector<ArticleRecord> &articles)
{
    QStringList names;
    for (const ArticleRecord &a : articles) {
        if (!a.ImageBase.isEmpty()) {
            for (int n = a.FirstImageNo; n <= a.LastImageNo; ++n)
                names << a.ImageBase + QString::number(n) + QStringLiteral(".jpg");
        }
    }
    return names;
}

}  // namespace

class TestDemoCollection : public QObject {
    Q_OBJECT

private slots:
    void readsBackThroughTheRealReader()
    {
        QTemporaryDir base;
        const demo::DemoFolders folders = demo::writeDemoCollection(base.path());

        const std::vector<ArticleRecord> articles = readArticles(folders.dataFolder);
        QCOMPARE(articles.size(), std::size_t(40));
        QVERIFY(articles == demo::demoArticles());
        QCOMPARE(CandidateList::ReadCandidateList(folders.dataFolder + DataFiles::MagazineList), demo::demoMagazines());
        QCOMPARE(CandidateList::ReadCandidateList(folders.dataFolder + DataFiles::CategoryList),
                 demo::demoCategories());
        QCOMPARE(CandidateList::ReadCandidateList(folders.dataFolder + DataFiles::FormList), PublicationFormChoices());
        QCOMPARE(test::readFile(folders.dataFolder + DataFiles::ResultFile), QByteArray());
        QCOMPARE(test::readFile(folders.dataFolder + DataFiles::ScratchFile), QByteArray());

        // What the demo is there to show: every form, a dozen scanned
        // articles, notes over several lines, stored asterisks, an unknown date,
        // and every magazine and category of the lists in use.
        std::set<QString> forms, magazines, categories;
        int scanned = 0, multiLine = 0, asterisks = 0, unknownDate = 0;
        for (const ArticleRecord &a : articles) {
            forms.insert(a.PublicationForm);
            magazines.insert(a.Magazine);
            categories.insert(a.Category);
            scanned += a.ImageBase.isEmpty() ? 0 : 1;
            multiLine += a.Content.contains(QStringLiteral("\r\n")) ? 1 : 0;
            asterisks += (a.Title + a.Keyword1 + a.Keyword2 + a.Keyword3).contains(u'*') ? 1 : 0;
            unknownDate += a.PublicationDate.date() == QDate(1900, 1, 1) ? 1 : 0;
            // A blank searched field would make the article a hit of every
            // search that leaves that condition blank.
            for (const QString *field : {&a.Title, &a.Writer, &a.Magazine, &a.Category, &a.PublicationForm,
                                         &a.Keyword1, &a.Keyword2, &a.Keyword3})
                QVERIFY2(!field->isEmpty(), qPrintable(a.Title));
        }
        QCOMPARE(forms.size(), std::size_t(PublicationFormChoices().size()));
        QCOMPARE(magazines, std::set<QString>(demo::demoMagazines().begin(), demo::demoMagazines().end()));
        QCOMPARE(categories, std::set<QString>(demo::demoCategories().begin(), demo::demoCategories().end()));
        QCOMPARE(scanned, 12);
        QVERIFY(multiLine >= 5);
        QVERIFY(asterisks >= 2);
        QVERIFY(unknownDate >= 1);
    }

    void everyPageIsADecodableJpeg()
    {
        QTemporaryDir base;
        const demo::DemoFolders folders = demo::writeDemoCollection(base.path());
        const QStringList expected = pageFiles(demo::demoArticles());
        QStringList present = QDir(folders.imageFolder).entryList(QDir::Files);
        QStringList sorted = expected;
        present.sort();
        sorted.sort();
        QCOMPARE(present, sorted);
        for (const QString &name : expected) {
            QImageReader reader(folders.imageFolder + name);
            QCOMPARE(reader.format(), QByteArray("jpeg"));
            const QImage page = reader.read();
            QVERIFY2(!page.isNull(), qPrintable(name + u' ' + reader.errorString()));
            QCOMPARE(page.size(), QSize(756, 1000));
        }
    }

    void writingAgainGivesTheSameBytesAndReplacesChanges()
    {
        QTemporaryDir first, second;
        const demo::DemoFolders a = demo::writeDemoCollection(first.path());
        const demo::DemoFolders b = demo::writeDemoCollection(second.path());
        // Changes made while trying the demo are gone after a fresh write.
        test::writeFile(b.dataFolder + DataFiles::ResultFile, "\"left over\"\r\n");
        test::writeFile(b.dataFolder + DataFiles::ArticleFile, "\"broken");
        demo::writeDemoCollection(second.path());

        for (const QString &name : DataFiles::all())
            QCOMPARE(test::readFile(b.dataFolder + name), test::readFile(a.dataFolder + name));
        for (const QString &name : pageFiles(demo::demoArticles()))
            QVERIFY2(test::readFile(b.imageFolder + name) == test::readFile(a.imageFolder + name), qPrintable(name));
    }

    void chosenFoldersOpenTheDemo()
    {
        QTemporaryDir base;
        const demo::DemoFolders folders = demo::writeDemoCollection(base.path());
        demo::chooseDemoFolders(folders);
        QCOMPARE(DataFolder(), folders.dataFolder);
        QCOMPARE(ImageFolder(), folders.imageFolder);
        QVERIFY(DataFolder().endsWith(u'/'));
    }

    // The tool keeps its settings in the demo folder, whatever config folder
    // it was started with, and leaves a demo that was tried alone.
    void toolNeverTouchesTheUsersSettings()
    {
        QTemporaryDir base, userConfig;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), userConfig.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const QString demoBase = base.path() + QStringLiteral("/デモ");

        auto run = [&](const QStringList &args) {
            QProcess tool;
            tool.setProcessEnvironment(env);
            tool.start(QStringLiteral(PAGELORE_DEMO_TOOL), args);
            QVERIFY(tool.waitForFinished(120000));
            QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
            QCOMPARE(tool.exitCode(), 0);
        };
        run({demoBase});
        QVERIFY(QDir(userConfig.path()).isEmpty());
        const QString settings = demoBase + QStringLiteral("/config/Pagelore/Pagelore.ini");
        const demo::DemoFolders folders = demo::demoFolders(demoBase);
        QSettings ini(settings, QSettings::IniFormat);
        QCOMPARE(ini.value(QStringLiteral("filesave/address")).toString(), folders.dataFolder);
        QCOMPARE(ini.value(QStringLiteral("gazousave/address")).toString(), folders.imageFolder);

        const QString articles = folders.dataFolder + DataFiles::ArticleFile;
        const QByteArray tried = test::readFile(articles).left(200);
        test::writeFile(articles, tried);
        run({demoBase});
        QCOMPARE(test::readFile(articles), tried);
        run({demoBase, QStringLiteral("--replace")});
        QCOMPARE(readArticles(folders.dataFolder).size(), std::size_t(40));
        QVERIFY(QDir(userConfig.path()).isEmpty());
    }
};

PAGELORE_TEST_MAIN(TestDemoCollection)
#include "tst_collection.moc"
