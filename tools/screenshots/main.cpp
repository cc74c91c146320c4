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
#include "platform/JapaneseUi.h"
#include "screens/CandidateEditor.h"
#include "screens/FolderScreen.h"
#include "screens/Form3.h"
#include "screens/Form2.h"
#include "screens/Form4.h"
#include "screens/Form5.h"
#include "screens/Form6.h"
#include "screens/Form7.h"
#include "screens/PageImageSelection.h"
#include "search/Search.h"

#include <QApplication>
#include <QDir>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRect>
#include <QScreen>
#include <QTemporaryDir>
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

template <typename Screen>
QList<QWidget *> showPlain(Stage &stage)
{
    auto *screen = stage.make<Screen>();
    screen->show();
    return {screen};
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
        {"frmRegistFile", showPlain<frmRegistFile>},
        {"RGazou", showPlain<RGazou>},
        {"Form2",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form2>();
             form->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("表計算ソフト活用術"));
             form->findChild<QComboBox *>(QStringLiteral("Combo1"))->setEditText(QStringLiteral("月刊パソコン技術"));
             form->show();
             return {form};
         }},
        {"Form5",
         [](Stage &stage) -> QList<QWidget *> {
             // Both demo articles are features: the first of two hits, no end message.
             SearchConditions conditions;
             conditions.publicationForm = QStringLiteral("特集");
             RunSearchPass(stage.demo.dataFolder, conditions);
             auto *form = stage.make<Form5>();
             form->show();
             return {form};
         }},
        {"Form7",
         [](Stage &stage) -> QList<QWidget *> {
             PageImageSelection::set({QStringLiteral("PC"), 0, 3});
             auto *form = stage.make<Form7>();
             form->show();
             return {form};
         }},
        {"Form4",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form4>();
             form->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("最新CPUの省電力技術"));
             form->findChild<QComboBox *>(QStringLiteral("Combo3"))->setEditText(QStringLiteral("特集"));
             form->show();
             return {form};
         }},
        {"Form6",
         [](Stage &stage) -> QList<QWidget *> {
             // Both demo articles are features, so the browser opens on the
             // first of two candidates, with no end message.
             SearchConditions conditions;
             conditions.publicationForm = QStringLiteral("特集");
             RunSearchPass(stage.demo.dataFolder, conditions);
             auto *form = stage.make<Form6>();
             form->show();
             return {form};
         }},
        {"Form3",
         [](Stage &stage) -> QList<QWidget *> {
             auto *form = stage.make<Form3>();
             form->Form_Load();
             form->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("最新CPUの省電力技術"));
             form->findChild<QLineEdit *>(QStringLiteral("Text2"))->setText(QStringLiteral("山田太郎"));
             form->findChild<QComboBox *>(QStringLiteral("Combo3"))->setEditText(QStringLiteral("特集"));
             form->show();
             return {form};
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
    Stage stage{demo, {}};
    const QList<QWidget *> parts = shot.show(stage);
    settle(400);
    QRect area;
    for (QWidget *w : parts) {
        if (w->isVisible())
            area = area.united(w->frameGeometry());
    }
    bool saved = false;
    if (!area.isEmpty()) {
        const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(),
                                                                            area.height());
        saved = picture.save(folder + QLatin1Char('/') + QString::fromLatin1(shot.name) + QStringLiteral(".png"));
    }
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

    QApplication app(argc, argv);
    pagelore::applyJapaneseUi(app);
    QDir().mkpath(output);

    const DemoData demo = makeDemoData(home.path());
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
    return failures == 0 ? 0 : 1;
}
