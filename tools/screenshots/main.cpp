// Takes a picture of every screen under a real X server, for the README and
// for looking at the screens without clicking through them:
//
//   pagelore-screenshots <output folder> [name ...]
//
// Settings and data live in a temporary folder; the user's own are untouched.
// Each screen is one row of the table below.

#include "DemoData.h"

#include "app/Form1.h"
#include "app/frmSplash.h"
#include "platform/ui/JapaneseUi.h"
#include "screens/ArticleCorrectionScreen.h"
#include "screens/ArticleDetailScreen.h"
#include "screens/ArticleListModel.h"
#include "screens/ArticleListScreen.h"
#include "screens/CandidateEditor.h"
#include "screens/FolderScreen.h"
#include "screens/Form3.h"
#include "screens/Form2.h"
#include "screens/Form4.h"
#include "screens/Form5.h"
#include "screens/Form6.h"
#include "screens/Form7.h"
#include "search/Search.h"

#include <QApplication>
#include <QDir>
#include <QComboBox>
#include <QEventLoop>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRect>
#include <QScreen>
#include <QPlainTextEdit>
#include <QPalette>
#include <QTemporaryDir>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace pagelore::shots {

// What a row's function gets: somewhere to keep the windows it makes (they
// are closed and deleted after the picture) and the demo collection.
struct Stage {
    const DemoData &demo;
    std::vector<std::unique_ptr<QWidget>> windows;
    QPixmap picture;  // taken by the row itself, while a message or input box was open

    template <typename T, typename... Args>
    T *make(Args &&...args)
    {
        auto owned = std::make_unique<T>(std::forward<Args>(args)...);
        T *raw = owned.get();
        windows.push_back(std::move(owned));
        return raw;
    }
};

// Shows one screen (and anything open on top of it) and returns the widgets
// whose area makes up the picture.
using ShowScreen = std::function<QList<QWidget *>(Stage &)>;

struct Shot {
    const char *name;
    ShowScreen show;
};

QPixmap grabArea(const QList<QWidget *> &parts)
{
    QRect area;
    for (QWidget *w : parts) {
        if (w && w->isVisible())
            area = area.united(w->frameGeometry());
    }
    if (area.isEmpty())
        return {};
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
}

void settle(int ms);

// A plain grey desk behind several windows, so the picture has no black gaps.
QWidget *desk(Stage &stage, const QRect &area)
{
    auto *back = stage.make<QWidget>();
    back->setWindowFlags(Qt::FramelessWindowHint);
    back->setAutoFillBackground(true);
    QPalette palette = back->palette();
    palette.setColor(QPalette::Window, QColor(96, 110, 130));
    back->setPalette(palette);
    back->setGeometry(area);
    back->show();
    return back;
}

// Runs a handler that opens a message or input box with exec(). While the box
// is open, `fill` may type into it; then the picture is taken of the box over
// `under`, and the box is closed with its No or Cancel, so nothing is changed.
QList<QWidget *> withBox(Stage &stage, const QList<QWidget *> &under, const std::function<void()> &handler,
                         const std::function<void(QWidget *)> &fill = {})
{
    QTimer::singleShot(500, [&stage, under, fill] {
        QWidget *box = QApplication::activeModalWidget();
        QList<QWidget *> parts = under;
        if (box) {
            if (fill)
                fill(box);
            // Over the middle of its screen, as a window manager would put it;
            // below a screen too small to show beside the box.
            const QRect screen = under.first()->frameGeometry();
            if (box->height() * 2 > screen.height())
                box->move(screen.left() + 60, screen.bottom() - 30);
            else
                box->move(screen.center() - box->rect().center());
            parts << box;
        }
        QRect area;
        for (QWidget *w : parts)
            area = area.united(w->frameGeometry());
        parts.prepend(desk(stage, area.adjusted(-16, -16, 16, 16)));
        for (QWidget *w : parts)
            w->raise();
        settle(300);
        stage.picture = grabArea(parts);
        if (box)
            box->close();
    });
    handler();
    return {};
}

// The search the browsers open on: the railway magazine, whose first article
// has scanned pages.
void searchRailwayMagazine(const Stage &stage)
{
    SearchConditions conditions;
    conditions.magazine = QStringLiteral("鉄路の旅");
    RunSearchPass(stage.demo.dataFolder, conditions);
}

template <typename Screen>
QList<QWidget *> showPlain(Stage &stage)
{
    auto *screen = stage.make<Screen>();
    if constexpr (requires { screen->Form_Load(); })
        screen->Form_Load();
    screen->show();
    return {screen};
}

