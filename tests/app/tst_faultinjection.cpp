// Every place the application writes, driven through its screen or menu
// action, against a file system that fails: a read-only folder, a missing file
// or folder, a folder where the file should be, a full disk. Each failure must
// give one message naming the file, change nothing it did not mean to change,
// and leave the screen able to do the same thing again once the fault is gone.

#include "support/TestSupport.h"

#include "app/CollectionActions.h"
#include "screens/CandidateEditor.h"
#include "screens/FolderScreen.h"
#include "screens/Form2.h"
#include "screens/Form3.h"
#include "screens/Form4.h"
#include "screens/Form6.h"
#include "storage/ArticleRecord.h"
#include "storage/DataFiles.h"
#include "storage/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <csignal>
#include <memory>

#include <sys/resource.h>
#include <unistd.h>

using namespace pagelore;
using namespace pagelore::test;

namespace {

enum class Op { Register, MagazineList, CategoryList, Search, DeleteSearch, Removal, FolderScreen, Initialise, Export, Import };
enum class Fault { ReadOnlyFolder, MissingFile, MissingFolder, Directory, DevFull, SizeLimit };

const char *const kNobodyVariable = "PAGELORE_FAULT_AS_NOBODY";

ArticleRecord sampleArticle(int n)
{
    ArticleRecord a;
    a.Title = QStringLiteral("記事%1").arg(n);
    a.Writer = QStringLiteral("記者%1").arg(n);
    a.FirstPage = static_cast<qint16>(n);
    a.LastPage = static_cast<qint16>(n);
    a.PublicationDate = DateValue::fromDate(QDate(2000, 1, n));
    a.Content = QStringLiteral("内容%1\r\n二行目").arg(n);
    a.LastImageNo = 255;
    return a;
}

// What the registration screen writes for the article typed in act().
QByteArray typedArticle()
{
    ArticleRecord a;
    a.Title = QStringLiteral("故障の後");
    a.FirstPage = 12;
    a.LastPage = 15;
    a.PublicationDate = DateValue::fromDate(QDate(1990, 1, 1));
    a.LastImageNo = 255;
    return a.encode();
}

const QString kTypedName = QStringLiteral("新しい名前");

// The state of a folder: file bytes, or a mark for anything else.
using State = QMap<QString, QByteArray>;

State stateOf(const QString &folder)
{
    State s;
    const QFileInfoList infos = QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System
                                                          | QDir::Hidden);
    for (const QFileInfo &info : infos) {
        if (info.isSymLink())
            s.insert(info.fileName(), "<link to " + info.symLinkTarget().toUtf8() + ">");
        else if (info.isDir())
            s.insert(info.fileName(), "<folder>");
        else
            s.insert(info.fileName(), readFile(info.filePath()));
    }
    return s;
}

struct Fixture {
    QTemporaryDir root;
    QString data;
    QString out;

    Fixture()
    {
        data = root.path() + QStringLiteral("/data/");
        out = root.path() + QStringLiteral("/out/");
        QDir().mkpath(data);
        QDir().mkpath(out);
        writeFile(data + DataFiles::ArticleFile, sampleArticle(1).encode() + sampleArticle(2).encode() + sampleArticle(3).encode());
        writeFile(data + DataFiles::ResultFile, sampleArticle(2).encode());
        writeFile(data + DataFiles::ScratchFile, sjis(QStringLiteral("\"前回の残り\"\r\n")));
        writeFile(data + DataFiles::MagazineList, sjis(QStringLiteral("\"月刊誌\"\r\n")));
        writeFile(data + DataFiles::CategoryList, sjis(QStringLiteral("\"分野\"\r\n")));
        writeFile(data + DataFiles::FormList, sjis(QStringLiteral("\"形態\"\r\n")));
        for (const QString &name : DataFiles::all())
            writeFile(out + name, sjis(QStringLiteral("\"書き出し先の%1\"\r\n").arg(name)));
        writeFile(out + DataFiles::ArticleFile, sampleArticle(4).encode());
        SettingsStore::SaveSetting(kApplicationName, QStringLiteral("FileSave"), QStringLiteral("Address"), data);
    }
    QString path(const QString &relative) const { return root.path() + u'/' + relative; }
    QPair<State, State> snapshot() const { return {stateOf(data), stateOf(out)}; }
};

