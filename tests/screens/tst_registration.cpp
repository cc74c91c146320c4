// The registration screen and the two list editors: what they append, byte
// for byte, and what they refuse.

#include "ScreenTest.h"

#include "screens/Screens.h"
#include "storage/DataFiles.h"

#include <QLabel>
#include <QRegularExpression>

using namespace pagelore;
using namespace pagelore::test;
using namespace screentest;

namespace {

const QByteArray kExample = "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
const QString kQuestion = QStringLiteral("この内容で登録します。よろしいですか。");
const QString kQuestionTitle = QStringLiteral("登録意思確認");
const QString kInputError = QStringLiteral("入力エラー");

// Every text the user can type into, by widget name.
QMap<QString, QString> typedTexts(QWidget *screen)
{
    QMap<QString, QString> texts;
    for (QWidget *w : screen->findChildren<QWidget *>(QRegularExpression(QStringLiteral("^(Text|Combo)\\d+$")))) {
        if (auto *line = qobject_cast<QLineEdit *>(w))
            texts[w->objectName()] = line->text();
        else if (auto *combo = qobject_cast<QComboBox *>(w))
            texts[w->objectName()] = combo->currentText();
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
            texts[w->objectName()] = plain->toPlainText();
    }
    return texts;
}

// "Text3=12" typed into Text3, in the order given.
void typeAll(QWidget *screen, const QStringList &typing)
{
    for (const QString &t : typing)
        typeInto(screen, t.section(u'=', 0, 0), t.section(u'=', 1));
}

QString listOf(const QString &editor)
{
    return editor == u"RZassi" ? DataFiles::MagazineList : DataFiles::CategoryList;
}

} // namespace

class TestRegistration : public QObject {
    Q_OBJECT

private slots:
    void registersFromTheMainWindow();
    void storesWhatWasTyped_data();
    void storesWhatWasTyped();
    void writesNothing_data();
    void writesNothing();
    void offersTheListsAndShowsTheImageFolder();
    void editorAppends_data();
    void editorAppends();
    void editorRefuses_data();
    void editorRefuses();
};

