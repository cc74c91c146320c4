#pragma once

#include "RecordFileCodec.h"

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

#include <memory>

namespace pagelore {

// File operations that never leave a file half written. All throw
// StorageError naming the file that failed.
namespace FileOps {

// Creates the file empty when it is missing; an existing file is left alone.
void ensureFileExists(const QString &path);
// Creates the file empty, or cuts an existing one to length zero.
void emptyFile(const QString &path);
// Encodes the record first (FieldEncodeError: nothing touched), then appends
// it with one write; a failed write truncates the file back to its old length.
void appendRecord(const QString &path, const Record &record);
// True when both paths name one existing file (same device and inode), by
// whatever spelling or link.
bool sameFile(const QString &a, const QString &b);
// Copies source over target: the copy is written beside the target, flushed
// and renamed into place, so a failure leaves the old target whole. Refuses a
// copy of a file onto itself.
void copyFileReplacing(const QString &source, const QString &target);
// Throws unless the path is an existing, readable regular file.
void checkReadableFile(const QString &path);

// New content for a file, written beside it and renamed over it by commit().
// Until commit() succeeds the old file stays as it was; a writer destroyed
// without commit() leaves no trace.
class ReplacementFile {
public:
    explicit ReplacementFile(const QString &path);
    ~ReplacementFile();
    void write(QByteArrayView bytes);
    // Flushes to disk and renames into place.
    void commit();
    const QString &path() const { return m_path; }

private:
    void flush();
    void writeThrough(QByteArrayView bytes);
    QString m_path;
    std::unique_ptr<QSaveFile> m_file;
    QByteArray m_buffer;
};

}  // namespace FileOps
}  // namespace pagelore
