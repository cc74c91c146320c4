// The settings, the refusal to copy the collection onto itself, and the
// replacement file. What a failing file system does to them is in the
// fault-injection table.

#include "storage/Collection.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/SettingsStore.h"
#include "support/TestCore.h"

#include <QDir>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pagelore;
using namespace pagelore::test;

class TestFiles : public QObject {
    Q_OBJECT

private slots:
    // The two folder settings by their names in the settings file, whatever their case.
    void settings()
    {
        QCOMPARE(DataFolder(), QString()); // never saved
        const QString app = kApplicationName;
        SettingsStore::SaveSetting(app, u"filesave"_qs, u"ADDRESS"_qs, u"/data/記事/"_qs);
        QCOMPARE(DataFolder(), u"/data/記事/"_qs);
        SaveImageFolder(u"/a/"_qs);
        SettingsStore::SaveSetting(app, u"GAZOUSAVE"_qs, u"address"_qs, u"/b/"_qs); // replaces /a/
        QCOMPARE(ImageFolder(), u"/b/"_qs);
        SaveDataFolder(u"/c/"_qs);
        QCOMPARE(SettingsStore::GetSetting(app, u"FileSave"_qs, u"Address"_qs), u"/c/"_qs);
        QCOMPARE(SettingsStore::GetSetting(app, u"FileSave"_qs, u"Other"_qs), QString());
    }

    // Copying the collection onto itself would destroy the only copy, however
    // the prefix reaches the data folder's files.
    void transferOntoTheDataFolderIsRefused_data()
    {
        QTest::addColumn<bool>("isExport");
        QTest::addColumn<QString>("spelling");
        QTest::newRow("export to dir/../dir/") << true << "dir/../dir/";
        QTest::newRow("import from a link to dir") << false << "link to dir";
        QTest::newRow("export to a backup file linked to another data file") << true << "linked file";
    }
    void transferOntoTheDataFolderIsRefused()
    {
        QFETCH(bool, isExport);
        QFETCH(QString, spelling);
        TempDataFolder data;
        for (const QString &name : DataFiles::all())
            data.write(name, name.toLatin1());
        const QString folder = QDir(data.path()).absolutePath();
        QTemporaryDir other;
        QString prefix = other.path() + u'/';
        if (spelling == "dir/../dir/")
            prefix = folder + u"/../"_qs + QDir(folder).dirName() + u'/';
        else if (spelling == "link to dir" && QFile::link(folder, prefix + u"link"_qs))
            prefix += u"link/"_qs;
        else if (spelling == "linked file")
            QVERIFY(QFile::link(data.file(DataFiles::MagazineList), prefix + DataFiles::ArticleFile));
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
        for (const QString &name : DataFiles::all())
            QCOMPARE(data.read(name), name.toLatin1());
    }

