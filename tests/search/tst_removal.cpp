#include "search/Search.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

using namespace pagelore;
using namespace pagelore::test;

namespace {

// A plausible article whose every field depends on n, so that no two differ
// only in one field by accident.
ArticleRecord article(int n)
{
    ArticleRecord a;
    a.Title = QStringLiteral("記事%1の題名").arg(n);
    a.Writer = QStringLiteral("ﾔﾏﾀﾞ%1").arg(n);
    a.Magazine = QStringLiteral("月刊ASCII");
    a.FirstPage = static_cast<qint16>(10 * n);
    a.LastPage = static_cast<qint16>(10 * n + 4);
    a.Category = QStringLiteral("パソコン");
    a.PublicationForm = QStringLiteral("特集");
    a.PublicationDate = DateValue::fromDate(QDate(1990, 1 + n % 12, 1));
    a.Content = QStringLiteral("一行目%1\r\n二行目, 読点").arg(n);
    a.Keyword1 = QStringLiteral("CPU");
    a.Keyword2 = QStringLiteral("ﾒﾓﾘ%1").arg(n);
    a.Keyword3 = QString();
    a.ImageBase = QStringLiteral("PC");
    a.FirstImageNo = 0;
    a.LastImageNo = 255;
    return a;
}

ArticleRecord titled(const QString &title, int n)
{
    ArticleRecord a = article(n);
    a.Title = title;
    return a;
}

QByteArray joined(const QByteArrayList &lines, const QList<int> &which)
{
    QByteArray out;
    for (int i : which)
        out += lines[i];
    return out;
}

// What is left in a folder, so a failed removal can be checked for debris.
QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
}

// What the child reported after starting the removal (a message may take
// several lines).
QString runChild(const QString &folder, int recordNumber, const QStringList &extra = {})
{
    QProcess child;
    child.start(QStringLiteral(PAGELORE_REMOVAL_CHILD),
                QStringList{folder, QString::number(recordNumber)} + extra);
    if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        qWarning("removal child failed: exit %d, %s", child.exitCode(), child.readAllStandardError().constData());
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    if (!out.startsWith(QStringLiteral("go\n")))
        return QString();
    return out.mid(3).trimmed();
}

const QByteArray kStaleScratch = sjis(QStringLiteral("\"前回の削除の残り\"\r\n"));

enum class Failure { ScratchIsFolder, ScratchIsDevFull, ReadOnlyFolder, ArticleTargetReadOnly, DiskFull };

}  // namespace

Q_DECLARE_METATYPE(pagelore::ArticleRecord)
Q_DECLARE_METATYPE(pagelore::StorageError::Kind)
Q_DECLARE_METATYPE(Failure)

class tst_Removal : public QObject {
    Q_OBJECT

private slots:
    void removal_data();
    void removal();
    void everyFieldCompared_data();
    void everyFieldCompared();
    void secondRemovalFindsNothing();
    void malformedRecordStopsRemoval_data();
    void malformedRecordStopsRemoval();
    void failedWriteKeepsArticleFile_data();
    void failedWriteKeepsArticleFile();
    void killedRemovalLeavesOldOrNew();
};

void tst_Removal::removal_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<ArticleRecord>("shown");
    QTest::addColumn<bool>("removed");
    QTest::addColumn<QList<int>>("kept");

    QByteArrayList five;
    for (int n = 1; n <= 5; ++n)
        five << article(n).encode();
    QTest::newRow("third of five") << five << article(3) << true << QList<int>{0, 1, 3, 4};
    QTest::newRow("first of five") << five << article(1) << true << QList<int>{1, 2, 3, 4};
    QTest::newRow("last of five") << five << article(5) << true << QList<int>{0, 1, 2, 3};

    const QByteArrayList twins{article(1).encode(), article(2).encode(), article(1).encode()};
    QTest::newRow("identical pair: only the first goes") << twins << article(1) << true << QList<int>{1, 2};

    ArticleRecord otherImages = article(2);
    otherImages.ImageBase.clear();
    otherImages.FirstImageNo = 7;
    otherImages.LastImageNo = 3;
    QTest::newRow("differs only in the image fields")
        << QByteArrayList{article(1).encode(), otherImages.encode()} << article(2) << true << QList<int>{0};

    for (const QString &title : {QStringLiteral("*"), QStringLiteral("a#b"), QStringLiteral("[A]"),
                                 QStringLiteral("CPU?"), QStringLiteral("[!a-z]")}) {
        QTest::addRow("title %s removed when shown", qPrintable(title))
            << QByteArrayList{article(1).encode(), titled(title, 2).encode(), article(3).encode()} << titled(title, 2)
            << true << QList<int>{0, 2};
    }

    // The stored "*" fits any title as a pattern; it must stay.
    QTest::newRow("stored * not taken for the shown one")
        << QByteArrayList{titled(QStringLiteral("*"), 2).encode(), article(2).encode()} << article(2) << true
        << QList<int>{0};
    QTest::newRow("shown * does not take a plain title")
        << QByteArrayList{article(2).encode()} << titled(QStringLiteral("*"), 2) << false << QList<int>{0};

    QTest::newRow("nothing equal") << five << article(6) << false << QList<int>{0, 1, 2, 3, 4};
    QTest::newRow("empty article file") << QByteArrayList{} << article(1) << false << QList<int>{};

    // Kept records keep the bytes they had, even in spellings this program
    // would not write itself (padding, a plus sign, a short date, a last
    // record without its line end).
    QByteArray odd = article(1).encode();
    odd.replace(",10,14,", ",  +010 ,14,");
    odd.replace("#1990-02-01#", "#1990-2-1#");
    QByteArray lastWithoutEnd = article(3).encode();
    lastWithoutEnd.chop(2);
    QTest::newRow("kept records keep their own spelling")
        << QByteArrayList{odd, article(2).encode(), lastWithoutEnd} << article(2) << true << QList<int>{0, 2};
    QTest::newRow("odd spelling still matches")
        << QByteArrayList{article(2).encode(), odd, lastWithoutEnd} << article(1) << true << QList<int>{0, 2};
}

