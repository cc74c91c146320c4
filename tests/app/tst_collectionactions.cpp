#include "app/CollectionActions.h"
#include "search/Search.h"
#include "storage/ArticleRecord.h"
#include "storage/CandidateList.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/SettingsStore.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace pagelore;
using namespace pagelore::test;

namespace {

const QString kExportPrompt = QStringLiteral("記事を書き出す先のパス名を入力してください。ただし、全角/"
                                             "半角に気をつけて、最後に必ず「/」をつけてください。");
const QString kImportPrompt = QStringLiteral("記事を読み込む先のパス名を入力してください。ただし、全角/"
                                             "半角に気をつけて、最後に必ず「/」をつけてください。");
const QString kTransferTitle = QStringLiteral("書き出し先パス名");
const QString kQuestion = QStringLiteral("全ての記事データは消えます。よろしいですか。");

QByteArray content(const QString &name, const QString &tag)
{
    return sjis(QStringLiteral("\"%1の%2\"\r\n").arg(tag, name));
}

void fill(const QString &prefix, const QString &tag)
{
    for (const QString &name : DataFiles::all())
        writeFile(prefix + name, content(name, tag));
}

bool holds(const QString &prefix, const QString &tag)
{
    for (const QString &name : DataFiles::all()) {
        if (readFile(prefix + name) != content(name, tag))
            return false;
    }
    return true;
}

QString folderSetting(const char *section)
{
    return SettingsStore::GetSetting(kApplicationName, QString::fromLatin1(section), QStringLiteral("Address"));
}

} // namespace

class TestCollectionActions : public QObject {
    Q_OBJECT

private slots:
    void initialiseAnsweredNoChangesNothing()
    {
        TempDataFolder data;
        fill(data.path(), QStringLiteral("元"));
        DialogAnswerer answers;
        answers.no();
        runInitialise(nullptr);
        QCOMPARE(answers.texts(), QStringList{kQuestion});
        QCOMPARE(answers.titles(), QStringList{QStringLiteral("削除確認")});
        QCOMPARE(answers.shown().first().buttons.size(), 2);
        QCOMPARE(answers.unexpected(), 0);
        QVERIFY(holds(data.path(), QStringLiteral("元")));
    }

    void initialiseAnsweredYesLeavesAnEmptyCollection()
    {
        TempDataFolder data;
        setImageFolder(QStringLiteral("/images/"));
        ArticleRecord article;
        article.Title = QStringLiteral("連載第一回");
        article.Magazine = QStringLiteral("月刊誌");
        FileOps::appendRecord(data.file(DataFiles::ArticleFile), article.toRecord());
        CandidateList::AppendCandidate(data.file(DataFiles::MagazineList), QStringLiteral("月刊誌"));
        CandidateList::AppendCandidate(data.file(DataFiles::CategoryList), QStringLiteral("随筆"));
        QVERIFY(QFile::remove(data.file(DataFiles::FormList)));
        SearchConditions byTitle;
        byTitle.title = article.Title;
        QCOMPARE(RunSearchPass(data.path(), byTitle).hits, 1);

        DialogAnswerer answers;
        answers.yes().ok();
        runInitialise(nullptr);
        QCOMPARE(answers.texts(),
                 (QStringList{kQuestion, QStringLiteral("全ての記事データの削除が完了いたしました。")}));
        QCOMPARE(answers.titles(), (QStringList{QStringLiteral("削除確認"), QStringLiteral("削除完了")}));
        QCOMPARE(answers.unexpected(), 0);
        for (const QString &name : DataFiles::all())
            QCOMPARE(readFile(data.file(name)), QByteArray());
        QCOMPARE(folderSetting("FileSave"), data.path());
        QCOMPARE(folderSetting("GazouSave"), QStringLiteral("/images/"));
        QCOMPARE(RunSearchPass(data.path(), byTitle).hits, 0);
        QCOMPARE(CandidateList::ReadCandidateList(data.file(DataFiles::MagazineList)), QStringList());
        QCOMPARE(CandidateList::ReadCandidateList(data.file(DataFiles::CategoryList)), QStringList());
    }

    void transferAsksOnceAndReportsTheCopy_data()
    {
        QTest::addColumn<bool>("isExport");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("export to folder/") << true << "/";
        QTest::newRow("export without separator") << true << "";
        QTest::newRow("import from folder/") << false << "/";
    }
    void transferAsksOnceAndReportsTheCopy()
    {
        QFETCH(bool, isExport);
        QFETCH(QString, suffix);
        TempDataFolder data;
        QTemporaryDir other;
        const QString prefix = other.path() + suffix;
        fill(data.path(), QStringLiteral("元"));
        fill(prefix, QStringLiteral("他"));
        DialogAnswerer answers;
        answers.type(prefix).ok();
        isExport ? runExport(nullptr) : runImport(nullptr);
        QCOMPARE(answers.texts(),
                 (QStringList{isExport ? kExportPrompt : kImportPrompt, QStringLiteral("コピー完了")}));
        QCOMPARE(answers.titles(), (QStringList{kTransferTitle, QStringLiteral("コピー完了")}));
        QCOMPARE(answers.unexpected(), 0);
        const QString tag = isExport ? QStringLiteral("元") : QStringLiteral("他");
        QVERIFY(holds(data.path(), tag));
        QVERIFY(holds(prefix, tag));
    }

