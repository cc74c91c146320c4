// pagelore-bench: measures the actions that read or write a whole collection.
// Every result is one JSON object per line on standard output; messages go to
// standard error.

#include "Bench.h"

#include "screens/ArticleListModel.h"
#include "screens/ArticleListScreen.h"
#include "search/BlockScan.h"
#include "search/Correction.h"
#include "search/QuickSearch.h"
#include "search/Search.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"
#include "storage/SettingsStore.h"
#include "storage/TypedInput.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

#include <unistd.h>

using namespace pagelore;
using namespace pagelore::bench;

namespace {

// The viewer's picture area.
constexpr QSize kViewerArea(521, 689);

QString folderOf(const QString &arg)
{
    const QString abs = QFileInfo(arg).absoluteFilePath();
    return abs.endsWith(QLatin1Char('/')) ? abs : abs + QLatin1Char('/');
}

double elapsedMs(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e6;
}

QJsonObject resultLine(const QString &op, qint64 articles, qint64 bytes, const Timings &t, const Timings &floor)
{
    QJsonObject o;
    o.insert(QStringLiteral("op"), op);
    o.insert(QStringLiteral("articles"), articles);
    o.insert(QStringLiteral("bytes"), bytes);
    o.insert(QStringLiteral("median_ms"), t.medianMs);
    o.insert(QStringLiteral("min_ms"), t.minMs);
    o.insert(QStringLiteral("max_ms"), t.maxMs);
    o.insert(QStringLiteral("floor_ms"), floor.medianMs);
    o.insert(QStringLiteral("ratio"), floor.medianMs > 0 ? t.medianMs / floor.medianMs : 0.0);
    o.insert(QStringLiteral("peak_rss_kb"), peakRssKb());
    return o;
}

// Processor-time medians beside the elapsed ones, for machines where other
// work competes for the cores.
void addCpu(QJsonObject &line, const QList<double> &cpu, const QList<double> &floorCpu)
{
    const double c = summarise(cpu).medianMs, f = summarise(floorCpu).medianMs;
    line.insert(QStringLiteral("cpu_ms"), c);
    line.insert(QStringLiteral("floor_cpu_ms"), f);
    line.insert(QStringLiteral("cpu_ratio"), f > 0 ? c / f : 0.0);
    // Which instructions found the records' structure (PAGELORE_SCAN_KERNEL chooses).
    line.insert(QStringLiteral("kernel"), QLatin1String(scan::scanKernelName(scan::scanKernel())));
}

qint64 countRecords(const QString &path)
{
    RecordFileCodec file(path, RecordFileCodec::OpenMode::Read);
    RawField fields[ArticleRecord::kFieldCount];
    qint64 n = 0;
    while (!file.AtEnd()) {
        file.readRawRecord(ArticleRecord::kFieldCount, fields);
        ++n;
    }
    return n;
}

int runGenerate(const QStringList &args)
{
    Options o;
    qint64 articles = 0, seed = 0;
    if (!o.parse(args, 1, {QStringLiteral("articles"), QStringLiteral("seed")})
        || !o.number(QStringLiteral("articles"), -1, 0, articles) || !o.number(QStringLiteral("seed"), 1, 0, seed))
        return 2;
    if (articles < 0)
        return fail(QStringLiteral("generate needs --articles N"));
    QElapsedTimer clock;
    clock.start();
    const GenerateStats stats =
        generateCollection(folderOf(o.positional()[0]), articles, static_cast<std::uint64_t>(seed));
    const double ms = elapsedMs(clock);
    QJsonObject line =
        resultLine(QStringLiteral("generate"), stats.articles, stats.bytes, {ms, ms, ms},
                   {floorReadMs(DataFiles::path(folderOf(o.positional()[0]), DataFiles::ArticleFile))});
    line.insert(QStringLiteral("seed"), seed);
    printLine(line);
    return 0;
}

int runSearch(const QStringList &args)
{
    Options o;
    qint64 repeat = 0;
    const QStringList texts = {QStringLiteral("title"),    QStringLiteral("writer"), QStringLiteral("magazine"),
                               QStringLiteral("category"), QStringLiteral("form"),   QStringLiteral("keyword1"),
                               QStringLiteral("keyword2")};
    if (!o.parse(args, 1,
                 texts + QStringList{QStringLiteral("page"), QStringLiteral("date"), QStringLiteral("repeat")})
        || !o.number(QStringLiteral("repeat"), 5, 1, repeat))
        return 2;
    // The conditions screen's initial contents, converted and mapped as the
    // screen does.
    const auto page = TypedInput::toInt16(o.value(QStringLiteral("page")).value_or(QStringLiteral("100")));
    const auto date = TypedInput::toDate(o.value(QStringLiteral("date")).value_or(QStringLiteral("1990/1/1")));
    if (!page)
        return fail(QStringLiteral("--page is not a whole number from -32768 to 32767"));
    if (!date)
        return fail(QStringLiteral("--date is not a date written year/month/day"));
    SearchConditions c;
    c.title = TypedInput::mapTypedText(o.value(QStringLiteral("title")).value_or(QString()));
    c.writer = TypedInput::mapTypedText(o.value(QStringLiteral("writer")).value_or(QString()));
    c.magazine = TypedInput::mapTypedText(o.value(QStringLiteral("magazine")).value_or(QString()));
    c.page = *page;
    c.category = TypedInput::mapTypedText(o.value(QStringLiteral("category")).value_or(QString()));
    c.publicationForm = TypedInput::mapTypedText(o.value(QStringLiteral("form")).value_or(QString()));
    c.date = *date;
    c.keyword1 = TypedInput::mapTypedText(o.value(QStringLiteral("keyword1")).value_or(QString()));
    c.keyword2 = TypedInput::mapTypedText(o.value(QStringLiteral("keyword2")).value_or(QString()));

    const QString folder = folderOf(o.positional()[0]);
    const QString articlePath = DataFiles::path(folder, DataFiles::ArticleFile);
    QList<double> times, floors, cpu, floorCpu;
    SearchOutcome outcome;
    for (qint64 i = 0; i < repeat; ++i) {
        double fc = 0;
        floors << floorReadMs(articlePath, nullptr, &fc);
        floorCpu << fc;
        const double cpuStart = cpuNowMs();
        QElapsedTimer clock;
        clock.start();
        outcome = RunSearchPass(folder, c);
        times << elapsedMs(clock);
        cpu << cpuNowMs() - cpuStart;
    }
    QJsonObject line = resultLine(QStringLiteral("search"), outcome.articlesRead, QFileInfo(articlePath).size(),
                                  summarise(times), summarise(floors));
    line.insert(QStringLiteral("hits"), outcome.hits);
    addCpu(line, cpu, floorCpu);
    line.insert(QStringLiteral("repeat"), repeat);
    printLine(line);
    return 0;
}

// A plain copy of a file beside itself (read and write in large blocks,
// no flush to disk), then deleted: what one rewrite of the collection costs
// on this machine, for reading the removal's figure.
double plainCopyMs(const QString &path)
{
    const QString target = path + QStringLiteral(".bench-copy");
    QElapsedTimer clock;
    clock.start();
    std::FILE *in = std::fopen(QFile::encodeName(path).constData(), "rb");
    std::FILE *out = std::fopen(QFile::encodeName(target).constData(), "wb");
    if (in && out) {
        QByteArray block(1 << 20, Qt::Uninitialized);
        std::size_t n;
        while ((n = std::fread(block.data(), 1, block.size(), in)) > 0)
            std::fwrite(block.constData(), 1, n, out);
    }
    if (in)
        std::fclose(in);
    if (out)
        std::fclose(out);
    const double ms = elapsedMs(clock);
    QFile::remove(target);
    return ms;
}

void restoreFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (!QFile::copy(from, to))
        throw StorageError(StorageError::Kind::WriteFailed, to);
}

