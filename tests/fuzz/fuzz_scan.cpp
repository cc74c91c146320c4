// Arbitrary bytes as an article file (after the first NUL; before it, the text
// conditions), its first record the one to remove: every kernel must search and
// remove as the plain road does, and index the bytes alike; read in two halves
// at once, the search, the removal and the list screen's quick search must do
// as one reader does.
#include "FuzzSupport.h"
#include "ScanRoads.h"

#include "platform/Cp932.h"
#include "search/BlockScan.h"
#include "search/QuickSearch.h"
#include "storage/TypedInput.h"

using namespace pagelore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString folder = fuzzFilePath() + u".d/"_qs;
    static const bool made = QDir().mkpath(folder);
    FUZZ_CHECK(made);
    const auto [head, file] = splitInput(data, size);
    const QString text = Cp932::decodeOrEmpty(head);
    const SearchConditions c{text, text, text, 100, text, text, *TypedInput::toDate(u"2001/2/3"_qs), text, text};
    ShownCandidate candidate;
    try {
        RecordFileCodec in(writeFuzzFile(reinterpret_cast<const uint8_t *>(file.constData()), file.size()),
                           RecordFileCodec::OpenMode::Read);
        if (!in.AtEnd())
            candidate = ShownCandidate::fromArticle(ArticleRecord::read(in));
    } catch (const StorageError &) {
    }
    const roads::Outcome plain = roads::take(folder, file, c, candidate, true);
    QList<QList<std::uint32_t>> index; // the byte after the blocks is read: at most the terminating NUL
    const int blocks = std::min<int>(file.size() / 64, scan::StructureIndex::kMaxBlocks);
    for (scan::ScanKernel k : {scan::ScanKernel::Portable, scan::ScanKernel::Sse2, scan::ScanKernel::Avx2}) {
        if (!scan::setScanKernel(k))
            continue;
        FUZZ_CHECK(roads::take(folder, file, c, candidate, false) == plain);
        scan::StructureIndex ix;
        for (int done = 0; done < blocks; done += 16)
            scan::indexBlocks(reinterpret_cast<const unsigned char *>(file.constData()),
                              std::min(16, blocks - done), ix);
        const QList<QList<std::uint32_t>> lists = {{ix.quotes.get(), ix.quotes.get() + ix.quoteCount},
                                                   {ix.wrong.get(), ix.wrong.get() + ix.wrongCount},
                                                   {ix.patterns.get(), ix.patterns.get() + ix.patternCount}};
        if (index.isEmpty())
            index = lists;
        FUZZ_CHECK(lists == index);
    }
    // The quick search's places, or the record number of the fault it met.
    const auto quick = [&text, bytes = file] {
        QFile f(DataFiles::path(folder, DataFiles::ArticleFile));
        FUZZ_CHECK(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size());
        f.close();
        std::vector<ArticlePlace> places;
        try {
            places = RunQuickSearch(folder, QuickQuery(text));
        } catch (const StorageError &e) {
            places.push_back({-1, quint32(e.recordNumber())});
        }
        return places;
    };
    const std::vector<ArticlePlace> one = quick();
    const roads::TwoHalves halves(64);
    FUZZ_CHECK(roads::take(folder, file, c, candidate, false) == plain);
    FUZZ_CHECK(quick() == one);
    return 0;
}
