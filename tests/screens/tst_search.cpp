// The condition screens, the readers of the article file, and the checks and lists of the screens the menu opens.

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
const QByteArray kBroken = QByteArray(kBeta).replace(",3,", ",x,");
const QByteArray kCut = "\"Gamma\",\"W\",\"M\",7,"; // a registration cut off by a power failure
const QByteArray kAll = kAlpha + kBeta + kWave, kBefore = kBeta + kAlpha;

} // namespace

Q_DECLARE_METATYPE(pagelore::ScreenId)

class TestSearch : public QObject {
    Q_OBJECT

private slots:
    // A search writes its hits and opens its browser, which leads back to the conditions or on to the menu.
    // Conditions are taken as typed; marks that input methods here spell with other code points find the code
    // page's own. A page or date that does not convert is named, with every other such field, in one message:
    // the search does not run and all typed stays. The search and the removal read the article file: half a
    // record at its end is offered to be set aside and the action runs on the whole records; any other fault
    // is reported, changes nothing and leaves no hit of half a pass.
    void search_data()
    {
        QTest::addColumn<QString>("screen"); // Form2 or Form4 searched, or Form6 removing its first result
        QTest::addColumn<QStringList>("typing");
        QTest::addColumn<QString>("leave");    // the browser to the conditions, the menu, by Escape; "" none opens
        QTest::addColumn<QByteArray>("hits");  // the result file, kBefore before
        QTest::addColumn<QStringList>("told"); // "title/text"; %F the article file, %A beside it
        QTest::addColumn<QByteArray>("articles");
        QTest::addColumn<QByteArray>("after"); // the article file, when changed
        QTest::addColumn<bool>("keep");        // the unfinished end, when asked
        const auto row = [](const char *tag, const char *screen, const QStringList &typing, const char *leave,
                            const QByteArray &hits, const QStringList &told, const QByteArray &articles = kAll,
                            const QByteArray &after = {}, bool keep = false) {
            const QString asked = qstrcmp(screen, "Form6") == 0
                                      ? u"記事削除確認/この記事を記事データベースから削除します。"_qs
                                      : u"検索意思確認/この条件で検索します。よろしいですか。"_qs;
            QTest::newRow(tag) << screen << typing << leave << hits << QStringList{asked} + told << articles
                               << (after.isEmpty() ? articles : after) << keep;
        };
        const QStringList one = {kEnd, kEnd}, none = {kEnd};
        row("Form5 revise the conditions", "Form2", {"Text1=Beta"}, "conditions", kBeta, one);
        row("Form5 back to the menu", "Form2", {"Text1=Beta"}, "menu", kBeta, one);
        row("Form5 Escape", "Form2", {"Text1=Beta"}, "Escape", kBeta, one);
        row("Form6 revise the conditions", "Form4", {"Text1=Beta"}, "conditions", kBeta, one);
        row("Form6 back to the menu", "Form4", {"Text1=Beta"}, "menu", kBeta, one);
        row("wave dash U+301C finds the stored mark", "Form2", {"Text1=1〜3月号"}, "conditions", kWave, one);
        row("prefix of a title", "Form2", {"Text1=Bet"}, "conditions", "", none);
        row("double quote", "Form2", {"Text1=a\"b"}, "conditions", "", none);
        row("not in the code page", "Form2", {"Text1=한글"}, "conditions", "", none);
        row("40,000 characters", "Form2", {"Text1=" + QString(40000, u'長')}, "conditions", "", none);
        const QString page = u"入力エラー/「検索ページ」には、-32768から32767までの整数を入力してください。"_qs;
        row("page", "Form2", {"Text1=Beta", "Text3=百"}, "", kBefore, {page});
        row("date that does not exist", "Form4", {"Text1=Beta", "Text4=2024/2/30"}, "", kBefore,
            {"入力エラー/「掲載年月日(必須)」の「2024/2/30」という日付または時刻はありません。実在する日付を入力"
             "してください。"});
        row("both, in one message", "Form2", {"Text1=Beta", "Text3=x", "Text4=不明"}, "", kBefore,
            {page + "\n「掲載年月日(必須)」には、日付を「1990/1/1」のように年/月/日の形で入力してください。"});

        const QByteArray unfinished = kAlpha + kBeta + kCut, malformed = kAlpha + kBroken + kBeta;
        const QString offer =
            u"記事ファイルの修復/"
            u"記事ファイル「%F」の最後の記事が書きかけのまま終わっています(登録の途中で電源が切れ"
            "たときなどに起こります)。それより前の記事はすべてそろっています。\n書きかけの部分を「%A」に移して、"
            "記事ファイルを使える状態に戻しますか。何も削除されません。"_qs;
        const QString setAside = u"記事ファイルの修復/書きかけの部分を「%A」に移しました。"_qs;
        row("search, unfinished end set aside", "Form2", {"Text1=Beta"}, "conditions", kBeta,
            {offer, setAside, kEnd, kEnd}, unfinished, kAlpha + kBeta);
        row("search, unfinished end kept", "Form2", {"Text1=Beta"}, "", "", {offer}, unfinished, {}, true);
        row("search, malformed record", "Form2", {"Text1=Beta"}, "", "", {"記事検索/ファイル「%F」の2件目の記録…"},
            malformed);
        row("removal, unfinished end set aside", "Form6", {}, "", kBefore,
            {offer, setAside, "削除完了/長らくお待たせしましたが、記事の削除が完了しました。"}, unfinished,
            kAlpha);
        row("removal, unfinished end kept", "Form6", {}, "", kBefore, {offer}, unfinished, {}, true);
        row("removal, malformed record", "Form6", {}, "", kBefore,
            {"削除未完了/ファイル「%F」の2件目の記録…\n記事ファイルは変更されていません。"}, malformed);
    }

