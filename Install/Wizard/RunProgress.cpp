// The share of the progress bar each phase of each kind of run takes.
#include "Wizard/RunProgress.h"

#include <algorithm>

namespace {

struct PhaseShare {
  TInstallType type;
  TEnginePhase phase;
  int from;
  int to;
};

// Compiling is what takes long; unpacking and taking out the old
// installation are quick beside it.
constexpr PhaseShare kShares[] = {
    {itNew, TEnginePhase::Extract, 0, 100},
    {itNew, TEnginePhase::Compile, 100, kRunProgressMaximum},
    {itUpdate, TEnginePhase::Uninstall, 0, 150},
    {itUpdate, TEnginePhase::Extract, 150, 250},
    {itUpdate, TEnginePhase::Compile, 250, kRunProgressMaximum},
    {itMainternance, TEnginePhase::Compile, 0, kRunProgressMaximum},
    {itUninstall, TEnginePhase::Uninstall, 0, kRunProgressMaximum},
};

}  // namespace

int RunProgressPosition(TInstallType AType, const TEngineProgress& AProgress) {
  for (const PhaseShare& share : kShares) {
    if (share.type != AType || share.phase != AProgress.Phase) continue;
    if (AProgress.TargetCount <= 0 || AProgress.Target <= 0) return share.from;
    // The IDEs before this one are done; this one is filled by its packages,
    // with one step more for the registration after the last package.
    double done = AProgress.Target - 1;
    if (AProgress.TargetDone) {
      done += 1;
    } else if (AProgress.PackageCount > 0) {
      done += static_cast<double>(AProgress.Package) / (AProgress.PackageCount + 1);
    }
    const double fraction = std::min(done / AProgress.TargetCount, 1.0);
    return share.from + static_cast<int>(fraction * (share.to - share.from));
  }
  return -1;
}
