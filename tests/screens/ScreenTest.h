#pragma once

// Each screen by its name; clicks and the texts shown.

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
#include <QPushButton>
#include <QRegularExpression>

namespace screentest {

using namespace pagelore;
using namespace pagelore::test;

// A screen built, its open step run and the screen shown, not modally, so that a screen it opens is the modal one.
template <typename S> std::unique_ptr<QDialog> opened(S *screen)
{
    bool refused = false;
    if constexpr (std::is_same_v<decltype(screen->Form_Load()), bool>)
        refused = !screen->Form_Load();
    else
        screen->Form_Load();
    if (refused)
        qFatal("%s did not open", screen->metaObject()->className());
    screen->show();
    return std::unique_ptr<QDialog>(screen);
}

inline std::unique_ptr<QDialog> openScreen(const QString &name)
{
    static const QHash<QString, std::function<std::unique_ptr<QDialog>()>> open = {
        {"Form2", [] { return opened(new Form2); }},
        {"Form3", [] { return opened(new Form3); }},
        {"Form4", [] { return opened(new Form4); }},
        {"Form5", [] { return opened(new Form5); }},
        {"Form6", [] { return opened(new Form6); }},
        {"Form7", [] { return opened(new Form7(PageImageSelection{})); }},
        {"RZassi", [] { return opened(new RZassi); }},
        {"RBunnya", [] { return opened(new RBunnya); }},
        {"frmRegistFile", [] { return opened(new frmRegistFile); }},
        {"RGazou", [] { return opened(new RGazou); }},
    };
    return open.value(name)();
}

inline void click(QWidget *parent, const QString &button)
{
    QTest::mouseClick(child<QPushButton>(parent, button), Qt::LeftButton);
}

// The text a box, drop-down, label or button shows.
inline QString shown(QWidget *parent, const QString &name)
{
    QWidget *w = child<QWidget>(parent, name);
    const char *text = qobject_cast<QComboBox *>(w)    ? "currentText"
                       : w->property("text").isValid() ? "text"
                                                       : "plainText";
    return w->property(text).toString();
}

const QString kEnd = u"最終/これ以上データはないので、「次の候補>>」ボタンを押さないでください。"_qs;

// The boxes shown as "title/text". Where a record is malformed and why is the record reader's to tell.
inline QStringList outline(const DialogAnswerer &answers)
{
    static const QRegularExpression detail(u"件目の記録[^\n]*"_qs);
    QStringList boxes;
    for (const MessageBox::ShownBox &box : answers.shown())
        boxes << box.title + u'/' + QString(box.text).replace(detail, u"件目の記録…"_qs);
    return boxes;
}

} // namespace screentest
