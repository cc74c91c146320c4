#pragma once

// The two roads of a search and a removal through an article file, for the
// differential test and the fuzz target. The plain road converts every
// record and tests it with RecordMatches and ShownCandidate::matches; the
// product's takes most records at byte level, from the block index that the
// selected kernel builds. Both must leave the same files and meet the same
// errors.

#include "search/Search.h"
#include "storage/DataFiles.h"

#include <QFile>

namespace pagelore::roads {

struct Outcome {
    int hits = 0; // -1 after an error
    QByteArray result, articles, scratch;
    QString searchError, removalError;
    bool operator==(const Outcome &) const = default;
};

// Searches `file` for `c` and removes `candidate` from it.
inline Outcome take(const QString &folder, const QByteArray &file, const SearchConditions &c,
                    const ShownCandidate &candidate, bool plain)
{
    const auto path = [&folder](const QString &name) { return DataFiles::path(folder, name); };
    const auto describe = [](const StorageError &e) {
        return u"kind %1 record %2 byte %3 field %4"_qs.arg(int(e.kind()))
            .arg(e.recordNumber())
            .arg(e.byteOffset())
            .arg(e.fieldNumber());
    };
    const auto read = [](const QString &at) {
        QFile f(at);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("missing");
    };
    Outcome o;
    for (const auto &[name, bytes] : {std::pair{DataFiles::ArticleFile, file},
                                      {DataFiles::ResultFile, "old"},
                                      {DataFiles::ScratchFile, "stale"}}) {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
            o.hits = -2;
            return o;
        }
    }
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
        o.hits = -1;
        o.result.clear();
        o.searchError = o.removalError = describe(e);
        removed = false;
    }
    if (plain) {
        o.articles = removed ? kept : file;
        o.scratch = removed ? kept : "stale";
        return o;
    }
    o.removalError.clear();
    try {
        RemoveArticle(folder, candidate);
    } catch (const StorageError &e) {
        o.removalError = describe(e);
    }
    o.result = read(path(DataFiles::ResultFile));
    o.articles = read(path(DataFiles::ArticleFile));
    // What is left in the scratch file after an error does not matter.
    o.scratch = o.removalError.isEmpty() ? read(path(DataFiles::ScratchFile)) : "stale";
    return o;
}

} // namespace pagelore::roads