void tst_Removal::removal()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(ArticleRecord, shown);
    QFETCH(bool, removed);
    QFETCH(QList<int>, kept);

    TempDataFolder folder;
    const QByteArray before = lines.join();
    folder.write(DataFiles::ArticleFile, before);
    folder.write(DataFiles::ScratchFile, kStaleScratch);

    const RemovalOutcome outcome = RemoveArticle(folder.path(), ShownCandidate::fromArticle(shown));

    QCOMPARE(outcome, removed ? RemovalOutcome::Removed : RemovalOutcome::NotFound);
    if (removed) {
        QCOMPARE(folder.read(DataFiles::ArticleFile), joined(lines, kept));
        QCOMPARE(folder.read(DataFiles::ScratchFile), joined(lines, kept));
    } else {
        QCOMPARE(folder.read(DataFiles::ArticleFile), before);
        QCOMPARE(folder.read(DataFiles::ScratchFile), kStaleScratch);
    }
    QCOMPARE(entries(folder.path()).size(), DataFiles::all().size());
}

void tst_Removal::everyFieldCompared_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("removed");
    const char *names[] = {"Title",    "Writer",   "Magazine", "FirstPage", "LastPage",
                           "Category", "Form",     "Date",     "Content",   "Keyword1",
                           "Keyword2", "Keyword3", "ImageBase", "FirstImageNo", "LastImageNo"};
    for (int f = 1; f <= ArticleRecord::kFieldCount; ++f)
        QTest::addRow("%d %s", f, names[f - 1]) << f << (f > 12);
}

// The stored article differs from the shown one in one field, by as little
// as a letter's case, a character's width, a trailing space or a time of day.
void tst_Removal::everyFieldCompared()
{
    QFETCH(int, field);
    QFETCH(bool, removed);

    ArticleRecord shown = article(1);
    shown.Title = QStringLiteral("CPU入門");
    shown.Keyword3 = QStringLiteral("z");
    ArticleRecord stored = shown;
    switch (field) {
    case 1: stored.Title = QStringLiteral("cpu入門"); break;
    case 2: stored.Writer = QStringLiteral("ヤマダ1"); break;
    case 3: stored.Magazine += u' '; break;
    case 4: stored.FirstPage = 11; break;
    case 5: stored.LastPage = -14; break;
    case 6: stored.Category.clear(); break;
    case 7: stored.PublicationForm = QStringLiteral("連載"); break;
    case 8: stored.PublicationDate = DateValue::fromDate(QDate(1990, 2, 1), QTime(10, 30)); break;
    case 9: stored.Content.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); break;
    case 10: stored.Keyword1 = QStringLiteral("ＣＰＵ"); break;
    case 11: stored.Keyword2 = QStringLiteral("ﾒﾓﾘ2"); break;
    case 12: stored.Keyword3 = QStringLiteral("Z"); break;
    case 13: stored.ImageBase.clear(); break;
    case 14: stored.FirstImageNo = 1; break;
    case 15: stored.LastImageNo = 0; break;
    }
    QVERIFY(!(stored == shown));

    TempDataFolder folder;
    const QByteArray before = article(2).encode() + stored.encode();
    folder.write(DataFiles::ArticleFile, before);

    const RemovalOutcome outcome = RemoveArticle(folder.path(), ShownCandidate::fromArticle(shown));

    QCOMPARE(outcome, removed ? RemovalOutcome::Removed : RemovalOutcome::NotFound);
    QCOMPARE(folder.read(DataFiles::ArticleFile), removed ? article(2).encode() : before);
}

