#include "Form5.h"

#include "Form7.h"
#include "PageImageSelection.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pagelore {

namespace {

template <typename T>
T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

}  // namespace

Form5::Form5(QWidget *parent) : ResultBrowserBase(parent)
{
    setWindowTitle(QStringLiteral("記事検索結果"));

    const QString captions[] = {
        QStringLiteral("記事名"),         QStringLiteral("記者名"),         QStringLiteral("掲載雑誌名"),
        QStringLiteral("掲載先頭ページ"), QStringLiteral("掲載末尾ページ"), QStringLiteral("分野"),
        QStringLiteral("掲載形態"),       QStringLiteral("掲載年月日"),     QStringLiteral("内容"),
        QStringLiteral("第一キーワード"), QStringLiteral("第二キーワード"), QStringLiteral("第三キーワード"),
        QStringLiteral("記事画像ﾌｧｲﾙ名"), QStringLiteral("開始番号"),       QStringLiteral("末尾番号"),
    };
    QLabel *labels[15];
    for (int i = 0; i < 15; ++i)
        labels[i] = named(new QLabel(captions[i]), QStringLiteral("Label%1").arg(i + 1));
    QLineEdit **lines[] = {&Text1,  &Text2,  &Text3,  &Text4,  &Text5,  &Text6,  &Text7,
                           &Text8,  &Text10, &Text11, &Text12, &Text13, &Text14, &Text15};
    for (QLineEdit **line : lines)
        *line = new QLineEdit;
    Text9 = new QPlainTextEdit;
    Text9->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text9->setTabChangesFocus(true);
    Text9->setFixedHeight(Text1->sizeHint().height() * 5 / 2);
    QWidget *fields[] = {Text1, Text2, Text3,  Text4,  Text5,  Text6,  Text7, Text8,
                         Text9, Text10, Text11, Text12, Text13, Text14, Text15};
    for (int i = 0; i < 15; ++i) {
        fields[i]->setObjectName(QStringLiteral("Text%1").arg(i + 1));
        labels[i]->setBuddy(fields[i]);
    }

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
    full(11, 12);
    grid->addWidget(labels[13], 12, 0);
    grid->addWidget(fields[13], 12, 1);
    grid->addWidget(labels[14], 12, 2);
    grid->addWidget(fields[14], 12, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    Command4 = named(new QPushButton(QStringLiteral("この記事の画像ﾃﾞｰﾀを見る(非常に時間が掛かります)")),
                     QStringLiteral("Command4"));
    Command1 = named(new QPushButton(QStringLiteral("次の候補>>")), QStringLiteral("Command1"));
    Command2 = named(new QPushButton(QStringLiteral("<<検索条件を改める")), QStringLiteral("Command2"));
    Command3 = named(new QPushButton(QStringLiteral("機能選択の画面に戻る")), QStringLiteral("Command3"));
    for (QPushButton *b : {Command1, Command2, Command3, Command4})
        b->setAutoDefault(false);

    auto *back = new QHBoxLayout;
    back->addWidget(Command2);
    back->addStretch();
    back->addWidget(Command3);

    auto *layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    layout->addLayout(grid);
    layout->addWidget(Command4);
    layout->addWidget(Command1);
    layout->addLayout(back);
    resize(318, 479);

    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form5::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form5::Command4_Click);

    Form_Load();
}

void Form5::Command1_Click()
{
    showNext();
}

void Form5::Command2_Click()
{
    backToConditions();
}

void Form5::Command3_Click()
{
    backToMenu();
}

void Form5::Command4_Click()
{
    Form7 viewer;
    viewer.exec();
}

void Form5::showRecord(const ArticleRecord &r)
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
    Text13->setText(r.ImageBase);
    Text14->setText(QString::number(r.FirstImageNo));
    Text15->setText(QString::number(r.LastImageNo));
    PageImageSelection::set({r.ImageBase, r.FirstImageNo, r.LastImageNo});
}

void Form5::showNoRecord()
{
    for (QLineEdit *line : {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text10, Text11, Text12, Text13,
                            Text14, Text15})
        line->clear();
    Text9->clear();
    // Never leave the pages of an article from an earlier search selectable.
    PageImageSelection::reset();
}

}  // namespace pagelore
