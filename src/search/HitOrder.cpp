#include "QuickFold.h"
#include "QuickSearch.h"

#include "storage/RecordFileCodec.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string_view>

namespace pagelore {

namespace {

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

// A million keys are held at once, so each takes as little room as it can:
// a number key with its index in 16 bytes; a text as UTF-16 in blocks, and
// its sort item, part of the text and the index, in 8.
struct NumberItem {
    qint64 key;
    std::uint32_t index;
};

// The texts being sorted, past their first two units (which the first
// sort items hold), one after another in blocks that never move, each after
// its length. A text never spans two blocks; a long one has a block of its
// own.
class TextArena {
public:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    std::uint32_t add(std::u16string_view text)
    {
        if (text.empty())
            return kNone;
        const std::size_t header = text.size() < 0xFFFF ? 1 : 3;
        const std::size_t need = header + text.size();
        if (m_blocks.empty() || m_used + need > kBlock) {
            m_blocks.push_back(std::make_unique_for_overwrite<char16_t[]>(std::max(kBlock, need)));
            m_used = 0;
        }
        char16_t *at = m_blocks.back().get() + m_used;
        if (header == 1) {
            at[0] = char16_t(text.size());
        } else {
            at[0] = 0xFFFF;
            at[1] = char16_t(text.size() >> 16);
            at[2] = char16_t(text.size());
        }
        std::copy(text.begin(), text.end(), at + header);
        const auto position = std::uint32_t((m_blocks.size() - 1) << kOffsetBits | m_used);
        m_used += need;
        return position;
    }

    const char16_t *address(std::uint32_t position) const
    {
        return m_blocks[position >> kOffsetBits].get() + (position & (kBlock - 1));
    }

    std::u16string_view at(std::uint32_t position) const
    {
        if (position == kNone)
            return {};
        const char16_t *p = address(position);
        if (p[0] != 0xFFFF)
            return {p + 1, p[0]};
        return {p + 3, std::size_t(p[1]) << 16 | p[2]};
    }

private:
    static constexpr int kOffsetBits = 18;
    static constexpr std::size_t kBlock = std::size_t(1) << kOffsetBits;
    std::vector<std::unique_ptr<char16_t[]>> m_blocks;
    std::size_t m_used = 0;
};

// A text sort item: two UTF-16 units of the text from some place on above
// the index, so items sort as plain integers. Each unit is one more than
// its value (17 bits) and 0 past the text's end, so a shorter text comes
// first; the code page has no character beyond the first plane, so unit
// order is code-point order.
constexpr int kIndexBits = 30;
constexpr std::uint64_t kIndexMask = (std::uint64_t(1) << kIndexBits) - 1;
constexpr std::uint64_t kKeyMax = (std::uint64_t(1) << 34) - 1;
constexpr std::size_t kAhead = 8;

std::uint64_t textItem(std::u16string_view text, std::size_t from, std::uint32_t index, bool descending)
{
    std::uint64_t key = 0;
    for (std::size_t i = from; i < from + 2; ++i)
        key = key << 17 | (i < text.size() ? text[i] + 1u : 0u);
    // Descending by key, still ascending by index within equal keys.
    return (descending ? kKeyMax - key : key) << kIndexBits | index;
}

} // namespace

std::vector<std::uint32_t> SortPlaces(const QString &path, const std::vector<ArticlePlace> &places,
                                      ListColumn column, bool descending)
{
    if (places.size() > kIndexMask)
        throw StorageError(StorageError::Kind::RecordTooLarge, path);
    RecordFileCodec file(path, RecordFileCodec::OpenMode::Read);
    const int field = fieldOf(column);
    // The fields up to the column's own (both pages for the page column).
    const int fieldsRead = column == ListColumn::Pages ? 5 : field + 1;
    std::array<RawField, ArticleRecord::kFieldCount> raw;
    // Reads the place's record up to the wanted field; throws StorageError
    // for bytes that are no record (the file changed meanwhile).
    auto readField = [&](const ArticlePlace &place) -> const RawField & {
        file.seek(place.offset, place.recordNumber);
        if (file.AtEnd())
            throw StorageError(StorageError::Kind::UnexpectedEnd, path, place.recordNumber, place.offset, 1);
        file.readRawRecord(fieldsRead, raw.data());
        return raw[field];
    };
    auto convert = [&](const ArticlePlace &place, int at, FieldKind kind) {
        return RecordFileCodec::convertField(raw[at], kind, path, place.recordNumber, at + 1);
    };
    std::vector<std::uint32_t> order;

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
        file.close();
        std::sort(items.begin(), items.end(), [descending](const NumberItem &a, const NumberItem &b) {
            if (a.key != b.key)
                return descending ? a.key > b.key : a.key < b.key;
            return a.index < b.index;
        });
        order.reserve(items.size());
        for (const NumberItem &item : items)
            order.push_back(item.index);
        return order;
    }

