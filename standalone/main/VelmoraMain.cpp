// Entry point of the Velmora program.
#include "standalone/app/ProgramMain.h"

int main(int argc, char** argv) { return vlm::RunProgram(argc, argv); }
