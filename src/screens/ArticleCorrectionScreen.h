#pragma once

#include "search/Correction.h"
#include "storage/ArticleRecord.h"

#include <QDialog>

#include <memory>

class QPushButton;

namespace pagelore {

class ArticleEntryFields;

// Correcting one stored article: the registration screen's fields, filled
// with the article, and the same checks; saving replaces the article in the
// article file.
class ArticleCorrectionScreen : public QDialog {
    Q_OBJECT

public:
    // `article` is the article as it was read from the file.
    explicit ArticleCorrectionScreen(const ArticleRecord &article, QWidget *parent = nullptr);
    ~ArticleCorrectionScreen() override;

    // Fills the lists, the image folder and the article's fields. When no
    // data folder is chosen or a list file cannot be read the user is told
    // why and false is returned; the screen is then not to be opened.
    bool Form_Load();
    // Form_Load, then the screen modally; true when a correction was saved.
    bool openModal();

    void Command1_Click();
    void Command2_Click();

    // After a saved correction: where it went.
    const Replacement &replacement() const { return m_replacement; }

private:
    const ArticleRecord m_original;
    Replacement m_replacement;
    std::unique_ptr<ArticleEntryFields> m_fields;
    QPushButton *m_command1;
    QPushButton *m_command2;
};

} // namespace pagelore
