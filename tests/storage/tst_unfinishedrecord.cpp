// An article file cut short by a power cut during a registration: its
// unfinished end is found only when it is the file's one fault, and setting
// it aside keeps every byte, the whole records in place and the rest beside.

#include "storage/UnfinishedRecord.h"
#include "support/TestCore.h"

using namespace pagelore;
using namespace pagelore::test;

class TestUnfinishedRecord : public QObject {
    Q_OBJECT

private slots:
    // whole: the length of the whole records before the unfinished end, or -1
    // when nothing is offered.
    void setAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("whole");
        const QByteArray one = line(article(1)), two = line(article(2));
        const int n = static_cast<int>(one.size());
        QTest::newRow("cut after the content's line break") << one + two.left(two.indexOf("\r\n") + 2) << n;
        QTest::newRow("cut inside a date") << one + two.left(two.indexOf('#') + 5) << n;
        QTest::newRow("cut after a comma") << one + one + two.left(two.indexOf(',') + 1) << 2 * n;
        QTest::newRow("cut before the last number") << one + two.left(two.lastIndexOf(',')) << n;
        QTest::newRow("nothing whole before it") << two.left(8) << 0;
        QTest::newRow("sound") << one + two << -1;
        QTest::newRow("last record without its line end") << one + two.chopped(2) << -1;
        QTest::newRow("a bad number before the end") << QByteArray(two).replace(",20,", ",x,") + two.left(8) << -1;
        QTest::newRow("a bad date at the end")
            << one + QByteArray(two).replace(two.indexOf('#'), 12, "#1990-02-30#") << -1;
    }
    void setAside()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, whole);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Touroku.PLR"_qs);
        writeFile(path, bytes);
        writeFile(path + u".unfinished"_qs, "earlier\r\n");
        QCOMPARE(UnfinishedRecord::find(path), whole < 0 ? std::nullopt : std::optional<qint64>(whole));
        if (whole >= 0)
            UnfinishedRecord::setAside(path, whole);
        else
            whole = static_cast<int>(bytes.size());
        QCOMPARE(readFile(path), bytes.left(whole));
        QCOMPARE(readFile(path + u".unfinished"_qs), "earlier\r\n" + bytes.mid(whole));
        QCOMPARE(UnfinishedRecord::find(path), std::nullopt);
    }
};

PAGELORE_CORE_TEST_MAIN(TestUnfinishedRecord)
#include "tst_unfinishedrecord.moc"
