// Article and result files that no writer of ours produced, and page images
// that are not what their names promise: every screen that reads them tells
// the user which file and record is wrong, writes nothing to the article file,
// and stays usable.

#include "support/TestSupport.h"

#include "screens/Form2.h"
#include "screens/Form5.h"
#include "screens/Form6.h"
#include "screens/Form7.h"
#include "screens/PageImageSelection.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <sys/resource.h>

using namespace pagelore;
using namespace pagelore::test;

namespace {

ArticleRecord sampleArticle(int n)
{
    ArticleRecord a;
    a.Title = QStringLiteral("記事%1").arg(n);
    a.FirstPage = static_cast<qint16>(n);
    a.LastPage = static_cast<qint16>(n + 1);
    a.PublicationDate = DateValue::fromDate(QDate(2001, 2, n));
    a.Content = QStringLiteral("内容%1").arg(n);
    a.LastImageNo = 255;
    return a;
}

const QByteArray kGood = sampleArticle(1).encode();
const QByteArray kSecond = sampleArticle(2).encode();

// The second record with one piece of it replaced.
QByteArray secondWith(const QByteArray &from, const QByteArray &to)
{
    QByteArray r = kSecond;
    const qsizetype at = r.indexOf(from);
    Q_ASSERT(at >= 0);
    return r.replace(at, from.size(), to);
}

QByteArray hugeContent(qsizetype bytes)
{
    ArticleRecord a = sampleArticle(2);
    a.Content = QString(bytes, u'x');
    return a.encode();
}

QByteArray millionLines()
{
    ArticleRecord a = sampleArticle(2);
    a.Content = QStringLiteral("行\r\n").repeated(1000000);
    return a.encode();
}

qint64 peakMemoryKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A small, valid JPEG; with `side` it declares that size in its frame header
// while keeping the few bytes of scan data of the small one.
QByteArray jpeg(int declaredSide = 0)
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    if (declaredSide > 0) {
        const qsizetype sof = bytes.indexOf("\xFF\xC0");
        Q_ASSERT(sof > 0);
        // FF C0, length (2), precision (1), height (2), width (2)
        bytes[sof + 5] = static_cast<char>(declaredSide >> 8);
        bytes[sof + 6] = static_cast<char>(declaredSide & 0xFF);
        bytes[sof + 7] = static_cast<char>(declaredSide >> 8);
        bytes[sof + 8] = static_cast<char>(declaredSide & 0xFF);
    }
    return bytes;
}

void click(QWidget *w, const char *name)
{
    QTest::mouseClick(child<QPushButton>(w, QString::fromLatin1(name)), Qt::LeftButton);
}

enum class Reader { Search, ResultBrowser, DeletionBrowser, Removal };

}  // namespace

Q_DECLARE_METATYPE(Reader)

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    void articleFiles_data();
    void articleFiles();
    void pageImages_data();
    void pageImages();
};

