#include "CollectionActions.h"

namespace pagelore {

void runInitialise(QWidget *) {}
void runExport(QWidget *) {}
void runImport(QWidget *) {}

}  // namespace pagelore
