// Every writer, through its screen or the main window's menu, on a failing file system: one message naming the
// file, nothing else changed, and once the fault is gone the same screen does the same thing again.

#include "support/TestSupport.h"

#include "app/Form1.h"
#include "fuzz/ScanRoads.h"
#include "screens/CandidateEditor.h"
#include "screens/FolderScreen.h"
#include "screens/Form2.h"
#include "screens/Form3.h"
#include "screens/Form6.h"
#include "storage/SettingsStore.h"

#include <QDirIterator>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTreeView>

#include <csignal>
#include <optional>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace pagelore;
using namespace pagelore::test;

namespace {

enum class Op { Register, Bunnya, Search, Removal, DataFolder, Initialise, Export, Import };
enum class Fault { ReadOnlyFolder, ReadOnlyFile, NoFile, NoFolder, Folder, DiskFull, IntoDataFolder, Leftover };

const QStringList kSix = {"Touroku.PLR", "Rireki.PLR", "Sakujyo.PLR", "Zassi.PLR", "Bunnya.PLR", "Keitai.PLR"};
const QString kSettings = "config/Pagelore/Pagelore.ini";
// Three articles that the search screen, as it opens, lets through.
const QByteArray kA1 =
    "\"A1\",\"W1\",\"M\",1,2,\"C\",\"F\",#2001-01-01#,\"c1\r\nc2\",\"\",\"\",\"\",\"I\",1,2\r\n";
const QByteArray kA2 = "\"A2\",\"W2\",\"M\",3,4,\"C\",\"F\",#2002-02-02#,\"c3\",\"\",\"\",\"\",\"\",0,0\r\n";
const QByteArray kA3 = "\"A3\",\"W3\",\"M\",5,6,\"C\",\"F\",#2003-03-03#,\"\",\"\",\"\",\"\",\"\",0,0\r\n";

// Every file and folder under the root: its bytes, or "<folder>".
using State = QMap<QString, QByteArray>;
State stateOf(const QString &root)
{
    State s;
    QDirIterator it(root.chopped(1), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        s.insert(info.filePath().mid(root.size()), info.isDir() ? "<folder>" : readFile(info.filePath()));
    }
    return s;
}

State afterSuccess(Op op, State s)
{
    for (const QString &name : kSix) {
        // Looked up, a missing file stands for one made empty.
        QByteArray &inData = s["data/" + name], &out = s["out/" + name];
        if (op == Op::Initialise)
            inData.clear();
        else if (op == Op::Export)
            out = inData;
        else if (op == Op::Import)
            inData = out;
    }
    if (op == Op::Register) // the title and pages typed, the other fields as they start
        s["data/Touroku.PLR"] +=
            "\"after\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
    else if (op == Op::Bunnya)
        s["data/Bunnya.PLR"] += "\"Zeta\"\r\n";
    else if (op == Op::Search) // an empty condition fits every article
        s["data/Rireki.PLR"] = kA1 + kA2 + kA3;
    else if (op == Op::Removal)
        s["data/Touroku.PLR"] = s["data/Sakujyo.PLR"] = kA1 + kA3;
    return s;
}

template <typename Screen> QDialog *opened()
{
    auto *screen = new Screen;
    screen->Form_Load();
    return screen;
}
// The screens by their open step and the menu's actions, in the order of Op.
QDialog *(*const kScreens[])() = {opened<Form3>, opened<RBunnya>, opened<Form2>, opened<Form6>,
                                  opened<frmRegistFile>};
void (Form1::*const kMenu[])() = {&Form1::INI_Click, &Form1::WriteDown_Click, &Form1::ReadIn_Click};

void limitFileSize(rlim_t bytes)
{
    const rlimit limit{bytes, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

} // namespace

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Fault)

class TestFaultInjection : public QObject {
    Q_OBJECT

private slots:
    void faults_data()
    {
        QTest::addColumn<Op>("op");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("target"); // where the fault is, under the root
        QTest::addColumn<QString>("named");  // the file the message names; empty: the action succeeds
        QTest::addColumn<bool>("halves");    // a large collection's two halves read at once

        const QString touroku = "data/Touroku.PLR", rireki = "data/Rireki.PLR", sakujyo = "data/Sakujyo.PLR",
                      keitai = "data/Keitai.PLR", bunnya = "data/Bunnya.PLR";
        auto row = [](const char *name, Op op, Fault fault, const QString &target, const QString &named,
                      bool halves = false) { QTest::newRow(name) << op << fault << target << named << halves; };
        // An append adds its whole record or cuts the file back to what it was.
        row("register: read-only file", Op::Register, Fault::ReadOnlyFile, touroku, touroku);
        row("register: article file missing", Op::Register, Fault::NoFile, touroku, "");
        row("register: disk full", Op::Register, Fault::DiskFull, touroku, touroku);
        row("categories: read-only file", Op::Bunnya, Fault::ReadOnlyFile, bunnya, bunnya);
        // The search rewrites the result file and leaves no half list of hits.
        row("search: read-only file", Op::Search, Fault::ReadOnlyFile, rireki, rireki);
        row("search: result file missing", Op::Search, Fault::NoFile, rireki, "");
        row("search: data folder gone", Op::Search, Fault::NoFolder, rireki, touroku);
        row("search: disk full", Op::Search, Fault::DiskFull, rireki, rireki);
        row("search: disk full, two halves", Op::Search, Fault::DiskFull, rireki, rireki, true);
        // The removal writes both files beside the old ones and renames them over.
        row("removal: read-only article file", Op::Removal, Fault::ReadOnlyFile, touroku, touroku);
        row("removal: article file missing", Op::Removal, Fault::NoFile, touroku, touroku);
        row("removal: scratch file missing", Op::Removal, Fault::NoFile, sakujyo, "");
        row("removal: folder in the scratch file's place", Op::Removal, Fault::Folder, sakujyo, sakujyo);
        row("removal: disk full", Op::Removal, Fault::DiskFull, sakujyo, sakujyo);
        row("removal: disk full, two halves", Op::Removal, Fault::DiskFull, sakujyo, sakujyo, true);
        row("removal: leftover of an interrupted one", Op::Removal, Fault::Leftover, touroku + ".pagelore-new",
            "");
        // The data folder screen saves the setting, then makes the missing file.
        row("data folder screen: read-only folder", Op::DataFolder, Fault::ReadOnlyFolder, keitai, keitai);
        row("data folder screen: folder in its place", Op::DataFolder, Fault::Folder, keitai, keitai);
        row("data folder screen: read-only settings folder", Op::DataFolder, Fault::ReadOnlyFolder, kSettings,
            kSettings);
        // Initialise opens all six before it cuts any.
        row("initialise: read-only last file", Op::Initialise, Fault::ReadOnlyFile, keitai, keitai);
        row("initialise: a file missing", Op::Initialise, Fault::NoFile, keitai, "");
        // Export and import check every source and target before the first copy.
        row("export: folder in the last target's place", Op::Export, Fault::Folder, "out/Keitai.PLR",
            "out/Keitai.PLR");
        row("export: disk full", Op::Export, Fault::DiskFull, "out/Touroku.PLR", "out/Touroku.PLR");
        row("export: into the data folder", Op::Export, Fault::IntoDataFolder, "data/./", "data/./Touroku.PLR");
        row("import: a file to read missing", Op::Import, Fault::NoFile, "out/Bunnya.PLR", "out/Bunnya.PLR");
        row("import: read-only data folder", Op::Import, Fault::ReadOnlyFolder, touroku, touroku);
        row("import: from the data folder", Op::Import, Fault::IntoDataFolder, "data/./", "data/./Touroku.PLR");
    }

