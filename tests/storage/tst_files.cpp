// The settings store, the refusal to copy the collection onto itself, and
// the replacement file. Initialise, export and import are tested through the
// main window's menu (app_collectionactions); what a failing file system does
// to them, in the fault-injection table.

#include "storage/Collection.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/SettingsStore.h"
#include "support/TestCore.h"

#include <QDir>
#include <QFileInfo>

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

// The names of the six whose content is not `tag`'s.
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

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    void settingsIgnoreTheCaseOfNames()
    {
        QCOMPARE(DataFolder(), QString()); // never saved
        const QString app = kApplicationName;
        SettingsStore::SaveSetting(app, u"FileSave"_qs, u"Address"_qs, u"/data/記事/"_qs);
        SettingsStore::SaveSetting(app, u"GazouSave"_qs, u"Address"_qs, u"/a/"_qs);
        SettingsStore::SaveSetting(app, u"gazousave"_qs, u"ADDRESS"_qs, u"/b/"_qs); // replaces /a/
        for (const auto &[section, key] :
             {std::pair{u"Filesave"_qs, u"Address"_qs}, {u"FILESAVE"_qs, u"address"_qs}})
            QCOMPARE(SettingsStore::GetSetting(app, section, key), u"/data/記事/"_qs);
        QCOMPARE(DataFolder(), u"/data/記事/"_qs);
        QCOMPARE(ImageFolder(), u"/b/"_qs);
        QCOMPARE(SettingsStore::GetSetting(app, u"FileSave"_qs, u"Other"_qs), QString());
    }

    // Copying the collection onto itself would destroy the only copy; the
    // data folder is recognised however the prefix spells it.
    void dataFolderAsTransferFolderIsRefused_data()
    {
        QTest::addColumn<bool>("isExport");
        QTest::addColumn<QString>("spelling");
        for (bool isExport : {true, false}) {
            for (const char *spelling : {"dir/./", "dir//", "dir/../dir/", "relative", "link to dir"})
                QTest::addRow("%s, %s", isExport ? "export" : "import", spelling) << isExport << spelling;
        }
        QTest::newRow("export, backup file linked to another data file") << true << "linked file";
    }
    void dataFolderAsTransferFolderIsRefused()
    {
        QFETCH(bool, isExport);
        QFETCH(QString, spelling);
        TempDataFolder data;
        fill(data.path(), u"元"_qs);
        const QString folder = QDir(data.path()).absolutePath();
        QTemporaryDir other;
        QString prefix = other.path() + u'/';
        fill(prefix, u"新"_qs);
        if (spelling == "dir/./")
            prefix = folder + u"/./"_qs;
        else if (spelling == "dir//")
            prefix = folder + u"//"_qs;
        else if (spelling == "dir/../dir/")
            prefix = folder + u"/../"_qs + QFileInfo(folder).fileName() + u'/';
        else if (spelling == "relative")
            prefix = QDir::current().relativeFilePath(folder) + u'/';
        else if (spelling == "link to dir") {
            QVERIFY(QFile::link(folder, prefix + u"link"_qs));
            prefix += u"link/"_qs;
        } else
            QVERIFY(QFile::remove(prefix + DataFiles::ArticleFile)
                    && QFile::link(data.file(DataFiles::MagazineList), prefix + DataFiles::ArticleFile));
        int copied = -1;
        try {
            isExport ? Collection::exportTo(data.path(), prefix, &copied)
                     : Collection::importFrom(prefix, data.path(), &copied);
            QFAIL("no error");
        } catch (const StorageError &e) {
            QCOMPARE(e.kind(), StorageError::Kind::SameFile);
            QCOMPARE(e.path(), prefix + DataFiles::ArticleFile);
        }
        QCOMPARE(copied, 0);
        QCOMPARE(differing(data.path(), u"元"_qs), QStringList());
    }

    // Small writes are buffered and large blocks pass straight through;
    // whatever the mix, the committed file holds every byte in order, and
    // until commit() the old file stays, with nothing left beside it.
    void replacementFile_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<bool>("commit");
        constexpr int kKiB = 1024;
        QTest::newRow("small only") << QList<int>{10, 200, 3000} << true;
        QTest::newRow("large only") << QList<int>{64 * kKiB, 1024 * kKiB, 200 * kKiB} << true;
        QTest::newRow("small, large, small") << QList<int>{17, 100 * kKiB, 5} << true;
        QTest::newRow("around the threshold") << QList<int>{64 * kKiB - 1, 64 * kKiB, 1, 64 * kKiB - 1} << true;
        QTest::newRow("buffer past a megabyte, then a block")
            << (QList<int>(18, 60 * kKiB) << 2 * 1024 * kKiB << 3) << true;
        QTest::newRow("never committed") << QList<int>{10, 100 * kKiB} << false;
    }
    void replacementFile()
    {
        QFETCH(QList<int>, sizes);
        QFETCH(bool, commit);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Touroku.PLR"_qs);
        writeFile(path, "old");
        QByteArray expected;
        {
            FileOps::ReplacementFile out(path);
            for (int i = 0; i < sizes.size(); ++i) {
                QByteArray piece(sizes[i], static_cast<char>('a' + i % 26)); // a piece out of place shows
                out.write(piece);
                expected += piece;
            }
            QCOMPARE(readFile(path), QByteArray("old"));
            if (commit)
                out.commit();
        }
        QVERIFY(readFile(path) == (commit ? expected : QByteArray("old")));
        QCOMPARE(entries(dir.path()), QStringList{u"Touroku.PLR"_qs});
    }
};

PAGELORE_CORE_TEST_MAIN(TestFiles)
#include "tst_files.moc"