void setWritable(const QString &path, bool writable, bool isFolder)
{
    QFileDevice::Permissions p = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (isFolder)
        p |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    if (writable)
        p |= QFileDevice::WriteOwner;
    QFile::setPermissions(path, p);
}

void setFileSizeLimit(rlim_t limit)
{
    rlimit lim{};
    ::getrlimit(RLIMIT_FSIZE, &lim);
    lim.rlim_cur = limit;
    ::setrlimit(RLIMIT_FSIZE, &lim);
}

void liftFileSizeLimit()
{
    rlimit lim{};
    ::getrlimit(RLIMIT_FSIZE, &lim);
    lim.rlim_cur = lim.rlim_max;
    ::setrlimit(RLIMIT_FSIZE, &lim);
}

// One screen (or the main window's menu action) kept for both attempts.
class Session {
public:
    Session(Op op, const Fixture &fx) : m_op(op), m_fx(fx)
    {
        switch (op) {
        case Op::Register: {
            auto *f = new Form3;
            QVERIFY(f->Form_Load());
            m_screen.reset(f);
            child<QLineEdit>(f, QStringLiteral("Text1"))->setText(QStringLiteral("故障の後"));
            child<QLineEdit>(f, QStringLiteral("Text3"))->setText(QStringLiteral("12"));
            child<QLineEdit>(f, QStringLiteral("Text4"))->setText(QStringLiteral("15"));
            break;
        }
        case Op::MagazineList:
        case Op::CategoryList: {
            CandidateEditor *e = op == Op::MagazineList ? static_cast<CandidateEditor *>(new RZassi)
                                                        : static_cast<CandidateEditor *>(new RBunnya);
            QVERIFY(e->Form_Load());
            m_screen.reset(e);
            child<QLineEdit>(e, QStringLiteral("Text1"))->setText(kTypedName);
            break;
        }
        case Op::Search:
            m_screen = std::make_unique<Form2>();
            break;
        case Op::DeleteSearch:
            m_screen = std::make_unique<Form4>();
            break;
        case Op::Removal: {
            DialogAnswerer opening;
            opening.ok().ok();  // the one candidate is also the last
            m_screen = std::make_unique<Form6>();
            break;
        }
        case Op::FolderScreen:
            m_screen = std::make_unique<frmRegistFile>();
            openDataFolder();
            break;
        case Op::Initialise:
        case Op::Export:
        case Op::Import:
            break;
        }
        if (m_screen) {
            m_screen->show();
            QVERIFY(QTest::qWaitForWindowExposed(m_screen.get()));
        }
    }

    // Answers the operation's question (or prompt) and the one message that
    // follows it.
    int questions() const { return m_op == Op::FolderScreen ? 0 : 1; }

    void act(DialogAnswerer &answers)
    {
        if (m_op == Op::Export || m_op == Op::Import)
            answers.type(m_fx.out);
        else if (m_op != Op::FolderScreen)
            answers.yes();
        answers.ok();
        switch (m_op) {
        case Op::Register:
        case Op::MagazineList:
        case Op::CategoryList:
        case Op::Removal:
            click("Command2");
            break;
        case Op::Search:
        case Op::DeleteSearch:
            // Only a search that succeeded opens the browser; leave it at once.
            m_browserOpened = false;
            QTimer::singleShot(0, m_screen.get(), [this] {
                if (QWidget *browser = QApplication::activeModalWidget()) {
                    m_browserOpened = true;
                    QTest::keyClick(browser, Qt::Key_Escape);
                }
            });
            click("Command2");
            QCoreApplication::processEvents();
            break;
        case Op::FolderScreen:
            if (QFileInfo(m_fx.data).isDir())
                openDataFolder();
            click("Command2");
            break;
        case Op::Initialise:
            runInitialise(nullptr);
            break;
        case Op::Export:
            runExport(nullptr);
            break;
        case Op::Import:
            runImport(nullptr);
            break;
        }
    }

