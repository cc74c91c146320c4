#include "support/TestSupport.h"

#include "screens/Form7.h"
#include "screens/PageImageSelection.h"

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

using namespace pagelore;
using namespace pagelore::test;

namespace {

const QString kNoImage = QStringLiteral("画像ﾃﾞｰﾀがありません。");
const QString kNoLater = QStringLiteral("これ以後の画像ﾌｧｲﾙはありません");
const QString kNoEarlier = QStringLiteral("これ以前のﾌｧｲﾙはありません");
const QString kTitle = QStringLiteral("画像ﾃﾞｰﾀなし");

// Page colours, far enough apart to survive JPEG compression.
const QList<QColor> kColours = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

class ImageFolderFixture {
public:
    ImageFolderFixture() { setImageFolder(m_dir.path() + u'/'); }
    // A small picture of another shape than the viewer's area.
    void page(const QString &name, int colour)
    {
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(kColours[colour]);
        QVERIFY(image.save(m_dir.filePath(name), "JPEG"));
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

void click(Form7 &f, const char *name)
{
    QTest::mouseClick(child<QPushButton>(&f, QString::fromLatin1(name)), Qt::LeftButton);
}

// The colour index shown in the picture area, -1 when it is empty.
int shownColour(Form7 &f)
{
    const QPixmap pixmap = child<QLabel>(&f, u"Image1"_qs)->pixmap();
    if (pixmap.isNull())
        return -1;
    const QColor c = pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2);
    for (int i = 0; i < kColours.size(); ++i) {
        const QColor &k = kColours[i];
        if (qAbs(c.red() - k.red()) < 40 && qAbs(c.green() - k.green()) < 40 && qAbs(c.blue() - k.blue()) < 40)
            return i;
    }
    return -2;
}

}  // namespace

class TestForm7 : public QObject {
    Q_OBJECT

private slots:
    void walkBothWays();
    void firstEqualsLast();
    void emptyBase();
    void missingFileKeepsViewerUsable();
    void unreadableFile();
    void upperCaseNameFound();
    void stopsAt255();
    void reopeningStartsAtFirst();
};

void TestForm7::walkBothWays()
{
    ImageFolderFixture images;
    for (int i = 0; i < 3; ++i)
        images.page(QStringLiteral("PC%1.jpg").arg(i), i);
    PageImageSelection::set({u"PC"_qs, 0, 2});
    DialogAnswerer answers;
    answers.ok().ok();
    Form7 f;
    QCOMPARE(shownColour(f), 0);
    const QPixmap shown = child<QLabel>(&f, u"Image1"_qs)->pixmap();
    QCOMPARE(shown.size(), QSize(Form7::kPictureWidth, Form7::kPictureHeight));

    click(f, "Command1");
    QCOMPARE(shownColour(f), 1);
    click(f, "Command1");
    QCOMPARE(shownColour(f), 2);
    QVERIFY(answers.shown().isEmpty());
    click(f, "Command1");
    QCOMPARE(answers.texts(), QStringList{kNoLater});
    QCOMPARE(answers.titles(), QStringList{kTitle});
    QCOMPARE(shownColour(f), 2);

    click(f, "Command2");
    QCOMPARE(shownColour(f), 1);
    click(f, "Command2");
    QCOMPARE(shownColour(f), 0);
    click(f, "Command2");
    QCOMPARE(answers.texts(), (QStringList{kNoLater, kNoEarlier}));
    QCOMPARE(shownColour(f), 0);
    QCOMPARE(answers.unexpected(), 0);
}

void TestForm7::firstEqualsLast()
{
    ImageFolderFixture images;
    images.page(u"S7.jpg"_qs, 3);
    PageImageSelection::set({u"S"_qs, 7, 7});
    DialogAnswerer answers;
    Form7 f;
    click(f, "Command1");
    click(f, "Command2");
    QCOMPARE(answers.texts(), (QStringList{kNoLater, kNoEarlier}));
    QCOMPARE(shownColour(f), 3);
    QCOMPARE(f.currentImageNo(), 7);
}

void TestForm7::emptyBase()
{
    ImageFolderFixture images;
    images.page(u"0.jpg"_qs, 0);  // what a viewer that ignores the empty base would load
    PageImageSelection::set({{}, 0, 3});
    DialogAnswerer answers;
    Form7 f;
    f.show();
    click(f, "Command1");
    click(f, "Command2");
    QCOMPARE(answers.texts(), (QStringList{kNoImage, kNoImage, kNoImage}));
    QCOMPARE(answers.titles(), (QStringList{kTitle, kTitle, kTitle}));
    QCOMPARE(shownColour(f), -1);
    click(f, "Command3");
    QVERIFY(!f.isVisible());
}

void TestForm7::missingFileKeepsViewerUsable()
{
    ImageFolderFixture images;
    images.page(u"PC0.jpg"_qs, 0);
    images.page(u"PC2.jpg"_qs, 2);
    PageImageSelection::set({u"PC"_qs, 0, 2});
    DialogAnswerer answers;
    Form7 f;
    click(f, "Command1");
    QCOMPARE(answers.shown().size(), 1);
    QCOMPARE(answers.titles(), QStringList{kTitle});
    QVERIFY2(answers.texts().first().contains(QDir::toNativeSeparators(images.path(u"PC1.jpg"_qs))),
             qPrintable(answers.texts().first()));
    QCOMPARE(shownColour(f), -1);
    // The number moved before the load, so the next press goes on to PC2.
    QCOMPARE(f.currentImageNo(), 1);
    click(f, "Command1");
    QCOMPARE(shownColour(f), 2);
}

void TestForm7::unreadableFile()
{
    ImageFolderFixture images;
    writeFile(images.path(u"PC0.jpg"_qs), "not a picture at all");
    PageImageSelection::set({u"PC"_qs, 0, 0});
    DialogAnswerer answers;
    Form7 f;
    QCOMPARE(answers.shown().size(), 1);
    QVERIFY(answers.texts().first().contains(u"PC0.jpg"_qs));
    QVERIFY(!answers.texts().first().contains(u"見つかりません"_qs));
    QCOMPARE(shownColour(f), -1);
}

void TestForm7::upperCaseNameFound()
{
    ImageFolderFixture images;
    images.page(u"PC0.JPG"_qs, 1);
    images.page(u"pc1.Jpg"_qs, 2);
    PageImageSelection::set({u"PC"_qs, 0, 1});
    DialogAnswerer answers;
    Form7 f;
    QCOMPARE(shownColour(f), 1);
    click(f, "Command1");
    QCOMPARE(shownColour(f), 2);
    QVERIFY(answers.shown().isEmpty());
}

void TestForm7::stopsAt255()
{
    ImageFolderFixture images;
    images.page(u"P254.jpg"_qs, 0);
    images.page(u"P255.jpg"_qs, 1);
    images.page(u"P0.jpg"_qs, 2);
    PageImageSelection::set({u"P"_qs, 254, 3});  // last below first
    DialogAnswerer answers;
    Form7 f;
    click(f, "Command1");
    QCOMPARE(f.currentImageNo(), 255);
    QCOMPARE(shownColour(f), 1);
    click(f, "Command1");
    QCOMPARE(answers.texts(), QStringList{kNoLater});
    QCOMPARE(f.currentImageNo(), 255);
    QCOMPARE(shownColour(f), 1);
}

void TestForm7::reopeningStartsAtFirst()
{
    ImageFolderFixture images;
    images.page(u"PC5.jpg"_qs, 0);
    images.page(u"PC6.jpg"_qs, 1);
    PageImageSelection::set({u"PC"_qs, 5, 6});
    DialogAnswerer answers;
    {
        Form7 f;
        click(f, "Command1");
        QCOMPARE(shownColour(f), 1);
    }
    Form7 again;
    QCOMPARE(again.currentImageNo(), 5);
    QCOMPARE(shownColour(again), 0);
    QVERIFY(answers.shown().isEmpty());
}

PAGELORE_TEST_MAIN(TestForm7)
#include "tst_form7.moc"
