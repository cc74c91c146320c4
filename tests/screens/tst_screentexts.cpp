// What every screen shows before anything is typed, and how its keys move
// the user through it.

#include "ScreenTest.h"

#include "screens/CandidateEditor.h"
#include "screens/FolderScreen.h"
#include "screens/Form2.h"
#include "screens/Form3.h"
#include "screens/Form4.h"
#include "screens/Form5.h"
#include "screens/Form6.h"
#include "screens/Form7.h"

#include <QLabel>

#include <memory>

using namespace pagelore;
using namespace pagelore::test;

namespace {

std::unique_ptr<QDialog> makeScreen(const QString &name)
{
    if (name == u"Form2")
        return std::make_unique<Form2>();
    if (name == u"Form3")
        return std::make_unique<Form3>();
    if (name == u"Form4")
        return std::make_unique<Form4>();
    if (name == u"Form5")
        return std::make_unique<Form5>();
    if (name == u"Form6")
        return std::make_unique<Form6>();
    if (name == u"Form7")
        return std::make_unique<Form7>(PageImageSelection{});
    if (name == u"RZassi")
        return std::make_unique<RZassi>();
    if (name == u"RBunnya")
        return std::make_unique<RBunnya>();
    if (name == u"frmRegistFile")
        return std::make_unique<frmRegistFile>();
    return std::make_unique<RGazou>();
}

// "" is the window title; "@Text1" the caption of the label that names Text1.
QString shownText(QWidget *screen, const QString &what)
{
    if (what.isEmpty())
        return screen->windowTitle();
    if (what.startsWith(u'@')) {
        QWidget *field = child<QWidget>(screen, what.mid(1));
        for (QLabel *label : screen->findChildren<QLabel *>()) {
            if (label->buddy() == field)
                return label->text();
        }
        return QStringLiteral("<no caption>");
    }
    QWidget *w = child<QWidget>(screen, what);
    if (auto *label = qobject_cast<QLabel *>(w))
        return label->text();
    if (auto *button = qobject_cast<QPushButton *>(w))
        return button->text();
    if (auto *line = qobject_cast<QLineEdit *>(w))
        return line->text();
    QStringList items;
    auto *combo = qobject_cast<QComboBox *>(w);
    for (int i = 0; combo && i < combo->count(); ++i)
        items << combo->itemText(i);
    return items.join(u'|');
}

const char *const kBack = "<<前の画面に戻る";
const char *const kForms = "特集|連載|広告|特別寄稿|レビュー|ロードテスト|附録";

} // namespace

class TestScreenTexts : public QObject {
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
    void keys_data();
    void keys();
};

