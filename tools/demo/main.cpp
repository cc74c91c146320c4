// Writes the demo collection into a folder of its own:
//
//   pagelore-demo [<folder>] [--replace] [--open]
//
// <folder> (by default ~/.local/share/pagelore-demo) gets the six data files
// in 記事データ/, the page images in 紙面画像/ and in config/ the settings
// that choose both, so that
//   XDG_CONFIG_HOME=<folder>/config pagelore
// opens the program on the demo; --open does just that. The user's own
// settings are never read or written. A folder that already holds a demo is
// left alone unless --replace is given, so that what was tried in the demo
// survives the next start.

#include "DemoCollection.h"

#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

QString defaultFolder()
{
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    const QString share = data.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : QFile::decodeName(data);
    return share + QStringLiteral("/pagelore-demo");
}

// Replaces this process by the program, its settings and its single-copy
// lock in the demo's folder, so that the demo runs beside the user's own
// Pagelore. The program installed beside this tool is preferred.
int openProgram(const QString &base)
{
    const QString runtime = base + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    qunsetenv("QT_QPA_PLATFORM");
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/pagelore");
    const QByteArray program = QFileInfo(beside).isExecutable() ? QFile::encodeName(beside) : QByteArray("pagelore");
    char *const args[] = {const_cast<char *>(program.constData()), nullptr};
    ::execvp(program.constData(), args);
    std::fprintf(stderr, "pagelore-demo: cannot start %s: %s\n", program.constData(), std::strerror(errno));
    return 1;
}

}  // namespace

int main(int argc, char *argv[])
{
    using namespace pagelore;

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool replace = args.removeAll(QStringLiteral("--replace")) > 0;
    const bool open = args.removeAll(QStringLiteral("--open")) > 0;
    if (args.size() > 1 || (!args.isEmpty() && args.first().startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "usage: %s [<folder>] [--replace] [--open]\n", argv[0]);
        return 2;
    }
    const QString base = QDir(args.isEmpty() ? defaultFolder() : args.first()).absolutePath();

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
    std::fflush(stdout);
    return open ? openProgram(base) : 0;
}
