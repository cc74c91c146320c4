// A replacement file buffers small writes and passes large blocks straight
// through; whatever the mix, the committed file holds every byte in the order
// written, and nothing before commit().

#include "storage/FileOps.h"
#include "support/TestSupport.h"

#include <QObject>
#include <QTemporaryDir>

using namespace pagelore;
using namespace pagelore::test;

class TestReplacementWrites : public QObject {
    Q_OBJECT

private slots:
    void order_data();
    void order();
};

void TestReplacementWrites::order_data()
{
    QTest::addColumn<QList<int>>("sizes");
    constexpr int kKiB = 1024;
    QTest::newRow("small only") << QList<int>{10, 200, 3000};
    QTest::newRow("large only") << QList<int>{64 * kKiB, 1024 * kKiB, 200 * kKiB};
    QTest::newRow("small, large, small") << QList<int>{17, 100 * kKiB, 5};
    QTest::newRow("just below and at the threshold") << QList<int>{64 * kKiB - 1, 64 * kKiB, 1, 64 * kKiB - 1};
    QTest::newRow("buffer filled past a megabyte, then a block")
        << QList<int>{60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB,
                      60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB, 60 * kKiB,
                      60 * kKiB, 60 * kKiB, 2 * 1024 * kKiB, 3};
}

void TestReplacementWrites::order()
{
    QFETCH(QList<int>, sizes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Touroku.PLR"));
    writeFile(path, "old");
    QByteArray expected;
    {
        FileOps::ReplacementFile out(path);
        for (int i = 0; i < sizes.size(); ++i) {
            // Each piece its own byte pattern, so a piece out of place shows.
            QByteArray piece(sizes[i], Qt::Uninitialized);
            for (int k = 0; k < piece.size(); ++k)
                piece[k] = static_cast<char>('a' + (i * 7 + k) % 26);
            out.write(piece);
            expected += piece;
        }
        QCOMPARE(readFile(path), QByteArray("old"));
        out.commit();
    }
    QVERIFY(readFile(path) == expected);
}

PAGELORE_TEST_MAIN(TestReplacementWrites)
#include "tst_replacementwrites.moc"
