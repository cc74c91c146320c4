#pragma once

#include "storage/ArticleRecord.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace pagelore::demo {

// A made-up collection that shows every part of the program at work: forty
// articles from seven magazines in all seven publication forms, the magazine
// and category lists, and scanned pages for a dozen of the articles. Always
// the same bytes for the same program build.

const std::vector<ArticleRecord> &demoArticles();
const QStringList &demoMagazines();
const QStringList &demoCategories();

// One page of an article's scan, drawn: running head, headline on the first
// page, columns of text and a picture box. `pageNo` counts from the article's
// FirstImageNo.
QImage drawPage(const ArticleRecord &article, int pageNo);

struct DemoFolders {
    QString dataFolder;   // ends with "/"
    QString imageFolder;  // ends with "/"
};

// The two folders of a demo collection under `base`.
DemoFolders demoFolders(const QString &base);

// Writes the collection under `base`: the six data files (all replaced) and
// one JPEG per page. Throws StorageError naming the file that failed.
DemoFolders writeDemoCollection(const QString &base);

// Chooses the two folders in the settings of whatever config folder the
// process uses; throws StorageError.
void chooseDemoFolders(const DemoFolders &folders);

}  // namespace pagelore::demo
