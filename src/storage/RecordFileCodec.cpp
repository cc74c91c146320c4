#include "RecordFileCodec.h"

#include "FileOps.h"

#include "platform/Cp932.h"

#include <QFileInfo>
#include <QVarLengthArray>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace pagelore {

namespace {

constexpr qsizetype kInitialBuffer = 1 << 20;
constexpr qsizetype kWriteFlushThreshold = 1 << 20;

using K = StorageError::Kind;

// Position of the first comma, CR or LF in [from, end), or end.
qsizetype findDelimiter(const char *buf, qsizetype from, qsizetype end)
{
    for (qsizetype i = from; i < end; ++i) {
        const char c = buf[i];
        if (c == ',' || c == '\r' || c == '\n')
            return i;
    }
    return end;
}

} // namespace

FieldEncodeError::FieldEncodeError(int fieldIndex, Reason reason, char32_t character)
    : std::runtime_error("field cannot be encoded"), m_field(fieldIndex), m_reason(reason), m_character(character)
{
}

QString FieldEncodeError::reasonText() const
{
    if (m_reason == Reason::DoubleQuote)
        return QStringLiteral("半角の二重引用符「\"」は記録できません。別の文字に置き換えてください。");
    return QStringLiteral("文字%1は記録できません(シフトJISで表せない文字です)。別の文字に置き換えてください。")
        .arg(Cp932::describeCharacter(m_character));
}

