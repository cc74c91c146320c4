#include "storage/Collection.h"
#include "storage/DataFiles.h"
#include "storage/StorageError.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <unistd.h>

using namespace pagelore;
using namespace pagelore::test;

namespace {

QByteArray content(const QString &name, const QString &tag)
{
    return sjis(QStringLiteral("\"%1の%2\"\r\n\"二行目\"\r\n").arg(tag, name));
}

void fill(const QString &prefix, const QString &tag)
{
    for (const QString &name : DataFiles::all())
        writeFile(prefix + name, content(name, tag));
}

// Names of the files that differ from `tag`'s content under the prefix.
QStringList differing(const QString &prefix, const QString &tag)
{
    QStringList out;
    for (const QString &name : DataFiles::all()) {
        if (readFile(prefix + name) != content(name, tag))
            out << name;
    }
    return out;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class TestCollection : public QObject {
    Q_OBJECT

private slots:
    void initialiseEmptiesAllSix_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::newRow("all present") << QString();
        QTest::newRow("article file missing") << DataFiles::ArticleFile;
        QTest::newRow("form list missing") << DataFiles::FormList;
    }
    void initialiseEmptiesAllSix()
    {
        QFETCH(QString, missing);
        TempDataFolder data;
        fill(data.path(), QStringLiteral("元"));
        if (!missing.isEmpty())
            QVERIFY(QFile::remove(data.file(missing)));
        Collection::initialise(data.path());
        for (const QString &name : DataFiles::all()) {
            const QFileInfo info(data.file(name));
            QVERIFY2(info.isFile() && info.size() == 0, qPrintable(name));
        }
        QCOMPARE(entries(data.path()).size(), 6);
    }

    void initialiseOpensAllBeforeCuttingAny()
    {
        TempDataFolder data;
        fill(data.path(), QStringLiteral("元"));
        QVERIFY(QFile::remove(data.file(DataFiles::CategoryList)));
        QVERIFY(QDir().mkdir(data.file(DataFiles::CategoryList)));
        try {
            Collection::initialise(data.path());
            QFAIL("a folder in a file's place was emptied");
        } catch (const StorageError &e) {
            QCOMPARE(e.path(), data.file(DataFiles::CategoryList));
            QVERIFY(e.message().contains(DataFiles::CategoryList));
        }
        QCOMPARE(differing(data.path(), QStringLiteral("元")), QStringList{DataFiles::CategoryList});
    }

    void transferCopiesAllSix_data()
    {
        QTest::addColumn<bool>("isExport");
        QTest::addColumn<QString>("suffix"); // appended to the transfer folder
        QTest::addColumn<bool>("targetsExist");
        QTest::newRow("export to folder/") << true << "/" << false;
        QTest::newRow("export without separator") << true << "" << false;
        QTest::newRow("export over an earlier backup") << true << "/" << true;
        QTest::newRow("import from folder/") << false << "/" << false;
        QTest::newRow("import without separator") << false << "" << false;
    }
    void transferCopiesAllSix()
    {
        QFETCH(bool, isExport);
        QFETCH(QString, suffix);
        QFETCH(bool, targetsExist);
        TempDataFolder data;
        QTemporaryDir outer;
        const QString folder = outer.path() + QStringLiteral("/backup");
        QVERIFY(QDir().mkdir(folder));
        const QString prefix = folder + suffix;
        const QString from = isExport ? data.path() : prefix;
        const QString to = isExport ? prefix : data.path();
        fill(from, QStringLiteral("元"));
        if (targetsExist)
            fill(to, QStringLiteral("古"));
        int copied = -1;
        if (isExport)
            Collection::exportTo(data.path(), prefix, &copied);
        else
            Collection::importFrom(prefix, data.path(), &copied);
        QCOMPARE(copied, 6);
        QCOMPARE(differing(to, QStringLiteral("元")), QStringList());
        QCOMPARE(differing(from, QStringLiteral("元")), QStringList());
        if (suffix.isEmpty()) {
            // The prefix is a name start, not a folder: the files lie beside it.
            QCOMPARE(entries(folder), QStringList());
            QVERIFY(QFileInfo::exists(outer.path() + QStringLiteral("/backupTouroku.PLR")));
        } else {
            QCOMPARE(entries(folder).size(), 6);
        }
    }

    // Every refusal comes before the first copy: the data folder stays whole.
    void refusesBeforeCopyingAnything_data()
    {
        QTest::addColumn<bool>("isExport");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("failed"); // the file named, folders as <data>, <prefix>
        using K = StorageError::Kind;
        for (bool isExport : {true, false}) {
            const char *op = isExport ? "export" : "import";
            for (const char *spelling : {"dir/./", "dir//", "dir/../dir/", "relative", "link to dir"})
                QTest::addRow("%s, data folder as %s", op, spelling)
                    << isExport << spelling << int(K::SameFile) << "<prefix>Touroku.PLR";
            QTest::addRow("%s, read-only target folder", op)
                << isExport << "read-only" << int(K::WriteFailed)
                << (isExport ? "<prefix>" : "<data>") + DataFiles::ArticleFile;
        }
        QTest::newRow("export, backup file linked to another data file")
            << true << "linked file" << int(K::SameFile) << "<prefix>Touroku.PLR";
        QTest::newRow("export, missing target folder")
            << true << "missing folder" << int(K::WriteFailed) << "<prefix>Touroku.PLR";
        QTest::newRow("import, source file missing")
            << false << "missing source" << int(K::FileMissing) << "<prefix>Zassi.PLR";
        QTest::newRow("import, folder in a target's place")
            << false << "folder in place" << int(K::NotAFile) << "<data>Keitai.PLR";
    }
    void refusesBeforeCopyingAnything()
    {
        QFETCH(bool, isExport);
        QFETCH(QString, setup);
        QFETCH(int, kind);
        QFETCH(QString, failed);
        if (setup == "read-only" && ::geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        TempDataFolder data;
        fill(data.path(), QStringLiteral("元"));
        const QString folder = QDir(data.path()).absolutePath();
        QTemporaryDir other;
        QString prefix = other.path() + QLatin1Char('/');
        fill(prefix, QStringLiteral("新"));
        if (setup == "dir/./")
            prefix = folder + QStringLiteral("/./");
        else if (setup == "dir//")
            prefix = folder + QStringLiteral("//");
        else if (setup == "dir/../dir/")
            prefix = folder + QStringLiteral("/../") + QFileInfo(folder).fileName() + QLatin1Char('/');
        else if (setup == "relative")
            prefix = QDir::current().relativeFilePath(folder) + QLatin1Char('/');
        else if (setup == "link to dir") {
            QVERIFY(QFile::link(folder, prefix + QStringLiteral("link")));
            prefix += QStringLiteral("link/");
        } else if (setup == "linked file")
            QVERIFY(QFile::remove(prefix + DataFiles::ArticleFile)
                    && QFile::link(data.file(DataFiles::MagazineList), prefix + DataFiles::ArticleFile));
        else if (setup == "missing folder")
            prefix += QStringLiteral("nosuch/");
        else if (setup == "missing source")
            QVERIFY(QFile::remove(prefix + DataFiles::MagazineList));
        else if (setup == "folder in place")
            QVERIFY(QFile::remove(data.file(DataFiles::FormList)) && QDir().mkdir(data.file(DataFiles::FormList)));
        const QString target = isExport ? prefix : data.path();
        const QStringList before = entries(target);
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner;
        if (setup == "read-only")
            QVERIFY(QFile::setPermissions(target, readOnly));
        failed.replace(QStringLiteral("<data>"), data.path()).replace(QStringLiteral("<prefix>"), prefix);

        int copied = -1;
        QString failedPath;
        try {
            isExport ? Collection::exportTo(data.path(), prefix, &copied)
                     : Collection::importFrom(prefix, data.path(), &copied);
        } catch (const StorageError &e) {
            QCOMPARE(int(e.kind()), kind);
            failedPath = e.path();
        }
        if (setup == "read-only")
            QFile::setPermissions(target, readOnly | QFile::WriteOwner);
        QCOMPARE(failedPath, failed);
        QCOMPARE(copied, 0);
        QCOMPARE(entries(target), before);
        const QStringList changed = setup == "folder in place" ? QStringList{DataFiles::FormList} : QStringList();
        QCOMPARE(differing(data.path(), QStringLiteral("元")), changed);
    }
};

PAGELORE_TEST_MAIN(TestCollection)
#include "tst_collection.moc"
