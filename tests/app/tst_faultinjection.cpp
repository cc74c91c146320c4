// Every place the program writes, driven through its screen or the main
// window's menu, against a file system that fails. A failure gives one message
// naming the file and changes nothing it did not mean to change; once the
// fault is gone the same screen does the same thing again.

#include "support/TestSupport.h"

#include "app/Form1.h"
#include "screens/CandidateEditor.h"
#include "screens/FolderScreen.h"
#include "screens/Form2.h"
#include "screens/Form3.h"
#include "screens/Form6.h"
#include "storage/SettingsStore.h"

#include <QDirIterator>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <csignal>
#include <memory>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace pagelore;
using namespace pagelore::test;

namespace {

enum class Op { Register, Magazines, Categories, Search, Removal, FolderScreen, Initialise, Export, Import };
enum class Fault { ReadOnlyFolder, ReadOnlyFile, NoFile, NoFolder, Folder, DiskFull, DataFolder, Leftover };

const QStringList kSix = {"Touroku.PLR", "Rireki.PLR", "Sakujyo.PLR", "Zassi.PLR", "Bunnya.PLR", "Keitai.PLR"};
const QByteArray kA1 =
    "\"A1\",\"W1\",\"M\",1,2,\"C\",\"F\",#2001-01-01#,\"c1\r\nc2\",\"\",\"\",\"\",\"I\",1,2\r\n";
const QByteArray kA2 = "\"A2\",\"W2\",\"M\",3,4,\"C\",\"F\",#2002-02-02#,\"c3\",\"\",\"\",\"\",\"\",0,0\r\n";
const QByteArray kA3 = "\"A3\",\"W3\",\"M\",5,6,\"C\",\"F\",#2003-03-03#,\"\",\"\",\"\",\"\",\"\",0,0\r\n";
// The title and pages typed below, with the other fields as they start.
const QByteArray kTyped = "\"after\",\"\",\"\",12,15,\"\",\"\",#1990-01-01#,\"\",\"\",\"\",\"\",\"\",0,255\r\n";
const QByteArray kName = "\"Zeta\"\r\n";

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
        QByteArray &data = s["data/" + name], &out = s["out/" + name];
        if (op == Op::Initialise)
            data.clear();
        else if (op == Op::Export)
            out = data;
        else if (op == Op::Import)
            data = out;
    }
    if (op == Op::Register)
        s["data/Touroku.PLR"] += kTyped;
    else if (op == Op::Magazines || op == Op::Categories)
        s[op == Op::Magazines ? "data/Zassi.PLR" : "data/Bunnya.PLR"] += kName;
    else if (op == Op::Search)
        s["data/Rireki.PLR"] = kA1 + kA2 + kA3; // an empty condition fits every article
    else if (op == Op::Removal)
        s["data/Touroku.PLR"] = s["data/Sakujyo.PLR"] = kA1 + kA3;
    return s;
}

template <typename Screen> Screen *make(std::unique_ptr<QDialog> &slot)
{
    slot = std::make_unique<Screen>();
    return static_cast<Screen *>(slot.get());
}

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
    void faults_data();
    void faults();
    void cleanup()
    {
        m_screen.reset();
        m_menu.reset();
    }

private:
    void open(Op op, const QString &dataFolder);
    void act(Op op, DialogAnswerer &answers);

    // One screen, or the main window for its menu actions, kept for both tries.
    std::unique_ptr<QDialog> m_screen;
    std::unique_ptr<Form1> m_menu;
    QString m_prefix; // typed into the export or import prompt
    bool m_browserOpened = false;
};

void TestFaultInjection::open(Op op, const QString &dataFolder)
{
    DialogAnswerer answers;
    answers.ok().ok(); // the removal's one candidate is also the last
    bool loaded = true;
    switch (op) {
    case Op::Register:
        loaded = make<Form3>(m_screen)->Form_Load();
        child<QLineEdit>(m_screen.get(), "Text3")->setText("12");
        child<QLineEdit>(m_screen.get(), "Text4")->setText("15");
        break;
    case Op::Magazines:
        loaded = make<RZassi>(m_screen)->Form_Load();
        break;
    case Op::Categories:
        loaded = make<RBunnya>(m_screen)->Form_Load();
        break;
    case Op::Search:
        loaded = make<Form2>(m_screen)->Form_Load();
        break;
    case Op::Removal:
        make<Form6>(m_screen)->Form_Load();
        break;
    case Op::FolderScreen: {
        make<frmRegistFile>(m_screen)->Form_Load();
        auto *tree = child<QTreeView>(m_screen.get(), "Dir1");
        tree->setCurrentIndex(static_cast<QFileSystemModel *>(tree->model())->index(dataFolder));
        break;
    }
    default:
        m_menu = std::make_unique<Form1>();
        return;
    }
    QVERIFY(loaded);
    QCOMPARE(answers.unexpected(), 0);
    if (op <= Op::Categories)
        child<QLineEdit>(m_screen.get(), "Text1")->setText(op == Op::Register ? "after" : "Zeta");
    m_screen->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_screen.get()));
}

