#include "Form3.h"

#include "CandidateEditor.h"
#include "ScreenNames.h"
#include "platform/ui/InputMethod.h"
#include "platform/ui/MessageBox.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/RecordFileCodec.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"
#include "storage/TypedInput.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

#include <array>

namespace pagelore {

namespace {

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

enum Field { Title, Writer, Magazine, FirstPage, LastPage, Category, Form, Date, Content, K1, K2, K3, Base, FirstNo, LastNo };

QString pageExpected(int field)
{
    return QStringLiteral("「%1」には -32768 から 32767 までの整数を半角数字で入力してください。")
        .arg(fieldCaptions()[field]);
}

QString imageNoExpected(int field)
{
    return QStringLiteral("「%1」には 0 から 255 までの整数を半角数字で入力してください。").arg(fieldCaptions()[field]);
}

QString dateExpected()
{
    return QStringLiteral("「%1」には 1990/1/1 のように 年/月/日 の形で日付を入力してください。"
                          "日付が不明な場合は 1900/1/1 と入力してください。")
        .arg(fieldCaptions()[Date]);
}

QStringList readNames(RecordFileCodec &file)
{
    static constexpr FieldKind kinds[] = {FieldKind::String};
    QStringList names;
    while (!file.AtEnd())
        names.append(std::get<QString>(file.ReadRecord(kinds).front()));
    return names;
}

QComboBox *makeCombo(QWidget *parent, const QString &name)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(true);
    // The lists only suggest: typed text is kept as typed, never completed
    // from a list entry nor added to the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setDuplicatesEnabled(true);
    combo->setMaxVisibleItems(20);
    return combo;
}

void setChoices(QComboBox *combo, const QStringList &names)
{
    combo->clear();
    combo->addItems(names);
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
}

QLabel *makeFixedText(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

}  // namespace

Form3::Form3(QWidget *parent)
    : QDialog(parent),
      m_content(new QPlainTextEdit(this)),
      m_combo1(makeCombo(this, QStringLiteral("Combo1"))),
      m_combo2(makeCombo(this, QStringLiteral("Combo2"))),
      m_combo3(makeCombo(this, QStringLiteral("Combo3"))),
      m_label18(new QLabel(this)),
      m_command1(new QPushButton(kBackCaption, this)),
      m_command2(new QPushButton(QStringLiteral("登録する"), this))
{
    setWindowTitle(QStringLiteral("記事登録"));
    for (int i = 1; i <= 12; ++i) {
        if (i == 6)
            continue;
        m_text[i] = new QLineEdit(this);
        m_text[i]->setObjectName(QStringLiteral("Text%1").arg(i));
    }
    m_content->setObjectName(QStringLiteral("Text6"));
    m_content->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_content->setTabChangesFocus(true);
    m_content->setFixedHeight(m_content->fontMetrics().lineSpacing() * 5 + 12);
    m_label18->setObjectName(QStringLiteral("Label18"));
    m_label18->setTextFormat(Qt::PlainText);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2->setObjectName(QStringLiteral("Command2"));
    // Return in a text box must not press a button behind the user's back.
    for (QPushButton *button : {m_command1, m_command2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    m_text[5]->setText(QStringLiteral("1990/1/1"));
    m_text[11]->setText(QStringLiteral("0"));
    m_text[12]->setText(QStringLiteral("255"));
    setChoices(m_combo3, PublicationFormChoices());

    const auto &caption = fieldCaptions();
    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    auto addCaption = [&](int row, int column, int field, QWidget *buddy) {
        auto *label = new QLabel(caption[field], this);
        label->setObjectName(QStringLiteral("caption") + buddy->objectName());
        label->setTextFormat(Qt::PlainText);
        label->setBuddy(buddy);
        grid->addWidget(label, row, column, field == Content ? Qt::AlignTop : Qt::Alignment());
    };
    auto addRow = [&](int row, int field, QWidget *widget) {
        addCaption(row, 0, field, widget);
        grid->addWidget(widget, row, 1, 1, 3);
    };
    auto addPair = [&](int row, int leftField, QWidget *left, int rightField, QWidget *right) {
        addCaption(row, 0, leftField, left);
        grid->addWidget(left, row, 1);
        addCaption(row, 2, rightField, right);
        grid->addWidget(right, row, 3);
    };

    int row = 0;
    addRow(row++, Title, m_text[1]);
    addRow(row++, Writer, m_text[2]);
    addRow(row++, Magazine, m_combo1);
    addPair(row++, FirstPage, m_text[3], LastPage, m_text[4]);
    addPair(row++, Category, m_combo2, Form, m_combo3);
    addCaption(row, 0, Date, m_text[5]);
    grid->addWidget(m_text[5], row++, 1);
    grid->addWidget(makeFixedText(this, QStringLiteral("Label8"),
                                  QStringLiteral("掲載年月日は、日付を何かしら入力しないとエラーになりますので、"
                                                 "不明な場合は、「1900/1/1」と記入してください。")),
                    row++, 1, 1, 3);
    addRow(row++, Content, m_content);
    addRow(row++, K1, m_text[7]);
    addRow(row++, K2, m_text[8]);
    addRow(row++, K3, m_text[9]);
    grid->addWidget(
        makeFixedText(this, QStringLiteral("Label14"),
                      QStringLiteral("記事紙面ﾌｧｲﾙ基本ﾌｧｲﾙ名(例:PC0.jpg～PC255.jpgの場合PC)あらかじめ登録しているﾌｫﾙﾀﾞに"
                                     "あるﾌｧｲﾙを指定して下さい。重複して入力しないようご注意ください。(画像はかなり粗く"
                                     "なるので狭い範囲ごとに高画質で保存して下さい。)")),
        row++, 0, 1, 4);
    auto *imageRow = new QHBoxLayout;
    imageRow->setSpacing(2);
    auto *label19 = new QLabel(QStringLiteral(".jpg"), this);
    label19->setObjectName(QStringLiteral("Label19"));
    imageRow->addWidget(m_label18);
    imageRow->addWidget(m_text[10], 1);
    imageRow->addWidget(label19);
    grid->addLayout(imageRow, row++, 0, 1, 4);
    addPair(row++, FirstNo, m_text[11], LastNo, m_text[12]);
    grid->addWidget(
        makeFixedText(this, QStringLiteral("Label17"),
                      QStringLiteral("記事の画像ﾌｧｲﾙは、基本ﾌｧｲﾙ名+ﾍﾟｰｼﾞ順につけられたﾌｧｲﾙ番号+拡張子(,jpg)で管理されています。"
                                     "また、記事紙面画像ﾌｧｲﾙは、予め登録されているﾌｫﾙﾀﾞ内に格納されていなければなりません。"
                                     "また、初期ﾌｧｲﾙ番号は、0以上、最終ﾌｧｲﾙ番号は、255以下となるようにしてください。"
                                     "また、拡張子がjpgのファイルだけを指定することができます。")),
        row++, 0, 1, 4);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_command1);
    buttons->addStretch();
    buttons->addWidget(m_command2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setMinimumWidth(720);

    QWidget *order[] = {m_text[1], m_text[2], m_combo1, m_text[3],  m_text[4],  m_combo2,   m_combo3,   m_text[5], m_content,
                        m_text[7], m_text[8], m_text[9], m_text[10], m_text[11], m_text[12], m_command1, m_command2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &Form3::Command2_Click);
}

bool Form3::Form_Load()
{
    const QString folder = DataFolder();
    const QString imageFolder = ImageFolder();
    QString reading = DataFiles::MagazineList;
    try {
        RecordFileCodec magazines(DataFiles::path(folder, DataFiles::MagazineList), RecordFileCodec::OpenMode::Read);
        reading = DataFiles::CategoryList;
        RecordFileCodec categories(DataFiles::path(folder, DataFiles::CategoryList), RecordFileCodec::OpenMode::Read);
        reading = DataFiles::MagazineList;
        const QStringList magazineNames = readNames(magazines);
        reading = DataFiles::CategoryList;
        const QStringList categoryNames = readNames(categories);
        magazines.close();
        categories.close();
        setChoices(m_combo1, magazineNames);
        setChoices(m_combo2, categoryNames);
    } catch (const StorageError &e) {
        MessageBox::inform(nullptr, listFileFailureText(e, folder, reading), kFileErrorTitle);
        return false;
    }

    for (QWidget *w : {static_cast<QWidget *>(m_text[1]), static_cast<QWidget *>(m_text[2]),
                       static_cast<QWidget *>(m_combo1), static_cast<QWidget *>(m_combo2),
                       static_cast<QWidget *>(m_combo3), static_cast<QWidget *>(m_content),
                       static_cast<QWidget *>(m_text[7]), static_cast<QWidget *>(m_text[8]),
                       static_cast<QWidget *>(m_text[9])})
        setInputMethod(w, ImeMode::On);
    for (int i : {3, 4, 5})
        setInputMethod(m_text[i], ImeMode::Off);

    m_label18->setText(imageFolder);
    fitDialogToContents(this);
    m_text[1]->setFocus();
    return true;
}

void Form3::openModal()
{
    if (Form_Load())
        exec();
}

void Form3::Command1_Click()
{
    close();
}

void Form3::refuse(const QString &text)
{
    MessageBox::inform(this, text, kInputErrorTitle);
}

std::optional<ArticleRecord> Form3::collectArticle()
{
    ArticleRecord article;
    article.Title = m_text[1]->text();
    article.Writer = m_text[2]->text();
    article.Magazine = m_combo1->currentText();
    const auto firstPage = TypedInput::toInt16(m_text[3]->text());
    if (!firstPage) {
        refuse(pageExpected(FirstPage));
        return std::nullopt;
    }
    article.FirstPage = *firstPage;
    const auto lastPage = TypedInput::toInt16(m_text[4]->text());
    if (!lastPage) {
        refuse(pageExpected(LastPage));
        return std::nullopt;
    }
    article.LastPage = *lastPage;
    article.Category = m_combo2->currentText();
    article.PublicationForm = m_combo3->currentText();
    const auto date = TypedInput::toDate(m_text[5]->text());
    if (!date) {
        refuse(dateExpected());
        return std::nullopt;
    }
    article.PublicationDate = *date;
    // A line break in the content is stored as the CR LF pair the files use.
    QString content = m_content->document()->toRawText();
    content.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    content.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
    article.Content = content;
    article.Keyword1 = m_text[7]->text();
    article.Keyword2 = m_text[8]->text();
    article.Keyword3 = m_text[9]->text();
    article.ImageBase = m_text[10]->text();
    const auto firstNo = TypedInput::toUInt8(m_text[11]->text());
    if (!firstNo) {
        refuse(imageNoExpected(FirstNo));
        return std::nullopt;
    }
    article.FirstImageNo = *firstNo;
    const auto lastNo = TypedInput::toUInt8(m_text[12]->text());
    if (!lastNo) {
        refuse(imageNoExpected(LastNo));
        return std::nullopt;
    }
    article.LastImageNo = *lastNo;

    try {
        article.encode();
    } catch (const FieldEncodeError &e) {
        const int field = e.fieldIndex();
        const QString name = field >= 0 && field < ArticleRecord::kFieldCount ? fieldCaptions()[field] : QString();
        refuse(QStringLiteral("「%1」に入力された").arg(name) + e.reasonText());
        return std::nullopt;
    }
    return article;
}

void Form3::Command2_Click()
{
    if (!MessageBox::ask(this, QStringLiteral("この内容で登録します。よろしいですか。"), QStringLiteral("登録意思確認")))
        return;
    const auto article = collectArticle();
    if (!article)
        return;
    const QString folder = DataFolder();
    if (folder.isEmpty()) {
        MessageBox::inform(this,
                           QStringLiteral("記事データの保管場所が指定されていないため、登録できません。\n"
                                          "ﾌｧｲﾙメニューの「記事ﾃﾞｰﾀの保管場所の指定」で記事データの保管場所を"
                                          "選んでください。"),
                           kFileErrorTitle);
        return;
    }
    try {
        FileOps::appendRecord(DataFiles::path(folder, DataFiles::ArticleFile), article->toRecord());
    } catch (const StorageError &e) {
        MessageBox::inform(this, e.message() + QStringLiteral("\n記事は登録されていません。"), kFileErrorTitle);
        return;
    } catch (const FieldEncodeError &e) {
        refuse(e.reasonText());
        return;
    }
    MessageBox::inform(this, QStringLiteral("登録しました。"), QStringLiteral("登録完了"));
    accept();
}

}  // namespace pagelore
