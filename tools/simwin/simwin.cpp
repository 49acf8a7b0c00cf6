// simwin: creates and inspects simulated Windows machines.
//
//   simwin create DIR [--user NAME]   a new machine with default settings
//   simwin import DIR FILE.reg        merge a registry file into the machine
//   simwin export DIR [FILE.reg]      write both hives (to standard output without FILE)
//   simwin show DIR KEY               one key with its values and sub-key names
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/simwin/Machine.h"

namespace {

constexpr const char* kUsage =
    "usage: simwin create DIR [--user NAME]\n"
    "       simwin import DIR FILE.reg\n"
    "       simwin export DIR [FILE.reg]\n"
    "       simwin show DIR KEY\n";

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

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage();
  try {
    if (args[0] == "create") return Create(args);
    if (args[0] == "import") return Import(args);
    if (args[0] == "export") return Export(args);
    if (args[0] == "show") return Show(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "simwin: %s\n", e.what());
    return 1;
  }
  return Usage();
}
