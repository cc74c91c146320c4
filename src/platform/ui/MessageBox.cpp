#include "MessageBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace pagelore::MessageBox {

namespace {
Hook *g_hook = nullptr;
}

void setHook(Hook *hook)
{
    g_hook = hook;
}

Answer show(QWidget *parent, const QString &text, const QString &title, Buttons buttons, Default preferred)
{
    ShownBox box;
    box.kind = ShownBox::Kind::Message;
    box.title = title;
    box.text = text;
    box.buttons = buttons == Buttons::Ok ? QStringList{kOkCaption} : QStringList{kYesCaption, kNoCaption};
    box.defaultButton = buttons == Buttons::Ok ? kOkCaption : preferred == Default::No ? kNoCaption : kYesCaption;
    if (g_hook)
        return g_hook->answerMessage(box);

    QMessageBox dialog(parent);
    dialog.setIcon(QMessageBox::NoIcon);
    dialog.setWindowTitle(title);
    dialog.setText(text);
    dialog.setTextFormat(Qt::PlainText);
    if (buttons == Buttons::Ok) {
        QPushButton *ok = dialog.addButton(kOkCaption, QMessageBox::AcceptRole);
        dialog.setDefaultButton(ok);
        dialog.setEscapeButton(ok);
        dialog.exec();
        return Answer::Ok;
    }
    QPushButton *yes = dialog.addButton(kYesCaption, QMessageBox::YesRole);
    QPushButton *no = dialog.addButton(kNoCaption, QMessageBox::NoRole);
    dialog.setDefaultButton(preferred == Default::No ? no : yes);
    dialog.setEscapeButton(no);
    dialog.exec();
    return dialog.clickedButton() == yes ? Answer::Yes : Answer::No;
}

void inform(QWidget *parent, const QString &text, const QString &title)
{
    show(parent, text, title, Buttons::Ok);
}

bool ask(QWidget *parent, const QString &text, const QString &title, Default preferred)
{
    return show(parent, text, title, Buttons::YesNo, preferred) == Answer::Yes;
}

std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title)
{
    ShownBox box;
    box.kind = ShownBox::Kind::Input;
    box.title = title;
    box.text = prompt;
    box.buttons = {kOkCaption, kCancelCaption};
    if (g_hook)
        return g_hook->answerInput(box);

    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto *layout = new QVBoxLayout(&dialog);
    auto *label = new QLabel(prompt, &dialog);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumWidth(420);
    auto *edit = new QLineEdit(&dialog);
    auto *buttonBox = new QDialogButtonBox(&dialog);
    QPushButton *ok = buttonBox->addButton(kOkCaption, QDialogButtonBox::AcceptRole);
    buttonBox->addButton(kCancelCaption, QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    QObject::connect(buttonBox, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttonBox, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttonBox);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text();
}

}  // namespace pagelore::MessageBox
