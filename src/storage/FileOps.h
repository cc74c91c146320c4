#pragma once

#include "RecordFileCodec.h"

#include <QByteArrayView>
#include <QString>

namespace pagelore {

// File operations that never leave a file half written. All throw
// StorageError naming the file that failed.
namespace FileOps {

// Creates the file empty when it is missing, and syncs it; an existing file
// is left alone. Returns whether it made the file.
bool ensureFileExists(const QString &path);
// Creates the file empty, or cuts an existing one to length zero.
void emptyFile(const QString &path);
// Encodes the record first (FieldEncodeError: nothing touched), then appends
// it with one write and syncs the file; a failed write truncates the file
// back to its old length.
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
// Makes a rename or a new file in the folder holding `path` survive a power
// cut. The data is already on disk, so a file system that cannot sync a
// folder is not an error.
void syncFolderOf(const QString &path);

// New content for a file, written beside it under a name of its own
// (temporaryPath()) and renamed over it by commit(). Until commit() succeeds
// the old file stays as it was; a writer destroyed without commit() leaves
// no trace, and one cut short by a crash leaves its temporary file, which the
// next replacement of the same file removes. A link is followed: the file it
// names is replaced and the link stays. A file that may not be written is
// not replaced.
class ReplacementFile {
public:
    explicit ReplacementFile(const QString &path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // The new content will be about `bytes` long: its room on the disk is
    // taken at once, which makes the writes cheaper on a file system that
    // would otherwise find room as they go. Room left unused is given back by
    // commit(); a file system that cannot take room ahead just goes without.
    void expect(qint64 bytes);
    void write(QByteArrayView bytes);
    // Writes `length` bytes of `fd`, from `offset` on, at `at` in the new
    // content, beside other such copies on other threads; nothing else of
    // the writer changes until finishCopies(). False, with errno set, when
    // the copy fails.
    bool copyAt(int fd, qint64 offset, qint64 length, qint64 at) const;
    // After copyAt(): the new content is cut at `length` bytes. A copy that
    // failed with `error` (an errno, or 0) fails the writer as a failed
    // write does.
    void finishCopies(qint64 length, int error);
    // Syncs the new content, renames it into place and syncs the folder.
    void commit();
    const QString &path() const { return m_path; }

    static QString temporaryPath(const QString &target);

private:
    void flush();
    void writeThrough(QByteArrayView bytes);
    [[noreturn]] void fail(const QString &reason);
    void discard();

    QString m_path;    // as the caller named it, for messages
    QString m_target;  // the file replaced
    QString m_temp;
    int m_fd = -1;
    QByteArray m_buffer;
    qint64 m_written = 0;   // reached the file
    qint64 m_expected = 0;  // room taken by expect()
};

// Scratch bytes in a file without a name, in a given folder: nobody else
// sees it, and it is gone when closed, whatever ends the program. Nothing
// here throws; a file that could not be made or written just says so.
class UnnamedFile {
public:
    UnnamedFile() = default;
    ~UnnamedFile();
    UnnamedFile(const UnnamedFile &) = delete;
    UnnamedFile &operator=(const UnnamedFile &) = delete;

    // False when the folder's file system cannot make such a file.
    bool open(const QString &folder);
    // Buffered; false once any write has failed.
    bool write(QByteArrayView bytes);
    // Writes out the buffer: the file then holds size() bytes.
    bool flush();
    int handle() const { return m_fd; }
    qint64 size() const { return m_written + m_buffer.size(); }

private:
    int m_fd = -1;
    bool m_failed = false;
    QByteArray m_buffer;
    qint64 m_written = 0;
};

// Writes `length` bytes of `from`, read from `offset` on, to `to` where its
// offset stands (and moves it past them), or from `at` on when that is given
// (and `to`'s offset stays), inside the kernel where the file systems allow
// it. False, with errno set, when a read or a write fails or `from` ends
// first.
bool copyRange(int from, qint64 offset, qint64 length, int to, qint64 at = -1);

}  // namespace FileOps
}  // namespace pagelore
