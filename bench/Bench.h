#pragma once

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace pagelore::bench {

// Options of one sub-command: `--name value` pairs after the positional
// arguments.
class Options {
public:
    // False (with a message on standard error) for a malformed command line.
    bool parse(const QStringList &args, int positionalCount, const QStringList &known);
    const QStringList &positional() const { return m_positional; }
    std::optional<QString> value(const QString &name) const;
    // The option as a whole number >= minimum, or the default; false on bad text.
    bool number(const QString &name, qint64 fallback, qint64 minimum, qint64 &out) const;

private:
    QStringList m_positional;
    QHash<QString, QString> m_values;
};

struct Timings {
    double medianMs = 0;
    double minMs = 0;
    double maxMs = 0;
};
Timings summarise(QList<double> samples);

// The cheapest pass over a file: buffered reads, counting line ends.
// Returns the elapsed time; `cpuMs` gets the processor time it took.
double floorReadMs(const QString &path, qint64 *lineEnds = nullptr, double *cpuMs = nullptr);
// Processor time of this process so far. On a shared machine the elapsed
// time includes waiting for a core; this does not.
double cpuNowMs();
qint64 peakRssKb();
// Milliseconds spent in fsync/fdatasync since the last reset.
void resetSyncClock();
double syncMs();

// One JSON object on one line of standard output.
void printLine(const QJsonObject &line);
int fail(const QString &message);  // message on standard error, returns 1

// Deterministic generator behind `generate`.
struct GenerateStats {
    qint64 articles = 0;
    qint64 bytes = 0;
};
GenerateStats generateCollection(const QString &folder, qint64 articles, std::uint64_t seed);

// A synthetic photograph-like JPEG for `page`.
bool makeJpeg(const QString &path, int width, int height);

}  // namespace pagelore::bench
