#pragma once

// Helpers of the screen tests: each screen by its name with its open step;
// and, until the shared ones take their place, typing and a modal watch.

#include "support/TestSupport.h"

#include "screens/CandidateEditor.h"
#include "screens/FolderScreen.h"
#include "screens/Form2.h"
#include "screens/Form3.h"
#include "screens/Form4.h"
#include "screens/Form5.h"
#include "screens/Form6.h"
#include "screens/Form7.h"

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
#include <memory>
#include <source_location>
#include <utility>

namespace screentest {

using pagelore::test::child;

inline std::unique_ptr<QDialog> makeScreen(const QString &name)
{
    using namespace pagelore;
    static const QHash<QString, std::function<QDialog *()>> make = {
        {"Form2", [] { return new Form2; }},
        {"Form3", [] { return new Form3; }},
        {"Form4", [] { return new Form4; }},
        {"Form5", [] { return new Form5; }},
        {"Form6", [] { return new Form6; }},
        {"Form7", [] { return new Form7(PageImageSelection{}); }},
        {"RZassi", [] { return new RZassi; }},
        {"RBunnya", [] { return new RBunnya; }},
        {"frmRegistFile", [] { return new frmRegistFile; }},
        {"RGazou", [] { return new RGazou; }},
    };
    return std::unique_ptr<QDialog>(make.value(name)());
}

// The screen's open step; false when it refuses to open.
inline bool load(QDialog *screen)
{
    using namespace pagelore;
    if (auto *s = qobject_cast<Form3 *>(screen))
        return s->Form_Load();
    if (auto *s = qobject_cast<SearchConditionsScreen *>(screen))
        return s->Form_Load();
    if (auto *s = qobject_cast<CandidateEditor *>(screen))
        return s->Form_Load();
    if (auto *s = qobject_cast<ResultBrowserBase *>(screen))
        s->Form_Load();
    else if (auto *s = qobject_cast<Form7 *>(screen))
        s->Form_Load();
    else if (auto *s = qobject_cast<FolderScreen *>(screen))
        s->Form_Load();
    return true;
}

// Built, opened and shown (not modally: a screen it opens is the modal one).
template <typename T = QDialog> std::unique_ptr<T> openScreen(const QString &name)
{
    std::unique_ptr<T> screen(static_cast<T *>(makeScreen(name).release()));
    if (!load(screen.get()))
        qFatal("%s did not open", qPrintable(name));
    screen->show();
    return screen;
}

inline void click(QWidget *parent, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton);
}

// While it lives, runs `action` on the first modal dialog other than
// `current` to open; with no action, none may open. A dialog that must not
// open or that the action leaves open is closed, so that the exec() showing
// it returns, and the test fails; so it does when the dialog never opens.
class ModalWatch {
public:
    explicit ModalWatch(std::function<void(QWidget *)> action, QWidget *current = nullptr,
                        std::source_location where = std::source_location::current())
        : m_action(std::move(action)), m_current(current), m_deadline(5000), m_where(where)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
    }
    ~ModalWatch()
    {
        if (m_action && !m_acted && !m_failed)
            fail("the expected dialog never opened");
    }

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal == m_current || !modal->isVisible()) {
            if (m_action && !m_acted && !m_failed && m_deadline.hasExpired())
                fail("the expected dialog never opened");
            return;
        }
        QPointer<QWidget> opened = modal;
        if (m_action && !m_acted) {
            m_acted = true;
            m_action(modal);
            if (!opened || !opened->isVisible())
                return;
        }
        if (auto *dialog = qobject_cast<QDialog *>(opened.data()))
            dialog->reject();
        else
            opened->close();
        fail(m_acted ? "a dialog was left open or opened that must not" : "a dialog opened that must not");
    }
    void fail(const char *what)
    {
        if (!std::exchange(m_failed, true))
            QTest::qFail(what, m_where.file_name(), static_cast<int>(m_where.line()));
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
