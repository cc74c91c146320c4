// The two folder screens: where they start, what they save, and the data
// files frmRegistFile makes exist.

#include "ScreenTest.h"

#include "storage/SettingsStore.h"

#include <QDirIterator>
#include <QFileSystemModel>
#include <QStorageInfo>
#include <QTreeView>

using namespace screentest;

class TestFolderScreen : public QObject {
    Q_OBJECT

private slots:
    // The saved value ends with exactly one "/"; the root stays "/". Programs
    // keep their data under ~/.local/share, so dot-folders can be chosen.
    void savesTheFolder_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("folder"); // under the working folder, or "/" itself
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QStringList>("files"); // under the working folder afterwards, with their content
        const QStringList made = {
            ".hidden/記事/Bunnya.PLR=",  ".hidden/記事/Keitai.PLR=",          ".hidden/記事/Rireki.PLR=",
            ".hidden/記事/Sakujyo.PLR=", ".hidden/記事/Touroku.PLR=\"kept\"", ".hidden/記事/Zassi.PLR=\"M\""};
        const auto row = [](const char *tag, const char *screen, const QString &folder, const QString &saved,
                            const QStringList &files) {
            QTest::newRow(tag) << screen << folder << saved << files;
        };
        row("image root", "RGazou", "/", "/", {});
        row("image folder", "RGazou", "a/b", "a/b/", {});
        row("data, data files made where missing", "frmRegistFile", ".hidden/記事", ".hidden/記事/", made);
    }

    void savesTheFolder()
    {
        QFETCH(QString, screen);
        QFETCH(QString, folder);
        QFETCH(QString, saved);
        QFETCH(QStringList, files);
        QFile::remove(SettingsStore::filePath(kApplicationName));
        QTemporaryDir temp;
        const QString work = QDir(temp.path()).canonicalPath() + u'/'; // without symbolic links
        QDir::setCurrent(work);
        const bool images = screen == u"RGazou";
        if (folder != u"/") {
            QDir(work).mkpath(folder);
            folder.prepend(work);
            saved.prepend(work);
        }
        if (!images) {
            writeFile(folder + QStringLiteral("/Touroku.PLR"), "\"kept\"");
            writeFile(folder + QStringLiteral("/Zassi.PLR"), "\"M\"");
        }
        DialogAnswerer answers;
        answers.ok();
        const std::unique_ptr<FolderScreen> dialog(static_cast<FolderScreen *>(openScreen(screen).release()));
        auto *dir1 = child<QTreeView>(dialog.get(), QStringLiteral("Dir1"));
        QCOMPARE(dir1->currentIndex().data().toString(), QDir(work).dirName());
        const QModelIndex index = static_cast<QFileSystemModel *>(dir1->model())->index(folder);
        QVERIFY2(index.isValid() && !dir1->isRowHidden(index.row(), index.parent()), qPrintable(folder));
        dir1->setCurrentIndex(index);
        click(dialog.get(), QStringLiteral("Command2"));
        QCOMPARE(images ? ImageFolder() : DataFolder(), saved);
        QCOMPARE(images ? DataFolder() : ImageFolder(), QString());
        QCOMPARE(answers.texts(), QStringList{QStringLiteral("設定完了しました。")});
        QCOMPARE(answers.titles(), QStringList{QStringLiteral("設定完了")});
        QVERIFY(!dialog->isVisible());
        QStringList found;
        for (QDirIterator it(work, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            found << QDir(work).relativeFilePath(path) + u'=' + QString::fromUtf8(readFile(path));
        }
        found.sort();
        QCOMPARE(found, files);
        // Drive1 offers the working folder's volume; choosing it opens its root.
        auto *drive = child<QComboBox>(dialog.get(), QStringLiteral("Drive1"));
        QCOMPARE(drive->currentData().toString(), QStorageInfo(work).rootPath());
        dialog->Drive1_Change();
        QCOMPARE(dialog->chosenFolder(), drive->currentData().toString());
    }
};

PAGELORE_TEST_MAIN(TestFolderScreen)
#include "tst_folderscreen.moc"
