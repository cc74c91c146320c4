// What every screen shows before anything is typed, and how its keys move the user through it.

#include "ScreenTest.h"

#include <QLabel>

using namespace screentest;

namespace {

// "" is the window title; "@Text1" the caption of the label that names Text1; "Text2 ime" whether its input
// method is on; "Text2 tab" and "Text1 return" the field the key moves to from there, and whether the screen
// closed or asked anything; a drop-down's choices are joined by "|".
QString shownText(QWidget *screen, const QString &what, DialogAnswerer &answers)
{
    const QString name = what.section(u' ', 0, 0), action = what.section(u' ', 1);
    if (action == u"ime")
        return child<QWidget>(screen, name)->testAttribute(Qt::WA_InputMethodEnabled) ? u"on"_qs : u"off"_qs;
    if (!action.isEmpty()) {
        child<QWidget>(screen, name)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), action == u"tab" ? Qt::Key_Tab : Qt::Key_Return);
        QWidget *focus = QApplication::focusWidget();
        while (focus->objectName().isEmpty()) // a drop-down's own box
            focus = focus->parentWidget();
        return focus->objectName() + (screen->isVisible() ? u""_qs : u" closed"_qs)
               + (answers.shown().isEmpty() ? u""_qs : u" asked"_qs);
    }
    if (what.isEmpty())
        return screen->windowTitle();
    if (auto *combo = screen->findChild<QComboBox *>(what)) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items.join(u'|');
    }
    if (!what.startsWith(u'@'))
        return shown(screen, what);
    for (QLabel *label : screen->findChildren<QLabel *>())
        if (label->buddy() == child<QWidget>(screen, what.mid(1)))
            return label->text();
    return u"<no caption>"_qs;
}

} // namespace

