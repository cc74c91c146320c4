// Arbitrary bytes as an article file and as a candidate list file: the reader
// must return whole records or a StorageError, never crash or hang, and every
// record it returns must write and read back unchanged.
#include "FuzzSupport.h"

#include "storage/ArticleRecord.h"
#include "storage/RecordFileCodec.h"

using namespace pagelore;

namespace {

template <typename Kinds>
void readAll(const QString &path, const Kinds &kinds)
{
    QList<Record> records;
    try {
        RecordFileCodec file(path, RecordFileCodec::OpenMode::Read);
        while (!file.AtEnd() && records.size() < 10000)
            records.append(file.ReadRecord(kinds));
    } catch (const StorageError &e) {
        FUZZ_CHECK(e.path() == path);
        FUZZ_CHECK(e.recordNumber() >= 1 || !e.isFormatError());
        FUZZ_CHECK(!e.message().isEmpty());
    }
    for (const Record &record : records) {
        QByteArray bytes;
        try {
            bytes = RecordFileCodec::encodeRecord(record);
        } catch (const FieldEncodeError &) {
            FUZZ_CHECK(false);  // whatever was read can be written again
        }
        const QString again = path + QStringLiteral(".again");
        QFile f(again);
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        RecordFileCodec reread(again, RecordFileCodec::OpenMode::Read);
        FUZZ_CHECK(reread.ReadRecord(kinds) == record);
        FUZZ_CHECK(reread.AtEnd());
        QFile::remove(again);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = writeFuzzFile(data, size);
    readAll(path, ArticleRecord::kKinds);
    static const std::array<FieldKind, 1> listKinds = {FieldKind::String};
    readAll(path, listKinds);
    return 0;
}
