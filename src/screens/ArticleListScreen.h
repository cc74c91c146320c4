#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace pagelore {

class ArticleListModel;

// The list of articles with the quick search: every article whose text
// fields hold every typed word, in a table sortable by any column, taken
// to a CSV file or opened one by one in the detail view.
class ArticleListScreen : public QDialog {
    Q_OBJECT

public:
    explicit ArticleListScreen(QWidget *parent = nullptr);
    ~ArticleListScreen() override;

    // Lists the whole collection. When the data folder is not chosen or the
    // article file cannot be read the user is told why and false is
    // returned; the screen is then not to be opened.
    bool Form_Load();
    // Form_Load, then the screen modally.
    void openModal();

    // Runs the search for the typed words now, unless they are the ones
    // listed already and `always` is false.
    void runSearch(bool always = true);
    void CsvButton_Click();
    void openRow(int row);

    // Asks where the CSV file goes; an empty path cancels. Tests put in
    // their own.
    using FileChooser = std::function<QString(QWidget *parent)>;
    void setCsvFileChooser(FileChooser chooser) { m_chooseCsvFile = std::move(chooser); }

    ArticleListModel *model() const { return m_model; }

    // Time from the last key typed to the search.
    static constexpr int kTypingPauseMs = 400;

private:
    void showCount();
    // Lists the hits of the typed words; false after telling the user why not.
    bool search(const QString &typed, QWidget *parent);

    ArticleListModel *m_model;
    QLineEdit *m_query;
    QLabel *m_count;
    QTableView *m_table;
    QPushButton *m_open;
    QPushButton *m_csv;
    QPushButton *m_back;
    QTimer *m_typing;
    QString m_folder;
    QString m_listed; // the text whose hits are listed
    FileChooser m_chooseCsvFile;
};

} // namespace pagelore