    // Sorted by two units at a time; each run of items equal so far by the
    // next two, as long as its texts go on.
    const quick::FoldTables &tables = quick::FoldTables::instance();
    TextArena arena;
    std::vector<std::uint32_t> positions(places.size());
    std::vector<std::uint64_t> items(places.size());
    std::vector<char16_t> decoded;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const RawField &f = readField(places[i]);
        std::u16string_view text;
        QString converted;
        decoded.clear();
        if (f.form == RawField::Form::Quoted && tables.decode(f.bytes(), decoded)) {
            text = {decoded.data(), decoded.size()};
        } else {
            converted = std::get<QString>(convert(places[i], field, FieldKind::String));
            text = {reinterpret_cast<const char16_t *>(converted.utf16()), std::size_t(converted.size())};
        }
        items[i] = textItem(text, 0, std::uint32_t(i), descending);
        positions[i] = arena.add(text.substr(std::min<std::size_t>(2, text.size())));
    }
    file.close();

    std::sort(items.begin(), items.end());
    struct Run {
        std::size_t from, to, unit;
    };
    std::vector<Run> runs;
    const auto keyOf = [](std::uint64_t item) { return item >> kIndexBits; };
    const auto addRuns = [&](std::size_t from, std::size_t to, std::size_t unit) {
        for (std::size_t a = from; a < to;) {
            std::size_t b = a + 1;
            while (b < to && keyOf(items[b]) == keyOf(items[a]))
                ++b;
            // Equal texts that end here are ties, already in file order.
            const std::uint64_t key = descending ? kKeyMax - keyOf(items[a]) : keyOf(items[a]);
            if (b - a > 1 && (key & 0x1FFFF) != 0)
                runs.push_back({a, b, unit + 2});
            a = b;
        }
    };
    addRuns(0, items.size(), 0);
    while (!runs.empty()) {
        const Run r = runs.back();
        runs.pop_back();
        bool allEqual = true;
        for (std::size_t k = r.from; k < r.to; ++k) {
            // Items in key order visit the texts, which lie in file order,
            // at random: each text is asked for a few items ahead, and its
            // place in `positions` a few more ahead of that.
            if (k + 2 * kAhead < r.to)
                __builtin_prefetch(&positions[items[k + 2 * kAhead] & kIndexMask]);
            if (k + kAhead < r.to) {
                const std::uint32_t ahead = positions[items[k + kAhead] & kIndexMask];
                if (ahead != TextArena::kNone)
                    __builtin_prefetch(arena.address(ahead));
            }
            const auto index = std::uint32_t(items[k] & kIndexMask);
            items[k] = textItem(arena.at(positions[index]), r.unit - 2, index, descending);
            allEqual = allEqual && keyOf(items[k]) == keyOf(items[r.from]);
        }
        // Within a run the items are in file order already.
        if (!allEqual)
            std::sort(items.begin() + qsizetype(r.from), items.begin() + qsizetype(r.to));
        addRuns(r.from, r.to, r.unit);
    }
    positions = {};
    arena = {};
    order.reserve(items.size());
    for (const std::uint64_t item : items)
        order.push_back(std::uint32_t(item & kIndexMask));
    return order;
}

} // namespace pagelore