    void cancelOrEmptyTextDoesNothing_data()
    {
        QTest::addColumn<bool>("isExport");
        QTest::addColumn<bool>("cancel");
        QTest::newRow("export cancelled") << true << true;
        QTest::newRow("export empty") << true << false;
        QTest::newRow("import cancelled") << false << true;
        QTest::newRow("import empty") << false << false;
    }
    void cancelOrEmptyTextDoesNothing()
    {
        QFETCH(bool, isExport);
        QFETCH(bool, cancel);
        TempDataFolder data;
        fill(data.path(), QStringLiteral("元"));
        // Taken as a prefix, an empty text would name the bare file names in
        // the working folder.
        QTemporaryDir work;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(work.path()));
        fill(QString(), QStringLiteral("作業"));
        DialogAnswerer answers;
        cancel ? answers.cancel() : answers.type(QString());
        isExport ? runExport(nullptr) : runImport(nullptr);
        const bool workUnchanged = holds(QString(), QStringLiteral("作業"));
        QDir::setCurrent(previous);
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.unexpected(), 0);
        QVERIFY(holds(data.path(), QStringLiteral("元")));
        QVERIFY(workUnchanged);
    }

    void failuresAreReportedByName_data()
    {
        // Folders are written <data> and <source>; in the data folder a folder
        // may stand in the place of the form list.
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("folderInPlace");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("expected"); // beginning of the message
        QTest::newRow("export onto the data folder")
            << "export"
            << "<data>./" << true << "書き出しエラー"
            << "書き出し先の「<data>./Touroku.PLR」はデータフォルダのファイルそのものです。";
        QTest::newRow("import from the data folder")
            << "import"
            << "<data>./" << true << "読み込みエラー"
            << "読み込み元の「<data>./Touroku.PLR」はデータフォルダのファイルそのものです。";
        QTest::newRow("import with a file missing") << "import"
                                                    << "<source>" << false << "読み込みエラー"
                                                    << "ファイル「<source>Bunnya.PLR」が見つかりません。";
        QTest::newRow("export into a missing folder")
            << "export"
            << "<source>nosuch/" << false << "書き出しエラー"
            << "ファイル「<source>nosuch/Touroku.PLR」に書き込めません。";
        QTest::newRow("initialise over a folder") << "initialise"
                                                  << "" << true << "初期化エラー"
                                                  << "「<data>Keitai.PLR」はファイルではありません。";
    }
    void failuresAreReportedByName()
    {
        QFETCH(QString, operation);
        QFETCH(QString, typed);
        QFETCH(bool, folderInPlace);
        QFETCH(QString, title);
        QFETCH(QString, expected);
        TempDataFolder data;
        fill(data.path(), QStringLiteral("元"));
        QTemporaryDir other;
        const QString source = other.path() + QLatin1Char('/');
        fill(source, QStringLiteral("他"));
        QVERIFY(QFile::remove(source + DataFiles::CategoryList));
        if (folderInPlace) {
            QVERIFY(QFile::remove(data.file(DataFiles::FormList)));
            QVERIFY(QDir().mkdir(data.file(DataFiles::FormList)));
        }
        for (QString *text : {&typed, &expected})
            text->replace(QStringLiteral("<data>"), data.path()).replace(QStringLiteral("<source>"), source);
        DialogAnswerer answers;
        if (operation == "initialise") {
            answers.yes().ok();
            runInitialise(nullptr);
        } else {
            answers.type(typed).ok();
            operation == "export" ? runExport(nullptr) : runImport(nullptr);
        }
        QCOMPARE(answers.shown().size(), 2);
        QCOMPARE(answers.titles().last(), title);
        QVERIFY2(answers.texts().last().startsWith(expected), qPrintable(answers.texts().last()));
        QCOMPARE(answers.unexpected(), 0);
        for (const QString &name : DataFiles::all()) {
            if (!folderInPlace || name != DataFiles::FormList)
                QCOMPARE(readFile(data.file(name)), content(name, QStringLiteral("元")));
        }
        QVERIFY(!QFileInfo::exists(source + QStringLiteral("nosuch")));
        QCOMPARE(folderSetting("FileSave"), data.path());
    }
};

PAGELORE_TEST_MAIN(TestCollectionActions)
#include "tst_collectionactions.moc"
