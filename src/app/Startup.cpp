#include "Startup.h"

#include <QApplication>
#include <QMainWindow>

namespace pagelore {

int runApplication(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("PageloreSuite"));
    window.show();
    return app.exec();
}

}  // namespace pagelore
