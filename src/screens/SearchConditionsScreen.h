#pragma once

#include "search/Search.h"

#include <QDialog>
#include <QString>

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pagelore {

// What tells the article search apart from the deletion-candidate search;
// everything else of the two screens is the same.
struct SearchScreenTexts {
    QString caption;        // window caption
    QString searchCaption;  // caption of Command2
    QString dateNote;       // text of Label8
};

// The nine search conditions, the matching pass and the opening of a result
// browser. A subclass names its texts and the browser it opens.
class SearchConditionsScreen : public QDialog {
    Q_OBJECT

public:
    ~SearchConditionsScreen() override;

    // Fills the magazine and category lists from the data folder; runs on
    // every opening. False, after telling the user, when no data folder is
    // chosen: the screen is then not to be opened.
    bool Form_Load();
    // Form_Load, then the screen modally.
    void openModal();
    void Command1_Click();
    void Command2_Click();

    // The conditions as typed, or nullopt after telling the user, in one
    // message, every field that does not convert.
    std::optional<SearchConditions> readConditions();

    static const QString kQuestion;
    static const QString kQuestionTitle;

protected:
    explicit SearchConditionsScreen(const SearchScreenTexts &texts, QWidget *parent = nullptr);

    // Shows the browser modally over the new result file and returns its
    // exit code (kBrowserBackToConditions / kBrowserBackToMenu).
    virtual int openBrowser() = 0;

private:
    void createWidgets(const SearchScreenTexts &texts);
    void layOutWidgets();

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9, *Label10;
    QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6;
    QComboBox *Combo1, *Combo2, *Combo3;
    QPushButton *Command1, *Command2;
};

}  // namespace pagelore
