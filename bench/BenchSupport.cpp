#include "Bench.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <ctime>

#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

namespace pagelore::bench {

bool Options::parse(const QStringList &args, int positionalCount, const QStringList &known)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a.startsWith(QLatin1String("--"))) {
            const QString name = a.mid(2);
            if (!known.contains(name)) {
                std::fprintf(stderr, "unknown option %s\n", qPrintable(a));
                return false;
            }
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "option %s needs a value\n", qPrintable(a));
                return false;
            }
            m_values.insert(name, args[++i]);
        } else {
            m_positional.append(a);
        }
    }
    if (m_positional.size() != positionalCount) {
        std::fprintf(stderr, "expected %d argument(s), got %lld\n", positionalCount,
                     static_cast<long long>(m_positional.size()));
        return false;
    }
    return true;
}

std::optional<QString> Options::value(const QString &name) const
{
    const auto it = m_values.constFind(name);
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

bool Options::number(const QString &name, qint64 fallback, qint64 minimum, qint64 &out) const
{
    const auto text = value(name);
    if (!text) {
        out = fallback;
        return true;
    }
    bool ok = false;
    out = text->toLongLong(&ok);
    if (!ok || out < minimum) {
        std::fprintf(stderr, "--%s wants a whole number of at least %lld\n", qPrintable(name),
                     static_cast<long long>(minimum));
        return false;
    }
    return true;
}

Timings summarise(QList<double> samples)
{
    Timings t;
    if (samples.isEmpty())
        return t;
    std::sort(samples.begin(), samples.end());
    const qsizetype n = samples.size();
    t.minMs = samples.front();
    t.maxMs = samples.back();
    t.medianMs = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    return t;
}

double cpuNowMs()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double floorReadMs(const QString &path, qint64 *lineEnds, double *cpuMs)
{
    const double cpuStart = cpuNowMs();
    QElapsedTimer clock;
    clock.start();
    std::FILE *f = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!f)
        return -1;
    std::vector<char> buffer(1 << 16);
    qint64 count = 0;
    for (;;) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), f);
        if (n == 0)
            break;
        count += std::count(buffer.data(), buffer.data() + n, '\n');
    }
    std::fclose(f);
    const double ms = clock.nsecsElapsed() / 1e6;
    if (cpuMs)
        *cpuMs = cpuNowMs() - cpuStart;
    if (lineEnds)
        *lineEnds = count;
    return ms;
}

qint64 peakRssKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

namespace {
qint64 g_syncNs = 0;
}

void resetSyncClock()
{
    g_syncNs = 0;
}

double syncMs()
{
    return g_syncNs / 1e6;
}

void printLine(const QJsonObject &line)
{
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact);
    std::fwrite(text.constData(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "pagelore-bench: %s\n", message.toLocal8Bit().constData());
    return 1;
}

}  // namespace pagelore::bench

// The flushes to disk (a removal's new files and their folder, a
// registration's appended record) are timed on their own: these wrap the C
// library's calls.
extern "C" {

int fsync(int fd)
{
    using Fn = int (*)(int);
    static const Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fsync"));
    QElapsedTimer clock;
    clock.start();
    const int rc = real(fd);
    pagelore::bench::g_syncNs += clock.nsecsElapsed();
    return rc;
}

int fdatasync(int fd)
{
    using Fn = int (*)(int);
    static const Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "fdatasync"));
    QElapsedTimer clock;
    clock.start();
    const int rc = real(fd);
    pagelore::bench::g_syncNs += clock.nsecsElapsed();
    return rc;
}

}
