#include "support/TestSupport.h"

#include "screens/Form2.h"
#include "screens/Form5.h"
#include "screens/ScreenNames.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"
#include "storage/TypedInput.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace pagelore;
using namespace pagelore::test;

namespace {

const QString kQuestion = QStringLiteral("この条件で検索します。よろしいですか。");
const QString kQuestionTitle = QStringLiteral("検索意思確認");

// Form2 with the browser replaced by a counter, for the paths that must not
// (or must) reach it.
class ProbeForm2 : public Form2 {
public:
    int opened = 0;
    int answer = kBrowserBackToConditions;

protected:
    int openBrowser() override
    {
        ++opened;
        return answer;
    }
};

QByteArray article(const QString &title, const QString &keyword3 = u"k3"_qs)
{
    ArticleRecord a;
    a.Title = title;
    a.Writer = u"記者"_qs;
    a.FirstPage = 1;
    a.LastPage = 2;
    a.Magazine = a.Category = a.PublicationForm = u"x"_qs;
    a.PublicationDate = *TypedInput::toDate(u"1995/1/1"_qs);
    a.Keyword1 = u"k1"_qs;
    a.Keyword2 = u"k2"_qs;
    a.Keyword3 = keyword3;
    return a.encode();
}

QLineEdit *edit(QWidget *f, const char *name)
{
    return child<QLineEdit>(f, QString::fromLatin1(name));
}

void replaceText(QLineEdit *e, const QString &text)
{
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        QTest::keyClicks(e, text);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(e, &commit);
    }
}

}  // namespace

class TestForm2 : public QObject {
    Q_OBJECT

private slots:
    void opening();
    void missingListFile();
    void inputMethodsAndFocusOrder();
    void answeringNoChangesNothing();
    void unconvertibleText_data();
    void unconvertibleText();
    void missingArticleFile();
    void searchThenBackToConditions();
    void backToMenuClosesConditions();
};

void TestForm2::opening()
{
    TempDataFolder data;
    data.write(DataFiles::MagazineList, sjis(u"\"月刊アスキー\"\r\n\"日経バイト\"\r\n\"\"\r\n"_qs));
    data.write(DataFiles::CategoryList, sjis(u"\"ハード\"\r\n\"ｿﾌﾄ\"\r\n"_qs));
    DialogAnswerer answers;
    Form2 f;
    QCOMPARE(answers.shown().size(), 0);
    QCOMPARE(f.windowTitle(), u"記事検索"_qs);
    QCOMPARE(child<QPushButton>(&f, u"Command1"_qs)->text(), kBackCaption);
    QCOMPARE(child<QPushButton>(&f, u"Command2"_qs)->text(), u"検索する"_qs);
    QVERIFY(child<QLabel>(&f, u"Label8"_qs)->text().contains(u"「1900/1/1」"_qs));
    QCOMPARE(child<QLabel>(&f, u"Label7"_qs)->text(), u"掲載年月日(必須)"_qs);
    QCOMPARE(edit(&f, "Text3")->text(), u"100"_qs);
    QCOMPARE(edit(&f, "Text4")->text(), u"1990/1/1"_qs);
    for (const char *name : {"Text1", "Text2", "Text5", "Text6"})
        QVERIFY(edit(&f, name)->text().isEmpty());

    auto items = [&](const char *name) {
        QComboBox *c = child<QComboBox>(&f, QString::fromLatin1(name));
        QStringList list;
        for (int i = 0; i < c->count(); ++i)
            list << c->itemText(i);
        return std::make_pair(list, c->currentText());
    };
    QCOMPARE(items("Combo1"), std::make_pair(QStringList{u"月刊アスキー"_qs, u"日経バイト"_qs, {}}, QString()));
    QCOMPARE(items("Combo2"), std::make_pair(QStringList{u"ハード"_qs, u"ｿﾌﾄ"_qs}, QString()));
    QCOMPARE(items("Combo3"), std::make_pair(PublicationFormChoices(), QString()));
    QCOMPARE(PublicationFormChoices().size(), 7);
    QVERIFY(child<QComboBox>(&f, u"Combo1"_qs)->isEditable());
}

