#pragma once

// The program: --help and --version, the instance names, the application and its
// main window, the command line's switches, and the event loop until the window
// closes. Returns the process's exit status: 0, or 1 when an unattended run could
// not do what its command line asked (a refused search, a failed export).
int RunProgram(int argc, char* argv[]);
