#include "platform/ui/JapaneseUi.h"
#include "support/TestSupport.h"

#include <QFontDatabase>

using namespace pagelore;

class TestJapaneseUi : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(applyJapaneseUi(*qApp), "Qt's Japanese translation (qtbase_ja.qm) did not load");
    }

    // Texts Qt draws itself: a text box's context menu and standard buttons.
    void builtInTexts_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("japanese");
        QTest::newRow("copy") << "QLineEdit" << "&Copy" << "コピー";
        QTest::newRow("cancel button") << "QPlatformTheme" << "Cancel" << "キャンセル";
    }

    void builtInTexts()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, japanese);
        const QString shown = QCoreApplication::translate(context.toLatin1().constData(), source.toLatin1().constData());
        QVERIFY2(shown.contains(japanese), qPrintable(shown));
    }

    void japaneseFont()
    {
        if (!QFontDatabase::hasFamily(japaneseFontFamily()))
            QSKIP("Noto Sans CJK JP is not installed");
        QCOMPARE(QApplication::font().families().value(0), japaneseFontFamily());
    }
};

PAGELORE_TEST_MAIN(TestJapaneseUi)
#include "tst_japaneseui.moc"
