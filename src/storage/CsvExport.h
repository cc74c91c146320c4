#pragma once

#include "ArticleRecord.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace pagelore {

// Articles for a spreadsheet: UTF-8 with a byte-order mark, a header row,
// the fifteen fields of each article, quoted where RFC 4180 asks for it (a
// comma, a double quote or a line break), CR LF line ends, dates as
// yyyy-mm-dd (with the time of day after a space when there is one).
namespace CsvExport {

QByteArray headerLine();
QByteArray articleLine(const ArticleRecord &article);

// Writes `count` articles, the i-th given by `article(i)`, to `path`: the
// file is written beside its place and renamed into place, so a failure
// (StorageError naming the file, or whatever `article` throws) leaves any
// earlier file there as it was.
void write(const QString &path, qint64 count, const std::function<ArticleRecord(qint64)> &article);

} // namespace CsvExport
} // namespace pagelore
