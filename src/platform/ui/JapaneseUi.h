#pragma once

class QApplication;
class QString;

namespace pagelore {

// The family asked for by name so that kanji take their Japanese shapes
// rather than the Chinese ones a generic CJK fallback may pick.
const QString &japaneseFontFamily();

// Makes the application Japanese throughout: the Japanese font as the
// application font and Qt's own Japanese translation, so that built-in
// texts such as a text box's context menu are Japanese too. Returns false
// when Qt's translation could not be loaded (the program still runs).
bool applyJapaneseUi(QApplication &app);

}  // namespace pagelore
