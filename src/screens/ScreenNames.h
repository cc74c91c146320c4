#pragma once

#include <QString>

namespace pagelore {

// Captions shared by several screens.
inline const QString kBackCaption = QStringLiteral("<<前の画面に戻る");

}  // namespace pagelore