    void faults()
    {
        QFETCH(Op, op);
        QFETCH(Fault, fault);
        QFETCH(QString, target);
        QFETCH(QString, named);
        QFETCH(bool, halves);
        std::optional<roads::TwoHalves> shared;
        if (halves)
            shared.emplace();

        QTemporaryDir dir;
        const QString root = dir.path() + u'/', data = root + "data/", path = root + target;
        const QString folder = QFileInfo(path).absolutePath();
        QString prefix = root + "out/"; // typed into the export or import prompt
        QDir().mkpath(data);
        QDir().mkpath(prefix);
        const QByteArray bytes[] = {kA1 + kA2 + kA3, kA2, "\"s\"\r\n", "\"m\"\r\n", "\"c\"\r\n", "\"f\"\r\n"};
        for (int i = 0; i < 6; ++i) {
            writeFile(data + kSix[i], bytes[i]);
            writeFile(prefix + kSix[i], "\"o\"\r\n");
        }
        if (op == Op::DataFolder)
            QFile::remove(data + "Keitai.PLR"); // making it is the screen's work
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "config"));
        SaveDataFolder(data);

        // One screen, or the main window for its menu actions, kept for both tries.
        DialogAnswerer opening;
        if (op == Op::Removal)
            opening.ok().ok(); // its one candidate is also the last
        const std::unique_ptr<QDialog> screen(op < Op::Initialise ? kScreens[int(op)]() : nullptr);
        QCOMPARE(opening.unexpected() + opening.pending(), 0);
        Form1 menu;
        if (screen) {
            screen->show();
            QVERIFY(QTest::qWaitForWindowExposed(screen.get()));
            if (auto *tree = screen->findChild<QTreeView *>("Dir1"))
                tree->setCurrentIndex(static_cast<QFileSystemModel *>(tree->model())->index(data));
            if (op == Op::Register) {
                typeInto(screen.get(), "Text3", "12");
                typeInto(screen.get(), "Text4", "15");
            }
            if (op <= Op::Bunnya)
                typeInto(screen.get(), "Text1", op == Op::Register ? "after" : "Zeta");
        }
        // The question or prompt, then one message; a search that succeeds opens its browser, left at once.
        const auto act = [&](DialogAnswerer &answers, bool succeeds) {
            if (op == Op::Export || op == Op::Import)
                answers.type(prefix);
            else if (op != Op::DataFolder)
                answers.yes();
            if (op != Op::Search || !succeeds)
                answers.ok();
            const ModalGuard guard = op == Op::Search && succeeds
                                         ? whenModalOpens([](QWidget *browser) { browser->close(); })
                                         : forbidModal();
            if (!screen)
                (menu.*kMenu[int(op) - int(Op::Initialise)])();
            else
                QTest::mouseClick(child<QPushButton>(screen.get(), "Command2"), Qt::LeftButton);
        };