    bool browserOpened() const { return m_browserOpened; }
    QDialog *screen() const { return m_screen.get(); }

private:
    // Opens the data folder in Dir1 as a click on it would.
    void openDataFolder()
    {
        auto *tree = child<QTreeView>(m_screen.get(), QStringLiteral("Dir1"));
        auto *model = qobject_cast<QFileSystemModel *>(tree->model());
        QVERIFY(model);
        const QString folder = QDir(m_fx.data).absolutePath();
        const QModelIndex index = model->index(folder);
        QVERIFY2(index.isValid(), qPrintable(folder));
        tree->setCurrentIndex(index);
        QCOMPARE(static_cast<FolderScreen *>(m_screen.get())->chosenFolder(), folder);
    }

    void click(const char *name)
    {
        QTest::mouseClick(child<QPushButton>(m_screen.get(), QString::fromLatin1(name)), Qt::LeftButton);
    }

    Op m_op;
    const Fixture &m_fx;
    std::unique_ptr<QDialog> m_screen;
    bool m_browserOpened = false;
};

// The folders as a successful operation leaves them, starting from `before`.
QPair<State, State> afterSuccess(Op op, QPair<State, State> before)
{
    State &data = before.first;
    State &out = before.second;
    switch (op) {
    case Op::Register:
        data[DataFiles::ArticleFile] += typedArticle();
        break;
    case Op::MagazineList:
        data[DataFiles::MagazineList] += sjis(u'"' + kTypedName + QStringLiteral("\"\r\n"));
        break;
    case Op::CategoryList:
        data[DataFiles::CategoryList] += sjis(u'"' + kTypedName + QStringLiteral("\"\r\n"));
        break;
    case Op::Search:
    case Op::DeleteSearch:
        // No article has keywords, and an empty keyword condition fits an empty keyword.
        data[DataFiles::ResultFile] = data.value(DataFiles::ArticleFile);
        break;
    case Op::Removal:
        data[DataFiles::ArticleFile] = sampleArticle(1).encode() + sampleArticle(3).encode();
        data[DataFiles::ScratchFile] = data[DataFiles::ArticleFile];
        break;
    case Op::FolderScreen:
        for (const QString &name : DataFiles::all())
            data[name] = data.value(name);
        break;
    case Op::Initialise:
        for (const QString &name : DataFiles::all())
            data[name] = QByteArray();
        break;
    case Op::Export:
        for (const QString &name : DataFiles::all())
            out[name] = data.value(name);
        break;
    case Op::Import:
        for (const QString &name : DataFiles::all())
            data[name] = out.value(name);
        break;
    }
    return before;
}

QString doneTitle(Op op)
{
    switch (op) {
    case Op::Register:
    case Op::MagazineList:
    case Op::CategoryList:
        return QStringLiteral("登録完了");
    case Op::Removal:
    case Op::Initialise:
        return QStringLiteral("削除完了");
    case Op::FolderScreen:
        return QStringLiteral("設定完了");
    case Op::Export:
    case Op::Import:
        return QStringLiteral("コピー完了");
    case Op::Search:
    case Op::DeleteSearch:
        break;
    }
    return QString();
}

}  // namespace

Q_DECLARE_METATYPE(Op)
Q_DECLARE_METATYPE(Fault)

class TestFaultInjection : public QObject {
    Q_OBJECT

private slots:
    void faults_data();
    void faults();
};

