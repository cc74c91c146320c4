#pragma once

#include "storage/ArticleRecord.h"

#include <QDialog>

#include <memory>
#include <optional>

class QLabel;
class QPushButton;

namespace pagelore {

class ArticleFieldBoxes;
class ArticleListModel;

// One hit of the list with all its fields, read-only: its page images, the
// previous and the next hit of the list, and the way to correct it.
class ArticleDetailScreen : public QDialog {
    Q_OBJECT

public:
    ArticleDetailScreen(ArticleListModel &model, int row, QWidget *parent = nullptr);
    ~ArticleDetailScreen() override;

    int row() const { return m_row; }
    void showRow(int row);

    void PreviousButton_Click();
    void NextButton_Click();
    void ImageButton_Click();
    void CorrectButton_Click();

private:
    ArticleListModel &m_model;
    int m_row = -1;
    std::optional<ArticleRecord> m_article; // as read for the row shown
    std::unique_ptr<ArticleFieldBoxes> m_fields;
    QLabel *m_position;
    QPushButton *m_previous, *m_next, *m_image, *m_correct, *m_close;
};

} // namespace pagelore
