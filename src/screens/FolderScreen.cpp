#include "FolderScreen.h"

#include "ScreenSupport.h"
#include "platform/ui/MessageBox.h"
#include "storage/Collection.h"
#include "storage/SettingsStore.h"
#include "storage/StorageError.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace pagelore {

namespace {

constexpr int px(int twips)
{
    return twips / 15;
}

// Kernel and container file systems that hold no user folders.
bool isPseudoFileSystem(const QByteArray &type)
{
    static const QList<QByteArray> pseudo = {
        "proc",        "sysfs",    "devtmpfs", "devpts",     "cgroup",   "cgroup2",   "securityfs", "pstore",
        "debugfs",     "tracefs",  "configfs", "fusectl",    "mqueue",   "hugetlbfs", "autofs",     "bpf",
        "binfmt_misc", "efivarfs", "nsfs",     "rpc_pipefs", "squashfs", "tmpfs",     "ramfs",      "overlay",
    };
    return pseudo.contains(type);
}

bool isSystemPath(const QString &root)
{
    static const QStringList prefixes = {QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev"),
                                         QStringLiteral("/snap"), QStringLiteral("/boot/efi")};
    for (const QString &p : prefixes) {
        if (root == p || root.startsWith(p + QLatin1Char('/')))
            return true;
    }
    // /run holds only runtime state, except the mount points of removable media.
    return (root == QStringLiteral("/run") || root.startsWith(QStringLiteral("/run/")))
           && !root.startsWith(QStringLiteral("/run/media/"));
}

} // namespace

const FolderScreen::Traits &FolderScreen::dataFolderTraits()
{
    static const Traits traits{
        QStringLiteral("frmRegistFile"),
        QStringLiteral("記事ファイル保管フォルダ指定"),
        QStringLiteral("記事の登録内容を記録したファイルをどこのフォルダに保管するか決定して選択したください。"),
        QStringLiteral("このフォルダに決定"),
        SaveDataFolder,
        true,
        4245,
        4440,
    };
    return traits;
}

const FolderScreen::Traits &FolderScreen::imageFolderTraits()
{
    static const Traits traits{
        QStringLiteral("RGazou"),
        QStringLiteral("記事紙面画像ﾌｧｲﾙの場所指定"),
        QStringLiteral("記事紙面の画像ﾌｧｲﾙが保管されているﾌｫﾙﾀﾞの位置を指定してください。"
                       "記事紙面の画像ﾌｧｲﾙは、ここで指定したﾌｫﾙﾀﾞになければ、当ｿﾌﾄからは認識できません。"),
        QStringLiteral("このﾌｫﾙﾀﾞに決定"),
        SaveImageFolder,
        false,
        4680,
        4755,
    };
    return traits;
}

QString FolderScreen::folderSettingValue(const QString &path)
{
    QString value = path;
    while (value.endsWith(QLatin1Char('/')))
        value.chop(1);
    return value + QLatin1Char('/');
}

QStringList FolderScreen::volumeRoots(const QString &mustInclude)
{
    QStringList roots;
    const auto volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &volume : volumes) {
        const QString root = volume.rootPath();
        // Containers bind single files (/etc/hosts); those are no volumes to browse.
        if (!volume.isValid() || !volume.isReady() || !QFileInfo(root).isDir())
            continue;
        if (root != QStringLiteral("/") && (isPseudoFileSystem(volume.fileSystemType()) || isSystemPath(root)))
            continue;
        roots << root;
    }
    if (!mustInclude.isEmpty()) {
        const QString holder = QStorageInfo(mustInclude).rootPath();
        if (!holder.isEmpty())
            roots << holder;
    }
    roots.sort();
    roots.removeDuplicates();
    return roots;
}

FolderScreen::FolderScreen(const Traits &traits, QWidget *parent) : QDialog(parent), m_traits(traits)
{
    setObjectName(traits.objectName);
    setWindowTitle(traits.caption);
    createWidgets();
    layOutWidgets();

    // Folders are read in the background: the tree grows after this returns,
    // so the open folder is brought into view again as its ancestors load.
    connect(m_model, &QFileSystemModel::directoryLoaded, this, [this](const QString &path) {
        const QString open = chosenFolder();
        if (open == path || open.startsWith(folderSettingValue(path)))
            Dir1->scrollTo(Dir1->currentIndex());
    });
    connect(m_model, &QFileSystemModel::rowsInserted, this, [this](const QModelIndex &parentIndex) {
        if (parentIndex == Dir1->rootIndex())
            hideOtherTopRows();
    });
    connect(Command1, &QPushButton::clicked, this, &FolderScreen::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &FolderScreen::Command2_Click);
}

