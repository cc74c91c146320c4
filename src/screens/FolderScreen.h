#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QModelIndex;
class QPushButton;
class QTreeView;

namespace pagelore {

// The folder screens frmRegistFile and RGazou: pick a volume in Drive1 and a
// folder in Dir1, and "Command2" saves it as the data or image folder.
class FolderScreen : public QDialog {
    Q_OBJECT
public:
    // What tells the two screens apart.
    struct Traits {
        QString objectName;
        QString caption;
        QString label;
        QString decideCaption;
        void (*save)(const QString &folder);  // the folder setting written
        bool makesDataFiles;    // frmRegistFile makes the six data files exist
        int widthTwips;
        int heightTwips;
    };
    static const Traits &dataFolderTraits();
    static const Traits &imageFolderTraits();

    // The saved form of a folder path: exactly one "/" at the end, the root
    // staying "/".
    static QString folderSettingValue(const QString &path);

    // Mounted volumes worth offering: real file systems, not the kernel's
    // pseudo ones, plus whichever holds `mustInclude`.
    static QStringList volumeRoots(const QString &mustInclude);

    FolderScreen(const Traits &traits, QWidget *parent = nullptr);

    // Offers the volumes and opens the working folder in Dir1.
    void Form_Load();
    // Form_Load, then the screen modally.
    void openModal();

    // The folder open in Dir1 (empty when none is).
    QString chosenFolder() const;

    void Drive1_Change();
    void Command1_Click();
    void Command2_Click();

private:
    void createWidgets();
    void layOutWidgets();
    void showVolume(const QString &root);
    void openFolder(const QString &path);
    void hideOtherTopRows();

    const Traits &m_traits;
    QString m_volumeRoot;
    QFileSystemModel *m_model = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *Drive1 = nullptr;
    QTreeView *Dir1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
};

// Chooses the data folder and makes the six data files exist there.
class frmRegistFile : public FolderScreen {
    Q_OBJECT
public:
    explicit frmRegistFile(QWidget *parent = nullptr) : FolderScreen(dataFolderTraits(), parent) {}
};

// Chooses the folder of the page images; touches no file.
class RGazou : public FolderScreen {
    Q_OBJECT
public:
    explicit RGazou(QWidget *parent = nullptr) : FolderScreen(imageFolderTraits(), parent) {}
};

}  // namespace pagelore
