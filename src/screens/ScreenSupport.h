#pragma once

#include <QString>

#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace pagelore {

class StorageError;

// Captions and titles shared by several screens.
inline const QString kBackCaption = QStringLiteral("<<前の画面に戻る");
inline const QString kFileErrorTitle = QStringLiteral("ファイルエラー");
inline const QString kInputErrorTitle = QStringLiteral("入力エラー");

// The longest text a one-line box takes. The toolkit's own limit (32,767)
// would cut a pasted text without a word; an article too long for the files
// is refused when it is stored.
inline constexpr int kLongestText = 1000000;

// Exit codes of the result browsers, read by the conditions screen that
// opened them: back to the conditions, or on to the main window.
inline constexpr int kBrowserBackToConditions = 1;
inline constexpr int kBrowserBackToMenu = 2;

// The data folder chosen now. Before one is chosen, the user is told where to
// choose it and nullopt is returned: a screen that needs the data files is
// then not opened.
std::optional<QString> chosenDataFolder();

// Message for a list file that could not be read when a screen opens. A
// missing file is almost always a data folder not chosen yet, so the user is
// pointed to the menu entry that chooses it (and creates the files).
QString listFileFailureText(const StorageError &error, const QString &dataFolder);

// Message for a date typed in the right form that names no real day or time
// of day (2024/2/30), naming the field by its caption.
QString noSuchDateText(const QString &caption, const QString &typed);

// Runs `action`, which reads the article file. When it fails only because
// the file ends in an unfinished record, offers to set that record aside and
// runs `action` once more on the whole records. Any other reader fault goes
// to `tell`. True when `action` completed; otherwise the user has been told.
bool runOnArticleFile(QWidget *parent, const std::function<void()> &action,
                      const std::function<void(const StorageError &)> &tell);

// Sizes a screen with word-wrapped texts so that every line of them shows: a
// plain size hint guesses their height at some other width and cuts them off.
void fitDialogToContents(QDialog *dialog);

} // namespace pagelore
