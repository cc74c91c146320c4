// The two result browsers, the page image viewer and the removal of the
// article shown.

#include "ScreenTest.h"

#include "storage/DataFiles.h"

#include <QImage>
#include <QLabel>

using namespace pagelore;
using namespace pagelore::test;
using namespace screentest;

namespace {

const QByteArray kOne =
    "\"One\",\"W1\",\"M1\",-5,32767,\"C1\",\"F1\",#1995-04-01#,\"line1\r\nline2\",\"K1\",\"K2\",\"K3\","
    "\"PC\",0,2\r\n";
const QByteArray kTwo =
    "\"Two\",\"W2\",\"M2\",1,2,\"C2\",\"F2\",#2001-12-31 09:05:07#,\"c2\",\"a2\",\"b2\",\"d2\","
    "\"QQ\",7,9\r\n";
const QByteArray kThree =
    "\"Three\",\"W3\",\"M3\",3,3,\"C3\",\"F3\",#1990-01-01#,\"c3\",\"\",\"\",\"\",\"\",0,0\r\n";
const QByteArray kFour =
    "\"Four\",\"W4\",\"M4\",4,4,\"C4\",\"F4\",#1990-01-01#,\"c4\",\"\",\"\",\"\",\"\",0,0\r\n";
const QByteArray kFive =
    "\"Five\",\"W5\",\"M5\",5,5,\"C5\",\"F5\",#1990-01-01#,\"c5\",\"\",\"\",\"\",\"\",0,0\r\n";
const QByteArray kBroken =
    "\"Broken\",\"W\",\"M\",x,4,\"C\",\"F\",#1995-01-02#,\"x\",\"k1\",\"k2\",\"k3\",\"B\",0,0\r\n";

const QString kEnd = QStringLiteral("これ以上データはないので、「次の候補>>」ボタンを押さないでください。");
const QString kImageTitle = QStringLiteral("画像ﾃﾞｰﾀなし");

QString box(QWidget *screen, int n)
{
    QWidget *w = child<QWidget>(screen, QStringLiteral("Text%1").arg(n));
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        return plain->toPlainText();
    return static_cast<QLineEdit *>(w)->text();
}

QStringList shownBoxes(QWidget *screen, int count)
{
    QStringList out;
    for (int n = 1; n <= count; ++n)
        out << box(screen, n);
    return out;
}

// Answers OK and notes each box as "title/what/Text1 at that moment", so that
// a message before the fields are filled tells from one after. The end
// message is "end", one about the second record of the result file "record 2".
class BoxesOverTitle : public MessageBox::Hook {
public:
    BoxesOverTitle(QWidget *screen, const QString &results) : m_screen(screen), m_results(results)
    {
        MessageBox::setHook(this);
    }
    ~BoxesOverTitle() override { MessageBox::setHook(nullptr); }
    MessageBox::Answer answerMessage(const MessageBox::ShownBox &b) override
    {
        const bool second = b.text.contains(m_results) && b.text.contains(QStringLiteral("2件目"));
        seen << b.title + u'/'
                    + (b.text == kEnd ? QStringLiteral("end")
                       : second       ? QStringLiteral("record 2")
                                      : b.text)
                    + u'/' + box(m_screen, 1);
        return MessageBox::Answer::Ok;
    }
    std::optional<QString> answerInput(const MessageBox::ShownBox &) override { return std::nullopt; }
    QStringList seen;

private:
    QWidget *m_screen;
    QString m_results;
};

// Pages in colours far enough apart to survive JPEG compression.
const QList<QColor> kColours = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

// The index of the colour in the picture area, '-' when it is empty.
char shownColour(Form7 &viewer)
{
    const QPixmap pixmap = child<QLabel>(&viewer, QStringLiteral("Image1"))->pixmap();
    if (pixmap.isNull())
        return '-';
    const QColor c = pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2);
    for (int i = 0; i < kColours.size(); ++i) {
        const QColor &k = kColours[i];
        if (qAbs(c.red() - k.red()) < 60 && qAbs(c.green() - k.green()) < 60 && qAbs(c.blue() - k.blue()) < 60)
            return char('0' + i);
    }
    return '?';
}

} // namespace

