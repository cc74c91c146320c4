#include "ArticleCorrectionScreen.h"

#include "ArticleEntryFields.h"
#include "ScreenSupport.h"
#include "platform/ui/MessageBox.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QDir>
#include <QPushButton>

namespace pagelore {

ArticleCorrectionScreen::ArticleCorrectionScreen(const ArticleRecord &article, QWidget *parent)
    : QDialog(parent), m_original(article), m_fields(std::make_unique<ArticleEntryFields>(this)),
      m_command1(new QPushButton(kBackCaption, this)),
      m_command2(new QPushButton(QStringLiteral("修正する"), this))
{
    setObjectName(QStringLiteral("ArticleCorrectionScreen"));
    setWindowTitle(QStringLiteral("記事の修正"));
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_fields->layOut(this, m_command1, m_command2);

    connect(m_command1, &QPushButton::clicked, this, &ArticleCorrectionScreen::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &ArticleCorrectionScreen::Command2_Click);
}

ArticleCorrectionScreen::~ArticleCorrectionScreen() = default;

bool ArticleCorrectionScreen::Form_Load()
{
    if (!m_fields->load())
        return false;
    m_fields->fill(m_original);
    fitDialogToContents(this);
    m_fields->inputOrder().first()->setFocus();
    return true;
}

bool ArticleCorrectionScreen::openModal()
{
    return Form_Load() && exec() == QDialog::Accepted;
}

void ArticleCorrectionScreen::Command1_Click()
{
    reject();
}

void ArticleCorrectionScreen::Command2_Click()
{
    const auto article = m_fields->confirmAndCollect(
        QStringLiteral("この内容で記事を修正します。よろしいですか。"), QStringLiteral("修正意思確認"));
    if (!article)
        return;
    const QString folder = DataFolder();
    const QString file = QDir::toNativeSeparators(DataFiles::path(folder, DataFiles::ArticleFile));
    try {
        const bool done = runOnArticleFile(
            this, [&] { m_replacement = ReplaceArticle(folder, m_original, *article); },
            [&](const StorageError &e) {
                MessageBox::inform(this, e.message() + QStringLiteral("\n記事は修正されていません。"),
                                   kFileErrorTitle);
            });
        if (!done)
            return;
    } catch (const FieldEncodeError &e) {
        MessageBox::inform(this, e.reasonText(), kInputErrorTitle);
        return;
    }
    if (m_replacement.outcome == Replacement::Outcome::NotFound) {
        MessageBox::inform(this,
                           QStringLiteral("修正する記事が記事ファイル「%1」に見つかりません。この画面を開いた後で"
                                          "記事ファイルが変わったようです。記事は修正されていません。")
                               .arg(file),
                           windowTitle());
        return;
    }
    MessageBox::inform(this, QStringLiteral("修正しました。"), QStringLiteral("修正完了"));
    accept();
}

} // namespace pagelore
