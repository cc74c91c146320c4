#include "search/Search.h"
#include "storage/DataFiles.h"
#include "support/TestCore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

using namespace pagelore;
using namespace pagelore::test;

Q_DECLARE_METATYPE(pagelore::ArticleRecord)

namespace {

ArticleRecord titled(const QString &title, int n)
{
    ArticleRecord a = article(n);
    a.Title = title;
    return a;
}

const QByteArray kStaleScratch = "\"\x91\x4F\x89\xF1\"\r\n"; // 「前回」: what an earlier removal left

} // namespace

class TestRemoval : public QObject {
    Q_OBJECT

private slots:
    void removal_data();
    void removal();
    void twelveFieldsCompared_data();
    void twelveFieldsCompared();
    void killedRemovalLeavesOldOrNew();
};

void TestRemoval::removal_data()
{
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<ArticleRecord>("shown");
    QTest::addColumn<QList<int>>("kept"); // the lines left, or none at all when nothing is removed
    QTest::addColumn<bool>("removed");
    QByteArrayList five;
    for (int n = 1; n <= 5; ++n)
        five << line(article(n));
    QTest::newRow("third of five") << five << article(3) << QList<int>{0, 1, 3, 4} << true;
    QTest::newRow("identical pair: only the first goes")
        << QByteArrayList{five[0], five[1], five[0]} << article(1) << QList<int>{1, 2} << true;
    for (const QString &title : {u"*"_qs, u"a#b"_qs, u"[A]"_qs, u"CPU?"_qs, u"[!a-z]"_qs}) {
        QTest::addRow("title %s removed when shown", qPrintable(title))
            << QByteArrayList{five[0], line(titled(title, 2)), five[2]} << titled(title, 2) << QList<int>{0, 2}
            << true;
    }
    QTest::newRow("stored * not taken for the shown one")
        << QByteArrayList{line(titled(u"*"_qs, 2)), five[1]} << article(2) << QList<int>{0} << true;
    QTest::newRow("shown * does not take a plain title")
        << QByteArrayList{five[1]} << titled(u"*"_qs, 2) << QList<int>{} << false;
    QTest::newRow("nothing equal") << five << article(6) << QList<int>{} << false;
    QTest::newRow("empty article file") << QByteArrayList{} << article(1) << QList<int>{} << false;
    QByteArray lastWithoutEnd = line(article(3), false);
    lastWithoutEnd.chop(2);
    QTest::newRow("kept records keep their own bytes")
        << QByteArrayList{line(article(1), false), five[1], lastWithoutEnd} << article(2) << QList<int>{0, 2}
        << true;
}

