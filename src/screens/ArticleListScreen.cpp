#include "ArticleListScreen.h"

#include "ArticleDetailScreen.h"
#include "ArticleListModel.h"
#include "ScreenSupport.h"
#include "platform/ui/InputMethod.h"
#include "platform/ui/MessageBox.h"
#include "storage/CsvExport.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"
#include "storage/TypedInput.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace pagelore {

namespace {

const QString kCsvTitle = QStringLiteral("CSVに書き出す");

QString chooseCsvFileInteractively(QWidget *parent)
{
    return QFileDialog::getSaveFileName(parent, kCsvTitle, QDir::home().filePath(QStringLiteral("記事一覧.csv")),
                                        QStringLiteral("CSV (*.csv)"));
}

} // namespace

ArticleListScreen::ArticleListScreen(QWidget *parent)
    : QDialog(parent), m_model(new ArticleListModel(this)), m_query(new QLineEdit(this)),
      m_count(new QLabel(this)), m_table(new QTableView(this)),
      m_open(new QPushButton(QStringLiteral("この記事を開く"), this)), m_csv(new QPushButton(kCsvTitle, this)),
      m_back(new QPushButton(kBackCaption, this)), m_typing(new QTimer(this)),
      m_chooseCsvFile(chooseCsvFileInteractively)
{
    setObjectName(QStringLiteral("ArticleListScreen"));
    setWindowTitle(QStringLiteral("記事一覧"));
    m_query->setObjectName(QStringLiteral("QueryBox"));
    m_query->setPlaceholderText(QStringLiteral("語を空白で区切ると、すべての語を含む記事を探します"));
    m_query->setClearButtonEnabled(true);
    m_count->setObjectName(QStringLiteral("HitCount"));
    m_table->setObjectName(QStringLiteral("HitTable"));
    m_open->setObjectName(QStringLiteral("OpenButton"));
    m_csv->setObjectName(QStringLiteral("CsvButton"));
    m_back->setObjectName(QStringLiteral("Command1"));
    for (QPushButton *b : {m_open, m_csv, m_back})
        b->setAutoDefault(false);

    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Rows of one height need no measuring, which a million rows would make slow.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 8);
    QHeaderView *header = m_table->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicator(-1, Qt::AscendingOrder); // file order until a header is clicked
    m_table->setSortingEnabled(true);
    const int widths[] = {260, 120, 150, 90, 80, 110, 80};
    for (int c = 0; c < int(std::size(widths)); ++c)
        m_table->setColumnWidth(c, widths[c]);
    header->setStretchLastSection(true);

    auto *top = new QHBoxLayout;
    auto *caption = new QLabel(QStringLiteral("検索語"), this);
    caption->setBuddy(m_query);
    top->addWidget(caption);
    top->addWidget(m_query, 1);
    top->addWidget(m_count);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_back);
    buttons->addStretch();
    buttons->addWidget(m_open);
    buttons->addWidget(m_csv);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(1000, 600);

    m_typing->setSingleShot(true);
    m_typing->setInterval(kTypingPauseMs);
    connect(m_query, &QLineEdit::textChanged, m_typing, qOverload<>(&QTimer::start));
    connect(m_typing, &QTimer::timeout, this, [this] { runSearch(false); });
    connect(m_query, &QLineEdit::returnPressed, this, [this] { runSearch(true); });
    connect(m_table, &QTableView::activated, this, [this](const QModelIndex &i) { openRow(i.row()); });
    connect(m_open, &QPushButton::clicked, this, [this] {
        if (m_table->currentIndex().isValid())
            openRow(m_table->currentIndex().row());
    });
    connect(m_csv, &QPushButton::clicked, this, &ArticleListScreen::CsvButton_Click);
    connect(m_back, &QPushButton::clicked, this, &QDialog::close);
    connect(m_model, &ArticleListModel::failed, this,
            [this](const QString &message) { MessageBox::inform(this, message, kFileErrorTitle); });
    connect(m_model, &QAbstractItemModel::modelReset, this, &ArticleListScreen::showCount);
}

ArticleListScreen::~ArticleListScreen() = default;

bool ArticleListScreen::Form_Load()
{
    const std::optional<QString> folder = chosenDataFolder();
    if (!folder)
        return false;
    m_folder = *folder;
    if (!search(QString(), nullptr))
        return false;
    setInputMethod(m_query, ImeMode::On);
    m_query->setFocus();
    return true;
}

void ArticleListScreen::openModal()
{
    if (Form_Load())
        exec();
}

void ArticleListScreen::runSearch(bool always)
{
    m_typing->stop();
    const QString typed = m_query->text();
    if (always || typed != m_listed)
        search(typed, this);
}

bool ArticleListScreen::search(const QString &typed, QWidget *parent)
{
    const QuickQuery query(TypedInput::mapTypedText(typed));
    const bool done = runOnArticleFile(
        parent, [&] { m_model->search(m_folder, query); },
        [&](const StorageError &e) { MessageBox::inform(parent, e.message(), kFileErrorTitle); });
    if (done)
        m_listed = typed;
    return done;
}

void ArticleListScreen::showCount()
{
    m_count->setText(QStringLiteral("%1件").arg(QLocale::c().toString(m_model->rowCount())));
}

void ArticleListScreen::openRow(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return;
    ArticleDetailScreen detail(*m_model, row, this);
    detail.exec();
    m_table->setCurrentIndex(m_model->index(detail.row(), 0));
    m_table->scrollTo(m_table->currentIndex());
}

void ArticleListScreen::CsvButton_Click()
{
    const QString path = m_chooseCsvFile(this);
    if (path.isEmpty())
        return;
    // A slip in the file dialog must not cost the collection.
    for (const QString &name : DataFiles::all()) {
        if (FileOps::sameFile(path, DataFiles::path(m_folder, name))) {
            MessageBox::inform(
                this,
                QStringLiteral("「%1」は記事データのファイルです。別のファイル名を指定してください。")
                    .arg(QDir::toNativeSeparators(path)),
                kCsvTitle);
            return;
        }
    }
    const int count = m_model->rowCount();
    try {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        CsvExport::write(path, count, [this](qint64 row) { return m_model->articleAt(int(row)); });
        QApplication::restoreOverrideCursor();
    } catch (const StorageError &e) {
        QApplication::restoreOverrideCursor();
        MessageBox::inform(this, e.message() + QStringLiteral("\nCSVファイルは書き出されていません。"),
                           kFileErrorTitle);
        return;
    }
    MessageBox::inform(this,
                       QStringLiteral("%1件の記事を「%2」に書き出しました。")
                           .arg(QLocale::c().toString(count), QDir::toNativeSeparators(path)),
                       kCsvTitle);
}

} // namespace pagelore
