#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pagelore {

// What tells the magazine editor from the category editor.
struct CandidateEditorTexts {
    QString windowTitle;
    QString listFile;     // name of the list file in the data folder
    QString instruction;  // Label1
    QString inputCaption; // Label2, above Text1
    QString listCaption;  // Label3, above Text2
    QString question;     // asked before a name is appended
};

// The editor of one candidate list: shows the names in file order and
// appends the typed name. Names are never removed or changed here.
class CandidateEditor : public QDialog {
    Q_OBJECT
public:
    explicit CandidateEditor(const CandidateEditorTexts &texts, QWidget *parent = nullptr);

    // Reads the list. When no data folder is chosen or the list cannot be
    // read the user is told why and false is returned; the screen is then not
    // to be opened.
    bool Form_Load();
    // Form_Load, then the screen modally.
    void openModal();

    void Command1_Click();
    void Command2_Click();

    const QString &listPath() const { return m_listPath; }

private:
    void showList(const QString &path);

    CandidateEditorTexts m_texts;
    QString m_listPath;
    QLabel *m_label1;
    QLabel *m_label2;
    QLabel *m_label3;
    QLineEdit *m_text1;
    QPlainTextEdit *m_text2;
    QPushButton *m_command1;
    QPushButton *m_command2;
};

class RZassi : public CandidateEditor {
    Q_OBJECT
public:
    explicit RZassi(QWidget *parent = nullptr);
    static CandidateEditorTexts texts();
};

class RBunnya : public CandidateEditor {
    Q_OBJECT
public:
    explicit RBunnya(QWidget *parent = nullptr);
    static CandidateEditorTexts texts();
};

}  // namespace pagelore
