#include "support/TestSupport.h"

#include "screens/CandidateEditor.h"
#include "screens/Form3.h"
#include "screens/Screens.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>

using namespace pagelore;
using namespace pagelore::test;

namespace {

enum class Which { Magazines, Categories };

std::unique_ptr<CandidateEditor> makeEditor(Which which)
{
    if (which == Which::Magazines)
        return std::make_unique<RZassi>();
    return std::make_unique<RBunnya>();
}

QString listFile(Which which)
{
    return which == Which::Magazines ? DataFiles::MagazineList : DataFiles::CategoryList;
}

// Japanese text reaches a box through the input method's commit.
void typeName(QLineEdit *box, const QString &text)
{
    box->clear();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

QLineEdit *text1(QWidget *w) { return child<QLineEdit>(w, QStringLiteral("Text1")); }
QPlainTextEdit *text2(QWidget *w) { return child<QPlainTextEdit>(w, QStringLiteral("Text2")); }

void clickRegister(QWidget *w)
{
    QTest::mouseClick(child<QPushButton>(w, QStringLiteral("Command2")), Qt::LeftButton);
}

}  // namespace

Q_DECLARE_METATYPE(Which)
Q_DECLARE_METATYPE(pagelore::ScreenId)

class TestCandidateEditor : public QObject {
    Q_OBJECT

private slots:
    void screensDiffer_data();
    void screensDiffer();
    void showsTheList_data();
    void showsTheList();
    void registersAName_data();
    void registersAName();
    void noWritesNothing_data();
    void noWritesNothing();
    void refusesWhatTheFileCannotHold_data();
    void refusesWhatTheFileCannotHold();
    void missingListFile_data();
    void missingListFile();
    void failedAppendNamesTheFile();
    void backClosesWithoutQuestion();
    void addedNameIsOfferedAtNextRegistration_data();
    void addedNameIsOfferedAtNextRegistration();
    void instructionFullyVisible();
};

void TestCandidateEditor::screensDiffer_data()
{
    QTest::addColumn<Which>("which");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("inputCaption");
    QTest::addColumn<QString>("listCaption");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QString>("instructionStart");

    QTest::newRow("RZassi") << Which::Magazines << "よく読む雑誌の登録" << "登録する雑誌名入力欄"
                            << "現在登録されている雑誌名"
                            << "以上の雑誌を登録します。一度登録すると二度と削除できませんがよろしいですか。"
                            << "あなたがよく読む雑誌を下の枠内に";
    QTest::newRow("RBunnya") << Which::Categories << "よく読む分野の登録" << "登録する分野名入力欄"
                             << "現在登録されている分野名"
                             << "以上の分野を登録します。一度登録すると二度と削除できませんがよろしいですか。"
                             << "あなたがよく読む分野(例:ﾊｰﾄﾞｳｪｱ･ｿﾌﾄｳｪｱ･CPU･ﾌﾟﾘﾝﾀ等)を";
}

// The twins share everything but these texts and the file; a mix-up between
// them is the likely fault.
void TestCandidateEditor::screensDiffer()
{
    QFETCH(Which, which);
    QFETCH(QString, title);
    QFETCH(QString, inputCaption);
    QFETCH(QString, listCaption);
    QFETCH(QString, question);
    QFETCH(QString, instructionStart);

    TempDataFolder data;
    DialogAnswerer answers;
    answers.no();
    auto editor = makeEditor(which);
    QVERIFY(editor->Form_Load());
    QCOMPARE(editor->windowTitle(), title);
    QCOMPARE(child<QLabel>(editor.get(), QStringLiteral("Label2"))->text(), inputCaption);
    QCOMPARE(child<QLabel>(editor.get(), QStringLiteral("Label3"))->text(), listCaption);
    QVERIFY(child<QLabel>(editor.get(), QStringLiteral("Label1"))->text().startsWith(instructionStart));
    QCOMPARE(child<QPushButton>(editor.get(), QStringLiteral("Command1"))->text(), QStringLiteral("<<前の画面に戻る"));
    QCOMPARE(child<QPushButton>(editor.get(), QStringLiteral("Command2"))->text(), QStringLiteral("以上を登録する"));
    QCOMPARE(editor->listPath(), data.file(listFile(which)));
    QCOMPARE(editor->focusWidget(), text1(editor.get()));
    clickRegister(editor.get());
    QCOMPARE(answers.texts(), QStringList{question});
    QCOMPARE(answers.titles(), QStringList{QStringLiteral("登録に関する確認")});
    QCOMPARE(answers.shown().at(0).buttons.size(), 2);
}

void TestCandidateEditor::showsTheList_data()
{
    QTest::addColumn<Which>("which");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("shown");

    for (Which which : {Which::Magazines, Which::Categories}) {
        const char *tag = which == Which::Magazines ? "RZassi" : "RBunnya";
        QTest::addRow("%s empty", tag) << which << QByteArray() << QString();
        QTest::addRow("%s P and Q", tag) << which << QByteArray("\"P\"\r\n\"Q\"\r\n") << QStringLiteral("P\nQ\n");
        QTest::addRow("%s duplicates and an empty name", tag)
            << which << sjis(QStringLiteral("\"ｱｽｷｰ\"\r\n\"\"\r\n\"ｱｽｷｰ\"\r\n")) << QStringLiteral("ｱｽｷｰ\n\nｱｽｷｰ\n");
    }
}

void TestCandidateEditor::showsTheList()
{
    QFETCH(Which, which);
    QFETCH(QByteArray, file);
    QFETCH(QString, shown);

    TempDataFolder data;
    data.write(listFile(which), file);
    DialogAnswerer answers;
    auto editor = makeEditor(which);
    QVERIFY(editor->Form_Load());
    QCOMPARE(text2(editor.get())->toPlainText(), shown);
    QCOMPARE(text1(editor.get())->text(), QString());
    QCOMPARE(answers.shown().size(), 0);
}

void TestCandidateEditor::registersAName_data()
{
    QTest::addColumn<Which>("which");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("shownLast");

    for (Which which : {Which::Magazines, Which::Categories}) {
        const char *tag = which == Which::Magazines ? "RZassi" : "RBunnya";
        QTest::addRow("%s R", tag) << which << "R" << QByteArray("\"R\"\r\n") << "R\n";
        QTest::addRow("%s Japanese", tag) << which << "日経ﾊﾞｲﾄ" << sjis(QStringLiteral("\"日経ﾊﾞｲﾄ\"\r\n"))
                                          << "日経ﾊﾞｲﾄ\n";
        QTest::addRow("%s empty name", tag) << which << "" << QByteArray("\"\"\r\n") << "\n";
        QTest::addRow("%s spaces and comma kept", tag) << which << " A, B " << QByteArray("\" A, B \"\r\n") << " A, B \n";
    }
}

void TestCandidateEditor::registersAName()
{
    QFETCH(Which, which);
    QFETCH(QString, name);
    QFETCH(QByteArray, line);
    QFETCH(QString, shownLast);

    TempDataFolder data;
    const QByteArray before = "\"P\"\r\n\"Q\"\r\n";
    data.write(listFile(which), before);
    DialogAnswerer answers;
    auto editor = makeEditor(which);
    QVERIFY(editor->Form_Load());
    editor->show();
    typeName(text1(editor.get()), name);

    answers.yes().ok();
    clickRegister(editor.get());
    QCOMPARE(data.read(listFile(which)), before + line);
    QCOMPARE(text2(editor.get())->toPlainText(), QStringLiteral("P\nQ\n") + shownLast);
    QCOMPARE(text1(editor.get())->text(), name);
    QCOMPARE(answers.texts().at(1), QStringLiteral("登録完了しました"));
    QCOMPARE(answers.titles().at(1), QStringLiteral("登録完了"));
    QCOMPARE(answers.shown().at(1).buttons.size(), 1);
    QVERIFY(editor->isVisible());

    // The same name again is appended again.
    answers.yes().ok();
    clickRegister(editor.get());
    QCOMPARE(data.read(listFile(which)), before + line + line);
    QCOMPARE(text2(editor.get())->toPlainText(), QStringLiteral("P\nQ\n") + shownLast + shownLast);
    QCOMPARE(answers.unexpected(), 0);
    // The other list is not touched.
    const QString other = which == Which::Magazines ? DataFiles::CategoryList : DataFiles::MagazineList;
    QCOMPARE(data.read(other), QByteArray());
}

void TestCandidateEditor::noWritesNothing_data()
{
    QTest::addColumn<Which>("which");
    QTest::newRow("RZassi") << Which::Magazines;
    QTest::newRow("RBunnya") << Which::Categories;
}

void TestCandidateEditor::noWritesNothing()
{
    QFETCH(Which, which);
    TempDataFolder data;
    data.write(listFile(which), "\"P\"\r\n");
    DialogAnswerer answers;
    answers.no();
    auto editor = makeEditor(which);
    QVERIFY(editor->Form_Load());
    typeName(text1(editor.get()), QStringLiteral("新しい名前"));
    clickRegister(editor.get());
    QCOMPARE(answers.shown().size(), 1);
    QCOMPARE(data.read(listFile(which)), QByteArray("\"P\"\r\n"));
    QCOMPARE(text1(editor.get())->text(), QStringLiteral("新しい名前"));
    QCOMPARE(text2(editor.get())->toPlainText(), QStringLiteral("P\n"));
}

void TestCandidateEditor::refusesWhatTheFileCannotHold_data()
{
    QTest::addColumn<Which>("which");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expects");

    QTest::newRow("RZassi double quote") << Which::Magazines << "PC\"World\"" << "二重引用符";
    QTest::newRow("RBunnya double quote") << Which::Categories << "\"" << "二重引用符";
    QTest::newRow("RZassi hangul") << Which::Magazines << "월간" << "シフトJISで表せない";
    QTest::newRow("RBunnya emoji") << Which::Categories << "CPU😀" << "シフトJISで表せない";
}

void TestCandidateEditor::refusesWhatTheFileCannotHold()
{
    QFETCH(Which, which);
    QFETCH(QString, name);
    QFETCH(QString, expects);

    TempDataFolder data;
    data.write(listFile(which), "\"P\"\r\n");
    DialogAnswerer answers;
    answers.yes().ok();
    auto editor = makeEditor(which);
    QVERIFY(editor->Form_Load());
    typeName(text1(editor.get()), name);
    clickRegister(editor.get());

    QCOMPARE(data.read(listFile(which)), QByteArray("\"P\"\r\n"));
    QCOMPARE(answers.titles().at(1), QStringLiteral("入力エラー"));
    const QString message = answers.texts().at(1);
    QVERIFY2(message.contains(child<QLabel>(editor.get(), QStringLiteral("Label2"))->text()), qPrintable(message));
    QVERIFY2(message.contains(expects), qPrintable(message));
    QCOMPARE(text1(editor.get())->text(), name);
    QCOMPARE(text2(editor.get())->toPlainText(), QStringLiteral("P\n"));
    QCOMPARE(answers.unexpected(), 0);
}

void TestCandidateEditor::missingListFile_data()
{
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<QString>("named");

    QTest::newRow("RZassi") << ScreenId::MagazineList << DataFiles::MagazineList << true << DataFiles::MagazineList;
    QTest::newRow("RBunnya") << ScreenId::CategoryList << DataFiles::CategoryList << true << DataFiles::CategoryList;
    QTest::newRow("RZassi, no data folder") << ScreenId::MagazineList << DataFiles::MagazineList << false
                                            << QStringLiteral("保管場所がまだ指定されていない");
}

// The screen does not open, and nothing is created behind the user's back.
void TestCandidateEditor::missingListFile()
{
    QFETCH(ScreenId, screen);
    QFETCH(QString, file);
    QFETCH(bool, chosen);
    QFETCH(QString, named);

    TempDataFolder data;
    QVERIFY(QFile::remove(data.file(file)));
    if (!chosen)
        SettingsStore::SaveSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address"), QString());
    const QStringList workingBefore = QDir::current().entryList(QDir::Files);
    DialogAnswerer answers;
    answers.ok();
    bool opened = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    guard.start(50);
    openScreenModal(screen);

    QVERIFY(!opened);
    QCOMPARE(answers.titles(), QStringList{QStringLiteral("ファイルエラー")});
    QVERIFY2(answers.texts().at(0).contains(named), qPrintable(answers.texts().at(0)));
    QVERIFY(answers.texts().at(0).contains(QStringLiteral("「記事ﾃﾞｰﾀの保管場所の指定」")));
    QVERIFY(!QFile::exists(data.file(file)));
    QCOMPARE(QDir::current().entryList(QDir::Files), workingBefore);
}

void TestCandidateEditor::failedAppendNamesTheFile()
{
    TempDataFolder data;
    DialogAnswerer answers;
    RZassi editor;
    QVERIFY(editor.Form_Load());
    typeName(text1(&editor), QStringLiteral("ASCII"));
    QVERIFY(QFile::remove(data.file(DataFiles::MagazineList)));
    QVERIFY(QDir(data.path()).mkdir(DataFiles::MagazineList));
    answers.yes().ok();
    clickRegister(&editor);
    QCOMPARE(answers.titles(), (QStringList{QStringLiteral("登録に関する確認"), QStringLiteral("ファイルエラー")}));
    QVERIFY(answers.texts().at(1).contains(DataFiles::MagazineList));
    QCOMPARE(text1(&editor)->text(), QStringLiteral("ASCII"));
}

void TestCandidateEditor::backClosesWithoutQuestion()
{
    TempDataFolder data;
    DialogAnswerer answers;
    RBunnya editor;
    QVERIFY(editor.Form_Load());
    editor.show();
    typeName(text1(&editor), QStringLiteral("CPU"));
    QTest::mouseClick(child<QPushButton>(&editor, QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!editor.isVisible());
    QCOMPARE(answers.shown().size(), 0);
    QCOMPARE(data.read(DataFiles::CategoryList), QByteArray());
}

void TestCandidateEditor::addedNameIsOfferedAtNextRegistration_data()
{
    QTest::addColumn<ScreenId>("screen");
    QTest::addColumn<QString>("combo");
    QTest::newRow("RZassi to Combo1") << ScreenId::MagazineList << "Combo1";
    QTest::newRow("RBunnya to Combo2") << ScreenId::CategoryList << "Combo2";
}

void TestCandidateEditor::addedNameIsOfferedAtNextRegistration()
{
    QFETCH(ScreenId, screen);
    QFETCH(QString, combo);

    TempDataFolder data;
    data.write(DataFiles::MagazineList, "\"Old\"\r\n");
    data.write(DataFiles::CategoryList, "\"Old\"\r\n");
    DialogAnswerer answers;
    answers.yes().ok();
    const auto modalGuard = whenModalOpens([](QWidget *editor) {
        typeName(text1(editor), QStringLiteral("新顔"));
        clickRegister(editor);
        QTest::mouseClick(child<QPushButton>(editor, QStringLiteral("Command1")), Qt::LeftButton);
    });
    openScreenModal(screen);
    QCOMPARE(answers.unexpected(), 0);

    Form3 form;
    QVERIFY(form.Form_Load());
    auto *box = child<QComboBox>(&form, combo);
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->itemText(0), QStringLiteral("Old"));
    QCOMPARE(box->itemText(1), QStringLiteral("新顔"));
}

void TestCandidateEditor::instructionFullyVisible()
{
    TempDataFolder data;
    for (Which which : {Which::Magazines, Which::Categories}) {
        auto editor = makeEditor(which);
        QVERIFY(editor->Form_Load());
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
        auto *label = child<QLabel>(editor.get(), QStringLiteral("Label1"));
        QVERIFY(label->wordWrap());
        QVERIFY(label->height() >= label->heightForWidth(label->width()));
    }
}

PAGELORE_TEST_MAIN(TestCandidateEditor)
#include "tst_candidateeditor.moc"
