#include "screens/FolderScreen.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>

#include <memory>

using namespace pagelore;

namespace {

std::unique_ptr<FolderScreen> makeScreen(const QString &which)
{
    if (which == QLatin1String("frmRegistFile"))
        return std::make_unique<frmRegistFile>();
    return std::make_unique<RGazou>();
}

// Opens a folder in Dir1 as the user would by clicking it.
void openInDir1(FolderScreen &screen, const QString &path)
{
    auto *tree = test::child<QTreeView>(&screen, QStringLiteral("Dir1"));
    auto *model = qobject_cast<QFileSystemModel *>(tree->model());
    QVERIFY(model);
    const QModelIndex index = model->index(path);
    QVERIFY2(index.isValid(), qPrintable(path));
    tree->setCurrentIndex(index);
}

void click(QWidget *screen, const char *name)
{
    QTest::mouseClick(test::child<QPushButton>(screen, QString::fromLatin1(name)), Qt::LeftButton);
}

QString setting(const QString &section)
{
    return SettingsStore::GetSetting(kApplicationName, section, QStringLiteral("Address"));
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class TestFolderScreen : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(SettingsStore::filePath(kApplicationName));
        QVERIFY(m_work.isValid());
        QDir::setCurrent(m_work.path());
    }

    void startsAtTheWorkingFolder()
    {
        auto screen = makeScreen(QStringLiteral("RGazou"));
        screen->Form_Load();
        QCOMPARE(screen->chosenFolder(), QDir(m_work.path()).canonicalPath());
        auto *drive = test::child<QComboBox>(screen.get(), QStringLiteral("Drive1"));
        QCOMPARE(drive->currentData().toString(), QStorageInfo(m_work.path()).rootPath());

        // Drive1_Change opens the chosen volume's root.
        openInDir1(*screen, m_work.path() + QStringLiteral("/.."));
        screen->Drive1_Change();
        QCOMPARE(screen->chosenFolder(), drive->currentData().toString());
    }

