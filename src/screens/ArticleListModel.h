#pragma once

#include "search/Correction.h"
#include "search/QuickSearch.h"
#include "storage/ArticlePlace.h"

#include <QAbstractTableModel>
#include <QCache>
#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace pagelore {

// The hits of a quick search as the list screen's table shows them. Only
// each hit's place in the article file is held; a row's texts are read
// from the file when the row is drawn, and a few hundred rows are kept.
class ArticleListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ArticleListModel(QObject *parent = nullptr);
    ~ArticleListModel() override;

    // Replaces the list by the hits of `query` in the folder's article
    // file, in the order of the column sorted last. Throws StorageError,
    // leaving the list as it was.
    void search(const QString &dataFolder, const QuickQuery &query);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Column -1 is file order. A failure leaves the order as it was and is
    // told through failed().
    void sort(int column, Qt::SortOrder order) override;

    // The whole article shown in a row; throws StorageError.
    ArticleRecord articleAt(int row) const;
    ArticlePlace placeAt(int row) const;
    // The row that shows the article with this record number, or -1.
    int rowOfRecord(qint64 recordNumber) const;
    // The article file was rewritten with one article replaced: the places
    // after it move, and every row is read again.
    void articleReplaced(const Replacement &replacement);

    const std::vector<ArticlePlace> &places() const { return m_places; }

signals:
    void failed(const QString &message);

private:
    using RowTexts = std::array<QString, kListColumnCount>;
    std::size_t hitOf(int row) const { return m_order.empty() ? std::size_t(row) : m_order[std::size_t(row)]; }
    const RowTexts &rowTexts(int row) const;
    void forgetRows();

    QString m_path;
    std::vector<ArticlePlace> m_places; // file order
    std::vector<std::uint32_t> m_order; // row -> index into m_places; empty for file order
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    mutable std::unique_ptr<PlaceReader> m_reader;
    mutable QCache<std::size_t, RowTexts> m_rows;
};

} // namespace pagelore
