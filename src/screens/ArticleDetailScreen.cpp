#include "ArticleDetailScreen.h"

#include "ArticleCorrectionScreen.h"
#include "ArticleFieldBoxes.h"
#include "ArticleListModel.h"
#include "Form7.h"
#include "ScreenSupport.h"
#include "platform/ui/MessageBox.h"
#include "storage/StorageError.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace pagelore {

namespace {

// The viewer of the result browser, for one article's pages.
void openPageViewer(const ArticleRecord &a, QWidget *parent)
{
    Form7 viewer({a.ImageBase, a.FirstImageNo, a.LastImageNo}, parent);
    viewer.openModal();
}

QPushButton *makeButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

ArticleDetailScreen::ArticleDetailScreen(ArticleListModel &model, int row, QWidget *parent)
    : QDialog(parent), m_model(model), m_fields(std::make_unique<ArticleFieldBoxes>(15)),
      m_position(new QLabel(this)),
      m_previous(makeButton(QStringLiteral("<<前の記事"), QStringLiteral("PreviousButton"), this)),
      m_next(makeButton(QStringLiteral("次の記事>>"), QStringLiteral("NextButton"), this)),
      m_image(makeButton(QStringLiteral("この記事の画像ﾃﾞｰﾀを見る"), QStringLiteral("ImageButton"), this)),
      m_correct(makeButton(QStringLiteral("この記事を修正"), QStringLiteral("CorrectButton"), this)),
      m_close(makeButton(QStringLiteral("一覧に戻る"), QStringLiteral("CloseButton"), this))
{
    setObjectName(QStringLiteral("ArticleDetailScreen"));
    setWindowTitle(QStringLiteral("記事の詳細"));
    m_position->setObjectName(QStringLiteral("Position"));

    auto *paging = new QHBoxLayout;
    paging->addWidget(m_previous);
    paging->addStretch();
    paging->addWidget(m_position);
    paging->addStretch();
    paging->addWidget(m_next);
    auto *actions = new QHBoxLayout;
    actions->addWidget(m_close);
    actions->addStretch();
    actions->addWidget(m_image);
    actions->addWidget(m_correct);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(paging);
    layout->addLayout(m_fields->grid());
    layout->addLayout(actions);
    setMinimumWidth(560);

    connect(m_previous, &QPushButton::clicked, this, &ArticleDetailScreen::PreviousButton_Click);
    connect(m_next, &QPushButton::clicked, this, &ArticleDetailScreen::NextButton_Click);
    connect(m_image, &QPushButton::clicked, this, &ArticleDetailScreen::ImageButton_Click);
    connect(m_correct, &QPushButton::clicked, this, &ArticleDetailScreen::CorrectButton_Click);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    showRow(row);
}

ArticleDetailScreen::~ArticleDetailScreen() = default;

void ArticleDetailScreen::showRow(int row)
{
    const int count = m_model.rowCount();
    m_row = row;
    m_position->setText(
        QStringLiteral("%1 / %2件").arg(QLocale::c().toString(row + 1), QLocale::c().toString(count)));
    m_previous->setEnabled(row > 0);
    m_next->setEnabled(row + 1 < count);
    try {
        m_article = m_model.articleAt(row);
        m_fields->show(*m_article);
    } catch (const StorageError &e) {
        m_article.reset();
        m_fields->clear();
        MessageBox::inform(this, e.message(), kFileErrorTitle);
    }
    m_image->setEnabled(m_article.has_value());
    m_correct->setEnabled(m_article.has_value());
}

void ArticleDetailScreen::PreviousButton_Click()
{
    if (m_row > 0)
        showRow(m_row - 1);
}

void ArticleDetailScreen::NextButton_Click()
{
    if (m_row + 1 < m_model.rowCount())
        showRow(m_row + 1);
}

void ArticleDetailScreen::ImageButton_Click()
{
    if (m_article)
        openPageViewer(*m_article, this);
}

void ArticleDetailScreen::CorrectButton_Click()
{
    if (!m_article)
        return;
    ArticleCorrectionScreen correction(*m_article, this);
    if (!correction.openModal())
        return;
    m_model.articleReplaced(correction.replacement());
    // An identical twin earlier in the file is the one corrected. It is in
    // the list too, as the list is made from the fields alone, so the view
    // moves to it.
    const int row = m_model.rowOfRecord(correction.replacement().place.recordNumber);
    showRow(row >= 0 ? row : m_row);
}

} // namespace pagelore
