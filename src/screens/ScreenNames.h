#pragma once

#include <QString>

namespace pagelore {

// Captions shared by several screens.
inline const QString kBackCaption = QStringLiteral("<<前の画面に戻る");

}  // namespace pagelore

namespace pagelore {

// Exit codes of the result browsers, read by the conditions screen that
// opened them: back to the conditions, or on to the main window.
inline constexpr int kBrowserBackToConditions = 1;
inline constexpr int kBrowserBackToMenu = 2;

}  // namespace pagelore