void TestFaultInjection::act(Op op, DialogAnswerer &answers)
{
    if (op == Op::Export || op == Op::Import)
        answers.type(m_prefix);
    else if (op != Op::FolderScreen)
        answers.yes();
    answers.ok();
    m_browserOpened = false;
    if (op == Op::Search) {
        // Only a search that succeeded opens the browser; leave it at once.
        QTimer::singleShot(0, m_screen.get(), [this] {
            if (QWidget *browser = QApplication::activeModalWidget()) {
                m_browserOpened = true;
                browser->close();
            }
        });
    }
    if (op == Op::Initialise)
        m_menu->INI_Click();
    else if (op == Op::Export)
        m_menu->WriteDown_Click();
    else if (op == Op::Import)
        m_menu->ReadIn_Click();
    else
        QTest::mouseClick(child<QPushButton>(m_screen.get(), "Command2"), Qt::LeftButton);
    QCoreApplication::processEvents();
}

void TestFaultInjection::faults_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("target"); // where the fault is, under the root
    QTest::addColumn<QString>("named");  // the file the message names; empty: the action succeeds

    const QString touroku = "data/Touroku.PLR", rireki = "data/Rireki.PLR", sakujyo = "data/Sakujyo.PLR",
                  keitai = "data/Keitai.PLR", bunnya = "data/Bunnya.PLR", outKeitai = "out/Keitai.PLR";
    auto row = [](const char *name, Op op, Fault fault, const QString &target, const QString &named) {
        QTest::newRow(name) << op << fault << target << named;
    };
    // An append adds its whole record or leaves the file as it was.
    row("register: read-only file", Op::Register, Fault::ReadOnlyFile, touroku, touroku);
    row("register: article file missing", Op::Register, Fault::NoFile, touroku, "");
    row("register: folder in its place", Op::Register, Fault::Folder, touroku, touroku);
    row("register: disk full", Op::Register, Fault::DiskFull, touroku, touroku);
    row("magazines: disk full", Op::Magazines, Fault::DiskFull, "data/Zassi.PLR", "data/Zassi.PLR");
    row("categories: read-only file", Op::Categories, Fault::ReadOnlyFile, bunnya, bunnya);
    // The search rewrites the result file and leaves no half list of hits.
    row("search: read-only file", Op::Search, Fault::ReadOnlyFile, rireki, rireki);
    row("search: result file missing", Op::Search, Fault::NoFile, rireki, "");
    row("search: data folder gone", Op::Search, Fault::NoFolder, rireki, touroku);
    row("search: disk full", Op::Search, Fault::DiskFull, rireki, rireki);
    // The removal writes both files beside the old ones and renames them over.
    row("removal: read-only folder", Op::Removal, Fault::ReadOnlyFolder, sakujyo, sakujyo);
    row("removal: read-only article file", Op::Removal, Fault::ReadOnlyFile, touroku, touroku);
    row("removal: article file missing", Op::Removal, Fault::NoFile, touroku, touroku);
    row("removal: scratch file missing", Op::Removal, Fault::NoFile, sakujyo, "");
    row("removal: folder in the scratch file's place", Op::Removal, Fault::Folder, sakujyo, sakujyo);
    row("removal: disk full", Op::Removal, Fault::DiskFull, sakujyo, sakujyo);
    row("removal: leftover of an interrupted one", Op::Removal, Fault::Leftover, touroku + ".pagelore-new", "");
    // The folder screen makes the missing files; the target is missing from the start.
    row("folder screen: read-only folder", Op::FolderScreen, Fault::ReadOnlyFolder, keitai, keitai);
    row("folder screen: folder in its place", Op::FolderScreen, Fault::Folder, keitai, keitai);
    // Initialise opens all six before it cuts any.
    row("initialise: read-only last file", Op::Initialise, Fault::ReadOnlyFile, keitai, keitai);
    row("initialise: a file missing", Op::Initialise, Fault::NoFile, keitai, "");
    row("initialise: folder in the last file's place", Op::Initialise, Fault::Folder, keitai, keitai);
    // Export and import check every source and target before the first copy.
    row("export: folder in the last target's place", Op::Export, Fault::Folder, outKeitai, outKeitai);
    row("export: disk full", Op::Export, Fault::DiskFull, "out/Touroku.PLR", "out/Touroku.PLR");
    row("export: into the data folder", Op::Export, Fault::DataFolder, "data/./", "data/./Touroku.PLR");
    row("import: a file to read missing", Op::Import, Fault::NoFile, "out/Bunnya.PLR", "out/Bunnya.PLR");
    row("import: read-only data folder", Op::Import, Fault::ReadOnlyFolder, touroku, touroku);
    row("import: from the data folder", Op::Import, Fault::DataFolder, "data/./", "data/./Touroku.PLR");
}

