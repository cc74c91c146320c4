// The two result browsers, the page image viewer and the removal of the article shown.

#include "ScreenTest.h"

#include "storage/DataFiles.h"

#include <QClipboard>
#include <QImage>
#include <QLabel>

using namespace screentest;

namespace {

// Results told apart by their titles 記事1の題名 and so on; the first with a page below zero and the highest.
const QByteArray kOne = [](ArticleRecord a) { return a.FirstPage = -5, a.LastPage = 32767, line(a); }(article(1));
const QByteArray kTwo = line(article(2)), kThree = line(article(3));
const QByteArray kBroken = QByteArray(kTwo).replace(",20,", ",x,");

// Notes each box as "title/text/Text1 at that moment", so that a message before the fields are filled tells
// from one after; answers Yes to a question.
struct AnswersOverText1 : DialogAnswerer {
    QWidget *screen = nullptr;
    QStringList seen;
    MessageBox::Answer answerMessage(const MessageBox::ShownBox &b) override
    {
        DialogAnswerer::answerMessage(b);
        seen << outline(*this).last() + u'/' + screentest::shown(screen, u"Text1"_qs);
        return b.buttons.size() == 2 ? MessageBox::Answer::Yes : MessageBox::Answer::Ok;
    }
};

// The picture area's colour, in pure colours that survive JPEG compression: 1 red + 2 green + 4 blue;
// '-' when the area is empty.
char shownColour(Form7 &viewer)
{
    const QPixmap pixmap = child<QLabel>(&viewer, u"Image1"_qs)->pixmap();
    if (pixmap.isNull())
        return '-';
    const QColor c = pixmap.toImage().pixelColor(pixmap.width() / 2, pixmap.height() / 2);
    return char('0' + (c.red() > 128) + 2 * (c.green() > 128) + 4 * (c.blue() > 128));
}

} // namespace

class TestBrowsers : public QObject {
    Q_OBJECT

private slots:
    // The end message comes before and after the last record; a malformed record ends the browsing with a
    // message naming it. The record read is removed, not what the boxes hold (t: Text1 changed), and once gone
    // it is not found; with nothing shown nothing is removed; the question's default is No, where Enter on a
    // real box (E) removes nothing. No other file changes. The last record's fields are in their boxes, which
    // take no typing, but their text can be selected and copied; the image button hands the viewer the pages
    // of the article shown.
    void browse_data()
    {
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QByteArray>("results");
        QTest::addColumn<QString>("clicks");   // 1: Command1, 2: Command2
        QTest::addColumn<QStringList>("seen"); // %R the result file, %A the article file
        QTest::addColumn<QByteArray>("after"); // the article file, when changed
        QTest::addColumn<QStringList>("boxes");
        const auto row = [](const char *tag, const char *browser, const QByteArray &results, const char *clicks,
                            const QStringList &seen, const QByteArray &after = kOne + kTwo + kThree,
                            const QStringList &boxes = {}) {
            QTest::newRow(tag) << browser << results << clicks << seen << after << boxes;
        };
        const QStringList one = {
            "記事1の題名",           "ﾔﾏﾀﾞ1", "月刊ASCII1", "-5",    "32767", "パソコン1", "連載1", "1990/02/03",
            "一行目1\n二行目, 読点", "CPU1",  "ﾒﾓﾘ1",       "キー1", "PC1",   "1",         "254"};
        const QStringList ended = {kEnd + "/記事3の題名", kEnd + "/記事1の題名", kEnd + "/記事1の題名"};
        row("Form5 three records", "Form5", kTwo + kThree + kOne, "111", ended, kOne + kTwo + kThree, one);
        row("Form6 three records", "Form6", kTwo + kThree + kOne, "111", ended, kOne + kTwo + kThree,
            one.mid(0, 12));
        row("one record", "Form5", kThree, "", {kEnd + "/", kEnd + "/記事3の題名"});
        row("no record, removal", "Form6", {}, "12",
            {kEnd + "/", kEnd + "/", "削除未完了/削除する記事が表示されていません。何も削除されていません。/"});
        const QString question = u"記事削除確認/この記事を記事データベースから削除します。/記事1の題名"_qs;
        row("removal of the record read", "Form6", kThree + kTwo, "E1t22",
            {kEnd + "/記事3の題名", kEnd + "/記事2の題名", question,
             "削除完了/長らくお待たせしましたが、記事の削除が完了しました。/記事1の題名", question,
             "削除未完了/この記事は記事ファイル「%A」の中に見つかりませんでした。何も削除されていません。/"
             "記事1の題名"},
            kOne + kThree);
        row("Form5 malformed record", "Form5", kOne + kBroken + kThree, "11",
            {"記事検索結果/ファイル「%R」の2件目の記録…/記事1の題名", kEnd + "/記事1の題名"});
        row("Form6 malformed record", "Form6", kOne + kBroken + kThree, "1",
            {"削除記事候補検索結果/ファイル「%R」の2件目の記録…/記事1の題名"});
    }

