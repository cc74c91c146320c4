#include "support/TestSupport.h"

#include "screens/Form3.h"
#include "screens/Screens.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

using namespace pagelore;
using namespace pagelore::test;

namespace {

const QString kQuestion = QStringLiteral("この内容で登録します。よろしいですか。");
const QString kDone = QStringLiteral("登録しました。");
const QByteArray kExampleLine = "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";

QString textOf(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    if (auto *p = qobject_cast<QPlainTextEdit *>(w))
        return p->toPlainText();
    return QStringLiteral("<not a text widget>");
}

// Types text as the user would: ASCII key by key, anything else committed
// by the input method, the way Japanese text arrives.
void typeText(QWidget *target, const QString &text)
{
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype j = i;
        const bool ascii = text[i].unicode() < 0x80;
        while (j < text.size() && (text[j].unicode() < 0x80) == ascii)
            ++j;
        if (ascii) {
            QTest::keyClicks(target, text.mid(i, j - i));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text.mid(i, j - i));
            QApplication::sendEvent(target, &commit);
        }
        i = j;
    }
}


void clickRegister(QWidget *form)
{
    QTest::mouseClick(child<QPushButton>(form, QStringLiteral("Command2")), Qt::LeftButton);
}

QStringList comboItems(QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

}  // namespace

class TestForm3 : public QObject {
    Q_OBJECT

private slots:
    void registersTheExampleThroughTheMainWindowRoute();
    void storesWhatWasTyped_data();
    void storesWhatWasTyped();
    void threeLineContentKeepsItsLineBreaks();
    void createsTheArticleFileWhenMissing();
    void twoIdenticalRegistrationsGiveTwoRecords();
    void badInputWritesNothing_data();
    void badInputWritesNothing();
    void noKeepsEverything();
    void yesThenReopenShowsInitialContents();
    void listsFollowTheFiles();
    void missingListFile_data();
    void missingListFile();
    void missingListFileDoesNotOpenTheScreen();
    void failedAppendNamesTheFile();
    void backWritesNothing();
    void tabOrderAndInputMethods();
    void fixedTextsFullyVisible();
};

void TestForm3::registersTheExampleThroughTheMainWindowRoute()
{
    TempDataFolder data;
    DialogAnswerer answers;
    answers.yes().ok();
    bool driven = false;
    const auto modalGuard = whenModalOpens([&](QWidget *form) {
        driven = true;
        typeInto(form, QStringLiteral("Text3"), QStringLiteral("12"));
        typeInto(form, QStringLiteral("Text4"), QStringLiteral("15"));
        clickRegister(form);
    });
    openScreenModal(ScreenId::Register);

    QVERIFY(driven);
    QCOMPARE(data.read(DataFiles::ArticleFile), kExampleLine);
    QCOMPARE(answers.texts(), (QStringList{kQuestion, kDone}));
    QCOMPARE(answers.titles(), (QStringList{QStringLiteral("登録意思確認"), QStringLiteral("登録完了")}));
    QCOMPARE(answers.shown().at(0).buttons.size(), 2);
    QCOMPARE(answers.shown().at(1).buttons.size(), 1);
    QCOMPARE(answers.unexpected(), 0);
    QCOMPARE(data.read(DataFiles::MagazineList), QByteArray());
}

void TestForm3::storesWhatWasTyped_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray head = "\"\",\"\",\"\",12,15,\"\",\"\",";
    QTest::newRow("date with a time") << "Text5" << "1990/1/1 10:30" << head + "#1990-01-01 10:30:00#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
    QTest::newRow("unknown date") << "Text5" << "1900/1/1" << head + "#1900-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
    QTest::newRow("magazine not in the list")
        << "Combo1" << "日経バイト"
        << "\"\",\"\"," + sjis(QStringLiteral("\"日経バイト\"")) + ",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
    QTest::newRow("category not in the list")
        << "Combo2" << "ﾊｰﾄﾞｳｪｱ"
        << "\"\",\"\",\"\",12,15," + sjis(QStringLiteral("\"ﾊｰﾄﾞｳｪｱ\"")) + ",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
    QTest::newRow("own publication form")
        << "Combo3" << "巻頭言"
        << "\"\",\"\",\"\",12,15,\"\"," + sjis(QStringLiteral("\"巻頭言\"")) + ",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
    QTest::newRow("spaces and commas kept")
        << "Text1" << " a, b "
        << QByteArray("\" a, b \",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n");
    QTest::newRow("base name") << "Text10" << "PC" << head + "#1990-01-01#,\"\",\"\",\"\",\"\",\"PC\",0,255\r\n";
    QTest::newRow("image numbers at the other ends")
        << "Text11" << "255" << head + "#1990-01-01#,\"\",\"\",\"\",\"\",\"\",255,255\r\n";
    QTest::newRow("negative page") << "Text3" << "-32768"
                                    << QByteArray("\"\",\"\",\"\",-32768,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n");
}

