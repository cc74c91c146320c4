// The registration screen and the two list editors: what they append, byte
// for byte, and what they refuse.

#include "ScreenTest.h"

#include "storage/DataFiles.h"

#include <QClipboard>
#include <QRegularExpression>

using namespace screentest;

namespace {

const QByteArray kExample = "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
const QString kLong = QString(40000, u'長'); // beyond the toolkit's own limit of a one-line box

// "Text3=12" types 12 into Text3; "Text1:…" pastes the text there.
void typeAll(QWidget *screen, const QStringList &typing)
{
    for (const QString &t : typing) {
        const qsizetype at = t.indexOf(QRegularExpression(QStringLiteral("[=:]")));
        const bool paste = t[at] == u':';
        QApplication::clipboard()->setText(t.mid(at + 1));
        typeInto(screen, t.left(at), paste ? QString() : t.mid(at + 1));
        if (paste)
            QTest::keyClick(child<QWidget>(screen, t.left(at)), Qt::Key_V, Qt::ControlModifier);
    }
}

} // namespace

class TestRegistration : public QObject {
    Q_OBJECT

private slots:
    // A registration appends the line typed and closes the screen, or, with
    // nothing written and all typed kept, names every field that cannot be
    // stored in one message.
    void registration_data()
    {
        QTest::addColumn<QStringList>("typing");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("message");
        const auto stored = [](const char *tag, const QStringList &typing, const QByteArray &line) {
            QTest::newRow(tag) << QStringList{"Text3=12", "Text4=15"} + typing << true << line << QString();
        };
        const auto refused = [](const char *tag, const QStringList &typing, bool yes, const QString &message) {
            QTest::newRow(tag) << typing << yes << QByteArray() << message;
        };
        stored("pages only", {}, kExample);
        // Choices typed, not chosen; spaces and commas kept; the marks input methods here type.
        stored("every field",
               {"Text1= a, b ", "Text2=1〜3月号", "Combo1=Nikkei", "Text3=-32768", "Text4=32767", "Combo2=CPU",
                "Combo3=Essay", "Text5=1990/1/1 10:30", "Text6=l1\nl2\nl3", "Text7=k1", "Text8=k2", "Text9=−5",
                "Text10=PC ", "Text11=255", "Text12=0"},
               "\" a, b \",\"1\x81\x60"
               "3\x8c\x8e\x8d\x86\",\"Nikkei\",-32768,32767,\"CPU\",\"Essay\",#1990-01-01 10:30:00#,\"l1\r\nl2\r\n"
               "l3\",\"k1\",\"k2\",\"\x81\x7c"
               "5\",\"PC \",255,0\r\n");
        stored("long texts", {"Text1:" + kLong, "Combo1=" + kLong, "Text6=" + QString(100000, u'長')},
               "\"" + sjis(kLong) + "\",\"\",\"" + sjis(kLong) + "\",12,15,\"\",\"\",#1990-01-01#,\""
                   + sjis(QString(100000, u'長')) + "\",\"\",\"\",\"\",\"\",0,255\r\n");

        const QString firstPage =
            QStringLiteral("「掲載先頭ページ」には -32768 から 32767 までの整数を半角数字で入力してください。");
        refused("answered No", {"Text1=特集", "Text3=12", "Text4=15", "Combo2=ｿﾌﾄ"}, false, QString());
        refused("defaults only", {}, true,
                firstPage + "\n「掲載末尾ページ」には -32768 から 32767 までの整数を半角数字で入力してください。");
        refused("several bad fields",
                {"Text1=a\"b", "Text3=12頁", "Text4=15", "Text5=2024/2/30", "Text8=café", "Text11=256"}, true,
                "「記事名」に入力された半角の二重引用符「\"」は記録できません。別の文字に置き換えてください。\n"
                    + firstPage
                    + "\n「掲載年月日(必須)」の「2024/2/30」という日付または時刻はありません。実在する日付を入力"
                      "してください。\n「第二キーワード」に入力された文字「é」(U+00E9)は記録できません(シフトJIS"
                      "で表せない文字です)。別の文字に置き換えてください。\n「初期ﾌｧｲﾙ番号」には 0 から 255 まで"
                      "の整数を半角数字で入力してください。");
        refused(
            "date in another form, last number empty", {"Text3=1", "Text4=2", "Text5=平成2年1月1日", "Text12="},
            true,
            "「掲載年月日(必須)」には 1990/1/1 のように 年/月/日 の形で日付を入力してください。日付が不明な場合"
            "は 1900/1/1 と入力してください。\n「最終ﾌｧｲﾙ番号」には 0 から 255 までの整数を半角数字で入力して"
            "ください。");
        // With its line ends and the other fields, a record of 16 MiB, which the reader refuses.
        refused("article too long for the files",
                {"Text3=12", "Text4=15",
                 "Text6:" + (QString(1023, u'長') + u'\n').repeated(8191) + QString(996, u'長')},
                true, "記事全体が長すぎるため記録できません(16777216バイトまで)。内容などを短くしてください。");
    }

