// The screens that store what the user gives: registration and list editors (what they append, byte for byte,
// and what they refuse), folder screens (what they save and which data files they make).

#include "ScreenTest.h"

#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QClipboard>
#include <QDirIterator>
#include <QFileSystemModel>
#include <QStorageInfo>
#include <QTreeView>

using namespace screentest;

namespace {

const QByteArray kExample = "\"\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
const QString kLong = QString(40000, u'長'); // beyond the toolkit's own limit of a one-line box
const QString kAsked = u"登録意思確認/この内容で登録します。よろしいですか。"_qs;

} // namespace

class TestRegistration : public QObject {
    Q_OBJECT

private slots:
    // A registration appends the line typed and closes the screen, or, with nothing written and all typed kept,
    // names every field that cannot be stored in one message.
    void registration_data()
    {
        QTest::addColumn<QStringList>("typing"); // "Text3=12" types 12 into Text3, "Text1:…" pastes the text
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("told");
        const auto stored = [](const char *tag, const QStringList &typing, const QByteArray &line) {
            QTest::newRow(tag) << QStringList{"Text3=12", "Text4=15"} + typing << line
                               << QStringList{kAsked, u"登録完了/登録しました。"_qs};
        };
        const auto refused = [](const char *tag, const QStringList &typing, bool yes, const QString &message) {
            QTest::newRow(tag) << typing << QByteArray()
                               << QStringList{kAsked, u"入力エラー/"_qs + message}.mid(0, 1 + yes);
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
            u"「掲載先頭ページ」には -32768 から 32767 までの整数を半角数字で入力してください。"_qs;
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
        QFETCH(QByteArray, line);
        QFETCH(QStringList, told);
        TempDataFolder data;
        data.write(DataFiles::ArticleFile, kExample);
        DialogAnswerer answers;
        answers.answer(told.size() > 1 ? MessageBox::Answer::Yes : MessageBox::Answer::No).ok(); // No: only asked
        const auto form = openScreen(u"Form3"_qs);
        static const QRegularExpression mark(u"[=:]"_qs);
        for (const QString &t : typing) {
            const qsizetype at = t.indexOf(mark);
            QApplication::clipboard()->setText(t.mid(at + 1));
            typeInto(form.get(), t.left(at), t[at] == u':' ? QString() : t.mid(at + 1));
            if (t[at] == u':')
                QTest::keyClick(child<QWidget>(form.get(), t.left(at)), Qt::Key_V, Qt::ControlModifier);
        }
        click(form.get(), u"Command2"_qs);
        QCOMPARE(data.read(DataFiles::ArticleFile), kExample + line);
        QCOMPARE(form->isVisible(), line.isEmpty());
        QCOMPARE(outline(answers), told);
        QCOMPARE(answers.shown().at(0).buttons, (QStringList{u"はい(&Y)"_qs, u"いいえ(&N)"_qs}));
        for (const QString &t : line.isEmpty() ? typing : QStringList()) // all typed stays
            QCOMPARE(shown(form.get(), t.left(t.indexOf(mark))), t.mid(t.indexOf(mark) + 1));
    }

    // An editor appends the name typed and shows the list anew, or refuses what the file cannot hold; No writes
    // nothing.
    void editor_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("listed"); // the new last line of the list shown
        QTest::addColumn<QString>("told");   // after Yes
        const auto row = [](const char *tag, const char *editor, const QString &name, const QByteArray &line,
                            const QString &listed, const QString &told = u"登録完了しました"_qs) {
            QTest::newRow(tag) << editor << name << line << listed
                               << (line.isEmpty() ? u"入力エラー/"_qs : u"登録完了/"_qs) + told;
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
        QFETCH(QString, told);
        TempDataFolder data;
        const bool magazines = editor == u"RZassi";
        const QString list = magazines ? DataFiles::MagazineList : DataFiles::CategoryList;
        const QString question =
            u"登録に関する確認/以上の%1を登録します。一度登録すると二度と削除できませんがよろしいですか。"_qs.arg(
                magazines ? u"雑誌"_qs : u"分野"_qs);
        data.write(list, "\"P\"\r\n\"Q\"\r\n");
        DialogAnswerer answers;
        answers.no().yes().ok().yes().ok();
        const auto screen = openScreen(editor);
        QCOMPARE(shown(screen.get(), u"Text2"_qs), u"P\nQ\n"_qs);
        typeInto(screen.get(), u"Text1"_qs, name);
        for (int i = 0; i < 3; ++i) // No, Yes, the same name again is appended again
            click(screen.get(), u"Command2"_qs);
        QCOMPARE(data.read(list), "\"P\"\r\n\"Q\"\r\n" + line + line);
        QCOMPARE(shown(screen.get(), u"Text2"_qs), u"P\nQ\n"_qs + listed + listed);
        QCOMPARE(shown(screen.get(), u"Text1"_qs), name);
        QCOMPARE(outline(answers).mid(0, 3), (QStringList{question, question, told}));
        QCOMPARE(data.read(magazines ? DataFiles::CategoryList : DataFiles::MagazineList), QByteArray());
    }

    // The saved value ends with one "/"; dot-folders can be chosen (programs keep data under ~/.local/share).
    void folder_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("folder"); // under the working folder, or "/" itself
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QStringList>("files"); // under the working folder afterwards, with their content
        const auto row = [](const char *tag, const char *screen, const char *folder, const char *saved,
                            const QStringList &files) {
            QTest::newRow(tag) << screen << folder << saved << files;
        };
        row("image root", "RGazou", "/", "/", {});
        row("image folder", "RGazou", "a/b", "a/b/", {});
        row("data, data files made where missing", "frmRegistFile", ".hidden/記事", ".hidden/記事/",
            {".hidden/記事/Bunnya.PLR=", ".hidden/記事/Keitai.PLR=", ".hidden/記事/Rireki.PLR=",
             ".hidden/記事/Sakujyo.PLR=", ".hidden/記事/Touroku.PLR=\"kept\"", ".hidden/記事/Zassi.PLR=\"M\""});
    }

