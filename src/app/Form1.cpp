#include "Form1.h"

#include "CollectionActions.h"
#include "frmSplash.h"
#include "screens/Screens.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace pagelore {

namespace {

// Form geometry is given in twips; 15 twips are one device-independent pixel.
constexpr int px(int twips)
{
    return twips / 15;
}

} // namespace

void showSplashFor(std::chrono::milliseconds duration, const SplashClock &clock)
{
    QElapsedTimer realTime;
    realTime.start();
    const SplashClock now = clock ? clock : SplashClock([&realTime] { return realTime.elapsed(); });

    frmSplash splash;
    splash.show();
    splash.activateWindow();

    // Wakes the waits below regularly so the clock is read even when no
    // window event arrives; the waits themselves sleep instead of spinning.
    QTimer tick;
    tick.start(10);
    // The time counts from when the splash can be seen, not from when it was
    // asked for; a display that never says so is given two seconds.
    const auto waitFor = [](const std::function<bool()> &done) {
        while (!done())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    };
    waitFor([&] {
        return (splash.windowHandle() && splash.windowHandle()->isExposed()) || realTime.elapsed() >= 2000;
    });
    const qint64 start = now();
    waitFor([&] { return now() - start >= duration.count(); });
    splash.close();
}

Form1::Form1(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("PageloreSuite"));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(px(4815), px(1500));
    setCentralWidget(client);

    QPushButton *c1 = addCommand(QStringLiteral("Command1"), QStringLiteral("記事を検索"), 120, 120);
    QPushButton *c2 = addCommand(QStringLiteral("Command2"), QStringLiteral("記事を登録"), 120, 840);
    QPushButton *c3 = addCommand(QStringLiteral("Command3"), QStringLiteral("記事を削除"), 2520, 120);
    QPushButton *c4 = addCommand(QStringLiteral("Command4"), QStringLiteral("終了"), 2520, 840);
    connect(c1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(c2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(c3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(c4, &QPushButton::clicked, this, &Form1::Command4_Click);
    setTabOrder(c1, c2);
    setTabOrder(c2, c3);
    setTabOrder(c3, c4);
    c1->setFocus();

    File = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ"));
    File->setObjectName(QStringLiteral("File"));
    addEntry(QStringLiteral("WriteDown"), QStringLiteral("記事ﾃﾞｰﾀの書き出し"), QKeySequence(Qt::CTRL | Qt::Key_W),
             &Form1::WriteDown_Click);
    addEntry(QStringLiteral("ReadIn"), QStringLiteral("記事ﾃﾞｰﾀの読み込み"), QKeySequence(Qt::CTRL | Qt::Key_R),
             &Form1::ReadIn_Click);
    addBar(QStringLiteral("Bar1"));
    addEntry(QStringLiteral("Zassi"), QStringLiteral("よく読む雑誌の登録"), {}, &Form1::Zassi_Click);
    addEntry(QStringLiteral("Bunnya"), QStringLiteral("分野の登録(例:ﾊｰﾄﾞｳｪｱ･ｿﾌﾄｳｪｱ･CPU等)"), {},
             &Form1::Bunnya_Click);
    addBar(QStringLiteral("Bar2"));
    addEntry(QStringLiteral("SaveAdd"), QStringLiteral("記事ﾃﾞｰﾀの保管場所の指定"), {}, &Form1::SaveAdd_Click);
    addEntry(QStringLiteral("gazou"), QStringLiteral("記事紙面画像ﾌｧｲﾙの場所指定"), {}, &Form1::gazou_Click);
    addEntry(QStringLiteral("INI"),
             QStringLiteral("初期化(場所は保持されますが全ての登録された内容は削除されます)"),
             QKeySequence(Qt::CTRL | Qt::Key_I), &Form1::INI_Click);
    addBar(QStringLiteral("Bar3"));
    addEntry(QStringLiteral("End"), QStringLiteral("終了"), QKeySequence(Qt::CTRL | Qt::Key_Q), &Form1::End_Click);

    // A menu of this system's own, after the original one.
    List = menuBar()->addMenu(QStringLiteral("一覧"));
    List->setObjectName(QStringLiteral("List"));
    QAction *articleList = List->addAction(QStringLiteral("記事一覧・かんたん検索"));
    articleList->setObjectName(QStringLiteral("ArticleList"));
    articleList->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(articleList, &QAction::triggered, this, &Form1::ArticleList_Click);

    // The window is as large as its client area and the menu bar, no larger.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

Form1::~Form1() = default;

QPushButton *Form1::addCommand(const QString &name, const QString &caption, int leftTwips, int topTwips)
{
    auto *button = new QPushButton(caption, centralWidget());
    button->setObjectName(name);
    button->setGeometry(px(leftTwips), px(topTwips), px(2175), px(495));
    QFont font = button->font();
    font.setPointSize(12);
    font.setBold(true);
    button->setFont(font);
    button->setAutoDefault(false);
    return button;
}

QAction *Form1::addEntry(const QString &name, const QString &caption, const QKeySequence &shortcut,
                         void (Form1::*handler)())
{
    QAction *action = File->addAction(caption);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

QAction *Form1::addBar(const QString &name)
{
    QAction *bar = File->addSeparator();
    bar->setObjectName(name);
    return bar;
}

int Form1::Form_Load(std::chrono::milliseconds splashTime, const SplashClock &clock)
{
    showSplashFor(splashTime, clock);
    return showModal();
}

int Form1::showModal()
{
    adjustSize();
    if (const QScreen *target = screen())
        move(target->availableGeometry().center() - rect().center());
    show();
    activateWindow();
    QEventLoop loop;
    m_loop = &loop;
    const int code = loop.exec();
    m_loop = nullptr;
    return code;
}

void Form1::finishModal()
{
    if (m_loop)
        m_loop->exit(0);
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    finishModal();
}

void Form1::Command1_Click()
{
    openScreenModal(ScreenId::Search);
}

void Form1::Command2_Click()
{
    openScreenModal(ScreenId::Register);
}

void Form1::Command3_Click()
{
    openScreenModal(ScreenId::DeleteSearch);
}

void Form1::Command4_Click()
{
    // Ends the program without asking: every window goes, then the sequence ends.
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window != this && window->isVisible())
            window->hide();
    }
    hide();
    finishModal();
}

void Form1::WriteDown_Click()
{
    runExport(this);
}

void Form1::ReadIn_Click()
{
    runImport(this);
}

void Form1::Zassi_Click()
{
    openScreenModal(ScreenId::MagazineList);
}

void Form1::Bunnya_Click()
{
    openScreenModal(ScreenId::CategoryList);
}

void Form1::SaveAdd_Click()
{
    openScreenModal(ScreenId::DataFolder);
}

void Form1::gazou_Click()
{
    openScreenModal(ScreenId::ImageFolder);
}

void Form1::INI_Click()
{
    runInitialise(this);
}

void Form1::End_Click()
{
    close();
}

void Form1::ArticleList_Click()
{
    openScreenModal(ScreenId::ArticleList);
}

} // namespace pagelore