RecordFileCodec::RecordFileCodec(const QString &path, OpenMode mode)
    : m_path(path), m_mode(mode), m_file(std::make_unique<QFile>(path))
{
    const QFileInfo info(path);
    if (mode == OpenMode::Read) {
        if (!info.exists())
            throw StorageError(K::FileMissing, path);
        if (!info.isFile())
            throw StorageError(K::NotAFile, path);
        if (!m_file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw StorageError(K::OpenFailed, path, m_file->errorString());
        // Small files (the name lists) get a small buffer; it grows for long records.
        m_buffer.resize(std::clamp<qint64>(m_file->size() + 1, 4096, kInitialBuffer));
        return;
    }
    if (info.exists() && info.isDir())
        throw StorageError(K::NotAFile, path);
    if (mode == OpenMode::Append) {
        if (!m_file->open(QIODevice::WriteOnly | QIODevice::Unbuffered | QIODevice::Append))
            throw StorageError(K::WriteFailed, path, m_file->errorString());
        m_initialSize = m_file->size();
        return;
    }
    // Opened without cutting the file: its room is written over and only what
    // lies beyond the new contents is given back, on close().
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw StorageError(K::WriteFailed, path, QString::fromLocal8Bit(std::strerror(errno)));
    if (!m_file->open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw StorageError(K::WriteFailed, path, m_file->errorString());
    }
}

RecordFileCodec::~RecordFileCodec()
{
    try {
        close();
    } catch (const StorageError &) {
        // Callers that care about write errors call close() themselves.
    }
}

bool RecordFileCodec::isOpen() const
{
    return m_file && m_file->isOpen();
}

void RecordFileCodec::close()
{
    if (!isOpen())
        return;
    if (m_mode == OpenMode::Read) {
        m_file->close();
        return;
    }
    try {
        flushBuffer();
        // An appended record is reported as stored, so it must be on disk
        // before that; a rewritten file is scratch work that nobody waits on.
        if (m_mode == OpenMode::Append && ::fdatasync(m_file->handle()) != 0)
            throw StorageError(K::WriteFailed, m_path, QString::fromLocal8Bit(std::strerror(errno)));
        if (m_mode == OpenMode::Write && ::ftruncate(m_file->handle(), m_file->pos()) != 0)
            throw StorageError(K::WriteFailed, m_path, QString::fromLocal8Bit(std::strerror(errno)));
    } catch (const StorageError &) {
        // Nothing half-written stays: an append is taken back, a rewritten
        // file keeps nothing, old or new.
        m_file->resize(m_mode == OpenMode::Append ? m_initialSize : 0);
        m_file->close();
        throw;
    }
    m_file->close();
}

void RecordFileCodec::flushBuffer()
{
    if (m_writeFailed)
        throw StorageError(K::WriteFailed, m_path);
    qsizetype done = 0;
    while (done < m_end) {
        const qint64 n = m_file->write(m_buffer.constData() + done, m_end - done);
        if (n <= 0) {
            m_writeFailed = true;
            throw StorageError(K::WriteFailed, m_path, m_file->errorString());
        }
        done += n;
    }
    m_end = 0;
}

int RecordFileCodec::handle() const
{
    return m_file->handle();
}

void RecordFileCodec::writeFileContents(int fd, qint64 length)
{
    flushBuffer();
    const qint64 from = m_file->pos();
    if (!FileOps::copyRange(fd, 0, length, m_file->handle())) {
        m_writeFailed = true;
        throw StorageError(K::WriteFailed, m_path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    // The bytes went past the file object; it learns where they end.
    if (!m_file->seek(from + length))
        throw StorageError(K::WriteFailed, m_path, m_file->errorString());
}

void RecordFileCodec::writeEncoded(QByteArrayView bytes)
{
    // A large block goes to the file as it is, not through the buffer.
    if (bytes.size() >= kWriteFlushThreshold) {
        flushBuffer();
        for (qsizetype done = 0; done < bytes.size();) {
            const qint64 n = m_file->write(bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                m_writeFailed = true;
                throw StorageError(K::WriteFailed, m_path, m_file->errorString());
            }
            done += n;
        }
        return;
    }
    if (m_buffer.size() < m_end + bytes.size())
        m_buffer.resize(std::max(m_end + bytes.size(), kWriteFlushThreshold * 2));
    std::memcpy(m_buffer.data() + m_end, bytes.data(), bytes.size());
    m_end += bytes.size();
    if (m_end >= kWriteFlushThreshold)
        flushBuffer();
}

void RecordFileCodec::WriteRecord(const Record &values)
{
    writeEncoded(encodeRecord(values));
}

void RecordFileCodec::appendEncodedField(QByteArray &out, const FieldValue &value, int fieldIndex)
{
    if (const auto *text = std::get_if<QString>(&value)) {
        const qsizetype quote = text->indexOf(QLatin1Char('"'));
        if (quote >= 0)
            throw FieldEncodeError(fieldIndex, FieldEncodeError::Reason::DoubleQuote, U'"');
        const Cp932::EncodeResult encoded = Cp932::encode(*text);
        if (!encoded.ok)
            throw FieldEncodeError(fieldIndex, FieldEncodeError::Reason::Unrepresentable, encoded.badCharacter);
        out += '"';
        out += encoded.bytes;
        out += '"';
    } else if (const auto *i16 = std::get_if<qint16>(&value)) {
        out += QByteArray::number(*i16);
    } else if (const auto *u8 = std::get_if<quint8>(&value)) {
        out += QByteArray::number(*u8);
    } else {
        out += '#';
        out += std::get<DateValue>(value).toLiteral();
        out += '#';
    }
}

void RecordFileCodec::checkText(const QString &text, int fieldIndex)
{
    QByteArray scratch;
    appendEncodedField(scratch, text, fieldIndex);
}

QByteArray RecordFileCodec::encodeRecord(const Record &values)
{
    QByteArray out;
    out.reserve(256);
    for (int i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ',';
        appendEncodedField(out, values[i], i);
    }
    out += "\r\n";
    return out;
}

bool RecordFileCodec::fill()
{
    if (m_eof)
        return false;
    if (m_pos > 0) {
        const qsizetype rest = m_end - m_pos;
        std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, rest);
        m_bufferOffset += m_pos;
        m_end = rest;
        m_pos = 0;
    }
    if (m_end == m_buffer.size())
        m_buffer.resize(m_buffer.size() * 2);
    const qint64 got = m_file->read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got < 0)
        throw StorageError(K::ReadFailed, m_path, m_file->errorString());
    if (got == 0) {
        m_eof = true;
        return false;
    }
    m_end += got;
    return true;
}

bool RecordFileCodec::AtEnd()
{
    if (m_pos < m_end)
        return false;
    if (m_eof)
        return true;
    fill();
    return m_pos >= m_end;
}

void RecordFileCodec::seek(qint64 offset, qint64 recordNumber)
{
    m_recordsRead = recordNumber - 1;
    if (offset >= m_bufferOffset && offset <= m_bufferOffset + m_end) {
        m_pos = offset - m_bufferOffset;
        return;
    }
    if (!m_file->seek(offset))
        throw StorageError(K::ReadFailed, m_path, m_file->errorString());
    m_bufferOffset = offset;
    m_pos = m_end = 0;
    m_eof = false;
}

void RecordFileCodec::throwFormat(StorageError::Kind kind, qint64 offset, int field) const
{
    throw StorageError(kind, m_path, m_recordsRead + 1, offset, field);
}

// Each step over the buffer either finishes or finds that the bytes read so
// far end before it does; the record is then read again from its start once
// more bytes are in.
bool RecordFileCodec::readRawField(qsizetype &p, RawField &field, int fieldNumber)
{
    const char *buf = m_buffer.constData();
    const qsizetype end = m_end;
    while (p < end && buf[p] == ' ')
        ++p;
    if (p >= end) {
        if (!m_eof)
            return false;
        throwFormat(K::UnexpectedEnd, m_bufferOffset + p, fieldNumber);
    }
    field.offset = m_bufferOffset + p;
    const char c = buf[p];
    qsizetype q;
    if (c == '"' || c == '#') {
        const void *close = std::memchr(buf + p + 1, c, end - p - 1);
        if (!close) {
            if (!m_eof)
                return false;
            throwFormat(K::UnterminatedQuote, field.offset, fieldNumber);
        }
        const qsizetype closeAt = static_cast<const char *>(close) - buf;
        field.data = buf + p + 1;
        field.size = closeAt - p - 1;
        field.form = c == '"' ? RawField::Form::Quoted : RawField::Form::DateLiteral;
        q = findDelimiter(buf, closeAt + 1, end);
    } else {
        // Everything up to the delimiter, spaces included: a text keeps them,
        // a number's conversion ignores them.
        q = findDelimiter(buf, p, end);
        field.data = buf + p;
        field.size = q - p;
        field.form = RawField::Form::Unquoted;
    }
    if (q >= end && !m_eof)
        return false;
    p = q;
    return consumeDelimiter(p);
}

bool RecordFileCodec::consumeDelimiter(qsizetype &p) const
{
    const char *buf = m_buffer.constData();
    if (p >= m_end) // the end of the file ends the field
        return true;
    if (buf[p] == ',' || buf[p] == '\n') {
        ++p;
        return true;
    }
    ++p; // CR, perhaps followed by LF
    if (p < m_end) {
        if (buf[p] == '\n')
            ++p;
        return true;
    }
    return m_eof;
}

void RecordFileCodec::readRawRecord(int fieldCount, RawField *fields, QByteArrayView *whole)
{
    for (;;) {
        qsizetype p = m_pos;
        int f = 0;
        while (f < fieldCount && readRawField(p, fields[f], f + 1))
            ++f;
        if (f == fieldCount) {
            if (whole)
                *whole = QByteArrayView(m_buffer.constData() + m_pos, p - m_pos);
            m_pos = p;
            ++m_recordsRead;
            return;
        }
        if (m_end - m_pos >= kMaxRecordBytes)
            throwFormat(K::RecordTooLarge, m_bufferOffset + m_pos, 0);
        fill();
    }
}

FieldValue RecordFileCodec::convertField(const RawField &raw, FieldKind kind, const QString &path,
                                         qint64 recordNumber, int fieldNumber)
{
    const QByteArrayView bytes = raw.bytes();
    const qint64 contentOffset = raw.offset + (raw.form == RawField::Form::Unquoted ? 0 : 1);
    switch (kind) {
    case FieldKind::String: {
        // A text that holds a double quote could never be written again.
        if (raw.form != RawField::Form::Quoted) {
            if (const qsizetype quote = bytes.indexOf('"'); quote >= 0)
                throw StorageError(K::StrayQuote, path, recordNumber, contentOffset + quote, fieldNumber);
        }
        Cp932::DecodeResult decoded = Cp932::decode(bytes);
        if (!decoded.ok)
            throw StorageError(K::BadEncoding, path, recordNumber, contentOffset + decoded.errorOffset,
                               fieldNumber);
        return decoded.text;
    }
    case FieldKind::Int16:
    case FieldKind::UInt8: {
        if (raw.form == RawField::Form::DateLiteral)
            throw StorageError(K::NotANumber, path, recordNumber, raw.offset, fieldNumber);
        const QByteArrayView t = bytes.trimmed();
        long value = 0;
        if (!t.isEmpty()) {
            qsizetype i = 0;
            const bool negative = t[0] == '-';
            if (t[0] == '-' || t[0] == '+')
                ++i;
            if (i >= t.size())
                throw StorageError(K::NotANumber, path, recordNumber, raw.offset, fieldNumber);
            for (; i < t.size(); ++i) {
                if (t[i] < '0' || t[i] > '9')
                    throw StorageError(K::NotANumber, path, recordNumber, raw.offset, fieldNumber);
                if (value < 1000000)
                    value = value * 10 + (t[i] - '0');
            }
            if (negative)
                value = -value;
        }
        const long low = kind == FieldKind::Int16 ? -32768 : 0;
        const long high = kind == FieldKind::Int16 ? 32767 : 255;
        if (value < low || value > high)
            throw StorageError(K::NumberOutOfRange, path, recordNumber, raw.offset, fieldNumber);
        if (kind == FieldKind::Int16)
            return static_cast<qint16>(value);
        return static_cast<quint8>(value);
    }
    case FieldKind::Date: {
        if (raw.form != RawField::Form::DateLiteral)
            throw StorageError(K::BadDate, path, recordNumber, raw.offset, fieldNumber);
        const auto date = DateValue::fromLiteral(bytes);
        if (!date)
            throw StorageError(K::BadDate, path, recordNumber, raw.offset, fieldNumber);
        return *date;
    }
    }
    return {};
}

Record RecordFileCodec::ReadRecord(std::span<const FieldKind> kinds)
{
    QVarLengthArray<RawField, 16> raw(static_cast<qsizetype>(kinds.size()));
    const qint64 recordNumber = m_recordsRead + 1;
    readRawRecord(static_cast<int>(kinds.size()), raw.data());
    Record record;
    record.reserve(static_cast<qsizetype>(kinds.size()));
    for (std::size_t i = 0; i < kinds.size(); ++i)
        record.append(convertField(raw[i], kinds[i], m_path, recordNumber, static_cast<int>(i) + 1));
    return record;
}

} // namespace pagelore
