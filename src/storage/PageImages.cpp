#include "PageImages.h"

#include <QDir>
#include <QFileInfo>

namespace pagelore {

QString PageImagePath(const QString &imageFolder, const QString &imageBase, int number)
{
    const QString path = imageFolder + imageBase + QString::number(number) + QStringLiteral(".jpg");
    const QFileInfo exact(path);
    if (exact.exists())
        return path;
    const QDir folder = exact.absoluteDir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (name.compare(exact.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    }
    return path;
}

} // namespace pagelore
