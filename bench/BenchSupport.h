// A place for a benchmark to run child processes: a scratch machine (simwin)
// or folder (win32) with the test child program in it.
#pragma once

#include <string>

// Prepares the place once and returns the Windows path of the test child.
std::string PrepareTestChild();
// The scratch folder (Windows path).
std::string ScratchFolder();
