#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>

using namespace pagelore;
using namespace pagelore::test;

class TestFileOps : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString p(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void pathRule()
    {
        QCOMPARE(DataFiles::path(QStringLiteral("/home/u/articles/"), DataFiles::ArticleFile),
                 QStringLiteral("/home/u/articles/Touroku.PLR"));
        QCOMPARE(DataFiles::path(QString(), DataFiles::ArticleFile), QStringLiteral("Touroku.PLR"));
        QCOMPARE(DataFiles::all(), (QStringList{"Touroku.PLR", "Rireki.PLR", "Sakujyo.PLR", "Zassi.PLR",
                                                "Bunnya.PLR", "Keitai.PLR"}));
    }

    void ensureCreatesOnlyMissingFiles()
    {
        writeFile(p("kept.PLR"), "\"x\"\r\n");
        FileOps::ensureFileExists(p("kept.PLR"));
        FileOps::ensureFileExists(p("new.PLR"));
        QCOMPARE(readFile(p("kept.PLR")), QByteArray("\"x\"\r\n"));
        QCOMPARE(readFile(p("new.PLR")), QByteArray());
    }

    void copyReplacesTheTargetWhole()
    {
        writeFile(p("src.PLR"), "new content");
        writeFile(p("dst.PLR"), "old content that is longer");
        FileOps::copyFileReplacing(p("src.PLR"), p("dst.PLR"));
        QCOMPARE(readFile(p("dst.PLR")), QByteArray("new content"));
        // No temporary file is left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList({"dst*"}, QDir::Files | QDir::Hidden).size(), 1);
    }

    void copyOntoItselfIsRefused_data()
    {
        QTest::addColumn<QString>("spelling");
        QTest::newRow("same path") << "same.PLR";
        QTest::newRow("dot segment") << "./same.PLR";
        QTest::newRow("through a link") << "link.PLR";
    }
    void copyOntoItselfIsRefused()
    {
        QFETCH(QString, spelling);
        writeFile(p("same.PLR"), "the only copy");
        QFile::remove(p("link.PLR"));
        QFile::link(p("same.PLR"), p("link.PLR"));
        try {
            FileOps::copyFileReplacing(p("same.PLR"), m_dir.path() + "/" + spelling);
            QFAIL("no error");
        } catch (const StorageError &e) {
            QCOMPARE(e.kind(), StorageError::Kind::SameFile);
        }
        QCOMPARE(readFile(p("same.PLR")), QByteArray("the only copy"));
    }

    void failedCopyLeavesTheTargetAsItWas_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("kind");
        QTest::newRow("folder in the file's place") << "afolder" << int(StorageError::Kind::NotAFile);
        QTest::newRow("missing folder") << "no/such/dir/x.PLR" << int(StorageError::Kind::WriteFailed);
    }
    void failedCopyLeavesTheTargetAsItWas()
    {
        QFETCH(QString, target);
        QFETCH(int, kind);
        writeFile(p("src2.PLR"), "data");
        QDir(m_dir.path()).mkpath("afolder");
        try {
            FileOps::copyFileReplacing(p("src2.PLR"), p(target));
            QFAIL("no error");
        } catch (const StorageError &e) {
            QCOMPARE(int(e.kind()), kind);
            QCOMPARE(e.path(), p(target));
        }
    }

    void appendToAFullDiskLeavesTheFileAsItWas()
    {
        // The link makes every write fail with "no space left".
        QFile::remove(p("full.PLR"));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), p("full.PLR")));
        try {
            FileOps::appendRecord(p("full.PLR"), {QStringLiteral("x")});
            QFAIL("no error");
        } catch (const StorageError &e) {
            QCOMPARE(e.kind(), StorageError::Kind::WriteFailed);
            QCOMPARE(e.path(), p("full.PLR"));
        }
    }

    void readOnlyFolderRefusesReplacement()
    {
        if (geteuid() == 0)
            QSKIP("root ignores folder permissions");
        QDir(m_dir.path()).mkpath("ro");
        writeFile(p("ro/a.PLR"), "old");
        QFile::setPermissions(p("ro"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        QVERIFY_THROWS_EXCEPTION(StorageError, FileOps::ReplacementFile(p("ro/a.PLR")).commit());
        QFile::setPermissions(p("ro"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(readFile(p("ro/a.PLR")), QByteArray("old"));
    }

    void uncommittedReplacementLeavesNoTrace()
    {
        writeFile(p("keep.PLR"), "old");
        {
            FileOps::ReplacementFile r(p("keep.PLR"));
            r.write("new");
        }
        QCOMPARE(readFile(p("keep.PLR")), QByteArray("old"));
        QCOMPARE(QDir(m_dir.path()).entryList({"keep*"}, QDir::Files | QDir::Hidden).size(), 1);
    }
};

PAGELORE_TEST_MAIN(TestFileOps)
#include "tst_fileops.moc"