    void browse()
    {
        QFETCH(QString, browser);
        QFETCH(QByteArray, results);
        QFETCH(QString, clicks);
        QFETCH(QStringList, seen);
        QFETCH(QByteArray, after);
        QFETCH(QStringList, boxes);
        TempDataFolder data;
        setImageFolder(data.path());
        data.write(DataFiles::ArticleFile, kOne + kTwo + kThree);
        data.write(DataFiles::ResultFile, results);
        const std::unique_ptr<ResultBrowserBase> b(
            browser == u"Form5" ? static_cast<ResultBrowserBase *>(new Form5) : new Form6);
        AnswersOverText1 answers;
        answers.screen = b.get();
        b->Form_Load();
        for (QChar step : clicks) {
            if (step == u't') {
                child<QLineEdit>(b.get(), u"Text1"_qs)->setText(u"記事1の題名"_qs);
            } else if (step == u'E') { // the boxes after the question go to the hook again
                MessageBox::setHook(nullptr);
                const ModalGuard enter = whenModalOpens([&](QWidget *q) {
                    MessageBox::setHook(&answers);
                    QTest::keyClick(q, Qt::Key_Return);
                });
                click(b.get(), u"Command2"_qs);
                MessageBox::setHook(&answers);
            } else {
                click(b.get(), u"Command"_qs + step);
            }
        }
        seen.replaceInStrings(u"%R"_qs, data.file(DataFiles::ResultFile));
        QCOMPARE(answers.seen, seen.replaceInStrings(u"%A"_qs, data.file(DataFiles::ArticleFile)));
        QVERIFY(!b->isResultOpen());
        QCOMPARE(data.read(DataFiles::ResultFile), results);
        QCOMPARE(data.read(DataFiles::ArticleFile), after);
        QCOMPARE(data.read(DataFiles::ScratchFile), after == kOne + kTwo + kThree ? QByteArray() : after);
        QStringList copied; // after typing, which changes nothing: the box's whole text
        for (int n = 1; n <= boxes.size(); ++n) {
            const QString name = u"Text"_qs + QString::number(n);
            typeInto(b.get(), name, u"x"_qs); // select all, delete, x
            QTest::keyClick(child<QWidget>(b.get(), name), Qt::Key_C, Qt::ControlModifier);
            copied << QApplication::clipboard()->text();
        }
        QCOMPARE(copied, boxes);
        if (browser == u"Form6" || boxes.isEmpty())
            return;
        const ModalGuard guard = whenModalOpens([](QWidget *viewer) { click(viewer, u"Command3"_qs); });
        click(b.get(), u"Command4"_qs);
        QCOMPARE(outline(answers).last(),
                 u"画像ﾃﾞｰﾀなし/画像ﾌｧｲﾙ「%1PC11.jpg」が見つかりません。"_qs.arg(data.path()));
    }

