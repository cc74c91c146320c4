#pragma once

#include "DateValue.h"
#include "StorageError.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <memory>
#include <span>
#include <stdexcept>
#include <variant>

namespace pagelore {

enum class FieldKind { String, Int16, UInt8, Date };

using FieldValue = std::variant<QString, qint16, quint8, DateValue>;
using Record = QList<FieldValue>;

// A text that the line format cannot carry: the format has no escape for the
// double quote, and the files hold only what code page 932 can represent.
class FieldEncodeError : public std::runtime_error {
public:
    enum class Reason { DoubleQuote, Unrepresentable };
    FieldEncodeError(int fieldIndex, Reason reason, char32_t character);

    int fieldIndex() const { return m_field; }  // 0-based position in the record
    Reason reason() const { return m_reason; }
    char32_t character() const { return m_character; }
    // Japanese explanation of what is wrong, naming the character; the caller
    // puts the field's name in front of it.
    QString reasonText() const;

private:
    int m_field;
    Reason m_reason;
    char32_t m_character;
};

// One field as it stands in the file, before conversion. The bytes point into
// the reader's buffer and stay valid until the next read.
struct RawField {
    enum class Form : char { Unquoted, Quoted, DateLiteral };
    const char *data = nullptr;
    qsizetype size = 0;
    Form form = Form::Unquoted;
    qint64 offset = 0;  // of the field's first byte in the file
    QByteArrayView bytes() const { return {data, size}; }
};

// The comma-separated, quoted line format shared by every data file. An object
// is one open file, in one of the three ways of opening; it closes with its
// destructor or close().
class RecordFileCodec {
public:
    // Write: from the start, over what the file holds; close() cuts the file
    // where the new contents end (and empties it when writing failed).
    enum class OpenMode { Read, Append, Write };

    // Throws StorageError when the file cannot be opened that way.
    RecordFileCodec(const QString &path, OpenMode mode);
    ~RecordFileCodec();
    RecordFileCodec(const RecordFileCodec &) = delete;
    RecordFileCodec &operator=(const RecordFileCodec &) = delete;

    // Writing: records are buffered and reach the file at latest on close().
    // Throws FieldEncodeError before anything of the record is buffered.
    void WriteRecord(const Record &values);
    // Writes bytes already in the line format (one or more whole records).
    void writeEncoded(QByteArrayView bytes);
    // Writes the first `length` bytes of the open file `fd`, whole records in
    // the line format, after what was written so far.
    void writeFileContents(int fd, qint64 length);

    // Reading. Throws StorageError for a malformed record; the position is
    // then undefined and the file should be closed.
    Record ReadRecord(std::span<const FieldKind> kinds);
    bool AtEnd();
    // Reads the next record's fields without converting them. `whole` gets the
    // record's bytes from its first field to its end, line end included.
    void readRawRecord(int fieldCount, RawField *fields, QByteArrayView *whole = nullptr);
    // For a reader that recognises records itself: the bytes already read
    // beyond the last record taken (perhaps only part of the next record;
    // AtEnd() reads more when none are left), valid until the next read.
    QByteArrayView unread() const { return {m_buffer.constData() + m_pos, m_end - m_pos}; }
    // Takes the first `size` bytes of unread() as the next record.
    void takeRecord(qsizetype size)
    {
        m_pos += size;
        ++m_recordsRead;
    }
    // Reading from a place found earlier: the next record read starts at
    // byte `offset` and counts as record `recordNumber`. A place within the
    // bytes already read costs no read from the file.
    void seek(qint64 offset, qint64 recordNumber);

    // Flushes and closes. For a file opened for appending, a failed write
    // truncates the file back to its length at opening, so the records of
    // this opening are written whole or not at all. Throws StorageError.
    void close();
    bool isOpen() const;

    const QString &path() const { return m_path; }
    int handle() const;  // of the open file
    qint64 recordsRead() const { return m_recordsRead; }
    qint64 position() const { return m_bufferOffset + m_pos; }

    // Encodes one record with its line end. Throws FieldEncodeError.
    static QByteArray encodeRecord(const Record &values);
    static void appendEncodedField(QByteArray &out, const FieldValue &value, int fieldIndex);
    // Throws FieldEncodeError when the text cannot be stored in a String
    // field: the screens check typed text with it before anything is written.
    static void checkText(const QString &text, int fieldIndex);
    // Converts one raw field; throws StorageError (with record/offset filled in
    // from the arguments).
    static FieldValue convertField(const RawField &raw, FieldKind kind, const QString &path, qint64 recordNumber,
                                   int fieldNumber);

    static constexpr qsizetype kMaxRecordBytes = 16 * 1024 * 1024;

private:
    bool fill();  // reads more bytes; false at end of file
    // One field from buffer position p and the delimiter after it; false
    // when the bytes read so far end first.
    bool readRawField(qsizetype &p, RawField &field, int fieldNumber);
    bool consumeDelimiter(qsizetype &p) const;
    void throwFormat(StorageError::Kind kind, qint64 offset, int field) const;
    void flushBuffer();

    QString m_path;
    OpenMode m_mode;
    std::unique_ptr<QFile> m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;          // read position within m_buffer
    qsizetype m_end = 0;          // bytes valid in m_buffer
    qint64 m_bufferOffset = 0;    // file offset of m_buffer[0]
    bool m_eof = false;
    qint64 m_recordsRead = 0;
    qint64 m_initialSize = 0;     // append mode: length before this opening
    bool m_writeFailed = false;
};

}  // namespace pagelore
