// Arbitrary bytes as an article file (after the first NUL; before it, the
// text of the title and keyword conditions): with every kernel the search
// must give what the plain road gives, the same result file or the same
// error, and the kernels must index the bytes alike.
#include "FuzzSupport.h"

#include "platform/Cp932.h"
#include "search/BlockScan.h"
#include "search/Search.h"
#include "storage/DataFiles.h"
#include "storage/TypedInput.h"

#include <QFileInfo>

#include <optional>

using namespace pagelore;

namespace {

const QString &folder()
{
    static const QString path = [] {
        const QString p = QFileInfo(fuzzFilePath()).absolutePath()
                          + QStringLiteral("/pagelore-fuzz-scan-%1/").arg(::getpid());
        QDir().mkpath(p);
        return p;
    }();
    return path;
}

struct Outcome {
    QByteArray result;
    std::optional<StorageError> error;
    bool operator==(const Outcome &o) const
    {
        if (error.has_value() != o.error.has_value())
            return false;
        if (!error)
            return result == o.result;
        return error->kind() == o.error->kind() && error->recordNumber() == o.error->recordNumber()
               && error->byteOffset() == o.error->byteOffset() && error->fieldNumber() == o.error->fieldNumber();
    }
};

Outcome plainRoad(const SearchConditions &c)
{
    Outcome o;
    try {
        RecordFileCodec in(DataFiles::path(folder(), DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
        while (!in.AtEnd()) {
            const ArticleRecord a = ArticleRecord::read(in);
            if (RecordMatches(a, c))
                o.result += a.encode();
        }
    } catch (const StorageError &e) {
        o.error = e;
    }
    return o;
}

Outcome searched(const SearchConditions &c)
{
    Outcome o;
    try {
        RunSearchPass(folder(), c);
        QFile f(DataFiles::path(folder(), DataFiles::ResultFile));
        FUZZ_CHECK(f.open(QIODevice::ReadOnly));
        o.result = f.readAll();
    } catch (const StorageError &e) {
        o.error = e;
    }
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto [head, file] = splitInput(data, size);
    {
        QFile f(DataFiles::path(folder(), DataFiles::ArticleFile));
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(file);
    }
    static const DateValue date = *TypedInput::toDate(QStringLiteral("2001/2/3"));
    const QString text = Cp932::decodeOrEmpty(head);
    const SearchConditions c{text, text, text, 100, text, text, date, text, text};
    const Outcome expected = plainRoad(c);
    QList<QList<std::uint32_t>> index;
    for (scan::ScanKernel k : {scan::ScanKernel::Portable, scan::ScanKernel::Sse2, scan::ScanKernel::Avx2}) {
        if (!scan::setScanKernel(k))
            continue;
        FUZZ_CHECK(searched(c) == expected);
        // The index of the bytes themselves, as far as whole blocks go.
        QByteArray bytes = file;
        bytes.append(char(0));
        scan::StructureIndex ix;
        const int blocks = std::min<int>(static_cast<int>(file.size() / 64), scan::StructureIndex::kMaxBlocks);
        for (int done = 0; done < blocks; done += 16)
            scan::indexBlocks(reinterpret_cast<const unsigned char *>(bytes.constData()), std::min(16, blocks - done),
                              ix);
        const QList<QList<std::uint32_t>> lists = {{ix.quotes.get(), ix.quotes.get() + ix.quoteCount},
                                                   {ix.wrong.get(), ix.wrong.get() + ix.wrongCount},
                                                   {ix.patterns.get(), ix.patterns.get() + ix.patternCount}};
        if (index.isEmpty())
            index = lists;
        FUZZ_CHECK(lists == index);
    }
    return 0;
}
