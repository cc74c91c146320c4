#include "ArticleFieldBoxes.h"

#include "ScreenSupport.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace pagelore {

namespace {

const char *const kCaptions[] = {
    "記事名",         "記者名",         "掲載雑誌名",     "掲載先頭ページ", "掲載末尾ページ",
    "分野",           "掲載形態",       "掲載年月日",     "内容",           "第一キーワード",
    "第二キーワード", "第三キーワード", "記事画像ﾌｧｲﾙ名", "開始番号",       "末尾番号",
};

constexpr int kContentField = 9;

} // namespace

ArticleFieldBoxes::ArticleFieldBoxes(int count) : m_count(count), m_grid(new QGridLayout)
{
    for (int n = 1; n <= count; ++n) {
        auto *label = new QLabel(QString::fromUtf8(kCaptions[n - 1]));
        label->setObjectName(QStringLiteral("Label%1").arg(n));
        // Shown, not edited: nothing typed here would ever be stored, but the
        // text can be selected and copied.
        QWidget *box;
        if (n == kContentField) {
            auto *content = new QPlainTextEdit;
            content->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            content->setTabChangesFocus(true);
            content->setReadOnly(true);
            box = content;
        } else {
            auto *line = new QLineEdit;
            line->setReadOnly(true);
            line->setMaxLength(kLongestText);
            box = line;
        }
        box->setObjectName(QStringLiteral("Text%1").arg(n));
        label->setBuddy(box);
        m_labels.append(label);
        m_boxes.append(box);
    }
    // The content starts two and a half lines high and takes the height the
    // window gains when it is enlarged.
    m_boxes[kContentField - 1]->setMinimumHeight(m_boxes[0]->sizeHint().height() * 5 / 2);
    m_labels[kContentField - 1]->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_grid->setVerticalSpacing(3);
    auto full = [this](int row, int n) {
        m_grid->addWidget(m_labels[n - 1], row, 0);
        m_grid->addWidget(m_boxes[n - 1], row, 1, 1, 3);
    };
    auto half = [this](int row, int n, int column) {
        m_grid->addWidget(m_labels[n - 1], row, column);
        m_grid->addWidget(m_boxes[n - 1], row, column + 1);
    };
    full(0, 1);
    full(1, 2);
    full(2, 3);
    half(3, 4, 0);
    half(3, 6, 2);
    half(4, 5, 0);
    for (int n = 7, row = 5; n <= std::min(count, 13); ++n, ++row)
        full(row, n);
    m_grid->setRowStretch(5 + kContentField - 7, 1);
    if (count >= 15) {
        half(12, 14, 0);
        half(12, 15, 2);
    }
    m_grid->setColumnStretch(1, 1);
    m_grid->setColumnStretch(3, 1);
}

void ArticleFieldBoxes::setText(int fieldNumber, const QString &text)
{
    if (fieldNumber > m_count)
        return;
    QWidget *box = m_boxes[fieldNumber - 1];
    if (auto *line = qobject_cast<QLineEdit *>(box))
        line->setText(text);
    else
        static_cast<QPlainTextEdit *>(box)->setPlainText(text);
}

void ArticleFieldBoxes::show(const ArticleRecord &r)
{
    setText(1, r.Title);
    setText(2, r.Writer);
    setText(3, r.Magazine);
    setText(4, QString::number(r.FirstPage));
    setText(5, QString::number(r.LastPage));
    setText(6, r.Category);
    setText(7, r.PublicationForm);
    setText(8, r.PublicationDate.toDisplayText());
    // The file keeps CR LF; the box wants plain line breaks.
    QString content = r.Content;
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setText(9, content);
    setText(10, r.Keyword1);
    setText(11, r.Keyword2);
    setText(12, r.Keyword3);
    setText(13, r.ImageBase);
    setText(14, QString::number(r.FirstImageNo));
    setText(15, QString::number(r.LastImageNo));
}

void ArticleFieldBoxes::clear()
{
    for (int n = 1; n <= m_count; ++n)
        setText(n, QString());
}

} // namespace pagelore
