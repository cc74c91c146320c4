#pragma once

#include <QString>

namespace pagelore::shots {

// The demo collection (tools/demo) written under `base` and chosen in the
// (temporary) settings.
struct DemoData {
    QString dataFolder;   // ends with "/"
    QString imageFolder;  // ends with "/"
};

DemoData makeDemoData(const QString &base);

}  // namespace pagelore::shots