// A new article as a reader would type it.
void fillRegistration(QWidget *form)
{
    const auto text = [form](const char *name, const QString &value) {
        form->findChild<QLineEdit *>(QString::fromLatin1(name))->setText(value);
    };
    const auto combo = [form](const char *name, const QString &value) {
        form->findChild<QComboBox *>(QString::fromLatin1(name))->setEditText(value);
    };
    text("Text1", QStringLiteral("はじめてのスキャナ"));
    text("Text2", QStringLiteral("佐藤健一"));
    combo("Combo1", QStringLiteral("週刊デジタル生活"));
    text("Text3", QStringLiteral("60"));
    text("Text4", QStringLiteral("65"));
    combo("Combo2", QStringLiteral("ハードウェア"));
    combo("Combo3", QStringLiteral("特集"));
    text("Text5", QStringLiteral("2001/7/12"));
    form->findChild<QPlainTextEdit *>(QStringLiteral("Text6"))
        ->setPlainText(QStringLiteral("紙の記事を画像にして残す。\n解像度と保存形式の選び方。"));
    text("Text7", QStringLiteral("スキャナ"));
    text("Text8", QStringLiteral("解像度"));
    text("Text10", QStringLiteral("SCAN"));
    text("Text11", QStringLiteral("0"));
    text("Text12", QStringLiteral("5"));
}

const std::vector<Shot> &shots()
{
    static const std::vector<Shot> table = {
        {"splash", showPlain<frmSplash>},
        {"Form1",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form1>();
             form->adjustSize();
             form->move(form->screen()->availableGeometry().center() - form->rect().center());
             form->show();
             return {form};
         }},
        {"Form1-menu",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form1>();
             form->adjustSize();
             form->move(200, 120);
             form->show();
             auto *menu = form->findChild<QMenu *>(QStringLiteral("File"));
             form->menuBar()->setActiveAction(menu->menuAction());
             return {form, menu};
         }},
        {"overview",
         [](Stage &stage) -> QList<QWidget *> {
             searchRailwayMagazine(stage);
             auto *main = stage.make<Form1>();
             main->adjustSize();
             main->move(24, 24);
             main->show();
             auto *browser = stage.make<Form5>();
             browser->Form_Load();
             browser->move(main->frameGeometry().right() - 120, 96);
             browser->show();
             settle(100);
             const QRect both = main->frameGeometry().united(browser->frameGeometry());
             QWidget *back = desk(stage, both.adjusted(-24, -24, 24, 24));
             main->raise();
             browser->raise();
             return {back, main, browser};
         }},
        {"Form1-list",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form1>();
             form->adjustSize();
             form->move(200, 120);
             form->show();
             auto *menu = form->findChild<QMenu *>(QStringLiteral("List"));
             form->menuBar()->setActiveAction(menu->menuAction());
             return {form, menu};
         }},
        {"ArticleListScreen",
         [](Stage &stage) -> QList<QWidget *> {
             auto *list = stage.make<ArticleListScreen>();
             list->Form_Load();
             list->findChild<QLineEdit *>(QStringLiteral("QueryBox"))->setText(QStringLiteral("ぱそこん"));
             list->runSearch();
             list->findChild<QTableView *>(QStringLiteral("HitTable"))->sortByColumn(3, Qt::AscendingOrder);
             list->resize(980, 420);
             list->show();
             return {list};
         }},
        {"ArticleDetailScreen",
         [](Stage &stage) -> QList<QWidget *> {
             auto *list = stage.make<ArticleListScreen>();
             list->Form_Load();
             list->findChild<QLineEdit *>(QStringLiteral("QueryBox"))->setText(QStringLiteral("鉄路"));
             list->runSearch();
             auto *detail = stage.make<ArticleDetailScreen>(*list->model(), 0);
             detail->show();
             return {detail};
         }},
        {"ArticleCorrectionScreen",
         [](Stage &stage) -> QList<QWidget *> {
             auto *list = stage.make<ArticleListScreen>();
             list->Form_Load();
             list->findChild<QLineEdit *>(QStringLiteral("QueryBox"))->setText(QStringLiteral("寝台"));
             list->runSearch();
             auto *form = stage.make<ArticleCorrectionScreen>(list->model()->articleAt(0));
             form->Form_Load();
             form->findChild<QLineEdit *>(QStringLiteral("Text1"))
                 ->setText(QStringLiteral("寝台特急の旅 北へ(前編)"));
             form->show();
             return {form};
         }},
        {"frmRegistFile", showPlain<frmRegistFile>},
        {"RGazou", showPlain<RGazou>},
        {"Form2",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form2>();
             form->Form_Load();
             form->findChild<QComboBox *>(QStringLiteral("Combo1"))->setEditText(QStringLiteral("鉄路の旅"));
             form->show();
             return {form};
         }},
        {"Form2-confirm",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form2>();
             form->Form_Load();
             form->findChild<QComboBox *>(QStringLiteral("Combo1"))->setEditText(QStringLiteral("鉄路の旅"));
             form->show();
             settle(200);
             return withBox(stage, {form}, [form] { form->Command2_Click(); });
         }},
        {"Form5",
         [](Stage &stage) -> QList<QWidget *> {
             searchRailwayMagazine(stage);
             auto *form = stage.make<Form5>();
             form->Form_Load();
             form->show();
             return {form};
         }},
        {"Form7",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form7>(PageImageSelection{QStringLiteral("TRAIN"), 0, 4});
             form->Form_Load();
             form->show();
             return {form};
         }},
        {"Form4",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form4>();
             form->Form_Load();
             form->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("プリンタ新製品のご案内"));
             form->findChild<QComboBox *>(QStringLiteral("Combo3"))->setEditText(QStringLiteral("広告"));
             form->show();
             return {form};
         }},
        {"Form6",
         [](Stage &stage) -> QList<QWidget *> {
             SearchConditions conditions;
             conditions.publicationForm = QStringLiteral("広告");
             RunSearchPass(stage.demo.dataFolder, conditions);
             auto *form = stage.make<Form6>();
             form->Form_Load();
             form->show();
             return {form};
         }},
        {"Form6-confirm",
         [](Stage &stage) -> QList<QWidget *> {
             SearchConditions conditions;
             conditions.publicationForm = QStringLiteral("広告");
             RunSearchPass(stage.demo.dataFolder, conditions);
             auto *form = stage.make<Form6>();
             form->Form_Load();
             form->show();
             settle(200);
             return withBox(stage, {form}, [form] { form->Command2_Click(); });
         }},
        {"Form3",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form3>();
             form->Form_Load();
             fillRegistration(form);
             form->show();
             return {form};
         }},
        {"Form3-confirm",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form3>();
             form->Form_Load();
             fillRegistration(form);
             form->show();
             settle(200);
             return withBox(stage, {form}, [form] { form->Command2_Click(); });
         }},
        {"RZassi",
         [](Stage &stage) -> QList<QWidget *> {
             auto *editor = stage.make<RZassi>();
             editor->Form_Load();
             editor->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("月刊ﾊﾟｿｺﾝ通信"));
             editor->show();
             return {editor};
         }},
        {"RBunnya",
         [](Stage &stage) -> QList<QWidget *> {
             auto *editor = stage.make<RBunnya>();
             editor->Form_Load();
             editor->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("ﾈｯﾄﾜｰｸ"));
             editor->show();
             return {editor};
         }},
        {"Form1-export",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form1>();
             form->adjustSize();
             form->move(200, 120);
             form->show();
             settle(200);
             return withBox(stage, {form}, [form] { form->WriteDown_Click(); },
                            [](QWidget *box) {
                                if (auto *line = box->findChild<QLineEdit *>())
                                    line->setText(QStringLiteral("/media/usb/pagelore-backup/"));
                            });
         }},
        {"Form1-import",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form1>();
             form->adjustSize();
             form->move(200, 120);
             form->show();
             settle(200);
             return withBox(stage, {form}, [form] { form->ReadIn_Click(); },
                            [](QWidget *box) {
                                if (auto *line = box->findChild<QLineEdit *>())
                                    line->setText(QStringLiteral("/media/usb/pagelore-backup/"));
                            });
         }},
        {"Form1-initialise",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form1>();
             form->adjustSize();
             form->move(200, 120);
             form->show();
             settle(200);
             return withBox(stage, {form}, [form] { form->INI_Click(); });
         }},
    };
    return table;
}

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool takeShot(const Shot &shot, const DemoData &demo, const QString &folder)
{
    Stage stage{demo, {}, {}};
    const QList<QWidget *> parts = shot.show(stage);
    if (stage.picture.isNull()) {
        // The folder screens read their tree in the background and bring the
        // working folder into view once it has loaded.
        settle(1500);
        stage.picture = grabArea(parts);
    }
    bool saved = false;
    if (!stage.picture.isNull())
        saved = stage.picture.save(folder + QLatin1Char('/') + QString::fromLatin1(shot.name) + QStringLiteral(".png"));
    for (auto &w : stage.windows)
        w->close();
    stage.windows.clear();
    settle(50);
    return saved;
}

}  // namespace pagelore::shots

