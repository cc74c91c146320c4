#include "CandidateEditor.h"

#include "ScreenSupport.h"
#include "platform/ui/MessageBox.h"
#include "storage/CandidateList.h"
#include "storage/DataFiles.h"
#include "storage/RecordFileCodec.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"
#include "storage/TypedInput.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pagelore {

CandidateEditor::CandidateEditor(const CandidateEditorTexts &texts, QWidget *parent)
    : QDialog(parent), m_texts(texts), m_label1(new QLabel(texts.instruction, this)),
      m_label2(new QLabel(texts.inputCaption, this)), m_label3(new QLabel(texts.listCaption, this)),
      m_text1(new QLineEdit(this)), m_text2(new QPlainTextEdit(this)),
      m_command1(new QPushButton(kBackCaption, this)),
      m_command2(new QPushButton(QStringLiteral("以上を登録する"), this))
{
    setWindowTitle(texts.windowTitle);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label3->setObjectName(QStringLiteral("Label3"));
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setMaxLength(kLongestText);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2->setObjectName(QStringLiteral("Command2"));

    m_label1->setWordWrap(true);
    for (QLabel *label : {m_label1, m_label2, m_label3})
        label->setTextFormat(Qt::PlainText);
    m_label2->setBuddy(m_text1);
    m_label3->setBuddy(m_text2);
    // Only Text1 is ever stored; a list that could be edited would suggest otherwise.
    m_text2->setReadOnly(true);
    m_text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text2->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text2->setTabChangesFocus(true);
    // Return in the name box must not press a button behind the user's back.
    for (QPushButton *button : {m_command1, m_command2}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_command1);
    buttons->addStretch();
    buttons->addWidget(m_command2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label1);
    layout->addSpacing(6);
    layout->addWidget(m_label2);
    layout->addWidget(m_text1);
    layout->addSpacing(6);
    layout->addWidget(m_label3);
    layout->addWidget(m_text2, 1);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setMinimumWidth(560);
    m_text2->setMinimumHeight(m_text2->fontMetrics().lineSpacing() * 10);

    setTabOrder(m_text1, m_text2);
    setTabOrder(m_text2, m_command1);
    setTabOrder(m_command1, m_command2);

    connect(m_command1, &QPushButton::clicked, this, &CandidateEditor::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &CandidateEditor::Command2_Click);
}

bool CandidateEditor::Form_Load()
{
    const std::optional<QString> folder = chosenDataFolder();
    if (!folder)
        return false;
    m_listPath = DataFiles::path(*folder, m_texts.listFile);
    try {
        m_text2->clear();
        showList(m_listPath);
    } catch (const StorageError &e) {
        MessageBox::inform(nullptr, listFileFailureText(e, *folder), kFileErrorTitle);
        return false;
    }
    fitDialogToContents(this);
    m_text1->setFocus();
    return true;
}

void CandidateEditor::openModal()
{
    if (Form_Load())
        exec();
}

void CandidateEditor::showList(const QString &path)
{
    QString shown;
    for (const QString &name : CandidateList::ReadCandidateList(path))
        shown += name + QLatin1Char('\n');
    m_text2->setPlainText(shown);
}

void CandidateEditor::Command1_Click()
{
    close();
}

void CandidateEditor::Command2_Click()
{
    if (!MessageBox::ask(this, m_texts.question, QStringLiteral("登録に関する確認")))
        return;
    try {
        CandidateList::AppendCandidate(m_listPath, TypedInput::mapTypedText(m_text1->text()));
    } catch (const FieldEncodeError &e) {
        MessageBox::inform(this, QStringLiteral("「%1」に入力された").arg(m_texts.inputCaption) + e.reasonText(),
                           kInputErrorTitle);
        return;
    } catch (const StorageError &e) {
        MessageBox::inform(this, e.message() + QStringLiteral("\n登録されていません。"), kFileErrorTitle);
        return;
    }
    MessageBox::inform(this, QStringLiteral("登録完了しました"), QStringLiteral("登録完了"));
    m_text2->clear();
    try {
        showList(DataFiles::path(DataFolder(), m_texts.listFile));
    } catch (const StorageError &e) {
        MessageBox::inform(this, e.message(), kFileErrorTitle);
    }
}

CandidateEditorTexts RZassi::texts()
{
    return {
        QStringLiteral("よく読む雑誌の登録"),
        DataFiles::MagazineList,
        QStringLiteral("あなたがよく読む雑誌を下の枠内に書いて「以上を登録する」ﾎﾞﾀﾝを押してください。以後、"
                       "各項目の掲載雑誌名の候補の中に追加されます。ただし、登録せずに都度都度手入力することも"
                       "可能です。また、一度登録すると削除できませんのでご注意ください。"),
        QStringLiteral("登録する雑誌名入力欄"),
        QStringLiteral("現在登録されている雑誌名"),
        QStringLiteral("以上の雑誌を登録します。一度登録すると二度と削除できませんがよろしいですか。"),
    };
}

RZassi::RZassi(QWidget *parent) : CandidateEditor(texts(), parent)
{
}

CandidateEditorTexts RBunnya::texts()
{
    return {
        QStringLiteral("よく読む分野の登録"),
        DataFiles::CategoryList,
        QStringLiteral("あなたがよく読む分野(例:ﾊｰﾄﾞｳｪｱ･ｿﾌﾄｳｪｱ･CPU･ﾌﾟﾘﾝﾀ等)を下の枠内に書いて「以上を登録する」"
                       "ﾎﾞﾀﾝを押して下さい。以後、各項目の分野の候補の中に追加されます。ただし、登録せずに都度都度"
                       "手入力することも可能です。また、一度登録すると削除できませんのでご注意下さい。"),
        QStringLiteral("登録する分野名入力欄"),
        QStringLiteral("現在登録されている分野名"),
        QStringLiteral("以上の分野を登録します。一度登録すると二度と削除できませんがよろしいですか。"),
    };
}

RBunnya::RBunnya(QWidget *parent) : CandidateEditor(texts(), parent)
{
}

} // namespace pagelore