void TestForm3::storesWhatWasTyped()
{
    QFETCH(QString, widget);
    QFETCH(QString, typed);
    QFETCH(QByteArray, expected);

    TempDataFolder data;
    const QByteArray magazines = sjis(QStringLiteral("\"ASCII\"\r\n\"日経\"\r\n"));
    const QByteArray categories = sjis(QStringLiteral("\"CPU\"\r\n"));
    data.write(DataFiles::MagazineList, magazines);
    data.write(DataFiles::CategoryList, categories);
    DialogAnswerer answers;
    answers.yes().ok();
    Form3 form;
    QVERIFY(form.Form_Load());
    form.show();
    typeInto(&form, QStringLiteral("Text3"), QStringLiteral("12"));
    typeInto(&form, QStringLiteral("Text4"), QStringLiteral("15"));
    typeInto(&form, widget, typed);
    clickRegister(&form);

    QCOMPARE(data.read(DataFiles::ArticleFile), expected);
    QCOMPARE(answers.texts(), (QStringList{kQuestion, kDone}));
    QVERIFY(!form.isVisible());
    QCOMPARE(data.read(DataFiles::MagazineList), magazines);
    QCOMPARE(data.read(DataFiles::CategoryList), categories);
}

void TestForm3::threeLineContentKeepsItsLineBreaks()
{
    TempDataFolder data;
    DialogAnswerer answers;
    answers.yes().ok();
    Form3 form;
    QVERIFY(form.Form_Load());
    form.show();
    typeInto(&form, QStringLiteral("Text3"), QStringLiteral("1"));
    typeInto(&form, QStringLiteral("Text4"), QStringLiteral("2"));
    auto *content = child<QPlainTextEdit>(&form, QStringLiteral("Text6"));
    typeText(content, QStringLiteral("一行目"));
    QTest::keyClick(content, Qt::Key_Return);
    typeText(content, QStringLiteral("二行目"));
    QTest::keyClick(content, Qt::Key_Return);
    typeText(content, QStringLiteral("三行目"));
    clickRegister(&form);

    QCOMPARE(data.read(DataFiles::ArticleFile),
             "\"\",\"\",\"\",1,2,\"\",\"\",#1990-01-01#," + sjis(QStringLiteral("\"一行目\r\n二行目\r\n三行目\"")) +
                 ",\"\",\"\",\"\",\"\",0,255\r\n");
}

void TestForm3::createsTheArticleFileWhenMissing()
{
    TempDataFolder data;
    QVERIFY(QFile::remove(data.file(DataFiles::ArticleFile)));
    DialogAnswerer answers;
    answers.yes().ok();
    Form3 form;
    QVERIFY(form.Form_Load());
    typeInto(&form, QStringLiteral("Text3"), QStringLiteral("12"));
    typeInto(&form, QStringLiteral("Text4"), QStringLiteral("15"));
    clickRegister(&form);
    QCOMPARE(data.read(DataFiles::ArticleFile), kExampleLine);
}

