#pragma once

#include <QMainWindow>

#include <chrono>
#include <functional>

class QAction;
class QEventLoop;
class QMenu;
class QPushButton;

namespace pagelore {

// Milliseconds on a monotonic clock; tests put in their own.
using SplashClock = std::function<qint64()>;
inline constexpr std::chrono::milliseconds kSplashTime{1500};

// Shows the splash and keeps processing window events until `duration` has
// passed on `clock`, however early the user closes it; then closes it.
void showSplashFor(std::chrono::milliseconds duration, const SplashClock &clock = {});

// The main window: four function buttons and the "ﾌｧｲﾙ" menu. Each opens its
// screen modally or runs one of the collection operations; the program lives
// as long as this window.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // The start-up sequence once this is known to be the only running copy:
    // the splash for `splashTime`, then this window until it closes.
    int Form_Load(std::chrono::milliseconds splashTime = kSplashTime, const SplashClock &clock = {});
    // Shows the window centred and returns when it has closed or the program was ended.
    int showModal();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void WriteDown_Click();
    void ReadIn_Click();
    void Zassi_Click();
    void Bunnya_Click();
    void SaveAdd_Click();
    void gazou_Click();
    void INI_Click();
    void End_Click();
    void ArticleList_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QPushButton *addCommand(const QString &name, const QString &caption, int leftTwips, int topTwips);
    QAction *addEntry(const QString &name, const QString &caption, const QKeySequence &shortcut,
                      void (Form1::*handler)());
    QAction *addBar(const QString &name);
    void finishModal();

    QMenu *File = nullptr;
    QMenu *List = nullptr;
    QEventLoop *m_loop = nullptr;
};

}  // namespace pagelore
