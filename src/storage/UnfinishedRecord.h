#pragma once

#include <QString>

#include <optional>

namespace pagelore {

class StorageError;

// A power cut during a registration can leave the article file ending in half
// a record. Every reader then refuses the whole collection, so such an end is
// told apart from any other fault and can be set aside, keeping every byte.
namespace UnfinishedRecord {

// Whether a reader's error is of the kind an unfinished end gives (the file
// ends inside a record). Only then is find() worth its pass over the file.
bool mayBe(const StorageError &error);

// Where the last record of the article file starts when it is unfinished and
// it is the file's only fault; nullopt for a sound file and any other fault.
// Throws StorageError when the file cannot be read.
std::optional<qint64> find(const QString &articlePath);

// The file the unfinished bytes are moved to: the article file's name and
// ".unfinished", beside it.
QString asidePath(const QString &articlePath);

// Appends the bytes from `offset` to the end of the article file to
// asidePath() and syncs them, then replaces the article file by its whole
// records before `offset`. Nothing is deleted: a failure part-way leaves the
// unfinished bytes in both files at worst. Throws StorageError.
void setAside(const QString &articlePath, qint64 offset);

}  // namespace UnfinishedRecord
}  // namespace pagelore
