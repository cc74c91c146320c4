#include "support/TestSupport.h"

#include "screens/Form5.h"
#include "screens/Form7.h"
#include "screens/PageImageSelection.h"
#include "screens/ScreenNames.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"
#include "storage/TypedInput.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace pagelore;
using namespace pagelore::test;

namespace {

const QString kEnd = QStringLiteral("これ以上データはないので、「次の候補>>」ボタンを押さないでください。");
const QString kEndTitle = QStringLiteral("最終");

ArticleRecord hit(const QString &title, const QString &base, quint8 first, quint8 last)
{
    ArticleRecord a;
    a.Title = title;
    a.Writer = u"記者"_qs;
    a.Magazine = u"月刊誌"_qs;
    a.FirstPage = 10;
    a.LastPage = 12;
    a.Category = u"分野"_qs;
    a.PublicationForm = u"連載"_qs;
    a.PublicationDate = *TypedInput::toDate(u"1995/4/1"_qs);
    a.Content = u"内容"_qs;
    a.Keyword1 = u"一"_qs;
    a.Keyword2 = u"二"_qs;
    a.Keyword3 = u"三"_qs;
    a.ImageBase = base;
    a.FirstImageNo = first;
    a.LastImageNo = last;
    return a;
}

void writeResults(const TempDataFolder &data, const QList<ArticleRecord> &records)
{
    QByteArray bytes;
    for (const ArticleRecord &r : records)
        bytes += r.encode();
    data.write(DataFiles::ResultFile, bytes);
}

QString text(Form5 &f, int n)
{
    if (n == 9)
        return child<QPlainTextEdit>(&f, u"Text9"_qs)->toPlainText();
    return child<QLineEdit>(&f, QStringLiteral("Text%1").arg(n))->text();
}

// Answers OK and notes the title shown in Text1 at the moment of each box, so
// a test can tell a message before the fields are filled from one after.
class TitleAtMessage : public MessageBox::Hook {
public:
    explicit TitleAtMessage(QLineEdit *&watched) : m_watched(watched) { MessageBox::setHook(this); }
    ~TitleAtMessage() override { MessageBox::setHook(nullptr); }
    MessageBox::Answer answerMessage(const MessageBox::ShownBox &box) override
    {
        seen << box.text + u'|' + (m_watched ? m_watched->text() : u"<none>"_qs);
        return MessageBox::Answer::Ok;
    }
    std::optional<QString> answerInput(const MessageBox::ShownBox &) override { return std::nullopt; }
    QStringList seen;

private:
    QLineEdit *&m_watched;
};

}  // namespace

class TestForm5 : public QObject {
    Q_OBJECT

private slots:
    void init() { PageImageSelection::reset(); }
    void threeRecords();
    void oneRecord();
    void emptyResultFile();
    void rendering_data();
    void rendering();
    void leaving_data();
    void leaving();
    void malformedResultFile();
    void imageButtonUsesRecordShown();
};

void TestForm5::threeRecords()
{
    TempDataFolder data;
    writeResults(data, {hit(u"一件目"_qs, u"A"_qs, 1, 2), hit(u"二件目"_qs, u"B"_qs, 3, 4),
                        hit(u"三件目"_qs, u"C"_qs, 5, 6)});
    QLineEdit *title = nullptr;
    TitleAtMessage hook(title);
    Form5 f;
    title = child<QLineEdit>(&f, u"Text1"_qs);
    QVERIFY(hook.seen.isEmpty());
    QCOMPARE(title->text(), u"一件目"_qs);
    QCOMPARE(PageImageSelection::current(), (PageImageSelection{u"A"_qs, 1, 2}));
    QVERIFY(f.isResultOpen());

    QTest::mouseClick(child<QPushButton>(&f, u"Command1"_qs), Qt::LeftButton);
    QVERIFY(hook.seen.isEmpty());
    QCOMPARE(title->text(), u"二件目"_qs);
    QCOMPARE(PageImageSelection::current(), (PageImageSelection{u"B"_qs, 3, 4}));

    QTest::mouseClick(child<QPushButton>(&f, u"Command1"_qs), Qt::LeftButton);
    QCOMPARE(hook.seen, (QStringList{kEnd + u"|二件目"_qs, kEnd + u"|三件目"_qs}));
    QCOMPARE(PageImageSelection::current(), (PageImageSelection{u"C"_qs, 5, 6}));
    QVERIFY(!f.isResultOpen());

    // Pressed again after the end: the message again, nothing else changes.
    QTest::mouseClick(child<QPushButton>(&f, u"Command1"_qs), Qt::LeftButton);
    QCOMPARE(hook.seen.size(), 3);
    QCOMPARE(hook.seen.last(), kEnd + u"|三件目"_qs);
    QCOMPARE(PageImageSelection::current(), (PageImageSelection{u"C"_qs, 5, 6}));
}

