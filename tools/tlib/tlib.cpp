// Stand-in for the C++Builder library manager.
//   tlib LIBRARY /L                 lists the library: three header lines, then
//                                   per module a line "name<TAB>size = N" and
//                                   its public symbol on a line of its own;
//                                   then the value of the variable
//                                   TLIB_TRAILER as a last line, if it is set
//   tlib LIBRARY /e MODULE...       writes each module as MODULE.obj into the
//                                   working folder
// Arguments before the library (the rest of a program path with blanks that
// was not quoted) are passed over.
#include <string>
#include <vector>

#include "common/Library.h"
#include "common/StandIn.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"

int main(int argc, char** argv) {
  standin::ToolRun run("tlib", argc, argv);
  const auto& args = run.Args();
  size_t first = 0;
  while (first < args.size() && !standin::SameName(standin::BaseName(args[first]) + ".lib",
                                                   args[first].substr(args[first].find_last_of("\\/:") + 1))) {
    ++first;
  }
  if (first + 1 >= args.size()) {
    run.Out("Syntax: TLIB libname /L | /e module...");
    return run.Finish(1);
  }
  const std::string library = args[first];
  const std::string command = args[first + 1];
  const auto bytes = platform::ReadFileBytes(library);
  if (!bytes) {
    run.Out("Error: Unable to open library " + library);
    return run.Finish(1);
  }
  const auto modules = standin::ReadLibrary(*bytes);
  if (!modules) {
    run.Out("Error: " + library + " is not a valid library");
    return run.Finish(1);
  }
  if (standin::SameName(command, "/L")) {
    run.Out("Stand-in library manager tlib 1.0");
    run.Out("");
    run.Out("Publics by module");
    for (const auto& m : *modules) {
      run.Out(m.name + "\tsize = " + std::to_string(m.bytes.size()));
      run.Out("\t" + m.publicSymbol);
    }
    if (const auto trailer = platform::GetEnv("TLIB_TRAILER"); trailer && !trailer->empty()) run.Out(*trailer);
    return run.Finish(0);
  }
  if (standin::SameName(command, "/e")) {
    int exitCode = 0;
    for (size_t i = first + 2; i < args.size(); ++i) {
      const standin::LibModule* found = nullptr;
      for (const auto& m : *modules) {
        if (standin::SameName(m.name, args[i])) found = &m;
      }
      if (found == nullptr) {
        run.Out("Warning: '" + args[i] + "' not found in library");
        exitCode = 1;
      } else if (!platform::WriteFileBytes(found->name + ".obj", found->bytes)) {
        run.Out("Error: Unable to create " + found->name + ".obj");
        exitCode = 1;
      }
    }
    return run.Finish(exitCode);
  }
  run.Out("Error: unknown command " + command);
  return run.Finish(1);
}
