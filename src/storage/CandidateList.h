#pragma once

#include <QString>
#include <QStringList>

namespace pagelore {

// A list file of names (magazines, categories): one quoted text per record,
// in the order added.
namespace CandidateList {

// Names in file order, duplicates and empty names kept. Throws StorageError.
QStringList ReadCandidateList(const QString &path);
// The magazine and category lists of a data folder, which the entry and
// search screens offer. Both files are checked before either is read, so a
// missing one is reported before anything is shown. Throws StorageError
// naming the file.
struct CandidateLists {
    QStringList magazines;
    QStringList categories;
};
CandidateLists ReadCandidateLists(const QString &dataFolder);

// Appends one record; throws FieldEncodeError (nothing written) for a name
// the format cannot carry, StorageError when the file cannot be written.
void AppendCandidate(const QString &path, const QString &name);

}  // namespace CandidateList
}  // namespace pagelore