void TestForm5::oneRecord()
{
    TempDataFolder data;
    writeResults(data, {hit(u"唯一"_qs, u"PC"_qs, 0, 2)});
    DialogAnswerer answers;
    answers.ok().ok();
    Form5 f;
    QCOMPARE(answers.texts(), (QStringList{kEnd, kEnd}));
    QCOMPARE(answers.titles(), (QStringList{kEndTitle, kEndTitle}));
    QCOMPARE(answers.shown().first().buttons, QStringList{MessageBox::kOkCaption});
    QCOMPARE(text(f, 1), u"唯一"_qs);
    QVERIFY(!f.isResultOpen());
    QCOMPARE(PageImageSelection::current(), (PageImageSelection{u"PC"_qs, 0, 2}));
}

void TestForm5::emptyResultFile()
{
    TempDataFolder data;
    PageImageSelection::set({u"前の検索"_qs, 4, 9});
    DialogAnswerer answers;
    answers.ok();
    Form5 f;
    QCOMPARE(answers.texts(), QStringList{kEnd});
    QCOMPARE(answers.unexpected(), 0);
    for (int n = 1; n <= 15; ++n)
        QVERIFY2(text(f, n).isEmpty(), qPrintable(QString::number(n)));
    QCOMPARE(PageImageSelection::current(), PageImageSelection{});
    QVERIFY(!f.isResultOpen());

    QTest::mouseClick(child<QPushButton>(&f, u"Command1"_qs), Qt::LeftButton);
    QCOMPARE(answers.texts(), (QStringList{kEnd, kEnd}));
    QVERIFY(text(f, 1).isEmpty());
}

void TestForm5::rendering_data()
{
    QTest::addColumn<ArticleRecord>("record");
    QTest::addColumn<QStringList>("shown");  // Text1 .. Text15

    ArticleRecord a = hit(u"題"_qs, {}, 0, 255);
    a.FirstPage = -5;
    a.LastPage = 32767;
    a.Content = u"一行目\r\n二行目"_qs;
    QTest::newRow("negative page, two lines, 0 and 255, no image base")
        << a
        << QStringList{u"題"_qs,    u"記者"_qs,   u"月刊誌"_qs, u"-5"_qs, u"32767"_qs,
                       u"分野"_qs,  u"連載"_qs,   u"1995/04/01"_qs, u"一行目\n二行目"_qs,
                       u"一"_qs,    u"二"_qs,     u"三"_qs,     {},       u"0"_qs, u"255"_qs};
    ArticleRecord b = hit(u"ﾊﾝｶｸ"_qs, u"PC"_qs, 12, 7);
    b.PublicationDate = *TypedInput::toDate(u"2001/12/31 9:05:07"_qs);
    QTest::newRow("date with time, half-width text")
        << b
        << QStringList{u"ﾊﾝｶｸ"_qs, u"記者"_qs, u"月刊誌"_qs, u"10"_qs, u"12"_qs,
                       u"分野"_qs, u"連載"_qs, u"2001/12/31 9:05:07"_qs, u"内容"_qs,
                       u"一"_qs,   u"二"_qs,   u"三"_qs, u"PC"_qs, u"12"_qs, u"7"_qs};
}

