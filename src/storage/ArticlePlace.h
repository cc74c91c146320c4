#pragma once

#include "ArticleRecord.h"
#include "RecordFileCodec.h"

#include <QString>

#include <memory>

namespace pagelore {

// Where an article stands in the article file: the byte offset of its first
// byte and its 1-based number. A list of hits keeps only this, and reads an
// article's texts again when it needs them; twelve bytes each, as a list of
// a million is held in memory.
#pragma pack(push, 4)
struct ArticlePlace {
    qint64 offset = 0;
    quint32 recordNumber = 0; // a record takes 44 bytes at least, so this never runs out

    friend bool operator==(const ArticlePlace &, const ArticlePlace &) = default;
};
#pragma pack(pop)
static_assert(sizeof(ArticlePlace) == 12);

// Reads single articles at known places of one article file, which it keeps
// open. Places read in file order are served from one block read ahead.
class PlaceReader {
public:
    // Throws StorageError when the file cannot be opened.
    explicit PlaceReader(const QString &path);
    // Throws StorageError when the bytes there are no whole article (the
    // file changed since the place was found, or it is malformed there).
    ArticleRecord read(const ArticlePlace &place);
    const QString &path() const { return m_file.path(); }

private:
    RecordFileCodec m_file;
};

} // namespace pagelore
