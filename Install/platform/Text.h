// Portable text helpers shared by both platform backends and the program:
// UTF-8 <-> UTF-16 conversion and ASCII-only case folding.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Converts UTF-8 to UTF-16. Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
// Converts UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The text cut to at most `maxUnits` UTF-16 code units (what a Windows buffer
// of that many characters holds), never inside a character: neither in a
// UTF-8 sequence nor between the halves of a surrogate pair.
std::string Utf8Prefix(std::string_view text, size_t maxUnits);

// Folds a-z onto A-Z; every other byte stays as it is.
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
std::string AsciiUpperCase(std::string_view text);

// Case-insensitive comparison folding only ASCII letters.
int CompareTextAscii(std::string_view a, std::string_view b);
inline bool SameTextAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareTextAscii(a, b) == 0;
}

// Ordering for maps keyed by names that ignore ASCII letter case.
struct AsciiCaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return CompareTextAscii(a, b) < 0; }
};

}  // namespace platform
