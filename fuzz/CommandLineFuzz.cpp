// Windows command lines: the arguments split by the C run-time's rules, each
// quoted back and split again, and the setup program's options parsed from
// them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CmdLineUtils.h"
#include "FuzzSupport.h"
#include "platform/simwin/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> args = simwin::ParseWindowsArguments(text);
  std::string line;
  for (const std::string& arg : args) {
    const std::string quoted = simwin::QuoteWindowsArgument(arg);
    FuzzCheck(simwin::ParseWindowsArguments(quoted) == std::vector<std::string>{arg},
              "a quoted argument splits back into itself");
    if (!line.empty()) line += ' ';
    line += quoted;
  }
  FuzzCheck(simwin::ParseWindowsArguments(line) == args, "the quoted arguments split back into the same list");
  const TCmdOptions options(args, TCmdOptions::HelpAction::RecordOnly);
  (void)options.Help();
  return 0;
}