class TestScreenTexts : public QObject {
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("text");
        const auto rows = [](const char *screen, const QStringList &list) {
            for (const QString &row : list)
                QTest::addRow("%s %s", screen, qPrintable(row.section(u'=', 0, 0)))
                    << screen << row.section(u'=', 0, 0) << row.section(u'=', 1);
        };
        const QString back = u"Command1=<<前の画面に戻る"_qs;
        const QString forms = u"Combo3=特集|連載|広告|特別寄稿|レビュー|ロードテスト|附録"_qs;
        rows("Form2",
             {"=記事検索", "Label1=記事名", "Label2=記者名", "Label3=掲載雑誌名", "Label4=検索ページ",
              "Label5=分野", "Label6=掲載形態", "Label7=掲載年月日(必須)", "Label9=第一キーワード",
              "Label10=第二キーワード", back, "Command2=検索する", "Text3=100", "Text4=1990/1/1", forms,
              // Tab reaches the next field a user fills; Return in a box presses no button.
              "Text2 tab=Combo1", "Text3 tab=Combo2", "Text4 tab=Text5", "Text1 return=Text1", "Text1 ime=on",
              "Text2 ime=on", "Text3 ime=off", "Text4 ime=off",
              "Label8=掲載年月日は、日付を何かしら入力しないとエラーになりますので、不明な場合は、「1900/1/1」と"
              "記入してください。"});
        rows("Form4",
             {"=削除記事候補検索", back, "Command2=削除候補を検索する",
              "Label8=掲載年月日は、日付を何かしら入力しないとエラーになりますので、不明な場合は、「1990/1/1」と"
              "記入してください。"});
        rows("Form3", {"=記事登録", "@Text1=記事名", "@Text2=記者名", "@Combo1=掲載雑誌名",
                       "@Text3=掲載先頭ページ", "@Text4=掲載末尾ページ", "@Combo2=分野", "@Combo3=掲載形態",
                       "@Text5=掲載年月日(必須)", "@Text6=内容", "@Text7=第一キーワード", "@Text8=第二キーワード",
                       "@Text9=第三キーワード", "Label18=/srv/紙面/"});
        rows("Form3",
             {"Text4 tab=Combo2", "Text6 tab=Text7", "Text12 tab=Command1", "Text5 return=Text5", "Text4 ime=off",
              "Text6 ime=on", "Text5 ime=off", "@Text11=初期ﾌｧｲﾙ番号", "@Text12=最終ﾌｧｲﾙ番号",

              "Label19=.jpg", back, "Command2=登録する", "Text5=1990/1/1", "Text11=0", "Text12=255", forms,
              "Label8=掲載年月日は、日付を何かしら入力しないとエラーになりますので、不明な場合は、"
              "「1900/1/1」と記入してください。",
              "Label14=記事紙面ﾌｧｲﾙ基本ﾌｧｲﾙ名(例:PC0.jpg～PC255.jpgの場合PC)あらかじめ登録している"
              "ﾌｫﾙﾀﾞにあるﾌｧｲﾙを指定して下さい。重複して入力しないようご注意ください。(画像はかなり"
              "粗くなるので狭い範囲ごとに高画質で保存して下さい。)",
              "Label17=記事の画像ﾌｧｲﾙは、基本ﾌｧｲﾙ名+ﾍﾟｰｼﾞ順につけられたﾌｧｲﾙ番号+拡張子(,jpg)で管理"
              "されています。また、記事紙面画像ﾌｧｲﾙは、予め登録されているﾌｫﾙﾀﾞ内に格納されていなければ"
              "なりません。また、初期ﾌｧｲﾙ番号は、0以上、最終ﾌｧｲﾙ番号は、255以下となるようにしてくだ"
              "さい。また、拡張子がjpgのファイルだけを指定することができます。"});
        rows("Form5",
             {"=記事検索結果", "Label1=記事名", "Label2=記者名", "Label3=掲載雑誌名", "Label4=掲載先頭ページ",
              "Label5=掲載末尾ページ", "Label6=分野", "Label7=掲載形態", "Label8=掲載年月日", "Label9=内容",
              "Label10=第一キーワード", "Label11=第二キーワード", "Label12=第三キーワード",
              "Label13=記事画像ﾌｧｲﾙ名", "Label14=開始番号", "Label15=末尾番号"});
        rows("Form5", {"Command1=次の候補>>", "Command4=この記事の画像ﾃﾞｰﾀを見る(非常に時間が掛かります)",
                       "Command2=<<検索条件を改める", "Command3=機能選択の画面に戻る"});
        rows("Form6", {"=削除記事候補検索結果", "Label12=第三キーワード", "Command1=次の候補>>",
                       "Command2=この記事を削除(画像データ自体は消去されません)", "Command3=<<検索条件を改める",
                       "Command4=機能選択の画面に戻る"});
        rows("Form7", {"=画像ﾃﾞｰﾀ", "Label1=縦横比がおかしい場合もあります。", "Command1=次のﾍﾟｰｼﾞ",
                       "Command2=前のﾍﾟｰｼﾞ", "Command3=このウインドウを消す"});
        rows("RZassi",
             {"=よく読む雑誌の登録", "Text1 return=Text1", "Label2=登録する雑誌名入力欄",
              "Label3=現在登録されている雑誌名", back, "Command2=以上を登録する",
              "Label1=あなたがよく読む雑誌を下の枠内に書いて「以上を登録する」ﾎﾞﾀﾝを押してください。以後、各項目の"
              "掲載雑誌名の候補の中に追加されます。ただし、登録せずに都度都度手入力することも可能です。また、一度"
              "登録すると削除できませんのでご注意ください。"});
        rows("RBunnya",
             {"=よく読む分野の登録", "Label2=登録する分野名入力欄", "Label3=現在登録されている分野名", back,
              "Command2=以上を登録する",
              "Label1=あなたがよく読む分野(例:ﾊｰﾄﾞｳｪｱ･ｿﾌﾄｳｪｱ･CPU･ﾌﾟﾘﾝﾀ等)を下の枠内に書いて「以上を登録する」"
              "ﾎﾞﾀﾝを押して下さい。以後、各項目の分野の候補の中に追加されます。ただし、登録せずに都度都度手入力"
              "することも可能です。また、一度登録すると削除できませんのでご注意下さい。"});
        rows("frmRegistFile",
             {"=記事ファイル保管フォルダ指定", back, "Command2=このフォルダに決定",
              "Label1=記事の登録内容を記録したファイルをどこのフォルダに保管するか決定して選択したください。"});
        rows("RGazou",
             {"=記事紙面画像ﾌｧｲﾙの場所指定", back, "Command2=このﾌｫﾙﾀﾞに決定",
              "Label1=記事紙面の画像ﾌｧｲﾙが保管されているﾌｫﾙﾀﾞの位置を指定してください。記事紙面の画像ﾌｧｲﾙは、"
              "ここで指定したﾌｫﾙﾀﾞになければ、当ｿﾌﾄからは認識できません。"});
    }

    void texts()
    {
        QFETCH(QString, screen);
        QFETCH(QString, what);
        QFETCH(QString, text);
        TempDataFolder data;
        setImageFolder(u"/srv/紙面/"_qs);
        DialogAnswerer answers;
        const auto dialog = openScreen(screen);
        QApplication::setActiveWindow(dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QCOMPARE(shownText(dialog.get(), what, answers), text);
    }
};

PAGELORE_TEST_MAIN(TestScreenTexts)
#include "tst_screentexts.moc"
