// Arbitrary bytes as an article file and as a candidate list file: the reader
// must return whole records or a StorageError, never crash or hang, and every
// record it returns must write and read back unchanged.
#include "FuzzSupport.h"

#include "storage/ArticleRecord.h"
#include "storage/RecordFileCodec.h"

using namespace pagelore;

namespace {

template <typename Kinds> void readAll(const uint8_t *data, size_t size, const Kinds &kinds)
{
    const QString path = writeFuzzFile(data, size);
    QList<Record> records;
    try {
        RecordFileCodec file(path, RecordFileCodec::OpenMode::Read);
        while (!file.AtEnd() && records.size() < 10000)
            records.append(file.ReadRecord(kinds));
    } catch (const StorageError &e) {
        FUZZ_CHECK(e.path() == path && (e.recordNumber() >= 1 || !e.isFormatError()) && !e.message().isEmpty());
    }
    for (const Record &record : records) {
        QByteArray bytes;
        try {
            bytes = RecordFileCodec::encodeRecord(record);
        } catch (const FieldEncodeError &) {
            FUZZ_CHECK(false); // whatever was read can be written again
        }
        writeFuzzFile(reinterpret_cast<const uint8_t *>(bytes.constData()), static_cast<size_t>(bytes.size()));
        RecordFileCodec reread(path, RecordFileCodec::OpenMode::Read);
        FUZZ_CHECK(reread.ReadRecord(kinds) == record && reread.AtEnd());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    readAll(data, size, ArticleRecord::kKinds);
    static const std::array<FieldKind, 1> listKinds = {FieldKind::String};
    readAll(data, size, listKinds);
    return 0;
}