void TestForm3::twoIdenticalRegistrationsGiveTwoRecords()
{
    TempDataFolder data;
    DialogAnswerer answers;
    for (int i = 0; i < 2; ++i) {
        answers.yes().ok();
        Form3 form;
        QVERIFY(form.Form_Load());
        typeInto(&form, QStringLiteral("Text1"), QStringLiteral("同じ記事"));
        typeInto(&form, QStringLiteral("Text3"), QStringLiteral("12"));
        typeInto(&form, QStringLiteral("Text4"), QStringLiteral("15"));
        clickRegister(&form);
    }
    const QByteArray line =
        sjis(QStringLiteral("\"同じ記事\"")) + ",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
    QCOMPARE(data.read(DataFiles::ArticleFile), line + line);
    QCOMPARE(answers.unexpected(), 0);
}

void TestForm3::badInputWritesNothing_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("named");    // caption the message must name
    QTest::addColumn<QString>("expects");  // and part of what it asks for

    const QString page = QStringLiteral("-32768 から 32767");
    const QString date = QStringLiteral("1990/1/1");
    const QString number = QStringLiteral("0 から 255");
    const QString quote = QStringLiteral("二重引用符");
    const QString cannot = QStringLiteral("シフトJISで表せない");
    QTest::newRow("defaults only") << "Text3" << "" << "掲載先頭ページ" << page;
    QTest::newRow("first page not a number") << "Text3" << "12頁" << "掲載先頭ページ" << page;
    QTest::newRow("first page too large") << "Text3" << "32768" << "掲載先頭ページ" << page;
    QTest::newRow("first page a fraction") << "Text3" << "1.5" << "掲載先頭ページ" << page;
    QTest::newRow("last page empty") << "Text4" << "" << "掲載末尾ページ" << page;
    QTest::newRow("last page too small") << "Text4" << "-32769" << "掲載末尾ページ" << page;
    QTest::newRow("date empty") << "Text5" << "" << "掲載年月日(必須)" << date;
    QTest::newRow("date month 13") << "Text5" << "1990/13/1" << "掲載年月日(必須)" << date;
    QTest::newRow("date 31 February") << "Text5" << "1990/2/31" << "掲載年月日(必須)" << date;
    QTest::newRow("date words") << "Text5" << "不明" << "掲載年月日(必須)" << date;
    QTest::newRow("first image above 255") << "Text11" << "256" << "初期ﾌｧｲﾙ番号" << number;
    QTest::newRow("first image negative") << "Text11" << "-1" << "初期ﾌｧｲﾙ番号" << number;
    QTest::newRow("last image above 255") << "Text12" << "300" << "最終ﾌｧｲﾙ番号" << number;
    QTest::newRow("last image empty") << "Text12" << "" << "最終ﾌｧｲﾙ番号" << number;
    QTest::newRow("quote in title") << "Text1" << "a\"b" << "記事名" << quote;
    QTest::newRow("quote in writer") << "Text2" << "\"" << "記者名" << quote;
    QTest::newRow("quote in magazine") << "Combo1" << "X\"" << "掲載雑誌名" << quote;
    QTest::newRow("quote in category") << "Combo2" << "\"Y" << "分野" << quote;
    QTest::newRow("quote in form") << "Combo3" << "\"" << "掲載形態" << quote;
    QTest::newRow("quote in content") << "Text6" << "say \"hi\"" << "内容" << quote;
    QTest::newRow("quote in third keyword") << "Text9" << "\"" << "第三キーワード" << quote;
    QTest::newRow("quote in base name") << "Text10" << "P\"C" << "記事紙面ﾌｧｲﾙ基本ﾌｧｲﾙ名" << quote;
    QTest::newRow("hangul in first keyword") << "Text7" << "한국" << "第一キーワード" << cannot;
    QTest::newRow("emoji in content") << "Text6" << "😀" << "内容" << cannot;
    QTest::newRow("accented letter in second keyword") << "Text8" << "café" << "第二キーワード" << cannot;
}

