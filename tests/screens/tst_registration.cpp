// The registration screen and the two list editors: what they append, byte
// for byte, and what they refuse.

#include "ScreenTest.h"

#include "storage/DataFiles.h"

#include <QLabel>
#include <QRegularExpression>

using namespace pagelore;
using namespace pagelore::test;
using namespace screentest;

namespace {

const QByteArray kExample = "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
const QString kQuestion = QStringLiteral("この内容で登録します。よろしいですか。");

// Every text the user can type into, by widget name.
QMap<QString, QString> typedTexts(QWidget *screen)
{
    QMap<QString, QString> texts;
    for (QWidget *w : screen->findChildren<QWidget *>(QRegularExpression(QStringLiteral("^(Text|Combo)\\d+$")))) {
        if (auto *line = qobject_cast<QLineEdit *>(w))
            texts[w->objectName()] = line->text();
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            texts[w->objectName()] = combo->currentText();
        else
            texts[w->objectName()] = static_cast<QPlainTextEdit *>(w)->toPlainText();
    }
    return texts;
}

// "Text3=12" types 12 into Text3.
void typeAll(QWidget *screen, const QStringList &typing)
{
    for (const QString &t : typing)
        typeInto(screen, t.section(u'=', 0, 0), t.section(u'=', 1));
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
        stored("date with a time", {"Text5=1990/1/1 10:30"},
               "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01 10:30:00#,\"\",\"\",\"\",\"\",\"\",0,255\r\n");
        stored("choices typed, not chosen", {"Combo1=Nikkei", "Combo2=CPU", "Combo3=Essay"},
               "\"\",\"\",\"Nikkei\",12,15,\"CPU\",\"Essay\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n");
        stored("spaces and commas kept", {"Text1= a, b ", "Text10=PC "},
               "\" a, b \",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"PC \",0,255\r\n");
        stored("content on three lines", {"Text6=l1\nl2\nl3"},
               "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"l1\r\nl2\r\nl3\",\"\",\"\",\"\",\"\",0,255\r\n");
        stored("wave dash and minus sign as typed here", {"Text1=1〜3月号", "Text9=−5"},
               "\"1\x81\x60"
               "3\x8c\x8e\x8d\x86\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\x81\x7c"
               "5\",\"\",0,255\r\n");
        stored("numbers at their ends", {"Text3=-32768", "Text4=32767", "Text11=255", "Text12=0"},
               "\"\",\"\",\"\",-32768,32767,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",255,0\r\n");
        stored("very long content", {"Text6=" + QString(100000, u'長')},
               "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"" + QByteArray("\x92\xb7").repeated(100000)
                   + "\",\"\",\"\",\"\",\"\",0,255\r\n");

        const QString firstPage =
            QStringLiteral("「掲載先頭ページ」には -32768 から 32767 までの整数を半角数字で入力してください。");
        refused("answered No", {"Text1=特集", "Text3=12", "Text4=15", "Combo2=ｿﾌﾄ"}, false, QString());
        refused("defaults only", {}, true,
                firstPage + "\n「掲載末尾ページ」には -32768 から 32767 までの整数を半角数字で入力してください。");
        refused(
            "several bad fields",
            {"Text1=a\"b", "Text3=12頁", "Text4=15", "Text5=2024/2/30", "Text8=café", "Text11=256"}, true,
            "「記事名」に入力された半角の二重引用符「\"」は記録できません。別の文字に置き換えてください。\n"
                + firstPage
                + "\n「掲載年月日(必須)」の「2024/2/30」という日付または時刻はありません。実在する日付を入力して"
                  "ください。\n「第二キーワード」に入力された文字「é」(U+00E9)は記録できません("
                  "シフトJISで表せない文字"
                  "です)。別の文字に置き換えてください。\n「初期ﾌｧｲﾙ番号」には 0 から 255 "
                  "までの整数を半角数字で入力"
                  "してください。");
        refused(
            "date in another form, last number empty", {"Text3=1", "Text4=2", "Text5=平成2年1月1日", "Text12="},
            true,
            "「掲載年月日(必須)」には 1990/1/1 のように 年/月/日 の形で日付を入力してください。日付が不明な場合は "
            "1900/1/1 と入力してください。\n「最終ﾌｧｲﾙ番号」には 0 から 255 "
            "までの整数を半角数字で入力してください。");
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
        QCOMPARE(child<QLabel>(form.get(), QStringLiteral("Label18"))->text(), QStringLiteral("/srv/紙面/"));
        typeAll(form.get(), typing);
        const QMap<QString, QString> typed = typedTexts(form.get());
        click(form.get(), QStringLiteral("Command2"));
        QCOMPARE(data.read(DataFiles::ArticleFile), kExample + line);
        QCOMPARE(form->isVisible(), line.isEmpty());
        if (!line.isEmpty()) {
            QCOMPARE(answers.texts(), (QStringList{kQuestion, QStringLiteral("登録しました。")}));
            QCOMPARE(answers.titles(), (QStringList{QStringLiteral("登録意思確認"), QStringLiteral("登録完了")}));
            QCOMPARE(answers.shown().at(0).buttons,
                     (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
            QCOMPARE(answers.shown().at(1).buttons, QStringList{QStringLiteral("OK")});
            return;
        }
        QCOMPARE(answers.texts(), (yes ? QStringList{kQuestion, message} : QStringList{kQuestion}));
        QCOMPARE(answers.titles().last(), yes ? QStringLiteral("入力エラー") : QStringLiteral("登録意思確認"));
        QCOMPARE(typedTexts(form.get()), typed);
    }

    // An editor appends the name typed and shows the list anew, or refuses what
    // the file cannot hold; No writes nothing.
    void editor_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("shown");   // the new last line of the list shown
        QTest::addColumn<QString>("message"); // after Yes
        const QString done = QStringLiteral("登録完了しました");
        QTest::newRow("RZassi R") << "RZassi"
                                  << "R" << QByteArray("\"R\"\r\n") << "R\n"
                                  << done;
        QTest::newRow("RZassi empty name") << "RZassi"
                                           << "" << QByteArray("\"\"\r\n") << "\n"
                                           << done;
        QTest::newRow("RBunnya wave dash") << "RBunnya"
                                           << "A〜B" << QByteArray("\"A\x81\x60\x42\"\r\n") << "A～B\n"
                                           << done;
        QTest::newRow("RZassi double quote")
            << "RZassi"
            << "PC\"World\"" << QByteArray() << ""
            << "「登録する雑誌名入力欄」に入力された半角の二重引用符「\"」は記録でき"
               "ません。別の文字に置き換えてください。";
        QTest::newRow("RBunnya not in the code page") << "RBunnya"
                                                      << "월" << QByteArray() << ""
                                                      << "「登録する分野名入力欄」に入力された文字「월」(U+C6D4)"
                                                         "は記録できません(シフトJISで表せない文字です)。別の"
                                                         "文字に置き換えてください。";
    }

    void editor()
    {
        QFETCH(QString, editor);
        QFETCH(QString, name);
        QFETCH(QByteArray, line);
        QFETCH(QString, shown);
        QFETCH(QString, message);

        TempDataFolder data;
        const QString list = editor == u"RZassi" ? DataFiles::MagazineList : DataFiles::CategoryList;
        const QString other = editor == u"RZassi" ? DataFiles::CategoryList : DataFiles::MagazineList;
        const QString question =
            editor == u"RZassi"
                ? QStringLiteral("以上の雑誌を登録します。一度登録すると二度と削除できませんがよろしいですか。")
                : QStringLiteral("以上の分野を登録します。一度登録すると二度と削除できませんがよろしいですか。");
        data.write(list, "\"P\"\r\n\"Q\"\r\n");
        DialogAnswerer answers;
        answers.no().yes().ok().yes().ok();
        const auto screen = openScreen(editor);
        auto *listed = child<QPlainTextEdit>(screen.get(), QStringLiteral("Text2"));
        QCOMPARE(listed->toPlainText(), QStringLiteral("P\nQ\n"));
        typeInto(screen.get(), QStringLiteral("Text1"), name);
        click(screen.get(), QStringLiteral("Command2")); // No
        QCOMPARE(data.read(list), QByteArray("\"P\"\r\n\"Q\"\r\n"));
        click(screen.get(), QStringLiteral("Command2"));
        click(screen.get(), QStringLiteral("Command2")); // the same name again is appended again
        QCOMPARE(data.read(list), "\"P\"\r\n\"Q\"\r\n" + line + line);
        QCOMPARE(listed->toPlainText(), QStringLiteral("P\nQ\n") + shown + shown);
        QCOMPARE(child<QLineEdit>(screen.get(), QStringLiteral("Text1"))->text(), name);
        QCOMPARE(answers.texts().mid(0, 3), (QStringList{question, question, message}));
        QCOMPARE(answers.titles().mid(0, 3),
                 (QStringList{QStringLiteral("登録に関する確認"), QStringLiteral("登録に関する確認"),
                              line.isEmpty() ? QStringLiteral("入力エラー") : QStringLiteral("登録完了")}));
        QCOMPARE(data.read(other), QByteArray());
    }
};

PAGELORE_TEST_MAIN(TestRegistration)
#include "tst_registration.moc"
