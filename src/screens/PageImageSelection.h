#pragma once

#include <QString>

namespace pagelore {

// The page-image fields of the article the result browser shows; the page
// image viewer reads them. One value for the whole application.
struct PageImageSelection {
    QString ImageBase;
    quint8 FirstImageNo = 0;
    quint8 LastImageNo = 0;

    // Empty base and 0, 0 until a browser shows an article.
    static const PageImageSelection &current();
    static void set(const PageImageSelection &selection);
    static void reset() { set({}); }

    friend bool operator==(const PageImageSelection &, const PageImageSelection &) = default;
};

}  // namespace pagelore
