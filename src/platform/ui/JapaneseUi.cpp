#include "JapaneseUi.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

namespace pagelore {

const QString &japaneseFontFamily()
{
    static const QString family = QStringLiteral("Noto Sans CJK JP");
    return family;
}

bool applyJapaneseUi(QApplication &app)
{
    QFont font = QApplication::font();
    if (QFontDatabase::hasFamily(japaneseFontFamily())) {
        font.setFamilies({japaneseFontFamily()});
    } else {
        // Without the font installed, prefer whatever the system offers for Japanese.
        font.setStyleHint(QFont::SansSerif);
    }
    QApplication::setFont(font);

    // Owned by the application so it lives as long as the texts it serves.
    auto *translator = new QTranslator(&app);
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

}  // namespace pagelore
