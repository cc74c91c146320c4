#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace pagelore {

// The page image viewer: the scanned pages of the article the result browser
// shows, one page at a time, stretched to a fixed picture area.
class Form7 : public QDialog {
    Q_OBJECT

public:
    explicit Form7(QWidget *parent = nullptr);

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    quint8 currentImageNo() const { return m_current; }

    static constexpr int kPictureWidth = 521;
    static constexpr int kPictureHeight = 689;
    static const QString kMessageTitle;

private:
    void loadPage();
    // The file for the current page; when the exact name is missing, one that
    // differs from it only in letter case (scans named PC0.JPG).
    QString pagePath() const;

    QLabel *Image1;
    QLabel *Label1;
    QPushButton *Command1, *Command2, *Command3;
    quint8 m_current = 0;
};

}  // namespace pagelore