void TestHostileFiles::articleFiles_data()
{
    QTest::addColumn<Reader>("reader");
    QTest::addColumn<QByteArray>("bytes");  // after the good first record; empty with isFolder
    QTest::addColumn<bool>("isFolder");
    QTest::addColumn<QString>("reason");  // empty: the file is valid

    struct Case {
        const char *name;
        QByteArray second;
        QString reason;
    };
    const QList<Case> cases = {
        {"unterminated quote", kSecond.left(kSecond.indexOf("\",")), QStringLiteral("終わりの記号がありません")},
        {"record cut in the middle", kSecond.left(kSecond.indexOf(",2,3,") + 3),
         QStringLiteral("記録の途中でファイルが終わっています")},
        {"text for a number", secondWith(",2,3,", ",2,three,"), QStringLiteral("数値以外の文字があります")},
        {"number out of range", secondWith(",2,3,", ",2,40000,"), QStringLiteral("数値が範囲外です")},
        {"image number out of range", secondWith(",0,255\r\n", ",0,256\r\n"), QStringLiteral("数値が範囲外です")},
        {"broken date", secondWith("#2001-02-02#", "#2001-02-30#"), QStringLiteral("日付の書き方が正しくありません")},
        {"date never closed", secondWith("#2001-02-02#", "#2001-02-02"), QString()},
        {"invalid code page 932 bytes", secondWith("\"\x93\xe0", "\"\x81\x7f\x93\xe0"),
         QStringLiteral("コードページ932")},
        {"NUL byte for a number", secondWith(",2,3,", QByteArray(",2,\0" "3,", 5)), QString()},
        {"50 MB content", hugeContent(50 * 1024 * 1024), QStringLiteral("記録が大きすぎます")},
    };
    for (Reader reader : {Reader::Search, Reader::ResultBrowser, Reader::DeletionBrowser, Reader::Removal}) {
        const char *who = reader == Reader::Search            ? "search"
                          : reader == Reader::ResultBrowser   ? "result browser"
                          : reader == Reader::DeletionBrowser ? "deletion browser"
                                                              : "removal";
        for (const Case &c : cases) {
            // Reasons not fixed by the file format are only required to name file and record.
            QTest::addRow("%s: %s", who, c.name) << reader << c.second << false
                                                 << (c.reason.isEmpty() ? QStringLiteral("件目") : c.reason);
        }
        QTest::addRow("%s: a folder in the file's place", who) << reader << QByteArray() << true << QString();
        // A content of a million short lines is a valid article, well within the record limit.
        QTest::addRow("%s: million-line content", who) << reader << millionLines() << false << QString();
        // Code page 932 maps byte 0 to U+0000 like any other character; inside
        // quotes it is text, kept and compared byte for byte.
        QTest::addRow("%s: NUL byte inside a text", who)
            << reader << secondWith("\"\x93\xe0", QByteArray("\"\0\x93\xe0", 4)) << false << QString();
    }
}

void TestHostileFiles::articleFiles()
{
    QFETCH(Reader, reader);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, isFolder);
    QFETCH(QString, reason);

    TempDataFolder data;
    // The searches and the removal read the article file; the browsers the result file.
    const bool browsing = reader == Reader::ResultBrowser || reader == Reader::DeletionBrowser;
    const QString hostileName = browsing ? DataFiles::ResultFile : DataFiles::ArticleFile;
    const QString hostile = data.file(hostileName);
    const QByteArray content = kGood + bytes;
    if (isFolder) {
        QFile::remove(hostile);
        QVERIFY(QDir().mkdir(hostile));
    } else {
        data.write(hostileName, content);
    }
    const QByteArray articleBefore = isFolder && !browsing ? QByteArray() : data.read(DataFiles::ArticleFile);
    const bool valid = !isFolder && reason.isEmpty();

    DialogAnswerer answers;
    QString failure;
    auto failureShown = [&]() {
        for (const MessageBox::ShownBox &box : answers.shown()) {
            if (box.text.contains(QDir::toNativeSeparators(hostile)))
                return box.text;
        }
        return QString();
    };

    switch (reader) {
    case Reader::Search: {
        Form2 f;
        f.show();
        bool browserOpened = false;
        QTimer::singleShot(0, &f, [&] {
            if (QWidget *browser = QApplication::activeModalWidget()) {
                browserOpened = true;
                QTest::keyClick(browser, Qt::Key_Escape);
            }
        });
        answers.clear();
        answers.yes().ok();
        click(&f, "Command2");
        QCoreApplication::processEvents();
        QCOMPARE(browserOpened, valid);
        if (valid)
            QCOMPARE(data.read(DataFiles::ResultFile), content);
        else
            QCOMPARE(data.read(DataFiles::ResultFile), QByteArray());  // no hits of half a pass
        QVERIFY(f.isVisible());
        break;
    }
    case Reader::ResultBrowser:
    case Reader::DeletionBrowser: {
        answers.ok().ok().ok().ok();
        std::unique_ptr<ResultBrowserBase> b;
        if (reader == Reader::ResultBrowser)
            b = std::make_unique<Form5>();
        else
            b = std::make_unique<Form6>();
        b->show();
        if (!isFolder)
            QVERIFY(b->hasShownRecord());
        // The next press: the second record, or the failure.
        click(b.get(), "Command1");
        QCOMPARE(b->isResultOpen(), false);
        if (valid) {
            QCOMPARE(answers.titles(), QStringList(2, ResultBrowserBase::kEndTitle));
        }
        break;
    }
    case Reader::Removal: {
        // The shown candidate is the good first record.
        data.write(DataFiles::ResultFile, kGood);
        answers.ok().ok();
        Form6 f;
        f.show();
        answers.clear();
        answers.yes().ok();
        click(&f, "Command2");
        if (valid) {
            QCOMPARE(answers.titles().last(), Form6::kDeletedTitle);
            QCOMPARE(data.read(DataFiles::ArticleFile), bytes);
            return;
        }
        QCOMPARE(answers.titles().last(), Form6::kNotDeletedTitle);
        QVERIFY(f.isVisible());
        break;
    }
    }

    failure = failureShown();
    if (valid) {
        QCOMPARE(failure, QString());
    } else {
        QVERIFY2(!failure.isEmpty(), qPrintable(answers.texts().join(u'|')));
        if (!isFolder) {
            QVERIFY2(failure.contains(QStringLiteral("2件目")), qPrintable(failure));
            QVERIFY2(failure.contains(reason), qPrintable(failure));
        }
        int naming = 0;
        for (const QString &text : answers.texts())
            naming += text.contains(QDir::toNativeSeparators(hostile)) ? 1 : 0;
        QCOMPARE(naming, 1);
    }
    QCOMPARE(answers.unexpected(), 0);
    if (isFolder && !browsing)
        QVERIFY(QFileInfo(hostile).isDir());
    else
        QCOMPARE(data.read(DataFiles::ArticleFile), articleBefore);
}

