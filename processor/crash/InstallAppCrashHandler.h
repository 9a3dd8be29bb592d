// Puts the standalone program's crash handlers in place, reporting into the program log.
#pragma once

// Once per process (a second processor instance installs nothing); standalone program only.
// Logs "AppCrashHandler installed (v1.0.13, dump: <path>)".
void InstallAppCrashHandler();
