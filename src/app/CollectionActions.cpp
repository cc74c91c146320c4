#include "CollectionActions.h"

#include "platform/ui/MessageBox.h"
#include "storage/Collection.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QDir>

namespace pagelore {

namespace {

const QString kInitialiseQuestion = QStringLiteral("全ての記事データは消えます。よろしいですか。");
const QString kInitialiseQuestionTitle = QStringLiteral("削除確認");
const QString kInitialiseDone = QStringLiteral("全ての記事データの削除が完了いたしました。");
const QString kInitialiseDoneTitle = QStringLiteral("削除完了");
const QString kInitialiseFailedTitle = QStringLiteral("初期化エラー");

// The prompts name the separator of this platform: a user who typed the
// home platform's "\" would get files whose names contain a backslash.
const QString kExportPrompt = QStringLiteral("記事を書き出す先のパス名を入力してください。ただし、全角/"
                                             "半角に気をつけて、最後に必ず「/」をつけてください。");
const QString kImportPrompt = QStringLiteral("記事を読み込む先のパス名を入力してください。ただし、全角/"
                                             "半角に気をつけて、最後に必ず「/」をつけてください。");
const QString kTransferTitle = QStringLiteral("書き出し先パス名");
const QString kCopyDone = QStringLiteral("コピー完了");

enum class Direction { Export, Import };

QString failureText(const StorageError &error, Direction direction, int copied)
{
    const bool out = direction == Direction::Export;
    if (error.kind() == StorageError::Kind::SameFile) {
        return (out ? QStringLiteral("書き出し先の「%1」はデータフォルダのファイルそのものです。")
                    : QStringLiteral("読み込み元の「%1」はデータフォルダのファイルそのものです。"))
                   .arg(QDir::toNativeSeparators(error.path()))
               + QStringLiteral("\nデータフォルダとは別のフォルダを指定してください。何もコピーしていません。");
    }
    QString text =
        error.message()
        + (out ? QStringLiteral("\n書き出しを中止しました。") : QStringLiteral("\n読み込みを中止しました。"));
    if (copied == 0)
        text += QStringLiteral("ファイルは何もコピーしていません。");
    else
        text += QStringLiteral("それより前の%1個のファイルはコピー済みです。").arg(copied);
    return text;
}

void runTransfer(QWidget *parent, Direction direction)
{
    const bool out = direction == Direction::Export;
    const std::optional<QString> prefix =
        MessageBox::input(parent, out ? kExportPrompt : kImportPrompt, kTransferTitle);
    if (!prefix || prefix->isEmpty())
        return;
    int copied = 0;
    try {
        if (out)
            Collection::exportTo(DataFolder(), *prefix, &copied);
        else
            Collection::importFrom(*prefix, DataFolder(), &copied);
    } catch (const StorageError &e) {
        MessageBox::inform(parent, failureText(e, direction, copied),
                           out ? QStringLiteral("書き出しエラー") : QStringLiteral("読み込みエラー"));
        return;
    }
    MessageBox::inform(parent, kCopyDone, kCopyDone);
}

} // namespace

void runInitialise(QWidget *parent)
{
    if (!MessageBox::ask(parent, kInitialiseQuestion, kInitialiseQuestionTitle, MessageBox::Default::No))
        return;
    try {
        Collection::initialise(DataFolder());
    } catch (const StorageError &e) {
        MessageBox::inform(parent, e.message() + QStringLiteral("\n初期化を中止しました。"),
                           kInitialiseFailedTitle);
        return;
    }
    MessageBox::inform(parent, kInitialiseDone, kInitialiseDoneTitle);
}

void runExport(QWidget *parent)
{
    runTransfer(parent, Direction::Export);
}

void runImport(QWidget *parent)
{
    runTransfer(parent, Direction::Import);
}

} // namespace pagelore
