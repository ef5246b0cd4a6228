#pragma once

// The program: --help and --version, the instance names, the application and its
// main window, the command line's switches, and the event loop until the window
// closes. Returns the process's exit status: 0; 1 when an export failed (or a run
// without a display lacks /hide); 2 when an unattended run has nothing to search (no
// mask, a refused search), meets an unknown switch, or every range it was given is
// invalid.
int RunProgram(int argc, char* argv[]);
