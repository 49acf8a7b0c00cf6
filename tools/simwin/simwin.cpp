// simwin: creates and inspects simulated Windows machines.
//
//   simwin create DIR [--user NAME]   a new machine with default settings
//   simwin import DIR FILE.reg        merge a registry file into the machine
//   simwin export DIR [FILE.reg]      write both hives (to standard output without FILE)
//   simwin show DIR KEY               one key with its values and sub-key names
//   simwin run DIR [--cwd FOLDER] -- COMMANDLINE...
//                                     runs a program inside the machine with captured
//                                     output: its lines on standard output, its exit
//                                     code as this command's
//   simwin tools DIR FOLDER TOOL...   puts stand-in tools (dcc32 dcc64 bpr2mak make
//                                     tlib 7z) into FOLDER as TOOL.exe
//   simwin install-ide DIR PROFILE [OPTIONS]
//                                     installs a simulated IDE from a profile (see
//                                     list-profiles); --tools takes the stand-ins
//                                     from a folder of this computer
//   simwin list-profiles              the IDE profiles, one a line
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <stdlib.h>

#include <filesystem>

#include "CapExec.h"
#include "SysUtils.h"
#include "common/IdeProfiles.h"
#include "platform/simwin/CommandLine.h"
#include "platform/simwin/Machine.h"

namespace {

constexpr const char* kUsage =
    "usage: simwin create DIR [--user NAME]\n"
    "       simwin import DIR FILE.reg\n"
    "       simwin export DIR [FILE.reg]\n"
    "       simwin show DIR KEY\n"
    "       simwin run DIR [--cwd FOLDER] -- COMMANDLINE...\n"
    "       simwin tools DIR FOLDER TOOL...\n"
    "       simwin install-ide DIR PROFILE [--edition TEXT] [--personalities NAME,NAME] [--no-compiler]\n"
    "                          [--force-env-options] [--user-key NAME] [--root FOLDER] [--tools HOSTDIR]\n"
    "                          [--update N] [--rtl-patch N] [--core-version A.B.C.D]\n"
    "       simwin list-profiles\n";

int Usage() {
  std::fputs(kUsage, stderr);
  return 2;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw simwin::MachineError("cannot read " + path);
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

std::string WithoutCarriageReturns(std::string text) {
  std::string out;
  for (const char c : text) {
    if (c != '\r') out += c;
  }
  return out;
}

int Create(const std::vector<std::string>& args) {
  std::string user = "Developer";
  if (args.size() == 4 && args[2] == "--user" && !args[3].empty()) {
    user = args[3];
  } else if (args.size() != 2) {
    return Usage();
  }
  simwin::Machine::Create(args[1], user);
  return 0;
}

int Import(const std::vector<std::string>& args) {
  if (args.size() != 3) return Usage();
  simwin::Machine machine(args[1]);
  const std::string bytes = ReadFile(args[2]);
  try {
    machine.Hive().Import(bytes);
  } catch (const simwin::ParseError& e) {
    throw simwin::MachineError(args[2] + ": " + e.what());
  }
  if (!machine.SaveHive()) throw simwin::MachineError("cannot write " + args[1] + "/registry.reg");
  return 0;
}

int Export(const std::vector<std::string>& args) {
  if (args.size() != 2 && args.size() != 3) return Usage();
  simwin::Machine machine(args[1]);
  const std::string text = machine.Hive().Serialize();
  if (args.size() == 2) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  }
  if (!simwin::WriteHostFileAtomic(args[2], text)) throw simwin::MachineError("cannot write " + args[2]);
  return 0;
}

int Show(const std::vector<std::string>& args) {
  if (args.size() != 3) return Usage();
  simwin::Machine machine(args[1]);
  const std::string& full = args[2];
  const size_t slash = full.find('\\');
  const std::string rootName = full.substr(0, slash);
  const std::string path = slash == std::string::npos ? "" : full.substr(slash + 1);
  auto& hive = machine.Hive();
  simwin::RegKeyNode* key = hive.Root(rootName);
  // Walk down name by name so the key is shown with the case it was created with.
  std::string name = key == nullptr ? "" : key->name;
  size_t pos = 0;
  while (key != nullptr && pos < path.size()) {
    size_t next = path.find('\\', pos);
    if (next == std::string::npos) next = path.size();
    key = key->FindSubKey(path.substr(pos, next - pos));
    if (key != nullptr) name += "\\" + key->name;
    pos = next + 1;
  }
  if (key == nullptr) {
    std::fprintf(stderr, "simwin: no key %s\n", full.c_str());
    return 1;
  }
  std::cout << WithoutCarriageReturns(simwin::RegistryHive::FormatKey(name, *key));
  for (const auto& [subName, sub] : key->subkeys) std::cout << "; sub-key: " << sub->name << "\n";
  return 0;
}

// Makes DIR the machine of this process, as a program inside it has it.
void UseMachine(const std::string& dir) {
  ::setenv("SIMWIN_ROOT", dir.c_str(), 1);
  ::unsetenv("SIMWIN_CWD");
  ::unsetenv("SIMWIN_ENVIRONMENT");
  simwin::Machine::Reset();
  simwin::Machine::Current();
}

int Run(const std::vector<std::string>& args) {
  size_t dash = 2;
  std::string folder;
  if (args.size() > 3 && args[2] == "--cwd") {
    folder = args[3];
    dash = 4;
  }
  if (args.size() < dash + 2 || args[dash] != "--") return Usage();
  UseMachine(args[1]);
  // One argument is the Windows command line as it is; several are quoted and joined.
  std::string commandLine = args[dash + 1];
  if (args.size() > dash + 2) {
    commandLine = simwin::QuoteWindowsArgument(commandLine);
    for (size_t i = dash + 2; i < args.size(); ++i) commandLine += " " + simwin::QuoteWindowsArgument(args[i]);
  }
  try {
    const int32_t code = CaptureExecute(commandLine, "", folder, [](const std::string& line, bool&) {
      std::fwrite(line.data(), 1, line.size(), stdout);
      std::fputc('\n', stdout);
    });
    std::fflush(stdout);
    return code & 0xFF;
  } catch (const Exception& e) {
    throw simwin::MachineError(e.Message());
  }
}

int Tools(const std::vector<std::string>& args) {
  if (args.size() < 4) return Usage();
  UseMachine(args[1]);
  namespace fs = std::filesystem;
  // The stand-ins are built beside this command.
  const fs::path here = fs::read_symlink("/proc/self/exe").parent_path();
  uint32_t error = 0;
  const auto folder = simwin::Machine::Current().HostPath(args[2], error);
  if (!folder) throw simwin::MachineError("no folder " + args[2] + " on the machine");
  fs::create_directories(*folder);
  for (size_t i = 3; i < args.size(); ++i) {
    const std::string& tool = args[i];
    if (tool != "dcc32" && tool != "dcc64" && tool != "bpr2mak" && tool != "make" && tool != "tlib" && tool != "7z") {
      throw simwin::MachineError("no stand-in tool " + tool);
    }
    fs::copy_file(here / tool, fs::path(*folder) / (tool + ".exe"), fs::copy_options::overwrite_existing);
  }
  return 0;
}

// ---- install-ide, list-profiles ----

int Count(const std::string& option, const std::string& text) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos) {
    throw std::runtime_error(option + " needs a number, not \"" + text + "\"");
  }
  return std::stoi(text);
}

