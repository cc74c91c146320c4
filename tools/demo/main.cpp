// Writes the demo collection into a folder of its own:
//
//   pagelore-demo <folder> [--replace]
//
// <folder>/記事データ/ gets the six data files, <folder>/紙面画像/ the page
// images and <folder>/config/ the settings that choose both, so that
//   XDG_CONFIG_HOME=<folder>/config pagelore
// opens the program on the demo. The user's own settings are never read or
// written. A folder that already holds a demo is left alone unless --replace
// is given, so that what was tried in the demo survives the next start.

#include "DemoCollection.h"

#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    using namespace pagelore;

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool replace = args.removeAll(QStringLiteral("--replace")) > 0;
    if (args.size() != 1 || args.first().startsWith(QLatin1Char('-'))) {
        std::fprintf(stderr, "usage: %s <folder> [--replace]\n", argv[0]);
        return 2;
    }
    const QString base = QDir(args.first()).absolutePath();

    // Before Qt reads the environment: the settings go to the demo's own
    // config folder, and drawing the pages needs no display.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(base + QStringLiteral("/config")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const demo::DemoFolders folders = demo::demoFolders(base);
    const QFileInfo articles(DataFiles::path(folders.dataFolder, DataFiles::ArticleFile));
    const bool keep = !replace && articles.exists() && articles.size() > 0;
    try {
        if (!keep)
            demo::writeDemoCollection(base);
        // A folder chosen while trying the demo stays chosen.
        if (!keep || DataFolder().isEmpty())
            demo::chooseDemoFolders(folders);
    } catch (const StorageError &e) {
        std::fprintf(stderr, "%s\n", e.message().toLocal8Bit().constData());
        return 1;
    } catch (const FieldEncodeError &e) {
        std::fprintf(stderr, "%s\n", e.reasonText().toLocal8Bit().constData());
        return 1;
    }
    std::printf("%s\n", qPrintable(QDir::toNativeSeparators(base)));
    return 0;
}
