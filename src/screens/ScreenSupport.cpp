#include "ScreenSupport.h"

#include "platform/ui/MessageBox.h"
#include "storage/SettingsStore.h"
#include "storage/DataFiles.h"
#include "storage/StorageError.h"
#include "storage/UnfinishedRecord.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLayout>

namespace pagelore {

namespace {

const QString kChooseFolderHint =
    QStringLiteral("ﾌｧｲﾙメニューの「記事ﾃﾞｰﾀの保管場所の指定」で記事データの保管場所を"
                   "選んでください。");
const QString kNoFolderText =
    QStringLiteral("記事データの保管場所がまだ指定されていないため、この画面を開けません。\n") + kChooseFolderHint;

} // namespace

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

namespace {

// What became of a reader's error about the article file.
enum class UnfinishedEnd {
    NotThatFault, // some other fault, to be reported as usual
    SetAside,     // the unfinished last record was moved aside: run the action again
    Kept,         // the user said No, or setting it aside failed (already told)
};

UnfinishedEnd offerToSetAsideUnfinishedEnd(QWidget *parent, const StorageError &error)
{
    const QString path = error.path();
    if (!UnfinishedRecord::mayBe(error) || QFileInfo(path).fileName() != DataFiles::ArticleFile)
        return UnfinishedEnd::NotThatFault;
    std::optional<qint64> offset;
    try {
        offset = UnfinishedRecord::find(path);
    } catch (const StorageError &) {
        return UnfinishedEnd::NotThatFault;
    }
    if (!offset)
        return UnfinishedEnd::NotThatFault;
    const QString file = QDir::toNativeSeparators(path);
    const QString aside = QDir::toNativeSeparators(UnfinishedRecord::asidePath(path));
    const QString title = QStringLiteral("記事ファイルの修復");
    const QString question =
        QStringLiteral(
            "記事ファイル「%1」の最後の記事が書きかけのまま終わっています(登録の途中で電源が切れたときなどに"
            "起こります)。それより前の記事はすべてそろっています。\n"
            "書きかけの部分を「%2」に移して、記事ファイルを使える状態に戻しますか。何も削除されません。")
            .arg(file, aside);
    if (!MessageBox::ask(parent, question, title))
        return UnfinishedEnd::Kept;
    try {
        UnfinishedRecord::setAside(path, *offset);
    } catch (const StorageError &e) {
        MessageBox::inform(parent, e.message() + QStringLiteral("\n記事ファイルは変更されていません。"), title);
        return UnfinishedEnd::Kept;
    }
    MessageBox::inform(parent, QStringLiteral("書きかけの部分を「%1」に移しました。").arg(aside), title);
    return UnfinishedEnd::SetAside;
}

} // namespace

bool runOnArticleFile(QWidget *parent, const std::function<void()> &action,
                      const std::function<void(const StorageError &)> &tell)
{
    for (bool again = true;; again = false) {
        try {
            action();
            return true;
        } catch (const StorageError &e) {
            const UnfinishedEnd end =
                again ? offerToSetAsideUnfinishedEnd(parent, e) : UnfinishedEnd::NotThatFault;
            if (end == UnfinishedEnd::SetAside)
                continue;
            if (end == UnfinishedEnd::NotThatFault)
                tell(e);
            return false;
        }
    }
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

} // namespace pagelore
