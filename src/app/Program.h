#pragma once

namespace korvel {

// The program entry: the single-instance guard, the random seed, the program
// folder, the main window and start-up, then the event loop until the main
// window closes. Returns the process exit code.
int RunProgram(int argc, char** argv);

}  // namespace korvel
