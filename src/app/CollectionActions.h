#pragma once

class QWidget;

namespace pagelore {

// The three whole-collection operations of the main window's menu. Each asks
// and reports through message and input boxes and never throws.
void runInitialise(QWidget *parent);
void runExport(QWidget *parent);
void runImport(QWidget *parent);

}  // namespace pagelore
