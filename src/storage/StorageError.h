#pragma once

#include <QString>

#include <stdexcept>

namespace pagelore {

// A failure of a file operation or of reading a data file. It carries what a
// message needs: the file, where in it, and why. Screens catch it at the edge
// of their handlers and show message() to the user.
class StorageError : public std::runtime_error {
public:
    enum class Kind {
        FileMissing,        // a file opened for reading does not exist
        NotAFile,           // a folder (or something else) stands where a file should
        OpenFailed,         // the file exists but cannot be opened
        ReadFailed,         // an I/O error while reading
        WriteFailed,        // cannot create, write, flush or rename
        SameFile,           // a copy whose source and target are one file
        UnterminatedQuote,  // a text or date field without its closing mark
        UnexpectedEnd,      // the file ends in the middle of a record
        NotANumber,         // text where a number is expected
        NumberOutOfRange,   // a number beyond its field's range
        BadDate,            // a date literal that spells no date
        BadEncoding,        // bytes that are not code page 932
        RecordTooLarge,     // a record beyond the size any real article has
        StrayQuote,         // a double quote inside an unquoted text, which no writer produces
    };

    StorageError(Kind kind, QString path, QString detail = {});
    StorageError(Kind kind, QString path, qint64 recordNumber, qint64 byteOffset, int fieldNumber,
                 QString detail = {});

    Kind kind() const { return m_kind; }
    const QString &path() const { return m_path; }
    qint64 recordNumber() const { return m_record; }  // 1-based; 0 when not about a record
    qint64 byteOffset() const { return m_offset; }    // -1 when not about a position
    int fieldNumber() const { return m_field; }       // 1-based; 0 when not about a field
    const QString &detail() const { return m_detail; }

    // One Japanese message that names the file and, for a malformed file, the
    // record, the field and the byte offset.
    QString message() const;

    bool isFormatError() const;

private:
    Kind m_kind;
    QString m_path;
    qint64 m_record = 0;
    qint64 m_offset = -1;
    int m_field = 0;
    QString m_detail;
};

}  // namespace pagelore
