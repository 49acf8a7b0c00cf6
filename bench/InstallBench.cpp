// A new installation of the sample package into a simulated machine with
// every accepted IDE version (RAD Studio with both platforms, Delphi 6 and 7,
// C++Builder 6), built with the stand-in tools, every provider whose library
// is there scheduled. Reports the whole run, the time the tool processes
// took (their CPU time, as the system accounts finished children) and the
// engine's own time per IDE. Each iteration starts from a copy of the machine
// as it was before the installation.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "CmdLineUtils.h"
#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/MetaProviders.h"
#include "Compile/TargetOptions.h"
#include "ScratchMachine.h"
#include "Utils.h"
#include "common/IdeProfiles.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/simwin/Machine.h"

namespace fs = std::filesystem;

namespace {

const std::string kBase = "C:\\Bench";
const std::string kPackage = kBase + "\\Package";
const std::string kTools = kBase + "\\StandIn";

std::string hostRoot;

std::string HostOf(const std::string& windowsPath) {
  uint32_t error = 0;
  const auto host = simwin::Machine::Current().HostPath(windowsPath, error);
  if (!host) throw std::runtime_error("no host path for " + windowsPath);
  return *host;
}

// A program or file of the build, linked into the machine.
void Place(const std::string& built, const std::string& windowsPath) {
  if (::symlink(built.c_str(), HostOf(windowsPath).c_str()) != 0) {
    throw std::runtime_error("cannot link " + built);
  }
}

void Write(const std::string& windowsPath, const std::string& text) {
  if (!platform::WriteFileBytes(windowsPath, text)) throw std::runtime_error("cannot write " + windowsPath);
}

// Makes the machine with every profile and the package folder, then keeps a
// copy of it to start each installation from.
void PrepareMachine() {
  static bool done = false;
  if (done) return;
  done = true;
  // In memory where the host has room there (the machines take a few hundred
  // MB), so the host's disk does not weigh in.
  std::error_code ec;
  const bool inMemory = fs::space("/dev/shm", ec).available >= (1ull << 30) && !ec;
  hostRoot = CreateScratchMachine(inMemory ? "/dev/shm" : "/tmp");
  CmdOptions = std::make_unique<TCmdOptions>(std::vector<std::string>{});

  if (!SafeForceDirectories(kTools) || !SafeForceDirectories(kPackage)) {
    throw std::runtime_error("cannot make the bench folders");
  }
  Place(DCC32_PATH, kTools + "\\dcc32.exe");
  Place(DCC64_PATH, kTools + "\\dcc64.exe");
  Place(BPR2MAK_PATH, kTools + "\\bpr2mak.exe");
  Place(MAKE_PATH, kTools + "\\make.exe");
  Place(TLIB_PATH, kTools + "\\tlib.exe");
  ideprofiles::IdeOptions options;
  options.toolsDir = kTools;
  for (const std::string& profile : ideprofiles::ProfileNames()) ideprofiles::InstallIde(profile, options);

  Place(ARCHIVER_PATH, kPackage + "\\7z.exe");
  Place(SAMPLE_PACKAGE_DIR "/data.arc", kPackage + "\\data.arc");
  Write(kPackage + "\\setup.exe", "MZ setup");
  Write(kPackage + "\\version", "5.12.3.811 Professional With Sources");
  for (const char* marker : {"withsrcs", "metapvds", "marlin", "quillon"}) Write(kPackage + "\\" + marker, "");

  fs::copy(hostRoot + "/m", hostRoot + "/pristine", fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  ::sleep(1);
}

// The machine as before the installation, the package folder current, the
// installation data with every IDE to install and every provider possible.
void StartFromPristine() {
  // A copy that keeps the times of the files and folders, as a machine's
  // folders have not all changed just now.
  fs::remove_all(hostRoot + "/m");
  const std::string copy = "cp -a '" + hostRoot + "/pristine' '" + hostRoot + "/m'";
  if (std::system(copy.c_str()) != 0) throw std::runtime_error("cannot copy the machine");
  simwin::Machine::Reset();
  ::setenv("SIMWIN_EXE", (kPackage + "\\setup.exe").c_str(), 1);
  if (!platform::SetCurrentDir(kPackage)) throw std::runtime_error("cannot enter the package folder");
  InstallData = std::make_unique<TInstallData>();
  InstallData->SetDemoDir(kBase + "\\Demo");
  InstallData->SetInstallDir(kBase + "\\Install");
  TTargetOptionsList& list = InstallData->TargetOptions();
  TMetadataProvidersList& providers = InstallData->MetaProviders();
  for (int i = 0; i < list.Count(); ++i) {
    TTargetOptions& options = *list.Items(i);
    options.SetAction(atInstall);
    for (int p = 0; p < providers.Count(); ++p) {
      if (options.CanInstallMetaProvider(*providers.Items(p))) {
        options.SetMetaProviderSheduledForInstall(*providers.Items(p));
      }
    }
  }
}

double ChildrenCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The tool runs tools.log recorded (one "tool: " line each); the archiver's
// front end runs the host's 7-Zip and records nothing.
int ToolRuns() {
  std::ifstream log(hostRoot + "/m/tools.log");
  int runs = 0;
  for (std::string line; std::getline(log, line);) runs += line.rfind("tool: ", 0) == 0 ? 1 : 0;
  return runs;
}

void BM_NewInstallation(benchmark::State& state) {
  PrepareMachine();
  double total = 0, tools = 0;
  int targets = 0, runs = 0, errors = 0;
  for (auto _ : state) {
    state.PauseTiming();
    StartFromPristine();
    TCompiler engine;
    const double toolsBefore = ChildrenCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    state.ResumeTiming();

    engine.Extract(false);
    engine.Compile();

    state.PauseTiming();
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    tools += ChildrenCpuSeconds() - toolsBefore;
    targets = InstallData->TargetOptions().Count();
    runs = ToolRuns();
    errors = 0;
    for (const auto& message : engine.Logger().Messages()) errors += message.Severity >= lsError ? 1 : 0;
    InstallData.reset();
    state.ResumeTiming();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["targets"] = targets;
  state.counters["tool_runs"] = runs;
  state.counters["errors"] = errors;
  state.counters["total_s"] = total / n;
  state.counters["tools_s"] = tools / n;
  state.counters["engine_ms_per_ide"] = (total - tools) / n / targets * 1000;
}
BENCHMARK(BM_NewInstallation)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
