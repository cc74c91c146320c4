#pragma once

#include <memory>

#include "ArticleFieldBoxes.h"
#include "ResultBrowserBase.h"
#include "search/Search.h"

#include <optional>

class QPushButton;

namespace pagelore {

// The deletion browser: fields 1 to 12 of one candidate, and the removal of
// the article shown from the article file.
class Form6 : public ResultBrowserBase {
    Q_OBJECT

public:
    explicit Form6(QWidget *parent = nullptr);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    static const QString kDeleteQuestion;
    static const QString kDeleteQuestionTitle;
    static const QString kDeleted;
    static const QString kDeletedTitle;
    static const QString kNotDeletedTitle;
    static const QString kNothingShown;
    // %1: the article file.
    static const QString kNotFound;
    static const QString kNothingChanged;

protected:
    void showRecord(const ArticleRecord &record) override;
    void showNoRecord() override;

private:
    std::unique_ptr<ArticleFieldBoxes> m_fields;
    QPushButton *Command1, *Command2, *Command3, *Command4;

    // What the removal compares with: the record as read, never the boxes,
    // which the user may have typed into.
    std::optional<ShownCandidate> m_shown;
};

}  // namespace pagelore
