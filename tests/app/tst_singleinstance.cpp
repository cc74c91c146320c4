// The single-copy rule on the real program: a second copy ends at once and
// silently, and the lock of a copy that was killed is taken over.

#include "support/TestSupport.h"

#include <QProcess>

#include <memory>

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void oneCopyRuns()
    {
        // The copies inherit this test's own config and runtime folders.
        const QString lock = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/Pagelore.lock";
        const auto start = [] {
            auto copy = std::make_unique<QProcess>();
            copy->start(PAGELORE_BINARY, {});
            return copy;
        };
        const auto lockOwner = [&lock] {
            QFile file(lock);
            return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed().toLongLong() : 0;
        };

        const auto first = start();
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first->processId(), 15000);
        const auto second = start();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);

        const qint64 killed = first->processId();
        first->kill();
        QVERIFY(first->waitForFinished(5000));
        QCOMPARE(lockOwner(), killed); // a killed copy leaves its lock
        const auto next = start();
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), next->processId(), 15000);
        QCOMPARE(next->state(), QProcess::Running);
        next->kill();
        next->waitForFinished(5000);
    }
};

PAGELORE_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
