#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

// The readers work on files, as the application does: a fuzz input becomes
// a file, in PAGELORE_FUZZ_DIR (scripts/fuzz.sh removes it afterwards), else
// in memory-backed /dev/shm where there is one.
inline QString fuzzFilePath()
{
    static const QString dir = qEnvironmentVariable(
        "PAGELORE_FUZZ_DIR", QDir(u"/dev/shm"_qs).exists() ? u"/dev/shm"_qs : QDir::tempPath());
    return u"%1/pagelore-fuzz-%2.PLR"_qs.arg(dir).arg(::getpid());
}

inline QString writeFuzzFile(const uint8_t *data, size_t size)
{
    QFile f(fuzzFilePath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    return f.fileName();
}

// Splits an input in two at the first NUL byte (or in the middle).
inline std::pair<QByteArray, QByteArray> splitInput(const uint8_t *data, size_t size)
{
    const QByteArray all(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype nul = all.indexOf('\0'), half = all.size() / 2;
    return nul < 0 ? std::pair{all.left(half), all.mid(half)} : std::pair{all.left(nul), all.mid(nul + 1)};
}

#define FUZZ_CHECK(cond)                                                                                          \
    do {                                                                                                          \
        if (!(cond)) {                                                                                            \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #cond, __FILE__, __LINE__);                        \
            std::abort();                                                                                         \
        }                                                                                                         \
    } while (0)
