// Windows path rules for the simulated machine: making a path absolute and
// normal, and matching file names against wildcard masks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace simwin {

// Windows error codes the simulated machine reports.
constexpr uint32_t kErrFileNotFound = 2;
constexpr uint32_t kErrPathNotFound = 3;
constexpr uint32_t kErrAccessDenied = 5;
constexpr uint32_t kErrInvalidDrive = 15;
constexpr uint32_t kErrNotSameDevice = 17;
constexpr uint32_t kErrNoMoreFiles = 18;
constexpr uint32_t kErrGenFailure = 31;
constexpr uint32_t kErrBadNetPath = 53;
constexpr uint32_t kErrFileExists = 80;
constexpr uint32_t kErrInvalidParameter = 87;
constexpr uint32_t kErrDiskFull = 112;
constexpr uint32_t kErrInvalidName = 123;
constexpr uint32_t kErrDirNotEmpty = 145;
constexpr uint32_t kErrAlreadyExists = 183;
constexpr uint32_t kErrDirectory = 267;

// Makes `path` absolute against `cwd` (itself absolute, "X:\..."), as Windows
// does: '/' is a separator, "X:name" is relative to the current folder when X
// is the current drive, "\name" is on the current drive, "." and ".." are
// resolved, trailing dots and blanks of a name are dropped. UNC paths are not
// reachable on the simulated machine. Returns "X:\a\b" ("X:\" for a root), or
// nullopt with `error` set.
std::optional<std::string> NormalizeWindowsPath(const std::string& path, const std::string& cwd, uint32_t& error);

// Whether a file name matches a mask with * and ?, without regard to case.
// "*.*" matches every name; a mask ending in "." matches names without an
// extension.
bool MatchesMask(const std::string& name, const std::string& mask);

// Whether `path` is `prefix` or lies below it (case-insensitive, whole names).
bool IsSameOrBelow(const std::string& path, const std::string& prefix);

}  // namespace simwin
