#include "ArticleListModel.h"

#include "storage/DataFiles.h"
#include "storage/StorageError.h"

#include <QApplication>
#include <QCursor>

#include <algorithm>

#include <malloc.h>

namespace pagelore {

namespace {

const char *const kCaptions[kListColumnCount] = {"記事名", "記者名", "掲載雑誌名", "掲載年月日",
                                                 "ページ", "分野",   "掲載形態"};

// Rows drawn at once are a screenful or two; scrolling back finds them here.
constexpr int kRowsKept = 512;

// The cursor says the program is busy; afterwards the memory the pass took
// for itself goes back to the system, which the allocator would otherwise
// keep for the next large request.
class BusyPass {
public:
    BusyPass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPass()
    {
        QApplication::restoreOverrideCursor();
        malloc_trim(0);
    }
};

} // namespace

ArticleListModel::ArticleListModel(QObject *parent) : QAbstractTableModel(parent), m_rows(kRowsKept)
{
}

ArticleListModel::~ArticleListModel() = default;

void ArticleListModel::search(const QString &dataFolder, const QuickQuery &query)
{
    const QString path = DataFiles::path(dataFolder, DataFiles::ArticleFile);
    BusyPass busy;
    std::vector<ArticlePlace> places = RunQuickSearch(dataFolder, query);
    std::vector<std::uint32_t> order;
    if (m_sortColumn >= 0)
        order = SortPlaces(path, places, ListColumn(m_sortColumn), m_sortOrder == Qt::DescendingOrder);
    auto reader = std::make_unique<PlaceReader>(path);
    beginResetModel();
    m_path = path;
    m_places = std::move(places);
    m_order = std::move(order);
    m_reader = std::move(reader);
    m_rows.clear();
    endResetModel();
}

int ArticleListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_places.size());
}

int ArticleListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kListColumnCount;
}

QVariant ArticleListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kListColumnCount)
        return QString::fromUtf8(kCaptions[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

const ArticleListModel::RowTexts &ArticleListModel::rowTexts(int row) const
{
    const std::size_t hit = hitOf(row);
    if (const RowTexts *kept = m_rows.object(hit))
        return *kept;
    auto *texts = new RowTexts;
    try {
        if (!m_reader)
            m_reader = std::make_unique<PlaceReader>(m_path);
        const ArticleRecord a = m_reader->read(m_places[hit]);
        *texts = {a.Title,
                  a.Writer,
                  a.Magazine,
                  a.PublicationDate.toDisplayText(),
                  QStringLiteral("%1–%2").arg(a.FirstPage).arg(a.LastPage),
                  a.Category,
                  a.PublicationForm};
    } catch (const StorageError &) {
        // Drawing is no moment for a message box: the row says it, and the
        // detail view names the fault when the row is opened.
        (*texts)[0] = QStringLiteral("(読み込めません)");
        m_reader.reset();
    }
    m_rows.insert(hit, texts);
    return *m_rows.object(hit);
}

QVariant ArticleListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return rowTexts(index.row())[std::size_t(index.column())];
    if (role == Qt::TextAlignmentRole && ListColumn(index.column()) == ListColumn::Pages)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

void ArticleListModel::sort(int column, Qt::SortOrder order)
{
    if (column >= kListColumnCount)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The current and selected articles stay so, in their new rows.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::size_t> hits;
    for (const QModelIndex &i : before)
        hits.push_back(hitOf(i.row()));
    // The old order goes first: a sort of a million hits needs the room.
    m_order = {};
    m_sortColumn = -1;
    if (column >= 0 && !m_places.empty()) {
        try {
            BusyPass busy;
            m_order = SortPlaces(m_path, m_places, ListColumn(column), order == Qt::DescendingOrder);
            m_sortColumn = column;
            m_sortOrder = order;
        } catch (const StorageError &e) {
            emit failed(e.message()); // the list stays in file order
        }
    }
    if (!before.isEmpty()) {
        std::vector<std::uint32_t> rowOfHit(m_places.size());
        for (std::size_t row = 0; row < m_places.size(); ++row)
            rowOfHit[hitOf(int(row))] = std::uint32_t(row);
        QModelIndexList after;
        for (qsizetype k = 0; k < before.size(); ++k)
            after << index(int(rowOfHit[hits[std::size_t(k)]]), before[k].column());
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

ArticleRecord ArticleListModel::articleAt(int row) const
{
    if (!m_reader)
        m_reader = std::make_unique<PlaceReader>(m_path);
    try {
        return m_reader->read(placeAt(row));
    } catch (const StorageError &) {
        m_reader.reset();
        throw;
    }
}

ArticlePlace ArticleListModel::placeAt(int row) const
{
    return m_places[hitOf(row)];
}

int ArticleListModel::rowOfRecord(qint64 recordNumber) const
{
    const auto at = std::lower_bound(m_places.begin(), m_places.end(), recordNumber,
                                     [](const ArticlePlace &p, qint64 n) { return p.recordNumber < n; });
    if (at == m_places.end() || at->recordNumber != recordNumber)
        return -1;
    const auto hit = std::uint32_t(at - m_places.begin());
    if (m_order.empty())
        return int(hit);
    return int(std::find(m_order.begin(), m_order.end(), hit) - m_order.begin());
}

void ArticleListModel::articleReplaced(const Replacement &r)
{
    const qint64 shift = r.newSize - r.oldSize;
    for (ArticlePlace &p : m_places)
        if (p.offset > r.place.offset)
            p.offset += shift;
    // The old handle still reads the file as it was before the rename.
    m_reader.reset();
    forgetRows();
}

void ArticleListModel::forgetRows()
{
    m_rows.clear();
    if (!m_places.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kListColumnCount - 1));
}

} // namespace pagelore