void TestForm3::badInputWritesNothing()
{
    QFETCH(QString, widget);
    QFETCH(QString, typed);
    QFETCH(QString, named);
    QFETCH(QString, expects);

    TempDataFolder data;
    const QByteArray before = kExampleLine;
    data.write(DataFiles::ArticleFile, before);
    DialogAnswerer answers;
    answers.yes().ok();
    Form3 form;
    QVERIFY(form.Form_Load());
    form.show();
    if (QTest::currentDataTag() != QByteArray("defaults only")) {
        typeInto(&form, QStringLiteral("Text3"), QStringLiteral("12"));
        typeInto(&form, QStringLiteral("Text4"), QStringLiteral("15"));
        typeInto(&form, QStringLiteral("Text2"), QStringLiteral("記者"));
        typeInto(&form, widget, typed);
    }
    QMap<QString, QString> typedBefore;
    for (QWidget *w : form.findChildren<QWidget *>(QRegularExpression(QStringLiteral("^(Text|Combo)\\d+$"))))
        typedBefore[w->objectName()] = textOf(w);
    clickRegister(&form);

    QCOMPARE(data.read(DataFiles::ArticleFile), before);
    QCOMPARE(answers.titles(), (QStringList{QStringLiteral("登録意思確認"), QStringLiteral("入力エラー")}));
    const QString message = answers.texts().at(1);
    QVERIFY2(message.contains(QStringLiteral("「%1」").arg(named)), qPrintable(message));
    QVERIFY2(message.contains(expects), qPrintable(message));
    QVERIFY(form.isVisible());
    for (auto it = typedBefore.cbegin(); it != typedBefore.cend(); ++it)
        QCOMPARE(textOf(child<QWidget>(&form, it.key())), it.value());
    QCOMPARE(answers.unexpected(), 0);
}

void TestForm3::noKeepsEverything()
{
    TempDataFolder data;
    DialogAnswerer answers;
    answers.no();
    Form3 form;
    QVERIFY(form.Form_Load());
    form.show();
    typeInto(&form, QStringLiteral("Text1"), QStringLiteral("特集記事"));
    typeInto(&form, QStringLiteral("Text3"), QStringLiteral("12"));
    typeInto(&form, QStringLiteral("Combo2"), QStringLiteral("ｿﾌﾄｳｪｱ"));
    clickRegister(&form);

    QCOMPARE(answers.texts(), QStringList{kQuestion});
    QCOMPARE(data.read(DataFiles::ArticleFile), QByteArray());
    QVERIFY(form.isVisible());
    QCOMPARE(child<QLineEdit>(&form, QStringLiteral("Text1"))->text(), QStringLiteral("特集記事"));
    QCOMPARE(child<QLineEdit>(&form, QStringLiteral("Text3"))->text(), QStringLiteral("12"));
    QCOMPARE(child<QComboBox>(&form, QStringLiteral("Combo2"))->currentText(), QStringLiteral("ｿﾌﾄｳｪｱ"));
}

void TestForm3::yesThenReopenShowsInitialContents()
{
    TempDataFolder data;
    setImageFolder(QStringLiteral("/srv/紙面/"));
    DialogAnswerer answers;
    answers.yes().ok();
    {
        Form3 form;
        QVERIFY(form.Form_Load());
        form.show();
        typeInto(&form, QStringLiteral("Text1"), QStringLiteral("記事"));
        typeInto(&form, QStringLiteral("Text3"), QStringLiteral("12"));
        typeInto(&form, QStringLiteral("Text4"), QStringLiteral("15"));
        typeInto(&form, QStringLiteral("Combo3"), QStringLiteral("連載"));
        clickRegister(&form);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }
    Form3 form;
    QVERIFY(form.Form_Load());
    const QMap<QString, QString> initial = {
        {"Text1", ""}, {"Text2", ""},  {"Combo1", ""},        {"Text3", ""},  {"Text4", ""},  {"Combo2", ""},
        {"Combo3", ""}, {"Text5", "1990/1/1"}, {"Text6", ""}, {"Text7", ""},  {"Text8", ""},  {"Text9", ""},
        {"Text10", ""}, {"Text11", "0"},       {"Text12", "255"},
    };
    for (auto it = initial.cbegin(); it != initial.cend(); ++it)
        QCOMPARE(textOf(child<QWidget>(&form, it.key())), it.value());
    QCOMPARE(child<QLabel>(&form, QStringLiteral("Label18"))->text(), QStringLiteral("/srv/紙面/"));
    QCOMPARE(child<QLabel>(&form, QStringLiteral("Label19"))->text(), QStringLiteral(".jpg"));
    QCOMPARE(form.focusWidget(), child<QWidget>(&form, QStringLiteral("Text1")));
    setImageFolder(QString());
}

