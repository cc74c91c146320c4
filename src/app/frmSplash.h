#pragma once

#include <QWidget>

class QFrame;
class QLabel;

namespace pagelore {

// The start-up splash: logo, product name, version and platform on one
// frame. A key that produces a character, or a click on the frame, closes it.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget *parent = nullptr);

    // "ﾊﾞｰｼﾞｮﾝ " followed by major.minor.revision.
    static QString versionText(int major, int minor, int revision);

    void Form_Load();
    void Frame1_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Form_KeyPress(QKeyEvent *event);

    QFrame *Frame1 = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lblProductName = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblPlatform = nullptr;
};

}  // namespace pagelore
