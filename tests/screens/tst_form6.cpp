#include "support/TestSupport.h"

#include "screens/Form2.h"
#include "screens/Form4.h"
#include "screens/Form5.h"
#include "screens/Form6.h"
#include "screens/ScreenNames.h"
#include "screens/Screens.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace pagelore;
using namespace pagelore::test;

namespace {

const QString kEnd = QStringLiteral("これ以上データはないので、「次の候補>>」ボタンを押さないでください。");
const QString kQuestion = QStringLiteral("この記事を記事データベースから削除します。");
const QString kQuestionTitle = QStringLiteral("記事削除確認");
const QString kDone = QStringLiteral("長らくお待たせしましたが、記事の削除が完了しました。");

// Every field depends on n, so a field shown in the wrong box or from the
// wrong record shows up.
ArticleRecord sampleArticle(int n)
{
    ArticleRecord a;
    a.Title = QStringLiteral("記事%1の題名").arg(n);
    a.Writer = QStringLiteral("記者%1").arg(n);
    a.Magazine = QStringLiteral("月刊誌%1").arg(n);
    a.FirstPage = static_cast<qint16>(-n);
    a.LastPage = static_cast<qint16>(100 + n);
    a.Category = QStringLiteral("分野%1").arg(n);
    a.PublicationForm = PublicationFormChoices().at(n % 7);
    a.PublicationDate = DateValue::fromDate(QDate(1990 + n, 1 + n % 12, n));
    a.Content = QStringLiteral("内容%1の一行目\r\n二行目").arg(n);
    a.Keyword1 = QStringLiteral("ｷｰ1-%1").arg(n);
    a.Keyword2 = QStringLiteral("キー2-%1").arg(n);
    a.Keyword3 = QStringLiteral("key3-%1").arg(n);
    a.ImageBase = QStringLiteral("IMG%1_").arg(n);
    a.FirstImageNo = static_cast<quint8>(n);
    a.LastImageNo = static_cast<quint8>(n + 3);
    return a;
}

QByteArray encoded(std::initializer_list<int> numbers)
{
    QByteArray out;
    for (int n : numbers)
        out += sampleArticle(n).encode();
    return out;
}

QString box(QWidget *f, int n)
{
    if (n == 9)
        return child<QPlainTextEdit>(f, QStringLiteral("Text9"))->toPlainText();
    return child<QLineEdit>(f, QStringLiteral("Text%1").arg(n))->text();
}

QStringList shownFields(QWidget *f)
{
    QStringList out;
    for (int n = 1; n <= 12; ++n)
        out << box(f, n);
    return out;
}

QStringList fieldsOf(const ArticleRecord &a)
{
    QString content = a.Content;
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return {a.Title,
            a.Writer,
            a.Magazine,
            QString::number(a.FirstPage),
            QString::number(a.LastPage),
            a.Category,
            a.PublicationForm,
            a.PublicationDate.toDisplayText(),
            content,
            a.Keyword1,
            a.Keyword2,
            a.Keyword3};
}

void click(QWidget *f, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(f, button), Qt::LeftButton);
}

}  // namespace

class TestForm6 : public QObject {
    Q_OBJECT

private slots:
    void widgets();
    void browsingShowsTwelveFields();
    void noAtQuestionChangesNothing();
    void removalThroughScreen();
    void emptyResultHasNothingToDelete();
    void failedRemovalIsReported();
    void form4Texts();
    void form4AndForm2GiveSameResults_data();
    void form4AndForm2GiveSameResults();
    void leavingTheBrowser_data();
    void leavingTheBrowser();
    void mainWindowOpensForm4();
};

void TestForm6::widgets()
{
    TempDataFolder data;
    data.write(DataFiles::ResultFile, encoded({1, 2}));
    Form6 f;
    QCOMPARE(f.windowTitle(), QStringLiteral("削除記事候補検索結果"));
    const QStringList labels = {u"記事名"_qs,       u"記者名"_qs,         u"掲載雑誌名"_qs,     u"掲載先頭ページ"_qs,
                                u"掲載末尾ページ"_qs, u"分野"_qs,         u"掲載形態"_qs,       u"掲載年月日"_qs,
                                u"内容"_qs,         u"第一キーワード"_qs, u"第二キーワード"_qs, u"第三キーワード"_qs};
    for (int n = 1; n <= 12; ++n)
        QCOMPARE(child<QLabel>(&f, QStringLiteral("Label%1").arg(n))->text(), labels[n - 1]);
    const QStringList captions = {u"次の候補>>"_qs, u"この記事を削除(画像データ自体は消去されません)"_qs,
                                  u"<<検索条件を改める"_qs, u"機能選択の画面に戻る"_qs};
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(child<QPushButton>(&f, QStringLiteral("Command%1").arg(n))->text(), captions[n - 1]);
    for (const char *absent : {"Text13", "Text14", "Text15", "Label13", "Command5"})
        QVERIFY2(!f.findChild<QWidget *>(QString::fromLatin1(absent)), absent);
    QVERIFY(child<QPlainTextEdit>(&f, u"Text9"_qs)->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn);
}

