#include "Form6.h"

#include "platform/MessageBox.h"
#include "storage/DataFiles.h"
#include "storage/RecordFileCodec.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pagelore {

const QString Form6::kDeleteQuestion = QStringLiteral("この記事を記事データベースから削除します。");
const QString Form6::kDeleteQuestionTitle = QStringLiteral("記事削除確認");
const QString Form6::kDeleted = QStringLiteral("長らくお待たせしましたが、記事の削除が完了しました。");
const QString Form6::kDeletedTitle = QStringLiteral("削除完了");
const QString Form6::kNotDeletedTitle = QStringLiteral("削除未完了");
const QString Form6::kNothingShown =
    QStringLiteral("削除する記事が表示されていません。何も削除されていません。");
const QString Form6::kNotFound =
    QStringLiteral("この記事は記事ファイル「%1」の中に見つかりませんでした。何も削除されていません。");
const QString Form6::kNothingChanged = QStringLiteral("記事ファイルは変更されていません。");

namespace {

template <typename T>
T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

}  // namespace

Form6::Form6(QWidget *parent) : ResultBrowserBase(parent)
{
    setWindowTitle(QStringLiteral("削除記事候補検索結果"));

    constexpr int kFields = 12;
    const QString captions[kFields] = {
        QStringLiteral("記事名"),         QStringLiteral("記者名"),         QStringLiteral("掲載雑誌名"),
        QStringLiteral("掲載先頭ページ"), QStringLiteral("掲載末尾ページ"), QStringLiteral("分野"),
        QStringLiteral("掲載形態"),       QStringLiteral("掲載年月日"),     QStringLiteral("内容"),
        QStringLiteral("第一キーワード"), QStringLiteral("第二キーワード"), QStringLiteral("第三キーワード"),
    };
    QLabel *labels[kFields];
    for (int i = 0; i < kFields; ++i)
        labels[i] = named(new QLabel(captions[i]), QStringLiteral("Label%1").arg(i + 1));
    QLineEdit **lines[] = {&Text1, &Text2, &Text3, &Text4, &Text5, &Text6, &Text7, &Text8, &Text10, &Text11, &Text12};
    for (QLineEdit **line : lines)
        *line = new QLineEdit;
    Text9 = new QPlainTextEdit;
    Text9->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text9->setTabChangesFocus(true);
    Text9->setFixedHeight(Text1->sizeHint().height() * 5 / 2);
    QWidget *fields[kFields] = {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12};
    for (int i = 0; i < kFields; ++i) {
        fields[i]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        labels[i]->setBuddy(fields[i]);
    }

    // The rows of the search result browser without its image fields.
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(3);
    auto full = [&](int row, int index) {
        grid->addWidget(labels[index], row, 0);
        grid->addWidget(fields[index], row, 1, 1, 3);
    };
    full(0, 0);
    full(1, 1);
    full(2, 2);
    grid->addWidget(labels[3], 3, 0);
    grid->addWidget(fields[3], 3, 1);
    grid->addWidget(labels[5], 3, 2);
    grid->addWidget(fields[5], 3, 3);
    grid->addWidget(labels[4], 4, 0);
    grid->addWidget(fields[4], 4, 1);
    full(5, 6);
    full(6, 7);
    full(7, 8);
    labels[8]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    full(8, 9);
    full(9, 10);
    full(10, 11);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

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
    layout->addLayout(grid);
    layout->addWidget(Command1);
    layout->addWidget(Command2);
    layout->addLayout(back);
    resize(312, 422);

    connect(Command1, &QPushButton::clicked, this, &Form6::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form6::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form6::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form6::Command4_Click);

    Form_Load();
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
    if (!MessageBox::ask(this, kDeleteQuestion, kDeleteQuestionTitle))
        return;
    closeResult();
    const QString folder = DataFolder();
    try {
        if (RemoveArticle(folder, *m_shown) == RemovalOutcome::Removed)
            MessageBox::inform(this, kDeleted, kDeletedTitle);
        else
            MessageBox::inform(
                this, kNotFound.arg(QDir::toNativeSeparators(DataFiles::path(folder, DataFiles::ArticleFile))),
                kNotDeletedTitle);
    } catch (const StorageError &e) {
        MessageBox::inform(this, e.message() + u'\n' + kNothingChanged, kNotDeletedTitle);
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
    Text1->setText(r.Title);
    Text2->setText(r.Writer);
    Text3->setText(r.Magazine);
    Text4->setText(QString::number(r.FirstPage));
    Text5->setText(QString::number(r.LastPage));
    Text6->setText(r.Category);
    Text7->setText(r.PublicationForm);
    Text8->setText(r.PublicationDate.toDisplayText());
    QString content = r.Content;
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text9->setPlainText(content);
    Text10->setText(r.Keyword1);
    Text11->setText(r.Keyword2);
    Text12->setText(r.Keyword3);
    m_shown = ShownCandidate::fromArticle(r);
}

void Form6::showNoRecord()
{
    for (QLineEdit *line : {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text10, Text11, Text12})
        line->clear();
    Text9->clear();
    m_shown.reset();
}

}  // namespace pagelore
