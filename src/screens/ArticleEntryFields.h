#pragma once

#include "storage/ArticleRecord.h"
#include "storage/CandidateList.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QComboBox;
class QDialog;
class QGridLayout;
class QPushButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace pagelore {

// The entry widgets of one article as the registration screen lays them out:
// Text1 to Text12, Combo1 to Combo3 with their captions, the notes Label8,
// Label14 and Label17, and the image row Label18 (the image folder), Text10,
// Label19 (".jpg"). A screen puts grid() into its layout and adds its buttons.
class ArticleEntryFields {
public:
    // The widgets become children of `owner`.
    explicit ArticleEntryFields(QWidget *owner);

    QGridLayout *grid() const { return m_grid; }
    // Lays the grid out in `dialog` above a row with `back` at the left and
    // `save` at the right, in the tab order a user fills the fields.
    void layOut(QDialog *dialog, QPushButton *back, QPushButton *save);
    // The opening step of an entry screen: the data folder chosen, both
    // candidate lists read, input methods and the image folder set. False
    // (after telling the user) when the screen must not open.
    bool load();
    // The input widgets in the order a user fills them.
    QList<QWidget *> inputOrder() const;

    void setCandidateLists(const CandidateList::CandidateLists &lists);
    void setImageFolder(const QString &folder);
    // Japanese input on for the text fields, off for the numbers and the date.
    void setInputMethods();
    // Shows a stored article, for correcting it.
    void fill(const ArticleRecord &article);

    // The typed article, converted and checked. When some field does not
    // convert or cannot be stored, nullopt, with one line per such field in
    // field order in `problems`, and the focus on the first of them.
    std::optional<ArticleRecord> collect(QStringList &problems) const;
    // The first step of saving: asks `question`; on yes, the typed article,
    // or nullopt after telling the user every field that is wrong.
    std::optional<ArticleRecord> confirmAndCollect(const QString &question, const QString &title) const;

private:
    void addCaptionedRow(int row, int field, QWidget *widget);
    void addCaptionedPair(int row, int leftField, QWidget *left, int rightField, QWidget *right);
    QLabel *addCaption(int row, int column, int field, QWidget *buddy);
    QWidget *fieldWidget(int field) const;

    QWidget *m_owner;
    QGridLayout *m_grid;
    QLineEdit *m_text[13] = {};  // Text1..Text12 at their own numbers; Text6 is m_content
    QPlainTextEdit *m_content;
    QComboBox *m_combo1;
    QComboBox *m_combo2;
    QComboBox *m_combo3;
    QLabel *m_label18;
};

}  // namespace pagelore