void TestForm6::browsingShowsTwelveFields()
{
    TempDataFolder data;
    data.write(DataFiles::ResultFile, encoded({1, 2, 3, 4}));
    DialogAnswerer answers;
    answers.ok().ok();
    Form6 f;
    QCOMPARE(shownFields(&f), fieldsOf(sampleArticle(1)));
    for (int n = 2; n <= 4; ++n) {
        click(&f, u"Command1"_qs);
        QCOMPARE(shownFields(&f), fieldsOf(sampleArticle(n)));
    }
    QCOMPARE(answers.texts(), (QStringList{kEnd, kEnd}));
    QVERIFY(!f.isResultOpen());
}

void TestForm6::noAtQuestionChangesNothing()
{
    TempDataFolder data;
    data.write(DataFiles::ArticleFile, encoded({1, 2, 3}));
    data.write(DataFiles::ResultFile, encoded({1, 2, 3}));
    data.write(DataFiles::ScratchFile, encoded({9}));
    DialogAnswerer answers;
    answers.no();
    Form6 f;
    click(&f, u"Command2"_qs);

    QCOMPARE(answers.texts(), QStringList{kQuestion});
    QCOMPARE(answers.titles(), QStringList{kQuestionTitle});
    QCOMPARE(answers.shown().first().buttons, (QStringList{MessageBox::kYesCaption, MessageBox::kNoCaption}));
    QCOMPARE(data.read(DataFiles::ArticleFile), encoded({1, 2, 3}));
    QCOMPARE(data.read(DataFiles::ResultFile), encoded({1, 2, 3}));
    QCOMPARE(data.read(DataFiles::ScratchFile), encoded({9}));
    QCOMPARE(shownFields(&f), fieldsOf(sampleArticle(1)));
    QVERIFY(f.isResultOpen());

    click(&f, u"Command1"_qs);
    QCOMPARE(shownFields(&f), fieldsOf(sampleArticle(2)));
    QCOMPARE(answers.unexpected(), 0);
}

void TestForm6::removalThroughScreen()
{
    TempDataFolder data;
    data.write(DataFiles::ArticleFile, encoded({1, 2, 3, 4, 5}));
    data.write(DataFiles::ResultFile, encoded({2, 4, 5}));
    DialogAnswerer answers;
    Form6 f;
    click(&f, u"Command1"_qs);
    // Typing into a box changes what is shown, not what is removed.
    child<QLineEdit>(&f, u"Text1"_qs)->setText(u"記事1の題名"_qs);

    answers.yes().ok();
    click(&f, u"Command2"_qs);
    QCOMPARE(answers.texts(), (QStringList{kQuestion, kDone}));
    QCOMPARE(answers.titles(), (QStringList{kQuestionTitle, u"削除完了"_qs}));
    QCOMPARE(data.read(DataFiles::ArticleFile), encoded({1, 2, 3, 5}));
    QCOMPARE(data.read(DataFiles::ScratchFile), encoded({1, 2, 3, 5}));
    QCOMPARE(data.read(DataFiles::ResultFile), encoded({2, 4, 5}));
    QCOMPARE(box(&f, 2), sampleArticle(4).Writer);
    QVERIFY(!f.isResultOpen());

    // A second press finds nothing and says so; the files stay as they are.
    answers.clear();
    answers.yes().ok();
    click(&f, u"Command2"_qs);
    QCOMPARE(answers.texts().size(), 2);
    QCOMPARE(answers.texts().at(0), kQuestion);
    QVERIFY(answers.texts().at(1) != kDone);
    QVERIFY2(answers.texts().at(1).contains(u"見つかりませんでした"_qs), qPrintable(answers.texts().at(1)));
    QVERIFY(answers.texts().at(1).contains(QDir::toNativeSeparators(data.file(DataFiles::ArticleFile))));
    QCOMPARE(data.read(DataFiles::ArticleFile), encoded({1, 2, 3, 5}));
    QCOMPARE(data.read(DataFiles::ScratchFile), encoded({1, 2, 3, 5}));

    // The handle is closed: the next press only says there is no more.
    answers.clear();
    answers.ok();
    click(&f, u"Command1"_qs);
    QCOMPARE(answers.texts(), QStringList{kEnd});
    QCOMPARE(box(&f, 2), sampleArticle(4).Writer);
    QCOMPARE(answers.unexpected(), 0);
}

