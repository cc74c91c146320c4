// The main window and the start-up: texts, what each button, menu entry and shortcut does, the splash's time and
// the single-copy rule.

#include "support/TestSupport.h"

#include "app/Form1.h"
#include "app/frmSplash.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

using namespace pagelore;
using namespace pagelore::test;
using namespace std::chrono_literals;

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void texts()
    {
        Form1 form;
        frmSplash splash;
        QStringList shown{form.windowTitle()};
        for (const QPushButton *button : form.findChildren<QPushButton *>())
            shown << button->text();
        for (const QAction *menu : form.menuBar()->actions()) {
            shown << menu->text();
            for (const QAction *entry : menu->menu()->actions())
                shown << entry->text();
        }
        for (const QLabel *label : splash.findChildren<QLabel *>())
            shown << label->text(); // the logo shows no text
        QCOMPARE(shown.join(u'|'), QString("PageloreSuite|記事を検索|記事を登録|記事を削除|終了|ﾌｧｲﾙ|"
                                           "記事ﾃﾞｰﾀの書き出し|記事ﾃﾞｰﾀの読み込み||よく読む雑誌の登録|"
                                           "分野の登録(例:ﾊｰﾄﾞｳｪｱ･ｿﾌﾄｳｪｱ･CPU等)||記事ﾃﾞｰﾀの保管場所の指定|"
                                           "記事紙面画像ﾌｧｲﾙの場所指定|"
                                           "初期化(場所は保持されますが全ての登録された内容は削除されます)||終了|"
                                           "一覧|記事一覧・かんたん検索||"
                                           "Pagelore|ﾊﾞｰｼﾞｮﾝ 1.1.0|For 32bit Windows System"));
    }

    // Each button, menu entry and shortcut: the screen it opens modally (the main window taking no click
    // meanwhile), the end of the program, or what a collection action asks and reports (after No, Cancel or "",
    // nothing more).
    void actions_data()
    {
        QTest::addColumn<QString>("how");    // a button, a menu entry or a shortcut
        QTest::addColumn<QString>("answer"); // to the question or prompt; "<out>": a folder
        QTest::addColumn<QString>("shown");  // the screen, or each box's title and text; empty: the program ends
        const auto row = [](const QString &how, const QString &answer, const QString &shown) {
            QTest::newRow(qPrintable(answer.isEmpty() ? how : how + ", " + answer)) << how << answer << shown;
        };
        const char *const screens[][2] = {{"Command1", "Form2"},        {"Command2", "Form3"},
                                          {"Command3", "Form4"},        {"Zassi", "RZassi"},
                                          {"Bunnya", "RBunnya"},        {"gazou", "RGazou"},
                                          {"SaveAdd", "frmRegistFile"}, {"Ctrl+F", "ArticleListScreen"}};
        for (const auto &[how, screen] : screens)
            row(how, "", "pagelore::" + QString(screen));
        for (const char *how : {"Command4", "Ctrl+Q", "close button"})
            row(how, "", "");
        const QString ask = "削除確認|全ての記事データは消えます。よろしいですか。";
        const QString path =
            "書き出し先パス名|記事を%1先のパス名を入力してください。ただし、全角/半角に気をつけて、"
            "最後に必ず「/」をつけてください。";
        row("Ctrl+I", "no", ask);
        row("Ctrl+I", "<Enter>", "QMessageBox");
        row("Ctrl+I", "yes", ask + "|削除完了|全ての記事データの削除が完了いたしました。");
        row("Ctrl+W", "", path.arg("書き出す"));
        row("Ctrl+R", "<cancel>", path.arg("読み込む"));
        row("Ctrl+R", "<out>", path.arg("読み込む") + "|コピー完了|コピー完了");
    }
    void actions()
    {
        QFETCH(QString, how);
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        TempDataFolder data;
        QTemporaryDir other;
        const QString out = other.path() + u'/';
        for (const QString &name : DataFiles::all())
            writeFile(out + name, "\"o\"\r\n");
        setImageFolder("/images/");
        DialogAnswerer answers;
        if (answer == "<Enter>")
            MessageBox::setHook(nullptr); // a real message box
        else if (answer == "yes" || answer == "no")
            (answer == "yes" ? answers.yes() : answers.no()).ok();
        else if (answer == "<cancel>")
            answers.cancel();
        else
            answers.type(answer == "<out>" ? out : answer).ok();
        Form1 form;
        QString opened;
        const ModalGuard::Action onScreen = [&](QWidget *dialog) {
            // Delivered through the window, as the platform delivers a click, which the modal screen keeps.
            const QWidget *end = child<QPushButton>(&form, "Command4");
            QTest::mouseClick(form.windowHandle(), Qt::LeftButton, {}, end->mapTo(&form, end->rect().center()));
            opened = dialog->metaObject()->className() + QString(form.isVisible() ? "" : " (and ended)");
            if (answer == "<Enter>")
                QTest::keyClick(dialog, Qt::Key_Return);
            else
                dialog->close();
        };
        const bool modal = !shown.isEmpty() && !shown.contains(u'|');
        const ModalGuard guard = modal ? whenModalOpens(onScreen) : forbidModal();
        QTimer::singleShot(0, &form, [&] {
            QVERIFY(QTest::qWaitForWindowActive(&form));
            if (how == "close button")
                form.close();
            else if (auto *button = form.findChild<QPushButton *>(how))
                QTest::mouseClick(button, Qt::LeftButton);
            else if (auto *entry = form.findChild<QAction *>(how))
                entry->trigger();
            else
                QTest::keySequence(&form, QKeySequence(how));
            if (!shown.isEmpty())
                form.close(); // the screen or the action has ended
        });
        // A way out that does not work fails the test instead of hanging it.
        bool stuck = false;
        QTimer::singleShot(5000, &form, [&] { stuck = true, form.Command4_Click(), form.close(); });
        QCOMPARE(form.showModal(), 0);
        QVERIFY(!stuck);
        for (const MessageBox::ShownBox &box : answers.shown())
            opened += (opened.isEmpty() ? "" : "|") + box.title + u'|' + box.text;
        QCOMPARE(opened, shown);
        QCOMPARE(answers.unexpected(), 0);
        QCOMPARE(DataFolder() + ImageFolder(), data.path() + "/images/"); // no action changes the settings
    }

    // The splash shows alone for its time on the clock, counted from when it can be seen, however early a letter
    // or a click on its frame closes it; then the main window shows until it is closed.
    void startUp_data()
    {
        QTest::addColumn<int>("key");      // 0: a click on the logo, which lies on the frame
        QTest::addColumn<QString>("seen"); // the clock's time and the windows visible, at each change
        QTest::newRow("letter") << int(Qt::Key_X) << "1000 splash|1000|2499|2500 main";
        QTest::newRow("arrow") << int(Qt::Key_Left) << "1000 splash|2499 splash|2500 main";
        QTest::newRow("click") << 0 << "1000 splash|1000|2499|2500 main";
    }
    void startUp()
    {
        QFETCH(int, key);
        QFETCH(QString, seen);
        Form1 form;
        const auto splash = []() -> QWidget * {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (qobject_cast<frmSplash *>(w) && w->isVisible() && w->windowHandle()->isExposed())
                    return w;
            return nullptr;
        };
        // The display takes a second to show the splash.
        qint64 now = 0;
        const SplashClock clock = [&] {
            if (now == 0 && splash())
                now = 1000;
            return now;
        };
        int tick = 0, step = 0;
        QStringList log;
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] {
            QWidget *shown = splash();
            if (clock() == 0 && ++tick < 500)
                return;
            const QString state =
                QString::number(now) + (shown ? " splash" : "") + (form.isVisible() ? " main" : "");
            if (log.isEmpty() || log.last() != state)
                log << state;
            if (++step == 1 && shown)
                key ? QTest::keyClick(shown, Qt::Key(key))
                    : QTest::mouseClick(child<QWidget>(shown, "imgLogo"), Qt::LeftButton);
            else if (step == 3 || step == 5)
                now = step == 3 ? 2499 : 2500;
            else if (form.isVisible() || step > 500) // ends both waits, by either way out
                now = 1 << 30, form.close(), form.Command4_Click();
        });
        driver.start(10);
        QCOMPARE(form.Form_Load(1500ms, clock), 0);
        QCOMPARE(log.join(u'|'), seen);
    }

    // On the real program, sharing this test's config and runtime folders: a second copy ends at once and
    // silently, and a killed copy's lock is taken over.
    void oneCopyRuns()
    {
        const auto lockOwner = [] {
            QFile lock(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/Pagelore.lock");
            return lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong() : 0;
        };
        QProcess first, second, next; // any left running is killed at the end
        first.start(PAGELORE_BINARY, {});
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first.processId(), 15000);
        second.start(PAGELORE_BINARY, {});
        QVERIFY(second.waitForFinished(15000));
        QVERIFY(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0);
        QCOMPARE(first.state(), QProcess::Running);
        const qint64 killed = first.processId();
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QCOMPARE(lockOwner(), killed); // a killed copy leaves its lock
        next.start(PAGELORE_BINARY, {});
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), next.processId(), 15000);
    }
};

PAGELORE_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
