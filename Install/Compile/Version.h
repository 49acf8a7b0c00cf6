// The product version with its edition, as the package's version file and
// the saved settings write it: "5.12.3.811 Professional With Sources".
#pragma once

#include <string>

class TVersion {
 public:
  // Parses the text; an empty or blank text raises "Bad version string".
  explicit TVersion(const std::string& AVersion);

  const std::string& Major() const { return fMajor; }
  const std::string& Minor() const { return fMinor; }
  const std::string& Build() const { return fBuild; }
  const std::string& SubBuild() const { return fSubBuild; }
  bool FreeEdition() const { return fFree; }
  bool TrialEdition() const { return fTrial; }
  bool ProfessionalEdition() const { return fProfessional; }
  bool WithSources() const { return fWithSources; }
  // The edition text as written in the version string.
  const std::string& EditionText() const { return fEdition; }

  // "5.12.3.811", or "5.12.3" without a sub-build.
  std::string VersionShort() const;
  // "Professional Edition With Sources" and the like, from the flags.
  std::string Edition() const;
  // VersionShort, a blank, Edition.
  std::string Version() const;

 private:
  std::string fMajor;
  std::string fMinor;
  std::string fBuild;
  std::string fSubBuild;
  std::string fEdition;
  bool fFree = false;
  bool fTrial = false;
  bool fProfessional = false;
  bool fWithSources = false;
};
