#include "TestWidgets.h"

#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

namespace pagelore::test {

DialogAnswerer &DialogAnswerer::script(Scripted s)
{
    m_answers.push_back(std::move(s));
    return *this;
}

bool DialogAnswerer::take(const MessageBox::ShownBox &box, bool forInput, Scripted &answer)
{
    m_shown.append(box);
    if (m_answers.empty() || m_answers.front().forInput != forInput) {
        ++m_unexpected;
        return false;
    }
    answer = m_answers.front();
    m_answers.pop_front();
    return true;
}

MessageBox::Answer DialogAnswerer::answerMessage(const MessageBox::ShownBox &box)
{
    Scripted s;
    if (take(box, false, s))
        return s.answer;
    return box.buttons.size() == 2 ? MessageBox::Answer::No : MessageBox::Answer::Ok;
}

std::optional<QString> DialogAnswerer::answerInput(const MessageBox::ShownBox &box)
{
    Scripted s;
    if (take(box, true, s) && !s.cancel)
        return s.text;
    return std::nullopt;
}

QStringList DialogAnswerer::collect(QString MessageBox::ShownBox::*field) const
{
    QStringList out;
    for (const MessageBox::ShownBox &box : m_shown)
        out << box.*field;
    return out;
}

void typeInto(QWidget *parent, const QString &name, const QString &text)
{
    QWidget *w = child<QWidget>(parent, name);
    if (auto *combo = qobject_cast<QComboBox *>(w))
        w = combo->lineEdit();
    if (!qobject_cast<QLineEdit *>(w) && !qobject_cast<QPlainTextEdit *>(w))
        qFatal("%s takes no typing", qPrintable(name));
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Delete);
    const QString typed = QString(text).remove(u'\r'); // a line break is one press of Return
    for (qsizetype i = 0, j = 0; i < typed.size(); i = j) {
        const bool ascii = typed[i].unicode() < 0x80;
        for (j = i + 1; j < typed.size() && typed[j] != u'\n' && (typed[j].unicode() < 0x80) == ascii;)
            ++j;
        if (typed[i] == u'\n') {
            QTest::keyClick(w, Qt::Key_Return);
            j = i + 1;
        } else if (ascii) {
            QTest::keyClicks(w, typed.mid(i, j - i));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(typed.mid(i, j - i));
            QApplication::sendEvent(w, &commit);
        }
    }
}

ModalGuard::ModalGuard(Action action, QWidget *current, int timeoutMs, std::source_location where)
    : m_action(std::move(action)), m_current(current), m_timeoutMs(timeoutMs), m_deadline(timeoutMs),
      m_where(where), m_timer(new QTimer)
{
    QObject::connect(m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer->start(10);
}

ModalGuard::~ModalGuard()
{
    if (m_action && !m_acted && !QTest::currentTestFailed())
        fail("no modal dialog opened");
    delete m_timer;
}

void ModalGuard::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == m_current || (modal && !modal->isVisible()))
        modal = nullptr;
    if (!m_action) {
        if (modal)
            fail(qPrintable(QStringLiteral("a dialog opened that must not: ") + modal->objectName()));
    } else if (!m_acted) {
        if (modal) {
            m_acted = true;
            m_opened = modal;
            m_deadline.setRemainingTime(m_timeoutMs);
            m_action(modal); // nested loops poll meanwhile
            if (QTest::currentTestFailed())
                fail(nullptr); // a check in the action failed and returned early
        } else if (m_deadline.hasExpired()) {
            fail("no modal dialog opened");
        }
    } else if (!m_opened || !m_opened->isVisible()) {
        m_timer->stop();
    } else if (m_deadline.hasExpired()) {
        fail("the modal dialog stayed open");
    }
}

void ModalGuard::fail(const char *what)
{
    // From the innermost dialog out to the guarded one, so that every exec() returns.
    int closed = 0;
    for (; closed < 8; ++closed) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_current)
            break;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        if (modal == m_opened)
            break;
    }
    // No dialog to close: a window's own loop may be waiting (the main window's is).
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (closed == 0 && what && window != m_current && window->isVisible())
            window->close();
    }
    m_timer->stop(); // once failed, the guard is done
    if (what)
        QTest::qFail(what, m_where.file_name(), static_cast<int>(m_where.line()));
}

ModalGuard whenModalOpens(ModalGuard::Action action, QWidget *current, int timeoutMs, std::source_location where)
{
    return ModalGuard(std::move(action), current, timeoutMs, where);
}

ModalGuard forbidModal(QWidget *current, std::source_location where)
{
    return ModalGuard(nullptr, current, 0, where);
}

} // namespace pagelore::test