int runRemove(const QStringList &args)
{
    Options o;
    qint64 at = 0, repeat = 0;
    if (!o.parse(args, 1, {QStringLiteral("at"), QStringLiteral("repeat")})
        || !o.number(QStringLiteral("at"), -1, 0, at) || !o.number(QStringLiteral("repeat"), 5, 1, repeat))
        return 2;
    if (at < 0)
        return fail(QStringLiteral("remove needs --at K"));
    const QString folder = folderOf(o.positional()[0]);
    const QString articlePath = DataFiles::path(folder, DataFiles::ArticleFile);
    const QString scratchPath = DataFiles::path(folder, DataFiles::ScratchFile);

    // The candidate, as the deletion browser would have shown it.
    ShownCandidate candidate;
    qint64 articles = 0;
    {
        RecordFileCodec file(articlePath, RecordFileCodec::OpenMode::Read);
        RawField fields[ArticleRecord::kFieldCount];
        while (!file.AtEnd()) {
            if (articles == at)
                candidate = ShownCandidate::fromArticle(ArticleRecord::read(file));
            else
                file.readRawRecord(ArticleRecord::kFieldCount, fields);
            ++articles;
        }
    }
    if (at >= articles)
        return fail(QStringLiteral("--at %1 is beyond the last record (%2 articles)").arg(at).arg(articles));
    const qint64 bytes = QFileInfo(articlePath).size();

    QTemporaryDir backup(folder + QStringLiteral("bench-original-XXXXXX"));
    if (!backup.isValid())
        return fail(QStringLiteral("cannot make a backup folder in %1").arg(folder));
    const QString savedArticles = backup.filePath(DataFiles::ArticleFile);
    const QString savedScratch = backup.filePath(DataFiles::ScratchFile);
    restoreFile(articlePath, savedArticles);
    restoreFile(scratchPath, savedScratch);

    QList<double> times, floors, syncs, cpu, floorCpu, copies;
    RemovalOutcome outcome = RemovalOutcome::NotFound;
    for (qint64 i = 0; i < repeat; ++i) {
        if (i > 0) {
            restoreFile(savedArticles, articlePath);
            restoreFile(savedScratch, scratchPath);
        }
        copies << plainCopyMs(articlePath);
        ::sync(); // earlier writes are not flushed inside the timed removal
        double fc = 0;
        floors << floorReadMs(articlePath, nullptr, &fc);
        floorCpu << fc;
        resetSyncClock();
        const double cpuStart = cpuNowMs();
        QElapsedTimer clock;
        clock.start();
        outcome = RemoveArticle(folder, candidate);
        const double total = elapsedMs(clock);
        cpu << cpuNowMs() - cpuStart;
        syncs << syncMs();
        times << total - syncMs();
    }
    // The collection as it was, so that later runs measure the same file.
    restoreFile(savedArticles, articlePath);
    restoreFile(savedScratch, scratchPath);
    QJsonObject line = resultLine(QStringLiteral("remove"), articles, bytes, summarise(times), summarise(floors));
    line.insert(QStringLiteral("sync_ms"), summarise(syncs).medianMs);
    line.insert(QStringLiteral("copy_ms"), summarise(copies).medianMs);
    addCpu(line, cpu, floorCpu);
    line.insert(QStringLiteral("removed"), outcome == RemovalOutcome::Removed);
    line.insert(QStringLiteral("repeat"), repeat);
    printLine(line);
    return 0;
}

