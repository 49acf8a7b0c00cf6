// The IDE's path lists: SplitPaths over any text, JoinPaths over the result.
#include <cstddef>
#include <cstdint>
#include <string>

#include "DelphiData.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TStringList list;
  SplitPaths(text, list);
  for (const std::string& entry : list) FuzzCheck(entry.find(';') == std::string::npos, "no entry holds a ';'");
  const std::string joined = JoinPaths(list);
  TStringList again;
  SplitPaths(joined, again);
  FuzzCheck(again.size() <= list.size(), "a joined list splits into no more entries than it had");
  return 0;
}
