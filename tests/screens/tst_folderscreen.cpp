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

}  // namespace

class TestFolderScreen : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QFile::remove(SettingsStore::filePath(kApplicationName));
        QVERIFY(m_work.isValid());
        QDir::setCurrent(m_work.path());
    }

    void captions_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("decide");
        QTest::newRow("frmRegistFile")
            << "frmRegistFile" << "記事ファイル保管フォルダ指定"
            << "記事の登録内容を記録したファイルをどこのフォルダに保管するか決定して選択したください。"
            << "このフォルダに決定";
        QTest::newRow("RGazou") << "RGazou" << "記事紙面画像ﾌｧｲﾙの場所指定"
                                << "記事紙面の画像ﾌｧｲﾙが保管されているﾌｫﾙﾀﾞの位置を指定してください。記事紙面の画像ﾌ"
                                   "ｧｲﾙは、ここで指定したﾌｫﾙﾀﾞになければ、当ｿﾌﾄからは認識できません。"
                                << "このﾌｫﾙﾀﾞに決定";
    }

    void captions()
    {
        QFETCH(QString, which);
        QFETCH(QString, title);
        QFETCH(QString, label);
        QFETCH(QString, decide);
        auto screen = makeScreen(which);
        QCOMPARE(screen->objectName(), which);
        QCOMPARE(screen->windowTitle(), title);
        QCOMPARE(test::child<QLabel>(screen.get(), QStringLiteral("Label1"))->text(), label);
        QCOMPARE(test::child<QPushButton>(screen.get(), QStringLiteral("Command1"))->text(),
                 QStringLiteral("<<前の画面に戻る"));
        QCOMPARE(test::child<QPushButton>(screen.get(), QStringLiteral("Command2"))->text(), decide);
    }

    void startsAtTheWorkingFolder()
    {
        auto screen = makeScreen(QStringLiteral("RGazou"));
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
        QTest::addColumn<QString>("folder");  // under the work folder, or "/" itself
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("section");
        QTest::newRow("image root") << "RGazou" << "/" << "/" << "GazouSave";
        QTest::newRow("image nested") << "RGazou" << "a/b" << "a/b/" << "GazouSave";
        QTest::newRow("data nested") << "frmRegistFile" << "a/b" << "a/b/" << "FileSave";
        QTest::newRow("data japanese") << "frmRegistFile" << "記事/保管" << "記事/保管/" << "FileSave";
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
        screen->show();
        openInDir1(*screen, folder);
        click(screen.get(), "Command2");
        QCOMPARE(setting(section), expected);
        QCOMPARE(answers.texts(), QStringList{QStringLiteral("設定完了しました。")});
        QCOMPARE(answers.titles(), QStringList{QStringLiteral("設定完了")});
        QVERIFY(!screen->isVisible());
        QCOMPARE(screen->result(), int(QDialog::Accepted));
        const QString other = section == QLatin1String("FileSave") ? QStringLiteral("GazouSave")
                                                                    : QStringLiteral("FileSave");
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
        screen.show();
        openInDir1(screen, target);
        click(&screen, "Command2");

        QCOMPARE(entries(target), (QStringList{"Bunnya.PLR", "Keitai.PLR", "Rireki.PLR", "Sakujyo.PLR", "Touroku.PLR",
                                               "Zassi.PLR"}));
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

    void fileThatCannotBeMade()
    {
        const QString target = QDir(m_work.path()).canonicalPath() + QStringLiteral("/blocked");
        QDir().mkpath(target + QStringLiteral("/Rireki.PLR"));  // a folder where a data file belongs

        test::DialogAnswerer answers;
        answers.ok();
        frmRegistFile screen;
        screen.show();
        openInDir1(screen, target);
        click(&screen, "Command2");

        QCOMPARE(DataFolder(), target + QLatin1Char('/'));
        QCOMPARE(answers.shown().size(), 1);
        QVERIFY2(answers.texts().first().contains(QStringLiteral("Rireki.PLR")), qPrintable(answers.texts().first()));
        QVERIFY(!answers.texts().contains(QStringLiteral("設定完了しました。")));
        QVERIFY(screen.isVisible());
    }

    void settingsThatCannotBeSaved()
    {
        const QString settingsFile = SettingsStore::filePath(kApplicationName);
        QVERIFY(QDir().mkpath(settingsFile));  // a folder in the settings file's place
        const QString target = QDir(m_work.path()).canonicalPath() + QStringLiteral("/nosave");
        QDir().mkpath(target);

        test::DialogAnswerer answers;
        answers.ok();
        frmRegistFile screen;
        screen.show();
        openInDir1(screen, target);
        click(&screen, "Command2");
        QDir(settingsFile).removeRecursively();

        QCOMPARE(answers.shown().size(), 1);
        QVERIFY2(answers.texts().first().contains(QStringLiteral("Pagelore.ini")), qPrintable(answers.texts().first()));
        QCOMPARE(entries(target), QStringList());
        QVERIFY(screen.isVisible());
    }

private:
    QTemporaryDir m_work;
};

PAGELORE_TEST_MAIN(TestFolderScreen)
#include "tst_folderscreen.moc"
