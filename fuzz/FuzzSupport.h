// What the fuzz targets share: a property check that stops the run with a
// message (libFuzzer then saves the input), and a simulated machine for the
// targets whose code reads the registry, the environment or known folders.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

// Aborts with the property that does not hold; libFuzzer keeps the input.
inline void FuzzCheck(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property violated: %s\n", property);
  std::abort();
}

// Creates a fresh simulated machine in a new folder below /tmp, makes it the
// current one (SIMWIN_ROOT) and removes the folder when the program ends.
void CreateFuzzMachine();