int runRegister(const QStringList &args)
{
    Options o;
    qint64 repeat = 0;
    if (!o.parse(args, 1, {QStringLiteral("repeat")}) || !o.number(QStringLiteral("repeat"), 5, 1, repeat))
        return 2;
    const QString folder = folderOf(o.positional()[0]);
    const QString articlePath = DataFiles::path(folder, DataFiles::ArticleFile);
    const qint64 bytes = QFileInfo(articlePath).size();
    const double floor = floorReadMs(articlePath);

    // What the entry screen makes of typed values.
    ArticleRecord a;
    a.Title = QStringLiteral("ベンチマーク用の記事 ﾃｽﾄ");
    a.Writer = QStringLiteral("計測 太郎");
    a.Magazine = QStringLiteral("月刊アスキー");
    a.FirstPage = *TypedInput::toInt16(QStringLiteral("100"));
    a.LastPage = *TypedInput::toInt16(QStringLiteral("104"));
    a.Category = QStringLiteral("ハードウェア");
    a.PublicationForm = PublicationFormChoices()[0];
    a.PublicationDate = *TypedInput::toDate(QStringLiteral("2024/4/1"));
    a.Content = QStringLiteral("一行目。\r\n二行目。");
    a.Keyword1 = QStringLiteral("CPU");
    a.FirstImageNo = 0;
    a.LastImageNo = 255;

    QList<double> times, syncs;
    for (qint64 i = 0; i < repeat; ++i) {
        resetSyncClock();
        QElapsedTimer clock;
        clock.start();
        FileOps::appendRecord(articlePath, a.toRecord());
        const double total = elapsedMs(clock);
        syncs << syncMs();
        times << total - syncMs();
    }
    QJsonObject line = resultLine(QStringLiteral("register"), -1, bytes, summarise(times), {floor});
    line.insert(QStringLiteral("sync_ms"), summarise(syncs).medianMs);
    line.remove(QStringLiteral("articles"));
    line.insert(QStringLiteral("repeat"), repeat);
    printLine(line);
    return 0;
}

