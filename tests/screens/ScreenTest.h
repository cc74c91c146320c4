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
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

namespace screentest {

using namespace pagelore;
using namespace pagelore::test;

// A screen only built, or opened: its open step run and shown, not modally,
// so that a screen it opens is the modal one.
template <typename S> std::unique_ptr<QDialog> built(S *screen, bool open)
{
    if constexpr (std::is_same_v<decltype(screen->Form_Load()), bool>) {
        if (open && !screen->Form_Load())
            qFatal("%s did not open", screen->metaObject()->className());
    } else if (open) {
        screen->Form_Load();
    }
    if (open)
        screen->show();
    return std::unique_ptr<QDialog>(screen);
}

inline std::unique_ptr<QDialog> makeScreen(const QString &name, bool open = false)
{
    static const QHash<QString, std::function<std::unique_ptr<QDialog>(bool)>> make = {
        {"Form2", [](bool open) { return built(new Form2, open); }},
        {"Form3", [](bool open) { return built(new Form3, open); }},
        {"Form4", [](bool open) { return built(new Form4, open); }},
        {"Form5", [](bool open) { return built(new Form5, open); }},
        {"Form6", [](bool open) { return built(new Form6, open); }},
        {"Form7", [](bool open) { return built(new Form7(PageImageSelection{}), open); }},
        {"RZassi", [](bool open) { return built(new RZassi, open); }},
        {"RBunnya", [](bool open) { return built(new RBunnya, open); }},
        {"frmRegistFile", [](bool open) { return built(new frmRegistFile, open); }},
        {"RGazou", [](bool open) { return built(new RGazou, open); }},
    };
    return make.value(name)(open);
}

inline std::unique_ptr<QDialog> openScreen(const QString &name)
{
    return makeScreen(name, true);
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
