#include "Startup.h"

#include "Form1.h"
#include "platform/ui/JapaneseUi.h"
#include "platform/SingleInstance.h"
#include "storage/SettingsStore.h"

#include <QApplication>
#include <QIcon>

namespace pagelore {

int runApplication(int argc, char *argv[])
{
    QApplication app(argc, argv);

    // The lock is taken before anything is shown, so a second copy ends
    // silently. Its record names this executable, which lets QLockFile tell
    // a crashed copy's lock from a live one.
    SingleInstance instance(kApplicationName);
    if (instance.acquire() == SingleInstance::Result::HeldByAnother)
        return 0;

    applyJapaneseUi(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pagelore/logo.png")));

    Form1 form;
    return form.Form_Load();
}

}  // namespace pagelore
