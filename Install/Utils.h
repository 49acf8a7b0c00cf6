// Small path and string helpers used across the program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Creates a folder with every missing parent. An empty path counts as done.
// True when the folder exists afterwards; otherwise LastErrorCode() holds the
// error of the creation that failed.
bool SafeForceDirectories(const std::string& dir);

// folder + "\" + name with exactly one backslash between them; with an empty
// name, the folder without its trailing backslash.
std::string JoinPath(const std::string& folder, const std::string& name);

// Reduces runs of backslashes to one, keeping a leading "\\" (UNC prefix).
std::string CollapseBackslashes(const std::string& path);

// Prefix and suffix tests; with ignoreCase only ASCII letters are folded.
bool StrStartsWith(const std::string& text, const std::string& prefix, bool ignoreCase);
bool StrEndsWith(const std::string& text, const std::string& suffix, bool ignoreCase);

// The text without the blanks and control characters at either end.
std::string Trim(const std::string& text);
// The lines of a text; CR LF, CR and LF each end a line, and a break at the
// very end starts no further line.
std::vector<std::string> SplitLines(const std::string& text);

// Index of the first item equal to text without regard to ASCII case; -1 if none.
int IndexOfText(const std::string& text, const std::vector<std::string>& items);

// A file found by FindFiles: its path and the low 32 bits of its size.
struct FoundFile {
  std::string path;
  uint32_t size = 0;
};

// Appends the files matching folder\mask to `list`, in the file system's
// enumeration order. With `extensions` non-empty, only files whose extension
// (with its dot) is one of them, compared without regard to case. With
// `recursive`, folders that match the mask are searched the same way at the
// point where they are met.
void FindFiles(const std::string& folder, const std::string& mask, bool recursive,
               const std::vector<std::string>& extensions, std::vector<FoundFile>& list);

// The format text with its "%s" placeholders replaced by the arguments in
// order, and "%N:s" by the argument N; "%%" is a percent sign. A placeholder
// without an argument stays as it is.
std::string Format(const std::string& format, const std::vector<std::string>& args);

// The path relative to the base folder (which ends with a backslash), with
// "..\" for each level up; a path on another drive stays whole. Letters are
// compared without regard to ASCII case.
std::string ExtractRelativePath(const std::string& baseDir, const std::string& path);

// True when the folder lists no entry besides "." and ".." (also when it
// cannot be listed: removing a folder that is not empty fails anyway).
bool IsFolderEmpty(const std::string& folder);

// Path pieces as the program's Windows paths need them.
std::string ExtractFileDir(const std::string& path);                         // without the trailing backslash
std::string ExtractFileName(const std::string& path);                        // after the last '\', '/' or ':'
std::string ExtractFileExt(const std::string& path);                         // from the last dot of the name, or ""
std::string ChangeFileExt(const std::string& path, const std::string& ext);  // ext with its dot, or ""
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExcludeTrailingPathDelimiter(const std::string& path);
