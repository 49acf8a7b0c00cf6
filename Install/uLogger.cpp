#include "uLogger.h"

void TLogBase::Message(TLogSeverity ASeverity, const std::string& AMessage) {
  const TDateTime time = Now();
  LogMessage(ASeverity, AMessage, time);
  if (fOnLogMessage) fOnLogMessage(this, time, ASeverity, AMessage);
}

void TLogBase::MessageStrings(TLogSeverity ASeverity, const std::vector<std::string>& AMessage) {
  const TDateTime time = Now();
  for (const auto& line : AMessage) {
    LogMessage(ASeverity, line, time);
    if (fOnLogMessage) fOnLogMessage(this, time, ASeverity, line);
  }
}

void TLogToList::LogMessage(TLogSeverity ASeverity, const std::string& AMessage, TDateTime ATimeStamp) {
  fMessages.push_back({ATimeStamp, ASeverity, AMessage});
}
