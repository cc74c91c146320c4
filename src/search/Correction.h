#pragma once

#include "storage/ArticlePlace.h"
#include "storage/ArticleRecord.h"

#include <QString>

namespace pagelore {

struct Replacement {
    enum class Outcome { Replaced, NotFound };
    Outcome outcome = Outcome::NotFound;
    ArticlePlace place; // of the article replaced
    qint64 oldSize = 0; // its bytes before, line end included
    qint64 newSize = 0; // and after
};

// Replaces the first article of the folder's article file that is equal to
// `original` in all fifteen fields by `corrected`. Every other byte of the
// file stays as it was. The new file is written beside the old one, flushed
// and renamed into place. When no article is equal, nothing is written.
// Throws FieldEncodeError (when `corrected` cannot be written) or
// StorageError, in both cases with the article file as it was.
Replacement ReplaceArticle(const QString &dataFolder, const ArticleRecord &original,
                           const ArticleRecord &corrected);

} // namespace pagelore