void TestFaultInjection::faults()
{
    QFETCH(Op, op);
    QFETCH(Fault, fault);
    QFETCH(QString, target);
    QFETCH(QString, named);
    if ((fault == Fault::ReadOnlyFolder || fault == Fault::ReadOnlyFile) && ::geteuid() == 0)
        QSKIP("nothing is read-only to root");

    QTemporaryDir dir;
    const QString root = dir.path() + u'/', data = root + "data/", out = root + "out/", path = root + target;
    const QString folder = QFileInfo(path).absolutePath();
    QDir().mkpath(data);
    QDir().mkpath(out);
    const QByteArray bytes[] = {kA1 + kA2 + kA3, kA2, "\"s\"\r\n", "\"m\"\r\n", "\"c\"\r\n", "\"f\"\r\n"};
    for (int i = 0; i < 6; ++i) {
        writeFile(data + kSix[i], bytes[i]);
        writeFile(out + kSix[i], "\"o\"\r\n");
    }
    if (op == Op::FolderScreen)
        QFile::remove(path); // making it is the screen's work
    SettingsStore::SaveSetting(kApplicationName, "FileSave", "Address", data);
    m_prefix = out;
    open(op, data);
    if (QTest::currentTestFailed())
        return;

    const State before = stateOf(root);
    const QFileDevice::Permissions writable = QFile::permissions(folder);
    if (fault == Fault::ReadOnlyFolder)
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    else if (fault == Fault::ReadOnlyFile)
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    else if (fault == Fault::NoFile)
        QVERIFY(QFile::remove(path));
    else if (fault == Fault::NoFolder)
        QVERIFY(QDir(folder).removeRecursively());
    else if (fault == Fault::Folder)
        QVERIFY((QFile::remove(path) || op == Op::FolderScreen) && QDir().mkdir(path));
    else if (fault == Fault::DataFolder)
        m_prefix = path;
    else if (fault == Fault::Leftover)
        writeFile(path, "half a record");
    const State faulty = stateOf(root);
    State expected = afterSuccess(op, fault == Fault::Leftover ? before : faulty);
    // The question or prompt, then one message; a search that succeeds opens its browser instead.
    const auto boxes = [op](bool failed) {
        return (op == Op::FolderScreen ? 0 : 1) + (op != Op::Search || failed);
    };

    DialogAnswerer answers;
    // The file may keep what it has and take two bytes more: a write is cut short.
    if (fault == Fault::DiskFull)
        limitFileSize((op <= Op::Categories ? QFileInfo(path).size() : 0) + 2);
    act(op, answers);
    limitFileSize(RLIM_INFINITY);
    if (!named.isEmpty()) {
        QCOMPARE(answers.unexpected(), 0);
        QCOMPARE(answers.shown().size(), boxes(true));
        const QString message = answers.texts().last();
        QVERIFY2(message.contains(QDir::toNativeSeparators(root + named)), qPrintable(message));
        State unchanged = faulty;
        if (op == Op::Search && fault == Fault::DiskFull)
            unchanged["data/Rireki.PLR"].clear(); // no hits of half a pass
        QCOMPARE(stateOf(root), unchanged);
        QVERIFY(!m_screen || m_screen->isVisible());

        // The fault gone, the same screen does the same thing again.
        if (fault == Fault::ReadOnlyFolder)
            QFile::setPermissions(folder, writable);
        else if (fault == Fault::ReadOnlyFile)
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        else if (fault == Fault::Folder)
            QVERIFY(QDir().rmdir(path));
        m_prefix = out;
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (*it == "<folder>")
                QDir().mkpath(root + it.key());
            else if (!QFileInfo::exists(root + it.key()))
                writeFile(root + it.key(), *it);
        }
        expected = afterSuccess(op, stateOf(root));
        answers.clear();
        act(op, answers);
    }
    QCOMPARE(answers.unexpected(), 0);
    QCOMPARE(answers.shown().size(), boxes(false));
    QCOMPARE(stateOf(root), expected);
    QCOMPARE(m_browserOpened, op == Op::Search);
}

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
