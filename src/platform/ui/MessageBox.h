#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace pagelore {

// Message and input boxes as every screen uses them: a fixed text and title,
// no icon, either one OK button or Yes and No, with Japanese captions.
// Tests install a Hook to answer every box and to see what was shown.
namespace MessageBox {

enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };
// The button that Enter presses. A question whose Yes destroys data defaults
// to No, so that a stray Enter changes nothing.
enum class Default { Yes, No };

struct ShownBox {
    enum class Kind { Message, Input };
    Kind kind = Kind::Message;
    QString title;
    QString text;  // the prompt, for an input box
    QStringList buttons;
    QString defaultButton;  // caption of the button Enter presses
};

class Hook {
public:
    virtual ~Hook() = default;
    virtual Answer answerMessage(const ShownBox &box) = 0;
    // nullopt stands for Cancel.
    virtual std::optional<QString> answerInput(const ShownBox &box) = 0;
};

// Installs a hook (nullptr removes it). While one is installed no window is shown.
void setHook(Hook *hook);

Answer show(QWidget *parent, const QString &text, const QString &title, Buttons buttons,
           Default preferred = Default::Yes);
// An information box with one OK button.
void inform(QWidget *parent, const QString &text, const QString &title);
// A yes/no question; true for Yes.
bool ask(QWidget *parent, const QString &text, const QString &title, Default preferred = Default::Yes);
// A one-line input box that starts empty, with OK and Cancel. nullopt on Cancel.
std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title);

// Button captions.
inline const QString kOkCaption = QStringLiteral("OK");
inline const QString kYesCaption = QStringLiteral("はい(&Y)");
inline const QString kNoCaption = QStringLiteral("いいえ(&N)");
inline const QString kCancelCaption = QStringLiteral("キャンセル");

}  // namespace MessageBox
}  // namespace pagelore
