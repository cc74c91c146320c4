#pragma once

// Each screen by its name, with its open step; clicks and shown texts.

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
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

namespace screentest {

using namespace pagelore;
using namespace pagelore::test;

inline std::unique_ptr<QDialog> makeScreen(const QString &name)
{
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
    if (auto *s = qobject_cast<Form3 *>(screen))
        return s->Form_Load();
    if (auto *s = qobject_cast<SearchConditionsScreen *>(screen))
        return s->Form_Load();
    if (auto *s = qobject_cast<CandidateEditor *>(screen))
        return s->Form_Load();
    if (auto *s = qobject_cast<ResultBrowserBase *>(screen))
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

// The text a box, drop-down, label or button shows.
inline QString shown(QWidget *parent, const QString &name)
{
    QWidget *w = child<QWidget>(parent, name);
    if (auto *combo = qobject_cast<QComboBox *>(w))
        return combo->currentText();
    if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
        return plain->toPlainText();
    return w->property("text").toString();
}

} // namespace screentest
