#pragma once

#include "DateValue.h"
#include "RecordFileCodec.h"

#include <QString>
#include <QStringList>

#include <array>

namespace pagelore {

// Everything known about one registered article, in the order of the file.
struct ArticleRecord {
    QString Title;
    QString Writer;
    QString Magazine;
    qint16 FirstPage = 0;
    qint16 LastPage = 0;
    QString Category;
    QString PublicationForm;
    DateValue PublicationDate;
    QString Content;
    QString Keyword1;
    QString Keyword2;
    QString Keyword3;
    QString ImageBase;
    quint8 FirstImageNo = 0;
    quint8 LastImageNo = 0;

    static constexpr int kFieldCount = 15;
    static const std::array<FieldKind, kFieldCount> kKinds;

    Record toRecord() const;
    // The record must have the fifteen kinds of kKinds.
    static ArticleRecord fromRecord(const Record &record);

    // Reads the next article of an open file; throws StorageError.
    static ArticleRecord read(RecordFileCodec &file);
    // Encodes the article as one line (or several, for a content with line
    // breaks) with its line end; throws FieldEncodeError.
    QByteArray encode() const;

    friend bool operator==(const ArticleRecord &, const ArticleRecord &) = default;
};

// The articles of one file read one at a time, the file held open between
// reads: the result browsers page through the hits of a search this way.
class ArticleReader {
public:
    // Throws StorageError when the file cannot be opened for reading.
    explicit ArticleReader(const QString &path);
    bool atEnd() { return m_file.AtEnd(); }
    // Throws StorageError for a malformed record.
    ArticleRecord next() { return ArticleRecord::read(m_file); }

private:
    RecordFileCodec m_file;
};

// The fixed publication forms offered by the entry and search screens.
const QStringList &PublicationFormChoices();

}  // namespace pagelore
