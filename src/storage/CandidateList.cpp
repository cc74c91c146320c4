#include "CandidateList.h"

#include "DataFiles.h"
#include "FileOps.h"
#include "RecordFileCodec.h"

namespace pagelore::CandidateList {

namespace {
constexpr FieldKind kKinds[] = {FieldKind::String};
}

QStringList ReadCandidateList(const QString &path)
{
    RecordFileCodec file(path, RecordFileCodec::OpenMode::Read);
    QStringList names;
    while (!file.AtEnd())
        names.append(std::get<QString>(file.ReadRecord(kKinds).front()));
    file.close();
    return names;
}

CandidateLists ReadCandidateLists(const QString &dataFolder)
{
    const QString magazines = DataFiles::path(dataFolder, DataFiles::MagazineList);
    const QString categories = DataFiles::path(dataFolder, DataFiles::CategoryList);
    FileOps::checkReadableFile(magazines);
    FileOps::checkReadableFile(categories);
    return {ReadCandidateList(magazines), ReadCandidateList(categories)};
}

void AppendCandidate(const QString &path, const QString &name)
{
    FileOps::appendRecord(path, Record{name});
}

} // namespace pagelore::CandidateList
