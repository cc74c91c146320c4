#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// A fuzz input turned into a file the reader can open: the reader works on
// files, as the application does. The file lives in memory-backed /dev/shm
// where there is one.
inline QString fuzzFilePath()
{
    static const QString path = [] {
        const QString dir = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        return QStringLiteral("%1/pagelore-fuzz-%2.PLR").arg(dir).arg(::getpid());
    }();
    return path;
}

inline QString writeFuzzFile(const uint8_t *data, size_t size)
{
    const QString path = fuzzFilePath();
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    return path;
}

// Splits an input in two at the first NUL byte (or in the middle).
inline std::pair<QByteArray, QByteArray> splitInput(const uint8_t *data, size_t size)
{
    const QByteArray all(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype nul = all.indexOf('\0');
    if (nul >= 0)
        return {all.left(nul), all.mid(nul + 1)};
    return {all.left(all.size() / 2), all.mid(all.size() / 2)};
}

#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)
