// The process snapshot of the running-IDE test with many processes running:
// listing the modules of every process against listing them only for the
// processes with the IDE's executable name, which the test does. Windows
// only (under Wine): the simulated machine's processes are a list in its
// settings. Run: build/mingw/bench/snapshot_bench.exe (scripts/wine-run.sh)
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "platform/Process.h"
#include "platform/System.h"

namespace {

// As many processes as a busy developer's machine runs.
constexpr int kChildren = 150;
// Long enough for every benchmark; the children are ended at the end anyway.
constexpr const char* kChildStep = " sleep:600000";

std::vector<std::unique_ptr<platform::ChildProcess>>& Children() {
  static std::vector<std::unique_ptr<platform::ChildProcess>> children;
  return children;
}

void StartChildren() {
  const std::string child = PrepareTestChild();
  for (int i = 0; i < kChildren; ++i) {
    auto process = std::make_unique<platform::ChildProcess>();
    if (!process->CreatePipes() || !process->Create("\"" + child + "\"" + kChildStep, ScratchFolder()) ||
        !process->Resume())
      throw std::runtime_error("cannot start child " + std::to_string(i) + ": " + process->FailedCall());
    Children().push_back(std::move(process));
  }
}

void StopChildren() {
  for (auto& child : Children()) child->Terminate(0);
  Children().clear();
}

void BM_SnapshotWithEveryModule(benchmark::State& state) {
  size_t modules = 0;
  for (auto _ : state) {
    for (const auto& process : platform::ProcessSnapshot()) modules += process.modulePaths.size();
  }
  state.counters["processes"] = static_cast<double>(platform::ProcessSnapshot().size());
  benchmark::DoNotOptimize(modules);
}
BENCHMARK(BM_SnapshotWithEveryModule)->Unit(benchmark::kMillisecond);

void BM_SnapshotWithTheIdesModules(benchmark::State& state) {
  size_t modules = 0;
  for (auto _ : state) {
    for (const auto& process : platform::ProcessSnapshot("bds.exe")) modules += process.modulePaths.size();
  }
  benchmark::DoNotOptimize(modules);
}
BENCHMARK(BM_SnapshotWithTheIdesModules)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  StartChildren();
  benchmark::RunSpecifiedBenchmarks();
  StopChildren();
  benchmark::Shutdown();
  return 0;
}
