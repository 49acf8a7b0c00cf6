// A simulated machine for a benchmark, in a new host folder that goes again
// when the program ends.
#pragma once

#include <string>

// Creates the folder below `hostBase` ("/tmp"), a machine in its sub-folder
// "m", and makes that the current machine (SIMWIN_ROOT). Returns the folder.
std::string CreateScratchMachine(const std::string& hostBase);
