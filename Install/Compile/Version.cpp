#include "Compile/Version.h"

#include "SysUtils.h"
#include "Utils.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string TrimBlanks(const std::string& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

}  // namespace

TVersion::TVersion(const std::string& AVersion) {
  const std::string s = TrimBlanks(AVersion);
  if (s.empty()) throw Exception("Bad version string: \"" + AVersion + "\"");
  size_t p = 0;
  std::string parts[4];
  for (std::string& part : parts) {
    while (p < s.size() && s[p] == '.') ++p;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') part += s[p++];
  }
  // Fewer than three numbers: accepted, but nothing is kept.
  if (parts[0].empty() || parts[1].empty() || parts[2].empty()) return;
  fMajor = parts[0];
  fMinor = parts[1];
  fBuild = parts[2];
  fSubBuild = parts[3];
  fEdition = TrimBlanks(s.substr(p));
  fWithSources = StrEndsWith(fEdition, "With Sources", true);
  fTrial = StrStartsWith(fEdition, "Trial", true);
  fFree = StrStartsWith(fEdition, "Free", true);
  fProfessional = StrStartsWith(fEdition, "Professional", true);
}

std::string TVersion::VersionShort() const {
  std::string text = fMajor + "." + fMinor + "." + fBuild;
  if (!fSubBuild.empty()) text += "." + fSubBuild;
  return text;
}

std::string TVersion::Edition() const {
  std::string text = "Standard Edition";
  if (fTrial) {
    text = "Trial Edition";
  } else if (fFree) {
    text = "Free Edition";
  } else if (fProfessional) {
    text = "Professional Edition";
  }
  if (fWithSources) text += " With Sources";
  return text;
}

std::string TVersion::Version() const { return VersionShort() + " " + Edition(); }
