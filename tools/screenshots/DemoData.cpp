#include "DemoData.h"

#include "DemoCollection.h"

namespace pagelore::shots {

DemoData makeDemoData(const QString &base)
{
    const demo::DemoFolders folders = demo::writeDemoCollection(base);
    demo::chooseDemoFolders(folders);
    return {folders.dataFolder, folders.imageFolder};
}

}  // namespace pagelore::shots