class TestBrowsers : public QObject {
    Q_OBJECT

private slots:
    // The end message comes before and after the last record; a malformed
    // record ends the browsing with a message naming it. No file changes.
    void endMessage_data()
    {
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QByteArray>("results");
        QTest::addColumn<QString>("first"); // shown once the screen is open
        QTest::addColumn<int>("presses");
        QTest::addColumn<QStringList>("seen");
        const QByteArray three = kOne + kTwo + kThree;
        const QStringList ended = {"最終/end/Two", "最終/end/Three", "最終/end/Three"};
        QTest::newRow("Form5 three records") << "Form5" << three << "One" << 3 << ended;
        QTest::newRow("Form6 three records") << "Form6" << three << "One" << 3 << ended;
        QTest::newRow("Form5 one record")
            << "Form5" << kThree << "Three" << 0 << QStringList{"最終/end/", "最終/end/Three"};
        QTest::newRow("Form6 no record")
            << "Form6" << QByteArray() << "" << 1 << QStringList{"最終/end/", "最終/end/"};
        QTest::newRow("Form5 malformed record") << "Form5" << kOne + kBroken + kTwo << "One" << 2
                                                << QStringList{"記事検索結果/record 2/One", "最終/end/One"};
        QTest::newRow("Form6 malformed record")
            << "Form6" << kOne + kBroken + kTwo << "One" << 1 << QStringList{"削除記事候補検索結果/record 2/One"};
    }

    void endMessage()
    {
        QFETCH(QString, browser);
        QFETCH(QByteArray, results);
        QFETCH(QString, first);
        QFETCH(int, presses);
        QFETCH(QStringList, seen);

        TempDataFolder data;
        data.write(DataFiles::ArticleFile, kOne + kTwo);
        data.write(DataFiles::ResultFile, results);
        const auto b = makeScreen(browser);
        BoxesOverTitle hook(b.get(), data.file(DataFiles::ResultFile));
        load(b.get());
        QCOMPARE(box(b.get(), 1), first);
        for (int i = 0; i < presses; ++i)
            click(b.get(), QStringLiteral("Command1"));
        QCOMPARE(hook.seen, seen);
        QVERIFY(!static_cast<ResultBrowserBase *>(b.get())->isResultOpen());
        QCOMPARE(data.read(DataFiles::ResultFile), results);
        QCOMPARE(data.read(DataFiles::ArticleFile), kOne + kTwo);
    }

    void showsTheFields_data()
    {
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QStringList>("boxes");
        const QStringList one = {"One",          "W1", "M1", "-5", "32767", "C1", "F1", "1995/04/01",
                                 "line1\nline2", "K1", "K2", "K3", "PC",    "0",  "2"};
        QTest::newRow("Form5") << "Form5" << one;
        QTest::newRow("Form6") << "Form6" << one.mid(0, 12);
    }

    void showsTheFields()
    {
        QFETCH(QString, browser);
        QFETCH(QStringList, boxes);
        TempDataFolder data;
        data.write(DataFiles::ResultFile, kOne + kTwo);
        DialogAnswerer answers;
        const auto b = openScreen(browser);
        QCOMPARE(shownBoxes(b.get(), int(boxes.size())), boxes);
        QCOMPARE(answers.shown().size(), 0);
    }

