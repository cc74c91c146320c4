// The condition screens (one class for both), the readers of the article
// file, and the checks and lists of the screens the menu opens.

#include "ScreenTest.h"

#include "screens/Screens.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QDir>

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

// Form2 or Form4 open with the conditions typed ("Text3=100"), searched;
// `browse` gets the browser, if one must open.
std::unique_ptr<QDialog> runSearch(const QString &screen, const QStringList &typing,
                                   const ModalGuard::Action &browse)
{
    auto form = openScreen(screen);
    for (const QString &t : typing)
        typeInto(form.get(), t.section(u'=', 0, 0), t.section(u'=', 1));
    const ModalGuard guard = browse ? whenModalOpens(browse) : forbidModal();
    click(form.get(), QStringLiteral("Command2"));
    return form;
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
        QTest::addColumn<QStringList>("typing");
        QTest::addColumn<QString>("leave"); // the browser by a button, or Escape; "" when none opens
        QTest::addColumn<bool>("stays");    // the conditions screen, after the browser
        QTest::addColumn<QByteArray>("hits");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *tag, const char *screen, const QStringList &typing, const char *leave,
                            bool stays, const QByteArray &hits, const QString &message = {}) {
            QTest::newRow(tag) << screen << typing << leave << stays << hits << message;
        };
        row("Form5 revise the conditions", "Form2", {"Text1=Beta"}, "Command2", true, kBeta);
        row("Form5 back to the menu", "Form2", {"Text1=Beta"}, "Command3", false, kBeta);
        row("Form5 Escape", "Form2", {"Text1=Beta"}, "Escape", true, kBeta);
        row("Form6 revise the conditions", "Form4", {"Text1=Beta"}, "Command3", true, kBeta);
        row("Form6 back to the menu", "Form4", {"Text1=Beta"}, "Command4", false, kBeta);
        row("wave dash U+301C finds the stored mark", "Form2", {"Text1=1〜3月号"}, "Command2", true, kWave);
        row("prefix of a title", "Form2", {"Text1=Bet"}, "Command2", true, "");
        row("double quote", "Form2", {"Text1=a\"b"}, "Command2", true, "");
        row("not in the code page", "Form2", {"Text1=한글"}, "Command2", true, "");
        row("40,000 characters", "Form2", {"Text1=" + QString(40000, u'長')}, "Command2", true, "");
        const QString page = QStringLiteral("「検索ページ」には、-32768から32767までの整数を入力してください。");
        row("page", "Form2", {"Text1=Beta", "Text3=百"}, "", true, kAlpha, page);
        row("date that does not exist", "Form4", {"Text1=Beta", "Text4=2024/2/30"}, "", true, kAlpha,
            "「掲載年月日(必須)」の「2024/2/"
            "30」という日付または時刻はありません。実在する日付を入力してください。");
        row("both, in one message", "Form2", {"Text1=Beta", "Text3=x", "Text4=不明"}, "", true, kAlpha,
            page + "\n「掲載年月日(必須)」には、日付を「1990/1/1」のように年/月/日の形で入力してください。");
    }

    void search()
    {
        QFETCH(QString, screen);
        QFETCH(QStringList, typing);
        QFETCH(QString, leave);
        QFETCH(bool, stays);
        QFETCH(QByteArray, hits);
        QFETCH(QString, message);
        TempDataFolder data;
        data.write(DataFiles::ArticleFile, kAlpha + kBeta + kWave);
        data.write(DataFiles::ResultFile, kAlpha);
        DialogAnswerer answers;
        answers.yes().ok().ok(); // the end message before and after a single hit, once over none
        QString browser;
        const auto form = runSearch(
            screen, typing, leave.isEmpty() ? ModalGuard::Action() : [&](QWidget *b) {
                browser = QString::fromLatin1(b->metaObject()->className());
                if (leave == u"Escape")
                    QTest::keyClick(b, Qt::Key_Escape);
                else
                    click(b, leave);
            });
        QCOMPARE(data.read(DataFiles::ResultFile), hits);
        QCOMPARE(data.read(DataFiles::ArticleFile), kAlpha + kBeta + kWave);
        QCOMPARE(answers.texts().at(0), QStringLiteral("この条件で検索します。よろしいですか。"));
        QCOMPARE(answers.titles().at(0), kQuestionTitle);
        QCOMPARE(answers.shown().at(0).buttons,
                 (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
        QCOMPARE(form->isVisible(), stays);
        for (const QString &t : typing)
            QCOMPARE(child<QLineEdit>(form.get(), t.section(u'=', 0, 0))->text(), t.section(u'=', 1));
        if (leave.isEmpty()) {
            QCOMPARE(answers.texts().mid(1), QStringList{message});
            QCOMPARE(answers.titles().at(1), QStringLiteral("入力エラー"));
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
        const auto row = [](const char *tag, bool removal, const QByteArray &articles, bool yes,
                            const QStringList &titles, const QByteArray &after, const QByteArray &results) {
            QTest::newRow(tag) << removal << articles << yes << titles << after << results;
        };
        row("search, unfinished end set aside", false, unfinished, true,
            {kQuestionTitle, repair, repair, "最終", "最終"}, kAlpha + kBeta, kBeta);
        row("search, unfinished end kept", false, unfinished, false, {kQuestionTitle, repair}, unfinished, "");
        row("search, malformed record", false, malformed, true, {kQuestionTitle, "記事検索"}, malformed, "");
        row("removal, unfinished end set aside", true, unfinished, true, {remove, repair, repair, "削除完了"},
            kAlpha, kBeta + kAlpha);
        row("removal, unfinished end kept", true, unfinished, false, {remove, repair}, unfinished, kBeta + kAlpha);
        row("removal, malformed record", true, malformed, true, {remove, "削除未完了"}, malformed, kBeta + kAlpha);
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
        if (removal)
            click(openScreen(QStringLiteral("Form6")).get(), QStringLiteral("Command2"));
        else if (results.isEmpty())
            runSearch(QStringLiteral("Form2"), {"Text1=Beta"}, {});
        else
            runSearch(QStringLiteral("Form2"), {"Text1=Beta"},
                      [](QWidget *b) { click(b, QStringLiteral("Command2")); });
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
        row("magazine list", ScreenId::MagazineList, "", "pagelore::RZassi");
        row("image folder", ScreenId::ImageFolder, "", "pagelore::RGazou");
        row("deletion search, no folder", ScreenId::DeleteSearch, "folder", "");
        row("registration, no folder", ScreenId::Register, "folder", "");
        row("category list, no folder", ScreenId::CategoryList, "folder", "");
        // The search works without its suggestions; the others need their list.
        row("search, malformed magazines", ScreenId::Search, "Zassi.PLR", "pagelore::Form2");
        row("registration, malformed categories", ScreenId::Register, "Bunnya.PLR", "");
        row("category list, malformed", ScreenId::CategoryList, "Bunnya.PLR", "");
    }

    // A screen opens modally and closes by its back button, asking and
    // changing nothing; one that cannot open says why. The drop-downs offer
    // each name of their list in file order, and the start of one typed stays
    // as typed (completion answers keys, which "AS" is typed with).
    void opening()
    {
        QFETCH(ScreenId, screen);
        QFETCH(QString, fault);
        QFETCH(QString, opens);
        TempDataFolder data;
        // ASCII Review twice, an empty name, 鉄路の旅
        data.write(DataFiles::MagazineList,
                   "\"ASCII Review\"\r\n\"\"\r\n\"ASCII Review\"\r\n\"\x93\x53\x98\x48\x82\xcc\x97\xb7\"\r\n");
        data.write(DataFiles::CategoryList, "\"CPU\"\r\n");
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
        const auto items = [](QComboBox *box) {
            QStringList names{box->currentText()};
            for (int i = 0; i < box->count(); ++i)
                names << box->itemText(i);
            return names;
        };
        QString opened;
        const auto look = [&](QWidget *w) {
            opened = QString::fromLatin1(w->metaObject()->className());
            if (auto *combo = w->findChild<QComboBox *>(QStringLiteral("Combo1"))) {
                const QStringList magazines = {"", "ASCII Review", "", "ASCII Review", QStringLiteral("鉄路の旅")};
                QCOMPARE(items(combo), fault.isEmpty() ? magazines : QStringList{""});
                if (fault.isEmpty())
                    QCOMPARE(items(child<QComboBox>(w, QStringLiteral("Combo2"))), (QStringList{"", "CPU"}));
                combo->setFocus();
                typeInto(w, QStringLiteral("Combo1"), QStringLiteral("AS"));
                QCOMPARE(combo->currentText(), QStringLiteral("AS"));
            }
            click(w, QStringLiteral("Command1"));
        };
        {
            const ModalGuard guard = opens.isEmpty() ? forbidModal() : whenModalOpens(look);
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
};

PAGELORE_TEST_MAIN(TestSearch)
#include "tst_search.moc"
