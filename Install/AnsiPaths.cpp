#include "AnsiPaths.h"

#include <cstdio>

#include "SysUtils.h"
#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

bool AnsiCanHold(const std::string& text) {
  // A character the code page lacks comes back as '?' or as a look-alike.
  return platform::AnsiToUtf8(platform::Utf8ToAnsi(text)) == text;
}

std::string AnsiSafePath(const std::string& path) {
  if (AnsiCanHold(path)) return path;
  // Up from the whole path to the first part that exists; the parts below it
  // keep their names.
  const bool trailing = path.size() > 1 && path.back() == '\\';
  std::string head = trailing ? path.substr(0, path.size() - 1) : path;
  std::string tail(trailing ? 1 : 0, '\\');
  while (head.size() > 2) {
    if (platform::FileExists(head) || platform::DirectoryExists(head)) {
      const std::string shortHead = platform::ShortPathOf(head);
      if (!shortHead.empty() && AnsiCanHold(shortHead + tail)) return shortHead + tail;
      break;
    }
    const size_t slash = head.rfind('\\');
    if (slash == std::string::npos) break;
    tail = head.substr(slash) + tail;
    head.erase(slash);
  }
  throw Exception("The ANSI code page cannot hold the path and it has no short (8.3) name: " + path);
}

std::string AnsiSafePathList(const std::string& list) {
  if (AnsiCanHold(list)) return list;
  std::string out;
  size_t begin = 0;
  while (true) {
    const size_t end = list.find(';', begin);
    out += AnsiSafePath(list.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
    if (end == std::string::npos) break;
    out += ';';
    begin = end + 1;
  }
  return out;
}

std::string Utf8ToAnsiReadable(const std::string& text) {
  std::string ansi = platform::Utf8ToAnsi(text);
  if (platform::AnsiToUtf8(ansi) == text) return ansi;
  // Character by character, only for text that needs it.
  ansi.clear();
  const std::u16string wide = platform::Utf8ToUtf16(text);
  for (size_t i = 0; i < wide.size(); ++i) {
    size_t units = 1;
    uint32_t codePoint = wide[i];
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      units = 2;
    }
    const std::string character = platform::Utf16ToUtf8(wide.substr(i, units));
    if (codePoint < 0x80) {
      ansi += static_cast<char>(codePoint);
    } else if (AnsiCanHold(character)) {
      ansi += platform::Utf8ToAnsi(character);
    } else {
      char escaped[16];
      std::snprintf(escaped, sizeof escaped, "<U+%04X>", static_cast<unsigned>(codePoint));
      ansi += escaped;
    }
    i += units - 1;
  }
  return ansi;
}
