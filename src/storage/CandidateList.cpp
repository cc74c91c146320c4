#include "CandidateList.h"

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

void AppendCandidate(const QString &path, const QString &name)
{
    FileOps::appendRecord(path, Record{name});
}

}  // namespace pagelore::CandidateList