    // The saved value ends with exactly one "/"; the root stays "/". RGazou
    // serves the root row: it creates nothing there.
    void folderRule_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("folder"); // under the work folder, or "/" itself
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("section");
        QTest::newRow("image root") << "RGazou"
                                    << "/"
                                    << "/"
                                    << "GazouSave";
        QTest::newRow("image nested") << "RGazou"
                                      << "a/b"
                                      << "a/b/"
                                      << "GazouSave";
        QTest::newRow("data nested") << "frmRegistFile"
                                     << "a/b"
                                     << "a/b/"
                                     << "FileSave";
        QTest::newRow("data japanese") << "frmRegistFile"
                                       << "記事/保管"
                                       << "記事/保管/"
                                       << "FileSave";
    }

    void folderRule()
    {
        QFETCH(QString, which);
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        QFETCH(QString, section);
        const QString base = QDir(m_work.path()).canonicalPath() + QLatin1Char('/');
        const bool root = folder == QLatin1String("/");
        if (!root) {
            QDir(base).mkpath(folder);
            folder.prepend(base);
            expected.prepend(base);
        }
        test::DialogAnswerer answers;
        answers.ok();
        auto screen = makeScreen(which);
        screen->Form_Load();
        screen->show();
        openInDir1(*screen, folder);
        click(screen.get(), "Command2");
        QCOMPARE(setting(section), expected);
        QCOMPARE(answers.texts(), QStringList{QStringLiteral("設定完了しました。")});
        QCOMPARE(answers.titles(), QStringList{QStringLiteral("設定完了")});
        QVERIFY(!screen->isVisible());
        QCOMPARE(screen->result(), int(QDialog::Accepted));
        const QString other =
            section == QLatin1String("FileSave") ? QStringLiteral("GazouSave") : QStringLiteral("FileSave");
        QCOMPARE(setting(other), QString());
        if (which == QLatin1String("RGazou") && !root)
            QCOMPARE(entries(folder), QStringList());
    }

    void dataFilesMadeOnlyWhereMissing()
    {
        test::TempDataFolder previous;
        previous.write(DataFiles::ArticleFile, test::sjis(QStringLiteral("\"前の記事\"\r\n")));
        const QString target = QDir(m_work.path()).canonicalPath() + QStringLiteral("/new");
        QDir().mkpath(target);
        const QByteArray articles = test::sjis(QStringLiteral("\"記事\",\"筆者\"\r\n"));
        const QByteArray magazines = test::sjis(QStringLiteral("\"月刊誌\"\r\n"));
        test::writeFile(target + QStringLiteral("/Touroku.PLR"), articles);
        test::writeFile(target + QStringLiteral("/Zassi.PLR"), magazines);

        test::DialogAnswerer answers;
        answers.ok();
        frmRegistFile screen;
        screen.Form_Load();
        screen.show();
        openInDir1(screen, target);
        click(&screen, "Command2");

        QCOMPARE(entries(target), (QStringList{"Bunnya.PLR", "Keitai.PLR", "Rireki.PLR", "Sakujyo.PLR",
                                               "Touroku.PLR", "Zassi.PLR"}));
        QCOMPARE(test::readFile(target + QStringLiteral("/Touroku.PLR")), articles);
        QCOMPARE(test::readFile(target + QStringLiteral("/Zassi.PLR")), magazines);
        for (const QString &name : QStringList{"Rireki.PLR", "Sakujyo.PLR", "Bunnya.PLR", "Keitai.PLR"})
            QCOMPARE(test::readFile(target + QLatin1Char('/') + name), QByteArray());
        QCOMPARE(previous.read(DataFiles::ArticleFile), test::sjis(QStringLiteral("\"前の記事\"\r\n")));
        QCOMPARE(DataFolder(), target + QLatin1Char('/'));
    }

    void leavingSavesNothing_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<bool>("viaButton");
        QTest::newRow("frmRegistFile Command1") << "frmRegistFile" << true;
        QTest::newRow("frmRegistFile close") << "frmRegistFile" << false;
        QTest::newRow("RGazou Command1") << "RGazou" << true;
        QTest::newRow("RGazou close") << "RGazou" << false;
    }

    void leavingSavesNothing()
    {
        QFETCH(QString, which);
        QFETCH(bool, viaButton);
        test::TempDataFolder data;
        test::setImageFolder(QStringLiteral("/images/"));
        const QByteArray settingsBefore = test::readFile(SettingsStore::filePath(kApplicationName));
        const QString target = QDir(m_work.path()).canonicalPath() + QStringLiteral("/untouched");
        QDir().mkpath(target);

        test::DialogAnswerer answers;
        auto screen = makeScreen(which);
        screen->Form_Load();
        screen->show();
        openInDir1(*screen, target);
        if (viaButton)
            click(screen.get(), "Command1");
        else
            screen->close();
        QVERIFY(!screen->isVisible());
        QCOMPARE(test::readFile(SettingsStore::filePath(kApplicationName)), settingsBefore);
        QCOMPARE(entries(target), QStringList());
        QVERIFY(answers.shown().isEmpty());
    }

    // Programs keep their data under ~/.local/share: folders whose names start
    // with a dot are listed and can be chosen.
    void dotFolderCanBeChosen()
    {
        const QString work = QDir(m_work.path()).canonicalPath();
        QVERIFY(QDir(work).mkpath(QStringLiteral(".hidden/inner")));
        test::DialogAnswerer answers;
        answers.ok();
        frmRegistFile screen;
        screen.Form_Load();
        screen.show();
        auto *tree = test::child<QTreeView>(&screen, QStringLiteral("Dir1"));
        const QModelIndex open = tree->currentIndex();
        QCOMPARE(tree->model()->data(open).toString(), QFileInfo(work).fileName());
        QModelIndex hidden;
        QTRY_VERIFY(tree->model()->rowCount(open) > 0);
        for (int row = 0; row < tree->model()->rowCount(open); ++row) {
            if (tree->model()->index(row, 0, open).data().toString() == u".hidden")
                hidden = tree->model()->index(row, 0, open);
        }
        QVERIFY(hidden.isValid());
        QVERIFY(!tree->isRowHidden(hidden.row(), open));
        tree->setCurrentIndex(hidden);
        click(&screen, "Command2");
        QCOMPARE(DataFolder(), work + QStringLiteral("/.hidden/"));
        QCOMPARE(entries(work + QStringLiteral("/.hidden")).size(), 7); // the six data files and the folder
    }

private:
    QTemporaryDir m_work;
};

PAGELORE_TEST_MAIN(TestFolderScreen)
#include "tst_folderscreen.moc"