    void imageButtonShowsThePagesOfTheArticleShown()
    {
        TempDataFolder data;
        setImageFolder(data.path());
        data.write(DataFiles::ResultFile, kOne + kTwo + kThree);
        DialogAnswerer answers;
        answers.ok();
        Form5 b;
        b.Form_Load();
        b.show();
        click(&b, QStringLiteral("Command1"));
        QString opened;
        {
            ModalWatch watch(
                [&](QWidget *viewer) {
                    opened = QString::fromLatin1(viewer->metaObject()->className());
                    click(viewer, QStringLiteral("Command3"));
                },
                &b);
            click(&b, QStringLiteral("Command4"));
        }
        QCOMPARE(opened, QStringLiteral("pagelore::Form7"));
        // No page file lies there: the viewer names the one it tried, the second article's first.
        QCOMPARE(answers.texts(),
                 QStringList{QStringLiteral("画像ﾌｧｲﾙ「%1QQ7.jpg」が見つかりません。").arg(data.path())});
        QCOMPARE(answers.titles(), QStringList{kImageTitle});
        QVERIFY(b.isResultOpen());
        QCOMPARE(box(&b, 1), QStringLiteral("Two"));
    }

    void viewer_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QStringList>("files"); // name=colour index, or name=x for a file that is no JPEG
        QTest::addColumn<QString>("steps");     // n: next page, p: previous page
        QTest::addColumn<QString>("colours");   // at opening, then after each step
        QTest::addColumn<QStringList>("told");  // %1: the image folder

