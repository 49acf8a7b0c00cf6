// IDE discovery on a simulated machine with every accepted IDE version
// installed (RAD Studio with both platforms, Delphi 6 and 7, C++Builder 5 and
// 6): the whole discovery against loading the registry hive alone.
#include <benchmark/benchmark.h>

#include <memory>

#include "CmdLineUtils.h"
#include "DelphiData.h"
#include "ScratchMachine.h"
#include "common/IdeProfiles.h"
#include "platform/simwin/Machine.h"

namespace {

// Creates the machine once, with every profile installed.
void PrepareMachine() {
  static bool done = false;
  if (done) return;
  done = true;
  CreateScratchMachine("/tmp");
  for (const std::string& profile : ideprofiles::ProfileNames()) ideprofiles::InstallIde(profile, {});
  CmdOptions = std::make_unique<TCmdOptions>(std::vector<std::string>{});
}

void BM_LoadHive(benchmark::State& state) {
  PrepareMachine();
  for (auto _ : state) {
    simwin::Machine::Reset();  // a new process: the hive is read from disk
    benchmark::DoNotOptimize(simwin::Machine::Current().Hive());
  }
}
BENCHMARK(BM_LoadHive)->Unit(benchmark::kMillisecond);

void BM_Discovery(benchmark::State& state) {
  PrepareMachine();
  int targets = 0;
  for (auto _ : state) {
    simwin::Machine::Reset();
    TCompileTargetList list;
    targets = list.Count();
  }
  state.counters["targets"] = targets;
  state.counters["per_target"] = benchmark::Counter(
      static_cast<double>(targets), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Discovery)->Unit(benchmark::kMillisecond);

// Discovery with the hive already in memory: the cost of discovery itself.
void BM_DiscoveryWarmHive(benchmark::State& state) {
  PrepareMachine();
  simwin::Machine::Current().Hive();
  for (auto _ : state) {
    TCompileTargetList list;
    benchmark::DoNotOptimize(list.Count());
  }
}
BENCHMARK(BM_DiscoveryWarmHive)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