        const State before = stateOf(root);
        if (fault == Fault::ReadOnlyFolder)
            QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        else if (fault == Fault::ReadOnlyFile)
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        else if (fault == Fault::NoFile)
            QVERIFY(QFile::remove(path));
        else if (fault == Fault::NoFolder)
            QVERIFY(QDir(folder).removeRecursively());
        else if (fault == Fault::Folder)
            QVERIFY((QFile::remove(path) || !before.contains(target)) && QDir().mkdir(path));
        else if (fault == Fault::IntoDataFolder)
            prefix = path;
        else if (fault == Fault::Leftover)
            writeFile(path, "half a record");
        const State faulty = stateOf(root);
        State expected = afterSuccess(op, fault == Fault::Leftover ? before : faulty);

        DialogAnswerer answers;
        // A write cut short inside the new record: the file may keep what it has and take two bytes more.
        if (fault == Fault::DiskFull)
            limitFileSize((op <= Op::Bunnya ? QFileInfo(path).size() : 0) + 2);
        act(answers, named.isEmpty());
        limitFileSize(RLIM_INFINITY);
        if (!named.isEmpty()) {
            QCOMPARE(answers.unexpected() + answers.pending(), 0);
            const QString message = answers.texts().last();
            QVERIFY2(message.contains(QDir::toNativeSeparators(root + named)), qPrintable(message));
            State unchanged = faulty;
            if (op == Op::Search && fault == Fault::DiskFull)
                unchanged["data/Rireki.PLR"].clear(); // no hits of half a pass
            QCOMPARE(stateOf(root), unchanged);
            QVERIFY(!screen || screen->isVisible());

            // The fault gone, the same screen does the same thing again.
            for (const QString &changed : {folder, path})
                QFile::setPermissions(changed, QFile::permissions(changed) | QFileDevice::WriteOwner);
            if (fault == Fault::Folder)
                QVERIFY(QDir().rmdir(path));
            prefix = root + "out/";
            for (auto it = before.cbegin(); it != before.cend(); ++it) {
                if (*it == "<folder>")
                    QDir().mkpath(root + it.key());
                else if (!QFileInfo::exists(root + it.key()))
                    writeFile(root + it.key(), *it);
            }
            expected = afterSuccess(op, stateOf(root));
            answers.clear();
            act(answers, true);
        }
        QCOMPARE(answers.unexpected() + answers.pending(), 0);
        QCOMPARE(stateOf(root), expected);
    }
};

int main(int argc, char *argv[])
{
    std::signal(SIGXFSZ, SIG_IGN); // a write past the size limit fails instead
    // Nothing is read-only to root, so root runs this as an ordinary user,
    // dumpable again so that the leak checker may still look at it.
    if (::geteuid() == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0)
        ::prctl(PR_SET_DUMPABLE, 1);
    isolateUserFolders();
    QApplication app(argc, argv);
    TestFaultInjection tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_faultinjection.moc"
