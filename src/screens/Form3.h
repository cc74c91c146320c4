#pragma once

#include "storage/ArticleRecord.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pagelore {

// The registration screen: one article typed in, appended to the article
// file as one record, and the screen closes.
class Form3 : public QDialog {
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);

    // Fills the magazine and category lists and shows the image folder. When
    // a list file cannot be read the user is told why and false is returned;
    // the screen is then not to be opened.
    bool Form_Load();
    // Form_Load, then the screen modally.
    void openModal();

    void Command1_Click();
    void Command2_Click();

private:
    // The typed article, converted and checked; nullopt after telling the
    // user what is wrong.
    std::optional<ArticleRecord> collectArticle();
    void refuse(const QString &text);

    QLineEdit *m_text[13] = {};  // Text1..Text12 at their own numbers; Text6 is m_content
    QPlainTextEdit *m_content;
    QComboBox *m_combo1;
    QComboBox *m_combo2;
    QComboBox *m_combo3;
    QLabel *m_label18;
    QPushButton *m_command1;
    QPushButton *m_command2;
};

}  // namespace pagelore
