#include "app/Form1.h"
#include "app/frmSplash.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

using namespace pagelore;
using namespace std::chrono_literals;

namespace {

frmSplash *visibleSplash()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *splash = qobject_cast<frmSplash *>(w); splash && splash->isVisible())
            return splash;
    }
    return nullptr;
}

}  // namespace

class TestSplash : public QObject {
    Q_OBJECT

private slots:
    void versionLabel()
    {
        frmSplash splash;
        QCOMPARE(test::child<QLabel>(&splash, QStringLiteral("lblVersion"))->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 1.0.1"));
        QCOMPARE(frmSplash::versionText(12, 0, 305), QStringLiteral("ﾊﾞｰｼﾞｮﾝ 12.0.305"));
        QVERIFY(!test::child<QLabel>(&splash, QStringLiteral("imgLogo"))->pixmap().isNull());
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("closes");
        QTest::newRow("letter") << int(Qt::Key_A) << QStringLiteral("a") << true;
        QTest::newRow("kana") << int(Qt::Key_unknown) << QStringLiteral("あ") << true;
        QTest::newRow("space") << int(Qt::Key_Space) << QStringLiteral(" ") << true;
        QTest::newRow("enter") << int(Qt::Key_Return) << QStringLiteral("\r") << true;
        QTest::newRow("escape") << int(Qt::Key_Escape) << QStringLiteral("\x1b") << true;
        QTest::newRow("left arrow") << int(Qt::Key_Left) << QString() << false;
        QTest::newRow("down arrow") << int(Qt::Key_Down) << QString() << false;
        QTest::newRow("F1") << int(Qt::Key_F1) << QString() << false;
        QTest::newRow("shift alone") << int(Qt::Key_Shift) << QString() << false;
    }

    void keys()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(bool, closes);
        frmSplash splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&splash, &press);
        QCOMPARE(splash.isVisible(), !closes);
    }

    void clickOnFrameCloses_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("frame") << QStringLiteral("Frame1");
        QTest::newRow("logo on the frame") << QStringLiteral("imgLogo");
        QTest::newRow("label on the frame") << QStringLiteral("lblProductName");
    }

    void clickOnFrameCloses()
    {
        QFETCH(QString, target);
        frmSplash splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QTest::mouseClick(test::child<QWidget>(&splash, target), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!splash.isVisible());
    }

    // The wait runs on the clock, not on the splash: closing it early must
    // not shorten it.
    void waitOutlastsAnEarlyClose()
    {
        qint64 now = 0;
        int step = 0;
        bool closedAtStart = false;
        bool waitingAt1499 = false;
        bool returned = false;
        QElapsedTimer guard;
        guard.start();

        QTimer driver;
        connect(&driver, &QTimer::timeout, this, [&] {
            ++step;
            if (step == 1) {
                frmSplash *splash = visibleSplash();
                QVERIFY(splash);
                QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
                QApplication::sendEvent(splash, &press);
                closedAtStart = visibleSplash() == nullptr;
            } else if (step == 3) {
                now = 1499;
            } else if (step == 6) {
                waitingAt1499 = !returned;
                now = 1500;
            }
            if (guard.elapsed() > 5000)
                now = 1'000'000;
        });
        driver.start(10);
        showSplashFor(1500ms, [&now] { return now; });
        returned = true;
        driver.stop();

        QVERIFY(closedAtStart);
        QVERIFY(waitingAt1499);
        QCOMPARE(now, qint64(1500));
        QVERIFY(!visibleSplash());
    }

    // On the real clock: the main window appears only once the splash time
    // is over, and never together with the splash.
    void mainWindowWaitsForTheSplash()
    {
        Form1 form;
        QElapsedTimer clock;
        bool splashSeen = false;
        bool bothVisible = false;
        qint64 formShownAt = -1;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            frmSplash *splash = visibleSplash();
            if (splash && !splashSeen) {
                splashSeen = true;
                QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
                QApplication::sendEvent(splash, &press);
            }
            if (splash && form.isVisible())
                bothVisible = true;
            if (form.isVisible() && formShownAt < 0) {
                formShownAt = clock.elapsed();
                form.close();
            }
        });
        poll.start(5);
        clock.start();
        QCOMPARE(form.Form_Load(), 0);
        QVERIFY(splashSeen);
        QVERIFY(!bothVisible);
        QVERIFY2(formShownAt >= 1500, qPrintable(QString::number(formShownAt)));
    }
};

PAGELORE_TEST_MAIN(TestSplash)
#include "tst_splash.moc"
