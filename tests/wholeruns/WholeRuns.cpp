#include "WholeRuns.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <stdexcept>

#include "HostCommands.h"
#include "SuiteState.h"

namespace wholeruns {

namespace fs = std::filesystem;

namespace {

const std::string kSimwin = SIMWIN_COMMAND;
const std::string kDemoMachine = DEMO_MACHINE_SCRIPT;
const std::string kBuildDir = BUILD_DIR;
const std::string kExamples = EXAMPLES_DIR;
const char* const kPackage = "/drive_c/Users/Developer/Downloads/Vexorin";
const char* const kIdes = "delphi7 bds5";

std::string TempFolder(const std::string& name) {
  std::string pattern = "/tmp/vexorin-" + name + "-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a folder in /tmp");
  return pattern;
}

void Check(const CommandResult& result, const std::string& what) {
  if (result.exitCode != 0) throw std::runtime_error(what + " failed: " + result.output);
}

// The machines every run starts from, made once per test program: the IDEs
// and the package; the same with the suite installed; and that with a newer
// package, for an update.
class Templates {
 public:
  ~Templates() {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
  }
  const std::string& For(RunType type) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (folder_.empty()) Make();
    return type == RunType::NewInstallation ? fresh_ : type == RunType::Update ? update_ : installed_;
  }