void TestScreenTexts::texts_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("text");
    const auto rows = [](const char *screen, std::initializer_list<std::pair<const char *, const char *>> list) {
        for (const auto &[what, text] : list)
            QTest::addRow("%s %s", screen, what) << screen << what << text;
    };
    rows("Form2", {{"", "記事検索"},
                   {"Label1", "記事名"},
                   {"Label2", "記者名"},
                   {"Label3", "掲載雑誌名"},
                   {"Label4", "検索ページ"},
                   {"Label5", "分野"},
                   {"Label6", "掲載形態"},
                   {"Label7", "掲載年月日(必須)"},
                   {"Label8", "掲載年月日は、日付を何かしら入力しないとエラーになりますので、不明な場合は、"
                              "「1900/1/1」と記入してください。"},
                   {"Label9", "第一キーワード"},
                   {"Label10", "第二キーワード"},
                   {"Command1", kBack},
                   {"Command2", "検索する"},
                   {"Text3", "100"},
                   {"Text4", "1990/1/1"},
                   {"Combo3", kForms}});
    rows("Form4", {{"", "削除記事候補検索"},
                   {"Command1", kBack},
                   {"Command2", "削除候補を検索する"},
                   {"Label8", "掲載年月日は、日付を何かしら入力しないとエラーになりますので、不明な場合は、"
                              "「1990/1/1」と記入してください。"}});
    rows("Form3",
         {{"", "記事登録"},
          {"@Text1", "記事名"},
          {"@Text2", "記者名"},
          {"@Combo1", "掲載雑誌名"},
          {"@Text3", "掲載先頭ページ"},
          {"@Text4", "掲載末尾ページ"},
          {"@Combo2", "分野"},
          {"@Combo3", "掲載形態"},
          {"@Text5", "掲載年月日(必須)"},
          {"@Text6", "内容"},
          {"@Text7", "第一キーワード"},
          {"@Text8", "第二キーワード"},
          {"@Text9", "第三キーワード"},
          {"@Text11", "初期ﾌｧｲﾙ番号"},
          {"@Text12", "最終ﾌｧｲﾙ番号"},
          {"Label8", "掲載年月日は、日付を何かしら入力しないとエラーになりますので、不明な場合は、"
                     "「1900/1/1」と記入してください。"},
          {"Label14", "記事紙面ﾌｧｲﾙ基本ﾌｧｲﾙ名(例:PC0.jpg～PC255.jpgの場合PC)あらかじめ登録しているﾌｫﾙﾀﾞにある"
                      "ﾌｧｲﾙを指定して下さい。重複して入力しないようご注意ください。(画像はかなり粗くなるので狭い"
                      "範囲ごとに高画質で保存して下さい。)"},
          {"Label17", "記事の画像ﾌｧｲﾙは、基本ﾌｧｲﾙ名+ﾍﾟｰｼﾞ順につけられたﾌｧｲﾙ番号+拡張子(,jpg)で管理されて"
                      "います。また、記事紙面画像ﾌｧｲﾙは、予め登録されているﾌｫﾙﾀﾞ内に格納されていなければなりま"
                      "せん。また、初期ﾌｧｲﾙ番号は、0以上、最終ﾌｧｲﾙ番号は、255以下となるようにしてください。"
                      "また、拡張子がjpgのファイルだけを指定することができます。"},
          {"Label19", ".jpg"},
          {"Command1", kBack},
          {"Command2", "登録する"},
          {"Text5", "1990/1/1"},
          {"Text11", "0"},
          {"Text12", "255"},
          {"Combo3", kForms}});
    rows("Form5", {{"", "記事検索結果"},
                   {"Label1", "記事名"},
                   {"Label2", "記者名"},
                   {"Label3", "掲載雑誌名"},
                   {"Label4", "掲載先頭ページ"},
                   {"Label5", "掲載末尾ページ"},
                   {"Label6", "分野"},
                   {"Label7", "掲載形態"},
                   {"Label8", "掲載年月日"},
                   {"Label9", "内容"},
                   {"Label10", "第一キーワード"},
                   {"Label11", "第二キーワード"},
                   {"Label12", "第三キーワード"},
                   {"Label13", "記事画像ﾌｧｲﾙ名"},
                   {"Label14", "開始番号"},
                   {"Label15", "末尾番号"},
                   {"Command4", "この記事の画像ﾃﾞｰﾀを見る(非常に時間が掛かります)"},
                   {"Command1", "次の候補>>"},
                   {"Command2", "<<検索条件を改める"},
                   {"Command3", "機能選択の画面に戻る"}});
    rows("Form6", {{"", "削除記事候補検索結果"},
                   {"Label12", "第三キーワード"},
                   {"Command1", "次の候補>>"},
                   {"Command2", "この記事を削除(画像データ自体は消去されません)"},
                   {"Command3", "<<検索条件を改める"},
                   {"Command4", "機能選択の画面に戻る"}});
    rows("Form7", {{"", "画像ﾃﾞｰﾀ"},
                   {"Label1", "縦横比がおかしい場合もあります。"},
                   {"Command1", "次のﾍﾟｰｼﾞ"},
                   {"Command2", "前のﾍﾟｰｼﾞ"},
                   {"Command3", "このウインドウを消す"}});
    rows("RZassi",
         {{"", "よく読む雑誌の登録"},
          {"Label1", "あなたがよく読む雑誌を下の枠内に書いて「以上を登録する」ﾎﾞﾀﾝを押してください。以後、"
                     "各項目の掲載雑誌名の候補の中に追加されます。ただし、登録せずに都度都度手入力することも"
                     "可能です。また、一度登録すると削除できませんのでご注意ください。"},
          {"Label2", "登録する雑誌名入力欄"},
          {"Label3", "現在登録されている雑誌名"},
          {"Command1", kBack},
          {"Command2", "以上を登録する"}});
    rows("RBunnya",
         {{"", "よく読む分野の登録"},
          {"Label1", "あなたがよく読む分野(例:ﾊｰﾄﾞｳｪｱ･ｿﾌﾄｳｪｱ･CPU･ﾌﾟﾘﾝﾀ等)を下の枠内に書いて「以上を登録"
                     "する」ﾎﾞﾀﾝを押して下さい。以後、各項目の分野の候補の中に追加されます。ただし、登録"
                     "せずに都度都度手入力することも可能です。また、一度登録すると削除できませんのでご注意"
                     "下さい。"},
          {"Label2", "登録する分野名入力欄"},
          {"Label3", "現在登録されている分野名"},
          {"Command1", kBack},
          {"Command2", "以上を登録する"}});
    rows("frmRegistFile",
         {{"", "記事ファイル保管フォルダ指定"},
          {"Label1", "記事の登録内容を記録したファイルをどこのフォルダに保管するか決定して選択したください。"},
          {"Command1", kBack},
          {"Command2", "このフォルダに決定"}});
    rows("RGazou", {{"", "記事紙面画像ﾌｧｲﾙの場所指定"},
                    {"Label1", "記事紙面の画像ﾌｧｲﾙが保管されているﾌｫﾙﾀﾞの位置を指定してください。記事紙面の画像"
                               "ﾌｧｲﾙは、ここで指定したﾌｫﾙﾀﾞになければ、当ｿﾌﾄからは認識できません。"},
                    {"Command1", kBack},
                    {"Command2", "このﾌｫﾙﾀﾞに決定"}});
}

