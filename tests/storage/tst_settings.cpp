#include "storage/FileOps.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace pagelore;
using namespace pagelore::test;

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void init() { QFile::remove(SettingsStore::filePath(kApplicationName)); }

    void neverSavedReadsEmpty()
    {
        QCOMPARE(SettingsStore::GetSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address")),
                 QString());
        QCOMPARE(DataFolder(), QString());
        QCOMPARE(ImageFolder(), QString());
    }

    void sectionAndKeyIgnoreCase_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("as saved") << "FileSave" << "Address";
        QTest::newRow("browser spelling") << "Filesave" << "Address";
        QTest::newRow("all lower") << "filesave" << "address";
        QTest::newRow("all upper") << "FILESAVE" << "ADDRESS";
    }
    void sectionAndKeyIgnoreCase()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        SettingsStore::SaveSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address"),
                                   QStringLiteral("/data/記事/"));
        QCOMPARE(SettingsStore::GetSetting(kApplicationName, section, key), QStringLiteral("/data/記事/"));
        QCOMPARE(DataFolder(), QStringLiteral("/data/記事/"));
        // The other section is a different entry.
        QCOMPARE(ImageFolder(), QString());
    }

    void laterSaveReplacesAndPersists()
    {
        SettingsStore::SaveSetting(kApplicationName, QStringLiteral("GazouSave"), QStringLiteral("Address"),
                                   QStringLiteral("/a/"));
        SettingsStore::SaveSetting(kApplicationName, QStringLiteral("gazousave"), QStringLiteral("address"),
                                   QStringLiteral("/b/"));
        QCOMPARE(ImageFolder(), QStringLiteral("/b/"));
        QVERIFY(readFile(SettingsStore::filePath(kApplicationName)).contains("/b/"));
    }

    void corruptFileReadsEmpty()
    {
        const QString path = SettingsStore::filePath(kApplicationName);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFile(path, QByteArray("\xFF\xFE\x00garbage[[[\n=\n", 16));
        QCOMPARE(DataFolder(), QString());
    }

    void unwritableStoreReportsTheFile()
    {
        const QString path = SettingsStore::filePath(kApplicationName);
        QDir().mkpath(path);  // a folder where the file should be
        try {
            SettingsStore::SaveSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address"),
                                       QStringLiteral("/x/"));
            QFAIL("no error");
        } catch (const StorageError &e) {
            QVERIFY(e.message().contains(path));
        }
        QCOMPARE(DataFolder(), QString());
        QDir(path).removeRecursively();
    }
};

PAGELORE_TEST_MAIN(TestSettings)
#include "tst_settings.moc"
