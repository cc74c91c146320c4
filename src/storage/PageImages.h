#pragma once

#include <QString>

namespace pagelore {

// The page-image fields of one article: the result browser hands them to the
// page image viewer.
struct PageImageSelection {
    QString ImageBase;
    quint8 FirstImageNo = 0;
    quint8 LastImageNo = 0;

    // An article without scans has no base name.
    bool isEmpty() const { return ImageBase.isEmpty(); }

    friend bool operator==(const PageImageSelection &, const PageImageSelection &) = default;
};

// The file of one page: the image folder, the base name, the number and
// ".jpg". When no file has that exact name, one that differs from it only in
// letter case (scans named PC0.JPG) is taken instead; with neither, the exact
// name is returned, for the message that it is missing.
QString PageImagePath(const QString &imageFolder, const QString &imageBase, int number);

}  // namespace pagelore
