// An article file cut short by a power cut during a registration: its
// unfinished end is found only when it is the file's one fault, and setting
// it aside keeps every byte, the whole records in place and the rest beside.

#include "storage/UnfinishedRecord.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace pagelore;

namespace {

const QByteArray kOne = "\"one\",\"w\",\"m\",1,2,\"c\",\"f\",#2000-01-01#,\"x\",\"k\",\"k\",\"k\",\"B\",0,1\r\n";
const QByteArray kTwo =
    "\"two\",\"w\",\"m\",3,4,\"c\",\"f\",#2000-01-02#,\"a\r\nb\",\"k\",\"k\",\"k\",\"B\",0,1\r\n";

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
}

} // namespace

class TestUnfinishedRecord : public QObject {
    Q_OBJECT
private slots:
    void setAside_data()
    {
        QTest::addColumn<QByteArray>("whole");
        QTest::addColumn<QByteArray>("cut");
        QTest::newRow("cut inside a text") << kOne + kTwo << QByteArray("\"three\",\"wri");
        QTest::newRow("cut inside the content's second line")
            << kOne << QByteArray("\"two\",\"w\",\"m\",3,4,\"c\",\"f\",#2000-01-02#,\"a\r\nb");
        QTest::newRow("cut after a comma") << kOne << QByteArray("\"three\",\"w\",\"m\",5,");
        QTest::newRow("cut before the last number")
            << kTwo
            << QByteArray("\"three\",\"w\",\"m\",5,6,\"c\",\"f\",#2000-01-03#,\"x\",\"k\",\"k\",\"k\",\"B\",0");
        QTest::newRow("cut inside a date") << kOne << QByteArray("\"three\",\"w\",\"m\",5,6,\"c\",\"f\",#2000-0");
        QTest::newRow("nothing whole before it") << QByteArray() << QByteArray("\"one\",\"w");
    }
    void setAside()
    {
        QFETCH(QByteArray, whole);
        QFETCH(QByteArray, cut);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Touroku.PLR"));
        write(path, whole + cut);
        write(path + QStringLiteral(".unfinished"), "earlier\r\n");

        const std::optional<qint64> offset = UnfinishedRecord::find(path);
        QVERIFY(offset.has_value());
        QCOMPARE(*offset, whole.size());
        UnfinishedRecord::setAside(path, *offset);
        QCOMPARE(read(path), whole);
        QCOMPARE(read(path + QStringLiteral(".unfinished")), QByteArray("earlier\r\n") + cut);
        QCOMPARE(UnfinishedRecord::find(path), std::nullopt);
    }

    void otherFilesAreNotOffered_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("sound") << kOne + kTwo;
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("last record without its line end") << kOne + kTwo.chopped(2);
        QTest::newRow("a bad number before the end")
            << kOne + QByteArray(kTwo).replace(",3,", ",x,") + QByteArray("\"three\",\"w");
        QTest::newRow("a bad date at the end") << kOne + QByteArray(kTwo).replace("#2000-01-02#", "#2000-02-30#");
    }
    void otherFilesAreNotOffered()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Touroku.PLR"));
        write(path, bytes);
        QCOMPARE(UnfinishedRecord::find(path), std::nullopt);
        QCOMPARE(read(path), bytes);
    }
};

QTEST_GUILESS_MAIN(TestUnfinishedRecord)
#include "tst_unfinishedrecord.moc"
