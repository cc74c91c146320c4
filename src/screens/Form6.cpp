#include "Form6.h"

#include "ArticleFieldBoxes.h"

#include "ScreenSupport.h"
#include "platform/ui/MessageBox.h"
#include "storage/DataFiles.h"
#include "storage/RecordFileCodec.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace pagelore {

const QString Form6::kDeleteQuestion = QStringLiteral("この記事を記事データベースから削除します。");
const QString Form6::kDeleteQuestionTitle = QStringLiteral("記事削除確認");
const QString Form6::kDeleted = QStringLiteral("長らくお待たせしましたが、記事の削除が完了しました。");
const QString Form6::kDeletedTitle = QStringLiteral("削除完了");
const QString Form6::kNotDeletedTitle = QStringLiteral("削除未完了");
const QString Form6::kNothingShown = QStringLiteral("削除する記事が表示されていません。何も削除されていません。");
const QString Form6::kNotFound =
    QStringLiteral("この記事は記事ファイル「%1」の中に見つかりませんでした。何も削除されていません。");
const QString Form6::kNothingChanged = QStringLiteral("記事ファイルは変更されていません。");

namespace {

template <typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

Form6::Form6(QWidget *parent) : ResultBrowserBase(parent)
{
    setWindowTitle(QStringLiteral("削除記事候補検索結果"));

    m_fields = std::make_unique<ArticleFieldBoxes>(12);

    Command1 = named(new QPushButton(QStringLiteral("次の候補>>")), QStringLiteral("Command1"));
    Command2 = named(new QPushButton(QStringLiteral("この記事を削除(画像データ自体は消去されません)")),
                     QStringLiteral("Command2"));
    Command3 = named(new QPushButton(QStringLiteral("<<検索条件を改める")), QStringLiteral("Command3"));
    Command4 = named(new QPushButton(QStringLiteral("機能選択の画面に戻る")), QStringLiteral("Command4"));
    for (QPushButton *b : {Command1, Command2, Command3, Command4})
        b->setAutoDefault(false);

    auto *back = new QHBoxLayout;
    back->addWidget(Command3);
    back->addStretch();
    back->addWidget(Command4);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    layout->addLayout(m_fields->grid(), 1);
    layout->addWidget(Command1);
    layout->addWidget(Command2);
    layout->addLayout(back);
    resize(312, 422);

    connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form6::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form6::Command4_Click);
}

void Form6::Command1_Click()
{
    showNext();
}

void Form6::Command2_Click()
{
    if (!m_shown) {
        MessageBox::inform(this, kNothingShown, kNotDeletedTitle);
        return;
    }
    if (!MessageBox::ask(this, kDeleteQuestion, kDeleteQuestionTitle, MessageBox::Default::No))
        return;
    closeResult();
    const QString folder = DataFolder();
    try {
        runOnArticleFile(
            this,
            [&] {
                if (RemoveArticle(folder, *m_shown) == RemovalOutcome::Removed)
                    MessageBox::inform(this, kDeleted, kDeletedTitle);
                else
                    MessageBox::inform(
                        this,
                        kNotFound.arg(QDir::toNativeSeparators(DataFiles::path(folder, DataFiles::ArticleFile))),
                        kNotDeletedTitle);
            },
            [&](const StorageError &e) {
                MessageBox::inform(this, e.message() + u'\n' + kNothingChanged, kNotDeletedTitle);
            });
    } catch (const FieldEncodeError &e) {
        MessageBox::inform(this, e.reasonText() + u'\n' + kNothingChanged, kNotDeletedTitle);
    }
}

void Form6::Command3_Click()
{
    backToConditions();
}

void Form6::Command4_Click()
{
    backToMenu();
}

void Form6::showRecord(const ArticleRecord &r)
{
    m_fields->show(r);
    m_shown = ShownCandidate::fromArticle(r);
}

void Form6::showNoRecord()
{
    m_fields->clear();
    m_shown.reset();
}

} // namespace pagelore
