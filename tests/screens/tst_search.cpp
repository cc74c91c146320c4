// The two condition screens (one class), the checks every screen makes when
// it opens, and the editable drop-downs of the entry and condition screens.

#include "ScreenTest.h"

#include "screens/Form2.h"
#include "screens/Form3.h"
#include "screens/Form4.h"
#include "screens/Screens.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QDir>

#include <memory>

using namespace pagelore;
using namespace pagelore::test;
using namespace screentest;

namespace {

// Pages 1 to 6 and dates in 1995: the screens' initial conditions match none.
const QByteArray kAlpha =
    "\"Alpha\",\"W\",\"M\",1,2,\"C\",\"F\",#1995-01-01#,\"x\",\"k1\",\"k2\",\"k3\",\"A\",0,0\r\n";
const QByteArray kBeta =
    "\"Beta\",\"W\",\"M\",3,4,\"C\",\"F\",#1995-01-02#,\"x\",\"k1\",\"k2\",\"k3\",\"B\",0,0\r\n";
// 1～3月号 with the code page's wave dash, 0x81 0x60.
const QByteArray kWave =
    "\"1\x81\x60"
    "3\x8c\x8e\x8d\x86\",\"W\",\"M\",5,6,\"C\",\"F\",#1995-01-03#,\"x\",\"k1\",\"k2\",\"k3\",\"\",0,0\r\n";
const QByteArray kBroken =
    "\"Broken\",\"W\",\"M\",x,4,\"C\",\"F\",#1995-01-02#,\"x\",\"k1\",\"k2\",\"k3\",\"B\",0,0\r\n";
const QByteArray kCut = "\"Gamma\",\"W\",\"M\",7,"; // a registration cut off by a power failure

const QString kQuestion = QStringLiteral("この条件で検索します。よろしいですか。");
const QString kQuestionTitle = QStringLiteral("検索意思確認");

std::unique_ptr<QDialog> makeScreen(const QString &name)
{
    if (name == u"Form2")
        return std::make_unique<Form2>();
    if (name == u"Form4")
        return std::make_unique<Form4>();
    return std::make_unique<Form3>();
}

// A condition screen opened and shown (not modally, so that the browser is
// the modal dialog), with the title condition typed.
std::unique_ptr<SearchConditionsScreen> conditions(const QString &name, const QString &title)
{
    std::unique_ptr<SearchConditionsScreen> screen(
        static_cast<SearchConditionsScreen *>(makeScreen(name).release()));
    if (!screen->Form_Load())
        qFatal("the condition screen did not open");
    screen->show();
    typeInto(screen.get(), QStringLiteral("Text1"), title);
    return screen;
}

QString lineText(QWidget *screen, const char *name)
{
    return child<QLineEdit>(screen, QString::fromLatin1(name))->text();
}

} // namespace

Q_DECLARE_METATYPE(pagelore::ScreenId)

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    void searchThenLeaveTheBrowser_data();
    void searchThenLeaveTheBrowser();
    void conditionsAsTyped_data();
    void conditionsAsTyped();
    void unconvertibleConditions_data();
    void unconvertibleConditions();
    void articleFileFaults_data();
    void articleFileFaults();
    void opening_data();
    void opening();
    void typedPrefixIsNotCompleted_data();
    void typedPrefixIsNotCompleted();
};

void TestSearch::searchThenLeaveTheBrowser_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("leave"); // a browser button, or Escape
    QTest::addColumn<QString>("browser");
    QTest::addColumn<bool>("conditionsStay");
    QTest::newRow("Form5 revise the conditions") << "Form2"
                                                 << "Command2"
                                                 << "pagelore::Form5" << true;
    QTest::newRow("Form5 back to the menu") << "Form2"
                                            << "Command3"
                                            << "pagelore::Form5" << false;
    QTest::newRow("Form5 Escape") << "Form2"
                                  << "Escape"
                                  << "pagelore::Form5" << true;
    QTest::newRow("Form6 revise the conditions") << "Form4"
                                                 << "Command3"
                                                 << "pagelore::Form6" << true;
    QTest::newRow("Form6 back to the menu") << "Form4"
                                            << "Command4"
                                            << "pagelore::Form6" << false;
}