    void viewer_data()
    {
        QTest::addColumn<QStringList>("selection"); // base name, first and last page
        QTest::addColumn<QStringList>("files");     // name=colour; =x no JPEG, =h one claiming 60000x60000 pixels
        QTest::addColumn<QString>("steps"); // buttons n(ext), p(revious); keys D(PageDown), U(PageUp), R(→), L(←)
        QTest::addColumn<QString>("colours");  // at opening, then after each step
        QTest::addColumn<QStringList>("told"); // %1: the image folder
        const QString later = u"これ以後の画像ﾌｧｲﾙはありません"_qs, earlier = u"これ以前のﾌｧｲﾙはありません"_qs;
        const QString none = u"画像ﾃﾞｰﾀがありません。"_qs;
        const QString notJpeg = u"画像ﾌｧｲﾙ「%1PC%2.jpg」は、JPEG画像として読み込めません。"_qs;
        const auto row = [](const char *tag, const QStringList &selection, const QStringList &files,
                            const char *steps, const char *colours, const QStringList &told) {
            QTest::newRow(tag) << selection << files << steps << colours << told;
        };
        row("walk by buttons and keys, a page named in capitals", {"PC", "0", "2"},
            {"PC0.jpg=1", "PC1.JPG=2", "PC2.jpg=4"}, "nDRpUL", "1244211", {later, earlier});
        row("first is last", {"S", "7", "7"}, {"S7.jpg=3"}, "np", "333", {later, earlier});
        row("last below first stops at 255", {"P", "254", "3"}, {"P254.jpg=1", "P255.jpg=2", "P0.jpg=4"}, "nn",
            "122", {later});
        row("no base name", {"", "0", "3"}, {"0.jpg=1"}, "pR", "---", {none, none, none});
        row("missing page", {"PC", "0", "2"}, {"PC0.jpg=1", "PC2.jpg=4"}, "nn", "1-4",
            {"画像ﾌｧｲﾙ「%1PC1.jpg」が見つかりません。"});
        row("not a JPEG, too large a JPEG", {"PC", "0", "2"}, {"PC0.jpg=x", "PC1.jpg=h", "PC2.jpg=4"}, "nn", "--4",
            {notJpeg.arg("%1", "0"), notJpeg.arg("%1", "1")});
    }

    void viewer()
    {
        QFETCH(QStringList, selection);
        QFETCH(QStringList, files);
        QFETCH(QString, steps);
        QFETCH(QString, colours);
        QFETCH(QStringList, told);
        QTemporaryDir images;
        const QString folder = images.path() + u'/';
        setImageFolder(folder);
        for (const QString &file : files) {
            const QString path = folder + file.section(u'=', 0, 0), kind = file.section(u'=', 1);
            const int c = kind.toInt();
            QImage page(40, 30, QImage::Format_RGB32); // not the picture area's shape
            page.fill(QColor(c & 1 ? 255 : 0, c & 2 ? 255 : 0, c & 4 ? 255 : 0));
            QVERIFY(page.save(path, "JPEG"));
            const QByteArray bytes = readFile(path); // with 0xFFC0's height and width made 60000 for "h"
            writeFile(path, kind == u"x" ? "a note, not a scan\r\n"
                            : kind == u"h"
                                ? QByteArray(bytes).replace(bytes.indexOf("\xFF\xC0") + 5, 4, "\xEA\x60\xEA\x60")
                                : bytes);
        }
        DialogAnswerer answers;
        Form7 viewer({selection[0], quint8(selection[1].toInt()), quint8(selection[2].toInt())});
        viewer.show();
        QApplication::setActiveWindow(&viewer);
        QVERIFY(QTest::qWaitForWindowActive(&viewer));
        viewer.Form_Load();
        QString seen(1, QChar::fromLatin1(shownColour(viewer)));
        for (QChar step : steps) {
            if (const int key = u"DURL"_qs.indexOf(step); key >= 0)
                QTest::keyClick(&viewer,
                                std::array{Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Right, Qt::Key_Left}[key]);
            else
                click(&viewer, step == u'n' ? u"Command1"_qs : u"Command2"_qs);
            seen += QChar::fromLatin1(shownColour(viewer));
        }
        QCOMPARE(seen, colours);
        QCOMPARE(answers.texts(), told.replaceInStrings(u"%1"_qs, folder));
        QCOMPARE(answers.titles(), QStringList(told.size(), u"画像ﾃﾞｰﾀなし"_qs));
    }
};

PAGELORE_TEST_MAIN(TestBrowsers)
#include "tst_browsers.moc"