    void search()
    {
        QFETCH(QString, screen);
        QFETCH(QStringList, typing);
        QFETCH(QString, leave);
        QFETCH(QByteArray, hits);
        QFETCH(QStringList, told);
        QFETCH(QByteArray, articles);
        QFETCH(QByteArray, after);
        QFETCH(bool, keep);
        TempDataFolder data;
        data.write(DataFiles::ArticleFile, articles);
        data.write(DataFiles::ResultFile, kBefore);
        const QString file = data.file(DataFiles::ArticleFile), aside = file + u".unfinished"_qs;
        DialogAnswerer answers;
        answers.yes().answer(keep ? MessageBox::Answer::No : MessageBox::Answer::Yes).ok().ok().ok();
        const auto form = openScreen(screen);
        for (const QString &t : typing)
            typeInto(form.get(), t.section(u'=', 0, 0), t.section(u'=', 1));
        QString browser;
        const bool form5 = screen == u"Form2";
        const auto leaveBrowser = [&](QWidget *b) {
            browser = QString::fromLatin1(b->metaObject()->className());
            if (leave == u"Escape")
                QTest::keyClick(b, Qt::Key_Escape);
            else // the buttons as the two browsers place them
                click(b, leave == u"menu" ? (form5 ? u"Command3"_qs : u"Command4"_qs)
                                          : (form5 ? u"Command2"_qs : u"Command3"_qs));
        };
        {
            const ModalGuard guard = leave.isEmpty() ? forbidModal() : whenModalOpens(leaveBrowser);
            click(form.get(), u"Command2"_qs);
        }
        QCOMPARE(data.read(DataFiles::ArticleFile), after);
        QCOMPARE(data.read(DataFiles::ResultFile), hits);
        QCOMPARE(readFile(aside), after.size() < articles.size() ? kCut : QByteArray("<missing>")); // set aside
        QCOMPARE(form->isVisible(), leave != u"menu");
        for (const QString &t : typing)
            QCOMPARE(child<QLineEdit>(form.get(), t.section(u'=', 0, 0))->text(), t.section(u'=', 1));
        if (!leave.isEmpty())
            QCOMPARE(browser, form5 ? u"pagelore::Form5"_qs : u"pagelore::Form6"_qs);
        QCOMPARE(answers.shown().value(0).buttons, (QStringList{u"はい(&Y)"_qs, u"いいえ(&N)"_qs}));
        QCOMPARE(outline(answers), told.replaceInStrings(u"%F"_qs, file).replaceInStrings(u"%A"_qs, aside));
    }