// After a removal the scratch file holds the new collection; a second press
// finds nothing and leaves both files as the first removal left them.
void tst_Removal::secondRemovalFindsNothing()
{
    TempDataFolder folder;
    const QByteArray after = article(1).encode() + article(3).encode();
    folder.write(DataFiles::ArticleFile, article(1).encode() + article(2).encode() + article(3).encode());
    const ShownCandidate shown = ShownCandidate::fromArticle(article(2));

    QCOMPARE(RemoveArticle(folder.path(), shown), RemovalOutcome::Removed);
    QCOMPARE(RemoveArticle(folder.path(), shown), RemovalOutcome::NotFound);

    QCOMPARE(folder.read(DataFiles::ArticleFile), after);
    QCOMPARE(folder.read(DataFiles::ScratchFile), after);
}

void tst_Removal::malformedRecordStopsRemoval_data()
{
    QTest::addColumn<QByteArray>("badRecord");
    QTest::addColumn<StorageError::Kind>("kind");

    QByteArray page = article(6).encode();
    page.replace(",60,", ",6O,");
    QTest::newRow("letter in a page number") << page << StorageError::Kind::NotANumber;
    QByteArray date = article(6).encode();
    date.replace("#1990-07-01#", "#1990-13-01#");
    QTest::newRow("impossible date") << date << StorageError::Kind::BadDate;
    QByteArray image = article(6).encode();
    image.replace(",0,255", ",0,256");
    QTest::newRow("image number out of range (not compared, still read)") << image << StorageError::Kind::NumberOutOfRange;
    QTest::newRow("file ends inside a record") << sjis(QStringLiteral("\"題名\",\"記者\",\"誌名\",1,2\r\n"))
                                               << StorageError::Kind::UnexpectedEnd;
    QTest::newRow("unterminated text") << sjis(QStringLiteral("\"題名で終わり")) << StorageError::Kind::UnterminatedQuote;
}

void tst_Removal::malformedRecordStopsRemoval()
{
    QFETCH(QByteArray, badRecord);
    QFETCH(StorageError::Kind, kind);

    TempDataFolder folder;
    QByteArray before;
    for (int n = 1; n <= 5; ++n)
        before += article(n).encode();
    before += badRecord;
    folder.write(DataFiles::ArticleFile, before);
    folder.write(DataFiles::ScratchFile, kStaleScratch);

    try {
        RemoveArticle(folder.path(), ShownCandidate::fromArticle(article(2)));
        QFAIL("the malformed record was not reported");
    } catch (const StorageError &e) {
        QCOMPARE(e.kind(), kind);
        QCOMPARE(e.path(), folder.file(DataFiles::ArticleFile));
        QCOMPARE(e.recordNumber(), 6);
        QVERIFY2(e.message().contains(folder.file(DataFiles::ArticleFile)), qPrintable(e.message()));
    }
    QCOMPARE(folder.read(DataFiles::ArticleFile), before);
    QCOMPARE(folder.read(DataFiles::ScratchFile), kStaleScratch);
    QCOMPARE(entries(folder.path()).size(), DataFiles::all().size());
}

void tst_Removal::failedWriteKeepsArticleFile_data()
{
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("namedFile");
    QTest::newRow("a folder in the scratch file's place") << Failure::ScratchIsFolder << DataFiles::ScratchFile;
    QTest::newRow("scratch file a link to /dev/full") << Failure::ScratchIsDevFull << DataFiles::ScratchFile;
    QTest::newRow("read-only data folder") << Failure::ReadOnlyFolder << DataFiles::ScratchFile;
    QTest::newRow("article file's folder read-only") << Failure::ArticleTargetReadOnly << DataFiles::ArticleFile;
    QTest::newRow("disk full while writing the scratch file") << Failure::DiskFull << DataFiles::ScratchFile;
}

