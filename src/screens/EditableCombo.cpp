#include "EditableCombo.h"

#include "ScreenSupport.h"

#include <QComboBox>
#include <QLineEdit>

namespace pagelore {

QComboBox *makeEditableCombo(QWidget *parent, const QString &objectName)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->setDuplicatesEnabled(true);
    combo->setMaxVisibleItems(20);
    combo->lineEdit()->setMaxLength(kLongestText);
    return combo;
}

void setComboChoices(QComboBox *combo, const QStringList &names)
{
    combo->clear();
    combo->addItems(names);
    combo->setCurrentIndex(-1);
    combo->setEditText(QString());
}

} // namespace pagelore