// The kept records go to the scratch file and the article file byte for
// byte; with nothing removed, neither file changes.
void TestRemoval::removal()
{
    QFETCH(QByteArrayList, lines);
    QFETCH(ArticleRecord, shown);
    QFETCH(QList<int>, kept);
    QFETCH(bool, removed);
    TempDataFolder data;
    data.write(DataFiles::ArticleFile, lines.join());
    data.write(DataFiles::ScratchFile, kStaleScratch);
    QCOMPARE(RemoveArticle(data.path(), ShownCandidate::fromArticle(shown)),
             removed ? RemovalOutcome::Removed : RemovalOutcome::NotFound);
    QByteArray left;
    for (int i : kept)
        left += lines[i];
    QCOMPARE(data.read(DataFiles::ArticleFile), removed ? left : lines.join());
    QCOMPARE(data.read(DataFiles::ScratchFile), removed ? left : kStaleScratch);
    QCOMPARE(QDir(data.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 6);
}

// A stored article that differs from the shown one in one field, by as
// little as a letter's case, a character's width, a trailing space or a time
// of day (a day, in the writer's form, which has no time), in the writer's
// form and in another spelling. Only the image fields (13-15) do not count.
void TestRemoval::twelveFieldsCompared_data()
{
    QTest::addColumn<ArticleRecord>("stored");
    QTest::addColumn<bool>("writerForm");
    QTest::addColumn<bool>("removed");
    using A = ArticleRecord;
    const QList<std::pair<const char *, std::function<void(A &)>>> changes = {
        {"nothing", [](A &) {}},
        {"1 title's case", [](A &a) { a.Title = u"cpu入門"_qs; }},
        {"2 writer's width", [](A &a) { a.Writer = u"ヤマダ1"_qs; }},
        {"3 magazine's trailing space", [](A &a) { a.Magazine += u' '; }},
        {"4 first page", [](A &a) { a.FirstPage = 11; }},
        {"5 last page's sign", [](A &a) { a.LastPage = -14; }},
        {"6 category empty", [](A &a) { a.Category.clear(); }},
        {"7 publication form", [](A &a) { a.PublicationForm = u"連載2"_qs; }},
        {"8 time of day",
         [](A &a) { a.PublicationDate = DateValue::fromDate(a.PublicationDate.date(), QTime(10, 30)); }},
        {"9 content's line break", [](A &a) { a.Content.replace(u"\r\n"_qs, u"\n"_qs); }},
        {"10 keyword 1's width", [](A &a) { a.Keyword1 = u"ＣＰＵ1"_qs; }},
        {"11 keyword 2", [](A &a) { a.Keyword2 = u"ﾒﾓﾘ2"_qs; }},
        {"12 keyword 3's digit", [](A &a) { a.Keyword3 = u"キー１"_qs; }},
        {"13 image base", [](A &a) { a.ImageBase.clear(); }},
        {"14 first image", [](A &a) { a.FirstImageNo = 2; }},
        {"15 last image", [](A &a) { a.LastImageNo = 0; }},
    };
    for (bool writerForm : {true, false}) {
        for (int field = 0; field < changes.size(); ++field) {
            ArticleRecord stored = titled(u"CPU入門"_qs, 1);
            changes[field].second(stored);
            if (field == 8 && writerForm)
                stored.PublicationDate = DateValue::fromDate(stored.PublicationDate.date().addDays(1));
            QTest::addRow("%s, %s", changes[field].first, writerForm ? "writer's form" : "other spelling")
                << stored << writerForm << (field == 0 || field > 12);
        }
    }
}
void TestRemoval::twelveFieldsCompared()
{
    QFETCH(ArticleRecord, stored);
    QFETCH(bool, writerForm);
    QFETCH(bool, removed);
    TempDataFolder data;
    const QByteArray before = line(article(2)) + line(stored, writerForm);
    data.write(DataFiles::ArticleFile, before);
    QCOMPARE(RemoveArticle(data.path(), ShownCandidate::fromArticle(titled(u"CPU入門"_qs, 1))),
             removed ? RemovalOutcome::Removed : RemovalOutcome::NotFound);
    QCOMPARE(data.read(DataFiles::ArticleFile), removed ? line(article(2)) : before);
}

// A removal killed at any moment leaves the article file old or new, never
// anything between: the guarantee a screen cannot show.
void TestRemoval::killedRemovalLeavesOldOrNew()
{
    TempDataFolder data;
    QByteArray oldContent, newContent;
    for (int n = 1; n <= 30000; ++n) {
        oldContent += line(article(n));
        if (n != 5)
            newContent += line(article(n));
    }
    // The removal runs in a child process, killed `afterUs` after it starts (never, when negative).
    const auto removeInChild = [&](qint64 afterUs) {
        data.write(DataFiles::ArticleFile, oldContent);
        data.write(DataFiles::ScratchFile, {});
        int started[2];
        if (::pipe(started) != 0)
            qFatal("no pipe");
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(started[0]);
            ::close(started[1]); // the parent's read returns
            RemoveArticle(data.path(), ShownCandidate::fromArticle(article(5)));
            ::_exit(0);
        }
        ::close(started[1]);
        char none;
        (void)::read(started[0], &none, 1);
        ::close(started[0]);
        if (afterUs >= 0) {
            QThread::usleep(static_cast<unsigned long>(afterUs));
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return afterUs >= 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
    };
    QElapsedTimer clock;
    clock.start();
    QVERIFY(removeInChild(-1));
    const auto wholeRunUs = static_cast<quint32>(clock.nsecsElapsed() / 1000);
    QCOMPARE(data.read(DataFiles::ArticleFile), newContent);
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    int sawOld = 0;
    for (int round = 0; round < 30; ++round) {
        removeInChild(random.bounded(wholeRunUs));
        const QByteArray now = data.read(DataFiles::ArticleFile);
        QVERIFY2(now == oldContent || now == newContent, qPrintable(u"round %1, seed %2"_qs.arg(round).arg(seed)));
        sawOld += now == oldContent;
    }
    qInfo("killed removals: %d of 30 left the old article file", sawOld);
}

PAGELORE_CORE_TEST_MAIN(TestRemoval)
#include "tst_removal.moc"
