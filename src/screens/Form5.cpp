#include "Form5.h"

#include "ArticleFieldBoxes.h"

#include "Form7.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace pagelore {

namespace {

template <typename T> T *named(T *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

Form5::Form5(QWidget *parent) : ResultBrowserBase(parent)
{
    setWindowTitle(QStringLiteral("記事検索結果"));

    m_fields = std::make_unique<ArticleFieldBoxes>(15);

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
    layout->addLayout(m_fields->grid(), 1);
    layout->addWidget(Command4);
    layout->addWidget(Command1);
    layout->addLayout(back);
    resize(318, 479);

    connect(Command1, &QPushButton::clicked, this, &Form5::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form5::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form5::Command4_Click);
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
    Form7 viewer(m_selection);
    viewer.openModal();
}

void Form5::showRecord(const ArticleRecord &r)
{
    m_fields->show(r);
    m_selection = {r.ImageBase, r.FirstImageNo, r.LastImageNo};
}

void Form5::showNoRecord()
{
    m_fields->clear();
    m_selection = {};
}

} // namespace pagelore
