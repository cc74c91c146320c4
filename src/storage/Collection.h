#pragma once

#include <QString>

namespace pagelore {

// The whole collection at once: the six data files emptied, copied out or
// copied in. Every function throws StorageError naming the file that stopped
// it. The transfer prefix is used exactly as typed, as a prefix of each file
// name ("/backup/" gives "/backup/Touroku.PLR", "/backup" gives
// "/backupTouroku.PLR").
namespace Collection {

// Creates any of the six files missing from the data folder, empty; files
// already there are left alone. New files reach the disk, and the folder's
// list of them, before this returns.
void createMissingFiles(const QString &dataFolder);

// Empties the six files of the data folder, creating any that is missing.
// All six are opened before any is cut, so one that cannot be opened leaves
// every file as it was.
void initialise(const QString &dataFolder);

// Copies the six files of the data folder to prefix + name, each written
// beside its target and renamed into place. Checks all six sources and the
// targets before the first copy; stops at the first failed copy, leaving the
// copies made before it. `copied`, when given, receives the number of files
// copied. A prefix under which some transfer file is one of the data
// folder's six, by whatever spelling or link, is refused with
// StorageError::Kind::SameFile before anything is touched: the copy would
// destroy the only copy of the collection.
void exportTo(const QString &dataFolder, const QString &prefix, int *copied = nullptr);

// The mirror image: copies prefix + name over the data folder's files, after
// checking that all six sources exist and can be read.
void importFrom(const QString &prefix, const QString &dataFolder, int *copied = nullptr);

} // namespace Collection
} // namespace pagelore