void TestFaultInjection::faults_data()
{
    QTest::addColumn<Op>("op");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("target");  // where the fault is, relative to the fixture's root
    QTest::addColumn<QString>("named");   // the file the message must name; empty when the operation succeeds

    const QString touroku = QStringLiteral("data/Touroku.PLR");
    const QString rireki = QStringLiteral("data/Rireki.PLR");
    const QString sakujyo = QStringLiteral("data/Sakujyo.PLR");
    const QString zassi = QStringLiteral("data/Zassi.PLR");
    const QString bunnya = QStringLiteral("data/Bunnya.PLR");
    const QString keitai = QStringLiteral("data/Keitai.PLR");
    const QString outTouroku = QStringLiteral("out/Touroku.PLR");
    const QString outKeitai = QStringLiteral("out/Keitai.PLR");

    auto row = [](const char *name, Op op, Fault fault, const QString &target, const QString &named) {
        QTest::newRow(name) << op << fault << target << named;
    };

    // Appending writers: a missing file is made, holding the new record.
    row("register: read-only", Op::Register, Fault::ReadOnlyFolder, touroku, touroku);
    row("register: article file missing", Op::Register, Fault::MissingFile, touroku, QString());
    row("register: data folder gone", Op::Register, Fault::MissingFolder, touroku, touroku);
    row("register: folder in its place", Op::Register, Fault::Directory, touroku, touroku);
    row("register: /dev/full", Op::Register, Fault::DevFull, touroku, touroku);
    row("register: disk full", Op::Register, Fault::SizeLimit, touroku, touroku);
    row("magazines: read-only", Op::MagazineList, Fault::ReadOnlyFolder, zassi, zassi);
    row("magazines: list missing", Op::MagazineList, Fault::MissingFile, zassi, QString());
    row("magazines: data folder gone", Op::MagazineList, Fault::MissingFolder, zassi, zassi);
    row("magazines: folder in its place", Op::MagazineList, Fault::Directory, zassi, zassi);
    row("magazines: /dev/full", Op::MagazineList, Fault::DevFull, zassi, zassi);
    row("magazines: disk full", Op::MagazineList, Fault::SizeLimit, zassi, zassi);
    row("categories: read-only", Op::CategoryList, Fault::ReadOnlyFolder, bunnya, bunnya);
    row("categories: folder in its place", Op::CategoryList, Fault::Directory, bunnya, bunnya);
    row("categories: /dev/full", Op::CategoryList, Fault::DevFull, bunnya, bunnya);
    row("categories: disk full", Op::CategoryList, Fault::SizeLimit, bunnya, bunnya);

    // The search pass rewrites the result file from its first byte.
    row("search: read-only", Op::Search, Fault::ReadOnlyFolder, rireki, rireki);
    row("search: result file missing", Op::Search, Fault::MissingFile, rireki, QString());
    row("search: data folder gone", Op::Search, Fault::MissingFolder, rireki, touroku);
    row("search: folder in its place", Op::Search, Fault::Directory, rireki, rireki);
    row("search: /dev/full", Op::Search, Fault::DevFull, rireki, rireki);
    row("search: disk full", Op::Search, Fault::SizeLimit, rireki, rireki);
    row("deletion search: folder in its place", Op::DeleteSearch, Fault::Directory, rireki, rireki);
    row("deletion search: /dev/full", Op::DeleteSearch, Fault::DevFull, rireki, rireki);
    row("deletion search: disk full", Op::DeleteSearch, Fault::SizeLimit, rireki, rireki);

    // Removal writes the scratch file and a new article file beside the old.
    row("removal: read-only", Op::Removal, Fault::ReadOnlyFolder, sakujyo, sakujyo);
    row("removal: scratch file missing", Op::Removal, Fault::MissingFile, sakujyo, QString());
    row("removal: article file missing", Op::Removal, Fault::MissingFile, touroku, touroku);
    row("removal: data folder gone", Op::Removal, Fault::MissingFolder, touroku, touroku);
    row("removal: folder in the scratch file's place", Op::Removal, Fault::Directory, sakujyo, sakujyo);
    row("removal: folder in the article file's place", Op::Removal, Fault::Directory, touroku, touroku);
    row("removal: scratch file /dev/full", Op::Removal, Fault::DevFull, sakujyo, sakujyo);
    row("removal: disk full", Op::Removal, Fault::SizeLimit, sakujyo, sakujyo);

    // The folder screen makes the missing files exist; the target is made missing first.
    row("folder screen: read-only", Op::FolderScreen, Fault::ReadOnlyFolder, keitai, keitai);
    row("folder screen: folder in its place", Op::FolderScreen, Fault::Directory, keitai, keitai);
    row("folder screen: /dev/full in its place", Op::FolderScreen, Fault::DevFull, keitai, keitai);
    row("folder screen: folder gone after choosing", Op::FolderScreen, Fault::MissingFolder, touroku, touroku);

    row("initialise: read-only", Op::Initialise, Fault::ReadOnlyFolder, touroku, touroku);
    row("initialise: one file missing", Op::Initialise, Fault::MissingFile, keitai, QString());
    row("initialise: data folder gone", Op::Initialise, Fault::MissingFolder, touroku, touroku);
    row("initialise: folder in the last file's place", Op::Initialise, Fault::Directory, keitai, keitai);
    row("initialise: /dev/full as the last file", Op::Initialise, Fault::DevFull, keitai, keitai);

    row("export: read-only", Op::Export, Fault::ReadOnlyFolder, outTouroku, outTouroku);
    row("export: target missing", Op::Export, Fault::MissingFile, outKeitai, QString());
    row("export: target folder gone", Op::Export, Fault::MissingFolder, outTouroku, outTouroku);
    row("export: folder in the last target's place", Op::Export, Fault::Directory, outKeitai, outKeitai);
    row("export: disk full", Op::Export, Fault::SizeLimit, outTouroku, outTouroku);

    row("import: read-only", Op::Import, Fault::ReadOnlyFolder, touroku, touroku);
    row("import: data file missing", Op::Import, Fault::MissingFile, keitai, QString());
    row("import: data folder gone", Op::Import, Fault::MissingFolder, touroku, touroku);
    row("import: folder in the last file's place", Op::Import, Fault::Directory, keitai, keitai);
    row("import: disk full", Op::Import, Fault::SizeLimit, touroku, touroku);
}