int main(int argc, char *argv[])
{
    using namespace pagelore::shots;

    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder> [screen name ...]\n", argv[0]);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();

    // Settings must be redirected before Qt reads the environment.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/config")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));

    QApplication app(argc, argv);
    pagelore::applyJapaneseUi(app);
    QDir().mkpath(output);

    // A fixed place, so that the paths the screens show stay the same from one
    // run to the next.
    const QString demoBase = QDir::tempPath() + QStringLiteral("/pagelore-screenshots-demo");
    const QString startFolder = QDir::currentPath();
    const DemoData demo = makeDemoData(demoBase);
    // The folder screens start at the working folder.
    QDir::setCurrent(demo.dataFolder);

    QStringList wanted;
    for (int i = 2; i < argc; ++i)
        wanted << QString::fromLocal8Bit(argv[i]);

    int failures = 0;
    for (const Shot &shot : shots()) {
        if (!wanted.isEmpty() && !wanted.contains(QString::fromLatin1(shot.name)))
            continue;
        const bool ok = takeShot(shot, demo, output);
        std::printf("%s %s\n", ok ? "saved " : "FAILED", shot.name);
        if (!ok)
            ++failures;
    }
    QDir::setCurrent(startFolder);
    QDir(demoBase).removeRecursively();
    return failures == 0 ? 0 : 1;
}