    void registration()
    {
        QFETCH(QStringList, typing);
        QFETCH(bool, yes);
        QFETCH(QByteArray, line);
        QFETCH(QString, message);
        TempDataFolder data;
        data.write(DataFiles::ArticleFile, kExample);
        DialogAnswerer answers;
        answers.answer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No).ok();
        setImageFolder(QStringLiteral("/srv/紙面/"));
        const auto form = openScreen(QStringLiteral("Form3"));
        setImageFolder(QString());
        QCOMPARE(shown(form.get(), QStringLiteral("Label18")), QStringLiteral("/srv/紙面/"));
        typeAll(form.get(), typing);
        click(form.get(), QStringLiteral("Command2"));
        QCOMPARE(data.read(DataFiles::ArticleFile), kExample + line);
        QCOMPARE(form->isVisible(), line.isEmpty());
        const QString question = QStringLiteral("この内容で登録します。よろしいですか。");
        if (!line.isEmpty()) {
            QCOMPARE(answers.texts(), (QStringList{question, QStringLiteral("登録しました。")}));
            QCOMPARE(answers.titles(), (QStringList{QStringLiteral("登録意思確認"), QStringLiteral("登録完了")}));
            QCOMPARE(answers.shown().at(0).buttons,
                     (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
            QCOMPARE(answers.shown().at(1).buttons, QStringList{QStringLiteral("OK")});
            return;
        }
        QCOMPARE(answers.texts(), (yes ? QStringList{question, message} : QStringList{question}));
        QCOMPARE(answers.titles().last(), yes ? QStringLiteral("入力エラー") : QStringLiteral("登録意思確認"));
        for (const QString &t : typing) {
            const qsizetype at = t.indexOf(QRegularExpression(QStringLiteral("[=:]")));
            QCOMPARE(shown(form.get(), t.left(at)), t.mid(at + 1));
        }
    }

    // An editor appends the name typed and shows the list anew, or refuses what
    // the file cannot hold; No writes nothing.
    void editor_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("listed");  // the new last line of the list shown
        QTest::addColumn<QString>("message"); // after Yes
        const auto row = [](const char *tag, const char *editor, const QString &name, const QByteArray &line,
                            const QString &listed, const QString &message = QStringLiteral("登録完了しました")) {
            QTest::newRow(tag) << editor << name << line << listed << message;
        };
        row("40,000 characters", "RZassi", kLong, "\"" + sjis(kLong) + "\"\r\n", kLong + u'\n');
        row("empty name", "RZassi", "", "\"\"\r\n", "\n");
        row("wave dash", "RBunnya", "A〜B", "\"A\x81\x60\x42\"\r\n", "A～B\n");
        row("double quote", "RZassi", "PC\"World\"", "", "",
            "「登録する雑誌名入力欄」に入力された半角の二重引用符「\"」は記録できません。別の文字に置き換えてくだ"
            "さい。");
        row("not in the code page", "RBunnya", "월", "", "",
            "「登録する分野名入力欄」に入力された文字「월」(U+C6D4)は記録できません(シフトJISで表せない文字です)。"
            "別の文字に置き換えてください。");
    }

    void editor()
    {
        QFETCH(QString, editor);
        QFETCH(QString, name);
        QFETCH(QByteArray, line);
        QFETCH(QString, listed);
        QFETCH(QString, message);
        TempDataFolder data;
        const bool magazines = editor == u"RZassi";
        const QString list = magazines ? DataFiles::MagazineList : DataFiles::CategoryList;
        const QString question =
            magazines
                ? QStringLiteral("以上の雑誌を登録します。一度登録すると二度と削除できませんがよろしいですか。")
                : QStringLiteral("以上の分野を登録します。一度登録すると二度と削除できませんがよろしいですか。");
        data.write(list, "\"P\"\r\n\"Q\"\r\n");
        DialogAnswerer answers;
        answers.no().yes().ok().yes().ok();
        const auto screen = openScreen(editor);
        QCOMPARE(shown(screen.get(), QStringLiteral("Text2")), QStringLiteral("P\nQ\n"));
        typeInto(screen.get(), QStringLiteral("Text1"), name);
        click(screen.get(), QStringLiteral("Command2")); // No
        QCOMPARE(data.read(list), QByteArray("\"P\"\r\n\"Q\"\r\n"));
        click(screen.get(), QStringLiteral("Command2"));
        click(screen.get(), QStringLiteral("Command2")); // the same name again is appended again
        QCOMPARE(data.read(list), "\"P\"\r\n\"Q\"\r\n" + line + line);
        QCOMPARE(shown(screen.get(), QStringLiteral("Text2")), QStringLiteral("P\nQ\n") + listed + listed);
        QCOMPARE(shown(screen.get(), QStringLiteral("Text1")), name);
        QCOMPARE(answers.texts().mid(0, 3), (QStringList{question, question, message}));
        QCOMPARE(answers.titles().mid(0, 3),
                 (QStringList{QStringLiteral("登録に関する確認"), QStringLiteral("登録に関する確認"),
                              line.isEmpty() ? QStringLiteral("入力エラー") : QStringLiteral("登録完了")}));
        QCOMPARE(data.read(magazines ? DataFiles::CategoryList : DataFiles::MagazineList), QByteArray());
    }
};

PAGELORE_TEST_MAIN(TestRegistration)
#include "tst_registration.moc"
