#pragma once

#include <QString>

namespace pagelore::shots {

// A demo collection made for the pictures: a data folder with the six files
// and a few articles, magazines and categories, and an image folder with a
// few generated page images. Both are chosen in the (temporary) settings.
struct DemoData {
    QString dataFolder;   // ends with "/"
    QString imageFolder;  // ends with "/"
};

DemoData makeDemoData(const QString &base);

}  // namespace pagelore::shots