void TestSearch::searchThenLeaveTheBrowser()
{
    QFETCH(QString, screen);
    QFETCH(QString, leave);
    QFETCH(QString, browser);
    QFETCH(bool, conditionsStay);

    TempDataFolder data;
    data.write(DataFiles::ArticleFile, kAlpha + kBeta + kWave);
    DialogAnswerer answers;
    answers.yes().ok().ok();
    const auto form = conditions(screen, QStringLiteral("Beta"));
    QString opened, shown;
    {
        ModalWatch watch([&](QWidget *b) {
            opened = QString::fromLatin1(b->metaObject()->className());
            shown = lineText(b, "Text1");
            if (leave == u"Escape")
                QTest::keyClick(b, Qt::Key_Escape);
            else
                click(b, leave);
        });
        click(form.get(), QStringLiteral("Command2"));
    }
    QCOMPARE(opened, browser);
    QCOMPARE(shown, QStringLiteral("Beta"));
    QCOMPARE(data.read(DataFiles::ResultFile), kBeta);
    QCOMPARE(data.read(DataFiles::ArticleFile), kAlpha + kBeta + kWave);
    QCOMPARE(answers.texts().at(0), kQuestion);
    QCOMPARE(answers.titles().at(0), kQuestionTitle);
    QCOMPARE(answers.shown().at(0).buttons,
             (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
    QCOMPARE(answers.unexpected(), 0);
    QCOMPARE(form->isVisible(), conditionsStay);
    QCOMPARE(lineText(form.get(), "Text1"), QStringLiteral("Beta"));
}

// Conditions are taken as typed; marks that input methods here spell with
// other code points find the code page's own.
void TestSearch::conditionsAsTyped_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("hits");
    QTest::newRow("wave dash U+301C finds the stored mark") << "1〜3月号" << kWave;
    QTest::newRow("prefix of a title") << "Bet" << QByteArray();
    QTest::newRow("double quote") << "a\"b" << QByteArray();
    QTest::newRow("not in the code page") << "한글" << QByteArray();
    QTest::newRow("very long text") << QString(40000, u'長') << QByteArray();
}

void TestSearch::conditionsAsTyped()
{
    QFETCH(QString, title);
    QFETCH(QByteArray, hits);

    TempDataFolder data;
    data.write(DataFiles::ArticleFile, kAlpha + kBeta + kWave);
    DialogAnswerer answers;
    answers.yes().ok().ok(); // an end message before and after a single hit, one over no hit
    const auto form = conditions(QStringLiteral("Form2"), title);
    {
        ModalWatch watch([](QWidget *browser) { click(browser, QStringLiteral("Command2")); });
        click(form.get(), QStringLiteral("Command2"));
    }
    QCOMPARE(data.read(DataFiles::ResultFile), hits);
    QCOMPARE(answers.shown().size(), hits.isEmpty() ? 2 : 3);
}

void TestSearch::unconvertibleConditions_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("message");
    QTest::newRow("page") << "百"
                          << "1990/1/1"
                          << "「検索ページ」には、-32768から32767までの整数を入力してください。";
    QTest::newRow("date that does not exist")
        << "100"
        << "2024/2/30"
        << "「掲載年月日(必須)」の「2024/2/30」という日付または時刻はありません。実在する日付を入力してください。";
    QTest::newRow("both, in one message")
        << "x"
        << "不明"
        << "「検索ページ」には、-32768から32767までの整数を入力してください。\n"
           "「掲載年月日(必須)」には、日付を「1990/1/1」のように年/月/日の形で入力してください。";
}

void TestSearch::unconvertibleConditions()
{
    QFETCH(QString, page);
    QFETCH(QString, date);
    QFETCH(QString, message);

    TempDataFolder data;
    data.write(DataFiles::ArticleFile, kAlpha);
    data.write(DataFiles::ResultFile, kBeta);
    DialogAnswerer answers;
    answers.yes().ok();
    const auto form = conditions(QStringLiteral("Form2"), QStringLiteral("Alpha"));
    typeInto(form.get(), QStringLiteral("Text3"), page);
    typeInto(form.get(), QStringLiteral("Text4"), date);
    {
        ModalWatch noBrowser(nullptr);
        click(form.get(), QStringLiteral("Command2"));
    }
    QCOMPARE(answers.titles(), (QStringList{kQuestionTitle, QStringLiteral("入力エラー")}));
    QCOMPARE(answers.texts().at(1), message);
    QCOMPARE(data.read(DataFiles::ResultFile), kBeta);
    QVERIFY(form->isVisible());
    QCOMPARE(lineText(form.get(), "Text1"), QStringLiteral("Alpha"));
    QCOMPARE(lineText(form.get(), "Text3"), page);
    QCOMPARE(lineText(form.get(), "Text4"), date);
}

