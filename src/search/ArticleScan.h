#pragma once

#include "storage/ArticleRecord.h"
#include "storage/RecordFileCodec.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>
#include <optional>

namespace pagelore::scan {

// One article as it stands in the file, with what the byte-level tests need.
// Only a record whose bytes are exactly what the writer would make of its
// values is taken at byte level ("canonical"); any other record is converted
// in full, so both ways give the same answers and the same errors.
struct ScannedArticle {
    std::array<RawField, ArticleRecord::kFieldCount> fields;
    QByteArrayView whole;     // the record's bytes, line end included
    qint64 recordNumber = 0;  // 1-based
    bool canonical = false;
    quint16 patternFields = 0;  // bit i: text field i holds ? * # or [ as a character
    qint16 firstPage = 0;       // canonical records only
    qint16 lastPage = 0;
    std::optional<ArticleRecord> converted;  // set for every record that is not canonical

    bool hasPattern(int field) const { return patternFields & (1u << field); }
    QByteArrayView bytes(int field) const { return fields[field].bytes(); }
};

struct ScanTables;
struct Lookahead;

class ArticleScanner {
public:
    explicit ArticleScanner(RecordFileCodec &file);
    ~ArticleScanner();
    ArticleScanner(const ArticleScanner &) = delete;
    ArticleScanner &operator=(const ArticleScanner &) = delete;

    // Reads the next record; throws StorageError exactly where a conversion
    // of the record into an ArticleRecord would.
    void next(ScannedArticle &article);
    // Takes the next record only when it stands whole in the bytes the
    // reader holds, in the writer's own form; nothing is read from the file
    // then, so the records taken this way since the last read still lie one
    // after another in the reader's buffer. False (nothing taken) otherwise.
    bool nextInBuffer(ScannedArticle &article)
    {
        article.converted.reset();
        return takeCanonical(article);
    }
    // The text of one field of a canonical record.
    QString text(const ScannedArticle &article, int field) const;
    // The whole article, converted.
    ArticleRecord convert(const ScannedArticle &article) const;

private:
    bool takeCanonical(ScannedArticle &article);
    bool quickCheck(ScannedArticle &article) const;
    RecordFileCodec &m_file;
    const ScanTables *m_tables;
    bool m_writerLayout;  // the article's fields are those the block walk reads
    std::unique_ptr<Lookahead> m_ahead;
};

// A condition text as the file would spell it; no bytes when the code page
// cannot carry it (then it equals no stored text).
struct StoredSpelling {
    QByteArray bytes;
    bool representable = false;
    static StoredSpelling of(const QString &text);
    bool equals(QByteArrayView stored) const { return representable && stored == bytes; }
};

}  // namespace pagelore::scan