void TestScreenTexts::texts()
{
    QFETCH(QString, screen);
    QFETCH(QString, what);
    QFETCH(QString, text);
    const auto dialog = makeScreen(screen);
    QCOMPARE(shownText(dialog.get(), what), text);
}

void TestScreenTexts::keys_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("reaches"); // "" for Return: nothing is pressed
    QTest::addColumn<int>("japanese");    // input method in `from`: 1 on, 0 off, -1 left to the toolkit

    const int tab = Qt::Key_Tab, ret = Qt::Key_Return;
    QTest::newRow("Form2 writer to magazine") << "Form2"
                                              << "Text2" << tab << "Combo1" << 1;
    QTest::newRow("Form2 page to category") << "Form2"
                                            << "Text3" << tab << "Combo2" << 0;
    QTest::newRow("Form2 form to date") << "Form2"
                                        << "Combo3" << tab << "Text4" << 1;
    QTest::newRow("Form2 date to keyword") << "Form2"
                                           << "Text4" << tab << "Text5" << 0;
    QTest::newRow("Form2 keyword to back") << "Form2"
                                           << "Text6" << tab << "Command1" << 1;
    QTest::newRow("Form2 Return in title") << "Form2"
                                           << "Text1" << ret << "" << 1;
    QTest::newRow("Form3 writer to magazine") << "Form3"
                                              << "Text2" << tab << "Combo1" << 1;
    QTest::newRow("Form3 last page to category") << "Form3"
                                                 << "Text4" << tab << "Combo2" << 0;
    QTest::newRow("Form3 date to content") << "Form3"
                                           << "Text5" << tab << "Text6" << 0;
    QTest::newRow("Form3 content to keyword") << "Form3"
                                              << "Text6" << tab << "Text7" << 1;
    QTest::newRow("Form3 last number to back") << "Form3"
                                               << "Text12" << tab << "Command1" << -1;
    QTest::newRow("Form3 Return in title") << "Form3"
                                           << "Text1" << ret << "" << 1;
    QTest::newRow("Form3 Return in first page") << "Form3"
                                                << "Text3" << ret << "" << 0;
    QTest::newRow("RZassi Return in name") << "RZassi"
                                           << "Text1" << ret << "" << -1;
    QTest::newRow("frmRegistFile drive to folders") << "frmRegistFile"
                                                    << "Drive1" << tab << "Dir1" << -1;
}

void TestScreenTexts::keys()
{
    QFETCH(QString, screen);
    QFETCH(QString, from);
    QFETCH(int, key);
    QFETCH(QString, reaches);
    QFETCH(int, japanese);

    TempDataFolder data;
    DialogAnswerer answers;
    const auto dialog = makeScreen(screen);
    if (auto *form3 = qobject_cast<Form3 *>(dialog.get()))
        QVERIFY(form3->Form_Load()); // the input methods are set on opening
    dialog->show();
    QApplication::setActiveWindow(dialog.get());
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QWidget *start = child<QWidget>(dialog.get(), from);
    if (japanese >= 0) {
        QWidget *typedIn = qobject_cast<QComboBox *>(start) ? static_cast<QComboBox *>(start)->lineEdit() : start;
        QCOMPARE(typedIn->testAttribute(Qt::WA_InputMethodEnabled), japanese == 1);
    }
    start->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QWidget *expected = reaches.isEmpty() ? start : child<QWidget>(dialog.get(), reaches);
    QWidget *focus = QApplication::focusWidget();
    QVERIFY2(focus == expected || expected->isAncestorOf(focus), qPrintable(focus ? focus->objectName() : "none"));
    QVERIFY(dialog->isVisible());
    QCOMPARE(answers.shown().size(), 0);
}

PAGELORE_TEST_MAIN(TestScreenTexts)
#include "tst_screentexts.moc"
