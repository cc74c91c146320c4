#pragma once

#include "storage/PageImages.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace pagelore {

// The page image viewer: the scanned pages of one article (the one the
// result browser shows), one page at a time, stretched to a fixed picture area.
class Form7 : public QDialog {
    Q_OBJECT

public:
    explicit Form7(const PageImageSelection &selection, QWidget *parent = nullptr);

    // Shows the first page, or says that the article has none.
    void Form_Load();
    // Form_Load, then the viewer modally.
    void openModal();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    quint8 currentImageNo() const { return m_current; }

    static constexpr int kPictureWidth = 521;
    static constexpr int kPictureHeight = 689;
    static const QString kMessageTitle;

private:
    void loadPage();
    bool refuseWithoutImages();

    const PageImageSelection m_selection;
    QLabel *Image1;
    QLabel *Label1;
    QPushButton *Command1, *Command2, *Command3;
    quint8 m_current = 0;
};

}  // namespace pagelore
