// The main window and the start-up: which screen each button and menu entry
// opens, how the program ends, the texts of the window, of the splash and of
// the three collection actions, the splash's time and the single-copy rule.

#include "support/TestSupport.h"

#include "app/Form1.h"
#include "app/frmSplash.h"
#include "storage/SettingsStore.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <memory>

using namespace pagelore;
using namespace pagelore::test;
using namespace std::chrono_literals;

namespace {

const QString kQuestion = "全ての記事データは消えます。よろしいですか。";
const QString kPathTitle = "書き出し先パス名";
const QString kExportPrompt =
    "記事を書き出す先のパス名を入力してください。ただし、全角/半角に気をつけて、最後に必ず「/」をつけてください。";
const QString kImportPrompt =
    "記事を読み込む先のパス名を入力してください。ただし、全角/半角に気をつけて、最後に必ず「/」をつけてください。";

// A click delivered through the window, as the platform delivers it, so that
// a modal screen keeps it from the main window.
void clickThroughWindow(QWidget *button)
{
    QWidget *window = button->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, button->mapTo(window, button->rect().center()));
    QApplication::processEvents();
}

frmSplash *visibleSplash()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *splash = qobject_cast<frmSplash *>(w); splash && splash->isVisible())
            return splash;
    }
    return nullptr;
}

} // namespace

class TestForm1 : public QObject {
    Q_OBJECT

private slots:
    void texts()
    {
        Form1 form;
        frmSplash splash;
        QStringList shown{form.windowTitle()};
        for (const char *name : {"Command1", "Command2", "Command3", "Command4"})
            shown << child<QPushButton>(&form, name)->text();
        shown << form.menuBar()->actions().first()->text();
        for (const QAction *entry : child<QMenu>(&form, "File")->actions())
            shown << entry->text();
        shown << form.menuBar()->actions().last()->text();
        for (const QAction *entry : child<QMenu>(&form, "List")->actions())
            shown << entry->text();
        for (const char *name : {"lblProductName", "lblVersion", "lblPlatform"})
            shown << child<QLabel>(&splash, name)->text();
        QCOMPARE(shown.join(u'|'),
                 QString("PageloreSuite|記事を検索|記事を登録|記事を削除|終了|ﾌｧｲﾙ|記事ﾃﾞｰﾀの書き出し|"
                         "記事ﾃﾞｰﾀの読み込み||よく読む雑誌の登録|分野の登録(例:ﾊｰﾄﾞｳｪｱ･ｿﾌﾄｳｪｱ･CPU等)||"
                         "記事ﾃﾞｰﾀの保管場所の指定|記事紙面画像ﾌｧｲﾙの場所指定|"
                         "初期化(場所は保持されますが全ての登録された内容は削除されます)||終了|"
                         "一覧|記事一覧・かんたん検索|Pagelore|ﾊﾞｰｼﾞｮﾝ 1.1.0|For 32bit Windows System"));
    }

