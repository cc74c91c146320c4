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

} // namespace

class TestRemoval : public QObject {
    Q_OBJECT

private slots:
    void removal_data();
    void removal();
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
    QTest::newRow("empty article file") << QByteArrayList{} << article(1) << QList<int>{} << false;
    QByteArray lastWithoutEnd = line(article(3), false);
    lastWithoutEnd.chop(2);
    QTest::newRow("kept records keep their own bytes")
        << QByteArrayList{line(article(1), false), five[1], lastWithoutEnd} << article(2) << QList<int>{0, 2}
        << true;
    // A stored article that differs from the shown one in one field, by as
    // little as a trailing space, a letter's case or a character's width, in
    // the writer's form and in other spellings. Only the image fields do not count.
    using A = ArticleRecord;
    const QList<std::pair<const char *, std::function<void(A &)>>> changes = {
        {"nothing", [](A &) {}},
        {"1 title's trailing space", [](A &a) { a.Title += u' '; }},
        {"2 writer's width", [](A &a) { a.Writer = u"ヤマダ1"_qs; }},
        {"3 magazine's case", [](A &a) { a.Magazine = u"月刊ascii1"_qs; }},
        {"4 first page", [](A &a) { a.FirstPage = 11; }},
        {"5 last page's sign", [](A &a) { a.LastPage = -14; }},
        {"6 category empty", [](A &a) { a.Category.clear(); }},
        {"7 publication form", [](A &a) { a.PublicationForm = u"連載2"_qs; }},
        {"8 a day later", [](A &a) { a.PublicationDate = DateValue(a.PublicationDate.day() + 1, 0); }},
        {"8 time of day", [](A &a) { a.PublicationDate = DateValue(a.PublicationDate.day(), 37800); }},
        {"9 content's line break", [](A &a) { a.Content.replace(u"\r\n"_qs, u"\n"_qs); }},
        {"10 keyword 1's width", [](A &a) { a.Keyword1 = u"ＣＰＵ1"_qs; }},
        {"11 keyword 2", [](A &a) { a.Keyword2 = u"ﾒﾓﾘ2"_qs; }},
        {"12 keyword 3's digit", [](A &a) { a.Keyword3 = u"キー１"_qs; }},
        {"13 image base", [](A &a) { a.ImageBase.clear(); }},
        {"14 first image", [](A &a) { a.FirstImageNo = 2; }},
        {"15 last image", [](A &a) { a.LastImageNo = 0; }},
    };
    for (bool writerForm : {true, false}) {
        for (const auto &[name, change] : changes) {
            ArticleRecord stored = article(1);
            change(stored);
            const bool same = std::atoi(name) == 0 || std::atoi(name) > 12; // the field changed
            QTest::addRow("%s, %s", name, writerForm ? "writer's form" : "other spellings")
                << QByteArrayList{five[1], line(stored, writerForm)} << article(1)
                << (same ? QList<int>{0} : QList<int>{}) << same;
        }
    }
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
    const QByteArray stale = "\"\x91\x4F\x89\xF1\"\r\n"; // 「前回」: what an earlier removal left
    data.write(DataFiles::ArticleFile, lines.join());
    data.write(DataFiles::ScratchFile, stale);
    QCOMPARE(RemoveArticle(data.path(), ShownCandidate::fromArticle(shown)),
             removed ? RemovalOutcome::Removed : RemovalOutcome::NotFound);
    QByteArray left;
    for (int i : kept)
        left += lines[i];
    QCOMPARE(data.read(DataFiles::ArticleFile), removed ? left : lines.join());
    QCOMPARE(data.read(DataFiles::ScratchFile), removed ? left : stale);
    QCOMPARE(QDir(data.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 6);
}

// A removal killed at any moment leaves the article file old or new, never
// anything between: the guarantee a screen cannot show.
void TestRemoval::killedRemovalLeavesOldOrNew()
{
    TempDataFolder data;
    QByteArray oldContent, newContent;
    for (int n = 1; n <= 30000; ++n) {
        oldContent += line(article(n));
        newContent += n == 5 ? QByteArray() : line(article(n));
    }
    // In a child process, killed `afterUs` after it starts (never, when negative).
    const auto removeInChild = [&](qint64 afterUs) {
        data.write(DataFiles::ArticleFile, oldContent);
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(RemoveArticle(data.path(), ShownCandidate::fromArticle(article(5)))
                    == RemovalOutcome::Removed);
        if (afterUs >= 0) {
            QThread::usleep(static_cast<unsigned long>(afterUs));
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 1;
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
