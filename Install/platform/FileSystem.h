// Files and folders with Windows paths: existence, enumeration, creation, copy,
// move, deletion, short names, the system and temporary folders, and text files.
// A failing call returns false (or an empty result) and leaves its Windows
// error code in LastErrorCode().
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrHidden = 0x02;
constexpr uint32_t kAttrSystem = 0x04;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;

struct DirEntry {
  std::string name;
  bool isDirectory = false;
  uint64_t size = 0;
  uint32_t attributes = 0;
};

// The Windows error code of the last failing platform call on this thread.
uint32_t LastErrorCode();
void SetLastErrorCode(uint32_t code);

bool FileExists(const std::string& path);       // an existing file, not a folder
bool DirectoryExists(const std::string& path);  // an existing folder

// Lists the entries matching a pattern "folder\mask" (wildcards * and ?), in the
// file system's order, including "." and ".." where the file system reports
// them. False when nothing matches or the folder cannot be read.
bool FindEntries(const std::string& pattern, std::vector<DirEntry>& entries);

bool MakeDirectory(const std::string& path);  // one level; false if it exists
bool RemoveEmptyDirectory(const std::string& path);
bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists);
bool RenamePath(const std::string& from, const std::string& to);  // file or folder, same volume
bool RemoveFile(const std::string& path);

std::string ShortPathOf(const std::string& path);  // the 8.3 form; "" on failure
std::string SystemDirectory();                     // e.g. C:\Windows\system32
std::string TempDirectory();                       // with a trailing backslash
std::string FullPathOf(const std::string& path);   // absolute, normalised

std::optional<std::string> ReadFileBytes(const std::string& path);
// Replaces the file whole: written to a temporary name beside it, then renamed.
bool WriteFileBytes(const std::string& path, const std::string& bytes);

// The encodings of text files: by their byte-order mark, else ANSI.
enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };
// Decodes a text file's bytes: UTF-8, UTF-16LE or UTF-16BE by their
// byte-order mark, otherwise the system's ANSI code page; tells which. The
// result is UTF-8 without the mark; a malformed sequence, or the odd last
// byte of UTF-16, becomes U+FFFD.
std::string DecodeTextBytes(std::string_view bytes, TextEncoding& encoding);
// The UTF-8 text as a file's bytes in the encoding, with its byte-order mark.
std::string EncodeTextBytes(const std::string& text, TextEncoding encoding);
// Reads a text file with DecodeTextBytes; `encoding`, when given, receives
// the file's encoding.
std::optional<std::string> ReadTextFile(const std::string& path, TextEncoding* encoding = nullptr);

// Conversion between UTF-8 and the system's ANSI (or OEM) code page.
// Characters the code page cannot represent become '?'.
std::string Utf8ToAnsi(const std::string& text);
std::string AnsiToUtf8(const std::string& text);
std::string OemToUtf8(const std::string& text);
// Converts text of a given Windows code page (1252, 28592, ...) to UTF-8;
// nullopt for a code page the system cannot convert from.
std::optional<std::string> DecodeCodePage(uint32_t codePage, const std::string& text);

}  // namespace platform