void TestForm3::listsFollowTheFiles()
{
    TempDataFolder data;
    data.write(DataFiles::MagazineList, sjis(QStringLiteral("\"ASCII\"\r\n\"\"\r\n\"ASCII\"\r\n\"日経ｴﾚｸﾄﾛﾆｸｽ\"\r\n")));
    DialogAnswerer answers;
    Form3 form;
    QVERIFY(form.Form_Load());
    auto *combo1 = child<QComboBox>(&form, QStringLiteral("Combo1"));
    auto *combo2 = child<QComboBox>(&form, QStringLiteral("Combo2"));
    auto *combo3 = child<QComboBox>(&form, QStringLiteral("Combo3"));
    QCOMPARE(comboItems(combo1), (QStringList{"ASCII", "", "ASCII", QStringLiteral("日経ｴﾚｸﾄﾛﾆｸｽ")}));
    QCOMPARE(comboItems(combo2), QStringList());
    QCOMPARE(comboItems(combo3), PublicationFormChoices());
    QCOMPARE(comboItems(combo3).size(), 7);
    for (QComboBox *combo : {combo1, combo2, combo3}) {
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->currentText(), QString());
    }
    // A choice puts the name into the text; typing a prefix does not complete it.
    combo1->setCurrentIndex(3);
    QCOMPARE(combo1->currentText(), QStringLiteral("日経ｴﾚｸﾄﾛﾆｸｽ"));
    typeInto(&form, QStringLiteral("Combo1"), QStringLiteral("AS"));
    QCOMPARE(combo1->currentText(), QStringLiteral("AS"));
    QCOMPARE(answers.shown().size(), 0);
}

void TestForm3::missingListFile_data()
{
    QTest::addColumn<QStringList>("removed");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("named");

    QTest::newRow("magazines") << QStringList{DataFiles::MagazineList} << true << DataFiles::MagazineList;
    QTest::newRow("categories") << QStringList{DataFiles::CategoryList} << true << DataFiles::CategoryList;
    QTest::newRow("both") << QStringList{DataFiles::MagazineList, DataFiles::CategoryList} << true
                          << DataFiles::MagazineList;
    QTest::newRow("no data folder chosen") << QStringList{} << false << QStringLiteral("保管場所がまだ指定されていない");
}

void TestForm3::missingListFile()
{
    QFETCH(QStringList, removed);
    QFETCH(bool, chosen);
    QFETCH(QString, named);

    TempDataFolder data;
    for (const QString &name : removed)
        QVERIFY(QFile::remove(data.file(name)));
    if (!chosen)
        SettingsStore::SaveSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address"), QString());
    const QStringList filesBefore = QDir(data.path()).entryList(QDir::Files);
    const QStringList workingBefore = QDir::current().entryList(QDir::Files);

    DialogAnswerer answers;
    answers.ok();
    Form3 form;
    QVERIFY(!form.Form_Load());
    QCOMPARE(answers.titles(), QStringList{QStringLiteral("ファイルエラー")});
    const QString message = answers.texts().at(0);
    QVERIFY2(message.contains(named), qPrintable(message));
    QVERIFY2(message.contains(QStringLiteral("ﾌｧｲﾙメニューの「記事ﾃﾞｰﾀの保管場所の指定」")), qPrintable(message));
    QCOMPARE(QDir(data.path()).entryList(QDir::Files), filesBefore);
    QCOMPARE(QDir::current().entryList(QDir::Files), workingBefore);
}

void TestForm3::missingListFileDoesNotOpenTheScreen()
{
    TempDataFolder data;
    QVERIFY(QFile::remove(data.file(DataFiles::CategoryList)));
    DialogAnswerer answers;
    answers.ok();
    bool opened = false;
    // Should a screen open anyway, close it so the test ends and reports it.
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    guard.start(50);
    openScreenModal(ScreenId::Register);
    QVERIFY(!opened);
    QCOMPARE(answers.shown().size(), 1);
    QVERIFY(answers.texts().at(0).contains(DataFiles::CategoryList));
    QVERIFY(!QFile::exists(data.file(DataFiles::CategoryList)));
}