    // Each button and menu entry opens its screen modally, or ends the program.
    void buttonsAndMenu_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("screen"); // empty: the program ends
        const char *const rows[][2] = {
            {"Command1", "Form2"},        {"Command2", "Form3"}, {"Command3", "Form4"},
            {"Zassi", "RZassi"},          {"Bunnya", "RBunnya"}, {"gazou", "RGazou"},
            {"SaveAdd", "frmRegistFile"}, {"Command4", ""},      {"Ctrl+Q", ""}, // the menu's End
            {"close button", ""},         {"Ctrl+F", "ArticleListScreen"}};
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString(row[0]) << (*row[1] ? QString("pagelore::") + row[1] : QString());
    }
    void buttonsAndMenu()
    {
        QFETCH(QString, how);
        QFETCH(QString, screen);
        TempDataFolder data;
        DialogAnswerer answers;
        Form1 form;
        QString opened;
        std::optional<ModalGuard> guard;
        if (!screen.isEmpty()) {
            guard.emplace(
                [&](QWidget *modal) {
                    // The main window takes no click while the screen is open.
                    clickThroughWindow(child<QPushButton>(&form, "Command4"));
                    opened = QString(modal->metaObject()->className()) + (form.isVisible() ? "" : " (and ended)");
                    modal->close();
                },
                nullptr, 5000, std::source_location::current());
        }
        QTimer::singleShot(0, &form, [&] {
            QVERIFY(QTest::qWaitForWindowActive(&form));
            if (how == "Ctrl+Q" || how == "Ctrl+F")
                QTest::keyClick(&form, how == "Ctrl+Q" ? Qt::Key_Q : Qt::Key_F, Qt::ControlModifier);
            else if (how == "close button")
                form.close();
            else if (auto *button = form.findChild<QPushButton *>(how))
                clickThroughWindow(button);
            else
                child<QAction>(&form, how)->trigger();
            if (!screen.isEmpty())
                form.close(); // the screen has closed
        });
        // A way out that does not work fails the test instead of hanging it:
        // the guard ends the window's loop by both other ways.
        bool stuck = false;
        QTimer::singleShot(5000, &form, [&] {
            stuck = true;
            form.Command4_Click();
            form.close();
        });
        QCOMPARE(form.showModal(), 0);
        QVERIFY(!stuck);
        QCOMPARE(opened, screen);
        QVERIFY(answers.shown().isEmpty());
    }

    // Through their shortcuts: what each action asks and reports, and that an
    // answer of No, Cancel or an empty path changes nothing.
    void collectionActions_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("answer"); // "yes", "no", "<cancel>", or the text typed ("<out>": a folder)
        QTest::addColumn<QStringList>("shown");
        const QStringList copied{"コピー完了", "コピー完了"};
        QTest::newRow("initialise, No") << int(Qt::Key_I) << "no" << QStringList{"削除確認", kQuestion};
        QTest::newRow("initialise, Yes")
            << int(Qt::Key_I) << "yes"
            << QStringList{"削除確認", kQuestion, "削除完了", "全ての記事データの削除が完了いたしました。"};
        QTest::newRow("export, empty path") << int(Qt::Key_W) << "" << QStringList{kPathTitle, kExportPrompt};
        QTest::newRow("export") << int(Qt::Key_W) << "<out>" << QStringList{kPathTitle, kExportPrompt} + copied;
        QTest::newRow("import, cancelled")
            << int(Qt::Key_R) << "<cancel>" << QStringList{kPathTitle, kImportPrompt};
        QTest::newRow("import") << int(Qt::Key_R) << "<out>" << QStringList{kPathTitle, kImportPrompt} + copied;
    }
    void collectionActions()
    {
        QFETCH(int, key);
        QFETCH(QString, answer);
        QFETCH(QStringList, shown);
        TempDataFolder data;
        QTemporaryDir other;
        const QString out = other.path() + u'/';
        const QStringList six{"Touroku.PLR", "Rireki.PLR", "Sakujyo.PLR", "Zassi.PLR", "Bunnya.PLR", "Keitai.PLR"};
        for (const QString &name : six) {
            data.write(name, "\"d\"\r\n");
            writeFile(out + name, "\"o\"\r\n");
        }
        setImageFolder("/images/");
        const auto files = [&] { return data.read("Touroku.PLR") + readFile(out + "Touroku.PLR"); };
        const QByteArray before = files();
        DialogAnswerer answers;
        if (answer == "yes" || answer == "no")
            answers.answer(answer == "yes" ? MessageBox::Answer::Yes : MessageBox::Answer::No).ok();
        else if (answer == "<cancel>")
            answers.cancel();
        else
            answers.type(answer == "<out>" ? out : answer).ok();
        Form1 form;
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClick(&form, Qt::Key(key), Qt::ControlModifier);

        QStringList seen;
        for (const MessageBox::ShownBox &box : answers.shown())
            seen << box.title << box.text;
        QCOMPARE(seen, shown);
        QCOMPARE(answers.unexpected(), 0);
        if (key == Qt::Key_I)
            QCOMPARE(answers.shown().first().defaultButton, "いいえ(&N)");
        QCOMPARE(files() != before, shown.size() > 2);
        QCOMPARE(DataFolder() + ImageFolder(), data.path() + "/images/"); // no action changes the settings
    }

    // On a real message box, without the hook: Enter answers the initialise
    // question No.
    void enterAnswersTheInitialiseQuestionNo()
    {
        TempDataFolder data;
        data.write("Touroku.PLR", "\"d\"\r\n");
        Form1 form;
        int boxes = 0;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                if (++boxes == 1)
                    QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
                else
                    box->close(); // a second box: Enter did not answer No
            }
        });
        poll.start(10);
        form.INI_Click();
        QCOMPARE(boxes, 1);
        QCOMPARE(data.read("Touroku.PLR"), "\"d\"\r\n");
    }

    // The splash shows alone for its time on the clock, however early a key
    // closes it; then the main window shows until it is closed.
    void startUp()
    {
        Form1 form;
        qint64 now = 0;
        int tick = 0;
        QStringList seen;
        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] {
            frmSplash *splash = visibleSplash();
            const QString state = QString("%1 ms: splash %2, main window %3")
                                      .arg(now)
                                      .arg(splash ? "shown" : "hidden", form.isVisible() ? "shown" : "hidden");
            if (seen.isEmpty() || seen.last() != state)
                seen << state;
            if (++tick == 2 && splash)
                QTest::keyClick(splash, Qt::Key_X);
            else if (tick == 4 || tick == 6)
                now = tick == 4 ? 1499 : 1500;
            else if (form.isVisible() || tick > 500) // the guard ends both waits
                now = 1500, form.close();
        });
        driver.start(10);
        QCOMPARE(form.Form_Load(1500ms, [&] { return now; }), 0);
        QCOMPARE(seen,
                 (QStringList{"0 ms: splash shown, main window hidden", "0 ms: splash hidden, main window hidden",
                              "1499 ms: splash hidden, main window hidden",
                              "1500 ms: splash hidden, main window shown"}));
    }

    void splashCloses_data()
    {
        QTest::addColumn<int>("key"); // 0: a click on the logo, which lies on the frame
        QTest::addColumn<bool>("closes");
        QTest::newRow("letter") << int(Qt::Key_A) << true;
        QTest::newRow("arrow") << int(Qt::Key_Left) << false;
        QTest::newRow("click") << 0 << true;
    }
    void splashCloses()
    {
        QFETCH(int, key);
        QFETCH(bool, closes);
        frmSplash splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        if (key)
            QTest::keyClick(&splash, Qt::Key(key));
        else
            QTest::mouseClick(child<QWidget>(&splash, "imgLogo"), Qt::LeftButton);
        QCOMPARE(splash.isVisible(), !closes);
    }

    // On the real program: a second copy ends at once and silently, and the
    // lock of a copy that was killed is taken over. The copies share this
    // test's config and runtime folders.
    void oneCopyRuns()
    {
        const auto start = [] {
            auto copy = std::make_unique<QProcess>();
            copy->start(PAGELORE_BINARY, {});
            return copy;
        };
        const auto lockOwner = [] {
            QFile lock(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/Pagelore.lock");
            return lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong() : 0;
        };
        const auto first = start();
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), first->processId(), 15000);
        const auto second = start();
        QVERIFY(second->waitForFinished(15000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QCOMPARE(first->state(), QProcess::Running);

        const qint64 killed = first->processId();
        first->kill();
        QVERIFY(first->waitForFinished(5000));
        QCOMPARE(lockOwner(), killed); // a killed copy leaves its lock
        const auto next = start();
        QTRY_COMPARE_WITH_TIMEOUT(lockOwner(), next->processId(), 15000);
        next->kill();
        next->waitForFinished(5000);
    }
};

PAGELORE_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
