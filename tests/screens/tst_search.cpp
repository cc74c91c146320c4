// The condition screens (one class for both), the readers of the article
// file, the checks every screen makes when it opens, and the drop-downs.

#include "ScreenTest.h"

#include "screens/Screens.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QDir>

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

const QString kQuestionTitle = QStringLiteral("検索意思確認");

// Form2 or Form4 open, with the title condition typed.
std::unique_ptr<SearchConditionsScreen> openConditions(const QString &title,
                                                       const QString &name = QStringLiteral("Form2"))
{
    auto screen = openScreen<SearchConditionsScreen>(name);
    typeInto(screen.get(), QStringLiteral("Text1"), title);
    return screen;
}

// Runs the search; `browse` gets the browser, if one must open.
void runSearch(QWidget *screen, std::function<void(QWidget *)> browse)
{
    ModalWatch watch(std::move(browse));
    click(screen, QStringLiteral("Command2"));
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
    // A search writes its hits and opens its browser, which leads back to the
    // conditions or on to the menu. Conditions are taken as typed; marks that
    // input methods here spell with other code points find the code page's own.
    // A page or date that does not convert is named, with every other such
    // field, in one message: the search does not run and all typed stays.
    void search_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("leave"); // the browser by a button, or Escape
        QTest::addColumn<bool>("stays");    // the conditions screen, after the browser
        QTest::addColumn<QByteArray>("hits");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *tag, const char *screen, const QString &title, const char *page,
                            const char *date, const char *leave, bool stays, const QByteArray &hits,
                            const QString &message = {}) {
            QTest::newRow(tag) << screen << title << page << date << leave << stays << hits << message;
        };
        row("Form5 revise the conditions", "Form2", "Beta", "100", "1990/1/1", "Command2", true, kBeta);
        row("Form5 back to the menu", "Form2", "Beta", "100", "1990/1/1", "Command3", false, kBeta);
        row("Form5 Escape", "Form2", "Beta", "100", "1990/1/1", "Escape", true, kBeta);
        row("Form6 revise the conditions", "Form4", "Beta", "100", "1990/1/1", "Command3", true, kBeta);
        row("Form6 back to the menu", "Form4", "Beta", "100", "1990/1/1", "Command4", false, kBeta);
        row("wave dash U+301C finds the stored mark", "Form2", "1〜3月号", "100", "1990/1/1", "Command2", true,
            kWave);
        row("prefix of a title", "Form2", "Bet", "100", "1990/1/1", "Command2", true, "");
        row("double quote", "Form2", "a\"b", "100", "1990/1/1", "Command2", true, "");
        row("not in the code page", "Form2", "한글", "100", "1990/1/1", "Command2", true, "");
        row("very long text", "Form2", QString(30000, u'長'), "100", "1990/1/1", "Command2", true, "");
        const QString page = QStringLiteral("「検索ページ」には、-32768から32767までの整数を入力してください。");
        row("page", "Form2", "Beta", "百", "1990/1/1", "", true, kAlpha, page);
        row("date that does not exist", "Form4", "Beta", "100", "2024/2/30", "", true, kAlpha,
            "「掲載年月日(必須)」の「2024/2/"
            "30」という日付または時刻はありません。実在する日付を入力してください。");
        row("both, in one message", "Form2", "Beta", "x", "不明", "", true, kAlpha,
            page + "\n「掲載年月日(必須)」には、日付を「1990/1/1」のように年/月/日の形で入力してください。");
    }

    void search()
    {
        QFETCH(QString, screen);
        QFETCH(QString, title);
        QFETCH(QString, page);
        QFETCH(QString, date);
        QFETCH(QString, leave);
        QFETCH(bool, stays);
        QFETCH(QByteArray, hits);
        QFETCH(QString, message);

        TempDataFolder data;
        data.write(DataFiles::ArticleFile, kAlpha + kBeta + kWave);
        data.write(DataFiles::ResultFile, kAlpha);
        DialogAnswerer answers;
        answers.yes().ok().ok(); // the end message before and after a single hit, once over none
        const auto form = openConditions(title, screen);
        typeInto(form.get(), QStringLiteral("Text3"), page);
        typeInto(form.get(), QStringLiteral("Text4"), date);
        QString browser;
        std::function<void(QWidget *)> browse;
        if (!leave.isEmpty()) {
            browse = [&](QWidget *b) {
                browser = QString::fromLatin1(b->metaObject()->className());
                if (leave == u"Escape")
                    QTest::keyClick(b, Qt::Key_Escape);
                else
                    click(b, leave);
            };
        }
        runSearch(form.get(), browse);
        QCOMPARE(data.read(DataFiles::ResultFile), hits);
        QCOMPARE(data.read(DataFiles::ArticleFile), kAlpha + kBeta + kWave);
        QCOMPARE(answers.texts().at(0), QStringLiteral("この条件で検索します。よろしいですか。"));
        QCOMPARE(answers.titles().at(0), kQuestionTitle);
        QCOMPARE(answers.shown().at(0).buttons,
                 (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
        QCOMPARE(form->isVisible(), stays);
        QCOMPARE(lineText(form.get(), "Text1"), title);
        if (leave.isEmpty()) {
            QCOMPARE(answers.texts().mid(1), QStringList{message});
            QCOMPARE(answers.titles().at(1), QStringLiteral("入力エラー"));
            QCOMPARE(lineText(form.get(), "Text3"), page);
            QCOMPARE(lineText(form.get(), "Text4"), date);
        } else {
            QCOMPARE(browser,
                     screen == u"Form2" ? QStringLiteral("pagelore::Form5") : QStringLiteral("pagelore::Form6"));
            QCOMPARE(answers.shown().size(), hits.isEmpty() ? 2 : 3);
        }
    }

    // The search and the removal read the article file. Half a record at its end
    // is offered to be set aside and the action runs on the whole records; any
    // other fault is reported, changes nothing and leaves no hit of half a pass.
    void articleFileFaults_data()
    {
        QTest::addColumn<bool>("removal");
        QTest::addColumn<QByteArray>("articles");
        QTest::addColumn<bool>("yes"); // to setting the unfinished end aside
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QByteArray>("articlesAfter");
        QTest::addColumn<QByteArray>("results");
        const QString repair = QStringLiteral("記事ファイルの修復"), remove = QStringLiteral("記事削除確認");
        const QByteArray unfinished = kAlpha + kBeta + kCut, malformed = kAlpha + kBroken + kBeta;
        QTest::newRow("search, unfinished end set aside")
            << false << unfinished << true << QStringList{kQuestionTitle, repair, repair, "最終", "最終"}
            << kAlpha + kBeta << kBeta;
        QTest::newRow("search, unfinished end kept")
            << false << unfinished << false << QStringList{kQuestionTitle, repair} << unfinished << QByteArray();
        QTest::newRow("search, malformed record")
            << false << malformed << true << QStringList{kQuestionTitle, "記事検索"} << malformed << QByteArray();
        QTest::newRow("removal, unfinished end set aside")
            << true << unfinished << true << QStringList{remove, repair, repair, "削除完了"} << kAlpha
            << kBeta + kAlpha;
        QTest::newRow("removal, unfinished end kept")
            << true << unfinished << false << QStringList{remove, repair} << unfinished << kBeta + kAlpha;
        QTest::newRow("removal, malformed record")
            << true << malformed << true << QStringList{remove, "削除未完了"} << malformed << kBeta + kAlpha;
    }

    void articleFileFaults()
    {
        QFETCH(bool, removal);
        QFETCH(QByteArray, articles);
        QFETCH(bool, yes);
        QFETCH(QStringList, titles);
        QFETCH(QByteArray, articlesAfter);
        QFETCH(QByteArray, results);

        TempDataFolder data;
        data.write(DataFiles::ArticleFile, articles);
        data.write(DataFiles::ResultFile, removal ? kBeta + kAlpha : kAlpha);
        const QString file = data.file(DataFiles::ArticleFile), aside = file + QStringLiteral(".unfinished");
        DialogAnswerer answers;
        answers.yes().answer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No).ok().ok().ok();
        if (removal) {
            const auto browser = openScreen(QStringLiteral("Form6"));
            click(browser.get(), QStringLiteral("Command2"));
        } else {
            const auto form = openConditions(QStringLiteral("Beta"));
            std::function<void(QWidget *)> browse;
            if (!results.isEmpty())
                browse = [](QWidget *browser) { click(browser, QStringLiteral("Command2")); };
            runSearch(form.get(), browse);
        }
        QCOMPARE(answers.titles(), titles);
        QCOMPARE(data.read(DataFiles::ArticleFile), articlesAfter);
        QCOMPARE(data.read(DataFiles::ResultFile), results);
        QCOMPARE(readFile(aside), titles.size() > 2 ? kCut : QByteArray("<missing>"));
        const QString told = answers.texts().at(1);
        if (titles.at(1) != u"記事ファイルの修復") {
            QVERIFY2(told.contains(file) && told.contains(QStringLiteral("2件目")), qPrintable(told));
            QVERIFY(!removal || told.endsWith(QStringLiteral("\n記事ファイルは変更されていません。")));
            return;
        }
        QCOMPARE(told, QStringLiteral(
                           "記事ファイル「%1」の最後の記事が書きかけのまま終わっています(登録の途中で電源が切れ"
                           "たときなどに起こります)。それより前の記事はすべてそろっています。\n書きかけの部分を"
                           "「%2」に移して、記事ファイルを使える状態に戻しますか。何も削除されません。")
                           .arg(file, aside));
        if (yes)
            QCOMPARE(answers.texts().at(2), QStringLiteral("書きかけの部分を「%1」に移しました。").arg(aside));
    }

    void opening_data()
    {
        QTest::addColumn<ScreenId>("screen");
        QTest::addColumn<QString>("fault"); // "", "folder" (none chosen), or the list file made malformed
        QTest::addColumn<QString>("opens"); // the screen's class, "" when it does not open
        const auto row = [](const char *tag, ScreenId screen, const char *fault, const char *opens) {
            QTest::newRow(tag) << screen << fault << opens;
        };
        row("search", ScreenId::Search, "", "pagelore::Form2");
        row("registration", ScreenId::Register, "", "pagelore::Form3");
        row("deletion search", ScreenId::DeleteSearch, "", "pagelore::Form4");
        row("magazine list", ScreenId::MagazineList, "", "pagelore::RZassi");
        row("category list", ScreenId::CategoryList, "", "pagelore::RBunnya");
        row("data folder", ScreenId::DataFolder, "", "pagelore::frmRegistFile");
        row("image folder", ScreenId::ImageFolder, "", "pagelore::RGazou");
        row("search, no folder", ScreenId::Search, "folder", "");
        row("registration, no folder", ScreenId::Register, "folder", "");
        row("deletion search, no folder", ScreenId::DeleteSearch, "folder", "");
        row("magazine list, no folder", ScreenId::MagazineList, "folder", "");
        row("category list, no folder", ScreenId::CategoryList, "folder", "");
        // The search works without its suggestions; the others need their list.
        row("search, malformed magazines", ScreenId::Search, "Zassi.PLR", "pagelore::Form2");
        row("registration, malformed categories", ScreenId::Register, "Bunnya.PLR", "");
        row("category list, malformed", ScreenId::CategoryList, "Bunnya.PLR", "");
    }

    // A screen that opens, modally, closes at once by its back button, asking
    // and changing nothing; one that cannot open says why.
    void opening()
    {
        QFETCH(ScreenId, screen);
        QFETCH(QString, fault);
        QFETCH(QString, opens);

        TempDataFolder data;
        if (fault == u"folder")
            SaveDataFolder(QString());
        else if (!fault.isEmpty())
            data.write(fault, "\"P\"\r\nQ\"\r\n");
        const auto state = [&] {
            QStringList files = QDir::current().entryList(QDir::Files);
            for (const QString &name : DataFiles::all())
                files << QString::fromLatin1(data.read(name));
            return files << QString::fromUtf8(readFile(SettingsStore::filePath(kApplicationName)));
        };
        const QStringList before = state();
        DialogAnswerer answers;
        answers.ok();
        QString opened;
        std::function<void(QWidget *)> look;
        if (!opens.isEmpty()) {
            look = [&](QWidget *w) {
                opened = QString::fromLatin1(w->metaObject()->className());
                if (auto *combo = w->findChild<QComboBox *>(QStringLiteral("Combo1")))
                    QCOMPARE(combo->count(), 0); // no suggestion from a file that could not be read
                click(w, QStringLiteral("Command1"));
            };
        }
        {
            ModalWatch watch(look);
            openScreenModal(screen);
        }
        QCOMPARE(opened, opens);
        QCOMPARE(state(), before);
        if (fault.isEmpty()) {
            QCOMPARE(answers.shown().size(), 0);
        } else if (fault == u"folder") {
            QCOMPARE(answers.texts(),
                     QStringList{QStringLiteral("記事データの保管場所がまだ指定されていないため、この画面を"
                                                "開けません。\nﾌｧｲﾙメニューの「記事ﾃﾞｰﾀの保管場所の指定」で"
                                                "記事データの保管場所を選んでください。")});
            QCOMPARE(answers.titles(), QStringList{QStringLiteral("ファイルエラー")});
        } else {
            QCOMPARE(answers.shown().size(), 1);
            const QString told = answers.texts().at(0);
            QVERIFY2(told.contains(data.file(fault)) && told.contains(QStringLiteral("2件目")), qPrintable(told));
        }
    }

    // The lists offer every name of their file in file order, and typing the
    // start of one leaves exactly what was typed.
    void dropDowns_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("combo");
        QTest::addColumn<QString>("typed");
        QTest::newRow("search magazine") << "Form2"
                                         << "Combo1"
                                         << "AS";
        QTest::newRow("deletion search category, Japanese") << "Form4"
                                                            << "Combo2"
                                                            << "鉄路";
        QTest::newRow("registration magazine") << "Form3"
                                               << "Combo1"
                                               << "AS";
        QTest::newRow("registration category") << "Form3"
                                               << "Combo2"
                                               << "AS";
    }

    void dropDowns()
    {
        QFETCH(QString, screen);
        QFETCH(QString, combo);
        QFETCH(QString, typed);

        TempDataFolder data;
        // ASCII Review twice, an empty name, 鉄路の旅
        const QByteArray list =
            "\"ASCII Review\"\r\n\"\"\r\n\"ASCII Review\"\r\n\"\x93\x53\x98\x48\x82\xcc\x97\xb7\"\r\n";
        data.write(combo == u"Combo1" ? DataFiles::MagazineList : DataFiles::CategoryList, list);
        const auto form = openScreen(screen);
        QApplication::setActiveWindow(form.get());
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        auto *box = child<QComboBox>(form.get(), combo);
        const auto items = [box] {
            QStringList names{box->currentText()};
            for (int i = 0; i < box->count(); ++i)
                names << box->itemText(i);
            return names;
        };
        const QStringList offered = {"", "ASCII Review", "", "ASCII Review", QStringLiteral("鉄路の旅")};
        QCOMPARE(items(), offered);
        box->setFocus(); // a completer works in the box that has the focus
        typeInto(form.get(), combo, typed);
        QCOMPARE(items(), QStringList{typed} + offered.mid(1));
        const auto other =
            child<QComboBox>(form.get(), combo == u"Combo1" ? QStringLiteral("Combo2") : QStringLiteral("Combo1"));
        QCOMPARE(other->count(), 0);
    }
};

PAGELORE_TEST_MAIN(TestSearch)
#include "tst_search.moc"
