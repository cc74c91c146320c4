// Every kind of awkward text in every text field of every screen that takes
// text. A field either stores the text exactly as typed, or the screen says
// which field is wrong and writes nothing; a search either runs or names the
// field it cannot use.

#include "support/TestSupport.h"

#include "screens/CandidateEditor.h"
#include "screens/Form2.h"
#include "screens/Form3.h"
#include "platform/Cp932.h"
#include "screens/Form4.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"
#include "storage/TypedInput.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <functional>

using namespace pagelore;
using namespace pagelore::test;

namespace {

enum class Screen { Register, Search, DeleteSearch, MagazineList, CategoryList };
enum class Kind { Text, Int16, UInt8, Date };

struct Field {
    Screen screen;
    const char *name;
    Kind kind;
    QString caption;  // what a message about the field must name
    std::function<void(ArticleRecord &, const QString &)> store;  // registration only
};

QList<Field> fields()
{
    using A = ArticleRecord;
    auto text = [](QString A::*m) { return [m](A &a, const QString &t) { a.*m = t; }; };
    QList<Field> f = {
        {Screen::Register, "Text1", Kind::Text, QStringLiteral("記事名"), text(&A::Title)},
        {Screen::Register, "Text2", Kind::Text, QStringLiteral("記者名"), text(&A::Writer)},
        {Screen::Register, "Combo1", Kind::Text, QStringLiteral("掲載雑誌名"), text(&A::Magazine)},
        {Screen::Register, "Text3", Kind::Int16, QStringLiteral("掲載先頭ページ"),
         [](A &a, const QString &t) { a.FirstPage = *TypedInput::toInt16(t); }},
        {Screen::Register, "Text4", Kind::Int16, QStringLiteral("掲載末尾ページ"),
         [](A &a, const QString &t) { a.LastPage = *TypedInput::toInt16(t); }},
        {Screen::Register, "Combo2", Kind::Text, QStringLiteral("分野"), text(&A::Category)},
        {Screen::Register, "Combo3", Kind::Text, QStringLiteral("掲載形態"), text(&A::PublicationForm)},
        {Screen::Register, "Text5", Kind::Date, QStringLiteral("掲載年月日"),
         [](A &a, const QString &t) { a.PublicationDate = *TypedInput::toDate(t); }},
        {Screen::Register, "Text6", Kind::Text, QStringLiteral("内容"), text(&A::Content)},
        {Screen::Register, "Text7", Kind::Text, QStringLiteral("第一キーワード"), text(&A::Keyword1)},
        {Screen::Register, "Text8", Kind::Text, QStringLiteral("第二キーワード"), text(&A::Keyword2)},
        {Screen::Register, "Text9", Kind::Text, QStringLiteral("第三キーワード"), text(&A::Keyword3)},
        {Screen::Register, "Text10", Kind::Text, QStringLiteral("基本ﾌｧｲﾙ名"), text(&A::ImageBase)},
        {Screen::Register, "Text11", Kind::UInt8, QStringLiteral("初期ﾌｧｲﾙ番号"),
         [](A &a, const QString &t) { a.FirstImageNo = *TypedInput::toUInt8(t); }},
        {Screen::Register, "Text12", Kind::UInt8, QStringLiteral("最終ﾌｧｲﾙ番号"),
         [](A &a, const QString &t) { a.LastImageNo = *TypedInput::toUInt8(t); }},
        {Screen::MagazineList, "Text1", Kind::Text, QStringLiteral("雑誌名"), {}},
        {Screen::CategoryList, "Text1", Kind::Text, QStringLiteral("分野名"), {}},
    };
    for (Screen s : {Screen::Search, Screen::DeleteSearch}) {
        f += {s, "Text1", Kind::Text, QStringLiteral("記事名"), {}};
        f += {s, "Text2", Kind::Text, QStringLiteral("記者名"), {}};
        f += {s, "Combo1", Kind::Text, QStringLiteral("掲載雑誌名"), {}};
        f += {s, "Text3", Kind::Int16, QStringLiteral("検索ページ"), {}};
        f += {s, "Combo2", Kind::Text, QStringLiteral("分野"), {}};
        f += {s, "Combo3", Kind::Text, QStringLiteral("掲載形態"), {}};
        f += {s, "Text4", Kind::Date, QStringLiteral("掲載年月日"), {}};
        f += {s, "Text5", Kind::Text, QStringLiteral("第一キーワード"), {}};
        f += {s, "Text6", Kind::Text, QStringLiteral("第二キーワード"), {}};
    }
    return f;
}

bool representable(const QString &text)
{
    return Cp932::encode(text).ok;
}

// Puts the text into the field and gives back what the field holds: a
// one-line box keeps at most its maximum length (32767 characters).
QString setText(QWidget *screen, const char *name, const QString &text)
{
    QWidget *w = child<QWidget>(screen, QString::fromLatin1(name));
    if (auto *e = qobject_cast<QLineEdit *>(w)) {
        e->setText(text);
        return e->text();
    }
    if (auto *c = qobject_cast<QComboBox *>(w)) {
        c->setEditText(text);
        return c->currentText();
    }
    auto *p = qobject_cast<QPlainTextEdit *>(w);
    p->setPlainText(text);
    return p->toPlainText();
}

}  // namespace

Q_DECLARE_METATYPE(Screen)

class TestBadInputSweep : public QObject {
    Q_OBJECT

private slots:
    void sweep_data();
    void sweep();
};

