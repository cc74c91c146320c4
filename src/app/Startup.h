#pragma once

namespace pagelore {

// Starts the program: the single-copy rule, the Japanese interface, the
// splash screen and the main window. Returns the process exit code.
int runApplication(int argc, char *argv[]);

}  // namespace pagelore
