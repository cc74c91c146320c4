#include "Collection.h"

#include "DataFiles.h"
#include "FileOps.h"
#include "StorageError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <vector>

namespace pagelore::Collection {

namespace {

using K = StorageError::Kind;

bool sameFolder(const QString &a, const QString &b)
{
    struct stat sa {
    }, sb{};
    const bool aExists = ::stat(QFile::encodeName(a).constData(), &sa) == 0;
    const bool bExists = ::stat(QFile::encodeName(b).constData(), &sb) == 0;
    if (aExists && bExists)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    // A folder that is not there holds nothing to lose; compare the spelling
    // only so that one missing folder is not mistaken for another.
    return !aExists && !bExists && QDir::cleanPath(a) == QDir::cleanPath(b);
}

// One file by inode (links included), or one place by folder and name, which
// also covers a file that does not exist yet.
bool sameLocation(const QString &a, const QString &b)
{
    if (FileOps::sameFile(a, b))
        return true;
    const QFileInfo ia(a), ib(b);
    return ia.fileName() == ib.fileName() && sameFolder(ia.absolutePath(), ib.absolutePath());
}

// Every pair is compared, not only like names: a transfer file may be a link
// to a data file of another name.
std::optional<QString> transferFileInDataFolder(const QString &prefix, const QString &dataFolder)
{
    for (const QString &transferName : DataFiles::all()) {
        const QString transfer = prefix + transferName;
        for (const QString &dataName : DataFiles::all()) {
            if (sameLocation(transfer, DataFiles::path(dataFolder, dataName)))
                return transfer;
        }
    }
    return std::nullopt;
}

void refuseNonFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw StorageError(K::NotAFile, path);
}

// Checks everything that can be checked without writing, then copies the six
// in their fixed order.
void transfer(const QString &sourcePrefix, const QString &targetPrefix, const QString &prefix,
              const QString &dataFolder, int *copied)
{
    if (copied)
        *copied = 0;
    // The data folder named as the transfer folder is the likelier mistake
    // than a missing file, so it is reported first.
    if (const auto clash = transferFileInDataFolder(prefix, dataFolder))
        throw StorageError(K::SameFile, *clash);
    for (const QString &name : DataFiles::all())
        FileOps::checkReadableFile(sourcePrefix + name);
    for (const QString &name : DataFiles::all())
        refuseNonFile(targetPrefix + name);
    for (const QString &name : DataFiles::all()) {
        FileOps::copyFileReplacing(sourcePrefix + name, targetPrefix + name);
        if (copied)
            ++*copied;
    }
}

} // namespace

void createMissingFiles(const QString &dataFolder)
{
    bool made = false;
    for (const QString &name : DataFiles::all())
        made |= FileOps::ensureFileExists(DataFiles::path(dataFolder, name));
    if (made)
        FileOps::syncFolderOf(DataFiles::path(dataFolder, DataFiles::ArticleFile));
}

void initialise(const QString &dataFolder)
{
    std::vector<std::unique_ptr<QFile>> files;
    for (const QString &name : DataFiles::all()) {
        const QString path = DataFiles::path(dataFolder, name);
        refuseNonFile(path);
        auto file = std::make_unique<QFile>(path);
        // Append mode creates a missing file without cutting an existing one.
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append))
            throw StorageError(K::WriteFailed, path, file->errorString());
        files.push_back(std::move(file));
    }
    for (const auto &file : files) {
        if (!file->resize(0) || ::fsync(file->handle()) != 0)
            throw StorageError(K::WriteFailed, file->fileName(), file->errorString());
    }
    FileOps::syncFolderOf(DataFiles::path(dataFolder, DataFiles::ArticleFile));
    for (const auto &file : files)
        file->close();
}

void exportTo(const QString &dataFolder, const QString &prefix, int *copied)
{
    transfer(dataFolder, prefix, prefix, dataFolder, copied);
}

void importFrom(const QString &prefix, const QString &dataFolder, int *copied)
{
    transfer(prefix, dataFolder, prefix, dataFolder, copied);
}

} // namespace pagelore::Collection