// An article file that ends in half a record is offered to be set aside; any
// other fault is only reported. Either way no hit of half a pass is left.
void TestSearch::articleFileFaults_data()
{
    QTest::addColumn<QByteArray>("articles");
    QTest::addColumn<bool>("setAside");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QByteArray>("articlesAfter");
    QTest::addColumn<QByteArray>("hits");
    const QString repair = QStringLiteral("記事ファイルの修復");
    QTest::newRow("unfinished end, set aside")
        << kAlpha + kBeta + kCut << true << QStringList{kQuestionTitle, repair, repair, "最終", "最終"}
        << kAlpha + kBeta << kBeta;
    QTest::newRow("unfinished end, kept") << kAlpha + kBeta + kCut << false << QStringList{kQuestionTitle, repair}
                                          << kAlpha + kBeta + kCut << QByteArray();
    QTest::newRow("malformed record in the middle")
        << kAlpha + kBroken + kBeta << true << QStringList{kQuestionTitle, "記事検索"} << kAlpha + kBroken + kBeta
        << QByteArray();
}

void TestSearch::articleFileFaults()
{
    QFETCH(QByteArray, articles);
    QFETCH(bool, setAside);
    QFETCH(QStringList, titles);
    QFETCH(QByteArray, articlesAfter);
    QFETCH(QByteArray, hits);

    TempDataFolder data;
    data.write(DataFiles::ArticleFile, articles);
    data.write(DataFiles::ResultFile, kAlpha);
    const QString file = data.file(DataFiles::ArticleFile);
    const QString aside = file + QStringLiteral(".unfinished");
    DialogAnswerer answers;
    answers.yes().answer(setAside ? MessageBox::Answer::Yes : MessageBox::Answer::No).ok().ok().ok();
    const auto form = conditions(QStringLiteral("Form2"), QStringLiteral("Beta"));
    {
        std::function<void(QWidget *)> leave;
        if (!hits.isEmpty())
            leave = [](QWidget *browser) { click(browser, QStringLiteral("Command2")); };
        ModalWatch watch(leave);
        click(form.get(), QStringLiteral("Command2"));
    }
    QCOMPARE(answers.titles(), titles);
    QCOMPARE(data.read(DataFiles::ArticleFile), articlesAfter);
    QCOMPARE(data.read(DataFiles::ResultFile), hits);
    const QString told = answers.texts().at(1);
    if (titles.at(1) == u"記事検索") {
        QVERIFY2(told.contains(file) && told.contains(QStringLiteral("2件目")), qPrintable(told));
        QVERIFY(!QFile::exists(aside));
        return;
    }
    QCOMPARE(told,
             QStringLiteral("記事ファイル「%1」の最後の記事が書きかけのまま終わっています(登録の途中で電源が切れ"
                            "たときなどに起こります)。それより前の記事はすべてそろっています。\n書きかけの部分を"
                            "「%2」に移して、記事ファイルを使える状態に戻しますか。何も削除されません。")
                 .arg(file, aside));
    if (setAside) {
        QCOMPARE(answers.texts().at(2), QStringLiteral("書きかけの部分を「%1」に移しました。").arg(aside));
        QCOMPARE(readFile(aside), kCut);
    } else {
        QVERIFY(!QFile::exists(aside));
    }
}

void TestSearch::opening_data()
{
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("fault"); // "": none; "folder": none chosen; or the list file made malformed
    QTest::addColumn<QString>("opens"); // the class of the screen that opens, "" for none
    QTest::addColumn<QString>("told");  // all of the message, or (for a malformed file) a part

    const QString noFolder =
        QStringLiteral("記事データの保管場所がまだ指定されていないため、この画面を開けません。\n"
                       "ﾌｧｲﾙメニューの「記事ﾃﾞｰﾀの保管場所の指定」で記事データの保管場所を選ん"
                       "でください。");
    QTest::newRow("search") << ScreenId::Search << ""
                            << "pagelore::Form2"
                            << "";
    QTest::newRow("registration") << ScreenId::Register << ""
                                  << "pagelore::Form3"
                                  << "";
    QTest::newRow("deletion search") << ScreenId::DeleteSearch << ""
                                     << "pagelore::Form4"
                                     << "";
    QTest::newRow("magazine list") << ScreenId::MagazineList << ""
                                   << "pagelore::RZassi"
                                   << "";
    QTest::newRow("category list") << ScreenId::CategoryList << ""
                                   << "pagelore::RBunnya"
                                   << "";
    QTest::newRow("data folder") << ScreenId::DataFolder << ""
                                 << "pagelore::frmRegistFile"
                                 << "";
    QTest::newRow("image folder") << ScreenId::ImageFolder << ""
                                  << "pagelore::RGazou"
                                  << "";
    QTest::newRow("search, no folder") << ScreenId::Search << "folder"
                                       << "" << noFolder;
    QTest::newRow("registration, no folder") << ScreenId::Register << "folder"
                                             << "" << noFolder;
    QTest::newRow("deletion search, no folder") << ScreenId::DeleteSearch << "folder"
                                                << "" << noFolder;
    QTest::newRow("magazine list, no folder") << ScreenId::MagazineList << "folder"
                                              << "" << noFolder;
    QTest::newRow("category list, no folder") << ScreenId::CategoryList << "folder"
                                              << "" << noFolder;
    // The search works without its suggestions; the others need their list.
    QTest::newRow("search, malformed magazines") << ScreenId::Search << "Zassi.PLR"
                                                 << "pagelore::Form2"
                                                 << "2件目";
    QTest::newRow("registration, malformed categories") << ScreenId::Register << "Bunnya.PLR"
                                                        << ""
                                                        << "2件目";
    QTest::newRow("magazine list, malformed") << ScreenId::MagazineList << "Zassi.PLR"
                                              << ""
                                              << "2件目";
    QTest::newRow("category list, malformed") << ScreenId::CategoryList << "Bunnya.PLR"
                                              << ""
                                              << "2件目";
}

