#include "TestWidgets.h"

#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

namespace pagelore::test {

DialogAnswerer &DialogAnswerer::answer(MessageBox::Answer a)
{
    m_answers.push_back({false, a, {}});
    return *this;
}

DialogAnswerer &DialogAnswerer::type(const QString &text)
{
    m_answers.push_back({true, MessageBox::Answer::Ok, text});
    return *this;
}

DialogAnswerer &DialogAnswerer::cancel()
{
    m_answers.push_back({true, MessageBox::Answer::Ok, std::nullopt});
    return *this;
}

QStringList DialogAnswerer::titles() const
{
    QStringList out;
    for (const auto &box : m_shown)
        out << box.title;
    return out;
}

QStringList DialogAnswerer::texts() const
{
    QStringList out;
    for (const auto &box : m_shown)
        out << box.text;
    return out;
}

void DialogAnswerer::clear()
{
    m_shown.clear();
    m_answers.clear();
    m_unexpected = 0;
}

MessageBox::Answer DialogAnswerer::answerMessage(const MessageBox::ShownBox &box)
{
    m_shown.append(box);
    if (!m_answers.empty() && !m_answers.front().forInput) {
        const MessageBox::Answer a = m_answers.front().answer;
        m_answers.pop_front();
        return a;
    }
    ++m_unexpected;
    return box.buttons.size() == 2 ? MessageBox::Answer::No : MessageBox::Answer::Ok;
}

std::optional<QString> DialogAnswerer::answerInput(const MessageBox::ShownBox &box)
{
    m_shown.append(box);
    if (!m_answers.empty() && m_answers.front().forInput) {
        const std::optional<QString> text = m_answers.front().text;
        m_answers.pop_front();
        return text;
    }
    ++m_unexpected;
    return std::nullopt;
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
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'\r' || text[i] == u'\n') {  // CR LF is one press of Return
            if (text[i] == u'\n' || text.mid(i, 2) != QStringLiteral("\r\n"))
                QTest::keyClick(w, Qt::Key_Return);
            ++i;
            continue;
        }
        const bool ascii = text[i].unicode() < 0x80;
        qsizetype j = i;
        while (j < text.size() && text[j] != u'\r' && text[j] != u'\n' && (text[j].unicode() < 0x80) == ascii)
            ++j;
        if (ascii) {
            QTest::keyClicks(w, text.mid(i, j - i));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(text.mid(i, j - i));
            QApplication::sendEvent(w, &commit);
        }
        i = j;
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
            m_action(modal);  // nested loops poll meanwhile
            if (QTest::currentTestFailed())
                fail(nullptr);  // a check in the action failed and returned early
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
    for (int i = 0; i < 8; ++i) {
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
    m_timer->stop();
    if (what && !m_failed) {
        m_failed = true;
        QTest::qFail(what, m_where.file_name(), static_cast<int>(m_where.line()));
    }
}

ModalGuard whenModalOpens(ModalGuard::Action action, QWidget *current, int timeoutMs, std::source_location where)
{
    return ModalGuard(std::move(action), current, timeoutMs, where);
}

ModalGuard forbidModal(QWidget *current, std::source_location where)
{
    return ModalGuard(nullptr, current, 0, where);
}

}  // namespace pagelore::test