 private:
  void Make() {
    folder_ = TempFolder("wholerun-templates");
    fresh_ = folder_ + "/fresh";
    installed_ = folder_ + "/installed";
    update_ = folder_ + "/update";
    Check(RunCommand(kDemoMachine + " " + fresh_ + " --build " + kBuildDir + " --ides '" + kIdes + "'"),
          "making the machine");
    fs::copy(fresh_, installed_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    Check(RunCommand("SIMWIN_ROOT=" + installed_ + " '" + installed_ + kPackage +
                     "/setup.exe' --autoinstall --autoclose"),
          "the installation of the templates");
    fs::copy(installed_, update_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    WriteHost(update_ + kPackage + "/version", "5.12.4.900 Professional With Sources\r\n");
  }
  std::mutex mutex_;
  std::string folder_, fresh_, installed_, update_;
};

// Copies of machines and starts of programs, one at a time: a program started
// while another thread writes a copy would inherit the file being written,
// and the copy's programs could not be run while it stays open ("text file busy").
std::mutex& ForkLock() {
  static std::mutex lock;
  return lock;
}

Templates& TheTemplates() {
  static Templates templates;
  return templates;
}

ProgramResult RunProgram(const std::string& command) {
  ProgramResult result;
  FILE* pipe = nullptr;
  {
    std::lock_guard<std::mutex> lock(ForkLock());
    pipe = ::popen(("exec " + command + " </dev/null 2>&1").c_str(), "r");
  }
  if (pipe == nullptr) throw std::runtime_error("cannot start " + command);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.transcript.append(buffer, n);
  const int status = ::pclose(pipe);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace

const char* RunTypeTestName(RunType type) {
  switch (type) {
    case RunType::NewInstallation:
      return "NewInstallation";
    case RunType::Update:
      return "Update";
    case RunType::Uninstallation:
      return "Uninstallation";
  }
  return "";
}

const char* RunTypeName(RunType type) {
  switch (type) {
    case RunType::NewInstallation:
      return "new installation";
    case RunType::Update:
      return "update";
    case RunType::Uninstallation:
      return "uninstallation";
  }
  return "";
}

RunMachine::RunMachine(RunType type, const std::string& name) : type_(type), root_(TempFolder(name)) {
  const std::string& from = TheTemplates().For(type);
  std::lock_guard<std::mutex> lock(ForkLock());
  fs::remove(root_);
  fs::copy(from, root_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

RunMachine::~RunMachine() {
  std::error_code ec;
  fs::remove_all(root_, ec);
}

ProgramResult RunMachine::RunWith(const std::string& environment, const std::string& invocation) {
  return RunProgram("env SIMWIN_ROOT=" + root_ + " " + environment + " " + invocation);
}

ProgramResult RunMachine::Run(const std::string& environment) {
  const std::string setup = "'" + root_ + kPackage + "/setup.exe'";
  switch (type_) {
    case RunType::NewInstallation:
      return RunWith(environment, setup + " --autoinstall --autoclose");
    case RunType::Update:
      return RunWith(environment, setup + " --autoupdate --autoclose");
    case RunType::Uninstallation:
      return RunWith("VEXORIN_SETUP_SCRIPT=" + kExamples + "/uninstall.txt " + environment, setup);
  }
  return {};
}

std::vector<Operation> RunMachine::CountOperations() {
  const std::string log = root_ + "/operations.log";
  const ProgramResult run = Run("SIMWIN_OPERATIONS_LOG=" + log);
  if (run.exitCode != 0) throw std::runtime_error("the counting run failed: " + run.transcript);
  std::vector<Operation> operations;
  std::istringstream in(ReadHost(log));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    Operation op;
    std::string number, cls, name, target;
    std::getline(fields, number, '\t');
    std::getline(fields, cls, '\t');
    std::getline(fields, op.name, '\t');
    std::getline(fields, op.target, '\t');
    op.number = std::stoull(number);
    op.cls = cls.substr(0, cls.find(' '));
    op.inClass = std::stoull(cls.substr(cls.find(' ') + 1));
    operations.push_back(op);
  }
  fs::remove(log);
  return operations;
}

std::vector<std::string> RunMachine::RepairAndRemove() {
  std::vector<std::string> problems;
  const std::string setup = "'" + root_ + kPackage + "/setup.exe'";
  const std::string uninstall = "VEXORIN_SETUP_SCRIPT=" + kExamples + "/uninstall.txt";
  auto state = suitestate::ReadSuiteState(root_);
  bool anyPackages = false;
  for (const auto& ide : state.ides) anyPackages = anyPackages || ide.suitePackages > 0;
  if (!state.productKey && anyPackages) {
    // Packages left in an IDE by a run that did not record the product: an
    // installation records it, and the uninstallation then finds them.
    const ProgramResult install = RunWith("", setup + " --autoinstall --autoclose");
    if (install.exitCode != 0)
      problems.push_back("the repairing installation ended with " + std::to_string(install.exitCode));
    for (const std::string& line : suitestate::Disagreements(suitestate::ReadSuiteState(root_))) {
      problems.push_back("after the repairing installation: " + line);
    }
    state = suitestate::ReadSuiteState(root_);
  }
  if (state.productKey) {
    const ProgramResult removal = RunWith(uninstall, setup);
    if (removal.exitCode != 0 || removal.signal != 0) {
      problems.push_back(
          "the uninstallation that follows ended with " + std::to_string(removal.exitCode) + ": " +
          removal.transcript.substr(removal.transcript.size() > 2000 ? removal.transcript.size() - 2000 : 0));
    }
  }
  for (const std::string& line : suitestate::Leftovers(suitestate::ReadSuiteState(root_))) {
    problems.push_back("after the uninstallation: " + line);
  }
  return problems;
}

std::vector<std::string> RunMachine::ErrorLines(const std::string& transcript) {
  constexpr size_t kContext = 3;  // log lines before an error that belong to it
  std::vector<std::string> lines;
  std::vector<std::string> recent;
  std::istringstream in(transcript);
  std::string line;
  while (std::getline(in, line)) {
    std::string context;
    for (const std::string& before : recent) context += before + " / ";
    if (line.rfind("  ! ", 0) == 0) lines.push_back(context + line.substr(4));
    if (line.rfind("message box \"", 0) == 0) lines.push_back(context + line);
    if (line.rfind("  | ", 0) == 0) {
      recent.push_back(line.substr(4));
      if (recent.size() > kContext) recent.erase(recent.begin());
    }
  }
  return lines;
}

std::vector<Operation> Sample(const std::vector<Operation>& operations, size_t count, uint32_t seed) {
  if (count >= operations.size()) return operations;
  std::vector<Operation> files, registry;
  for (const Operation& op : operations) (op.cls == "file" ? files : registry).push_back(op);
  std::mt19937 random(seed);
  std::shuffle(files.begin(), files.end(), random);
  std::shuffle(registry.begin(), registry.end(), random);
  size_t fromFiles = std::min(files.size(), count / 2);
  const size_t fromRegistry = std::min(registry.size(), count - fromFiles);
  fromFiles = std::min(files.size(), count - fromRegistry);
  std::vector<Operation> picked(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(fromFiles));
  picked.insert(picked.end(), registry.begin(), registry.begin() + static_cast<std::ptrdiff_t>(fromRegistry));
  std::sort(picked.begin(), picked.end(), [](const Operation& a, const Operation& b) { return a.number < b.number; });
  return picked;
}

size_t CountFromEnvironment(const char* name, size_t fallback) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return fallback;
  return static_cast<size_t>(std::stoul(text));
}

}  // namespace wholeruns
