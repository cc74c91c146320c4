#pragma once

#include "storage/ArticleRecord.h"
#include "storage/DateValue.h"

#include <QString>
#include <QStringView>

namespace pagelore {

// The nine values of a search, taken from the conditions screen.
struct SearchConditions {
    QString title;
    QString writer;
    QString magazine;
    qint16 page = 100;
    QString category;
    QString publicationForm;
    DateValue date;
    QString keyword1;
    QString keyword2;
};

// The whole text against the whole pattern: ? one character, * any run,
// # one digit, [list] / [!list] one character in / not in the list, [] the
// empty run; everything else literal, compared by character code. A pattern
// that is not well formed (a [ without its ], a descending range) matches
// nothing.
bool WildcardMatch(QStringView text, QStringView pattern);

// True when at least one of the thirteen tests holds: each condition text
// against the stored field taken as a pattern, the page within the stored
// range, the date equal, and either keyword against any stored keyword.
bool RecordMatches(const ArticleRecord &record, const SearchConditions &conditions);

struct SearchOutcome {
    qint64 articlesRead = 0;
    qint64 hits = 0;
};

// Reads the article file of the folder and rewrites the result file with
// every hit, in file order, each once. The article file is opened first, so
// a missing one leaves the result file untouched. Throws StorageError (for a
// malformed article file: its path, the record number and the offset).
SearchOutcome RunSearchPass(const QString &dataFolder, const SearchConditions &conditions);

// The first twelve fields of the article shown by the deletion browser.
struct ShownCandidate {
    QString Title;
    QString Writer;
    QString Magazine;
    qint16 FirstPage = 0;
    qint16 LastPage = 0;
    QString Category;
    QString PublicationForm;
    DateValue PublicationDate;
    QString Content;
    QString Keyword1;
    QString Keyword2;
    QString Keyword3;

    static ShownCandidate fromArticle(const ArticleRecord &a);
    // Equal in all twelve fields (texts character by character).
    bool matches(const ArticleRecord &a) const;
};

enum class RemovalOutcome { Removed, NotFound };

// Removes the first article equal to the candidate. The kept articles go to
// the scratch file, byte for byte, and the article file is replaced
// atomically by a copy of them. When no article is equal, both files are left
// as they were; when anything fails (StorageError) the article file is.
RemovalOutcome RemoveArticle(const QString &dataFolder, const ShownCandidate &candidate);

}  // namespace pagelore
