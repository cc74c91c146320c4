// The two folder screens: where they start, what they save, and the data
// files frmRegistFile makes exist.

#include "ScreenTest.h"

#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QDir>
#include <QFileSystemModel>
#include <QStorageInfo>
#include <QTreeView>

using namespace pagelore;
using namespace pagelore::test;
using namespace screentest;

namespace {

QTreeView *dir1(QWidget *screen)
{
    return child<QTreeView>(screen, QStringLiteral("Dir1"));
}

// Opens a folder in Dir1 as a click on it would.
void openInDir1(QWidget *screen, const QString &path)
{
    const QModelIndex index = static_cast<QFileSystemModel *>(dir1(screen)->model())->index(path);
    QVERIFY2(index.isValid(), qPrintable(path));
    dir1(screen)->setCurrentIndex(index);
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class TestFolderScreen : public QObject {
    Q_OBJECT

private slots:
    void init();
    void savesTheFolder_data();
    void savesTheFolder();
    void dataFilesMadeOnlyWhereMissing();
    void dotFolderCanBeChosen();

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_work; // a fresh working folder for each test, without symbolic links
};

void TestFolderScreen::init()
{
    QFile::remove(SettingsStore::filePath(kApplicationName));
    m_temp = std::make_unique<QTemporaryDir>();
    m_work = QDir(m_temp->path()).canonicalPath();
    QDir::setCurrent(m_work);
}

// The saved value ends with exactly one "/"; the root stays "/".
void TestFolderScreen::savesTheFolder_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("folder"); // under the working folder, or "/" itself
    QTest::addColumn<QString>("saved");
    const auto row = [](const char *tag, const char *screen, const QString &folder, const QString &saved) {
        QTest::newRow(tag) << screen << folder << saved;
    };
    row("image root", "RGazou", "/", "/");
    row("image nested", "RGazou", "a/b", "a/b/");
    row("data, Japanese names", "frmRegistFile", "記事/保管", "記事/保管/");
}

void TestFolderScreen::savesTheFolder()
{
    QFETCH(QString, screen);
    QFETCH(QString, folder);
    QFETCH(QString, saved);
    if (folder != u"/") {
        QDir(m_work).mkpath(folder);
        folder.prepend(m_work + u'/');
        saved.prepend(m_work + u'/');
    }
    DialogAnswerer answers;
    answers.ok();
    const auto dialog = openScreen(screen);
    openInDir1(dialog.get(), folder);
    click(dialog.get(), QStringLiteral("Command2"));
    const bool images = screen == u"RGazou";
    QCOMPARE(images ? ImageFolder() : DataFolder(), saved);
    QCOMPARE(images ? DataFolder() : ImageFolder(), QString());
    QCOMPARE(answers.texts(), QStringList{QStringLiteral("設定完了しました。")});
    QCOMPARE(answers.titles(), QStringList{QStringLiteral("設定完了")});
    QVERIFY(!dialog->isVisible());
    if (images) { // the image folder screen makes no file, there nor in the working folder
        QCOMPARE(QDir(m_work).entryList(QDir::Files), QStringList());
        if (folder != u"/")
            QCOMPARE(entries(folder), QStringList());
    }
}

void TestFolderScreen::dataFilesMadeOnlyWhereMissing()
{
    TempDataFolder previous;
    previous.write(DataFiles::ArticleFile, "\"old\"\r\n");
    const QString target = m_work + QStringLiteral("/new");
    QDir().mkpath(target);
    writeFile(target + QStringLiteral("/Touroku.PLR"), "\"kept\"\r\n");
    writeFile(target + QStringLiteral("/Zassi.PLR"), "\"M\"\r\n");
    DialogAnswerer answers;
    answers.ok();
    const auto screen = openScreen(QStringLiteral("frmRegistFile"));
    openInDir1(screen.get(), target);
    click(screen.get(), QStringLiteral("Command2"));

    QCOMPARE(entries(target),
             (QStringList{"Bunnya.PLR", "Keitai.PLR", "Rireki.PLR", "Sakujyo.PLR", "Touroku.PLR", "Zassi.PLR"}));
    QCOMPARE(readFile(target + QStringLiteral("/Touroku.PLR")), QByteArray("\"kept\"\r\n"));
    QCOMPARE(readFile(target + QStringLiteral("/Zassi.PLR")), QByteArray("\"M\"\r\n"));
    for (const QString name : {"Rireki.PLR", "Sakujyo.PLR", "Bunnya.PLR", "Keitai.PLR"})
        QCOMPARE(readFile(target + u'/' + name), QByteArray());
    QCOMPARE(previous.read(DataFiles::ArticleFile), QByteArray("\"old\"\r\n"));
    QCOMPARE(DataFolder(), target + u'/');
}

// The screen starts in the working folder, on its volume. Programs keep
// their data under ~/.local/share: folders whose names start with a dot are
// listed and can be chosen.
void TestFolderScreen::dotFolderCanBeChosen()
{
    QVERIFY(QDir(m_work).mkpath(QStringLiteral(".hidden")));
    DialogAnswerer answers;
    answers.ok();
    const auto screen = openScreen(QStringLiteral("frmRegistFile"));
    QAbstractItemModel *model = dir1(screen.get())->model();
    const QModelIndex work = dir1(screen.get())->currentIndex();
    QCOMPARE(work.data().toString(), QFileInfo(m_work).fileName());
    auto *drive = child<QComboBox>(screen.get(), QStringLiteral("Drive1"));
    QCOMPARE(drive->currentData().toString(), QStorageInfo(m_work).rootPath());
    QTRY_COMPARE(model->rowCount(work), 1);
    const QModelIndex hidden = model->index(0, 0, work);
    QCOMPARE(hidden.data().toString(), QStringLiteral(".hidden"));
    QVERIFY(!dir1(screen.get())->isRowHidden(0, work));
    dir1(screen.get())->setCurrentIndex(hidden);
    click(screen.get(), QStringLiteral("Command2"));
    QCOMPARE(DataFolder(), m_work + QStringLiteral("/.hidden/"));
    static_cast<FolderScreen *>(screen.get())->Drive1_Change(); // opens the root of the volume chosen
    QCOMPARE(static_cast<FolderScreen *>(screen.get())->chosenFolder(), drive->currentData().toString());
}

PAGELORE_TEST_MAIN(TestFolderScreen)
#include "tst_folderscreen.moc"