int runBrowse(const QStringList &args)
{
    Options o;
    qint64 repeat = 0;
    if (!o.parse(args, 1, {QStringLiteral("repeat"), QStringLiteral("file")})
        || !o.number(QStringLiteral("repeat"), 5, 1, repeat))
        return 2;
    const QString folder = folderOf(o.positional()[0]);
    const QString path = DataFiles::path(folder, o.value(QStringLiteral("file")).value_or(DataFiles::ResultFile));
    const qint64 records = countRecords(path);
    if (records == 0)
        return fail(QStringLiteral("%1 holds no record").arg(path));
    QList<double> times, floors;
    for (qint64 i = 0; i < repeat; ++i) {
        floors << floorReadMs(path);
        QElapsedTimer clock;
        clock.start();
        // The browser's opening: open the file, read one record, ask for the end.
        RecordFileCodec file(path, RecordFileCodec::OpenMode::Read);
        const ArticleRecord first = ArticleRecord::read(file);
        const bool last = file.AtEnd();
        times << elapsedMs(clock);
        if (first.PublicationDate.day() == 0 && last)
            std::fputs("", stderr); // keeps the read from being optimised away
    }
    printLine(resultLine(QStringLiteral("browse"), records, QFileInfo(path).size(), summarise(times),
                         summarise(floors)));
    return 0;
}

int runPage(const QStringList &args)
{
    Options o;
    qint64 repeat = 0;
    if (!o.parse(args, 1, {QStringLiteral("repeat")}) || !o.number(QStringLiteral("repeat"), 5, 1, repeat))
        return 2;
    const QString path = o.positional()[0];
    QList<double> scaled, full, floors;
    QSize fullSize;
    for (qint64 i = 0; i < repeat; ++i) {
        floors << floorReadMs(path);
        QElapsedTimer clock;
        clock.start();
        QImageReader reader(path);
        reader.setAutoTransform(true);
        reader.setScaledSize(kViewerArea);
        const QImage small = reader.read();
        scaled << elapsedMs(clock);
        if (small.isNull())
            return fail(QStringLiteral("cannot read %1: %2").arg(path, reader.errorString()));
        clock.restart();
        QImageReader whole(path);
        whole.setAutoTransform(true);
        const QImage big = whole.read();
        full << elapsedMs(clock);
        if (big.isNull())
            return fail(QStringLiteral("cannot read %1: %2").arg(path, whole.errorString()));
        fullSize = big.size();
    }
    const Timings s = summarise(scaled), f = summarise(full), fl = summarise(floors);
    const qint64 bytes = QFileInfo(path).size();
    QJsonObject line = resultLine(QStringLiteral("page"), -1, bytes, s, fl);
    line.remove(QStringLiteral("articles"));
    line.insert(QStringLiteral("width"), fullSize.width());
    line.insert(QStringLiteral("height"), fullSize.height());
    line.insert(QStringLiteral("full_median_ms"), f.medianMs);
    line.insert(QStringLiteral("full_min_ms"), f.minMs);
    line.insert(QStringLiteral("full_max_ms"), f.maxMs);
    line.insert(QStringLiteral("scaled_to_full"), f.medianMs > 0 ? s.medianMs / f.medianMs : 0.0);
    printLine(line);
    return 0;
}

