#include "platform/ToolLog.h"

namespace platform {

// Tools on a real machine keep no record.
void AppendToolRecord(const std::string&) {}

}  // namespace platform
