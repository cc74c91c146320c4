#pragma once

// Helpers for tests that drive screens.

#include "TestCore.h"

#include "platform/ui/MessageBox.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>
#include <source_location>
#include <variant>

namespace pagelore::test {

// Answers message and input boxes from a script, recording what was shown. A box with no answer of its kind next
// is answered No (OK when it has one button) or Cancel, and counted in unexpected().
class DialogAnswerer : public MessageBox::Hook {
public:
    DialogAnswerer() { MessageBox::setHook(this); }
    ~DialogAnswerer() override { MessageBox::setHook(nullptr); }
    DialogAnswerer &answer(MessageBox::Answer a) { return script(a); } // the next message box
    DialogAnswerer &yes() { return answer(MessageBox::Answer::Yes); }
    DialogAnswerer &no() { return answer(MessageBox::Answer::No); }
    DialogAnswerer &ok() { return answer(MessageBox::Answer::Ok); }
    DialogAnswerer &type(const QString &text) { return script(std::optional(text)); } // the next input box
    DialogAnswerer &cancel() { return script(std::optional<QString>()); }

    const QList<MessageBox::ShownBox> &shown() const { return m_shown; }
    QStringList titles() const { return collect(&MessageBox::ShownBox::title); }
    QStringList texts() const { return collect(&MessageBox::ShownBox::text); }
    int unexpected() const { return m_unexpected; }
    int pending() const { return static_cast<int>(m_answers.size()); }
    void clear() { m_answers.clear(), m_shown.clear(), m_unexpected = 0; }

    MessageBox::Answer answerMessage(const MessageBox::ShownBox &box) override
    {
        return take<MessageBox::Answer>(box).value_or(box.buttons.size() == 2 ? MessageBox::Answer::No
                                                                              : MessageBox::Answer::Ok);
    }
    std::optional<QString> answerInput(const MessageBox::ShownBox &box) override
    {
        return take<std::optional<QString>>(box).value_or(std::nullopt);
    }

private:
    using Scripted = std::variant<MessageBox::Answer, std::optional<QString>>;
    DialogAnswerer &script(Scripted s) { return m_answers.push_back(std::move(s)), *this; }
    template <typename T> std::optional<T> take(const MessageBox::ShownBox &box)
    {
        m_shown.append(box);
        if (m_answers.empty() || !std::holds_alternative<T>(m_answers.front()))
            return ++m_unexpected, std::nullopt;
        const T answer = std::get<T>(m_answers.front());
        m_answers.pop_front();
        return answer;
    }
    QStringList collect(QString MessageBox::ShownBox::*field) const
    {
        QStringList out;
        for (const MessageBox::ShownBox &box : m_shown)
            out << box.*field;
        return out;
    }
    std::deque<Scripted> m_answers;
    QList<MessageBox::ShownBox> m_shown;
    int m_unexpected = 0;
};

// Types into the line edit, editable combo box or multi-line box named `name` as a user does: selects all and
// replaces it by key presses, text beyond ASCII committed as an input method commits it.
void typeInto(QWidget *parent, const QString &name, const QString &text);

// Watches for modal dialogs other than `current` while it lives. When one opens that must not, when the action
// fails a check or leaves its dialog open past the timeout, or when none opens, it closes the dialogs (with none,
// the other windows) so that every loop returns, then fails the test at the caller's line.
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
    QPointer<QWidget> m_current, m_opened;
    bool m_acted = false;
    int m_timeoutMs;
    QDeadlineTimer m_deadline;
    std::source_location m_where;
    QTimer m_timer;
};

// Runs `action` on the next modal dialog to open; keep the guard until then.
[[nodiscard]] ModalGuard whenModalOpens(ModalGuard::Action action, QWidget *current = nullptr,
                                        int timeoutMs = 5000,
                                        std::source_location where = std::source_location::current());
// No modal dialog may open while the guard lives.
[[nodiscard]] ModalGuard forbidModal(QWidget *current = nullptr,
                                     std::source_location where = std::source_location::current());

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