int runMakeJpeg(const QStringList &args)
{
    Options o;
    qint64 width = 0, height = 0;
    if (!o.parse(args, 1, {QStringLiteral("width"), QStringLiteral("height")})
        || !o.number(QStringLiteral("width"), 4000, 1, width)
        || !o.number(QStringLiteral("height"), 6000, 1, height))
        return 2;
    if (!makeJpeg(o.positional()[0], static_cast<int>(width), static_cast<int>(height)))
        return fail(QStringLiteral("cannot write %1").arg(o.positional()[0]));
    QJsonObject line;
    line.insert(QStringLiteral("op"), QStringLiteral("make-jpeg"));
    line.insert(QStringLiteral("bytes"), QFileInfo(o.positional()[0]).size());
    line.insert(QStringLiteral("width"), width);
    line.insert(QStringLiteral("height"), height);
    printLine(line);
    return 0;
}

int runQuick(const QStringList &args)
{
    Options o;
    qint64 repeat = 0;
    if (!o.parse(args, 1, {QStringLiteral("query"), QStringLiteral("repeat"), QStringLiteral("list")})
        || !o.number(QStringLiteral("repeat"), 5, 1, repeat))
        return 2;
    const QString typed = o.value(QStringLiteral("query")).value_or(QString());
    const QString folder = folderOf(o.positional()[0]);
    const QString articlePath = DataFiles::path(folder, DataFiles::ArticleFile);
    const qint64 articles = countRecords(articlePath);
    QList<double> times, floors, cpu, floorCpu;
    std::vector<ArticlePlace> hits;
    for (qint64 i = 0; i < repeat; ++i) {
        double fc = 0;
        floors << floorReadMs(articlePath, nullptr, &fc);
        floorCpu << fc;
        hits = {};
        const double cpuStart = cpuNowMs();
        QElapsedTimer clock;
        clock.start();
        // The list screen's pass: the typed text split and folded, then the file.
        hits = RunQuickSearch(folder, QuickQuery(TypedInput::mapTypedText(typed)));
        times << elapsedMs(clock);
        cpu << cpuNowMs() - cpuStart;
    }
    if (const auto list = o.value(QStringLiteral("list"))) {
        QFile out(*list);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return fail(QStringLiteral("cannot write %1").arg(*list));
        QByteArray lines;
        for (const ArticlePlace &hit : hits)
            lines += QByteArray::number(hit.recordNumber) + '\n';
        out.write(lines);
    }
    QJsonObject line = resultLine(QStringLiteral("quick"), articles, QFileInfo(articlePath).size(),
                                  summarise(times), summarise(floors));
    line.insert(QStringLiteral("query"), typed);
    line.insert(QStringLiteral("hits"), qint64(hits.size()));
    addCpu(line, cpu, floorCpu);
    line.insert(QStringLiteral("repeat"), repeat);
    printLine(line);
    return 0;
}