    void folder()
    {
        QFETCH(QString, screen);
        QFETCH(QString, folder);
        QFETCH(QString, saved);
        QFETCH(QStringList, files);
        QFile::remove(SettingsStore::filePath(kApplicationName));
        QTemporaryDir temp;
        const QString work = QDir(temp.path()).canonicalPath() + u'/'; // without symbolic links
        QDir::setCurrent(work);
        const bool images = screen == u"RGazou";
        const QString top = folder == u"/" ? QString() : folder.section(u'/', 0, 0);
        if (folder != u"/") {
            QDir(work).mkpath(folder);
            folder.prepend(work), saved.prepend(work);
        }
        if (!images) {
            writeFile(folder + u"/Touroku.PLR"_qs, "\"kept\"");
            writeFile(folder + u"/Zassi.PLR"_qs, "\"M\"");
        }
        DialogAnswerer answers; // OK to every message
        const std::unique_ptr<FolderScreen> dialog(static_cast<FolderScreen *>(openScreen(screen).release()));
        auto *dir1 = child<QTreeView>(dialog.get(), u"Dir1"_qs);
        auto *model = static_cast<QFileSystemModel *>(dir1->model());
        const QModelIndex start = dir1->currentIndex();
        QCOMPARE(start.data().toString(), QDir(work).dirName());
        model->fetchMore(start); // the folders the view lists there, before any path is looked up
        QTRY_VERIFY(top.isEmpty()
                    || model->match(model->index(0, 0, start), Qt::DisplayRole, top, 1, Qt::MatchExactly).size()
                           == 1);
        dir1->setCurrentIndex(model->index(folder));
        click(dialog.get(), u"Command2"_qs);
        QCOMPARE(images ? ImageFolder() : DataFolder(), saved);
        QCOMPARE(images ? DataFolder() : ImageFolder(), QString());
        QCOMPARE(outline(answers), QStringList{u"設定完了/設定完了しました。"_qs});
        QVERIFY(!dialog->isVisible());
        QStringList found;
        for (QDirIterator it(work, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            found << QDir(work).relativeFilePath(path) + u'=' + QString::fromUtf8(readFile(path));
        }
        found.sort();
        QCOMPARE(found, files);
        // Drive1 offers the working folder's volume; choosing it opens its root.
        auto *drive = child<QComboBox>(dialog.get(), u"Drive1"_qs);
        QCOMPARE(drive->currentData().toString(), QStorageInfo(work).rootPath());
        dialog->Drive1_Change();
        QCOMPARE(dialog->chosenFolder(), drive->currentData().toString());
    }
};

PAGELORE_TEST_MAIN(TestRegistration)
#include "tst_registration.moc"