// Run in a child process, which can drop root's rights (for which nothing is
// read-only) and have a file size limit of its own.
void tst_Removal::failedWriteKeepsArticleFile()
{
    QFETCH(Failure, failure);
    QFETCH(QString, namedFile);

    TempDataFolder folder(true, false);
    const QString dir = folder.path();
    QByteArray before;
    for (int n = 1; n <= 200; ++n)
        before += article(n).encode();
    folder.write(DataFiles::ArticleFile, before);
    folder.write(DataFiles::ScratchFile, kStaleScratch);
    const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                     | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                     | QFileDevice::WriteOther | QFileDevice::ExeOther;
    const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                          | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QVERIFY(QFile::setPermissions(dir, all));
    for (const QString &name : DataFiles::all())
        QFile::setPermissions(folder.file(name), QFile::permissions(folder.file(name)) | QFileDevice::WriteOther);

    QString articleTarget = folder.file(DataFiles::ArticleFile);
    QStringList args;
    switch (failure) {
    case Failure::ScratchIsFolder:
        QVERIFY(QFile::remove(folder.file(DataFiles::ScratchFile)));
        QVERIFY(QDir(dir).mkdir(DataFiles::ScratchFile));
        break;
    case Failure::ScratchIsDevFull:
        QVERIFY(QFile::remove(folder.file(DataFiles::ScratchFile)));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), folder.file(DataFiles::ScratchFile)));
        break;
    case Failure::ReadOnlyFolder:
        QVERIFY(QFile::setPermissions(dir, readOnly));
        args << QStringLiteral("--nobody");
        break;
    case Failure::ArticleTargetReadOnly:
        // The article file lives in a read-only folder, reached by a link:
        // the scratch file can be written, the new article file cannot.
        QVERIFY(QDir(dir).mkdir(QStringLiteral("ro")));
        articleTarget = dir + QStringLiteral("ro/") + DataFiles::ArticleFile;
        QVERIFY(QFile::rename(folder.file(DataFiles::ArticleFile), articleTarget));
        QVERIFY(QFile::link(articleTarget, folder.file(DataFiles::ArticleFile)));
        QVERIFY(QFile::setPermissions(dir + QStringLiteral("ro"), readOnly));
        args << QStringLiteral("--nobody");
        break;
    case Failure::DiskFull:
        args << QStringLiteral("--fsize") << QString::number(before.size() / 2);
        break;
    }
    const QStringList entriesBefore = entries(dir);

    const QString report = runChild(dir, 7, args);

    QVERIFY(QFile::setPermissions(dir, all));
    QFile::setPermissions(dir + QStringLiteral("ro"), all);
    QVERIFY2(report.startsWith(QStringLiteral("StorageError ")), qPrintable(report));
    QVERIFY2(report.contains(dir + namedFile), qPrintable(report));
    QCOMPARE(readFile(articleTarget), before);
    QCOMPARE(QFileInfo(folder.file(DataFiles::ArticleFile)).isSymLink(),
             failure == Failure::ArticleTargetReadOnly);
    QCOMPARE(entries(dir), entriesBefore);
    QCOMPARE(entries(dir + QStringLiteral("ro")),
             failure == Failure::ArticleTargetReadOnly ? QStringList{DataFiles::ArticleFile} : QStringList{});
}

// A removal killed at any moment leaves the article file old or new, never
// anything between.
void tst_Removal::killedRemovalLeavesOldOrNew()
{
    TempDataFolder folder(true, false);
    const QString dir = folder.path();
    constexpr int kArticles = 30000;
    constexpr int kRemoved = 5;
    QByteArray oldContent, newContent;
    for (int n = 1; n <= kArticles; ++n) {
        const QByteArray line = article(n).encode();
        oldContent += line;
        if (n != kRemoved)
            newContent += line;
    }

    // One run to the end, both to check the outcome and to learn how long a
    // removal takes here.
    folder.write(DataFiles::ArticleFile, oldContent);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(runChild(dir, kRemoved), QStringLiteral("Removed"));
    const qint64 fullRunUs = clock.nsecsElapsed() / 1000;
    QCOMPARE(folder.read(DataFiles::ArticleFile), newContent);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator rng(seed);
    int sawOld = 0, sawNew = 0;
    for (int round = 0; round < 30; ++round) {
        folder.write(DataFiles::ArticleFile, oldContent);
        folder.write(DataFiles::ScratchFile, QByteArray());
        QProcess child;
        child.start(QStringLiteral(PAGELORE_REMOVAL_CHILD), QStringList{dir, QString::number(kRemoved)});
        while (!child.canReadLine() && child.state() != QProcess::NotRunning)
            child.waitForReadyRead(5000);
        QCOMPARE(child.readLine(), QByteArray("go\n"));
        QThread::usleep(rng.bounded(static_cast<quint32>(fullRunUs)));
        child.kill();
        QVERIFY(child.waitForFinished(10000));

        const QByteArray now = folder.read(DataFiles::ArticleFile);
        QVERIFY2(now == oldContent || now == newContent,
                 qPrintable(QStringLiteral("round %1 (seed %2): %3 bytes").arg(round).arg(seed).arg(now.size())));
        (now == oldContent ? sawOld : sawNew) += 1;
    }
    qInfo("killed removals: %d left the old article file, %d the new one", sawOld, sawNew);
}

PAGELORE_TEST_MAIN(tst_Removal)
#include "tst_removal.moc"