int runEdit(const QStringList &args)
{
    Options o;
    qint64 at = 0, repeat = 0;
    if (!o.parse(args, 1, {QStringLiteral("at"), QStringLiteral("title"), QStringLiteral("repeat")})
        || !o.number(QStringLiteral("at"), -1, 0, at) || !o.number(QStringLiteral("repeat"), 5, 1, repeat))
        return 2;
    const auto title = o.value(QStringLiteral("title"));
    if (at < 0 || !title)
        return fail(QStringLiteral("edit needs --at K and --title T"));
    const QString folder = folderOf(o.positional()[0]);
    const QString articlePath = DataFiles::path(folder, DataFiles::ArticleFile);

    // The article as the detail view read it, and as the correction screen
    // makes it.
    ArticleRecord original;
    qint64 articles = 0;
    {
        RecordFileCodec file(articlePath, RecordFileCodec::OpenMode::Read);
        RawField fields[ArticleRecord::kFieldCount];
        while (!file.AtEnd()) {
            if (articles == at)
                original = ArticleRecord::read(file);
            else
                file.readRawRecord(ArticleRecord::kFieldCount, fields);
            ++articles;
        }
    }
    if (at >= articles)
        return fail(QStringLiteral("--at %1 is beyond the last record (%2 articles)").arg(at).arg(articles));
    ArticleRecord corrected = original;
    corrected.Title = *title;
    const qint64 bytes = QFileInfo(articlePath).size();

    QTemporaryDir backup(folder + QStringLiteral("bench-original-XXXXXX"));
    if (!backup.isValid())
        return fail(QStringLiteral("cannot make a backup folder in %1").arg(folder));
    const QString saved = backup.filePath(DataFiles::ArticleFile);
    restoreFile(articlePath, saved);

    QList<double> times, floors, syncs, cpu, floorCpu;
    Replacement outcome;
    for (qint64 i = 0; i < repeat; ++i) {
        if (i > 0)
            restoreFile(saved, articlePath);
        ::sync();
        double fc = 0;
        floors << floorReadMs(articlePath, nullptr, &fc);
        floorCpu << fc;
        resetSyncClock();
        const double cpuStart = cpuNowMs();
        QElapsedTimer clock;
        clock.start();
        outcome = ReplaceArticle(folder, original, corrected);
        const double total = elapsedMs(clock);
        cpu << cpuNowMs() - cpuStart;
        syncs << syncMs();
        times << total - syncMs();
    }
    QJsonObject line = resultLine(QStringLiteral("edit"), articles, bytes, summarise(times), summarise(floors));
    line.insert(QStringLiteral("sync_ms"), summarise(syncs).medianMs);
    addCpu(line, cpu, floorCpu);
    line.insert(QStringLiteral("replaced"), outcome.outcome == Replacement::Outcome::Replaced);
    line.insert(QStringLiteral("record"), qint64(outcome.place.recordNumber));
    line.insert(QStringLiteral("repeat"), repeat);
    printLine(line);
    return 0;
}

// Resident memory now, from /proc (the peak alone cannot tell what the
// list holds once filled).
qint64 statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

qint64 currentRssKb()
{
    return statusKb("VmRSS:");
}