    // A screen opens modally and closes by its back button, asking and changing nothing; one that cannot open
    // says why. The drop-downs offer each name of their list in file order, none chosen, and the start of one
    // typed stays as typed (completion answers keys, which "AS" is typed with).
    void opening_data()
    {
        QTest::addColumn<ScreenId>("screen");
        QTest::addColumn<QString>("fault"); // "", "folder" (none chosen), or the list file made malformed
        QTest::addColumn<QString>("opens"); // the screen's class and its drop-downs, "" when it does not open
        QTest::addColumn<QString>("told");
        const auto row = [](const char *tag, ScreenId screen, const char *fault, const QString &opens,
                            const QString &told = {}) { QTest::newRow(tag) << screen << fault << opens << told; };
        const QString lists = u" |ASCII Review||ASCII Review|鉄路の旅 |CPU AS"_qs;
        const QString noFolder = u"ファイルエラー/記事データの保管場所がまだ指定されていないため、この画面を開け"
                                 "ません。\nﾌｧｲﾙメニューの「記事ﾃﾞｰﾀの保管場所の指定」で記事データの保管場所を選ん"
                                 "でください。"_qs;
        row("search", ScreenId::Search, "", "pagelore::Form2" + lists);
        row("registration", ScreenId::Register, "", "pagelore::Form3" + lists);
        row("magazine list", ScreenId::MagazineList, "", "pagelore::RZassi");
        row("image folder", ScreenId::ImageFolder, "", "pagelore::RGazou");
        row("deletion search, no folder", ScreenId::DeleteSearch, "folder", "", noFolder);
        row("registration, no folder", ScreenId::Register, "folder", "", noFolder);
        row("category list, no folder", ScreenId::CategoryList, "folder", "", noFolder);
        // The search works without its suggestions; the others need their list.
        row("search, malformed magazines", ScreenId::Search, "Zassi.PLR", "pagelore::Form2   AS",
            "記事検索/ファイル「%F」の2件目の記録…");
        row("registration, malformed categories", ScreenId::Register, "Bunnya.PLR", "",
            "ファイルエラー/ファイル「%F」の2件目の記録…");
        row("category list, malformed", ScreenId::CategoryList, "Bunnya.PLR", "",
            "ファイルエラー/ファイル「%F」の2件目の記録…");
    }

    void opening()
    {
        QFETCH(ScreenId, screen);
        QFETCH(QString, fault);
        QFETCH(QString, opens);
        QFETCH(QString, told);
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
        DialogAnswerer answers; // OK to every message
        QString opened;
        const auto look = [&](QWidget *w) {
            opened = QString::fromLatin1(w->metaObject()->className());
            for (QComboBox *combo :
                 {w->findChild<QComboBox *>(u"Combo1"_qs), w->findChild<QComboBox *>(u"Combo2"_qs)}) {
                for (int i = -1; combo && i < combo->count(); ++i)
                    opened += (i < 0 ? u' ' : u'|') + (i < 0 ? combo->currentText() : combo->itemText(i));
            }
            if (opened.contains(u' ')) // typed
                child<QWidget>(w, u"Combo1"_qs)->setFocus(), typeInto(w, u"Combo1"_qs, u"AS"_qs),
                    opened += u' ' + shown(w, u"Combo1"_qs);
            click(w, u"Command1"_qs);
        };
        {
            const ModalGuard guard = opens.isEmpty() ? forbidModal() : whenModalOpens(look);
            openScreenModal(screen);
        }
        QCOMPARE(opened, opens);
        QCOMPARE(state(), before);
        QCOMPARE(outline(answers).join(u'\n'), told.replace(u"%F"_qs, data.file(fault)));
    }
};

PAGELORE_TEST_MAIN(TestSearch)
#include "tst_search.moc"