void TestForm6::emptyResultHasNothingToDelete()
{
    TempDataFolder data;
    data.write(DataFiles::ArticleFile, encoded({1, 2}));
    DialogAnswerer answers;
    answers.ok();
    Form6 f;
    QCOMPARE(answers.texts(), QStringList{kEnd});

    answers.clear();
    answers.ok();
    click(&f, u"Command2"_qs);
    QCOMPARE(answers.texts(), QStringList{Form6::kNothingShown});
    QCOMPARE(data.read(DataFiles::ArticleFile), encoded({1, 2}));
    QCOMPARE(data.read(DataFiles::ScratchFile), QByteArray());
    QCOMPARE(answers.unexpected(), 0);
}

void TestForm6::failedRemovalIsReported()
{
    TempDataFolder data;
    data.write(DataFiles::ArticleFile, encoded({1, 2, 3}));
    data.write(DataFiles::ResultFile, encoded({2, 3}));
    QVERIFY(QFile::remove(data.file(DataFiles::ScratchFile)));
    QVERIFY(QDir(data.path()).mkdir(DataFiles::ScratchFile));
    DialogAnswerer answers;
    Form6 f;
    answers.yes().ok();
    click(&f, u"Command2"_qs);
    QCOMPARE(answers.texts().size(), 2);
    QVERIFY2(answers.texts().at(1).contains(QDir::toNativeSeparators(data.file(DataFiles::ScratchFile))),
             qPrintable(answers.texts().at(1)));
    QVERIFY(answers.texts().at(1).contains(Form6::kNothingChanged));
    QCOMPARE(data.read(DataFiles::ArticleFile), encoded({1, 2, 3}));
    QCOMPARE(box(&f, 1), sampleArticle(2).Title);
}

void TestForm6::form4Texts()
{
    TempDataFolder data;
    Form4 f;
    QCOMPARE(f.windowTitle(), u"削除記事候補検索"_qs);
    QCOMPARE(child<QPushButton>(&f, u"Command2"_qs)->text(), u"削除候補を検索する"_qs);
    QCOMPARE(child<QPushButton>(&f, u"Command1"_qs)->text(), kBackCaption);
    QCOMPARE(child<QLabel>(&f, u"Label8"_qs)->text(),
             u"掲載年月日は、日付を何かしら入力しないとエラーになりますので、不明な場合は、「1990/1/1」と記入してください。"_qs);
    QCOMPARE(child<QLineEdit>(&f, u"Text3"_qs)->text(), u"100"_qs);
    QCOMPARE(child<QLineEdit>(&f, u"Text4"_qs)->text(), u"1990/1/1"_qs);
}

void TestForm6::form4AndForm2GiveSameResults_data()
{
    QTest::addColumn<QStringList>("conditions");  // Text1, Text2, Combo1, Text3, Combo2, Combo3, Text4, Text5, Text6
    QTest::addColumn<int>("hits");
    const QString none = u"該当なし"_qs;
    QTest::newRow("title") << QStringList{u"記事2の題名"_qs, none, none, u"-100"_qs, none, none, u"1800/1/1"_qs,
                                          none, none}
                           << 2;  // and the stored "*"
    QTest::newRow("page range") << QStringList{none, none, none, u"103"_qs, none, none, u"1800/1/1"_qs, none, none}
                                << 4;
    QTest::newRow("date and keyword") << QStringList{none, none, none, u"-100"_qs, none, none, u"1993/4/3"_qs,
                                                     u"key3-5"_qs, u"キー2-1"_qs}
                                      << 4;
    // Every article's pages include 100.
    QTest::newRow("initial conditions") << QStringList{{}, {}, {}, u"100"_qs, {}, {}, u"1990/1/1"_qs, {}, {}} << 6;
}