void TestForm5::rendering()
{
    QFETCH(ArticleRecord, record);
    QFETCH(QStringList, shown);
    TempDataFolder data;
    writeResults(data, {hit(u"前"_qs, {}, 0, 0), record});
    DialogAnswerer answers;
    answers.ok().ok();
    Form5 f;
    QTest::mouseClick(child<QPushButton>(&f, u"Command1"_qs), Qt::LeftButton);
    QStringList actual;
    for (int n = 1; n <= 15; ++n)
        actual << text(f, n);
    QCOMPARE(actual, shown);
}

void TestForm5::leaving_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("code");
    QTest::newRow("Command2") << u"Command2"_qs << kBrowserBackToConditions;
    QTest::newRow("Command3") << u"Command3"_qs << kBrowserBackToMenu;
    QTest::newRow("title bar") << u"close"_qs << kBrowserBackToConditions;
    QTest::newRow("Esc") << u"escape"_qs << kBrowserBackToConditions;
}

void TestForm5::leaving()
{
    QFETCH(QString, how);
    QFETCH(int, code);
    TempDataFolder data;
    writeResults(data, {hit(u"一"_qs, {}, 0, 0), hit(u"二"_qs, {}, 0, 0)});
    DialogAnswerer answers;
    Form5 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    QVERIFY(f.isResultOpen());
    if (how == u"close")
        f.close();
    else if (how == u"escape")
        QTest::keyClick(&f, Qt::Key_Escape);
    else
        QTest::mouseClick(child<QPushButton>(&f, how), Qt::LeftButton);
    QVERIFY(!f.isVisible());
    QCOMPARE(f.result(), code);
    QVERIFY(!f.isResultOpen());
    QCOMPARE(answers.shown().size(), 0);
    // The next search can rewrite the file the browser had open.
    QVERIFY(QFile::remove(data.file(DataFiles::ResultFile)));
}

void TestForm5::malformedResultFile()
{
    TempDataFolder data;
    data.write(DataFiles::ResultFile, hit(u"一"_qs, u"A"_qs, 1, 1).encode() + sjis(u"\"壊れ\",\"x\",\"y\",zz,1\r\n"_qs)
                                          + hit(u"三"_qs, {}, 0, 0).encode());
    DialogAnswerer answers;
    Form5 f;
    QCOMPARE(text(f, 1), u"一"_qs);
    QTest::mouseClick(child<QPushButton>(&f, u"Command1"_qs), Qt::LeftButton);
    QCOMPARE(answers.shown().size(), 1);
    QVERIFY(answers.texts().first().contains(u"Rireki.PLR"_qs));
    QVERIFY(answers.texts().first().contains(u"2件目"_qs));
    QVERIFY(!f.isResultOpen());
    QCOMPARE(text(f, 1), u"一"_qs);
    QCOMPARE(PageImageSelection::current(), (PageImageSelection{u"A"_qs, 1, 1}));
}

void TestForm5::imageButtonUsesRecordShown()
{
    TempDataFolder data;
    setImageFolder(data.path());
    writeResults(data, {hit(u"一"_qs, u"A"_qs, 3, 4), hit(u"二"_qs, u"B"_qs, 7, 9), hit(u"三"_qs, {}, 0, 0)});
    DialogAnswerer answers;
    Form5 f;
    f.show();
    QTest::mouseClick(child<QPushButton>(&f, u"Command1"_qs), Qt::LeftButton);
    bool viewerOpened = false;
    const auto modalGuard = whenModalOpens(
        [&](QWidget *viewer) {
            viewerOpened = qobject_cast<Form7 *>(viewer) != nullptr;
            QTest::mouseClick(child<QPushButton>(viewer, u"Command3"_qs), Qt::LeftButton);
        },
        &f);
    QTest::mouseClick(child<QPushButton>(&f, u"Command4"_qs), Qt::LeftButton);
    QVERIFY(viewerOpened);
    // No page files exist: the viewer names the page it tried, the second
    // record's first one.
    QCOMPARE(answers.shown().size(), 1);
    QVERIFY2(answers.texts().first().contains(u"B7.jpg"_qs), qPrintable(answers.texts().first()));
    QVERIFY(f.isResultOpen());
    QCOMPARE(text(f, 1), u"二"_qs);
    f.Command2_Click();
}

PAGELORE_TEST_MAIN(TestForm5)
#include "tst_form5.moc"
