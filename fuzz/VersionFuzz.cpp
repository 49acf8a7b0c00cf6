// The product version string, as the package's version file and the product
// key hold it. The product key keeps Version() and the next run parses it
// back to tell a maintenance run from an update, so that text must parse to
// the same version again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Compile/Version.h"
#include "FuzzSupport.h"
#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    const TVersion version(text);
    const TVersion again(version.Version());
    FuzzCheck(again.Version() == version.Version(), "the saved Version() parses to the same version");
    FuzzCheck(again.VersionShort() == version.VersionShort(), "the saved Version() keeps the numbers");
  } catch (const Exception&) {
    // A blank text is a bad version string: the error the program reports.
  }
  return 0;
}