void FolderScreen::createWidgets()
{
    Label1 = new QLabel(m_traits.label, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setTextFormat(Qt::PlainText);

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));

    m_model = new QFileSystemModel(this);
    // Folders whose names start with a dot are shown too: ~/.local/share is
    // where programs keep their data on this platform.
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives | QDir::Hidden);
    m_model->setReadOnly(true);

    Dir1 = new QTreeView(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setModel(m_model);
    Dir1->setHeaderHidden(true);
    for (int column = 1; column < m_model->columnCount(); ++column)
        Dir1->hideColumn(column);
    Dir1->setSelectionMode(QAbstractItemView::SingleSelection);
    Dir1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Dir1->header()->setStretchLastSection(false);

    Command1 = new QPushButton(kBackCaption, this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2 = new QPushButton(m_traits.decideCaption, this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);
}

void FolderScreen::layOutWidgets()
{
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addStretch(1);
    buttons->addWidget(Command2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Drive1);
    layout->addWidget(Dir1, 1);
    layout->addLayout(buttons);

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, Command1);
    setTabOrder(Command1, Command2);
    resize(px(m_traits.widthTwips), px(m_traits.heightTwips));
}

void FolderScreen::Form_Load()
{
    const QString working = QDir::currentPath();
    const QSignalBlocker quiet(Drive1);
    Drive1->clear();
    for (const QString &root : volumeRoots(working)) {
        const QString name = QStorageInfo(root).name();
        Drive1->addItem(name.isEmpty() ? root : QStringLiteral("%1 (%2)").arg(root, name), root);
    }
    const QString workingVolume = QStorageInfo(working).rootPath();
    Drive1->setCurrentIndex(std::max(0, Drive1->findData(workingVolume)));
    showVolume(Drive1->currentData().toString());
    openFolder(working);
    connect(Drive1, &QComboBox::currentIndexChanged, this, &FolderScreen::Drive1_Change, Qt::UniqueConnection);
    Drive1->setFocus();
}

void FolderScreen::openModal()
{
    Form_Load();
    exec();
}

void FolderScreen::showVolume(const QString &root)
{
    m_volumeRoot = root.isEmpty() ? QStringLiteral("/") : root;
    m_model->setRootPath(m_volumeRoot);
    // The tree starts one level up so that the volume's own root can be chosen;
    // its siblings there belong to other volumes and stay hidden.
    Dir1->setRootIndex(m_model->index(m_volumeRoot).parent());
    hideOtherTopRows();
    openFolder(m_volumeRoot);
}

void FolderScreen::hideOtherTopRows()
{
    const QModelIndex top = Dir1->rootIndex();
    for (int row = 0; row < m_model->rowCount(top); ++row) {
        const QModelIndex index = m_model->index(row, 0, top);
        Dir1->setRowHidden(row, top, m_model->filePath(index) != m_volumeRoot);
    }
}

void FolderScreen::openFolder(const QString &path)
{
    QModelIndex index = m_model->index(QDir::cleanPath(path));
    if (!index.isValid() || !QDir::cleanPath(path).startsWith(QDir::cleanPath(m_volumeRoot)))
        index = m_model->index(m_volumeRoot);
    for (QModelIndex up = index; up.isValid() && up != Dir1->rootIndex(); up = up.parent())
        Dir1->expand(up);
    Dir1->setCurrentIndex(index);
    Dir1->scrollTo(index);
}

QString FolderScreen::chosenFolder() const
{
    const QModelIndex index = Dir1->currentIndex();
    return index.isValid() ? m_model->filePath(index) : m_volumeRoot;
}

void FolderScreen::Drive1_Change()
{
    showVolume(Drive1->currentData().toString());
}

void FolderScreen::Command1_Click()
{
    reject();
}

void FolderScreen::Command2_Click()
{
    const QString value = folderSettingValue(chosenFolder());
    try {
        m_traits.save(value);
        if (m_traits.makesDataFiles)
            Collection::createMissingFiles(DataFolder());
    } catch (const StorageError &error) {
        // The screen stays open so another folder can be chosen; a saved
        // setting stays saved.
        MessageBox::inform(this, error.message(), m_traits.caption);
        return;
    }
    MessageBox::inform(this, QStringLiteral("設定完了しました。"), QStringLiteral("設定完了"));
    accept();
}

} // namespace pagelore
