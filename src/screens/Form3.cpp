#include "Form3.h"

#include "ArticleEntryFields.h"
#include "ScreenSupport.h"
#include "platform/ui/MessageBox.h"
#include "storage/DataFiles.h"
#include "storage/FileOps.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QPushButton>

namespace pagelore {

Form3::Form3(QWidget *parent)
    : QDialog(parent), m_fields(std::make_unique<ArticleEntryFields>(this)),
      m_command1(new QPushButton(kBackCaption, this)),
      m_command2(new QPushButton(QStringLiteral("登録する"), this))
{
    setWindowTitle(QStringLiteral("記事登録"));
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command2->setObjectName(QStringLiteral("Command2"));
    m_fields->layOut(this, m_command1, m_command2);

    connect(m_command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(m_command2, &QPushButton::clicked, this, &Form3::Command2_Click);
}

Form3::~Form3() = default;

bool Form3::Form_Load()
{
    if (!m_fields->load())
        return false;
    fitDialogToContents(this);
    m_fields->inputOrder().first()->setFocus();
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

void Form3::Command2_Click()
{
    const auto article = m_fields->confirmAndCollect(QStringLiteral("この内容で登録します。よろしいですか。"),
                                                     QStringLiteral("登録意思確認"));
    if (!article)
        return;
    // The folder is read again: it may have been chosen since the screen opened.
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
    }
    MessageBox::inform(this, QStringLiteral("登録しました。"), QStringLiteral("登録完了"));
    accept();
}

} // namespace pagelore
