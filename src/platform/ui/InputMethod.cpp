#include "InputMethod.h"

#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

namespace pagelore {

void setInputMethod(QWidget *widget, ImeMode mode)
{
    if (!widget || mode == ImeMode::AsIs)
        return;
    QWidget *target = widget;
    if (auto *combo = qobject_cast<QComboBox *>(widget); combo && combo->lineEdit())
        target = combo->lineEdit();
    const bool on = mode == ImeMode::On;
    for (QWidget *w : {widget, target}) {
        w->setAttribute(Qt::WA_InputMethodEnabled, on);
        w->setInputMethodHints(on ? Qt::ImhNone : (Qt::ImhPreferNumbers | Qt::ImhPreferLatin | Qt::ImhNoPredictiveText));
    }
}

}  // namespace pagelore