void TestForm2::missingListFile()
{
    TempDataFolder data;
    data.write(DataFiles::MagazineList, sjis(u"\"月刊\"\r\n"_qs));
    QVERIFY(QFile::remove(data.file(DataFiles::CategoryList)));
    DialogAnswerer answers;
    Form2 f;
    QCOMPARE(answers.shown().size(), 1);
    QVERIFY(answers.texts().first().contains(u"Bunnya.PLR"_qs));
    QCOMPARE(child<QComboBox>(&f, u"Combo1"_qs)->count(), 0);
    QCOMPARE(child<QComboBox>(&f, u"Combo3"_qs)->count(), 7);
}

void TestForm2::inputMethodsAndFocusOrder()
{
    TempDataFolder data;
    Form2 f;
    for (const char *name : {"Text1", "Text2", "Text5", "Text6"})
        QVERIFY2(edit(&f, name)->testAttribute(Qt::WA_InputMethodEnabled), name);
    for (const char *name : {"Combo1", "Combo2", "Combo3"})
        QVERIFY2(child<QComboBox>(&f, QString::fromLatin1(name))->lineEdit()->testAttribute(Qt::WA_InputMethodEnabled),
                 name);
    QVERIFY(!edit(&f, "Text3")->testAttribute(Qt::WA_InputMethodEnabled));
    QVERIFY(!edit(&f, "Text4")->testAttribute(Qt::WA_InputMethodEnabled));

    f.show();
    QVERIFY(QTest::qWaitForWindowActive(&f));
    QCOMPARE(QApplication::focusWidget(), edit(&f, "Text1"));
    const QStringList order = {u"Text2"_qs, u"Combo1"_qs, u"Text3"_qs, u"Combo2"_qs, u"Combo3"_qs, u"Text4"_qs,
                               u"Text5"_qs, u"Text6"_qs,  u"Command1"_qs, u"Command2"_qs, u"Text1"_qs};
    QStringList seen;
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *w = QApplication::focusWidget();
        // An editable combo box gives the focus to its line edit.
        if (w && qobject_cast<QComboBox *>(w->parentWidget()))
            w = w->parentWidget();
        seen << (w ? w->objectName() : QString());
    }
    QCOMPARE(seen, order);
}

void TestForm2::answeringNoChangesNothing()
{
    TempDataFolder data;
    data.write(DataFiles::ArticleFile, article(u"A"_qs));
    data.write(DataFiles::ResultFile, "old");
    DialogAnswerer answers;
    answers.no();
    ProbeForm2 f;
    edit(&f, "Text1")->setText(u"A"_qs);
    QTest::mouseClick(child<QPushButton>(&f, u"Command2"_qs), Qt::LeftButton);
    QCOMPARE(answers.texts(), QStringList{kQuestion});
    QCOMPARE(answers.titles(), QStringList{kQuestionTitle});
    QCOMPARE(answers.shown().first().buttons, (QStringList{MessageBox::kYesCaption, MessageBox::kNoCaption}));
    QCOMPARE(f.opened, 0);
    QCOMPARE(data.read(DataFiles::ResultFile), QByteArray("old"));
    QCOMPARE(edit(&f, "Text1")->text(), u"A"_qs);
}

void TestForm2::unconvertibleText_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("named");
    QTest::newRow("page not a number") << u"百"_qs << u"1990/1/1"_qs << u"検索ページ"_qs;
    QTest::newRow("page too large") << u"32768"_qs << u"1990/1/1"_qs << u"検索ページ"_qs;
    QTest::newRow("page empty") << QString() << u"1990/1/1"_qs << u"検索ページ"_qs;
    QTest::newRow("date empty") << u"100"_qs << QString() << u"掲載年月日(必須)"_qs;
    QTest::newRow("date no day") << u"100"_qs << u"1990/13/1"_qs << u"掲載年月日(必須)"_qs;
    QTest::newRow("date words") << u"100"_qs << u"不明"_qs << u"掲載年月日(必須)"_qs;
}

