#include <stdexcept>

#include "BenchSupport.h"
#include "platform/FileSystem.h"

std::string ScratchFolder() { return platform::TempDirectory() + "VexorinBench"; }

std::string PrepareTestChild() {
  static std::string child;
  if (!child.empty()) return child;
  std::string built = TESTCHILD_PATH;
  // Under Wine the build's Unix paths are seen through drive Z:.
  if (!built.empty() && built[0] == '/') built = "Z:" + built;
  for (char& c : built) {
    if (c == '/') c = '\\';
  }
  platform::MakeDirectory(ScratchFolder());
  child = ScratchFolder() + "\\testchild.exe";
  if (!platform::CopyFileTo(built, child, false)) throw std::runtime_error("cannot place the test child");
  return child;
}