int runList(const QStringList &args)
{
    Options o;
    qint64 repeat = 0;
    if (!o.parse(args, 1, {QStringLiteral("query"), QStringLiteral("repeat")})
        || !o.number(QStringLiteral("repeat"), 1, 1, repeat))
        return 2;
    const QString folder = folderOf(o.positional()[0]);
    // The screen reads its folder from the settings: a private settings
    // folder, so the user's own choice stays as it is.
    QTemporaryDir config;
    if (!config.isValid())
        return fail(QStringLiteral("cannot make a settings folder"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    SettingsStore::SaveSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address"), folder);
    const qint64 before = currentRssKb();

    // The real screen, drawn offscreen: the list, the rows on screen, the
    // sorts by every column.
    ArticleListScreen screen;
    const qint64 constructed = currentRssKb();
    QElapsedTimer clock;
    clock.start();
    if (!screen.Form_Load())
        return fail(QStringLiteral("the list screen did not open on %1").arg(folder));
    if (const auto typed = o.value(QStringLiteral("query"))) {
        screen.findChild<QLineEdit *>(QStringLiteral("QueryBox"))->setText(*typed);
        screen.runSearch();
    }
    const double fillMs = elapsedMs(clock);
    const qint64 filled = currentRssKb();
    const qint64 filledPeak = peakRssKb();
    screen.show();
    QCoreApplication::processEvents();
    const qint64 shown = currentRssKb();
    ArticleListModel *model = screen.model();
    QJsonObject sorts, sortsCpu;
    QList<double> cpuTimes;
    for (int column = 0; column < kListColumnCount; ++column) {
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            QList<double> times, cpus;
            for (qint64 i = 0; i < repeat; ++i) {
                const double cpu = cpuNowMs();
                clock.restart();
                model->sort(column, order);
                times << elapsedMs(clock);
                cpus << cpuNowMs() - cpu;
                QCoreApplication::processEvents();
            }
            cpuTimes << cpus;
            const QString name = model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()
                                 + (order == Qt::AscendingOrder ? QString() : QStringLiteral(" desc"));
            sorts.insert(name, summarise(times).medianMs);
            sortsCpu.insert(name, summarise(cpus).medianMs);
        }
    }
    QJsonObject line;
    line.insert(QStringLiteral("op"), QStringLiteral("list"));
    line.insert(QStringLiteral("hits"), model->rowCount());
    line.insert(QStringLiteral("fill_ms"), fillMs);
    line.insert(QStringLiteral("sort_ms"), sorts);
    line.insert(QStringLiteral("sort_cpu_ms"), sortsCpu);
    line.insert(QStringLiteral("sort_cpu_max_ms"), summarise(cpuTimes).maxMs);
    line.insert(QStringLiteral("rss_before_kb"), before);
    line.insert(QStringLiteral("rss_screen_kb"), constructed);
    line.insert(QStringLiteral("rss_filled_kb"), filled);
    line.insert(QStringLiteral("peak_filled_kb"), filledPeak);
    line.insert(QStringLiteral("rss_shown_kb"), shown);
    line.insert(QStringLiteral("rss_sorted_kb"), currentRssKb());
    // Pages of mapped files (fonts, libraries, ICU's data) are shared and
    // can be dropped and read again; the rest is the process's own.
    line.insert(QStringLiteral("rss_file_kb"), statusKb("RssFile:"));
    line.insert(QStringLiteral("rss_anon_kb"), statusKb("RssAnon:"));
    line.insert(QStringLiteral("peak_rss_kb"), peakRssKb());
    printLine(line);
    return 0;
}

int usage()
{
    std::fputs(
        "usage: pagelore-bench generate DIR --articles N [--seed S]\n"
        "       pagelore-bench search DIR [--title T] [--writer W] [--magazine M] [--page P]\n"
        "                      [--category C] [--form F] [--date D] [--keyword1 K] [--keyword2 K] [--repeat R]\n"
        "       pagelore-bench remove DIR --at K [--repeat R]\n"
        "       pagelore-bench register DIR [--repeat R]\n"
        "       pagelore-bench browse DIR [--file NAME] [--repeat R]\n"
        "       pagelore-bench page FILE [--repeat R]\n"
        "       pagelore-bench make-jpeg FILE [--width W] [--height H]\n"
        "       pagelore-bench quick DIR [--query Q] [--repeat R] [--list FILE]\n"
        "       pagelore-bench edit DIR --at K --title T [--repeat R]\n"
        "       pagelore-bench list DIR [--query Q] [--repeat R]\n",
        stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    // The list screen needs widgets, drawn offscreen; the rest needs no GUI.
    const bool widgets = argc > 1 && qstrcmp(argv[1], "list") == 0;
    if (widgets && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app(widgets ? new QApplication(argc, argv)
                                                  : new QCoreApplication(argc, argv));
    QStringList args = app->arguments().mid(1);
    if (args.isEmpty())
        return usage();
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("generate"))
            return runGenerate(args);
        if (command == QLatin1String("search"))
            return runSearch(args);
        if (command == QLatin1String("remove"))
            return runRemove(args);
        if (command == QLatin1String("register"))
            return runRegister(args);
        if (command == QLatin1String("browse"))
            return runBrowse(args);
        if (command == QLatin1String("page"))
            return runPage(args);
        if (command == QLatin1String("make-jpeg"))
            return runMakeJpeg(args);
        if (command == QLatin1String("quick"))
            return runQuick(args);
        if (command == QLatin1String("edit"))
            return runEdit(args);
        if (command == QLatin1String("list"))
            return runList(args);
    } catch (const StorageError &e) {
        return fail(e.message());
    } catch (const FieldEncodeError &e) {
        return fail(e.reasonText());
    }
    return usage();
}
