#pragma once

#include <memory>

#include "ArticleFieldBoxes.h"
#include "ResultBrowserBase.h"
#include "storage/PageImages.h"

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
    std::unique_ptr<ArticleFieldBoxes> m_fields;
    // The pages of the article shown; none before the first and after a failure.
    PageImageSelection m_selection;
    QPushButton *Command1, *Command2, *Command3, *Command4;
};

}  // namespace pagelore