void TestHostileFiles::pageImages_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = jpeg();
    QTest::newRow("truncated to its headers") << good.left(good.indexOf("\xFF\xDA"));
    QTest::newRow("not a JPEG") << QByteArray("this is a note, not a scan\r\n");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("declares 60000x60000") << jpeg(60000);
    QTest::newRow("declares 65500x65500") << jpeg(65500);
}

// The viewer decodes at most an area's worth; a decompression bomb must not
// take the memory its header asks for.
void TestHostileFiles::pageImages()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir images;
    setImageFolder(images.path() + u'/');
    writeFile(images.filePath(QStringLiteral("P0.jpg")), bytes);
    writeFile(images.filePath(QStringLiteral("P1.jpg")), jpeg());
    PageImageSelection::set({QStringLiteral("P"), 0, 1});

    const qint64 before = peakMemoryKiB();
    DialogAnswerer answers;
    answers.ok();
    Form7 f;
    f.show();
    QCOMPARE(answers.shown().size(), 1);
    QCOMPARE(answers.titles().first(), Form7::kMessageTitle);
    QVERIFY2(answers.texts().first().contains(QDir::toNativeSeparators(images.filePath(QStringLiteral("P0.jpg")))),
             qPrintable(answers.texts().first()));
    QVERIFY(child<QLabel>(&f, QStringLiteral("Image1"))->pixmap().isNull());
    // 60000x60000 pixels would be over 13 GB; a bounded decoder stays far below 1 GB.
    QVERIFY2(peakMemoryKiB() - before < 1024 * 1024, qPrintable(QString::number(peakMemoryKiB() - before)));

    // The next page shows as usual.
    click(&f, "Command1");
    QCOMPARE(answers.shown().size(), 1);
    QVERIFY(!child<QLabel>(&f, QStringLiteral("Image1"))->pixmap().isNull());
    PageImageSelection::reset();
}

PAGELORE_TEST_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
