#include "SearchConditionsScreen.h"

#include "EditableCombo.h"
#include "ScreenSupport.h"
#include "platform/ui/InputMethod.h"
#include "platform/ui/MessageBox.h"
#include "storage/CandidateList.h"
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
#include <QPushButton>
#include <QVBoxLayout>

namespace pagelore {

const QString SearchConditionsScreen::kQuestion = QStringLiteral("この条件で検索します。よろしいですか。");
const QString SearchConditionsScreen::kQuestionTitle = QStringLiteral("検索意思確認");

namespace {

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

SearchConditionsScreen::SearchConditionsScreen(const SearchScreenTexts &texts, QWidget *parent) : QDialog(parent)
{
    createWidgets(texts);
    layOutWidgets();

    QWidget *order[] = {Text1, Text2, Combo1, Text3, Combo2, Combo3, Text4, Text5, Text6, Command1, Command2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    Text1->setFocus();

    for (QWidget *w :
         {static_cast<QWidget *>(Text1), static_cast<QWidget *>(Text2), static_cast<QWidget *>(Combo1),
          static_cast<QWidget *>(Combo2), static_cast<QWidget *>(Combo3), static_cast<QWidget *>(Text5),
          static_cast<QWidget *>(Text6)})
        setInputMethod(w, ImeMode::On);
    setInputMethod(Text3, ImeMode::Off);
    setInputMethod(Text4, ImeMode::Off);

    connect(Command1, &QPushButton::clicked, this, &SearchConditionsScreen::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SearchConditionsScreen::Command2_Click);
}

SearchConditionsScreen::~SearchConditionsScreen() = default;

void SearchConditionsScreen::createWidgets(const SearchScreenTexts &texts)
{
    setWindowTitle(texts.caption);

    Label1 = named(new QLabel(QStringLiteral("記事名")), "Label1");
    Label2 = named(new QLabel(QStringLiteral("記者名")), "Label2");
    Label3 = named(new QLabel(QStringLiteral("掲載雑誌名")), "Label3");
    Label4 = named(new QLabel(QStringLiteral("検索ページ")), "Label4");
    Label5 = named(new QLabel(QStringLiteral("分野")), "Label5");
    Label6 = named(new QLabel(QStringLiteral("掲載形態")), "Label6");
    Label7 = named(new QLabel(QStringLiteral("掲載年月日(必須)")), "Label7");
    Label8 = named(new QLabel(texts.dateNote), "Label8");
    Label9 = named(new QLabel(QStringLiteral("第一キーワード")), "Label9");
    Label10 = named(new QLabel(QStringLiteral("第二キーワード")), "Label10");
    Label8->setWordWrap(true);

    Text1 = named(new QLineEdit, "Text1");
    Text2 = named(new QLineEdit, "Text2");
    Text3 = named(new QLineEdit(QStringLiteral("100")), "Text3");
    Text4 = named(new QLineEdit(QStringLiteral("1990/1/1")), "Text4");
    Text5 = named(new QLineEdit, "Text5");
    Text6 = named(new QLineEdit, "Text6");
    for (QLineEdit *text : {Text1, Text2, Text3, Text4, Text5, Text6})
        text->setMaxLength(kLongestText);
    Combo1 = makeEditableCombo(nullptr, QStringLiteral("Combo1"));
    Combo2 = makeEditableCombo(nullptr, QStringLiteral("Combo2"));
    Combo3 = makeEditableCombo(nullptr, QStringLiteral("Combo3"));
    setComboChoices(Combo3, PublicationFormChoices());

    Command1 = named(new QPushButton(kBackCaption), "Command1");
    Command2 = named(new QPushButton(texts.searchCaption), "Command2");
    Command2->setAutoDefault(false);
    Command1->setAutoDefault(false);
}

void SearchConditionsScreen::layOutWidgets()
{
    auto *grid = new QGridLayout;
    int row = 0;
    auto addRow = [&](QLabel *label, QWidget *field) {
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1, 1, 3);
        ++row;
    };
    addRow(Label1, Text1);
    addRow(Label2, Text2);
    addRow(Label3, Combo1);
    Label4->setBuddy(Text3);
    Label5->setBuddy(Combo2);
    grid->addWidget(Label4, row, 0);
    grid->addWidget(Text3, row, 1);
    grid->addWidget(Label5, row, 2);
    grid->addWidget(Combo2, row, 3);
    ++row;
    addRow(Label6, Combo3);
    addRow(Label7, Text4);
    grid->addWidget(Label8, row++, 0, 1, 4);
    addRow(Label9, Text5);
    addRow(Label10, Text6);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 2);
    Text3->setMaximumWidth(Text3->fontMetrics().horizontalAdvance(QStringLiteral("-000000")) + 16);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    resize(480, sizeHint().height());
}

bool SearchConditionsScreen::Form_Load()
{
    const std::optional<QString> folder = chosenDataFolder();
    if (!folder)
        return false;
    CandidateList::CandidateLists lists;
    try {
        lists = CandidateList::ReadCandidateLists(*folder);
    } catch (const StorageError &e) {
        // The search works without the lists; the user is told and may go on.
        MessageBox::inform(this, e.message(), windowTitle());
    }
    setComboChoices(Combo1, lists.magazines);
    setComboChoices(Combo2, lists.categories);
    return true;
}

void SearchConditionsScreen::openModal()
{
    if (Form_Load())
        exec();
}

void SearchConditionsScreen::Command1_Click()
{
    close();
}

std::optional<SearchConditions> SearchConditionsScreen::readConditions()
{
    QStringList problems;
    QWidget *firstBad = nullptr;
    SearchConditions c;
    c.title = TypedInput::mapTypedText(Text1->text());
    c.writer = TypedInput::mapTypedText(Text2->text());
    c.magazine = TypedInput::mapTypedText(Combo1->currentText());
    if (const std::optional<qint16> page = TypedInput::toInt16(Text3->text())) {
        c.page = *page;
    } else {
        problems
            << QStringLiteral("「%1」には、-32768から32767までの整数を入力してください。").arg(Label4->text());
        firstBad = Text3;
    }
    c.category = TypedInput::mapTypedText(Combo2->currentText());
    c.publicationForm = TypedInput::mapTypedText(Combo3->currentText());
    TypedInput::DateError dateError{};
    if (const std::optional<DateValue> date = TypedInput::toDate(Text4->text(), &dateError)) {
        c.date = *date;
    } else {
        problems << (dateError == TypedInput::DateError::NoSuchDate
                         ? noSuchDateText(Label7->text(), Text4->text())
                         : QStringLiteral("「%1」には、日付を「1990/1/1」のように年/月/日の形で入力してください。")
                               .arg(Label7->text()));
        if (!firstBad)
            firstBad = Text4;
    }
    c.keyword1 = TypedInput::mapTypedText(Text5->text());
    c.keyword2 = TypedInput::mapTypedText(Text6->text());
    if (firstBad) {
        MessageBox::inform(this, problems.join(u'\n'), kInputErrorTitle);
        firstBad->setFocus();
        return std::nullopt;
    }
    return c;
}

void SearchConditionsScreen::Command2_Click()
{
    if (!MessageBox::ask(this, kQuestion, kQuestionTitle))
        return;
    const std::optional<SearchConditions> conditions = readConditions();
    if (!conditions)
        return;
    try {
        const bool done = runOnArticleFile(
            this, [&] { RunSearchPass(DataFolder(), *conditions); },
            [&](const StorageError &e) { MessageBox::inform(this, e.message(), windowTitle()); });
        if (!done)
            return;
    } catch (const FieldEncodeError &e) {
        MessageBox::inform(this,
                           QStringLiteral("検索結果を書き込めません。%1番目の項目: %2")
                               .arg(e.fieldIndex() + 1)
                               .arg(e.reasonText()),
                           windowTitle());
        return;
    }
    if (openBrowser() == kBrowserBackToMenu)
        close();
}

} // namespace pagelore
