#include "SetupLog.h"

#include <cstdio>

#include "AnsiPaths.h"
#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/System.h"

namespace {

// The system's text for an error, without the line break it ends with.
std::string ErrorReason(uint32_t code) {
  std::string text = platform::SystemErrorText(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text.empty() ? std::string("error code ").append(std::to_string(code)) : text;
}

// Creates a folder with its missing parents; false with the error code of the
// level that could not be made.
bool CreateFolder(const std::string& dir, uint32_t& code) {
  const std::string path = ExcludeTrailingPathDelimiter(dir);
  if (platform::DirectoryExists(path)) return true;
  const std::string parent = ExtractFileDir(path);
  if (!parent.empty() && parent != path && !CreateFolder(parent, code)) return false;
  if (platform::MakeDirectory(path)) return true;
  code = platform::LastErrorCode();
  return platform::DirectoryExists(path);
}

}  // namespace

std::string FormatLogLine(TDateTime ATimeStamp, TLogSeverity ASeverity, const std::string& AMessage) {
  const platform::LocalDateTime t = platform::ToLocalDateTime(ATimeStamp);
  const std::string sep = platform::TimeSeparator();
  char stamp[96];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u%s%02u%s%02u.%03u", unsigned{t.year}, unsigned{t.month},
                unsigned{t.day}, unsigned{t.hour}, sep.c_str(), unsigned{t.minute}, sep.c_str(), unsigned{t.second},
                unsigned{t.millisecond});
  std::string line;
  line.reserve(40 + AMessage.size());
  line.append("[").append(stamp).append(", ").append(LogSeverityNames[ASeverity]).append("]").append(AMessage);
  return line;
}

std::string WriteSetupLog(const std::string& AInstallDir, const std::vector<std::string>& ABuildLog) {
  uint32_t code = 0;
  if (!CreateFolder(AInstallDir, code)) {
    throw EOSError(std::string("Cannot create the folder \"")
                       .append(AInstallDir)
                       .append("\" for the setup log: ")
                       .append(ErrorReason(code)),
                   code);
  }
  const std::string path = IncludeTrailingPathDelimiter(AInstallDir) + "setup.log";
  std::string text;
  for (const auto& line : ABuildLog) text.append(line).append("\r\n");
  // In the ANSI code page; a character it lacks is written as its code point
  // (a folder C:\Users\<U+738B><U+4F1F>), not as a question mark.
  if (!platform::WriteFileBytes(path, Utf8ToAnsiReadable(text))) {
    code = platform::LastErrorCode();
    throw EOSError(std::string("Cannot write the setup log \"").append(path).append("\": ").append(ErrorReason(code)),
                   code);
  }
  return path;
}
