#pragma once

#include "storage/ArticleRecord.h"

#include <QList>

class QGridLayout;
class QLabel;
class QWidget;

namespace pagelore {

// The boxes in which the two result browsers show one article: Text1 to
// TextN beside Label1 to LabelN, N being 15 for the search browser and 12
// for the deletion browser, which has no image fields. Text9, the content,
// is a multi-line box; the rest are one-line boxes.
class ArticleFieldBoxes {
public:
    explicit ArticleFieldBoxes(int count);

    // Labels and boxes in the browsers' grid: one field a row, except that
    // the category stands beside the first page and the two image numbers
    // share a row.
    QGridLayout *grid() const { return m_grid; }
    QWidget *box(int fieldNumber) const { return m_boxes[fieldNumber - 1]; }

    void show(const ArticleRecord &record);
    void clear();

private:
    void setText(int fieldNumber, const QString &text);

    int m_count;
    QList<QLabel *> m_labels;
    QList<QWidget *> m_boxes;
    QGridLayout *m_grid;
};

}  // namespace pagelore