// The same conditions on both screens give the same result file, and the
// deletion-candidate search leaves the article file alone.
void TestForm6::form4AndForm2GiveSameResults()
{
    QFETCH(QStringList, conditions);
    QFETCH(int, hits);

    TempDataFolder data;
    ArticleRecord star = sampleArticle(6);
    star.Title = u"*"_qs;
    const QByteArray articles = encoded({1, 2, 3, 4, 5}) + star.encode();
    data.write(DataFiles::ArticleFile, articles);

    QStringList browsers;
    QList<bool> stillOpen;
    auto search = [&](SearchConditionsScreen &screen) {
        const char *names[] = {"Text1", "Text2", "Combo1", "Text3", "Combo2", "Combo3", "Text4", "Text5", "Text6"};
        for (int i = 0; i < 9; ++i) {
            QWidget *w = child<QWidget>(&screen, QString::fromLatin1(names[i]));
            if (auto *line = qobject_cast<QLineEdit *>(w))
                line->setText(conditions[i]);
            else
                qobject_cast<QComboBox *>(w)->setEditText(conditions[i]);
        }
        screen.show();
        DialogAnswerer answers;
        answers.yes().ok().ok();
        const auto modalGuard = whenModalOpens([&](QWidget *browser) {
            browsers << QString::fromLatin1(browser->metaObject()->className());
            click(browser, qobject_cast<Form6 *>(browser) ? u"Command3"_qs : u"Command2"_qs);
        }, &screen);
        click(&screen, u"Command2"_qs);
        stillOpen << screen.isVisible();
        return data.read(DataFiles::ResultFile);
    };

    Form2 form2;
    const QByteArray viaForm2 = search(form2);
    data.write(DataFiles::ResultFile, "stale");
    Form4 form4;
    const QByteArray viaForm4 = search(form4);

    QCOMPARE(browsers, (QStringList{u"pagelore::Form5"_qs, u"pagelore::Form6"_qs}));
    QCOMPARE(stillOpen, (QList<bool>{true, true}));
    QCOMPARE(viaForm4, viaForm2);
    RecordFileCodec result(data.file(DataFiles::ResultFile), RecordFileCodec::OpenMode::Read);
    int count = 0;
    for (; !result.AtEnd(); ++count)
        ArticleRecord::read(result);
    QCOMPARE(count, hits);
    QCOMPARE(data.read(DataFiles::ArticleFile), articles);
}

void TestForm6::leavingTheBrowser_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("conditionsStayOpen");
    QTest::newRow("revise the conditions") << u"Command3"_qs << true;
    QTest::newRow("back to the function choice") << u"Command4"_qs << false;
}

void TestForm6::leavingTheBrowser()
{
    QFETCH(QString, button);
    QFETCH(bool, conditionsStayOpen);

    TempDataFolder data;
    data.write(DataFiles::ArticleFile, encoded({1, 2, 3}));
    Form4 f;
    f.show();
    child<QLineEdit>(&f, u"Text1"_qs)->setText(u"記事2の題名"_qs);
    DialogAnswerer answers;
    answers.yes();  // page 100 is in every article: three hits, no end message yet
    QString browserClass;
    const auto modalGuard = whenModalOpens([&](QWidget *browser) {
        browserClass = QString::fromLatin1(browser->metaObject()->className());
        click(browser, button);
    }, &f);
    click(&f, u"Command2"_qs);
    QCOMPARE(browserClass, u"pagelore::Form6"_qs);
    QCOMPARE(f.isVisible(), conditionsStayOpen);
    QCOMPARE(child<QLineEdit>(&f, u"Text1"_qs)->text(), u"記事2の題名"_qs);
    QCOMPARE(answers.unexpected(), 0);
}

void TestForm6::mainWindowOpensForm4()
{
    TempDataFolder data;
    QString opened;
    const auto modalGuard = whenModalOpens([&](QWidget *screen) {
        opened = QString::fromLatin1(screen->metaObject()->className());
        click(screen, u"Command1"_qs);
    });
    openScreenModal(ScreenId::DeleteSearch);
    QCOMPARE(opened, u"pagelore::Form4"_qs);
}

PAGELORE_TEST_MAIN(TestForm6)
#include "tst_form6.moc"