        const QString later = QStringLiteral("これ以後の画像ﾌｧｲﾙはありません");
        const QString earlier = QStringLiteral("これ以前のﾌｧｲﾙはありません");
        const QString none = QStringLiteral("画像ﾃﾞｰﾀがありません。");
        QTest::newRow("walk both ways, a page named in capitals")
            << "PC" << 0 << 2 << QStringList{"PC0.jpg=0", "PC1.JPG=1", "PC2.jpg=2"} << "nnnppp"
            << "0122100" << QStringList{later, earlier};
        QTest::newRow("first is last") << "S" << 7 << 7 << QStringList{"S7.jpg=3"} << "np"
                                       << "333" << QStringList{later, earlier};
        QTest::newRow("last below first stops at 255")
            << "P" << 254 << 3 << QStringList{"P254.jpg=0", "P255.jpg=1", "P0.jpg=2"} << "nn"
            << "011" << QStringList{later};
        QTest::newRow("no base name") << "" << 0 << 3 << QStringList{"0.jpg=0"} << "np"
                                      << "---" << QStringList{none, none, none};
        QTest::newRow("missing page") << "PC" << 0 << 2 << QStringList{"PC0.jpg=0", "PC2.jpg=2"} << "nn"
                                      << "0-2" << QStringList{"画像ﾌｧｲﾙ「%1PC1.jpg」が見つかりません。"};
        QTest::newRow("not a JPEG") << "PC" << 0 << 1 << QStringList{"PC0.jpg=x", "PC1.jpg=1"} << "n"
                                    << "-1"
                                    << QStringList{"画像ﾌｧｲﾙ「%1PC0.jpg」は、JPEG画像として読み込めません。"};
    }

    void viewer()
    {
        QFETCH(QString, base);
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(QStringList, files);
        QFETCH(QString, steps);
        QFETCH(QString, colours);
        QFETCH(QStringList, told);

        QTemporaryDir images;
        const QString folder = images.path() + u'/';
        setImageFolder(folder);
        for (const QString &file : files) {
            const QString name = file.section(u'=', 0, 0), colour = file.section(u'=', 1);
            if (colour == u"x") {
                writeFile(folder + name, "a note, not a scan\r\n");
                continue;
            }
            QImage page(40, 30, QImage::Format_RGB32); // not the picture area's shape
            page.fill(kColours[colour.toInt()]);
            QVERIFY(page.save(folder + name, "JPEG"));
        }
        DialogAnswerer answers;
        Form7 viewer({base, quint8(first), quint8(last)});
        viewer.Form_Load();
        QString seen(1, QChar::fromLatin1(shownColour(viewer)));
        for (QChar step : steps) {
            click(&viewer, step == u'n' ? QStringLiteral("Command1") : QStringLiteral("Command2"));
            seen += QChar::fromLatin1(shownColour(viewer));
        }
        QCOMPARE(seen, colours);
        for (QString &text : told)
            text = text.arg(folder);
        QCOMPARE(answers.texts(), told);
        QCOMPARE(answers.titles(), QStringList(told.size(), kImageTitle));
        click(&viewer, QStringLiteral("Command3"));
        QVERIFY(!viewer.isVisible());
    }

    void removesTheArticleShown()
    {
        TempDataFolder data;
        data.write(DataFiles::ArticleFile, kOne + kTwo + kThree + kFour + kFive);
        const QByteArray kept = kOne + kTwo + kFour + kFive;
        data.write(DataFiles::ResultFile, kTwo + kThree + kFour);
        DialogAnswerer answers;
        Form6 b;
        b.Form_Load();
        click(&b, QStringLiteral("Command1"));
        // What is removed is the record read, not what the boxes hold.
        child<QLineEdit>(&b, QStringLiteral("Text1"))->setText(QStringLiteral("One"));
        answers.yes().ok();
        click(&b, QStringLiteral("Command2"));
        QCOMPARE(answers.texts(),
                 (QStringList{QStringLiteral("この記事を記事データベースから削除します。"),
                              QStringLiteral("長らくお待たせしましたが、記事の削除が完了しました。")}));
        QCOMPARE(answers.titles(), (QStringList{QStringLiteral("記事削除確認"), QStringLiteral("削除完了")}));
        QCOMPARE(answers.shown().at(0).buttons,
                 (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
        QCOMPARE(answers.shown().at(0).defaultButton, QStringLiteral("いいえ(&N)"));
        QCOMPARE(data.read(DataFiles::ArticleFile), kept);
        QCOMPARE(data.read(DataFiles::ScratchFile), kept);
        QCOMPARE(data.read(DataFiles::ResultFile), kTwo + kThree + kFour);

        // Once more: it is gone, and the user is told so.
        answers.clear();
        answers.yes().ok();
        click(&b, QStringLiteral("Command2"));
        QCOMPARE(answers.texts().at(1),
                 QStringLiteral("この記事は記事ファイル「%1」の中に見つかりませんでした。何も削除されていません。")
                     .arg(data.file(DataFiles::ArticleFile)));
        QCOMPARE(answers.titles().at(1), QStringLiteral("削除未完了"));
        QCOMPARE(data.read(DataFiles::ArticleFile), kept);
    }

    void enterOnTheRealQuestionRemovesNothing()
    {
        TempDataFolder data;
        data.write(DataFiles::ArticleFile, kOne + kTwo + kThree);
        data.write(DataFiles::ResultFile, kTwo + kThree);
        data.write(DataFiles::ScratchFile, kOne);
        Form6 b;
        {
            ModalWatch noBox(nullptr);
            b.Form_Load();
        }
        b.show();
        {
            ModalWatch enter([](QWidget *question) { QTest::keyClick(question, Qt::Key_Return); }, &b);
            click(&b, QStringLiteral("Command2"));
        }
        QCOMPARE(data.read(DataFiles::ArticleFile), kOne + kTwo + kThree);
        QCOMPARE(data.read(DataFiles::ScratchFile), kOne);
        QVERIFY(b.isResultOpen());
    }

    void nothingShownNothingRemoved()
    {
        TempDataFolder data;
        data.write(DataFiles::ArticleFile, kOne);
        DialogAnswerer answers;
        answers.ok().yes();
        Form6 b;
        b.Form_Load();
        click(&b, QStringLiteral("Command2"));
        QCOMPARE(answers.texts().at(1),
                 QStringLiteral("削除する記事が表示されていません。何も削除されていません。"));
        QCOMPARE(answers.titles().at(1), QStringLiteral("削除未完了"));
        QCOMPARE(data.read(DataFiles::ArticleFile), kOne);
    }
};

PAGELORE_TEST_MAIN(TestBrowsers)
#include "tst_browsers.moc"
