#include "TestWidgets.h"

#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace pagelore::test {

void typeInto(QWidget *parent, const QString &name, const QString &text)
{
    QWidget *w = child<QWidget>(parent, name);
    if (auto *combo = qobject_cast<QComboBox *>(w))
        w = combo->lineEdit();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_Delete);
    // Key presses for ASCII, one commit for each run of other text, Return for a line break.
    static const QRegularExpression pieces(u"[^\\x00-\\x7f]+|\\n|[\\x00-\\x09\\x0b-\\x7f]+"_qs);
    for (const QRegularExpressionMatch &piece : pieces.globalMatch(QString(text).remove(u'\r'))) {
        const QString typed = piece.captured();
        if (typed == u"\n") {
            QTest::keyClick(w, Qt::Key_Return);
        } else if (typed[0].unicode() < 0x80) {
            QTest::keyClicks(w, typed);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(typed);
            QApplication::sendEvent(w, &commit);
        }
    }
}

ModalGuard::ModalGuard(Action action, QWidget *current, int timeoutMs, std::source_location where)
    : m_action(std::move(action)), m_current(current), m_timeoutMs(timeoutMs), m_deadline(timeoutMs),
      m_where(where)
{
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start(10);
}

ModalGuard::~ModalGuard()
{
    if (m_action && !m_acted && !QTest::currentTestFailed())
        fail("no modal dialog opened");
}

void ModalGuard::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (modal == m_current || (modal && !modal->isVisible()))
        modal = nullptr;
    if (!m_action && modal) {
        fail(qPrintable(u"a dialog opened that must not: "_qs + modal->objectName()));
    } else if (m_action && !m_acted && modal) {
        m_acted = true;
        m_opened = modal;
        m_deadline.setRemainingTime(m_timeoutMs);
        m_action(modal); // nested loops poll meanwhile
        if (QTest::currentTestFailed())
            fail(nullptr); // a check in the action failed and returned early
    } else if (m_acted && (!m_opened || !m_opened->isVisible())) {
        m_timer.stop();
    } else if (m_action && m_deadline.hasExpired()) {
        fail(m_acted ? "the modal dialog stayed open" : "no modal dialog opened");
    }
}

void ModalGuard::fail(const char *what)
{
    m_timer.stop(); // once failed, the guard is done
    // From the innermost dialog out to the guarded one, so that every exec() returns.
    int closed = 0;
    for (QWidget *modal = QApplication::activeModalWidget(); modal && modal != m_current && closed < 8;
         modal = QApplication::activeModalWidget()) {
        modal->close(); // a dialog's close() rejects it
        if (++closed, modal == m_opened)
            break;
    }
    // No dialog to close: a window's own loop may be waiting (the main window's is).
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (closed == 0 && what && window != m_current && window->isVisible())
            window->close();
    }
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
