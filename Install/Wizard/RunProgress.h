// Where the compile page's progress bar stands for the engine's progress: each
// kind of run gives its phases a share of the bar, and within a phase each IDE
// an equal part, filled package by package.
#pragma once

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"

// The bar's range.
inline constexpr int kRunProgressMaximum = 1000;

// The bar's position for the progress, or -1 for a phase the kind of run does
// not have (the bar stays where it is).
int RunProgressPosition(TInstallType AType, const TEngineProgress& AProgress);