void TestForm2::unconvertibleText()
{
    QFETCH(QString, page);
    QFETCH(QString, date);
    QFETCH(QString, named);
    TempDataFolder data;
    data.write(DataFiles::ArticleFile, article(u"A"_qs));
    data.write(DataFiles::ResultFile, "old");
    DialogAnswerer answers;
    answers.yes().ok();
    ProbeForm2 f;
    replaceText(edit(&f, "Text3"), page);
    replaceText(edit(&f, "Text4"), date);
    edit(&f, "Text1")->setText(u"A"_qs);
    QTest::mouseClick(child<QPushButton>(&f, u"Command2"_qs), Qt::LeftButton);
    QCOMPARE(answers.shown().size(), 2);
    QVERIFY2(answers.texts()[1].contains(u"「"_qs + named + u"」"_qs), qPrintable(answers.texts()[1]));
    QCOMPARE(f.opened, 0);
    QCOMPARE(data.read(DataFiles::ResultFile), QByteArray("old"));
    QCOMPARE(edit(&f, "Text3")->text(), page);
    QCOMPARE(edit(&f, "Text4")->text(), date);
    QCOMPARE(edit(&f, "Text1")->text(), u"A"_qs);
}

void TestForm2::missingArticleFile()
{
    TempDataFolder data;
    data.write(DataFiles::ResultFile, "old");
    QVERIFY(QFile::remove(data.file(DataFiles::ArticleFile)));
    DialogAnswerer answers;
    answers.yes().ok();
    ProbeForm2 f;
    QTest::mouseClick(child<QPushButton>(&f, u"Command2"_qs), Qt::LeftButton);
    QCOMPARE(answers.shown().size(), 2);
    QVERIFY(answers.texts()[1].contains(u"Touroku.PLR"_qs));
    QCOMPARE(f.opened, 0);
    QCOMPARE(data.read(DataFiles::ResultFile), QByteArray("old"));
}

void TestForm2::searchThenBackToConditions()
{
    TempDataFolder data;
    data.write(DataFiles::ArticleFile, article(u"A"_qs) + article(u"B"_qs, u"鍵"_qs) + article(u"C"_qs));
    DialogAnswerer answers;
    answers.yes().ok().ok();
    Form2 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    edit(&f, "Text1")->setText(u"A"_qs);
    edit(&f, "Text6")->setText(u"鍵"_qs);
    QString browserTitle;
    const auto modalGuard = whenModalOpens(
        [&](QWidget *browser) {
            browserTitle = browser->findChild<QLineEdit *>(u"Text1"_qs)->text();
            QTest::mouseClick(child<QPushButton>(browser, u"Command2"_qs), Qt::LeftButton);
        },
        &f);
    QTest::mouseClick(child<QPushButton>(&f, u"Command2"_qs), Qt::LeftButton);
    QCOMPARE(browserTitle, u"A"_qs);
    QCOMPARE(data.read(DataFiles::ResultFile), article(u"A"_qs) + article(u"B"_qs, u"鍵"_qs));
    QVERIFY(f.isVisible());
    QCOMPARE(edit(&f, "Text1")->text(), u"A"_qs);
    QCOMPARE(edit(&f, "Text6")->text(), u"鍵"_qs);
    QCOMPARE(answers.unexpected(), 0);
    f.close();
}

void TestForm2::backToMenuClosesConditions()
{
    TempDataFolder data;
    DialogAnswerer answers;
    answers.yes().ok();  // no hits: the end message over an empty browser
    Form2 f;
    f.show();
    QVERIFY(QTest::qWaitForWindowExposed(&f));
    const auto modalGuard = whenModalOpens(
        [&](QWidget *browser) { QTest::mouseClick(child<QPushButton>(browser, u"Command3"_qs), Qt::LeftButton); },
        &f);
    QTest::mouseClick(child<QPushButton>(&f, u"Command2"_qs), Qt::LeftButton);
    QVERIFY(!f.isVisible());
    QCOMPARE(answers.unexpected(), 0);
    QCOMPARE(data.read(DataFiles::ResultFile), QByteArray());
}

PAGELORE_TEST_MAIN(TestForm2)
#include "tst_form2.moc"
