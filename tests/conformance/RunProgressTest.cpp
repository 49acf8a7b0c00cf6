// Where the compile page's progress bar stands for the engine's progress.
#include <gtest/gtest.h>

#include "Wizard/RunProgress.h"

TEST(RunProgressTest, PhasesShareTheBarAndIdesFillTheirPartPackageByPackage) {
  using P = TEnginePhase;
  struct Case {
    const char* what;
    TInstallType type;
    TEngineProgress progress;
    int position;
  } cases[] = {
      {"unpacking begins", itNew, {P::Extract, 1, 1, 0, 0, false}, 0},
      {"unpacking done", itNew, {P::Extract, 1, 1, 0, 0, true}, 100},
      {"first of two IDEs begins", itNew, {P::Compile, 1, 2, 0, 3, false}, 100},
      {"its three packages built, registration left", itNew, {P::Compile, 1, 2, 3, 3, false}, 437},
      {"first IDE done", itNew, {P::Compile, 1, 2, 3, 3, true}, 550},
      {"last IDE done", itNew, {P::Compile, 2, 2, 1, 3, true}, 1000},
      {"an update takes out the old installation first", itUpdate, {P::Uninstall, 1, 1, 0, 0, true}, 150},
      {"then unpacks", itUpdate, {P::Extract, 1, 1, 0, 0, true}, 250},
      {"then builds", itUpdate, {P::Compile, 1, 4, 1, 1, false}, 343},
      {"an uninstallation is all taking out", itUninstall, {P::Uninstall, 3, 4, 0, 0, false}, 500},
      {"maintenance is all building", itMainternance, {P::Compile, 1, 1, 1, 1, false}, 500},
      {"a phase without IDEs", itMainternance, {P::Compile, 0, 0, 0, 0, false}, 0},
      {"more packages built than planned", itMainternance, {P::Compile, 1, 1, 9, 1, false}, 1000},
      {"no uninstallation phase in a new installation", itNew, {P::Uninstall, 1, 1, 0, 0, true}, -1},
      {"no building in an uninstallation", itUninstall, {P::Compile, 1, 1, 0, 0, true}, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(RunProgressPosition(c.type, c.progress), c.position) << c.what;
}