    // Small writes are buffered and large blocks pass straight through: the
    // committed file holds every byte in order, with the old file's
    // permissions, and through a link the file it names. Until commit() the
    // old file stays, and nothing is left beside it, not even what an
    // interrupted replacement left. Room taken ahead and not used is given
    // back: the file takes no more of the disk than its bytes need.
    void replacementFile_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<bool>("commit");
        QTest::addColumn<bool>("link");
        QTest::addColumn<int>("expected"); // bytes announced ahead
        constexpr int kKiB = 1024;
        QTest::newRow("small, large, small") << QList<int>{17, 100 * kKiB, 5} << true << false << 0;
        QTest::newRow("past the buffer, then a block")
            << (QList<int>(18, 60 * kKiB) << 2048 * kKiB << 3) << true << false << 0;
        QTest::newRow("through a link") << QList<int>{10, 200} << true << true << 0;
        QTest::newRow("never committed") << QList<int>{10, 100 * kKiB} << false << false << 0;
        QTest::newRow("never committed, through a link") << QList<int>{10} << false << true << 0;
        QTest::newRow("more announced than written") << QList<int>{17, 100 * kKiB, 5} << true << false << 8192 * kKiB;
        QTest::newRow("less announced than written") << QList<int>{17, 100 * kKiB, 5} << true << true << 50 * kKiB;
    }
    void replacementFile()
    {
        QFETCH(QList<int>, sizes);
        QFETCH(bool, commit);
        QFETCH(bool, link);
        QFETCH(int, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Touroku.PLR"_qs);
        const QString target = link ? dir.filePath(u"Real.PLR"_qs) : path;
        writeFile(target, "old");
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
        const QFile::Permissions permissions = QFile::permissions(target);
        writeFile(target + u".pagelore-new"_qs, "left by an interrupted replacement");
        QVERIFY(!link || QFile::link(u"Real.PLR"_qs, path));
        QByteArray written;
        {
            FileOps::ReplacementFile out(path);
            out.expect(expected);
            for (int i = 0; i < sizes.size(); ++i) {
                const QByteArray piece(sizes[i], static_cast<char>('a' + i)); // a piece out of place shows
                out.write(piece);
                written += piece;
            }
            QCOMPARE(readFile(path), QByteArray("old"));
            if (commit)
                out.commit();
        }
        QVERIFY(readFile(target) == (commit ? written : QByteArray("old")));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(target).constData(), &st), 0);
        QCOMPARE_LE(qint64(st.st_blocks) * 512, (qint64(st.st_size) + 4095) / 4096 * 4096 + 64 * 1024);
        QCOMPARE(QFile::permissions(target), permissions);
        QCOMPARE(QFileInfo(path).isSymLink(), link);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
                 (link ? QStringList{u"Real.PLR"_qs, u"Touroku.PLR"_qs} : QStringList{u"Touroku.PLR"_qs}));
    }

    // Pieces copied to places of their own, last piece first, as two threads
    // may: from a file the kernel copies, from one in memory it does not (so
    // the copy by hand writes at each place), and past the other file's end.
    void copiesInPlace_data()
    {
        QTest::addColumn<bool>("memory");
        QTest::addColumn<qint64>("length");
        QTest::newRow("from a file") << false << qint64(3'000'001);
        QTest::newRow("from a file in memory") << true << qint64(3'000'001);
        QTest::newRow("past the other file's end") << false << qint64(4'000'000);
    }
    void copiesInPlace()
    {
        QFETCH(bool, memory);
        QFETCH(qint64, length);
        QByteArray source(4'000'000, Qt::Uninitialized);
        for (qsizetype i = 0; i < source.size(); ++i)
            source[i] = static_cast<char>(i % 251);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Sakujyo.PLR"_qs);
        writeFile(path, "old");
        if (!memory)
            writeFile(dir.filePath(u"source"_qs), source);
        const int fd = memory ? ::memfd_create("source", 0)
                              : ::open(QFile::encodeName(dir.filePath(u"source"_qs)).constData(), O_RDONLY);
        QVERIFY(fd >= 0);
        QVERIFY(!memory || ::write(fd, source.constData(), source.size()) == source.size());
        const bool fits = 10 + length <= source.size();
        {
            FileOps::ReplacementFile out(path);
            out.expect(length + 5000);
            constexpr qint64 kPiece = 1'500'000; // more than the copy by hand takes at once
            int error = 0;
            for (qint64 at = (length - 1) / kPiece * kPiece; at >= 0; at -= kPiece)
                if (!out.copyAt(fd, 10 + at, std::min(kPiece, length - at), at))
                    error = errno;
            QCOMPARE(error != 0, !fits);
            if (fits) {
                out.finishCopies(length, error);
                out.commit();
            } else {
                QVERIFY_THROWS_EXCEPTION(StorageError, out.finishCopies(length, error));
            }
        }
        ::close(fd);
        QVERIFY(readFile(path) == (fits ? source.mid(10, length) : QByteArray("old")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u"Sakujyo.PLR"_qs, u"source"_qs}.mid(0, memory ? 1 : 2)));
    }
};

PAGELORE_CORE_TEST_MAIN(TestFiles)
#include "tst_files.moc"
