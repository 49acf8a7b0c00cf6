// Reading and writing Windows shortcut (.lnk) files as plain bytes, so the
// simulated machine can create Start menu entries and check them without any
// Windows API. Callers do the file I/O.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simwin {

// The parts of a shortcut the setup program cares about, all UTF-8.
struct ShellLinkData {
  std::string targetPath;
  std::string workingDir;
  std::string arguments;
  std::string description;
};

// Builds a .lnk that points at targetPath through a LinkInfo block (local
// path, both ANSI and UTF-16) and keeps the other fields as UTF-16 strings.
// The ANSI copy of the path uses Windows-1252, with '?' for characters it
// cannot hold; Windows reads the UTF-16 copy.
// Throws std::invalid_argument if targetPath is empty, a field is not valid
// UTF-8, contains a NUL character, or is longer than a .lnk can store.
std::vector<uint8_t> WriteShellLink(const ShellLinkData& link);

// Reads a .lnk written by WriteShellLink or by Windows. The target comes from
// LinkInfo (local base path + common path suffix, or network share + suffix);
// it is empty if the link has no LinkInfo (for example an ID-list-only link).
// Returns nullopt if the bytes are not a well-formed shell link.
std::optional<ShellLinkData> ReadShellLink(const std::vector<uint8_t>& bytes);

}  // namespace simwin
