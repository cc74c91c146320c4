#include "ArticleEntryFields.h"

#include "EditableCombo.h"
#include "ScreenSupport.h"
#include "platform/ui/InputMethod.h"
#include "platform/ui/MessageBox.h"
#include "storage/RecordFileCodec.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"
#include "storage/TypedInput.h"

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

#include <array>

namespace pagelore {

namespace {

enum Field {
    Title,
    Writer,
    Magazine,
    FirstPage,
    LastPage,
    Category,
    Form,
    Date,
    Content,
    K1,
    K2,
    K3,
    Base,
    FirstNo,
    LastNo
};

// The caption of the widget that supplies each field, in field order; the
// base name has no caption of its own, so it is named by the start of Label14.
const std::array<QString, ArticleRecord::kFieldCount> &fieldCaptions()
{
    static const std::array<QString, ArticleRecord::kFieldCount> captions = {
        QStringLiteral("記事名"),
        QStringLiteral("記者名"),
        QStringLiteral("掲載雑誌名"),
        QStringLiteral("掲載先頭ページ"),
        QStringLiteral("掲載末尾ページ"),
        QStringLiteral("分野"),
        QStringLiteral("掲載形態"),
        QStringLiteral("掲載年月日(必須)"),
        QStringLiteral("内容"),
        QStringLiteral("第一キーワード"),
        QStringLiteral("第二キーワード"),
        QStringLiteral("第三キーワード"),
        QStringLiteral("記事紙面ﾌｧｲﾙ基本ﾌｧｲﾙ名"),
        QStringLiteral("初期ﾌｧｲﾙ番号"),
        QStringLiteral("最終ﾌｧｲﾙ番号"),
    };
    return captions;
}

QString pageExpected(int field)
{
    return QStringLiteral("「%1」には -32768 から 32767 までの整数を半角数字で入力してください。")
        .arg(fieldCaptions()[field]);
}

QString imageNoExpected(int field)
{
    return QStringLiteral("「%1」には 0 から 255 までの整数を半角数字で入力してください。")
        .arg(fieldCaptions()[field]);
}

QString dateProblem(TypedInput::DateError error, const QString &typed)
{
    if (error == TypedInput::DateError::NoSuchDate)
        return noSuchDateText(fieldCaptions()[Date], typed);
    return QStringLiteral("「%1」には 1990/1/1 のように 年/月/日 の形で日付を入力してください。"
                          "日付が不明な場合は 1900/1/1 と入力してください。")
        .arg(fieldCaptions()[Date]);
}

QLabel *makeFixedText(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

} // namespace

ArticleEntryFields::ArticleEntryFields(QWidget *owner)
    : m_owner(owner), m_grid(new QGridLayout), m_content(new QPlainTextEdit(owner)),
      m_combo1(makeEditableCombo(owner, QStringLiteral("Combo1"))),
      m_combo2(makeEditableCombo(owner, QStringLiteral("Combo2"))),
      m_combo3(makeEditableCombo(owner, QStringLiteral("Combo3"))), m_label18(new QLabel(owner))
{
    for (int i = 1; i <= 12; ++i) {
        if (i == 6)
            continue;
        m_text[i] = new QLineEdit(owner);
        m_text[i]->setObjectName(QStringLiteral("Text%1").arg(i));
        m_text[i]->setMaxLength(kLongestText);
    }
    m_content->setObjectName(QStringLiteral("Text6"));
    m_content->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_content->setTabChangesFocus(true);
    m_content->setFixedHeight(m_content->fontMetrics().lineSpacing() * 5 + 12);
    m_label18->setObjectName(QStringLiteral("Label18"));
    m_label18->setTextFormat(Qt::PlainText);

    m_text[5]->setText(QStringLiteral("1990/1/1"));
    m_text[11]->setText(QStringLiteral("0"));
    m_text[12]->setText(QStringLiteral("255"));
    setComboChoices(m_combo3, PublicationFormChoices());

    m_grid->setColumnStretch(1, 1);
    m_grid->setColumnStretch(3, 1);
    int row = 0;
    addCaptionedRow(row++, Title, m_text[1]);
    addCaptionedRow(row++, Writer, m_text[2]);
    addCaptionedRow(row++, Magazine, m_combo1);
    addCaptionedPair(row++, FirstPage, m_text[3], LastPage, m_text[4]);
    addCaptionedPair(row++, Category, m_combo2, Form, m_combo3);
    addCaption(row, 0, Date, m_text[5]);
    m_grid->addWidget(m_text[5], row++, 1);
    m_grid->addWidget(makeFixedText(owner, QStringLiteral("Label8"),
                                    QStringLiteral("掲載年月日は、日付を何かしら入力しないとエラーになりますので、"
                                                   "不明な場合は、「1900/1/1」と記入してください。")),
                      row++, 1, 1, 3);
    addCaptionedRow(row++, Content, m_content);
    addCaptionedRow(row++, K1, m_text[7]);
    addCaptionedRow(row++, K2, m_text[8]);
    addCaptionedRow(row++, K3, m_text[9]);
    m_grid->addWidget(
        makeFixedText(
            owner, QStringLiteral("Label14"),
            QStringLiteral("記事紙面ﾌｧｲﾙ基本ﾌｧｲﾙ名(例:PC0.jpg～PC255.jpgの場合PC)あらかじめ登録しているﾌｫﾙﾀﾞに"
                           "あるﾌｧｲﾙを指定して下さい。重複して入力しないようご注意ください。(画像はかなり粗く"
                           "なるので狭い範囲ごとに高画質で保存して下さい。)")),
        row++, 0, 1, 4);
    auto *imageRow = new QHBoxLayout;
    imageRow->setSpacing(2);
    auto *label19 = new QLabel(QStringLiteral(".jpg"), owner);
    label19->setObjectName(QStringLiteral("Label19"));
    imageRow->addWidget(m_label18);
    imageRow->addWidget(m_text[10], 1);
    imageRow->addWidget(label19);
    m_grid->addLayout(imageRow, row++, 0, 1, 4);
    addCaptionedPair(row++, FirstNo, m_text[11], LastNo, m_text[12]);
    m_grid->addWidget(
        makeFixedText(
            owner, QStringLiteral("Label17"),
            QStringLiteral(
                "記事の画像ﾌｧｲﾙは、基本ﾌｧｲﾙ名+ﾍﾟｰｼﾞ順につけられたﾌｧｲﾙ番号+拡張子(,jpg)で管理されています。"
                "また、記事紙面画像ﾌｧｲﾙは、予め登録されているﾌｫﾙﾀﾞ内に格納されていなければなりません。"
                "また、初期ﾌｧｲﾙ番号は、0以上、最終ﾌｧｲﾙ番号は、255以下となるようにしてください。"
                "また、拡張子がjpgのファイルだけを指定することができます。")),
        row++, 0, 1, 4);
}

QLabel *ArticleEntryFields::addCaption(int row, int column, int field, QWidget *buddy)
{
    auto *label = new QLabel(fieldCaptions()[field], m_owner);
    label->setObjectName(QStringLiteral("caption") + buddy->objectName());
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(buddy);
    m_grid->addWidget(label, row, column, field == Content ? Qt::AlignTop : Qt::Alignment());
    return label;
}

void ArticleEntryFields::addCaptionedRow(int row, int field, QWidget *widget)
{
    addCaption(row, 0, field, widget);
    m_grid->addWidget(widget, row, 1, 1, 3);
}

void ArticleEntryFields::addCaptionedPair(int row, int leftField, QWidget *left, int rightField, QWidget *right)
{
    addCaption(row, 0, leftField, left);
    m_grid->addWidget(left, row, 1);
    addCaption(row, 2, rightField, right);
    m_grid->addWidget(right, row, 3);
}

QWidget *ArticleEntryFields::fieldWidget(int field) const
{
    static constexpr int kTextOf[] = {1, 2, 0, 3, 4, 0, 0, 5, 6, 7, 8, 9, 10, 11, 12};
    switch (field) {
    case Magazine:
        return m_combo1;
    case Category:
        return m_combo2;
    case Form:
        return m_combo3;
    case Content:
        return m_content;
    default:
        return m_text[kTextOf[field]];
    }
}

QList<QWidget *> ArticleEntryFields::inputOrder() const
{
    QList<QWidget *> order;
    for (int field = 0; field < ArticleRecord::kFieldCount; ++field)
        order << fieldWidget(field);
    return order;
}

void ArticleEntryFields::setCandidateLists(const CandidateList::CandidateLists &lists)
{
    setComboChoices(m_combo1, lists.magazines);
    setComboChoices(m_combo2, lists.categories);
}

void ArticleEntryFields::setImageFolder(const QString &folder)
{
    m_label18->setText(folder);
}

void ArticleEntryFields::layOut(QDialog *dialog, QPushButton *back, QPushButton *save)
{
    // Return in a text box must not press a button behind the user's back.
    for (QPushButton *button : {back, save}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(save);

    auto *layout = new QVBoxLayout(dialog);
    layout->addLayout(m_grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    dialog->setMinimumWidth(720);

    QList<QWidget *> order = inputOrder();
    order << back << save;
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

bool ArticleEntryFields::load()
{
    const std::optional<QString> folder = chosenDataFolder();
    if (!folder)
        return false;
    try {
        setCandidateLists(CandidateList::ReadCandidateLists(*folder));
    } catch (const StorageError &e) {
        MessageBox::inform(nullptr, listFileFailureText(e, *folder), kFileErrorTitle);
        return false;
    }
    setInputMethods();
    setImageFolder(ImageFolder());
    return true;
}

void ArticleEntryFields::setInputMethods()
{
    for (int field : {Title, Writer, Magazine, Category, Form, Content, K1, K2, K3})
        setInputMethod(fieldWidget(field), ImeMode::On);
    for (int field : {FirstPage, LastPage, Date})
        setInputMethod(fieldWidget(field), ImeMode::Off);
}

void ArticleEntryFields::fill(const ArticleRecord &a)
{
    m_text[1]->setText(a.Title);
    m_text[2]->setText(a.Writer);
    m_combo1->setEditText(a.Magazine);
    m_text[3]->setText(QString::number(a.FirstPage));
    m_text[4]->setText(QString::number(a.LastPage));
    m_combo2->setEditText(a.Category);
    m_combo3->setEditText(a.PublicationForm);
    m_text[5]->setText(a.PublicationDate.toDisplayText());
    QString content = a.Content;
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_content->setPlainText(content);
    m_text[7]->setText(a.Keyword1);
    m_text[8]->setText(a.Keyword2);
    m_text[9]->setText(a.Keyword3);
    m_text[10]->setText(a.ImageBase);
    m_text[11]->setText(QString::number(a.FirstImageNo));
    m_text[12]->setText(QString::number(a.LastImageNo));
}

std::optional<ArticleRecord> ArticleEntryFields::confirmAndCollect(const QString &question,
                                                                   const QString &title) const
{
    if (!MessageBox::ask(m_owner, question, title))
        return std::nullopt;
    QStringList problems;
    auto article = collect(problems);
    if (!article)
        MessageBox::inform(m_owner, problems.join(u'\n'), kInputErrorTitle);
    return article;
}

std::optional<ArticleRecord> ArticleEntryFields::collect(QStringList &problems) const
{
    problems.clear();
    QWidget *firstBad = nullptr;
    const auto refuse = [&](int field, const QString &problem) {
        problems << problem;
        if (!firstBad)
            firstBad = fieldWidget(field);
    };
    const auto text = [&](int field, const QString &typed) {
        const QString value = TypedInput::mapTypedText(typed);
        try {
            RecordFileCodec::checkText(value, field);
        } catch (const FieldEncodeError &e) {
            refuse(field, QStringLiteral("「%1」に入力された").arg(fieldCaptions()[field]) + e.reasonText());
        }
        return value;
    };
    const auto page = [&](int field, const QString &typed) -> qint16 {
        const auto v = TypedInput::toInt16(typed);
        if (!v)
            refuse(field, pageExpected(field));
        return v.value_or(0);
    };
    const auto imageNo = [&](int field, const QString &typed) -> quint8 {
        const auto v = TypedInput::toUInt8(typed);
        if (!v)
            refuse(field, imageNoExpected(field));
        return v.value_or(0);
    };

    ArticleRecord a;
    a.Title = text(Title, m_text[1]->text());
    a.Writer = text(Writer, m_text[2]->text());
    a.Magazine = text(Magazine, m_combo1->currentText());
    a.FirstPage = page(FirstPage, m_text[3]->text());
    a.LastPage = page(LastPage, m_text[4]->text());
    a.Category = text(Category, m_combo2->currentText());
    a.PublicationForm = text(Form, m_combo3->currentText());
    TypedInput::DateError dateError{};
    if (const auto date = TypedInput::toDate(m_text[5]->text(), &dateError))
        a.PublicationDate = *date;
    else
        refuse(Date, dateProblem(dateError, m_text[5]->text()));
    // A line break in the content is stored as the CR LF pair the files use.
    QString content = m_content->document()->toRawText();
    content.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    content.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
    a.Content = text(Content, content);
    a.Keyword1 = text(K1, m_text[7]->text());
    a.Keyword2 = text(K2, m_text[8]->text());
    a.Keyword3 = text(K3, m_text[9]->text());
    a.ImageBase = text(Base, m_text[10]->text());
    a.FirstImageNo = imageNo(FirstNo, m_text[11]->text());
    a.LastImageNo = imageNo(LastNo, m_text[12]->text());

    if (!firstBad && a.encode().size() >= RecordFileCodec::kMaxRecordBytes) {
        problems << QStringLiteral(
                        "記事全体が長すぎるため記録できません(%1バイトまで)。内容などを短くしてください。")
                        .arg(RecordFileCodec::kMaxRecordBytes);
        firstBad = m_content;
    }
    if (firstBad) {
        firstBad->setFocus();
        return std::nullopt;
    }
    return a;
}

} // namespace pagelore
