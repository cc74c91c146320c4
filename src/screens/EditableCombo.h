#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QWidget;

namespace pagelore {

// A drop-down list that also takes typed text, as every entry and condition
// screen uses it: the list only suggests. Typed text is kept exactly as typed,
// never completed from a list entry nor added to the list.
QComboBox *makeEditableCombo(QWidget *parent, const QString &objectName);

// Replaces the list and leaves the text empty.
void setComboChoices(QComboBox *combo, const QStringList &names);

}  // namespace pagelore
