#include "ScreenSupport.h"

#include "platform/ui/MessageBox.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLayout>

namespace pagelore {

namespace {

const QString kChooseFolderHint = QStringLiteral("ﾌｧｲﾙメニューの「記事ﾃﾞｰﾀの保管場所の指定」で記事データの保管場所を"
                                                 "選んでください。");
const QString kNoFolderText =
    QStringLiteral("記事データの保管場所がまだ指定されていないため、この画面を開けません。\n") + kChooseFolderHint;

}  // namespace

std::optional<QString> chosenDataFolder()
{
    const QString folder = DataFolder();
    if (folder.isEmpty()) {
        MessageBox::inform(nullptr, kNoFolderText, kFileErrorTitle);
        return std::nullopt;
    }
    return folder;
}

QString listFileFailureText(const StorageError &error, const QString &dataFolder)
{
    if (error.kind() != StorageError::Kind::FileMissing)
        return error.message();
    if (dataFolder.isEmpty())
        return kNoFolderText;
    return QStringLiteral("記事データの保管場所「%1」に「%2」が見つからないため、この画面を開けません。\n")
               .arg(QDir::toNativeSeparators(dataFolder), QFileInfo(error.path()).fileName())
           + kChooseFolderHint;
}

QString noSuchDateText(const QString &caption, const QString &typed)
{
    return QStringLiteral("「%1」の「%2」という日付または時刻はありません。実在する日付を入力してください。")
        .arg(caption, typed.trimmed());
}

void fitDialogToContents(QDialog *dialog)
{
    QLayout *layout = dialog->layout();
    layout->activate();
    const int width = qMax(dialog->minimumWidth(), layout->minimumSize().width());
    const int height = qMax(dialog->heightForWidth(width), layout->minimumSize().height());
    dialog->setMinimumSize(width, height);
    dialog->resize(qMax(width, dialog->width()), qMax(height, dialog->height()));
}

}  // namespace pagelore
