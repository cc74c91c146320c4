#pragma once

// Helpers for tests that drive screens: answering message boxes, typing,
// and guarding against a modal dialog that does or does not open.

#include "TestCore.h"

#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>

#include <deque>
#include <functional>
#include <source_location>

class QTimer;

namespace pagelore::test {

// Answers every message and input box with scripted answers and records what
// was shown, in order. A box shown with no answer left is answered OK / No /
// Cancel and counted in unexpected(), so a test can fail on it.
class DialogAnswerer : public MessageBox::Hook {
public:
    DialogAnswerer() { MessageBox::setHook(this); }
    ~DialogAnswerer() override { MessageBox::setHook(nullptr); }
    DialogAnswerer &answer(MessageBox::Answer a) { return script({false, a, {}, false}); } // the next message box
    DialogAnswerer &yes() { return answer(MessageBox::Answer::Yes); }
    DialogAnswerer &no() { return answer(MessageBox::Answer::No); }
    DialogAnswerer &ok() { return answer(MessageBox::Answer::Ok); }
    DialogAnswerer &type(const QString &text) { return script({true, {}, text, false}); } // the next input box
    DialogAnswerer &cancel() { return script({true, {}, {}, true}); }

    const QList<MessageBox::ShownBox> &shown() const { return m_shown; }
    QStringList titles() const { return collect(&MessageBox::ShownBox::title); }
    QStringList texts() const { return collect(&MessageBox::ShownBox::text); }
    int unexpected() const { return m_unexpected; }
    int pending() const { return static_cast<int>(m_answers.size()); }
    void clear() { m_answers.clear(), m_shown.clear(), m_unexpected = 0; }

    MessageBox::Answer answerMessage(const MessageBox::ShownBox &box) override;
    std::optional<QString> answerInput(const MessageBox::ShownBox &box) override;

private:
    struct Scripted {
        bool forInput;
        MessageBox::Answer answer;
        QString text;
        bool cancel;
    };
    DialogAnswerer &script(Scripted s);
    // The scripted answer for a box of this kind, if it is the next one.
    bool take(const MessageBox::ShownBox &box, bool forInput, Scripted &answer);
    QStringList collect(QString MessageBox::ShownBox::*field) const;
    std::deque<Scripted> m_answers;
    QList<MessageBox::ShownBox> m_shown;
    int m_unexpected = 0;
};

// Types into the line edit, editable combo box or multi-line box named `name`
// as a user does: everything in it is selected and replaced by key presses,
// with text beyond ASCII committed as a Japanese input method commits it and
// a line break as the Return key.
void typeInto(QWidget *parent, const QString &name, const QString &text);

// Watches for modal dialogs other than `current` while it lives. It ends the
// loop it guards and then fails the test: the dialog is closed (so the exec()
// showing it returns) when a dialog opens that must not, when the action
// leaves its dialog open after a failed check or for longer than the
// timeout, and when the expected dialog never opens.
class ModalGuard {
public:
    using Action = std::function<void(QWidget *)>;
    ModalGuard(Action action, QWidget *current, int timeoutMs, std::source_location where);
    ~ModalGuard();
    ModalGuard(const ModalGuard &) = delete;
    ModalGuard &operator=(const ModalGuard &) = delete;

private:
    void poll();
    void fail(const char *what);
    Action m_action; // none: no dialog may open
    QPointer<QWidget> m_current;
    QPointer<QWidget> m_opened;
    bool m_acted = false;
    int m_timeoutMs;
    QDeadlineTimer m_deadline;
    std::source_location m_where;
    QTimer *m_timer;
};

// Runs `action` on the next modal dialog to open; keep the guard until then.
[[nodiscard]] ModalGuard whenModalOpens(ModalGuard::Action action, QWidget *current = nullptr,
                                        int timeoutMs = 5000,
                                        std::source_location where = std::source_location::current());
// No modal dialog may open while the guard lives.
[[nodiscard]] ModalGuard forbidModal(QWidget *current = nullptr,
                                     std::source_location where = std::source_location::current());

// Finds a child widget by object name and type; stops the test program when
// it is missing.
template <typename T> T *child(QWidget *parent, const QString &name)
{
    T *w = parent->findChild<T *>(name);
    if (!w)
        qFatal("widget %s not found", qPrintable(name));
    return w;
}

} // namespace pagelore::test

#define PAGELORE_TEST_MAIN(TestObject)                                                                            \
    PAGELORE_TEST_MAIN_WITH(QApplication, TestObject, app.setAttribute(Qt::AA_Use96Dpi, true))
