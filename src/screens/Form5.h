#pragma once

#include "ResultBrowserBase.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pagelore {

// The article search result browser: all fifteen fields of one hit, the
// page image viewer for it, and the way back.
class Form5 : public ResultBrowserBase {
    Q_OBJECT

public:
    explicit Form5(QWidget *parent = nullptr);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

protected:
    void showRecord(const ArticleRecord &record) override;
    void showNoRecord() override;

private:
    QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8;
    QPlainTextEdit *Text9;
    QLineEdit *Text10, *Text11, *Text12, *Text13, *Text14, *Text15;
    QPushButton *Command1, *Command2, *Command3, *Command4;
};

}  // namespace pagelore
