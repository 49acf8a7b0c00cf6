// The engine's logger: every message is stamped with the time and a severity,
// kept, and handed to one subscriber.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "SysUtils.h"

// The order matters: every severity from lsError upwards counts as an error.
enum TLogSeverity { lsDebug, lsInfo, lsWarning, lsError, lsFatal, lsUnknown };

inline constexpr std::array<const char*, 6> LogSeverityNames = {"Debug", "Info",  "Warning",
                                                                "Error", "Fatal", "Unknown"};

struct TLogMessage {
  TDateTime Timestamp;
  TLogSeverity Severity;
  std::string Message;
};

class TLogBase;

using TOnLogMessage =
    std::function<void(TLogBase* ASender, TDateTime ATimeStamp, TLogSeverity ASeverity, const std::string& AMessage)>;

class TLogBase {
 public:
  virtual ~TLogBase() = default;

  const TOnLogMessage& OnLogMessage() const { return fOnLogMessage; }
  void SetOnLogMessage(TOnLogMessage value) { fOnLogMessage = std::move(value); }

  // Reads the clock once, stores the message, then tells the subscriber.
  void Message(TLogSeverity ASeverity, const std::string& AMessage);
  // Every line in order, each stored and then told, all with one timestamp
  // read before the first. An empty list logs nothing.
  void MessageStrings(TLogSeverity ASeverity, const std::vector<std::string>& AMessage);

  void Debug(const std::string& AMessage) { Message(lsDebug, AMessage); }
  void Info(const std::string& AMessage) { Message(lsInfo, AMessage); }
  void Warning(const std::string& AMessage) { Message(lsWarning, AMessage); }
  void Error(const std::string& AMessage) { Message(lsError, AMessage); }
  void Fatal(const std::string& AMessage) { Message(lsFatal, AMessage); }
  void Unknown(const std::string& AMessage) { Message(lsUnknown, AMessage); }

 protected:
  virtual void LogMessage(TLogSeverity ASeverity, const std::string& AMessage, TDateTime ATimeStamp) = 0;

 private:
  TOnLogMessage fOnLogMessage;
};

// The logger the engine creates: keeps every message in logging order.
class TLogToList : public TLogBase {
 public:
  const std::vector<TLogMessage>& Messages() const { return fMessages; }

 protected:
  void LogMessage(TLogSeverity ASeverity, const std::string& AMessage, TDateTime ATimeStamp) override;

 private:
  std::vector<TLogMessage> fMessages;
};
