#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

using namespace pagelore;

namespace {

// The real program with its own settings and runtime folders, so the copies
// started here meet each other and nothing else.
class Copy {
public:
    explicit Copy(const QString &home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral(PAGELORE_BINARY), {});
    }
    ~Copy()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    QProcess process;
};

QByteArray lockOwner(const QString &lockPath)
{
    QFile f(lockPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readLine().trimmed();
}

bool waitForOwner(const QString &lockPath, qint64 pid, int timeoutMs = 15000)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        if (lockOwner(lockPath) == QByteArray::number(pid))
            return true;
        QTest::qWait(50);
    }
    return false;
}

}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QDir(m_home->path()).mkpath(QStringLiteral("config"));
        QDir(m_home->path()).mkpath(QStringLiteral("runtime"));
        QFile::setPermissions(m_home->path() + QStringLiteral("/runtime"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_lock = m_home->path() + QStringLiteral("/runtime/Pagelore.lock");
    }

    void secondCopyEndsSilently()
    {
        Copy first(m_home->path());
        QVERIFY(first.process.waitForStarted());
        QVERIFY2(waitForOwner(m_lock, first.process.processId()), "the first copy never took the lock");

        Copy second(m_home->path());
        QVERIFY(second.process.waitForFinished(15000));
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process.exitCode(), 0);
        QCOMPARE(first.process.state(), QProcess::Running);
        QCOMPARE(lockOwner(m_lock), QByteArray::number(first.process.processId()));
    }

    void lockOfKilledCopyIsTakenOver()
    {
        {
            Copy crashed(m_home->path());
            QVERIFY(crashed.process.waitForStarted());
            QVERIFY(waitForOwner(m_lock, crashed.process.processId()));
            crashed.process.kill();
            QVERIFY(crashed.process.waitForFinished(5000));
        }
        QVERIFY2(QFile::exists(m_lock), "a killed copy should leave its lock behind");

        Copy next(m_home->path());
        QVERIFY(next.process.waitForStarted());
        QVERIFY2(waitForOwner(m_lock, next.process.processId()), "the stale lock blocked the next start");
        QCOMPARE(next.process.state(), QProcess::Running);
    }

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_lock;
};

PAGELORE_TEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