void TestForm3::failedAppendNamesTheFile()
{
    TempDataFolder data;
    DialogAnswerer answers;
    answers.yes().ok();
    Form3 form;
    QVERIFY(form.Form_Load());
    form.show();
    typeInto(&form, QStringLiteral("Text1"), QStringLiteral("残る記事"));
    typeInto(&form, QStringLiteral("Text3"), QStringLiteral("12"));
    typeInto(&form, QStringLiteral("Text4"), QStringLiteral("15"));
    // A folder where the article file should be cannot be appended to.
    QVERIFY(QFile::remove(data.file(DataFiles::ArticleFile)));
    QVERIFY(QDir(data.path()).mkdir(DataFiles::ArticleFile));
    clickRegister(&form);

    QCOMPARE(answers.titles(), (QStringList{QStringLiteral("登録意思確認"), QStringLiteral("ファイルエラー")}));
    QVERIFY2(answers.texts().at(1).contains(DataFiles::ArticleFile), qPrintable(answers.texts().at(1)));
    QVERIFY(form.isVisible());
    QCOMPARE(child<QLineEdit>(&form, QStringLiteral("Text1"))->text(), QStringLiteral("残る記事"));
    QVERIFY(QFileInfo(data.file(DataFiles::ArticleFile)).isDir());
}

void TestForm3::backWritesNothing()
{
    TempDataFolder data;
    DialogAnswerer answers;
    Form3 form;
    QVERIFY(form.Form_Load());
    form.show();
    typeInto(&form, QStringLiteral("Text3"), QStringLiteral("12"));
    typeInto(&form, QStringLiteral("Text4"), QStringLiteral("15"));
    QTest::mouseClick(child<QPushButton>(&form, QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(answers.shown().size(), 0);
    QCOMPARE(data.read(DataFiles::ArticleFile), QByteArray());
}

void TestForm3::tabOrderAndInputMethods()
{
    TempDataFolder data;
    Form3 form;
    QVERIFY(form.Form_Load());
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));

    const QStringList order = {"Text1", "Text2",  "Combo1", "Text3",  "Text4",  "Combo2",   "Combo3",  "Text5", "Text6",
                               "Text7", "Text8",  "Text9",  "Text10", "Text11", "Text12", "Command1", "Command2"};
    for (const QString &name : order) {
        QWidget *expected = child<QWidget>(&form, name);
        QWidget *focused = QApplication::focusWidget();
        QVERIFY2(focused && (focused == expected || expected->isAncestorOf(focused)),
                 qPrintable(QStringLiteral("%1 expected, focus on %2").arg(name, focused ? focused->objectName() : "none")));
        QTest::keyClick(focused, Qt::Key_Tab);
    }

    const QStringList on = {"Text1", "Text2", "Combo1", "Combo2", "Combo3", "Text6", "Text7", "Text8", "Text9"};
    const QStringList off = {"Text3", "Text4", "Text5"};
    for (const QString &name : on)
        QVERIFY2(child<QWidget>(&form, name)->testAttribute(Qt::WA_InputMethodEnabled), qPrintable(name));
    for (const QString &name : off)
        QVERIFY2(!child<QWidget>(&form, name)->testAttribute(Qt::WA_InputMethodEnabled), qPrintable(name));
}

void TestForm3::fixedTextsFullyVisible()
{
    TempDataFolder data;
    setImageFolder(QStringLiteral("/home/user/とても長い画像フォルダの名前/さらに下の階層/"));
    Form3 form;
    QVERIFY(form.Form_Load());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (const char *name : {"Label8", "Label14", "Label17"}) {
        auto *label = child<QLabel>(&form, name);
        QVERIFY(label->wordWrap());
        QVERIFY2(label->height() >= label->heightForWidth(label->width()), name);
        QVERIFY(form.rect().contains(label->geometry()));
    }
    auto *label18 = child<QLabel>(&form, QStringLiteral("Label18"));
    QVERIFY(label18->width() >= label18->sizeHint().width());
    setImageFolder(QString());
}

PAGELORE_TEST_MAIN(TestForm3)
#include "tst_form3.moc"
