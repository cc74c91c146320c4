#include "QuickFold.h"
#include "QuickSearch.h"

#include "storage/RecordFileCodec.h"

#include <algorithm>
#include <string_view>

namespace pagelore {

namespace {

// Field of each column in the record, and the kind it is read as.
int fieldOf(ListColumn column)
{
    switch (column) {
    case ListColumn::Title:
        return 0;
    case ListColumn::Writer:
        return 1;
    case ListColumn::Magazine:
        return 2;
    case ListColumn::Pages:
        return 3;
    case ListColumn::Category:
        return 5;
    case ListColumn::PublicationForm:
        return 6;
    case ListColumn::PublicationDate:
        return 7;
    }
    return 0;
}

// `compare` is negative, zero or positive. Ties go by index, which is file
// order, whichever way the keys run.
template <typename Item, typename Compare>
std::vector<std::uint32_t> orderOf(std::vector<Item> &items, bool descending, Compare compare)
{
    std::sort(items.begin(), items.end(), [&](const Item &a, const Item &b) {
        const int c = compare(a, b);
        if (c != 0)
            return descending ? c > 0 : c < 0;
        return a.index < b.index;
    });
    std::vector<std::uint32_t> order;
    order.reserve(items.size());
    for (const Item &item : items)
        order.push_back(item.index);
    return order;
}

struct NumberItem {
    qint64 key;
    std::uint32_t index;
};

// A text key lives in one arena of UTF-16 code units (the code page has no
// character beyond the first plane, so their order is code-point order);
// its first four units, packed, decide most comparisons without the arena.
struct TextItem {
    std::uint64_t prefix;
    std::uint32_t index;
};

std::uint64_t prefixOf(const char16_t *text, std::size_t size)
{
    std::uint64_t p = 0;
    for (std::size_t i = 0; i < 4; ++i)
        p = p << 16 | (i < size ? text[i] : 0);
    return p;
}

} // namespace

std::vector<std::uint32_t> SortPlaces(const QString &path, const std::vector<ArticlePlace> &places,
                                      ListColumn column, bool descending)
{
    RecordFileCodec file(path, RecordFileCodec::OpenMode::Read);
    const int field = fieldOf(column);
    std::array<RawField, ArticleRecord::kFieldCount> raw;
    // Reads the place's record up to the wanted field; throws StorageError
    // for bytes that are no record (the file changed meanwhile).
    auto readField = [&](const ArticlePlace &place) -> const RawField & {
        file.seek(place.offset, place.recordNumber);
        if (file.AtEnd())
            throw StorageError(StorageError::Kind::UnexpectedEnd, path, place.recordNumber, place.offset, 1);
        file.readRawRecord(ArticleRecord::kFieldCount, raw.data());
        return raw[field];
    };
    auto convert = [&](const ArticlePlace &place, int at, FieldKind kind) {
        return RecordFileCodec::convertField(raw[at], kind, path, place.recordNumber, at + 1);
    };

    if (column == ListColumn::Pages || column == ListColumn::PublicationDate) {
        std::vector<NumberItem> items;
        items.reserve(places.size());
        for (std::size_t i = 0; i < places.size(); ++i) {
            readField(places[i]);
            qint64 key;
            if (column == ListColumn::Pages) {
                const qint16 first = std::get<qint16>(convert(places[i], 3, FieldKind::Int16));
                const qint16 last = std::get<qint16>(convert(places[i], 4, FieldKind::Int16));
                key = qint64(first) * 65536 + last;
            } else {
                const DateValue date = std::get<DateValue>(convert(places[i], 7, FieldKind::Date));
                key = qint64(date.day()) * 86400 + date.secondsOfDay();
            }
            items.push_back({key, std::uint32_t(i)});
        }
        return orderOf(items, descending,
                       [](const NumberItem &a, const NumberItem &b) { return (a.key > b.key) - (a.key < b.key); });
    }

    const quick::FoldTables &tables = quick::FoldTables::instance();
    std::vector<char16_t> arena;
    std::vector<std::uint32_t> starts;
    std::vector<TextItem> items;
    starts.reserve(places.size() + 1);
    items.reserve(places.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        const RawField &f = readField(places[i]);
        const std::size_t start = arena.size();
        starts.push_back(std::uint32_t(start));
        if (f.form != RawField::Form::Quoted || !tables.decode(f.bytes(), arena)) {
            arena.resize(start);
            const QString text = std::get<QString>(convert(places[i], field, FieldKind::String));
            arena.insert(arena.end(), text.utf16(), text.utf16() + text.size());
        }
        items.push_back({prefixOf(arena.data() + start, arena.size() - start), std::uint32_t(i)});
    }
    starts.push_back(std::uint32_t(arena.size()));
    file.close();
    return orderOf(items, descending, [&](const TextItem &a, const TextItem &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix ? -1 : 1;
        const std::u16string_view x(arena.data() + starts[a.index], starts[a.index + 1] - starts[a.index]);
        const std::u16string_view y(arena.data() + starts[b.index], starts[b.index + 1] - starts[b.index]);
        return x.compare(y);
    });
}

} // namespace pagelore