void TestRegistration::registersFromTheMainWindow()
{
    TempDataFolder data;
    DialogAnswerer answers;
    answers.yes().ok();
    {
        ModalWatch watch([](QWidget *form) {
            typeAll(form, {"Text3=12", "Text4=15"});
            click(form, QStringLiteral("Command2"));
        });
        openScreenModal(ScreenId::Register); // the watch fails the test if the screen stays open
    }
    QCOMPARE(data.read(DataFiles::ArticleFile), kExample);
    QCOMPARE(answers.texts(), (QStringList{kQuestion, QStringLiteral("登録しました。")}));
    QCOMPARE(answers.titles(), (QStringList{kQuestionTitle, QStringLiteral("登録完了")}));
    QCOMPARE(answers.shown().at(0).buttons,
             (QStringList{QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")}));
    QCOMPARE(answers.shown().at(1).buttons, QStringList{QStringLiteral("OK")});
    QCOMPARE(data.read(DataFiles::MagazineList), QByteArray());
}

void TestRegistration::storesWhatWasTyped_data()
{
    QTest::addColumn<QStringList>("typing"); // after Text3=12 and Text4=15
    QTest::addColumn<QByteArray>("line");

    QTest::newRow("date with a time") << QStringList{"Text5=1990/1/1 10:30"}
                                      << QByteArray(
                                             "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01 10:30:00#,\"\",\"\",\"\","
                                             "\"\",\"\",0,255\r\n");
    QTest::newRow("choices typed, not chosen")
        << QStringList{"Combo1=Nikkei", "Combo2=CPU", "Combo3=Essay"}
        << QByteArray(
               "\"\",\"\",\"Nikkei\",12,15,\"CPU\",\"Essay\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n");
    QTest::newRow("spaces and commas kept")
        << QStringList{"Text1= a, b ", "Text10=PC "}
        << QByteArray("\" a, b \",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\","
                      "\"\",\"PC \",0,255\r\n");
    QTest::newRow("content on three lines")
        << QStringList{"Text6=l1\nl2\nl3"}
        << QByteArray(
               "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"l1\r\nl2\r\nl3\",\"\",\"\",\"\",\"\",0,255\r\n");
    QTest::newRow("wave dash and minus sign as this platform types them")
        << QStringList{"Text1=1〜3月号", "Text9=−5"}
        << QByteArray("\"1\x81\x60"
                      "3\x8c\x8e\x8d\x86\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\x81\x7c"
                      "5\",\"\",0,255\r\n");
    QTest::newRow("numbers at their ends")
        << QStringList{"Text3=-32768", "Text4=32767", "Text11=255", "Text12=0"}
        << QByteArray("\"\",\"\",\"\",-32768,32767,\"\",\"\",#1990-01-01#,\"\",\"\",\"\","
                      "\"\",\"\",255,0\r\n");
    QTest::newRow("very long content") << QStringList{"Text6=" + QString(100000, u'長')}
                                       << "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\""
                                              + QByteArray("\x92\xb7").repeated(100000)
                                              + "\",\"\",\"\",\"\",\"\",0,255\r\n";
}

void TestRegistration::storesWhatWasTyped()
{
    QFETCH(QStringList, typing);
    QFETCH(QByteArray, line);

    TempDataFolder data;
    data.write(DataFiles::ArticleFile, kExample);
    data.write(DataFiles::MagazineList, "\"ASCII\"\r\n");
    DialogAnswerer answers;
    answers.yes().ok();
    const auto form = openScreen(QStringLiteral("Form3"));
    typeAll(form.get(), QStringList{"Text3=12", "Text4=15"} + typing);
    click(form.get(), QStringLiteral("Command2"));
    QCOMPARE(data.read(DataFiles::ArticleFile), kExample + line);
    QCOMPARE(answers.titles(), (QStringList{kQuestionTitle, QStringLiteral("登録完了")}));
    QVERIFY(!form->isVisible());
    QCOMPARE(data.read(DataFiles::MagazineList), QByteArray("\"ASCII\"\r\n"));
}

// Nothing is written, the screen stays open and everything typed is kept;
// every field that cannot be stored is named in one message.
void TestRegistration::writesNothing_data()
{
    QTest::addColumn<QStringList>("typing");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("message");

    const QString firstPage =
        QStringLiteral("「掲載先頭ページ」には -32768 から 32767 までの整数を半角数字で入力してください。");
    QTest::newRow("answered No") << QStringList{"Text1=特集", "Text3=12", "Text4=15", "Combo2=ｿﾌﾄ"} << false << "";
    QTest::newRow("defaults only")
        << QStringList{} << true
        << firstPage + "\n「掲載末尾ページ」には -32768 から 32767 までの整数を半角数字で入力してください。";
    QTest::newRow("several bad fields")
        << QStringList{"Text1=a\"b", "Text3=12頁", "Text4=15", "Text5=2024/2/30", "Text8=café", "Text11=256"}
        << true
        << "「記事名」に入力された半角の二重引用符「\"」は記録できません。別の文字に置き換えてください。\n"
               + firstPage
               + "\n「掲載年月日(必須)」の「2024/2/"
                 "30」という日付または時刻はありません。実在する日付を入力してください。\n"
                 "「第二キーワード」に入力された文字「é」(U+00E9)は記録できません(シフトJISで表せない文字です)"
                 "。別の"
                 "文字に置き換えてください。\n「初期ﾌｧｲﾙ番号」には 0 から 255 "
                 "までの整数を半角数字で入力してください。";
    QTest::newRow("date in another form, last number empty")
        << QStringList{"Text3=1", "Text4=2", "Text5=平成2年1月1日", "Text12="} << true
        << "「掲載年月日(必須)」には 1990/1/1 のように 年/月/日 の形で日付を入力してください。日付が不明な場合は "
           "1900/1/1 と入力してください。\n「最終ﾌｧｲﾙ番号」には 0 から 255 "
           "までの整数を半角数字で入力してください。";
}

void TestRegistration::writesNothing()
{
    QFETCH(QStringList, typing);
    QFETCH(bool, yes);
    QFETCH(QString, message);

    TempDataFolder data;
    data.write(DataFiles::ArticleFile, kExample);
    DialogAnswerer answers;
    answers.answer(yes ? MessageBox::Answer::Yes : MessageBox::Answer::No).ok();
    const auto form = openScreen(QStringLiteral("Form3"));
    typeAll(form.get(), typing);
    const QMap<QString, QString> before = typedTexts(form.get());
    click(form.get(), QStringLiteral("Command2"));
    QCOMPARE(data.read(DataFiles::ArticleFile), kExample);
    QCOMPARE(answers.texts(), (yes ? QStringList{kQuestion, message} : QStringList{kQuestion}));
    if (yes)
        QCOMPARE(answers.titles().at(1), kInputError);
    QVERIFY(form->isVisible());
    QCOMPARE(typedTexts(form.get()), before);
}

void TestRegistration::offersTheListsAndShowsTheImageFolder()
{
    TempDataFolder data;
    data.write(DataFiles::MagazineList, "\"ASCII\"\r\n\"\"\r\n\"ASCII\"\r\n\"Byte\"\r\n");
    setImageFolder(QStringLiteral("/srv/紙面/"));
    Form3 form;
    QVERIFY(form.Form_Load());
    const auto items = [&](const char *name) {
        auto *combo = child<QComboBox>(&form, QString::fromLatin1(name));
        QStringList list{combo->currentText()};
        for (int i = 0; i < combo->count(); ++i)
            list << combo->itemText(i);
        return list;
    };
    QCOMPARE(items("Combo1"), (QStringList{"", "ASCII", "", "ASCII", "Byte"}));
    QCOMPARE(items("Combo2"), QStringList{""});
    QCOMPARE(child<QLabel>(&form, QStringLiteral("Label18"))->text(), QStringLiteral("/srv/紙面/"));
    QCOMPARE(form.focusWidget(), child<QWidget>(&form, QStringLiteral("Text1")));
    setImageFolder(QString());
}

void TestRegistration::editorAppends_data()
{
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("shown"); // as the list shows it afterwards

    const char *magazine = "以上の雑誌を登録します。一度登録すると二度と削除できませんがよろしいですか。";
    const char *category = "以上の分野を登録します。一度登録すると二度と削除できませんがよろしいですか。";
    QTest::newRow("RZassi R") << "RZassi" << magazine << "R" << QByteArray("\"R\"\r\n") << "R\n";
    QTest::newRow("RZassi empty name") << "RZassi" << magazine << "" << QByteArray("\"\"\r\n") << "\n";
    QTest::newRow("RBunnya wave dash") << "RBunnya" << category << "A〜B" << QByteArray("\"A\x81\x60\x42\"\r\n")
                                       << "A～B\n";
}

void TestRegistration::editorAppends()
{
    QFETCH(QString, editor);
    QFETCH(QString, question);
    QFETCH(QString, name);
    QFETCH(QByteArray, line);
    QFETCH(QString, shown);

    TempDataFolder data;
    const QByteArray before = "\"P\"\r\n\"Q\"\r\n";
    data.write(listOf(editor), before);
    DialogAnswerer answers;
    const auto screen = openScreen(editor);
    auto *list = child<QPlainTextEdit>(screen.get(), QStringLiteral("Text2"));
    QCOMPARE(list->toPlainText(), QStringLiteral("P\nQ\n"));
    typeInto(screen.get(), QStringLiteral("Text1"), name);

    answers.no();
    click(screen.get(), QStringLiteral("Command2"));
    QCOMPARE(data.read(listOf(editor)), before);
    QCOMPARE(list->toPlainText(), QStringLiteral("P\nQ\n"));

    answers.yes().ok().yes().ok();
    click(screen.get(), QStringLiteral("Command2"));
    QCOMPARE(data.read(listOf(editor)), before + line);
    QCOMPARE(list->toPlainText(), QStringLiteral("P\nQ\n") + shown);
    click(screen.get(), QStringLiteral("Command2")); // the same name again is appended again
    QCOMPARE(data.read(listOf(editor)), before + line + line);
    QCOMPARE(list->toPlainText(), QStringLiteral("P\nQ\n") + shown + shown);
    QCOMPARE(child<QLineEdit>(screen.get(), QStringLiteral("Text1"))->text(), name);
    QCOMPARE(answers.texts().mid(0, 3), (QStringList{question, question, QStringLiteral("登録完了しました")}));
    QCOMPARE(answers.titles().mid(0, 3),
             (QStringList{QStringLiteral("登録に関する確認"), QStringLiteral("登録に関する確認"),
                          QStringLiteral("登録完了")}));
    QCOMPARE(answers.unexpected(), 0);
    const QString other = editor == u"RZassi" ? DataFiles::CategoryList : DataFiles::MagazineList;
    QCOMPARE(data.read(other), QByteArray());
}

void TestRegistration::editorRefuses_data()
{
    QTest::addColumn<QString>("editor");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("RZassi double quote") << "RZassi"
                                         << "PC\"World\""
                                         << "「登録する雑誌名入力欄」に入力された半角の二重引用符「\"」は記録でき"
                                            "ません。別の文字に置き換えてください。";
    QTest::newRow("RBunnya not in the code page") << "RBunnya"
                                                  << "월"
                                                  << "「登録する分野名入力欄」に入力された文字「월」(U+C6D4)"
                                                     "は記録できません(シフトJISで表せない文字です)。別の"
                                                     "文字に置き換えてください。";
}

void TestRegistration::editorRefuses()
{
    QFETCH(QString, editor);
    QFETCH(QString, name);
    QFETCH(QString, message);

    TempDataFolder data;
    data.write(listOf(editor), "\"P\"\r\n");
    DialogAnswerer answers;
    answers.yes().ok();
    const auto screen = openScreen(editor);
    typeInto(screen.get(), QStringLiteral("Text1"), name);
    click(screen.get(), QStringLiteral("Command2"));
    QCOMPARE(answers.texts().at(1), message);
    QCOMPARE(answers.titles().at(1), kInputError);
    QCOMPARE(data.read(listOf(editor)), QByteArray("\"P\"\r\n"));
    QCOMPARE(child<QLineEdit>(screen.get(), QStringLiteral("Text1"))->text(), name);
}

PAGELORE_TEST_MAIN(TestRegistration)
#include "tst_registration.moc"