void TestSearch::opening()
{
    QFETCH(ScreenId, screen);
    QFETCH(QString, fault);
    QFETCH(QString, opens);
    QFETCH(QString, told);

    TempDataFolder data;
    const QByteArray malformed = "\"P\"\r\nQ\"\r\n";
    if (fault == u"folder")
        SaveDataFolder(QString());
    else if (!fault.isEmpty())
        data.write(fault, malformed);
    const QStringList workingBefore = QDir::current().entryList(QDir::Files);
    DialogAnswerer answers;
    answers.ok();
    QString opened;
    {
        std::function<void(QWidget *)> look;
        if (!opens.isEmpty()) {
            look = [&](QWidget *w) {
                opened = QString::fromLatin1(w->metaObject()->className());
                if (auto *combo = w->findChild<QComboBox *>(QStringLiteral("Combo1")))
                    QCOMPARE(combo->count(), 0); // no suggestion from a file that is not read
                click(w, QStringLiteral("Command1"));
            };
        }
        ModalWatch watch(look);
        openScreenModal(screen);
    }
    QCOMPARE(opened, opens);
    if (told.isEmpty()) {
        QCOMPARE(answers.shown().size(), 0);
    } else if (fault == u"folder") {
        QCOMPARE(answers.texts(), QStringList{told});
        QCOMPARE(answers.titles(), QStringList{QStringLiteral("ファイルエラー")});
    } else {
        QCOMPARE(answers.shown().size(), 1);
        QVERIFY2(answers.texts().at(0).contains(data.file(fault)) && answers.texts().at(0).contains(told),
                 qPrintable(answers.texts().at(0)));
        QCOMPARE(data.read(fault), malformed);
    }
    QCOMPARE(QDir::current().entryList(QDir::Files), workingBefore);
}

// Typing the start of a suggestion leaves exactly what was typed.
void TestSearch::typedPrefixIsNotCompleted_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("typed");
    QTest::newRow("search magazine") << "Form2"
                                     << "Combo1"
                                     << "AS";
    QTest::newRow("deletion search category") << "Form4"
                                              << "Combo2"
                                              << "AS";
    QTest::newRow("deletion search magazine, Japanese") << "Form4"
                                                        << "Combo1"
                                                        << "鉄路";
    QTest::newRow("registration magazine") << "Form3"
                                           << "Combo1"
                                           << "AS";
    QTest::newRow("registration category, Japanese") << "Form3"
                                                     << "Combo2"
                                                     << "鉄路";
}

void TestSearch::typedPrefixIsNotCompleted()
{
    QFETCH(QString, screen);
    QFETCH(QString, combo);
    QFETCH(QString, typed);

    TempDataFolder data;
    const QByteArray list = "\"ASCII Review\"\r\n\"\x93\x53\x98\x48\x82\xcc\x97\xb7\"\r\n"; // and 鉄路の旅
    data.write(DataFiles::MagazineList, list);
    data.write(DataFiles::CategoryList, list);
    const auto form = makeScreen(screen);
    QVERIFY(screen == u"Form3" ? static_cast<Form3 *>(form.get())->Form_Load()
                               : static_cast<SearchConditionsScreen *>(form.get())->Form_Load());
    form->show();
    auto *box = child<QComboBox>(form.get(), combo);
    QCOMPARE(box->count(), 2);
    box->setFocus();
    typeInto(form.get(), combo, typed);
    QCOMPARE(box->currentText(), typed);
    QCOMPARE(box->count(), 2);
}

PAGELORE_TEST_MAIN(TestSearch)
#include "tst_search.moc"
