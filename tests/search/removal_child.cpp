// Runs one removal in a process of its own, so that the removal tests can
// kill it half-way, or run it with fewer rights or a file size limit.
//
//   removal_child <data folder> <record number> [--nobody] [--fsize <bytes>]
//
// The article to remove is the given record (1-based) of the folder's article
// file. Prints "go" just before the removal starts, then one line: "Removed",
// "NotFound", or "StorageError" and the error's message.

#include "search/Search.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"
#include "storage/RecordFileCodec.h"

#include <QByteArray>
#include <QString>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/resource.h>
#include <unistd.h>

namespace {

void say(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char *argv[])
{
    using namespace pagelore;
    if (argc < 3)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const long recordNumber = std::strtol(argv[2], nullptr, 10);
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--nobody") == 0 && ::geteuid() == 0) {
            // Permissions mean nothing to root; the read-only cases need an
            // ordinary user.
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                return 3;
        } else if (std::strcmp(argv[i], "--fsize") == 0 && i + 1 < argc) {
            const rlim_t limit = std::strtoull(argv[++i], nullptr, 10);
            const rlimit lim{limit, limit};
            std::signal(SIGXFSZ, SIG_IGN);  // a full disk, seen as a failed write
            if (::setrlimit(RLIMIT_FSIZE, &lim) != 0)
                return 4;
        }
    }

    try {
        ArticleRecord shown;
        {
            RecordFileCodec articles(DataFiles::path(folder, DataFiles::ArticleFile), RecordFileCodec::OpenMode::Read);
            for (long n = 0; n < recordNumber; ++n)
                shown = ArticleRecord::read(articles);
        }
        say(QStringLiteral("go"));
        const RemovalOutcome outcome = RemoveArticle(folder, ShownCandidate::fromArticle(shown));
        say(outcome == RemovalOutcome::Removed ? QStringLiteral("Removed") : QStringLiteral("NotFound"));
    } catch (const StorageError &e) {
        say(QStringLiteral("StorageError ") + e.message());
    }
    return 0;
}
