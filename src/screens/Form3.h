#pragma once

#include <QDialog>

#include <memory>

class QPushButton;

namespace pagelore {

class ArticleEntryFields;

// The registration screen: one article typed in, appended to the article
// file as one record, and the screen closes.
class Form3 : public QDialog {
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);
    ~Form3() override;

    // Fills the magazine and category lists and shows the image folder. When
    // no data folder is chosen or a list file cannot be read the user is told
    // why and false is returned; the screen is then not to be opened.
    bool Form_Load();
    // Form_Load, then the screen modally.
    void openModal();

    void Command1_Click();
    void Command2_Click();

private:
    std::unique_ptr<ArticleEntryFields> m_fields;
    QPushButton *m_command1;
    QPushButton *m_command2;
};

}  // namespace pagelore
