// The build log of a run: its line format and the file setup.log.
#pragma once

#include <string>
#include <vector>

#include "SysUtils.h"
#include "uLogger.h"

// "[yyyy-mm-dd hh:nn:ss.zzz, Severity]message" in local time, each ':' being
// the time separator of the user's locale.
std::string FormatLogLine(TDateTime ATimeStamp, TLogSeverity ASeverity, const std::string& AMessage);

// Writes the lines as "setup.log" in the installation folder, creating the
// folder with its parents when missing and replacing an earlier file whole:
// the machine's ANSI code page, CR LF after every line, characters the code
// page lacks replaced. Returns the file's full path. Raises EOSError naming the
// folder or file and the system's reason when it cannot; the lines are not
// touched.
std::string WriteSetupLog(const std::string& AInstallDir, const std::vector<std::string>& ABuildLog);
