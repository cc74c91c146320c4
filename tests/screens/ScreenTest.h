#pragma once

// Helpers of the screen tests alone: typing as a user types, and a watch over
// modal dialogs that closes what it must and then fails the test.

#include "support/TestSupport.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <source_location>

namespace screentest {

// Replaces the text of the box named `name` by key presses: ASCII key by key,
// a line break as Return, anything else committed as an input method does.
inline void typeInto(QWidget *parent, const QString &name, const QString &text)
{
    QWidget *box = pagelore::test::child<QWidget>(parent, name);
    if (auto *combo = qobject_cast<QComboBox *>(box))
        box = combo->lineEdit();
    if (auto *line = qobject_cast<QLineEdit *>(box))
        line->selectAll();
    else if (auto *plain = qobject_cast<QPlainTextEdit *>(box))
        plain->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    for (qsizetype i = 0; i < text.size();) {
        const bool ascii = text[i].unicode() < 0x80;
        qsizetype j = i;
        while (j < text.size() && (text[j].unicode() < 0x80) == ascii && text[j] != u'\n')
            ++j;
        if (j == i) {
            QTest::keyClick(box, Qt::Key_Return);
            ++j;
        } else if (ascii) {
            QTest::keyClicks(box, text.mid(i, j - i));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text.mid(i, j - i));
            QApplication::sendEvent(box, &commit);
        }
        i = j;
    }
}

inline void click(QWidget *parent, const QString &button)
{
    QTest::mouseClick(pagelore::test::child<QPushButton>(parent, button), Qt::LeftButton);
}

// While it lives, runs `action` on the first modal dialog other than
// `current` to open (with no action, none may open). A dialog that must not
// open, or that the action leaves open, is closed so that the exec() showing
// it returns; then the test fails. So does an expected dialog that never opens.
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(QWidget *)> action, QWidget *current = nullptr, int timeoutMs = 5000,
                        std::source_location where = std::source_location::current())
        : m_action(std::move(action)), m_current(current), m_deadline(timeoutMs), m_where(where)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }
    ~ModalWatch()
    {
        if (m_action && !m_acted)
            fail("the expected dialog never opened");
    }
    ModalWatch(const ModalWatch &) = delete;
    ModalWatch &operator=(const ModalWatch &) = delete;

private:
    static void closeDialog(QWidget *w)
    {
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
        else
            w->close();
    }
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_current || !modal->isVisible()) {
            if (m_action && !m_acted && m_deadline.hasExpired()) {
                m_timer.stop();
                fail("the expected dialog never opened");
            }
            return;
        }
        if (!m_action || m_acted) {
            closeDialog(modal);
            fail("a dialog opened that must not");
            return;
        }
        m_acted = true;
        QPointer<QWidget> opened = modal;
        m_action(modal);
        if (opened && opened->isVisible()) {
            closeDialog(opened);
            fail("the dialog was left open");
        }
    }
    void fail(const char *what)
    {
        if (!m_failed)
            QTest::qFail(what, m_where.file_name(), static_cast<int>(m_where.line()));
        m_failed = true;
    }

    std::function<void(QWidget *)> m_action;
    QPointer<QWidget> m_current;
    QDeadlineTimer m_deadline;
    std::source_location m_where;
    QTimer m_timer;
    bool m_acted = false;
    bool m_failed = false;
};

} // namespace screentest
