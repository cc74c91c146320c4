#pragma once

// A search and a removal by the plain road (every record converted, tested
// with RecordMatches and ShownCandidate::matches) or by the product's, which
// takes most records at byte level from the selected kernel's block index:
// both must leave the same files and meet the same errors.

#include "search/SecondHalf.h"
#include "search/Search.h"
#include "storage/DataFiles.h"

#include <QFile>

#include <stdexcept>

namespace pagelore::roads {

struct Outcome {
    int hits = 0; // -1 after an error
    QByteArray result, articles, scratch;
    QString searchError, removalError;
    bool operator==(const Outcome &) const = default;
};

// While it lives, a file of any size is read in two halves at once, and the
// second reader holds at most `held` bytes in memory.
struct TwoHalves {
    const qint64 was = scan::sharedFrom(), heldBefore = scan::heldInMemory();
    explicit TwoHalves(qint64 held = 100)
    {
        scan::setSharedFrom(0);
        scan::setHeldInMemory(held);
    }
    ~TwoHalves()
    {
        scan::setSharedFrom(was);
        scan::setHeldInMemory(heldBefore);
    }
    TwoHalves(const TwoHalves &) = delete;
    TwoHalves &operator=(const TwoHalves &) = delete;
};

inline Outcome take(const QString &folder, const QByteArray &file, const SearchConditions &c,
                    const ShownCandidate &candidate, bool plain)
{
    const auto path = [&folder](const QString &name) { return DataFiles::path(folder, name); };
    const auto describe = [](const StorageError &e) {
        return QString::asprintf("kind %d record %lld byte %lld field %d", int(e.kind()), e.recordNumber(),
                                 e.byteOffset(), e.fieldNumber());
    };
    const auto read = [&path](const QString &name) {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
    };
    const auto write = [&path](const QString &name, const QByteArray &bytes) {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            throw std::runtime_error("the files to search cannot be written");
    };
    // The last hits outnumber any pass's, so what the pass leaves of them shows.
    write(DataFiles::ArticleFile, file), write(DataFiles::ResultFile, file + "old"),
        write(DataFiles::ScratchFile, "stale");
    Outcome o;
    QByteArray kept;
    bool removed = false;
    try {
        if (!plain)
            o.hits = RunSearchPass(folder, c).hits;
        for (RecordFileCodec in(path(DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
             plain && !in.AtEnd();) {
            const qint64 start = in.position();
            const ArticleRecord a = ArticleRecord::read(in);
            if (RecordMatches(a, c))
                ++o.hits, o.result += a.encode();
            if (!removed && candidate.matches(a))
                removed = true;
            else
                kept += file.mid(start, in.position() - start);
        }
    } catch (const StorageError &e) {
        o = {-1, {}, file, "stale", describe(e), plain ? describe(e) : QString()};
    }
    if (plain)
        return o.hits < 0 ? o : Outcome{o.hits, o.result, removed ? kept : file, removed ? kept : "stale", {}, {}};
    try {
        RemoveArticle(folder, candidate);
    } catch (const StorageError &e) {
        o.removalError = describe(e);
    }
    // What is left in the scratch file after an error does not matter.
    return {o.hits,
            read(DataFiles::ResultFile),
            read(DataFiles::ArticleFile),
            o.removalError.isEmpty() ? read(DataFiles::ScratchFile) : "stale",
            o.searchError,
            o.removalError};
}

} // namespace pagelore::roads
