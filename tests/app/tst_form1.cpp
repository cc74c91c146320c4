#include "app/Form1.h"
#include "storage/DataFiles.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTreeView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

using namespace pagelore;

namespace {

QAction *entry(Form1 &form, const QString &name)
{
    auto *action = form.findChild<QAction *>(name);
    if (!action)
        qFatal("menu entry %s not found", qPrintable(name));
    return action;
}

// A click delivered the way the platform delivers it, through the window, so
// that modality applies (a click sent to the widget itself would bypass it).
void clickThroughWindow(QWidget *button)
{
    QWidget *window = button->window();
    const QPoint at = button->mapTo(window, button->rect().center());
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
}

}  // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void buttons_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("geometry");
        // Twips / 15: 120 -> 8, 840 -> 56, 2520 -> 168, 2175 x 495 -> 145 x 33.
        QTest::newRow("Command1") << "Command1" << "記事を検索" << QRect(8, 8, 145, 33);
        QTest::newRow("Command2") << "Command2" << "記事を登録" << QRect(8, 56, 145, 33);
        QTest::newRow("Command3") << "Command3" << "記事を削除" << QRect(168, 8, 145, 33);
        QTest::newRow("Command4") << "Command4" << "終了" << QRect(168, 56, 145, 33);
    }

    void buttons()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QRect, geometry);
        Form1 form;
        auto *button = test::child<QPushButton>(&form, name);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->geometry(), geometry);
        QVERIFY(button->font().bold());
        QCOMPARE(button->font().pointSize(), 12);
        QCOMPARE(form.centralWidget()->size(), QSize(321, 100));
        QCOMPARE(form.windowTitle(), QStringLiteral("PageloreSuite"));
    }

    void focusOrder()
    {
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QStringList order;
        for (int i = 0; i < 4; ++i) {
            order << QApplication::focusWidget()->objectName();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(order, (QStringList{"Command1", "Command2", "Command3", "Command4"}));
    }

    void menu()
    {
        Form1 form;
        const QList<QAction *> bar = form.menuBar()->actions();
        QCOMPARE(bar.size(), 1);
        QCOMPARE(bar.first()->text(), QStringLiteral("ﾌｧｲﾙ"));
        auto *file = test::child<QMenu>(&form, QStringLiteral("File"));
        QCOMPARE(bar.first()->menu(), file);

        struct Row {
            const char *name;
            QString text;
            QKeySequence shortcut;
        };
        const QList<Row> expected = {
            {"WriteDown", "記事ﾃﾞｰﾀの書き出し", QKeySequence("Ctrl+W")},
            {"ReadIn", "記事ﾃﾞｰﾀの読み込み", QKeySequence("Ctrl+R")},
            {"Bar1", {}, {}},
            {"Zassi", "よく読む雑誌の登録", {}},
            {"Bunnya", "分野の登録(例:ﾊｰﾄﾞｳｪｱ･ｿﾌﾄｳｪｱ･CPU等)", {}},
            {"Bar2", {}, {}},
            {"SaveAdd", "記事ﾃﾞｰﾀの保管場所の指定", {}},
            {"gazou", "記事紙面画像ﾌｧｲﾙの場所指定", {}},
            {"INI", "初期化(場所は保持されますが全ての登録された内容は削除されます)", QKeySequence("Ctrl+I")},
            {"Bar3", {}, {}},
            {"End", "終了", QKeySequence("Ctrl+Q")},
        };
        const QList<QAction *> actions = file->actions();
        QCOMPARE(actions.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            const QString where = QString::fromLatin1(expected[i].name);
            QCOMPARE(actions[i]->objectName(), where);
            QCOMPARE(actions[i]->isSeparator(), where.startsWith(QStringLiteral("Bar")));
            QCOMPARE(actions[i]->text(), expected[i].text);
            QCOMPARE(actions[i]->shortcut(), expected[i].shortcut);
        }
    }

    void endingTheProgram_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Command4") << "Command4";
        QTest::newRow("menu End") << "End";
        QTest::newRow("Ctrl+Q") << "Ctrl+Q";
        QTest::newRow("close button") << "close";
    }

    void endingTheProgram()
    {
        QFETCH(QString, how);
        test::DialogAnswerer answers;
        Form1 form;
        QTimer::singleShot(0, &form, [&] {
            QVERIFY(QTest::qWaitForWindowActive(&form));
            if (how == QLatin1String("Command4"))
                clickThroughWindow(test::child<QPushButton>(&form, how));
            else if (how == QLatin1String("End"))
                entry(form, how)->trigger();
            else if (how == QLatin1String("Ctrl+Q"))
                QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
            else
                form.close();
        });
        // Fails the test instead of hanging when the way out does not work.
        QTimer::singleShot(5000, &form, [&] {
            if (form.isVisible()) {
                QFAIL("the main window did not end");
            }
        });
        QCOMPARE(form.showModal(), 0);
        QVERIFY(!form.isVisible());
        QVERIFY(answers.shown().isEmpty());
    }

    // While a screen is open the main window takes no input; afterwards it does.
    void screensAreModal_data()
    {
        QTest::addColumn<QString>("entryName");
        QTest::addColumn<QString>("screen");
        QTest::newRow("SaveAdd") << "SaveAdd" << "frmRegistFile";
        QTest::newRow("gazou") << "gazou" << "RGazou";
    }

    void screensAreModal()
    {
        QFETCH(QString, entryName);
        QFETCH(QString, screen);
        test::DialogAnswerer answers;
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QString opened;
        const auto modalGuard = test::whenModalOpens([&](QWidget *modal) {
            opened = modal->objectName();
            // A click on the main window's quit button must not get through.
            clickThroughWindow(test::child<QPushButton>(&form, QStringLiteral("Command4")));
            QTest::qWait(20);
            QVERIFY(form.isVisible());
            QTest::mouseClick(test::child<QPushButton>(modal, QStringLiteral("Command1")), Qt::LeftButton);
        });
        entry(form, entryName)->trigger();
        QCOMPARE(opened, screen);
        QVERIFY(form.isVisible());
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The collection operations start with their question or prompt; each
    // answered with Cancel or No changes nothing.
    void collectionEntries_data()
    {
        QTest::addColumn<QString>("entryName");
        QTest::addColumn<bool>("input");
        QTest::newRow("WriteDown") << "WriteDown" << true;
        QTest::newRow("ReadIn") << "ReadIn" << true;
        QTest::newRow("INI") << "INI" << false;
    }

    void collectionEntries()
    {
        QFETCH(QString, entryName);
        QFETCH(bool, input);
        test::TempDataFolder data;
        data.write(DataFiles::ArticleFile, test::sjis(QStringLiteral("\"記事\"\r\n")));
        test::DialogAnswerer answers;
        if (input)
            answers.cancel();
        else
            answers.no();
        Form1 form;
        entry(form, entryName)->trigger();
        QCOMPARE(answers.shown().size(), 1);
        QCOMPARE(answers.shown().first().kind,
                 input ? MessageBox::ShownBox::Kind::Input : MessageBox::ShownBox::Kind::Message);
        QCOMPARE(answers.unexpected(), 0);
        QCOMPARE(data.read(DataFiles::ArticleFile), test::sjis(QStringLiteral("\"記事\"\r\n")));
    }
    // The folder chosen applies at once: the next operation from the main
    // window works on the new folder and leaves the old one alone.
    void choiceAppliesToTheNextAction()
    {
        test::TempDataFolder old;
        const QByteArray article = test::sjis(QStringLiteral("\"記事\"\r\n"));
        old.write(DataFiles::ArticleFile, article);
        const QString chosen = m_work.path() + QStringLiteral("/chosen");
        QDir().mkpath(chosen);
        test::writeFile(chosen + QStringLiteral("/Touroku.PLR"), article);

        test::DialogAnswerer answers;
        answers.ok().yes().ok();
        Form1 form;
        const auto modalGuard = test::whenModalOpens([&](QWidget *modal) {
            auto *tree = test::child<QTreeView>(modal, QStringLiteral("Dir1"));
            tree->setCurrentIndex(static_cast<QFileSystemModel *>(tree->model())->index(chosen));
            QTest::mouseClick(test::child<QPushButton>(modal, QStringLiteral("Command2")), Qt::LeftButton);
        });
        form.findChild<QAction *>(QStringLiteral("SaveAdd"))->trigger();
        form.findChild<QAction *>(QStringLiteral("INI"))->trigger();

        QCOMPARE(answers.unexpected(), 0);
        QCOMPARE(test::readFile(chosen + QStringLiteral("/Touroku.PLR")), QByteArray());
        QCOMPARE(old.read(DataFiles::ArticleFile), article);
    }

private:
    QTemporaryDir m_work;
};

PAGELORE_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
