#pragma once

#include "storage/ArticlePlace.h"
#include "storage/ArticleRecord.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace pagelore {

// The words of a quick search. The typed text is split at half- and
// full-width spaces (and at U+FFFF, which is no character); an article is a hit when every word occurs in one of
// its nine text fields (title, writer, magazine, category, publication
// form, content, three keywords), compared after folding (see
// quick::fold). Every character is itself: * ? # [ are no patterns here.
class QuickQuery {
public:
    explicit QuickQuery(const QString &typed = {});
    // No words: every article is a hit.
    bool isEmpty() const { return m_words.isEmpty(); }
    const QStringList &words() const { return m_words; }
    bool matches(const ArticleRecord &article) const;

private:
    QStringList m_words; // folded, each once
};

// The place of every article of the folder's article file that the query
// matches, in file order. Throws StorageError for an article file that
// cannot be read or is malformed anywhere; no places are given then.
std::vector<ArticlePlace> RunQuickSearch(const QString &dataFolder, const QuickQuery &query);

// The columns of the list of hits.
enum class ListColumn { Title, Writer, Magazine, PublicationDate, Pages, Category, PublicationForm };
inline constexpr int kListColumnCount = 7;

// The order of `places` (which must be in file order) by one column, as
// indexes into `places`: texts by code point, dates by date, pages by first
// and then last page. Ties keep file order in either direction. Reads the
// column's field of every place from the article file at `path`; throws
// StorageError when one cannot be read.
std::vector<std::uint32_t> SortPlaces(const QString &path, const std::vector<ArticlePlace> &places,
                                      ListColumn column, bool descending);

} // namespace pagelore