void TestFaultInjection::faults()
{
    QFETCH(Op, op);
    QFETCH(Fault, fault);
    QFETCH(QString, target);
    QFETCH(QString, named);

    if (fault == Fault::ReadOnlyFolder && ::geteuid() == 0) {
        // Nothing is read-only to root: this row runs again in a child process
        // that has dropped to an ordinary user before making its files.
        QProcess childRun;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kNobodyVariable), QStringLiteral("1"));
        childRun.setProcessEnvironment(env);
        childRun.start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("faults:") + QString::fromUtf8(QTest::currentDataTag())});
        QVERIFY(childRun.waitForFinished(120000));
        const QByteArray output = childRun.readAllStandardOutput() + childRun.readAllStandardError();
        if (childRun.exitCode() == 77)
            QSKIP("cannot switch to an ordinary user here");
        QVERIFY2(childRun.exitStatus() == QProcess::NormalExit && childRun.exitCode() == 0, output.constData());
        QVERIFY2(output.contains("PASS   : TestFaultInjection::faults("), output.constData());
        return;
    }

    Fixture fx;
    QVERIFY(fx.root.isValid());
    const QString targetPath = fx.path(target);
    const QString targetFolder = QFileInfo(targetPath).absolutePath() + u'/';
    if (op == Op::FolderScreen && fault != Fault::MissingFolder)
        QVERIFY(QFile::remove(targetPath));  // making it is the screen's work

    Session session(op, fx);
    if (QTest::currentTestFailed())
        return;

    const QPair<State, State> before = fx.snapshot();
    const QByteArray targetBytes = readFile(targetPath);

    switch (fault) {
    case Fault::ReadOnlyFolder:
        for (const QString &name : QDir(targetFolder).entryList(QDir::Files))
            setWritable(targetFolder + name, false, false);
        setWritable(targetFolder, false, true);
        break;
    case Fault::MissingFile:
        QVERIFY(QFile::remove(targetPath));
        break;
    case Fault::MissingFolder:
        QVERIFY(QDir(targetFolder).removeRecursively());
        break;
    case Fault::Directory:
        QFile::remove(targetPath);
        QVERIFY(QDir().mkdir(targetPath));
        break;
    case Fault::DevFull:
        QFile::remove(targetPath);
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), targetPath));
        break;
    case Fault::SizeLimit:
        std::signal(SIGXFSZ, SIG_IGN);
        // The target may keep what it has but not grow by a byte; files
        // written anew fail at once.
        setFileSizeLimit(static_cast<rlim_t>(op == Op::Register || op == Op::MagazineList
                                                     || op == Op::CategoryList
                                                 ? targetBytes.size()
                                                 : 8));
        break;
    }
    QPair<State, State> faulty = fx.snapshot();

    DialogAnswerer answers;
    if (named.isEmpty()) {
        // A missing target is no failure: the operation makes it.
        session.act(answers);
        QPair<State, State> expected = afterSuccess(op, faulty);
        QCOMPARE(fx.snapshot(), expected);
        if (op == Op::Search || op == Op::DeleteSearch)
            QVERIFY(session.browserOpened());
        else
            QCOMPARE(answers.titles().last(), doneTitle(op));
        QCOMPARE(answers.unexpected(), 0);
        return;
    }

    session.act(answers);
    if (fault == Fault::SizeLimit)
        liftFileSizeLimit();

    QCOMPARE(answers.unexpected(), 0);
    QCOMPARE(answers.pending(), 0);
    QCOMPARE(answers.shown().size(), session.questions() + 1);
    const QString message = answers.texts().last();
    QVERIFY2(message.contains(QDir::toNativeSeparators(fx.path(named))), qPrintable(message));
    QVERIFY(!session.browserOpened());
    // A search that fails half-way leaves no hits for the browser to show.
    if ((op == Op::Search || op == Op::DeleteSearch) && fault == Fault::SizeLimit)
        faulty.first[DataFiles::ResultFile].clear();
    // The folder screen saves the setting before it makes the files; a
    // failure after that leaves the saved setting, which names the right folder.
    QCOMPARE(fx.snapshot(), faulty);
    if (session.screen())
        QVERIFY(session.screen()->isVisible());

    // The fault removed, the same screen does the same thing again.
    switch (fault) {
    case Fault::ReadOnlyFolder:
        setWritable(targetFolder, true, true);
        for (const QString &name : QDir(targetFolder).entryList(QDir::Files))
            setWritable(targetFolder + name, true, false);
        break;
    case Fault::MissingFile:
    case Fault::MissingFolder:
    case Fault::Directory:
    case Fault::DevFull:
        if (QFileInfo(targetPath).isDir())
            QVERIFY(QDir().rmdir(targetPath));
        QFile::remove(targetPath);
        QDir().mkpath(targetFolder);
        for (const QString &folder : {fx.data, fx.out}) {
            const State &old = folder == fx.data ? before.first : before.second;
            for (auto it = old.cbegin(); it != old.cend(); ++it) {
                if (!QFileInfo::exists(folder + it.key()))
                    writeFile(folder + it.key(), it.value());
            }
        }
        if (op != Op::FolderScreen || fault == Fault::MissingFolder)
            writeFile(targetPath, targetBytes);
        break;
    case Fault::SizeLimit:
        break;
    }
    const QPair<State, State> mended = fx.snapshot();
    answers.clear();
    session.act(answers);
    QCOMPARE(fx.snapshot(), afterSuccess(op, mended));
    if (op == Op::Search || op == Op::DeleteSearch)
        QVERIFY(session.browserOpened());
    else
        QCOMPARE(answers.titles().last(), doneTitle(op));
    QCOMPARE(answers.unexpected(), 0);
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(kNobodyVariable) && ::geteuid() == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            return 77;
    }
    pagelore::test::isolateUserFolders();
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestFaultInjection tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_faultinjection.moc"
