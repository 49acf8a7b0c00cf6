// Throughput of captured execution: a child writes 50 MB of short lines, read
// through CaptureExecute into the engine's logger, against the same child's
// output read straight from the pipe, which is the limit. Also the cost of one
// logged message with a subscriber.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchSupport.h"
#include "CapExec.h"
#include "platform/Process.h"
#include "uLogger.h"

namespace {

constexpr size_t kFloodBytes = 50 * 1024 * 1024;

std::string Quoted(const std::string& path) { return std::string(1, '"').append(path).append(1, '"'); }

void BM_CaptureExecuteIntoLogger(benchmark::State& state) {
  const std::string child = Quoted(PrepareTestChild());
  const std::string parameters = std::string("flood:").append(std::to_string(kFloodBytes));
  size_t lines = 0;
  for (auto _ : state) {
    TLogToList logger;
    size_t told = 0;
    logger.SetOnLogMessage([&](TLogBase*, TDateTime, TLogSeverity, const std::string&) { ++told; });
    const int32_t code =
        CaptureExecute(child, parameters, ScratchFolder(), [&](const std::string& text, bool&) { logger.Debug(text); });
    if (code != 0) state.SkipWithError("the child failed");
    lines += told;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFloodBytes));
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CaptureExecuteIntoLogger)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same without the logger: what captured execution itself costs.
void BM_CaptureExecuteBare(benchmark::State& state) {
  const std::string child = Quoted(PrepareTestChild());
  const std::string parameters = std::string("flood:").append(std::to_string(kFloodBytes));
  size_t lines = 0;
  for (auto _ : state) {
    const int32_t code =
        CaptureExecute(child, parameters, ScratchFolder(), [&](const std::string&, bool&) { ++lines; });
    if (code != 0) state.SkipWithError("the child failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFloodBytes));
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CaptureExecuteBare)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_RawPipeRead(benchmark::State& state) {
  const std::string commandLine = Quoted(PrepareTestChild()).append(" flood:").append(std::to_string(kFloodBytes));
  std::string buffer(65536, '\0');
  for (auto _ : state) {
    platform::ChildProcess child;
    if (!child.CreatePipes() || !child.Create(commandLine, ScratchFolder())) {
      state.SkipWithError("the child cannot be started");
      break;
    }
    child.Resume();
    size_t total = 0;
    while (const size_t n = child.Read(buffer.data(), buffer.size())) total += n;
    child.Wait(platform::kWaitInfinite);
    if (total != kFloodBytes) state.SkipWithError("short output");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFloodBytes));
}
BENCHMARK(BM_RawPipeRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_LogMessageWithSubscriber(benchmark::State& state) {
  const std::string message = "line 123456: compiling unit of the package";
  auto logger = std::make_unique<TLogToList>();
  size_t told = 0;
  auto subscribe = [&] {
    logger->SetOnLogMessage([&](TLogBase*, TDateTime, TLogSeverity, const std::string&) { ++told; });
  };
  subscribe();
  for (auto _ : state) {
    logger->Debug(message);
    // A fresh logger now and then keeps memory bounded over millions of runs.
    if (logger->Messages().size() == (1u << 20)) {
      logger = std::make_unique<TLogToList>();
      subscribe();
    }
  }
  benchmark::DoNotOptimize(told);
}
BENCHMARK(BM_LogMessageWithSubscriber);

}  // namespace

BENCHMARK_MAIN();
