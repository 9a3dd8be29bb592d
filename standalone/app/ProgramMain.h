// The program's start, main loop and stop.
#pragma once

namespace vlm {

// Single instance, host object, command line, devices, main window with the editor, main loop.
// Returns the exit code: 0 after a normal end or when another instance runs, 1 when set-up throws.
int RunProgram(int argc, char** argv);

} // namespace vlm