void TestBadInputSweep::sweep_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    const QList<QPair<const char *, QString>> texts = {
        {"empty", QString()},
        {"spaces only", QStringLiteral("   ")},
        {"double quote", QStringLiteral("a\"b")},
        {"not in code page 932", QStringLiteral("한글")},
        {"emoji", QStringLiteral("😀")},
        {"100000 characters", QString(100000, u'長')},
        {"pattern characters", QStringLiteral("*?#[!a-z]")},
        {"number too large", QStringLiteral("99999")},
        {"number too small", QStringLiteral("-40000")},
        {"full-width digits", QStringLiteral("１２")},
        {"February 30", QStringLiteral("2024/2/30")},
        {"0/0/0", QStringLiteral("0/0/0")},
    };
    const QList<Field> all = fields();
    const char *screens[] = {"Form3", "Form2", "Form4", "RZassi", "RBunnya"};
    for (int i = 0; i < all.size(); ++i) {
        for (const auto &t : texts) {
            QTest::addRow("%s %s: %s", screens[static_cast<int>(all[i].screen)], all[i].name, t.first)
                << i << t.second;
        }
    }
}

void TestBadInputSweep::sweep()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    const Field f = fields().at(field);

    TempDataFolder data;
    const QByteArray articles = ArticleRecord{}.encode();
    data.write(DataFiles::ArticleFile, articles);
    DialogAnswerer answers;

    bool convertible = true;
    if (f.kind == Kind::Int16)
        convertible = TypedInput::toInt16(text).has_value();
    else if (f.kind == Kind::UInt8)
        convertible = TypedInput::toUInt8(text).has_value();
    else if (f.kind == Kind::Date)
        convertible = TypedInput::toDate(text).has_value();

    switch (f.screen) {
    case Screen::Register: {
        Form3 form;
        QVERIFY(form.Form_Load());
        form.show();
        setText(&form, "Text3", QStringLiteral("1"));
        setText(&form, "Text4", QStringLiteral("2"));
        text = setText(&form, f.name, text);
        answers.yes().ok();
        QTest::mouseClick(child<QPushButton>(&form, QStringLiteral("Command2")), Qt::LeftButton);
        const bool storable = convertible && (f.kind != Kind::Text || (!text.contains(u'"') && representable(text)));
        QCOMPARE(answers.shown().size(), 2);
        if (storable) {
            ArticleRecord expected;
            expected.FirstPage = 1;
            expected.LastPage = 2;
            expected.PublicationDate = *TypedInput::toDate(QStringLiteral("1990/1/1"));
            expected.LastImageNo = 255;
            f.store(expected, text);
            QCOMPARE(answers.titles().last(), QStringLiteral("登録完了"));
            QCOMPARE(data.read(DataFiles::ArticleFile), articles + expected.encode());
        } else {
            QCOMPARE(answers.titles().last(), kInputErrorTitle);
            QVERIFY2(answers.texts().last().contains(f.caption), qPrintable(answers.texts().last()));
            QCOMPARE(data.read(DataFiles::ArticleFile), articles);
            QVERIFY(form.isVisible());
        }
        break;
    }
    case Screen::MagazineList:
    case Screen::CategoryList: {
        std::unique_ptr<CandidateEditor> editor;
        if (f.screen == Screen::MagazineList)
            editor = std::make_unique<RZassi>();
        else
            editor = std::make_unique<RBunnya>();
        QVERIFY(editor->Form_Load());
        editor->show();
        text = setText(editor.get(), f.name, text);
        answers.yes().ok();
        QTest::mouseClick(child<QPushButton>(editor.get(), QStringLiteral("Command2")), Qt::LeftButton);
        const QString list = f.screen == Screen::MagazineList ? DataFiles::MagazineList : DataFiles::CategoryList;
        if (!text.contains(u'"') && representable(text)) {
            QCOMPARE(answers.titles().last(), QStringLiteral("登録完了"));
            QCOMPARE(data.read(list), sjis(u'"' + text + QStringLiteral("\"\r\n")));
        } else {
            QCOMPARE(answers.titles().last(), kInputErrorTitle);
            QVERIFY2(answers.texts().last().contains(f.caption), qPrintable(answers.texts().last()));
            QCOMPARE(data.read(list), QByteArray());
        }
        break;
    }
    case Screen::Search:
    case Screen::DeleteSearch: {
        std::unique_ptr<SearchConditionsScreen> form;
        if (f.screen == Screen::Search)
            form = std::make_unique<Form2>();
        else
            form = std::make_unique<Form4>();
        form->show();
        text = setText(form.get(), f.name, text);
        bool browserOpened = false;
        QTimer::singleShot(0, form.get(), [&] {
            if (QWidget *browser = QApplication::activeModalWidget()) {
                browserOpened = true;
                QTest::keyClick(browser, Qt::Key_Escape);
            }
        });
        answers.yes().ok().ok().ok();
        QTest::mouseClick(child<QPushButton>(form.get(), QStringLiteral("Command2")), Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(browserOpened, convertible);
        if (!convertible) {
            QCOMPARE(answers.titles().last(), kInputErrorTitle);
            QVERIFY2(answers.texts().last().contains(f.caption), qPrintable(answers.texts().last()));
        }
        QVERIFY(form->isVisible());
        QCOMPARE(data.read(DataFiles::ArticleFile), articles);
        break;
    }
    }
}

PAGELORE_TEST_MAIN(TestBadInputSweep)
#include "tst_badinputsweep.moc"