std::vector<std::string> CommaList(const std::string& option, const std::string& text) {
  std::vector<std::string> items;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma - start));
    if (items.back().empty()) throw std::runtime_error(option + " needs names separated by \",\"");
    if (comma == std::string::npos) return items;
    start = comma + 1;
  }
}

// Replaces the IDE's placeholder tools by the stand-ins of a host folder.
void CopyHostTools(const std::string& hostDir, const ideprofiles::InstalledIde& ide) {
  namespace fs = std::filesystem;
  for (const auto& tool : ide.tools) {
    const std::string exe = tool.substr(tool.rfind('\\') + 1);
    const std::string base = exe.substr(0, exe.size() - 4);
    for (const auto& name : {base, exe}) {
      if (!fs::is_regular_file(fs::path(hostDir) / name)) continue;
      uint32_t error = 0;
      const auto target = simwin::Machine::Current().HostPath(tool, error);
      if (!target) throw std::runtime_error("no file " + tool + " on the machine");
      fs::copy_file(fs::path(hostDir) / name, *target, fs::copy_options::overwrite_existing);
      break;
    }
  }
}

int InstallIde(const std::vector<std::string>& args) {
  if (args.size() < 3) return Usage();
  ideprofiles::IdeOptions options;
  std::string hostTools;
  for (size_t i = 3; i < args.size(); ++i) {
    const std::string& option = args[i];
    const auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw std::runtime_error(option + " needs a value");
      return args[++i];
    };
    if (option == "--edition") {
      options.edition = value();
    } else if (option == "--personalities") {
      options.personalities = CommaList(option, value());
    } else if (option == "--no-compiler") {
      options.commandLineCompiler = false;
    } else if (option == "--force-env-options") {
      options.forceEnvOptionsUpdate = true;
    } else if (option == "--user-key") {
      options.userKeyName = value();
    } else if (option == "--root") {
      options.rootDir = value();
    } else if (option == "--tools") {
      hostTools = value();
    } else if (option == "--update") {
      options.updatePack = Count(option, value());
    } else if (option == "--rtl-patch") {
      options.rtlPatch = Count(option, value());
    } else if (option == "--core-version") {
      options.coreVersion = value();
    } else {
      return Usage();
    }
  }
  if (!hostTools.empty() && !std::filesystem::is_directory(hostTools)) {
    throw std::runtime_error("no folder " + hostTools);
  }
  UseMachine(args[1]);
  const auto ide = ideprofiles::InstallIde(args[2], options);
  try {
    if (!hostTools.empty()) CopyHostTools(hostTools, ide);
  } catch (...) {
    ideprofiles::UninstallIde(ide);
    throw;
  }
  std::cout << ide.profile << " installed in " << ide.rootDir << "\n";
  return 0;
}

int ListProfiles(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage();
  for (const auto& name : ideprofiles::ProfileNames()) std::cout << name << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  try {
    if (args[0] == "create") return Create(args);
    if (args[0] == "import") return Import(args);
    if (args[0] == "export") return Export(args);
    if (args[0] == "show") return Show(args);
    if (args[0] == "run") return Run(args);
    if (args[0] == "tools") return Tools(args);
    if (args[0] == "install-ide") return InstallIde(args);
    if (args[0] == "list-profiles") return ListProfiles(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "simwin: %s\n", e.what());
    return 1;
  }
  return Usage();
}
