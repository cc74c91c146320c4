#pragma once

#include <QString>
#include <QStringList>

namespace pagelore {

// The six files of the data folder, always handled in this order.
namespace DataFiles {

inline const QString ArticleFile = QStringLiteral("Touroku.PLR");
inline const QString ResultFile = QStringLiteral("Rireki.PLR");
inline const QString ScratchFile = QStringLiteral("Sakujyo.PLR");
inline const QString MagazineList = QStringLiteral("Zassi.PLR");
inline const QString CategoryList = QStringLiteral("Bunnya.PLR");
inline const QString FormList = QStringLiteral("Keitai.PLR");

inline const QStringList &all()
{
    static const QStringList names = {ArticleFile, ResultFile, ScratchFile, MagazineList, CategoryList, FormList};
    return names;
}

// The folder value followed directly by the file name; an empty folder gives
// the bare name, which resolves against the working folder.
inline QString path(const QString &folder, const QString &fileName)
{
    return folder + fileName;
}

}  // namespace DataFiles
}  // namespace pagelore
